#include "ui/skin/SkinWindow.h"

#include "ui/skin/BitmapFont.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinScrollBar.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using platform::HeadlessWindowHost;

// Records every notification; presses and releases act as a plain button does.
class RecordingWindow : public SkinWindow {
public:
    using SkinWindow::SkinWindow;
    std::vector<std::string> heard;

protected:
    void ButtonPressed(uint32_t, int32_t x, int32_t y, SkinButton& b) override { heard.push_back("pressed " + Name(b)); PressIfHit(b, x, y); }
    void ButtonRightPressed(uint32_t, int32_t, int32_t, SkinButton& b) override { heard.push_back("right pressed " + Name(b)); b.SetBits(button::kPressed, true); }
    void ButtonReleased(uint32_t, int32_t x, int32_t y, SkinButton& b) override
    {
        heard.push_back(std::string(ReleasePressed(b, x, y) ? "clicked " : "released ") + Name(b));
    }
    void ButtonRightReleased(uint32_t, int32_t, int32_t, SkinButton& b) override { heard.push_back("right released " + Name(b)); b.SetBits(button::kPressed, false); }
    void ArrowPressed(uint32_t, int32_t, int32_t, SkinScrollBar& bar, SkinButton& arrow) override
    {
        heard.push_back(std::string("arrow ") + (&arrow == bar.FirstArrow() ? "first" : "second"));
        if (&arrow == bar.FirstArrow())
            StartRepeat(&bar, 7, 50);
    }
    void RepeatEnded(uint32_t, int32_t, int32_t, SkinScrollBar*, int32_t count) override { heard.push_back("repeat ended " + std::to_string(count)); }
    void Repeat(int32_t count, SkinScrollBar*, int32_t flag) override { heard.push_back("repeat " + std::to_string(count) + " flag " + std::to_string(flag)); }
    void ThumbMoved(int32_t newPos, int32_t oldPos, SkinScrollBar& bar) override
    {
        heard.push_back("thumb " + std::to_string(oldPos) + " -> " + std::to_string(newPos));
        SkinWindow::ThumbMoved(newPos, oldPos, bar);
    }

private:
    std::string Name(const SkinButton& b) const
    {
        for (size_t i = 0; i < Buttons().size(); ++i)
            if (Buttons()[i].get() == &b)
                return std::to_string(i);
        return "?";
    }
};

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A 12 × 6 skin: left column black, a black run in row 2, a grey face.
        m_skin.Bitmap24("skin.bmp", 12, 6, [](int32_t x, int32_t y) -> uint32_t {
                  return x == 0 || (y == 2 && x >= 4 && x <= 6) ? 0 : 0x406080;
              })
            .Bitmap24("big.bmp", 100, 80, [](int32_t, int32_t) { return 0x101010u; })
            .Bitmap8("bar.bmp", 20, 4, [](int32_t x, int32_t) { return x >= 10 ? 255u : 0u; })
            .Bitmap24("b.bmp", 30, 10, [](int32_t x, int32_t) { return 0x0000F0u + static_cast<uint32_t>(x / 10); })
            .Bitmap24("thumb.bmp", 10, 10, [](int32_t, int32_t) { return 0x00FF00u; })
            .FontStrip("font.bmp", 6, 8, 0, 255);
        m_archive = &m_skin.Open();
    }

    std::unique_ptr<RecordingWindow> MakeWindow()
    {
        return std::make_unique<RecordingWindow>(*m_archive, m_system.CreateWindow(platform::WindowKind::Main, nullptr));
    }
    static HeadlessWindowHost& Host(SkinWindow& w) { return static_cast<HeadlessWindowHost&>(w.Host()); }

    test::SkinArchive m_skin;
    ResourceArchive* m_archive = nullptr;
    platform::HeadlessWindowSystem m_system;
    test::ClipGuard m_clip;
};

TEST_F(SkinWindowTest, TheSkinGivesSizeCanvasAndOutline)
{
    auto window = MakeWindow();
    EXPECT_FALSE(window->LoadSkin("missing.bmp"));
    EXPECT_EQ(window->Canvas().width, 1);
    EXPECT_EQ(window->Background().height, 1);
    EXPECT_TRUE(window->Region().empty());
    ASSERT_TRUE(window->LoadSkin("skin.bmp"));
    EXPECT_EQ(Host(*window).ClientWidth(), 12);
    EXPECT_EQ(Host(*window).ClientHeight(), 6);
    EXPECT_EQ(window->Canvas().Pixel(5, 5), 0x406080u);
    // The black left column is outside; row 2 has a hole; equal rows merge.
    const std::vector<Rect> expected{{1, 0, 11, 1}, {1, 2, 3, 2}, {7, 2, 11, 2}, {1, 3, 11, 5}};
    EXPECT_EQ(window->Region(), expected);
    EXPECT_EQ(Host(*window).Shape(), expected);
    // A failed load later keeps what the window has.
    EXPECT_FALSE(window->LoadSkin("bar.bmp")); // 8-bit
    EXPECT_EQ(window->Canvas().width, 12);
    EXPECT_EQ(window->Region(), expected);
}

TEST_F(SkinWindowTest, BlitClipsAndWidensToFourPixels)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("skin.bmp"));
    HeadlessWindowHost& host = Host(*window);
    host.TakePresented();
    window->Blit(2, 1, 3, 1);
    window->Blit(10, 0, 11, 5);     // would pass the right edge: moves left
    window->Blit(-50, -50, 500, 2); // clipped to the image
    window->Blit(20, 20, 30, 30);   // outside: nothing
    window->Blit(5, 5, 4, 4);       // empty: nothing
    EXPECT_EQ(host.TakePresented(), (std::vector<Rect>{{2, 1, 5, 1}, {8, 0, 11, 5}, {0, 0, 11, 2}}));
    // Only presented pixels reach the screen.
    window->Canvas().SetPixel(9, 4, 0xFFFFFF);
    EXPECT_EQ(host.ScreenPixel(9, 4), 0x406080u);
    window->Blit(9, 4, 9, 4);
    EXPECT_EQ(host.ScreenPixel(9, 4), 0xFFFFFFu);
}

TEST_F(SkinWindowTest, TheMoveBarDragsTheWindowWhereItsMaskIsSet)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("big.bmp"));
    ASSERT_TRUE(window->LoadMoveBar("bar.bmp", {10, 10, 29, 13}));
    HeadlessWindowHost& host = Host(*window);
    host.Move({300, 200});
    host.Press(12, 11); // mask 0 there and for the next three bytes
    EXPECT_FALSE(window->MovingWindow());
    EXPECT_TRUE(host.Captured());
    host.Release(12, 11);
    EXPECT_FALSE(host.Captured());
    host.Press(17, 11); // mask 0 itself, but set three bytes to the right
    EXPECT_TRUE(window->MovingWindow());
    host.MoveTo(27, 15);
    EXPECT_EQ(host.Position(), (platform::Point{310, 204}));
    host.MoveTo(17, 11); // back under the grab point: no further move
    EXPECT_EQ(host.Position(), (platform::Point{310, 204}));
    host.Release(17, 11);
    host.MoveTo(40, 40);
    EXPECT_EQ(host.Position(), (platform::Point{310, 204}));
}

TEST_F(SkinWindowTest, ButtonsHearPressesReleasesAndHover)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("big.bmp"));
    SkinButton& first = window->AddButton({10, 10, 19, 19}, "b.bmp", 2, true);
    SkinButton& second = window->AddButton({15, 15, 24, 24}, "b.bmp", 3, true);
    SkinButton& off = window->AddButton({50, 50, 59, 59}, "b.bmp", 2, true);
    off.SetDisabled(true);
    HeadlessWindowHost& host = Host(*window);

    host.MoveTo(16, 16); // both hit: the first in list order is hovered
    EXPECT_EQ(window->Hovered(), &first);
    EXPECT_TRUE(first.Has(button::kOver));
    EXPECT_FALSE(second.Has(button::kOver));
    host.MoveTo(22, 22);
    EXPECT_FALSE(first.Has(button::kOver));
    EXPECT_TRUE(second.Has(button::kOver));
    EXPECT_EQ(window->Canvas().Pixel(22, 22), 0x0000F2u); // layout 3: over draws cell 2

    host.Press(12, 12);
    host.Release(40, 40);
    host.Click(17, 17);
    host.RightClick(17, 17);
    EXPECT_EQ(window->heard, (std::vector<std::string>{"pressed 0", "pressed 1", "released 0", "pressed 0", "pressed 1",
                                                       "clicked 0", "clicked 1", "right pressed 0", "right pressed 1",
                                                       "right released 0", "right released 1"}));
}

TEST_F(SkinWindowTest, ThumbDragsFollowThePointerWithinTwentyPixels)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("big.bmp"));
    auto owned = std::make_unique<SkinScrollBar>(*window, Rect{40, 10, 49, 59}, ScrollAxis::Vertical);
    owned->SetThumb(Image24(10, 1, 0x00FF00), 0); // a one-row tile: no rounding
    owned->SetRange(0, 4); // thumb 150 × 50 / 500 = 15; travel 35
    SkinScrollBar& bar = window->AddScrollBar(std::move(owned));
    ASSERT_EQ(bar.ThumbRect(0), (Rect{40, 10, 49, 24}));
    HeadlessWindowHost& host = Host(*window);

    host.Press(45, 12); // on the thumb: grabbed 2 pixels below its top
    EXPECT_EQ(window->DraggedBar(), &bar);
    host.MoveTo(45, 12 + 14); // thumb top at 24: (24 - 10) × 5 / 35 = 2
    EXPECT_EQ(bar.Position(), 2);
    host.MoveTo(45 + 20, 12 + 21); // 20 to the side still counts
    EXPECT_EQ(bar.Position(), 3);
    host.MoveTo(45 + 21 + 4, 30); // further: back to where the drag began
    EXPECT_EQ(bar.Position(), 0);
    host.Release(70, 30);
    EXPECT_EQ(window->DraggedBar(), nullptr);
    // A press beside the thumb centres it on the point at once.
    host.Press(45, 52);
    EXPECT_EQ(bar.Position(), 4); // (52 - 7 - 10) × 5 / 35 = 5, clamped
    host.Release(45, 52);
    EXPECT_EQ(window->heard, (std::vector<std::string>{"thumb 0 -> 2", "thumb 2 -> 3", "thumb 3 -> 0", "thumb 0 -> 4"}));
}

TEST_F(SkinWindowTest, ArrowsStartTheRepeatTimerAndReleaseEndsIt)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("big.bmp"));
    auto owned = std::make_unique<SkinScrollBar>(*window, Rect{40, 10, 49, 59}, ScrollAxis::Vertical);
    owned->SetRange(0, 10);
    owned->SetFirstArrow({40, 0, 49, 9}, "b.bmp", 5);
    owned->SetSecondArrow({40, 60, 49, 69}, "b.bmp", 5);
    SkinScrollBar& bar = window->AddScrollBar(std::move(owned));
    bar.SetPos(5);
    HeadlessWindowHost& host = Host(*window);
    host.Press(45, 5);
    EXPECT_TRUE(host.TimerRunning(kRepeatTimerId));
    EXPECT_EQ(host.TimerPeriod(kRepeatTimerId), 50u);
    host.FireTimer(kRepeatTimerId);
    host.FireTimer(kRepeatTimerId);
    host.Release(45, 5);
    EXPECT_FALSE(host.TimerRunning(kRepeatTimerId));
    EXPECT_FALSE(host.FireTimer(kRepeatTimerId));
    bar.SetPos(0); // the first arrow is disabled now and hears nothing
    host.Press(45, 5);
    host.Release(45, 5);
    EXPECT_EQ(window->heard, (std::vector<std::string>{"arrow first", "arrow second", "repeat 0 flag 7", "repeat 1 flag 7",
                                                       "repeat ended 2", "arrow second"}));
}

TEST_F(SkinWindowTest, LabelsDrawInTheFontAndBlitWithinTheClip)
{
    auto window = MakeWindow();
    ASSERT_TRUE(window->LoadSkin("big.bmp"));
    BitmapFont font;
    ASSERT_TRUE(font.LoadFont(*m_archive, "font.bmp", 0, 0, 0, 255));
    window->SetFont(&font);
    HeadlessWindowHost& host = Host(*window);
    host.TakePresented();
    BitmapFont::SetClip(0, 0, 30, 80);
    window->DrawLabel(20, 5, "ABCD", 0xFFFFFF, true);
    ASSERT_EQ(host.Presented().size(), 1u);
    const Rect shown = host.Presented()[0];
    EXPECT_EQ(shown.left, 20);
    EXPECT_EQ(shown.top, 5);
    EXPECT_EQ(shown.bottom, 12);
    EXPECT_EQ(shown.Width() % 4, 0);
    EXPECT_NE(host.ScreenPixel(20, 6), 0x101010u);
    window->DrawLabel(20, 30, "ABCD", 0xFFFFFF, false);
    EXPECT_EQ(host.Presented().size(), 1u);
}

} // namespace
} // namespace bm
