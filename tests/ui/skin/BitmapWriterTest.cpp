#include "ui/skin/BitmapWriter.h"

#include "core/Binary.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

std::string AsString(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// Widths 1 to 5 need every amount of row padding (0 to 3 bytes) at both depths.
class BitmapWriterTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(BitmapWriterTest, RoundTripsThroughTheLoadersAndPadsRowsBottomUp)
{
    const int32_t width = GetParam();
    const int32_t height = 3;
    std::vector<uint8_t> bgr(static_cast<size_t>(width * height * 3));
    std::vector<uint8_t> grey(static_cast<size_t>(width * height));
    for (size_t i = 0; i < bgr.size(); ++i)
        bgr[i] = static_cast<uint8_t>(i * 7 + 1);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<uint8_t>(i * 13 + 2);

    const auto image24 = MakeBitmap24(bgr, width, height);
    const auto image8 = MakeBitmap8(grey, width, height);
    const size_t stride24 = static_cast<size_t>((width * 3 + 3) / 4 * 4);
    const size_t stride8 = static_cast<size_t>((width + 3) / 4 * 4);
    ASSERT_EQ(image24.size(), 54 + stride24 * height);
    ASSERT_EQ(image8.size(), 54 + 1024 + stride8 * height);
    EXPECT_EQ(ReadLE32s(image24.data() + 22), height) << "positive height: stored bottom-up";
    EXPECT_EQ(ReadLE32(image8.data() + 10), 54u + 1024u);
    // The first stored row is the picture's bottom row.
    EXPECT_EQ(image24[54], bgr[static_cast<size_t>((height - 1) * width * 3)]);
    // Padding bytes are zero, so the bytes are the same on every run.
    for (size_t pad = static_cast<size_t>(width * 3); pad < stride24; ++pad)
        EXPECT_EQ(image24[54 + pad], 0);

    test::TempDir dir;
    const std::string path = dir / "pictures.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"a.bmp", AsString(image24)},
                                                                 {"b.bmp", AsString(image8)}})));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));
    std::vector<uint8_t> back;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(LoadBitmap24(archive, "a.bmp", &back, &w, &h));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(back, bgr);
    ASSERT_TRUE(LoadBitmap8(archive, "b.bmp", &back, &w, &h));
    EXPECT_EQ(back, grey);
    EXPECT_FALSE(LoadBitmap24(archive, "b.bmp", &back, &w, &h)) << "the depth is recorded";
}

INSTANTIATE_TEST_SUITE_P(Widths, BitmapWriterTest, ::testing::Values(1, 2, 3, 4, 5));

TEST(BitmapWriterSizeTest, RefusesSizesThatDoNotMatchThePixels)
{
    const std::vector<uint8_t> six(6, 1);
    EXPECT_TRUE(MakeBitmap24(six, 2, 1).size() > 0);
    EXPECT_TRUE(MakeBitmap24(six, 1, 1).empty());
    EXPECT_TRUE(MakeBitmap24(six, 0, 2).empty());
    EXPECT_TRUE(MakeBitmap8(six, 3, -2).empty());
    EXPECT_TRUE(MakeBitmap8(six, 6, 1).size() > 0);
}

} // namespace
} // namespace bm
