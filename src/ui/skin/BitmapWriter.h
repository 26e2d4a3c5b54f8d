#pragma once

// Writes uncompressed Windows bitmaps ("BM") of 24 or 8 bits, the form the
// bitmap loaders read: rows bottom-up, each padded to a multiple of 4 bytes.
// The art generator makes every picture of the archive this way, and tests
// use it for fixtures.
//
// Input pixels are as the program draws them: rows top-down without padding,
// blue, green, red for 24 bits; one byte per pixel for 8 bits.

#include "ui/skin/Image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

// The whole file image. Empty when the size is not positive or the pixel
// count does not match width × height (× 3).
std::vector<uint8_t> MakeBitmap24(std::span<const uint8_t> bgr, int32_t width, int32_t height);

// 8 bits per pixel with a grey palette (entry i is grey level i), so that
// viewers show coverage and masks as they are meant; the loaders ignore it.
std::vector<uint8_t> MakeBitmap8(std::span<const uint8_t> values, int32_t width, int32_t height);

// The same from the program's images, as a byte string (archive entries).
std::string EncodeBitmap24(const Image24& image);
std::string EncodeBitmap8(const Image8& image);

} // namespace bm
