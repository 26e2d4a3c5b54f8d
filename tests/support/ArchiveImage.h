#pragma once

// Builds archive files and bitmap entries byte by byte for tests, without the
// code under test, so that layout faults show up as differing bytes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bm::test {

struct ImageEntry {
    std::string name; // stored as is (cut to 60 bytes, zero-padded)
    std::string data;
};

// A well-formed container: header, blocks back to back, directory.
std::string ArchiveImage(const std::string& magic, const std::vector<ImageEntry>& entries);

// Offsets inside an ArchiveImage, for tests that damage one field.
constexpr size_t kArchiveHeaderBytes = 16;
constexpr size_t kArchiveRecordBytes = 64;
void PutLE32(std::string& bytes, size_t at, uint32_t value);
uint32_t GetLE32(const std::string& bytes, size_t at);

// An uncompressed "BM" bitmap. `pixel(x, y)` gives the value of the pixel in
// row y from the top (for 24 bits: 0xRRGGBB; for 8 bits: the byte). Rows are
// stored bottom-up when `bottomUp`, else with a negative height; padded to
// 4 bytes unless `packed`. An 8-bit bitmap carries a 256-entry palette.
struct BitmapSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    bool bottomUp = true;
    bool packed = false;
    std::function<uint32_t(int32_t x, int32_t y)> pixel;
};
std::string BitmapImage(const BitmapSpec& shape);

// Offsets of header fields inside a BitmapImage.
constexpr size_t kBitmapDataOffsetField = 10;
constexpr size_t kBitmapWidthField = 18;
constexpr size_t kBitmapHeightField = 22;
constexpr size_t kBitmapPlanesField = 26;
constexpr size_t kBitmapBitCountField = 28;
constexpr size_t kBitmapCompressionField = 30;

} // namespace bm::test
