#include "ui/skin/PixelOps.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

// A source whose every pixel tells where it came from.
Image24 Numbered(int32_t width, int32_t height)
{
    Image24 image(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, 0x010000u * static_cast<uint32_t>(y + 1) + static_cast<uint32_t>(x + 1));
    return image;
}

struct CopyCase {
    const char* name;
    Rect from;
    int32_t tx, ty;
};

class CopyClipTest : public ::testing::TestWithParam<CopyCase> {};

// Whatever the rectangle, every target pixel is either untouched or the
// source pixel that the unclipped copy would have put there.
TEST_P(CopyClipTest, CopiesOnlyWhatLiesInsideBothBuffers)
{
    const CopyCase& c = GetParam();
    const Image24 source = Numbered(6, 5);
    for (bool keyed : {false, true}) {
        Image24 target(7, 4, 0xABCDEF);
        if (keyed)
            CopyRectKeyed(source.View(), c.from, target.View(), c.tx, c.ty);
        else
            CopyRect24(source.View(), c.from, target.View(), c.tx, c.ty);
        for (int32_t y = 0; y < target.height; ++y) {
            for (int32_t x = 0; x < target.width; ++x) {
                const int64_t sx = int64_t{c.from.left} + x - c.tx, sy = int64_t{c.from.top} + y - c.ty;
                const bool inFrom = sx >= c.from.left && sx <= c.from.right && sy >= c.from.top && sy <= c.from.bottom;
                const bool inSource = sx >= 0 && sy >= 0 && sx < source.width && sy < source.height;
                const uint32_t expected = inFrom && inSource ? source.Pixel(static_cast<int32_t>(sx), static_cast<int32_t>(sy)) : 0xABCDEF;
                ASSERT_EQ(target.Pixel(x, y), expected) << c.name << " keyed " << keyed << " at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, CopyClipTest,
                         ::testing::Values(CopyCase{"inside", {1, 1, 3, 2}, 2, 1},
                                           CopyCase{"past target right", {0, 0, 5, 4}, 4, 0},
                                           CopyCase{"past target bottom", {0, 0, 5, 4}, 0, 2},
                                           CopyCase{"before target left", {0, 0, 5, 4}, -3, 0},
                                           CopyCase{"before target top", {0, 0, 5, 4}, 0, -3},
                                           CopyCase{"source rect before source", {-2, -2, 2, 2}, 0, 0},
                                           CopyCase{"source rect past source", {4, 3, 20, 20}, 0, 0},
                                           CopyCase{"wholly outside target", {0, 0, 5, 4}, 50, 50},
                                           CopyCase{"far negative", {0, 0, 5, 4}, INT32_MIN + 1, INT32_MIN + 1},
                                           CopyCase{"huge rectangle", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0},
                                           CopyCase{"inverted", {3, 3, 1, 1}, 0, 0}));

TEST(PixelOpsTest, KeyedCopyLeavesTheTargetWhereTheSourceIsExactlyBlack)
{
    Image24 source(3, 1);
    source.SetPixel(0, 0, 0x000000);
    source.SetPixel(1, 0, 0x000001); // nearly black is still a colour
    source.SetPixel(2, 0, 0x102030);
    Image24 target(3, 1, 0x777777);
    CopyRectKeyed(source.View(), source.Bounds(), target.View(), 0, 0);
    EXPECT_EQ(target.Pixel(0, 0), 0x777777u);
    EXPECT_EQ(target.Pixel(1, 0), 0x000001u);
    EXPECT_EQ(target.Pixel(2, 0), 0x102030u);
}

TEST(PixelOpsTest, CopiesWithinOneBufferWhateverTheOverlap)
{
    for (Point shift : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}, Point{2, 2}}) {
        for (bool keyed : {false, true}) {
            Image24 image = Numbered(8, 8);
            const Image24 before = image;
            const Rect from{1, 1, 4, 4};
            if (keyed)
                CopyRectKeyed(image.View(), from, image.View(), 1 + shift.x, 1 + shift.y);
            else
                CopyRect24(image.View(), from, image.View(), 1 + shift.x, 1 + shift.y);
            for (int32_t y = 1; y <= 4; ++y)
                for (int32_t x = 1; x <= 4; ++x)
                    ASSERT_EQ(image.Pixel(x + shift.x, y + shift.y), before.Pixel(x, y)) << shift.x << "," << shift.y;
        }
    }
}

TEST(PixelOpsTest, FillIsClippedAndFlipSwapsWholeRowsOnly)
{
    Image24 image(4, 3);
    FillRect24({-5, 1, 1, 99}, 0x123456, image.View());
    EXPECT_EQ(image.Pixel(0, 1), 0x123456u);
    EXPECT_EQ(image.Pixel(1, 2), 0x123456u);
    EXPECT_EQ(image.Pixel(2, 1), 0u);
    EXPECT_EQ(image.Pixel(0, 0), 0u);
    FillRect24({2, 2, 1, 1}, 0xFFFFFF, image.View()); // inverted: nothing
    EXPECT_EQ(image.Pixel(2, 2), 0u);

    std::vector<uint8_t> rows{1, 1, 2, 2, 3, 3, 9};
    FlipRows(rows, 2, 3);
    EXPECT_EQ(rows, (std::vector<uint8_t>{3, 3, 2, 2, 1, 1, 9}));
    // More rows asked for than the buffer holds: only whole rows flip.
    std::vector<uint8_t> shortRows{1, 2, 3, 4};
    FlipRows(shortRows, 2, 10);
    EXPECT_EQ(shortRows, (std::vector<uint8_t>{3, 4, 1, 2}));
    FlipRows(shortRows, 0, 10);
    EXPECT_EQ(shortRows, (std::vector<uint8_t>{3, 4, 1, 2}));
}

} // namespace
} // namespace bm
