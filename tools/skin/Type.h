#pragma once

// Text through FreeType: the typefaces the art uses (DejaVu from the system's
// font folder), glyph coverage at a pixel size, text drawn into an Image,
// and the Windows-1252 character set of the bitmap fonts.

#include "Raster.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bm::art {

// The Unicode character of a Windows-1252 code; 0 for the five codes the
// set leaves undefined (129, 141, 143, 144, 157) and for controls (0 to 31, 127).
char32_t Cp1252ToUnicode(uint8_t code);

enum class Hinting {
    Full,  // the font's own instructions: crisp stems at 8 and 9 point
    Light, // vertical snapping only, for larger display text
};

// One glyph's coverage, rows top-down, and where it sits.
struct Glyph {
    int32_t width = 0, height = 0;
    int32_t left = 0;    // from the pen position to the first column
    int32_t top = 0;     // from the baseline up to the first row
    int32_t advance = 0; // pen advance in whole pixels
    std::vector<uint8_t> coverage;
};

class Typeface {
public:
    Typeface();
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    bool Load(const std::string& path);
    const std::string& Path() const { return m_path; }
    // Pixels per em; also sets the line metrics below.
    void SetSize(int32_t pixels);
    int32_t Ascender() const { return m_ascender; }
    int32_t Descender() const { return m_descender; } // positive, below the baseline
    bool Has(char32_t c) const;
    Glyph Render(char32_t c, Hinting hinting) const;

private:
    struct Face;
    std::unique_ptr<Face> m_face;
    std::string m_path;
    int32_t m_ascender = 0;
    int32_t m_descender = 0;
};

// Text is UTF-8 in the art's own strings.
std::u32string Utf8(std::string_view text);

struct TextStyle {
    Typeface* face = nullptr;
    int32_t size = 11;
    Rgb colour{1, 1, 1};
    float opacity = 1.0f;
    int32_t tracking = 0; // extra pixels between letters
    Hinting hinting = Hinting::Full;
};

int32_t TextWidth(const TextStyle& style, std::string_view utf8);
// Draws with the baseline at `baseline`; returns the pen position after it.
int32_t DrawText(Image& img, const TextStyle& style, int32_t x, int32_t baseline, std::string_view utf8);
// Centred in the box horizontally and on the capital height vertically.
void DrawTextCentred(Image& img, const TextStyle& style, const Box& box, std::string_view utf8);

// The faces of the art, loaded once from the font folder (the four that
// Debian's fonts-dejavu-core installs and the art uses).
struct Faces {
    Typeface sans, sansBold, mono, monoBold;
    bool Load(const std::string& folder);
};

} // namespace bm::art
