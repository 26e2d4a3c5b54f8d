// Buttons and scroll bars drawn into a headless window's canvas.

#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinScrollBar.h"
#include "ui/skin/SkinWindow.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

#include <map>

namespace bm {
namespace {

using namespace button;

constexpr uint32_t kSkinColour = 0x202020;

// Column c of a strip is painted 0x10 * (c + 1) in every channel; the
// shape cell (column 0) is black on its first row's first pixel.
uint32_t CellColour(int column) { return 0x101010u * static_cast<uint32_t>(column + 1); }

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_skin.Bitmap24("skin.bmp", 64, 48, [](int32_t, int32_t) { return kSkinColour; })
            .Bitmap24("strip.bmp", 8 * 8, 6, [](int32_t x, int32_t y) { return x < 8 && x == 0 && y == 0 ? 0u : CellColour(x / 8); })
            .Bitmap24("track.bmp", 34, 40, [](int32_t x, int32_t) { return x % 2 ? 0u : 0x0000FFu; })
            .Bitmap24("thumbV.bmp", 16, 20, [](int32_t, int32_t y) { return 0x010101u * static_cast<uint32_t>(y + 1) + 0x400000u; })
            .Bitmap24("arrow.bmp", 5 * 16, 8, [](int32_t x, int32_t) { return CellColour(x / 16); });
        ResourceArchive& archive = m_skin.Open();
        m_window = std::make_unique<SkinWindow>(archive, m_system.CreateWindow(platform::WindowKind::Main, nullptr));
        ASSERT_TRUE(m_window->LoadSkin("skin.bmp"));
    }

    platform::HeadlessWindowHost& Host() { return static_cast<platform::HeadlessWindowHost&>(m_window->Host()); }

    test::SkinArchive m_skin;
    platform::HeadlessWindowSystem m_system;
    std::unique_ptr<SkinWindow> m_window;
};

// The program's layouts as their table gives them: state -> cell column.
std::map<uint32_t, int> LayoutTable(int layout)
{
    std::map<uint32_t, int> t;
    auto disabled = [&](int column) {
        for (uint32_t extra : {0u, kPressed, kOn, kOver, kPressed | kOn, kPressed | kOver, kOn | kOver, kPressed | kOn | kOver})
            t[kDisabled | extra] = column;
    };
    if (layout >= 2 && layout <= 9) {
        t[0] = 1;
        t[kPressed] = t[kPressed | kOver] = 2;
    }
    switch (layout) {
    case 3: t[kOver] = 2; break;
    case 4: t[kOn] = t[kOn | kOver] = 3; t[kOn | kPressed] = t[kOn | kPressed | kOver] = 2; break;
    case 5: disabled(3); break;
    case 6: t[kOver] = 3; break;
    case 7:
    case 9:
        disabled(3);
        t[kOn] = t[kOn | kOver] = 4;
        t[kOn | kPressed] = t[kOn | kPressed | kOver] = 5;
        if (layout == 9) {
            t[kLatched] = t[kLatched | kOver] = 6;
            t[kLatched | kPressed] = t[kLatched | kPressed | kOver] = 7;
        }
        break;
    case 8: disabled(4); t[kOn] = t[kOn | kOver] = 3; t[kOn | kPressed] = t[kOn | kPressed | kOver] = 2; break;
    case 10: t[0] = 1; break;
    default: break;
    }
    return t;
}

class ButtonLayoutTest : public ControlsTest, public ::testing::WithParamInterface<int> {};

TEST_P(ButtonLayoutTest, DrawsTheCellOfEveryStateOrTheNormalCell)
{
    const int layout = GetParam();
    const auto table = LayoutTable(layout);
    SkinButton& button = m_window->AddButton({10, 10, 17, 15}, "strip.bmp", layout, false);
    const uint32_t bits[] = {kPressed, kOn, kOver, kDisabled, kLatched};
    for (uint32_t combination = 0; combination < 32; ++combination) {
        uint32_t state = 0;
        for (int b = 0; b < 5; ++b)
            if (combination & (1u << b))
                state |= bits[b];
        m_window->RestoreBackground(m_window->Canvas().Bounds());
        button.SetState(state);
        button.Draw();
        auto it = table.find(state);
        if (it == table.end())
            it = table.find(0);
        const uint32_t expected = it == table.end() ? kSkinColour : CellColour(it->second);
        ASSERT_EQ(m_window->Canvas().Pixel(12, 12), expected) << "layout " << layout << " state " << std::hex << state;
        ASSERT_EQ(m_window->Canvas().Pixel(18, 12), kSkinColour);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ButtonLayoutTest, ::testing::Range(1, 11));

TEST_F(ControlsTest, FramesWithoutALayoutFollowTheStripAndBlackIsTransparent)
{
    SkinButton& button = m_window->AddButton({0, 0, 7, 5}, "strip.bmp", 0, true);
    ASSERT_EQ(button.Frames().size(), 8u);
    EXPECT_EQ(button.Frames()[0].state, kShape);
    EXPECT_EQ(button.Frames()[3].state, 2u);
    EXPECT_EQ(button.Frames()[3].source, (Rect{24, 0, 31, 5}));
    EXPECT_EQ(m_window->Canvas().Pixel(3, 3), CellColour(1));
    // The shape cell's black pixel is outside the button.
    EXPECT_FALSE(button.HitTest(0, 0));
    EXPECT_TRUE(button.HitTest(1, 0));
    EXPECT_FALSE(button.HitTest(8, 0));
    // Present went through Blit.
    EXPECT_EQ(Host().ScreenPixel(3, 3), CellColour(1));

    // A strip with black cells leaves the canvas under them.
    SkinButton& missing = m_window->AddButton({20, 20, 27, 25}, "no such strip.bmp", 2, true);
    EXPECT_EQ(m_window->Canvas().Pixel(22, 22), kSkinColour);
    EXPECT_TRUE(missing.HitTest(20, 20));
    EXPECT_TRUE(missing.HitTest(27, 25));
    EXPECT_FALSE(missing.HitTest(28, 25));
}

std::unique_ptr<SkinScrollBar> VerticalBar(SkinWindow& window, int32_t minimum, int32_t maximum)
{
    auto bar = std::make_unique<SkinScrollBar>(window, Rect{40, 2, 55, 41}, ScrollAxis::Vertical); // 16 × 40
    bar->LoadTrack("track.bmp");
    bar->LoadThumb("thumbV.bmp", 4); // tile 20 - 8 = 12
    bar->SetRange(minimum, maximum);
    return bar;
}

TEST_F(ControlsTest, ThumbLengthFollowsTheRangeInWholeTiles)
{
    auto bar = VerticalBar(*m_window, 0, 0);
    EXPECT_EQ(bar->ThumbRect(0), bar->GetRect()); // range 0: as long as the track
    bar->SetRange(0, 1);                           // 150 × 40 / 200 = 30 -> 8 + 12 × 1
    EXPECT_EQ(bar->ThumbLength(), 20);
    EXPECT_EQ(bar->ThumbRect(1), (Rect{40, 22, 55, 41}));
    bar->SetRange(0, 1000000); // 0, raised to 2e = 8
    EXPECT_EQ(bar->ThumbLength(), 8);
    EXPECT_EQ(bar->ThumbRect(1000000).bottom, 41);
    EXPECT_EQ(bar->ThumbRect(2000000).bottom, 41); // clamped
    EXPECT_EQ(bar->ThumbRect(-5).top, 2);
    bar->SetRange(INT32_MIN, INT32_MAX);
    EXPECT_EQ(bar->ThumbLength(), 8);
    EXPECT_EQ(bar->ThumbRect(INT32_MAX).bottom, 41);

    // Horizontal: 200 long, a thumb strip of two 20-pixel pictures, e = 3 (tile 14).
    SkinScrollBar wide(*m_window, {0, 0, 199, 9}, ScrollAxis::Horizontal);
    wide.SetThumb(Image24(40, 10, 0x111111), 3);
    EXPECT_EQ(wide.ThumbRect(0), wide.GetRect());
    wide.SetRange(0, 100); // 40000 / (301 × 150 / 100) = 88 -> 6 + 14 × 5 = 76
    EXPECT_EQ(wide.ThumbLength(), 76);
    EXPECT_EQ(wide.ThumbRect(50), (Rect{62, 0, 137, 9}));
}

TEST_F(ControlsTest, PointsGivePositionsAndPositionsSnapNearMultiples)
{
    auto owned = VerticalBar(*m_window, 0, 4); // thumb 150 × 40 / 500 = 12 -> 8; travel 32
    SkinScrollBar& bar = m_window->AddScrollBar(std::move(owned));
    EXPECT_EQ(bar.PosFromPoint(0, 2), 0);
    EXPECT_EQ(bar.PosFromPoint(0, 2 + 16), 2); // 16 × 5 / 32
    EXPECT_EQ(bar.PosFromPoint(0, 2 + 31), 4);
    EXPECT_EQ(bar.PosFromPoint(0, 500), 4);
    EXPECT_EQ(bar.PosFromPoint(0, -500), 0);

    bar.SetRange(0, 80); // snapping step 10; the track strip is 34 = 2 × 16 + 2 wide
    EXPECT_TRUE(bar.SetPos(38, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 40);
    EXPECT_TRUE(bar.SetPos(42, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 40);
    EXPECT_TRUE(bar.SetPos(35, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 35);
    EXPECT_TRUE(bar.SetPos(38));
    EXPECT_EQ(bar.Position(), 38);
    EXPECT_FALSE(bar.SetPos(99, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 80);
    bar.SetRange(0, 9); // step 1: every position is a multiple already
    EXPECT_TRUE(bar.SetPos(3, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 3);
    bar.SetRange(5, 85); // the multiples count from the minimum
    EXPECT_TRUE(bar.SetPos(26, ScrollSnap::Yes));
    EXPECT_EQ(bar.Position(), 25);
}

TEST_F(ControlsTest, ArrowsTakeTheDisabledLookAtTheEnds)
{
    auto owned = VerticalBar(*m_window, 0, 10);
    SkinButton& up = owned->SetFirstArrow({40, 42, 55, 47}, "arrow.bmp", 5);
    SkinButton& down = owned->SetSecondArrow({0, 42, 15, 47}, "arrow.bmp", 5);
    SkinScrollBar& bar = m_window->AddScrollBar(std::move(owned));
    EXPECT_TRUE(up.Disabled());
    EXPECT_TRUE(up.Has(kDisabled));
    EXPECT_FALSE(down.Disabled());
    EXPECT_EQ(m_window->Canvas().Pixel(45, 44), CellColour(3));
    bar.SetPos(5);
    EXPECT_FALSE(up.Disabled());
    EXPECT_EQ(m_window->Canvas().Pixel(45, 44), CellColour(1));
    bar.SetPos(10);
    EXPECT_TRUE(down.Disabled());
    EXPECT_FALSE(up.Disabled());
}

TEST_F(ControlsTest, TheThumbKeepsItsEndsAndRepeatsItsTile)
{
    auto owned = VerticalBar(*m_window, 0, 1); // thumb 20 long: 4 + 12 + 4
    SkinScrollBar& bar = m_window->AddScrollBar(std::move(owned));
    bar.SetRange(0, 0); // a 40-pixel thumb: ends of 4 and the 12-row tile repeated
    bar.Draw();
    const Image24& canvas = m_window->Canvas();
    auto row = [](int32_t source) { return 0x010101u * static_cast<uint32_t>(source + 1) + 0x400000u; };
    EXPECT_EQ(canvas.Pixel(41, 2), row(0));
    EXPECT_EQ(canvas.Pixel(41, 5), row(3));
    EXPECT_EQ(canvas.Pixel(41, 6), row(4));
    EXPECT_EQ(canvas.Pixel(41, 18), row(4));  // the tile again
    EXPECT_EQ(canvas.Pixel(41, 37), row(11)); // the tile cut short
    EXPECT_EQ(canvas.Pixel(41, 38), row(16)); // the bottom end
    EXPECT_EQ(canvas.Pixel(41, 41), row(19));
    EXPECT_EQ(Host().ScreenPixel(41, 41), row(19));
    // The track's black columns show the skin; the thumb is over the track.
    bar.SetVisible(false);
    EXPECT_EQ(canvas.Pixel(56, 10), kSkinColour);
}

} // namespace
} // namespace bm
