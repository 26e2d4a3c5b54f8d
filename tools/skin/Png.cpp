#include "Png.h"

#include <zlib.h>

#include <string_view>

namespace bm::art {

namespace {

void AppendBE32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void AppendChunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data)
{
    AppendBE32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    AppendBE32(out, static_cast<uint32_t>(crc));
}

} // namespace

std::vector<uint8_t> MakePng(std::span<const uint8_t> rgb, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return {};
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> filtered;
    filtered.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rgb.data() + static_cast<size_t>(y) * rowBytes;
        filtered.push_back(1); // Sub: each byte less the byte of the pixel to its left
        for (size_t i = 0; i < rowBytes; ++i)
            filtered.push_back(static_cast<uint8_t>(row[i] - (i >= 3 ? row[i - 3] : 0)));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()), 9) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    AppendBE32(header, static_cast<uint32_t>(width));
    AppendBE32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, adaptive filters, no interlace
    AppendChunk(out, "IHDR", header);
    AppendChunk(out, "IDAT", packed);
    AppendChunk(out, "IEND", {});
    return out;
}

} // namespace bm::art
