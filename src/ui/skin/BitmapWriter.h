#pragma once

// Uncompressed Windows bitmaps ("BM") from the program's pixel buffers, as
// the archive's bitmap readers take them: rows stored bottom-up and padded
// to 4 bytes; 8-bit files carry a grey palette.

#include "ui/skin/Image.h"

#include <string>

namespace bm {

std::string EncodeBitmap24(const Image24& image);
std::string EncodeBitmap8(const Image8& image);

} // namespace bm
