#include "ui/skin/HintDisplay.h"

#include "ui/skin/BitmapFont.h"
#include "ui/skin/SkinWindow.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace bm {
namespace {

constexpr uint32_t kFace = 0x303030;

class HintDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_skin.Bitmap24("skin.bmp", 120, 40, [](int32_t, int32_t) { return kFace; })
            .FontStrip("font.bmp", 6, 8, 0, 255)
            .Add("hints.dat", "%TRANS_PLAY 0x0000FF 0x00FF00 0x0 \"Play it\" 4\r\n"
                              "%TRANS_STOP 0xFF0000 0x0 0x0 \"Stop it\" 0\r\n");
        ResourceArchive& archive = m_skin.Open();
        ASSERT_TRUE(m_font.LoadFont(archive, "font.bmp", 0, 0, 0, 255));
        m_window = std::make_unique<SkinWindow>(archive, m_system.CreateWindow(platform::WindowKind::Main, nullptr));
        ASSERT_TRUE(m_window->LoadSkin("skin.bmp"));
        m_table = std::make_unique<StringTable>(archive);
        m_table->LookUpHint("%TRANS_PLAY ", {0, 0, 9, 9}, 1);
        m_table->LookUpHint("%TRANS_STOP ", {10, 0, 19, 9}, 1);
        m_display = std::make_unique<HintDisplay>(*m_window, *m_table, m_font, Rect{0, 20, 119, 35});
    }

    // The colours present in the hint area of the presented image.
    std::set<uint32_t> AreaColours()
    {
        auto& host = static_cast<platform::HeadlessWindowHost&>(m_window->Host());
        std::set<uint32_t> colours;
        for (int32_t y = 20; y <= 35; ++y)
            for (int32_t x = 0; x <= 119; ++x)
                colours.insert(host.ScreenPixel(x, y));
        return colours;
    }

    test::SkinArchive m_skin;
    test::ClipGuard m_clip;
    BitmapFont m_font;
    platform::HeadlessWindowSystem m_system;
    std::unique_ptr<SkinWindow> m_window;
    std::unique_ptr<StringTable> m_table;
    std::unique_ptr<HintDisplay> m_display;
};

TEST_F(HintDisplayTest, ShowsTheRecordUnderThePointerInItsColour)
{
    m_display->Tick(Point{5, 5}, nullptr);
    ASSERT_TRUE(m_display->Shown());
    EXPECT_EQ(m_display->Shown()->text, "Play it");
    // 0x0000FF as the file writes it (blue, green, red) is red on the screen
    // (full coverage stops one step short of it).
    EXPECT_TRUE(AreaColours().count(0xFE0000));
    m_display->Tick(Point{50, 5}, nullptr); // over nothing: cleared (style 4 slides out)
    EXPECT_TRUE(m_display->EffectRunning());
    int ticks = 1;
    while (m_display->EffectRunning() && ticks < 20) {
        m_display->Tick(Point{50, 5}, nullptr);
        ++ticks;
    }
    EXPECT_LE(ticks, 10);
    EXPECT_FALSE(m_display->Shown());
    EXPECT_EQ(AreaColours(), (std::set<uint32_t>{kFace}));
}

TEST_F(HintDisplayTest, WithoutAnimationTheAreaClearsAtOnce)
{
    m_display->SetAnimation(false);
    m_display->Tick(Point{5, 5}, nullptr);
    m_display->Tick(Point{15, 5}, nullptr);
    EXPECT_FALSE(m_display->EffectRunning());
    ASSERT_TRUE(m_display->Shown());
    EXPECT_EQ(m_display->Shown()->text, "Stop it");
    EXPECT_TRUE(AreaColours().count(0x0000FE));
    EXPECT_FALSE(AreaColours().count(0xFE0000));
}

TEST_F(HintDisplayTest, EveryEffectEndsWithinTenTicksOnTheNewText)
{
    for (int style = 0; style <= 7; ++style) {
        HintRecord old = m_table->Records()[0];
        old.key = "%OLD ";
        old.clearStyle = style;
        m_display->Tick(std::nullopt, &old);
        for (int i = 0; i < 12; ++i)
            m_display->Tick(std::nullopt, &old);
        HintRecord channel = m_table->Records()[1];
        channel.key = "%CHANNEL_SWITCH ";
        channel.text = FillHintText("Channel # on~off", "03", 0);
        int ticks = 0;
        do {
            m_display->Tick(Point{5, 5}, &channel); // the channel text wins over the hint under the pointer
            ++ticks;
        } while (m_display->EffectRunning() && ticks < 20);
        EXPECT_LE(ticks, 10) << "style " << style;
        ASSERT_TRUE(m_display->Shown());
        EXPECT_EQ(m_display->Shown()->text, "Channel 03 on");
        EXPECT_FALSE(AreaColours().count(0xFE0000)) << "style " << style;
    }
}

TEST_F(HintDisplayTest, AStatusTextStandsForItsTicks)
{
    m_display->SetAnimation(false);
    m_display->ShowStatus("Saved", 0x00FF00, 3);
    for (int i = 0; i < 3; ++i) {
        m_display->Tick(Point{5, 5}, nullptr);
        EXPECT_EQ(m_display->Shown()->text, "Saved");
    }
    EXPECT_EQ(m_display->StatusTicksLeft(), 0);
    m_display->Tick(Point{5, 5}, nullptr);
    EXPECT_EQ(m_display->Shown()->text, "Play it");
}

} // namespace
} // namespace bm
