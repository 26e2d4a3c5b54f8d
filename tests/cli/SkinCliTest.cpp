#include "ui/skin/Bitmap.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/SkinManifest.h"

#include "support/ArchiveImage.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::BitmapImage;
using test::RunCli;

// A strip of 256 cells of 5 × 7 whose glyph for code c is inked in the
// columns 0 .. c % 3 of rows 0-5 (codes below 33 blank).
std::string FontStrip(int32_t cellWidth, int32_t cellHeight, int first, int last)
{
    return BitmapImage({cellWidth * (last - first + 1), cellHeight, 8, true, false, [=](int32_t x, int32_t y) -> uint32_t {
                            const int code = first + x / cellWidth;
                            return code >= 33 && y < cellHeight - 1 && x % cellWidth <= code % 3 ? 255 : 0;
                        }});
}

std::string Bitmap(int32_t w, int32_t h, uint16_t bits)
{
    return BitmapImage({w, h, bits, true, false, [](int32_t x, int32_t y) { return 0x404040u + static_cast<uint32_t>(x + y); }});
}

// Every entry the program loads, each in the form it needs.
std::vector<test::ImageEntry> CompleteSkin()
{
    std::vector<test::ImageEntry> entries;
    std::string hints;
    for (const HintKey& key : HintKeys())
        hints += std::string(key.key) + "0xA0A0A0 0x606060 0x0 \"" + std::string(key.key.substr(1)) + "\" 1\r\n";
    for (const SkinEntry& entry : SkinManifest()) {
        std::string data;
        switch (entry.kind) {
        case SkinEntryKind::Bitmap24: data = Bitmap(8, 4, 24); break;
        case SkinEntryKind::Bitmap8: data = Bitmap(8, 4, 8); break;
        case SkinEntryKind::Font:
            data = entry.font.cellWidth ? FontStrip(entry.font.cellWidth, entry.font.cellHeight, entry.font.firstChar, entry.font.lastChar)
                                        : FontStrip(5, 7, 0, 255);
            break;
        case SkinEntryKind::Menu: data = "MENUITEM \"Open\", \"Ctrl+O\", 131, 1, -1, 0\r\nSEPARATOR\r\nPOPUP \"More\", \"more.res\", 1, -1\r\n"; break;
        case SkinEntryKind::Hints: data = hints; break;
        case SkinEntryKind::TextList:
            for (int i = 0; i < std::max(entry.lines, 1); ++i)
                data += "Line " + std::to_string(i + 1) + "\r\n";
            break;
        case SkinEntryKind::Sound: data = std::string("RIFF\x24\0\0\0WAVEfmt ", 16); break;
        case SkinEntryKind::NoteOrder: data = "C\r\nC#\r\nD\r\n"; break;
        }
        entries.push_back({std::string(entry.name), data});
    }
    entries.push_back({"more.res", "MENUITEM \"Inner\", \"\", 7, 0, 1, -1\r\n"});
    return entries;
}

class SkinCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set";
        m_archive = m_dir / "skin.wad";
        ASSERT_TRUE(test::WriteFile(m_archive, test::ArchiveImage("WADn", CompleteSkin())));
    }
    test::TempDir m_dir;
    std::string m_archive;
};

TEST_F(SkinCliTest, MenusHintsAndTextsAreShownAsTheProgramReadsThem)
{
    auto menu = RunCli({"skin", "menu", m_archive, "main_menu.res", "--json"});
    ASSERT_EQ(menu.status, 0) << menu.err;
    EXPECT_NE(menu.out.find("\"command\":1155"), std::string::npos) << menu.out;
    EXPECT_NE(menu.out.find("\"sub_menu\":{\"entry\":\"more.res\""), std::string::npos) << menu.out;
    EXPECT_NE(menu.out.find("\"text\":\"Inner\""), std::string::npos);
    auto plain = RunCli({"skin", "menu", m_archive, "main_menu.res"});
    EXPECT_EQ(plain.out.substr(0, 5), "1155\t");

    auto hints = RunCli({"skin", "hints", m_archive});
    ASSERT_EQ(hints.status, 0) << hints.err;
    EXPECT_EQ(std::count(hints.out.begin(), hints.out.end(), '\n'), 60);
    EXPECT_NE(hints.out.find("%TIME \tfound\t0xA0A0A0\t0x606060\t0x0\t1\t\"TIME \"\n"), std::string::npos) << hints.out;

    auto texts = RunCli({"skin", "texts", m_archive, "Options.res", "--json"});
    ASSERT_EQ(texts.status, 0) << texts.err;
    EXPECT_NE(texts.out.find("\"lines_taken\":32"), std::string::npos);
    EXPECT_NE(texts.out.find("\"Line 32\"]"), std::string::npos) << texts.out;

    auto missing = RunCli({"skin", "texts", m_archive, "nothing.res"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no entry \"nothing.res\""), std::string::npos);
    auto usage = RunCli({"skin", "menu"});
    EXPECT_EQ(usage.status, 2);
}

TEST_F(SkinCliTest, FontsAreMeasuredAndTextsAndMenusRendered)
{
    auto font = RunCli({"skin", "font", m_archive, "western--14x12-8pt.bmp", "--json"});
    ASSERT_EQ(font.status, 0) << font.err;
    EXPECT_NE(font.out.find("\"cell_width\":5,\"cell_height\":7"), std::string::npos) << font.out;
    EXPECT_NE(font.out.find("{\"code\":65,\"left\":0,\"width\":3}"), std::string::npos); // 65 % 3 = 2
    EXPECT_NE(font.out.find("{\"code\":32,\"left\":0,\"width\":8}"), std::string::npos);
    auto digits = RunCli({"skin", "font", m_archive, "DF 26X12 8pt.BMP"});
    ASSERT_EQ(digits.status, 0) << digits.err;
    EXPECT_EQ(digits.out.substr(0, digits.out.find('\n')), "strip 2132 x 12, cells 26 x 12, codes 48-129");
    auto badCell = RunCli({"skin", "font", m_archive, "western--14x12-8pt.bmp", "--cell", "5"});
    EXPECT_EQ(badCell.status, 2);

    auto width = RunCli({"skin", "text-width", m_archive, "western--14x12-8pt.bmp", "AB"});
    ASSERT_EQ(width.status, 0) << width.err;
    EXPECT_EQ(width.out, "5\n"); // 3 + 1 + 1
    auto cafe = RunCli({"skin", "text-width", m_archive, "western--14x12-8pt.bmp", "Caf\xC3\xA9"});
    EXPECT_EQ(cafe.out, std::to_string(2 + 2 + 1 + 3 + 3) + "\n"); // C a f é (67 97 102 233) and three gaps

    const std::string text = m_dir / "text.bmp";
    auto drawn = RunCli({"skin", "render-text", m_archive, "western--14x12-8pt.bmp", "AB", text});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    ResourceArchive images;
    const std::string imagesPath = m_dir / "images.wad";
    ASSERT_TRUE(test::WriteFile(imagesPath, test::ArchiveImage("WADn", {{"text.bmp", test::ReadFile(text)}})));
    ASSERT_TRUE(images.Open(imagesPath, ArchiveAccess::ReadOnly));
    std::vector<uint8_t> pixels;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(LoadBitmap24(images, "text.bmp", &pixels, &w, &h));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 7);
    EXPECT_EQ(pixels[0], 0xFE); // full coverage, one step short of white
    EXPECT_EQ(pixels[3 * 3], 0x00); // the gap between the glyphs

    const std::string menuPath = m_dir / "menu.bmp";
    auto menu = RunCli({"skin", "render-menu", m_archive, "main_menu.res", menuPath, "--json"});
    ASSERT_EQ(menu.status, 0) << menu.err;
    EXPECT_NE(menu.out.find("\"height\":" + std::to_string(19 + 8 + 19 + 2)), std::string::npos) << menu.out;
    EXPECT_EQ(test::ReadFile(menuPath).substr(0, 2), "BM");
    auto over = RunCli({"skin", "render-menu", m_archive, "main_menu.res", m_archive});
    EXPECT_EQ(over.status, 1);
}

TEST_F(SkinCliTest, CheckPassesACompleteSkinAndNamesWhatIsWrong)
{
    auto good = RunCli({"skin", "check", m_archive});
    EXPECT_EQ(good.status, 0) << good.out << good.err;
    EXPECT_NE(good.out.find(std::to_string(SkinManifest().size()) + " entries: 0 missing, 0 malformed"), std::string::npos);

    std::vector<test::ImageEntry> entries = CompleteSkin();
    std::erase_if(entries, [](const test::ImageEntry& e) { return e.name == "icon19.bmp"; });
    for (test::ImageEntry& e : entries) {
        if (e.name == "movebar.bmp")
            e.data = Bitmap(8, 4, 24);
        if (e.name == "main_menu.res")
            e.data += "POPUP \"Gone\", \"gone.res\", 1, 0\r\n";
    }
    const std::string broken = m_dir / "broken.wad";
    ASSERT_TRUE(test::WriteFile(broken, test::ArchiveImage("WADn", entries)));
    auto bad = RunCli({"skin", "check", broken});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("MISSING\tbitmap24\ticon19.bmp\tmissing"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("BAD\tbitmap8\tmovebar.bmp\tis 24-bit"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("gone.res"), std::string::npos);
    EXPECT_NE(bad.err.find("1 entries missing and 2 malformed"), std::string::npos) << bad.err;
    auto json = RunCli({"skin", "check", broken, "--json"});
    EXPECT_NE(json.out.find("\"missing\":1,\"malformed\":2"), std::string::npos) << json.out;
}

} // namespace
} // namespace bm
