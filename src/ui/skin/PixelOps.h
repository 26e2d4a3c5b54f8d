#pragma once

// The raw copy routines every skinned window draws with. Rectangles are
// inclusive at both ends. None of them trusts its rectangle: the source part
// is clipped to the source buffer and the target part to the target buffer,
// so whatever rectangle a caller computes, nothing outside either buffer is
// read or written. The look of controls (cells, states) lives elsewhere.

#include "ui/skin/Image.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace bm {

// Copies `from` of the source to the target with its top-left corner at
// (tx, ty). Source and target may be the same buffer.
void CopyRect24(ConstPixels24 source, const Rect& from, Pixels24 target, int32_t tx, int32_t ty);

// As CopyRect24, but source pixels that are exactly black (0, 0, 0) leave the
// target as it was: black is the transparent colour of every strip.
void CopyRectKeyed(ConstPixels24 source, const Rect& from, Pixels24 target, int32_t tx, int32_t ty);

// Fills the rectangle with 0x00RRGGBB.
void FillRect24(const Rect& rect, uint32_t colour, Pixels24 target);

// Exchanges row i with row rows - 1 - i for the first half of the rows
// (bottom-up to top-down). Rows past the end of the buffer are not touched:
// only as many whole rows as the buffer holds are flipped.
void FlipRows(std::span<uint8_t> buffer, size_t rowBytes, size_t rows);

// The rectangle clipped to a buffer of this size (empty when outside).
Rect ClipToSize(const Rect& rect, int32_t width, int32_t height);

} // namespace bm
