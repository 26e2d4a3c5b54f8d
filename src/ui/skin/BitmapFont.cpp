#include "ui/skin/BitmapFont.h"

#include "ui/skin/Bitmap.h"
#include "ui/skin/PixelOps.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace bm {

namespace {

struct TextClip {
    int32_t left = INT32_MIN;
    int32_t top = INT32_MIN;
    int32_t right = INT32_MAX;
    int32_t bottom = INT32_MAX; // exclusive
};

TextClip& Clip()
{
    static TextClip clip;
    return clip;
}

// The characters of 0x80-0x9F in Windows-1252; 0 where the code is unused.
constexpr char32_t kHighPunctuation[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCode(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighPunctuation[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

std::string ToWindows1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
        char32_t c = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
        bool valid = length > 0 && i + static_cast<size_t>(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<uint8_t>(utf8[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not
        // valid UTF-8 either.
        if (valid && ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF))
                      || (c >= 0xD800 && c <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        out += ToCode(c);
        i += static_cast<size_t>(length);
    }
    return out;
}

bool BitmapFont::LoadFont(const ResourceArchive& archive, std::string_view entry, int32_t cellWidth,
                          int32_t cellHeight, uint8_t firstChar, uint8_t lastChar, uint8_t spaceWidth,
                          uint8_t spacing)
{
    Image8 strip;
    if (firstChar > lastChar || !LoadBitmap8(archive, entry, &strip.pixels, &strip.width, &strip.height))
        return false;
    return LoadFromStrip(std::move(strip), cellWidth, cellHeight, firstChar, lastChar, spaceWidth, spacing);
}

bool BitmapFont::LoadFromStrip(Image8 strip, int32_t cellWidth, int32_t cellHeight, uint8_t firstChar,
                               uint8_t lastChar, uint8_t spaceWidth, uint8_t spacing)
{
    if (firstChar > lastChar || strip.Empty()
        || strip.pixels.size() < static_cast<size_t>(strip.width) * static_cast<size_t>(strip.height))
        return false;
    if (cellWidth == 0) {
        cellWidth = strip.width / (lastChar - firstChar + 1);
        cellHeight = strip.height;
    }
    m_strip = std::move(strip);
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    m_firstChar = firstChar;
    m_lastChar = lastChar;
    m_spaceWidth = spaceWidth;
    m_spacing = spacing;

    // Only the part of a cell that the strip holds can be inked; a glyph's
    // left and width are bytes, so cells past 255 columns are measured over
    // their first 255 columns.
    const int32_t rows = std::min(std::max(m_cellHeight, 0), m_strip.height);
    const int32_t columns = std::min(std::max(m_cellWidth, 0), 255);
    for (int code = 0; code < 256; ++code) {
        m_glyphLeft[static_cast<size_t>(code)] = 0;
        m_glyphWidth[static_cast<size_t>(code)] = spaceWidth;
        if (code < firstChar || code > lastChar)
            continue;
        const int64_t cellLeft = static_cast<int64_t>(code - firstChar) * m_cellWidth;
        int first = -1, last = -1;
        for (int32_t cx = 0; cx < columns; ++cx) {
            const int64_t x = cellLeft + cx;
            if (x >= m_strip.width)
                break;
            bool inked = false;
            for (int32_t y = 0; y < rows && !inked; ++y)
                inked = m_strip.At(static_cast<int32_t>(x), y) != 0;
            if (inked) {
                if (first < 0)
                    first = cx;
                last = cx;
            }
        }
        if (first >= 0) {
            m_glyphLeft[static_cast<size_t>(code)] = static_cast<uint8_t>(first);
            m_glyphWidth[static_cast<size_t>(code)] = static_cast<uint8_t>(last - first + 1);
        }
    }
    return true;
}

int32_t BitmapFont::CodesWidth(std::string_view codes) const
{
    if (codes.empty())
        return 0;
    int64_t width = 0;
    for (char c : codes)
        width += m_glyphWidth[static_cast<uint8_t>(c)];
    width += static_cast<int64_t>(codes.size() - 1) * m_spacing;
    return static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX));
}

int32_t BitmapFont::TextWidth(std::string_view utf8) const
{
    return CodesWidth(ToWindows1252(utf8));
}

void BitmapFont::DrawText(int32_t x, int32_t y, std::string_view utf8, uint32_t colour, Pixels24 target) const
{
    DrawCodes(x, y, ToWindows1252(utf8), colour, target);
}

void BitmapFont::DrawCodes(int32_t x, int32_t y, std::string_view codes, uint32_t colour, Pixels24 target) const
{
    if (!target.Valid() || m_strip.Empty())
        return;
    const TextClip& clip = Clip();
    // Clip columns left ... right and rows top ... bottom - 1, inside the buffer.
    const int64_t clipLeft = std::max<int64_t>(clip.left, 0);
    const int64_t clipRight = std::min<int64_t>(clip.right, target.width - 1);
    const int64_t clipTop = std::max<int64_t>(clip.top, 0);
    const int64_t clipBottom = std::min<int64_t>(static_cast<int64_t>(clip.bottom) - 1, target.height - 1);
    const int channel[3] = {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                            static_cast<int>((colour >> 16) & 0xFF)};
    const int32_t rows = std::min(std::max(m_cellHeight, 0), m_strip.height);

    int64_t penX = x;
    for (char ch : codes) {
        const auto code = static_cast<uint8_t>(ch);
        const int glyphWidth = m_glyphWidth[code];
        if (code >= m_firstChar && code <= m_lastChar) {
            const int64_t cellLeft = static_cast<int64_t>(code - m_firstChar) * m_cellWidth + m_glyphLeft[code];
            for (int gx = 0; gx < glyphWidth; ++gx) {
                const int64_t dx = penX + gx;
                const int64_t sx = cellLeft + gx;
                if (dx < clipLeft || dx > clipRight || sx < 0 || sx >= m_strip.width)
                    continue;
                for (int32_t gy = 0; gy < rows; ++gy) {
                    const int64_t dy = static_cast<int64_t>(y) + gy;
                    if (dy < clipTop || dy > clipBottom)
                        continue;
                    const int a = m_strip.At(static_cast<int32_t>(sx), gy);
                    if (a == 0)
                        continue;
                    uint8_t* d = target.At(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
                    // d + ((c - d) * a) / 256, rounded toward minus infinity:
                    // the arithmetic shift floors negative values, so full
                    // coverage comes within one step of the colour.
                    for (int k = 0; k < 3; ++k)
                        d[k] = static_cast<uint8_t>(d[k] + (((channel[k] - d[k]) * a) >> 8));
                }
            }
        }
        penX += glyphWidth + m_spacing;
    }
}

void BitmapFont::SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Clip() = {left, top, right, bottom};
}

Rect BitmapFont::ClipRect()
{
    const TextClip& clip = Clip();
    return {clip.left, clip.top, clip.right, clip.bottom == INT32_MIN ? INT32_MIN : clip.bottom - 1};
}

void BitmapFont::ResetClip()
{
    Clip() = {};
}

} // namespace bm
