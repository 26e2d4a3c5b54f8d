#include "ui/skin/BitmapWriter.h"

#include "core/Binary.h"

namespace bm {

namespace {

constexpr uint32_t kHeadersBytes = 14 + 40;
// 72 dots per inch, in pixels per metre.
constexpr uint32_t kPixelsPerMetre = 2835;

std::vector<uint8_t> MakeBitmap(std::span<const uint8_t> pixels, int32_t width, int32_t height, int bytesPerPixel)
{
    if (width <= 0 || height <= 0)
        return {};
    const uint64_t rowBytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bytesPerPixel);
    if (pixels.size() != rowBytes * static_cast<uint64_t>(height))
        return {};
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    const uint32_t paletteBytes = bytesPerPixel == 1 ? 256 * 4 : 0;
    const uint64_t imageBytes = stride * static_cast<uint64_t>(height);
    const uint64_t fileBytes = kHeadersBytes + paletteBytes + imageBytes;
    if (fileBytes > 0x7FFFFFFF)
        return {};

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(fileBytes));
    out.push_back('B');
    out.push_back('M');
    AppendLE32(out, static_cast<uint32_t>(fileBytes));
    AppendLE32(out, 0); // reserved
    AppendLE32(out, kHeadersBytes + paletteBytes);
    AppendLE32(out, 40);
    AppendLE32(out, static_cast<uint32_t>(width));
    AppendLE32(out, static_cast<uint32_t>(height)); // positive: bottom-up
    AppendLE16(out, 1);
    AppendLE16(out, static_cast<uint16_t>(bytesPerPixel * 8));
    AppendLE32(out, 0); // no compression
    AppendLE32(out, static_cast<uint32_t>(imageBytes));
    AppendLE32(out, kPixelsPerMetre);
    AppendLE32(out, kPixelsPerMetre);
    AppendLE32(out, bytesPerPixel == 1 ? 256 : 0);
    AppendLE32(out, 0);
    for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
        const auto grey = static_cast<uint8_t>(i);
        out.push_back(grey);
        out.push_back(grey);
        out.push_back(grey);
        out.push_back(0);
    }
    for (int32_t row = height - 1; row >= 0; --row) {
        const uint8_t* source = pixels.data() + static_cast<size_t>(row) * rowBytes;
        out.insert(out.end(), source, source + rowBytes);
        out.resize(out.size() + static_cast<size_t>(stride - rowBytes), 0);
    }
    return out;
}

} // namespace

std::vector<uint8_t> MakeBitmap24(std::span<const uint8_t> bgr, int32_t width, int32_t height)
{
    return MakeBitmap(bgr, width, height, 3);
}

std::vector<uint8_t> MakeBitmap8(std::span<const uint8_t> values, int32_t width, int32_t height)
{
    return MakeBitmap(values, width, height, 1);
}

std::string EncodeBitmap24(const Image24& image)
{
    const std::vector<uint8_t> bytes = MakeBitmap24(image.pixels, image.width, image.height);
    return std::string(bytes.begin(), bytes.end());
}

std::string EncodeBitmap8(const Image8& image)
{
    const std::vector<uint8_t> bytes = MakeBitmap8(image.pixels, image.width, image.height);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace bm
