#include "support/ArchiveImage.h"

namespace bm::test {

void PutLE32(std::string& bytes, size_t at, uint32_t value)
{
    if (bytes.size() < at + 4)
        bytes.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

uint32_t GetLE32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes.at(at + static_cast<size_t>(i)))) << (8 * i);
    return value;
}

namespace {

void AppendLE32(std::string& out, uint32_t value) { PutLE32(out, out.size(), value); }

void AppendLE16(std::string& out, uint16_t value)
{
    out.push_back(static_cast<char>(value));
    out.push_back(static_cast<char>(value >> 8));
}

} // namespace

std::string ArchiveImage(const std::string& magic, const std::vector<ImageEntry>& entries)
{
    std::string out = magic.substr(0, 4);
    out.resize(kArchiveHeaderBytes, '\0');
    std::vector<uint32_t> offsets;
    for (const ImageEntry& entry : entries) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        AppendLE32(out, static_cast<uint32_t>(entry.data.size()));
        out += entry.data;
    }
    uint32_t dataEnd = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string name = entries[i].name.substr(0, 60);
        name.resize(60, '\0');
        out += name;
        AppendLE32(out, offsets[i]);
    }
    PutLE32(out, 4, static_cast<uint32_t>(out.size()));
    PutLE32(out, 8, dataEnd);
    PutLE32(out, 12, static_cast<uint32_t>(entries.size()));
    return out;
}

std::string BitmapImage(const BitmapSpec& shape)
{
    uint32_t bytesPerPixel = shape.bitCount / 8;
    uint32_t rowBytes = static_cast<uint32_t>(shape.width) * bytesPerPixel;
    uint32_t stride = shape.packed ? rowBytes : (rowBytes + 3) & ~3u;
    uint32_t palette = shape.bitCount == 8 ? 256 * 4 : 0;
    uint32_t dataOffset = 14 + 40 + palette;

    std::string out = "BM";
    AppendLE32(out, dataOffset + stride * static_cast<uint32_t>(shape.height));
    AppendLE32(out, 0);
    AppendLE32(out, dataOffset);
    AppendLE32(out, 40);
    AppendLE32(out, static_cast<uint32_t>(shape.width));
    AppendLE32(out, static_cast<uint32_t>(shape.bottomUp ? shape.height : -shape.height));
    AppendLE16(out, 1);
    AppendLE16(out, shape.bitCount);
    AppendLE32(out, 0); // no compression
    AppendLE32(out, stride * static_cast<uint32_t>(shape.height));
    AppendLE32(out, 2835);
    AppendLE32(out, 2835);
    AppendLE32(out, shape.bitCount == 8 ? 256 : 0);
    AppendLE32(out, 0);
    for (uint32_t i = 0; i < palette / 4; ++i)
        AppendLE32(out, i * 0x010101u); // grey ramp, ignored by the loader
    for (int32_t r = 0; r < shape.height; ++r) {
        int32_t y = shape.bottomUp ? shape.height - 1 - r : r;
        std::string row;
        for (int32_t x = 0; x < shape.width; ++x) {
            uint32_t value = shape.pixel ? shape.pixel(x, y) : 0;
            for (uint32_t b = 0; b < bytesPerPixel; ++b)
                row.push_back(static_cast<char>(value >> (8 * b)));
        }
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

} // namespace bm::test
