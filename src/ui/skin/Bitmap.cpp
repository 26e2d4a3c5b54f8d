#include "ui/skin/Bitmap.h"

#include "core/Binary.h"
#include "ui/skin/ResourceArchive.h"

#include <climits>
#include <cstring>

namespace bm {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;

bool LoadBitmap(const ResourceArchive& archive, std::string_view name, int bitsPerPixel,
                std::vector<uint8_t>* pixels, int32_t* width, int32_t* height, BufferResize resize)
{
    uint8_t header[kFileHeaderBytes + kInfoHeaderBytes];
    if (archive.ReadEntry(name, header, sizeof header) != sizeof header)
        return false;
    const uint8_t* info = header + kFileHeaderBytes;
    uint32_t dataOffset = ReadLE32(header + 10);
    uint32_t infoSize = ReadLE32(info);
    int32_t w = ReadLE32s(info + 4);
    int32_t h = ReadLE32s(info + 8);
    uint16_t planes = ReadLE16(info + 12);
    uint16_t bitCount = ReadLE16(info + 14);
    uint32_t compression = ReadLE32(info + 16);
    if (header[0] != 'B' || header[1] != 'M' || infoSize < kInfoHeaderBytes || planes != 1
        || bitCount != bitsPerPixel || compression != 0)
        return false;
    if (w <= 0 || h == 0 || h == INT32_MIN)
        return false;

    // Every size below is bounded by the entry's size, itself checked
    // against the archive file when it was opened.
    bool bottomUp = h > 0;
    uint64_t rows = static_cast<uint64_t>(bottomUp ? h : -h);
    uint64_t rowBytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(bitsPerPixel / 8);
    uint64_t paddedRowBytes = (rowBytes + 3) & ~uint64_t(3);
    uint64_t entrySize = static_cast<uint64_t>(archive.GetEntrySize(name));
    if (dataOffset > entrySize)
        return false;
    uint64_t available = entrySize - dataOffset;
    uint64_t stride = 0;
    if (rows <= available / paddedRowBytes)
        stride = paddedRowBytes;
    else if (rows <= available / rowBytes)
        stride = rowBytes;
    else
        return false;
    size_t imageBytes = static_cast<size_t>(rowBytes * rows);

    if (pixels) {
        if (resize == BufferResize::Keep && !pixels->empty() && pixels->size() < imageBytes)
            return false;
        std::vector<uint8_t> stored(static_cast<size_t>(stride * rows));
        if (archive.ReadEntry(name, stored.data(), stored.size(), dataOffset) != stored.size())
            return false;
        if (pixels->empty() || resize == BufferResize::Allowed)
            pixels->resize(imageBytes);
        for (uint64_t row = 0; row < rows; ++row) {
            uint64_t source = bottomUp ? rows - 1 - row : row;
            std::memcpy(pixels->data() + row * rowBytes, stored.data() + source * stride, rowBytes);
        }
    }
    if (width)
        *width = w;
    if (height)
        *height = static_cast<int32_t>(rows);
    return true;
}

} // namespace

bool LoadBitmap24(const ResourceArchive& archive, std::string_view name, std::vector<uint8_t>* pixels,
                  int32_t* width, int32_t* height, BufferResize resize)
{
    return LoadBitmap(archive, name, 24, pixels, width, height, resize);
}

bool LoadBitmap8(const ResourceArchive& archive, std::string_view name, std::vector<uint8_t>* pixels,
                 int32_t* width, int32_t* height, BufferResize resize)
{
    return LoadBitmap(archive, name, 8, pixels, width, height, resize);
}

} // namespace bm
