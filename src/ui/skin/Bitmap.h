#pragma once

// Bitmap entries of the archive: uncompressed Windows bitmaps ("BM") of 24
// bits (skins, button strips) or 8 bits (bitmap font strips).
//
// The pixels come out as the rest of the program draws them: rows top-down,
// width × 3 bytes per row (blue, green, red) or width bytes per row for 8-bit
// strips, without row padding. The file may store its rows bottom-up
// (positive height) or top-down (negative height), padded to 4 bytes as
// usual or packed; when the entry holds enough bytes for padded rows, they
// are read as padded. 8-bit palettes are ignored: the bytes are used as raw
// values (font coverage).

#include <cstdint>
#include <string_view>
#include <vector>

namespace bm {

class ResourceArchive;

// What happens to a caller's non-empty pixel buffer. An empty buffer is
// always sized to fit.
enum class BufferResize {
    Allowed, // resized to width × height × bytes per pixel
    Keep,    // filled from its start; too small a buffer fails the load
};

// Loads a 24-bit bitmap entry. Refused (false, nothing changed): a missing
// entry, a type other than "BM", compression, a bit count other than 24
// (32-bit bitmaps included), a plane count other than 1, a width or height
// of 0 or less than 0 (width), pixel rows that the entry does not hold.
// `pixels` may be null to read only the size; `width` and `height` may be
// null when not wanted.
bool LoadBitmap24(const ResourceArchive& archive, std::string_view name, std::vector<uint8_t>* pixels,
                  int32_t* width, int32_t* height, BufferResize resize = BufferResize::Allowed);

// The same for 8 bits per pixel.
bool LoadBitmap8(const ResourceArchive& archive, std::string_view name, std::vector<uint8_t>* pixels,
                 int32_t* width, int32_t* height, BufferResize resize = BufferResize::Allowed);

} // namespace bm
