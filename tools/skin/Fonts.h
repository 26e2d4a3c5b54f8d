#pragma once

// The four bitmap fonts of the window: glyph strips of 8-bit coverage, one
// cell per character code, rasterised with FreeType from DejaVu.
//
// The window measures each glyph by its inked columns and puts one blank
// column between glyphs. So that text keeps the typeface's own spacing, each
// cell also carries two pixels of coverage 1 (invisible: the blend moves a
// channel by less than one level) at the pen position and just before the
// next pen position; the measured width plus the one blank column is then
// the glyph's advance. The faintest columns of anti-aliasing at a glyph's
// sides are dropped, or every glyph would be a pixel wider than its advance.
// Blanks get the same two pixels, so a space is as wide as the typeface's
// space rather than the window's fallback.

#include "Art.h"
#include "Type.h"

#include "ui/main/Layout.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm::art {

// A strip as the window reads it, with the same measuring and blending, so
// that the previews show text exactly as the program will.
struct StripFont {
    std::vector<uint8_t> pixels; // rows top-down
    int32_t stripWidth = 0, stripHeight = 0;
    int32_t cellWidth = 0, cellHeight = 0;
    uint8_t firstChar = 0, lastChar = 255, spaceWidth = 8, spacing = 1;
    std::array<uint8_t, 256> glyphLeft{}, glyphWidth{};

    void Measure();
    int32_t TextWidth(std::string_view cp1252) const;
    void Draw(Image& img, int32_t x, int32_t y, std::string_view cp1252, Rgb colour) const;
};

// Draws the strip of one font of the layout table; false when a face is missing.
bool RenderFont(const layout::FontSpec& look, Faces& faces, StripFont& font);

// All four, in the order of the layout table, added as entries and kept.
using FontSet = std::array<StripFont, 4>;
bool MakeFonts(Output& out, Faces& faces, FontSet& fonts, std::string& failure);

} // namespace bm::art
