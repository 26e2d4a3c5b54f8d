// Damages about 1% of the bytes of valid skin texts and strips, 100 rounds,
// and uses whatever results: menus load, lay out and draw inside their
// canvas, hint lines give records, fonts draw inside their target.

#include "ui/skin/BitmapFont.h"
#include "ui/skin/PopupMenu.h"
#include "ui/skin/SkinManifest.h"
#include "ui/skin/StringTable.h"
#include "ui/skin/ArchiveText.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

std::string Damaged(std::string bytes, std::mt19937& random)
{
    std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (size_t i = 0; i < bytes.size() / 100 + 1; ++i)
        bytes[at(random)] = static_cast<char>(value(random));
    return bytes;
}

TEST(SkinMutationTest, DamagedMenusHintsAndStripsNeverReachOutside)
{
    const std::string menu = "TILEBMP \"tile.bmp\"\r\nICONBMP \"icons.bmp\", 16, 16\r\n"
                             "MENUITEM \"Open...\", \"Ctrl+O\", 131, 1, -1, 3\r\nSEPARATOR\r\n"
                             "POPUP \"Recent\", \"menu.res\", 1, 2\r\nPOPUP \"More\", \"sub.res\", 1, 1\r\n"
                             "MENUITEM \"Loop\", \"Ctrl+Space\", 209, 1, 1, 4\r\n";
    const std::string sub = "MENUITEM \"Inner\", \"\", 7, 1, 0, 0\r\nSEPARATOR\r\nPOPUP \"Back\", \"menu.res\", 1, 0\r\n";
    const std::string hints = "%TRANS_PLAY 0xA0A0A0 0x606060 0x0 \"Play # ~ stop\" 3\r\n%TIME 0xFFFFFF 0x0 0x0 \"Time\" 1\r\n";
    std::mt19937 random(20240611);
    for (int round = 0; round < 100; ++round) {
        test::SkinArchive skin;
        skin.Add("menu.res", Damaged(menu, random))
            .Add("sub.res", Damaged(sub, random))
            .Add("hints.dat", Damaged(hints, random))
            .Add("tile.bmp", Damaged(test::BitmapImage({5, 3, 8, true, false, [](int32_t x, int32_t) { return x * 50u; }}), random))
            .Add("icons.bmp", Damaged(test::BitmapImage({80, 32, 24, true, false, [](int32_t x, int32_t y) { return 1u + x * y; }}), random))
            .Add("font.bmp", Damaged(test::BitmapImage({6 * 256, 8, 8, true, false, [](int32_t x, int32_t y) { return (x ^ y) & 0xFFu; }}), random));
        ResourceArchive& archive = skin.Open();
        BitmapFont font;
        font.LoadFont(archive, "font.bmp", 0, 0, 0, 255);
        platform::HeadlessWindowSystem system;
        platform::RecordingMessagePort port;
        PopupMenu popup(archive, system, nullptr, port, font);
        if (popup.Load("menu.res", KeepEveryItem{})) {
            popup.Layout();
            const Image24& canvas = popup.Canvas();
            ASSERT_EQ(canvas.pixels.size(), static_cast<size_t>(canvas.width) * static_cast<size_t>(canvas.height) * 3);
        }
        for (const HintKey& key : HintKeys()) {
            HintRecord record;
            std::string text;
            ReadTextEntry(archive, "hints.dat", text);
            FindHint(text, key.key, record);
        }
        Image24 target(20, 10, 0x333333);
        BitmapFont::SetClip(2, 2, 15, 8);
        font.DrawText(-4, -1, Damaged("Menu item text", random), 0xFFFFFF, target.View());
        BitmapFont::ResetClip();
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 20; ++x)
                if (x < 2 || x > 15 || y < 2 || y > 7) {
                    ASSERT_EQ(target.Pixel(x, y), 0x333333u) << "round " << round;
                }
    }
}

} // namespace
} // namespace bm
