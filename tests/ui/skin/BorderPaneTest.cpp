#include "ui/skin/BorderPane.h"

#include "ui/skin/SkinWindow.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

// A buffer whose channels differ by position, so each neighbour's weight shows.
Image24 Ramp(int32_t width, int32_t height)
{
    Image24 image(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, 0x010101u * static_cast<uint32_t>((x * 37 + y * 101) % 251));
    return image;
}

Image24 Mirrored(const Image24& in)
{
    Image24 out(in.width, in.height);
    for (int32_t y = 0; y < in.height; ++y)
        for (int32_t x = 0; x < in.width; ++x)
            out.SetPixel(in.width - 1 - x, y, in.Pixel(x, y));
    return out;
}

Image24 Transposed(const Image24& in)
{
    Image24 out(in.height, in.width);
    for (int32_t y = 0; y < in.height; ++y)
        for (int32_t x = 0; x < in.width; ++x)
            out.SetPixel(y, x, in.Pixel(x, y));
    return out;
}

TEST(BorderPaneTest, TheLeftEdgeBlurFeedsEachColumnIntoTheNext)
{
    const Image24 before = Ramp(6, 5);
    Image24 work = before;
    SmoothPane(work, pane::kLeft);
    // By hand, channel by channel, left to right, from the smoothed values.
    Image24 expected = before;
    for (int32_t x = 1; x < 5; ++x) {
        for (int32_t y = 1; y < 4; ++y) {
            const uint32_t v = ((expected.Pixel(x - 1, y - 1) & 0xFF) + (expected.Pixel(x - 1, y + 1) & 0xFF)
                                + 2 * (expected.Pixel(x - 1, y) & 0xFF) + 4 * (expected.Pixel(x, y) & 0xFF)) / 8;
            expected.SetPixel(x, y, v * 0x010101u);
        }
    }
    EXPECT_EQ(work.pixels, expected.pixels);
    // The outermost rows and columns are as captured.
    for (int32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(work.Pixel(x, 0), before.Pixel(x, 0));
        EXPECT_EQ(work.Pixel(x, 4), before.Pixel(x, 4));
    }
    EXPECT_EQ(work.Pixel(5, 2), before.Pixel(5, 2));
}

TEST(BorderPaneTest, TheOtherEdgesAreTheSameBlurTurned)
{
    const Image24 source = Ramp(7, 6);
    Image24 left = source, right = Mirrored(source), top = Transposed(source);
    SmoothPane(left, pane::kLeft);
    SmoothPane(right, pane::kRight);
    SmoothPane(top, pane::kTop);
    EXPECT_EQ(Mirrored(right).pixels, left.pixels);
    EXPECT_EQ(Transposed(top).pixels, left.pixels);
    Image24 bottom = Transposed(Mirrored(source)); // the source turned so its right edge is at the bottom
    SmoothPane(bottom, pane::kBottom);
    EXPECT_EQ(Mirrored(Transposed(bottom)).pixels, left.pixels);
    // A corner runs both of its edges.
    Image24 corner = source, twice = source;
    SmoothPane(corner, pane::kLeft | pane::kTop);
    SmoothPane(twice, pane::kLeft);
    SmoothPane(twice, pane::kTop);
    EXPECT_EQ(corner.pixels, twice.pixels);
    Image24 tiny(2, 2, 0x123456);
    SmoothPane(tiny, 15);
    EXPECT_EQ(tiny.Pixel(1, 1), 0x123456u);
}

TEST(BorderPaneTest, WindowsShowTheBlurredDesktopWhereTheMaskIsLow)
{
    test::SkinArchive skin;
    skin.Bitmap24("skin.bmp", 20, 10, [](int32_t, int32_t) { return 0xC0C0C0u; })
        .Bitmap8("piece.bmp", 3, 2, [](int32_t x, int32_t) { return x == 0 ? 0u : x == 1 ? 128u : 255u; });
    platform::HeadlessWindowSystem system;
    system.SetDesktop(200, 200, 0x404040);
    SkinWindow window(skin.Open(), system.CreateWindow(platform::WindowKind::Main, nullptr));
    ASSERT_TRUE(window.LoadSkin("skin.bmp"));
    window.Host().Move({50, 60});
    ASSERT_EQ(window.AddPiece("piece.bmp", 5, 4, pane::kLeft), 0);
    EXPECT_EQ(window.AddPiece("missing.bmp", 0, 0, pane::kTop), -1);
    ASSERT_EQ(window.Pieces().size(), 1u);
    EXPECT_EQ(window.Pieces()[0].rect, (Rect{5, 4, 7, 5}));
    EXPECT_EQ(window.Pieces()[0].work.width, 7);
    EXPECT_EQ(window.Pieces()[0].work.height, 4);

    auto& host = static_cast<platform::HeadlessWindowHost&>(window.Host());
    host.TakePresented();
    window.RefreshPieces();
    const uint8_t s = 0x40, k = 0xC0;
    EXPECT_EQ(window.Canvas().Pixel(5, 4), 0x404040u);                                     // m = 0: the desktop
    EXPECT_EQ(window.Canvas().Pixel(6, 4), 0x010101u * static_cast<uint32_t>(s + ((k - s) * 128) / 256)); // m = 128
    EXPECT_EQ(window.Canvas().Pixel(7, 4), 0xC0C0C0u);                                     // m = 255: unchanged
    EXPECT_EQ(window.Canvas().Pixel(4, 4), 0xC0C0C0u);                                     // outside the piece
    ASSERT_FALSE(host.Presented().empty());
    EXPECT_TRUE(host.Presented()[0].Contains(5, 4));

    // Where the screen cannot be read, the neutral backdrop takes its place.
    system.SetScreenReadable(false);
    SkinWindow other(skin.Archive(), system.CreateWindow(platform::WindowKind::Main, nullptr));
    ASSERT_TRUE(other.LoadSkin("skin.bmp"));
    ASSERT_EQ(other.AddPiece("piece.bmp", 0, 0, pane::kBottom), 0);
    other.RefreshPieces();
    EXPECT_EQ(other.Canvas().Pixel(0, 0), platform::kNeutralBackdrop);
}

TEST(BorderPaneTest, LaterCapturesKeepThePixelsUnderTheMask)
{
    BorderPane piece;
    piece.mask.width = 2;
    piece.mask.height = 1;
    piece.mask.pixels = {0, 200};
    Image24 first(6, 3, 0x111111), second(6, 3, 0x999999);
    CapturePane(piece, first);
    EXPECT_EQ(piece.work.Pixel(3, 1), 0x111111u);
    CapturePane(piece, second);
    EXPECT_EQ(piece.work.Pixel(2, 1), 0x999999u); // mask 0: fresh
    EXPECT_EQ(piece.work.Pixel(3, 1), 0x111111u); // under the mask: kept
    EXPECT_EQ(piece.work.Pixel(0, 0), 0x999999u); // the margins: always fresh
}

} // namespace
} // namespace bm
