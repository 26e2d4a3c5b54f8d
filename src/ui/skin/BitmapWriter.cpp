#include "ui/skin/BitmapWriter.h"

#include <cstdint>

namespace bm {

namespace {

void Put16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string Encode(const uint8_t* pixels, int32_t width, int32_t height, int bytesPerPixel)
{
    if (width <= 0 || height <= 0)
        return {};
    const uint32_t rowBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(bytesPerPixel);
    const uint32_t stride = (rowBytes + 3) & ~3u;
    const uint32_t palette = bytesPerPixel == 1 ? 256 * 4 : 0;
    const uint32_t dataOffset = 14 + 40 + palette;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(height);
    std::string out;
    out.reserve(dataOffset + imageBytes);
    out += "BM";
    Put32(out, dataOffset + imageBytes);
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bytesPerPixel * 8));
    Put32(out, 0); // no compression
    Put32(out, imageBytes);
    Put32(out, 2835); // 72 dots per inch
    Put32(out, 2835);
    Put32(out, bytesPerPixel == 1 ? 256 : 0);
    Put32(out, 0);
    for (uint32_t i = 0; i < palette / 4; ++i) {
        out += static_cast<char>(i);
        out += static_cast<char>(i);
        out += static_cast<char>(i);
        out += '\0';
    }
    for (int32_t y = height - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(pixels) + static_cast<size_t>(y) * rowBytes, rowBytes);
        out.append(stride - rowBytes, '\0');
    }
    return out;
}

} // namespace

std::string EncodeBitmap24(const Image24& image)
{
    if (image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        return {};
    return Encode(image.pixels.data(), image.width, image.height, 3);
}

std::string EncodeBitmap8(const Image8& image)
{
    if (image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return {};
    return Encode(image.pixels.data(), image.width, image.height, 1);
}

} // namespace bm
