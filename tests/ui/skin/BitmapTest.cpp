#include "ui/skin/Bitmap.h"

#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>

namespace bm {
namespace {

using test::BitmapImage;
using test::BitmapSpec;

// 0xRRGGBB with the position in it, so that a swapped row or channel shows.
uint32_t Colour(int32_t x, int32_t y) { return 0x100000u * (static_cast<uint32_t>(y) + 1) + 0x10u * (static_cast<uint32_t>(x) + 1) + 0x05u; }

BitmapSpec Spec24(int32_t width, int32_t height)
{
    return {width, height, 24, true, false, Colour};
}

class BitmapTest : public ::testing::Test {
protected:
    // Opens an archive holding these entries.
    void Load(const std::vector<test::ImageEntry>& entries)
    {
        std::string path = m_dir / "bitmaps.wad";
        ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", entries)));
        ASSERT_TRUE(m_archive.Open(path, ArchiveAccess::ReadOnly));
    }

    // Checks a top-down, unpadded blue-green-red buffer against Colour().
    static void ExpectColours(const std::vector<uint8_t>& pixels, int32_t width, int32_t height)
    {
        ASSERT_EQ(pixels.size(), static_cast<size_t>(width * height * 3));
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* p = pixels.data() + (y * width + x) * 3;
                uint32_t value = p[0] | (p[1] << 8) | (p[2] << 16);
                ASSERT_EQ(value, Colour(x, y)) << "x " << x << " y " << y;
            }
        }
    }

    test::TempDir m_dir;
    ResourceArchive m_archive;
};

TEST_F(BitmapTest, RowsComeOutTopDownWithoutPaddingWhateverTheStoredForm)
{
    BitmapSpec padded = Spec24(3, 4); // 9-byte rows, stored as 12
    BitmapSpec packed = padded;
    packed.packed = true;
    BitmapSpec topDown = padded;
    topDown.bottomUp = false;
    Load({{"padded.bmp", BitmapImage(padded)},
          {"packed.bmp", BitmapImage(packed)},
          {"topdown.bmp", BitmapImage(topDown)},
          {"even.bmp", BitmapImage(Spec24(4, 2))}});
    for (const char* name : {"padded.bmp", "packed.bmp", "topdown.bmp"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> pixels;
        int32_t width = 0, height = 0;
        ASSERT_TRUE(LoadBitmap24(m_archive, name, &pixels, &width, &height));
        EXPECT_EQ(width, 3);
        EXPECT_EQ(height, 4);
        ExpectColours(pixels, 3, 4);
    }
    std::vector<uint8_t> pixels;
    int32_t width = 0, height = 0;
    ASSERT_TRUE(LoadBitmap24(m_archive, "EVEN.BMP", &pixels, &width, &height));
    ExpectColours(pixels, 4, 2);
}

TEST_F(BitmapTest, EightBitStripsGiveRawBytes)
{
    BitmapSpec font{5, 3, 8, true, false, [](int32_t x, int32_t y) { return static_cast<uint32_t>(y * 16 + x); }};
    Load({{"font.bmp", BitmapImage(font)}, {"skin.bmp", BitmapImage(Spec24(2, 2))}});
    std::vector<uint8_t> pixels;
    int32_t width = 0, height = 0;
    ASSERT_TRUE(LoadBitmap8(m_archive, "font.bmp", &pixels, &width, &height));
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);
    ASSERT_EQ(pixels.size(), 15u);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[4], 4);
    EXPECT_EQ(pixels[5], 16);
    EXPECT_EQ(pixels[14], 36);
    EXPECT_FALSE(LoadBitmap8(m_archive, "skin.bmp", &pixels, &width, &height));
    EXPECT_FALSE(LoadBitmap24(m_archive, "font.bmp", &pixels, &width, &height));
}

TEST_F(BitmapTest, CallersBufferIsAllocatedResizedOrKept)
{
    Load({{"skin.bmp", BitmapImage(Spec24(2, 2))}});
    int32_t width = 0, height = 0;
    EXPECT_TRUE(LoadBitmap24(m_archive, "skin.bmp", nullptr, &width, &height));
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);

    std::vector<uint8_t> large(100, 0xEE);
    ASSERT_TRUE(LoadBitmap24(m_archive, "skin.bmp", &large, nullptr, nullptr, BufferResize::Keep));
    EXPECT_EQ(large.size(), 100u);
    EXPECT_EQ(large[0], 0x15);
    EXPECT_EQ(large[12], 0xEE) << "bytes past the image stay";

    std::vector<uint8_t> small(5, 0xEE);
    EXPECT_FALSE(LoadBitmap24(m_archive, "skin.bmp", &small, &width, &height, BufferResize::Keep));
    EXPECT_EQ(small, std::vector<uint8_t>(5, 0xEE));

    ASSERT_TRUE(LoadBitmap24(m_archive, "skin.bmp", &small, &width, &height, BufferResize::Allowed));
    ExpectColours(small, 2, 2);
}

// Bitmaps the loader refuses; nothing the caller gave is changed.
struct Refused {
    const char* label;
    std::function<std::string()> make;
};

std::string Damage(std::string bytes, size_t at, uint32_t value, int width = 4)
{
    std::string field;
    for (int i = 0; i < width; ++i)
        field.push_back(static_cast<char>(value >> (8 * i)));
    return bytes.replace(at, field.size(), field);
}

std::string Plain() { return BitmapImage(Spec24(3, 4)); }

const Refused kRefused[] = {
    {"ThirtyTwoBits", [] { return BitmapImage({2, 2, 32, true, false, Colour}); }},
    {"SixteenBits", [] { return BitmapImage({2, 2, 16, true, false, Colour}); }},
    {"EightBits", [] { return BitmapImage({4, 2, 8, true, false, Colour}); }},
    {"NotBM", [] { return Damage(Plain(), 0, 'B' | ('A' << 8), 2); }},
    {"Compressed", [] { return Damage(Plain(), test::kBitmapCompressionField, 1); }},
    {"TwoPlanes", [] { return Damage(Plain(), test::kBitmapPlanesField, 2, 2); }},
    {"CoreHeader", [] { return Damage(Plain(), 14, 12); }},
    {"ZeroWidth", [] { return Damage(Plain(), test::kBitmapWidthField, 0); }},
    {"NegativeWidth", [] { return Damage(Plain(), test::kBitmapWidthField, 0xFFFFFFFDu); }},
    {"ZeroHeight", [] { return Damage(Plain(), test::kBitmapHeightField, 0); }},
    {"MinimumHeight", [] { return Damage(Plain(), test::kBitmapHeightField, 0x80000000u); }},
    {"HugeWidth", [] { return Damage(Plain(), test::kBitmapWidthField, 0x7FFFFFFFu); }},
    {"HugeHeight", [] { return Damage(Plain(), test::kBitmapHeightField, 0x7FFFFFFFu); }},
    {"HugeBoth", [] { return Damage(Damage(Plain(), test::kBitmapWidthField, 0x40000000u), 22, 0x40000000u); }},
    {"DataOffsetPastEnd", [] { return Damage(Plain(), test::kBitmapDataOffsetField, 0xFFFFFFF0u); }},
    {"PixelsCut", [] { std::string b = Plain(); b.resize(b.size() - 13); return b; }}, // too short even for packed rows
    {"HeaderOnly", [] { return Plain().substr(0, 54); }},
    {"ShortHeader", [] { return Plain().substr(0, 30); }},
    {"Empty", [] { return std::string(); }},
};

class RefusedBitmapTest : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedBitmapTest, LeavesTheCallersValuesAlone)
{
    test::TempDir dir;
    std::string path = dir / "bad.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"bad.bmp", GetParam().make()}})));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));
    for (BufferResize resize : {BufferResize::Allowed, BufferResize::Keep}) {
        std::vector<uint8_t> pixels(7, 0xAB);
        int32_t width = -5, height = -6;
        EXPECT_FALSE(LoadBitmap24(archive, "bad.bmp", &pixels, &width, &height, resize));
        EXPECT_EQ(pixels, std::vector<uint8_t>(7, 0xAB));
        EXPECT_EQ(width, -5);
        EXPECT_EQ(height, -6);
        std::vector<uint8_t> empty;
        EXPECT_FALSE(LoadBitmap24(archive, "bad.bmp", &empty, &width, &height, resize));
        EXPECT_TRUE(empty.empty());
    }
    EXPECT_FALSE(LoadBitmap24(archive, "missing.bmp", nullptr, nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedBitmapTest, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace bm
