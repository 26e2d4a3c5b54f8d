#include "ui/skin/BitmapFont.h"

#include "ui/skin/PixelOps.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::SkinArchive;

class BitmapFontTest : public ::testing::Test {
protected:
    test::ClipGuard m_clip;
};

TEST_F(BitmapFontTest, MeasuresCellsAndGlyphsAsLoaded)
{
    SkinArchive skin;
    skin.FontStrip("wide.bmp", 10, 6, 0, 255).FontStrip("digits.bmp", 26, 12, 48, 129).Add("text.bmp", "not a bitmap");
    ResourceArchive& archive = skin.Open();

    BitmapFont font;
    ASSERT_TRUE(font.LoadFont(archive, "wide.bmp", 0, 0, 0, 255, 8, 1));
    EXPECT_EQ(font.CellWidth(), 10); // 2560 / 256
    EXPECT_EQ(font.CellHeight(), 6);
    EXPECT_EQ(font.GlyphLeft('A'), 1);
    EXPECT_EQ(font.GlyphWidth('A'), SkinArchive::GlyphInk('A'));
    // Blank cells (the space among them) advance by the space width.
    EXPECT_EQ(font.GlyphLeft(' '), 0);
    EXPECT_EQ(font.GlyphWidth(' '), 8);
    EXPECT_EQ(font.TextWidth("A"), SkinArchive::GlyphInk('A'));
    EXPECT_EQ(font.TextWidth(" "), 8);
    EXPECT_EQ(font.TextWidth("A A"), 2 * SkinArchive::GlyphInk('A') + 8 + 2);
    EXPECT_EQ(font.TextWidth(""), 0);

    BitmapFont digits;
    ASSERT_TRUE(digits.LoadFont(archive, "digits.bmp", 26, 12, 48, 129, 8, 1));
    EXPECT_EQ(digits.CellWidth(), 26);
    EXPECT_EQ(digits.GlyphWidth('2'), SkinArchive::GlyphInk('2'));
    EXPECT_EQ(digits.GlyphWidth('/'), 8); // below the range
    EXPECT_EQ(digits.GlyphWidth(200), 8); // above it

    // Failures leave the font as it was.
    EXPECT_FALSE(digits.LoadFont(archive, "missing.bmp", 0, 0, 0, 255));
    EXPECT_FALSE(digits.LoadFont(archive, "text.bmp", 0, 0, 0, 255));
    EXPECT_FALSE(digits.LoadFont(archive, "wide.bmp", 0, 0, 200, 100));
    EXPECT_EQ(digits.CellWidth(), 26);
}

TEST_F(BitmapFontTest, BlendsFloorwardsSoFullCoverageStopsShortOfTheColour)
{
    Image8 strip;
    strip.width = 3;
    strip.height = 1;
    strip.pixels = {255, 128, 1};
    BitmapFont font;
    ASSERT_TRUE(font.LoadFromStrip(strip, 3, 1, 'a', 'a', 8, 1));
    Image24 canvas(3, 1, 0x808080);
    font.DrawText(0, 0, "a", 0xFF0000, canvas.View());
    // d + ((c - d) * a) / 256 rounded toward minus infinity, per channel.
    EXPECT_EQ(canvas.Pixel(0, 0) >> 16, 0xFEu);       // 128 + (127 * 255) / 256 = 254
    EXPECT_EQ(canvas.Pixel(0, 0) & 0xFF, 0u);         // 128 + floor(-128 * 255 / 256) = 0
    EXPECT_EQ(canvas.Pixel(1, 0) >> 16, 0xBFu);       // 128 + (127 * 128) / 256 = 191
    EXPECT_EQ(canvas.Pixel(1, 0) & 0xFF, 0x40u);      // 128 - 64
    EXPECT_EQ(canvas.Pixel(2, 0) & 0xFF, 0x7Fu);      // 128 + floor(-0.5) = 127
    EXPECT_EQ(canvas.Pixel(2, 0) >> 16, 0x80u);       // 128 + floor(0.49) = 128
}

TEST_F(BitmapFontTest, TextOutsideTheClipOrTheBufferChangesNoPixel)
{
    SkinArchive skin;
    skin.FontStrip("f.bmp", 8, 6, 0, 255);
    BitmapFont font;
    ASSERT_TRUE(font.LoadFont(skin.Open(), "f.bmp", 0, 0, 0, 255));
    Image24 canvas(40, 12);
    BitmapFont::SetClip(5, 3, 20, 7); // columns 5..20, rows 3..6
    font.DrawText(-3, 1, "ABCDEFGHIJKL", 0xFFFFFF, canvas.View());
    bool inside = false;
    for (int32_t y = 0; y < canvas.height; ++y) {
        for (int32_t x = 0; x < canvas.width; ++x) {
            const bool inClip = x >= 5 && x <= 20 && y >= 3 && y <= 6;
            if (!inClip) {
                ASSERT_EQ(canvas.Pixel(x, y), 0u) << x << "," << y;
            }
            inside = inside || canvas.Pixel(x, y) != 0;
        }
    }
    EXPECT_TRUE(inside);
    // Far outside the buffer, in every direction.
    BitmapFont::ResetClip();
    for (Point at : {Point{-1000, 0}, Point{1000, 0}, Point{0, -1000}, Point{0, 1000}, Point{INT32_MAX - 3, INT32_MAX - 3}})
        font.DrawText(at.x, at.y, "WWWW", 0x00FF00, canvas.View());
    Image24 untouched(40, 12);
    BitmapFont::SetClip(5, 3, 20, 7);
    font.DrawText(-3, 1, "ABCDEFGHIJKL", 0xFFFFFF, untouched.View());
    EXPECT_EQ(canvas.pixels, untouched.pixels);
    EXPECT_EQ(BitmapFont::ClipRect(), (Rect{5, 3, 20, 6}));
}

TEST_F(BitmapFontTest, Utf8TextsDrawInWindows1252Codes)
{
    EXPECT_EQ(ToWindows1252("Caf\xC3\xA9.wav"), "Caf\xE9.wav");
    EXPECT_EQ(ToWindows1252("\xE2\x82\xAC 5"), "\x80 5");           // euro sign
    EXPECT_EQ(ToWindows1252("\xE2\x80\x94"), "\x97");               // em dash
    EXPECT_EQ(ToWindows1252("\xC5\x93"), "\x9C");                   // oe ligature
    EXPECT_EQ(ToWindows1252("\xF0\x9F\x8E\xB5x"), "?x");            // outside the set
    EXPECT_EQ(ToWindows1252("\xC2\x81"), "?");                      // a C1 control
    EXPECT_EQ(ToWindows1252("a\xE9z"), "a\xE9z");                   // a stray byte keeps its code
    EXPECT_EQ(ToWindows1252("\xE2\x82"), "\xE2\x82");               // cut short
    EXPECT_EQ(ToWindows1252("\xC0\xAF"), "\xC0\xAF");               // overlong
    EXPECT_EQ(ToWindows1252("\xED\xA0\x80"), "\xED\xA0\x80");       // a surrogate

    SkinArchive skin;
    skin.FontStrip("f.bmp", 8, 6, 0, 255);
    BitmapFont font;
    ASSERT_TRUE(font.LoadFont(skin.Open(), "f.bmp", 0, 0, 0, 255));
    EXPECT_EQ(font.TextWidth("Caf\xC3\xA9"), font.CodesWidth("Caf\xE9"));
    Image24 a(40, 6), b(40, 6);
    font.DrawText(0, 0, "Caf\xC3\xA9", 0xFFFFFF, a.View());
    font.DrawCodes(0, 0, "Caf\xE9", 0xFFFFFF, b.View());
    EXPECT_EQ(a.pixels, b.pixels);
}

} // namespace
} // namespace bm
