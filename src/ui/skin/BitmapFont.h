#pragma once

// Proportional bitmap fonts: a glyph strip (an 8-bit archive bitmap whose
// bytes are coverage, 0 none to 255 full) holding the cells of the codes
// firstChar ... lastChar side by side, blended into 24-bit pixel buffers in
// any colour. Each glyph's inked columns are measured once, at load time.
//
// Texts are UTF-8 (file names, hint texts), while a font covers 256 eight-bit
// codes drawn in the Windows-1252 order: TextWidth and DrawText map each
// character to its Windows-1252 code (Latin-1 and the punctuation in
// 0x80-0x9F) and characters outside that set to '?', so "Café.wav" draws as
// four glyphs and an accented letter, not as two garbage glyphs. A byte that
// is not part of valid UTF-8 is taken as a Windows-1252 code itself (texts
// from older archives). The *Codes forms take the 8-bit codes directly (the
// digit font's glyphs past the digits).
//
//     BitmapFont font;
//     font.LoadFont(archive, "western--14x12-8pt.bmp", 0, 0, 0, 255, 8, 1);
//     BitmapFont::SetClip(0, 0, 799, 600);
//     font.DrawText(10, 20, "Play", 0xFFFFFF, canvas.View());
//
// UI thread only: the clip rectangle is one setting shared by all fonts.

#include "ui/skin/Image.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace bm {

class ResourceArchive;

class BitmapFont {
public:
    // Loads the strip `entry` and measures every code. A cell width of 0
    // derives the cells from the strip: width / (lastChar - firstChar + 1)
    // by the strip's height. False (the font unchanged) when the strip is
    // missing or not an 8-bit bitmap, or when firstChar > lastChar.
    bool LoadFont(const ResourceArchive& archive, std::string_view entry, int32_t cellWidth, int32_t cellHeight,
                  uint8_t firstChar, uint8_t lastChar, uint8_t spaceWidth = 8, uint8_t spacing = 1);
    // The same from a strip already in memory (rows top-down).
    bool LoadFromStrip(Image8 strip, int32_t cellWidth, int32_t cellHeight, uint8_t firstChar, uint8_t lastChar,
                       uint8_t spaceWidth = 8, uint8_t spacing = 1);

    // Width in pixels: the glyph widths plus spacing between consecutive
    // characters (none after the last); 0 for an empty text.
    int32_t TextWidth(std::string_view utf8) const;
    int32_t CodesWidth(std::string_view codes) const;

    // Blends the text into the buffer at (x, y), inside the clip rectangle
    // and the buffer. Colour 0x00RRGGBB.
    void DrawText(int32_t x, int32_t y, std::string_view utf8, uint32_t colour, Pixels24 target) const;
    void DrawCodes(int32_t x, int32_t y, std::string_view codes, uint32_t colour, Pixels24 target) const;

    // The clip rectangle shared by all text drawing: columns left ... right
    // and rows top ... bottom - 1. Drawing code sets it before it draws.
    static void SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // The clip as an inclusive rectangle (rows top ... bottom - 1).
    static Rect ClipRect();
    // No clip but the target buffer's own edges.
    static void ResetClip();

    bool Loaded() const { return !m_strip.Empty(); }
    int32_t CellWidth() const { return m_cellWidth; }
    int32_t CellHeight() const { return m_cellHeight; }
    uint8_t FirstChar() const { return m_firstChar; }
    uint8_t LastChar() const { return m_lastChar; }
    uint8_t GlyphLeft(uint8_t code) const { return m_glyphLeft[code]; }
    uint8_t GlyphWidth(uint8_t code) const { return m_glyphWidth[code]; }
    uint8_t SpaceWidth() const { return m_spaceWidth; }
    uint8_t Spacing() const { return m_spacing; }
    const Image8& Strip() const { return m_strip; }

private:
    Image8 m_strip; // stripWidth 1 and stripHeight 0 until loaded
    int32_t m_cellWidth = 1;
    int32_t m_cellHeight = 0;
    uint8_t m_firstChar = 0;
    uint8_t m_lastChar = 0;
    std::array<uint8_t, 256> m_glyphLeft{};
    std::array<uint8_t, 256> m_glyphWidth{};
    uint8_t m_spaceWidth = 8;
    uint8_t m_spacing = 1;
};

// UTF-8 text as Windows-1252 codes (see BitmapFont).
std::string ToWindows1252(std::string_view utf8);

} // namespace bm
