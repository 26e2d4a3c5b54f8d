#include "Type.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

// Codes 128 to 159 of Windows-1252; the rest of 128 to 255 is Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

FT_Library Library()
{
    // One library for the whole run; the generator is single-threaded.
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        FT_Init_FreeType(&lib);
        return lib;
    }();
    return library;
}

} // namespace

char32_t Cp1252ToUnicode(uint8_t code)
{
    if (code < 32 || code == 127)
        return 0;
    if (code >= 128 && code < 160)
        return kHigh[code - 128];
    return code;
}

struct Typeface::Face {
    FT_Face face = nullptr;
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
    }
};

Typeface::Typeface() : m_face(std::make_unique<Face>()) {}
Typeface::~Typeface() = default;

bool Typeface::Load(const std::string& path)
{
    if (!Library() || FT_New_Face(Library(), path.c_str(), 0, &m_face->face) != 0) {
        m_face->face = nullptr;
        return false;
    }
    m_path = path;
    return true;
}

void Typeface::SetSize(int32_t pixels)
{
    FT_Set_Pixel_Sizes(m_face->face, 0, static_cast<FT_UInt>(pixels));
    const FT_Size_Metrics& m = m_face->face->size->metrics;
    m_ascender = static_cast<int32_t>((m.ascender + 63) >> 6);
    m_descender = static_cast<int32_t>((-m.descender + 63) >> 6);
}

bool Typeface::Has(char32_t c) const { return FT_Get_Char_Index(m_face->face, c) != 0; }

Glyph Typeface::Render(char32_t c, Hinting hinting) const
{
    Glyph g;
    const FT_Int32 flags = FT_LOAD_RENDER | (hinting == Hinting::Full ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_LIGHT);
    if (FT_Load_Char(m_face->face, c, flags) != 0)
        return g;
    const FT_GlyphSlot slot = m_face->face->glyph;
    const FT_Bitmap& bmp = slot->bitmap;
    g.width = static_cast<int32_t>(bmp.width);
    g.height = static_cast<int32_t>(bmp.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
    for (int32_t y = 0; y < g.height; ++y)
        for (int32_t x = 0; x < g.width; ++x)
            g.coverage[static_cast<size_t>(y * g.width + x)] = bmp.buffer[y * bmp.pitch + x];
    return g;
}

std::u32string Utf8(std::string_view text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<uint8_t>(text[i]);
        char32_t c = b;
        size_t extra = 0;
        if (b >= 0xF0)
            c = b & 0x07, extra = 3;
        else if (b >= 0xE0)
            c = b & 0x0F, extra = 2;
        else if (b >= 0xC0)
            c = b & 0x1F, extra = 1;
        ++i;
        for (size_t k = 0; k < extra && i < text.size(); ++k, ++i)
            c = (c << 6) | (static_cast<uint8_t>(text[i]) & 0x3F);
        out.push_back(c);
    }
    return out;
}

int32_t TextWidth(const TextStyle& style, std::string_view utf8)
{
    style.face->SetSize(style.size);
    int32_t width = 0;
    const std::u32string text = Utf8(utf8);
    for (size_t i = 0; i < text.size(); ++i)
        width += style.face->Render(text[i], style.hinting).advance + (i + 1 < text.size() ? style.tracking : 0);
    return width;
}

int32_t DrawText(Image& img, const TextStyle& style, int32_t x, int32_t baseline, std::string_view utf8)
{
    style.face->SetSize(style.size);
    for (char32_t c : Utf8(utf8)) {
        const Glyph g = style.face->Render(c, style.hinting);
        for (int32_t j = 0; j < g.height; ++j)
            for (int32_t i = 0; i < g.width; ++i) {
                const uint8_t a = g.coverage[static_cast<size_t>(j * g.width + i)];
                if (a)
                    img.Over(x + g.left + i, baseline - g.top + j, style.colour,
                             style.opacity * static_cast<float>(a) / 255.0f);
            }
        x += g.advance + style.tracking;
    }
    return x;
}

void DrawTextCentred(Image& img, const TextStyle& style, const Box& box, std::string_view utf8)
{
    const int32_t width = TextWidth(style, utf8);
    // Capital height of DejaVu is 0.73 em; centring on it looks centred for
    // upper-case labels and figures.
    const float cap = 0.73f * static_cast<float>(style.size);
    const auto x = static_cast<int32_t>(std::lround(box.Cx() - static_cast<float>(width) * 0.5f));
    const auto baseline = static_cast<int32_t>(std::lround(box.Cy() + cap * 0.5f));
    DrawText(img, style, x, baseline, utf8);
}

bool Faces::Load(const std::string& folder)
{
    return sans.Load(folder + "DejaVuSans.ttf") && sansBold.Load(folder + "DejaVuSans-Bold.ttf") &&
           mono.Load(folder + "DejaVuSansMono.ttf") && monoBold.Load(folder + "DejaVuSansMono-Bold.ttf");
}

} // namespace bm::art
