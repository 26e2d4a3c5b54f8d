#include "Fonts.h"

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

using layout::FontId;

struct TextFace {
    Typeface* face;
    int32_t ppem;
    int32_t cellWidth, cellHeight;
    int32_t baseline; // row of the baseline: rows above it hold the ascent
};

TextFace FaceFor(FontId id, Faces& faces)
{
    switch (id) {
    case FontId::Text8: return {&faces.sans, 11, 14, 12, 9};
    case FontId::Text9: return {&faces.sans, 12, 14, 13, 10};
    case FontId::Bold: return {&faces.sansBold, 11, 12, 14, 11};
    case FontId::Digits: return {&faces.monoBold, 16, 26, 12, 12};
    }
    return {&faces.sans, 11, 14, 12, 9};
}

void Put(StripFont& font, int32_t x, int32_t y, uint8_t value)
{
    if (x < 0 || y < 0 || x >= font.stripWidth || y >= font.stripHeight)
        return;
    uint8_t& p = font.pixels[static_cast<size_t>(y * font.stripWidth + x)];
    p = std::max(p, value);
}

// Columns at a glyph's sides whose strongest coverage is below this are
// dropped: at 8 and 9 points they are the faint fringe of anti-aliasing
// that would otherwise push the next glyph a whole pixel away.
constexpr uint8_t kFringe = 72;

// Places a glyph in cell `index` with its pen position as far left as its ink
// allows, plus the two spacing pixels.
void PlaceGlyph(StripFont& font, int32_t index, Glyph g, int32_t baseline, bool spacers)
{
    auto columnMax = [&g](int32_t x) {
        uint8_t m = 0;
        for (int32_t y = 0; y < g.height; ++y)
            m = std::max(m, g.coverage[static_cast<size_t>(y * g.width + x)]);
        return m;
    };
    int32_t first = 0, last = g.width - 1;
    while (first < last && columnMax(first) < kFringe)
        ++first;
    while (last > first && columnMax(last) < kFringe)
        --last;
    const int32_t cellLeft = index * font.cellWidth;
    const int32_t inkLeft = g.left + first;
    const int32_t pen = std::max(0, -inkLeft);
    for (int32_t j = 0; j < g.height; ++j)
        for (int32_t i = first; i <= last; ++i) {
            const int32_t x = pen + g.left + i;
            if (x >= font.cellWidth)
                continue; // wider than the cell: cut rather than spill into the next
            Put(font, cellLeft + x, baseline - g.top + j, g.coverage[static_cast<size_t>(j * g.width + i)]);
        }
    if (spacers && g.advance >= 2) {
        Put(font, cellLeft + pen, 0, 1);
        Put(font, cellLeft + std::min(pen + g.advance - 2, font.cellWidth - 1), 0, 1);
    }
}

// The display digits: seven segments of two-pixel strokes in an 8 × 12 box.
void SevenSegment(StripFont& font, int32_t index, const bool seg[7])
{
    const float x0 = 1.0f, x1 = 7.0f, y0 = 1.0f, ym = 6.0f, y1 = 11.0f, hw = 0.95f, gap = 1.1f;
    const float ends[7][4] = {
        {x0 + gap, y0, x1 - gap, y0}, {x1, y0 + gap, x1, ym - gap}, {x1, ym + gap, x1, y1 - gap},
        {x0 + gap, y1, x1 - gap, y1}, {x0, ym + gap, x0, y1 - gap}, {x0, y0 + gap, x0, ym - gap},
        {x0 + gap, ym, x1 - gap, ym},
    };
    Image cell(8, 12, {}, 0.0f);
    for (int s = 0; s < 7; ++s)
        if (seg[s])
            Fill(cell, Segment(ends[s][0], ends[s][1], ends[s][2], ends[s][3], hw), {0, 0, 7, 11}, Solid({1, 1, 1}));
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 8; ++x)
            Put(font, index * font.cellWidth + x, y, static_cast<uint8_t>(std::lround(cell.Alpha(x, y) * 255.0f)));
    // Every digit is measured 8 wide, the same as a blank.
    Put(font, index * font.cellWidth, 0, 1);
    Put(font, index * font.cellWidth + 7, 0, 1);
}

void Dots(StripFont& font, int32_t index, std::initializer_list<int32_t> rows)
{
    for (int32_t row : rows) {
        Image cell(2, 12, {}, 0.0f);
        Fill(cell, RoundBox({0, static_cast<float>(row), 2, static_cast<float>(row) + 2}, 0.7f), {0, 0, 1, 11}, Solid({1, 1, 1}));
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 2; ++x)
                Put(font, index * font.cellWidth + x, y, static_cast<uint8_t>(std::lround(cell.Alpha(x, y) * 255.0f)));
    }
}

} // namespace

void StripFont::Measure()
{
    for (int code = 0; code < 256; ++code) {
        glyphLeft[static_cast<size_t>(code)] = 0;
        glyphWidth[static_cast<size_t>(code)] = spaceWidth;
        if (code < firstChar || code > lastChar)
            continue;
        const int32_t left = (code - firstChar) * cellWidth;
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < cellWidth; ++x) {
            bool ink = false;
            for (int32_t y = 0; y < cellHeight && !ink; ++y)
                ink = pixels[static_cast<size_t>(y * stripWidth + left + x)] != 0;
            if (ink) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first >= 0) {
            glyphLeft[static_cast<size_t>(code)] = static_cast<uint8_t>(first);
            glyphWidth[static_cast<size_t>(code)] = static_cast<uint8_t>(last - first + 1);
        }
    }
}

int32_t StripFont::TextWidth(std::string_view text) const
{
    int32_t width = 0;
    for (size_t i = 0; i < text.size(); ++i)
        width += glyphWidth[static_cast<uint8_t>(text[i])] + (i + 1 < text.size() ? spacing : 0);
    return width;
}

void StripFont::Draw(Image& img, int32_t x, int32_t y, std::string_view text, Rgb colour) const
{
    for (char ch : text) {
        const auto code = static_cast<uint8_t>(ch);
        const int32_t w = glyphWidth[code];
        if (code >= firstChar && code <= lastChar) {
            const int32_t left = (code - firstChar) * cellWidth + glyphLeft[code];
            for (int32_t j = 0; j < cellHeight; ++j)
                for (int32_t i = 0; i < w; ++i) {
                    const uint8_t a = pixels[static_cast<size_t>(j * stripWidth + left + i)];
                    if (a && img.Inside(x + i, y + j))
                        // The window divides the coverage by 256, never quite
                        // reaching the colour; the preview does the same.
                        img.Over(x + i, y + j, colour, static_cast<float>(a) / 256.0f);
                }
        }
        x += w + spacing;
    }
}

bool RenderFont(const layout::FontSpec& look, Faces& faces, StripFont& font)
{
    const TextFace tf = FaceFor(look.id, faces);
    const int32_t codes = look.lastChar - look.firstChar + 1;
    font.cellWidth = tf.cellWidth;
    font.cellHeight = tf.cellHeight;
    font.stripWidth = tf.cellWidth * codes;
    font.stripHeight = tf.cellHeight;
    font.firstChar = look.firstChar;
    font.lastChar = look.lastChar;
    font.spaceWidth = look.spaceWidth;
    font.spacing = look.spacing;
    font.pixels.assign(static_cast<size_t>(font.stripWidth) * static_cast<size_t>(font.stripHeight), 0);
    tf.face->SetSize(tf.ppem);

    for (int32_t code = look.firstChar; code <= look.lastChar; ++code) {
        const int32_t index = code - look.firstChar;
        if (look.id == FontId::Digits) {
            static const bool kSegments[10][7] = {
                {1, 1, 1, 1, 1, 1, 0}, {0, 1, 1, 0, 0, 0, 0}, {1, 1, 0, 1, 1, 0, 1}, {1, 1, 1, 1, 0, 0, 1},
                {0, 1, 1, 0, 0, 1, 1}, {1, 0, 1, 1, 0, 1, 1}, {1, 0, 1, 1, 1, 1, 1}, {1, 1, 1, 0, 0, 0, 0},
                {1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 0, 1, 1},
            };
            if (code >= '0' && code <= '9') {
                SevenSegment(font, index, kSegments[code - '0']);
                continue;
            }
            if (code == ':') {
                Dots(font, index, {3, 8});
                continue;
            }
            if (code == static_cast<uint8_t>(layout::kDigitPoint)) {
                Dots(font, index, {10});
                continue;
            }
            if (code == static_cast<uint8_t>(layout::kDigitMinus)) {
                const bool minus[7] = {0, 0, 0, 0, 0, 0, 1};
                SevenSegment(font, index, minus);
                continue;
            }
        }
        const char32_t c = code < 128 ? static_cast<char32_t>(code) : Cp1252ToUnicode(static_cast<uint8_t>(code));
        const bool blank = c == 0x20 || c == 0xA0;
        if (c == 0 || (!blank && !tf.face->Has(c)))
            continue;
        const Glyph g = tf.face->Render(c, Hinting::Full);
        PlaceGlyph(font, index, g, tf.baseline, look.id != FontId::Digits || blank);
    }
    font.Measure();
    return true;
}

bool MakeFonts(Output& out, Faces& faces, FontSet& fonts, std::string& failure)
{
    for (size_t i = 0; i < layout::kFonts.size(); ++i) {
        const layout::FontSpec& look = layout::kFonts[i];
        StripFont& font = fonts[i];
        if (!RenderFont(look, faces, font)) {
            failure = std::string(look.entry) + ": the typeface is missing";
            return false;
        }
        out.Mask(std::string(look.entry), font.pixels, font.stripWidth, font.stripHeight);
    }
    return true;
}

} // namespace bm::art
