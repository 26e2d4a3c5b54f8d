// Glyph strips come with a skin: any strip, any cell parameters, any text
// and any clip must draw only inside the target and the clip.

#include "FuzzArchive.h"

#include "ui/skin/BitmapFont.h"
#include "ui/skin/BitmapWriter.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 12)
        return 0;
    // Parameters first, then the strip's pixels, then the text.
    const int32_t stripWidth = 1 + data[0] % 64 * (1 + data[1] % 8);
    const int32_t stripHeight = 1 + data[2] % 24;
    const int32_t cellWidth = data[3] % 4 == 0 ? 0 : static_cast<int8_t>(data[4]);
    const int32_t cellHeight = static_cast<int8_t>(data[5]);
    const uint8_t first = data[6], last = data[7];
    const int32_t x = static_cast<int8_t>(data[8]) * 3, y = static_cast<int8_t>(data[9]);
    const int32_t clipLeft = data[10] % 40 - 5, clipTop = data[11] % 20 - 5;
    bm::Image8 strip;
    strip.width = stripWidth;
    strip.height = stripHeight;
    strip.pixels.resize(static_cast<size_t>(stripWidth * stripHeight));
    const size_t pixelBytes = std::min(strip.pixels.size(), size - 12);
    std::memcpy(strip.pixels.data(), data + 12, pixelBytes);
    const std::string text(reinterpret_cast<const char*>(data + 12 + pixelBytes), size - 12 - pixelBytes);

    static bm::fuzz::MemoryArchive archive;
    if (!archive.Open({{"font.bmp", bm::EncodeBitmap8(strip)}}))
        return 0;
    bm::BitmapFont font;
    if (!font.LoadFont(archive.Archive(), "font.bmp", cellWidth, cellHeight, first, last, data[3], data[1] % 4))
        return 0;

    // A target of its exact size (AddressSanitizer guards its ends) filled
    // with a sentinel that must survive outside the clip.
    constexpr int32_t kW = 48, kH = 20;
    bm::Image24 target(kW, kH, 0x5A5A5A);
    bm::BitmapFont::SetClip(clipLeft, clipTop, clipLeft + 30, clipTop + 12);
    font.DrawText(x, y, text, 0xFFFFFF, target.View());
    font.DrawCodes(x, y, text, 0x00FF00, target.View());
    for (int32_t py = 0; py < kH; ++py) {
        for (int32_t px = 0; px < kW; ++px) {
            const bool inClip = px >= clipLeft && px <= clipLeft + 30 && py >= clipTop && py < clipTop + 12;
            if (!inClip)
                bm::fuzz::Check(target.Pixel(px, py) == 0x5A5A5A);
        }
    }
    bm::BitmapFont::ResetClip();
    bm::fuzz::Check(font.TextWidth(text) >= 0);
    return 0;
}
