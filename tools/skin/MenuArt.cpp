#include "MenuArt.h"

#include "ui/skin/SkinPalette.h"

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

// Background, shade step of the tile's pattern: the menu is a dark panel
// with a barely visible fine grain, so long menus do not look flat.
std::vector<uint8_t> Tile(int32_t size)
{
    const Rgb bg = Hex(palette::kMenuBackground);
    const float grey = 0.299f * bg.r + 0.587f * bg.g + 0.114f * bg.b;
    std::vector<uint8_t> tile(static_cast<size_t>(size * size));
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const uint32_t h = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u);
            const float n = static_cast<float>((h >> 7) % 3) - 1.0f;
            tile[static_cast<size_t>(y * size + x)] = static_cast<uint8_t>(std::lround(grey * 255.0f + n * 0.6f));
        }
    return tile;
}

// The right border: a lighter rim fading into the background.
std::vector<uint8_t> RightBorder(int32_t width, int32_t height)
{
    const Rgb bg = Hex(palette::kMenuBackground);
    const float grey = (0.299f * bg.r + 0.587f * bg.g + 0.114f * bg.b) * 255.0f;
    std::vector<uint8_t> right(static_cast<size_t>(width * height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const float t = static_cast<float>(x) / static_cast<float>(width - 1);
            const float v = grey + (t > 0.6f ? 30.0f * (t - 0.6f) / 0.4f : 0.0f) - (x == width - 1 ? 25.0f : 0.0f);
            right[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
        }
    return right;
}

void Cell(Image& strip, int32_t row, int32_t column, int32_t size, Icon icon)
{
    const bool hot = column == 2 || column == 4;
    const bool checked = column >= 3;
    const Rgb background = Hex(hot ? palette::kMenuHighlight : palette::kMenuBackground);
    Image cell(size, size, background, 1.0f);
    const platform::Rect all{0, 0, size - 1, size - 1};
    const Box box{0, 0, static_cast<float>(size), static_cast<float>(size)};
    if (checked) {
        // A lit tile behind the icon says "on".
        const Rgb accent = Hex(palette::kAccent);
        Fill(cell, RoundBox(box.Inset(1.0f), static_cast<float>(size) * 0.18f), all,
             Solid(Mix(background, accent, hot ? 0.45f : 0.3f)));
        Fill(cell, Outline(RoundBox(box.Inset(1.5f), static_cast<float>(size) * 0.18f), 0.5f), all, Solid(accent), 0.8f);
    }
    Rgb ink = Hex(palette::kTextDim);
    float opacity = 1.0f;
    if (column == 0) {
        ink = Hex(palette::kMenuGrey);
        opacity = 0.8f;
    } else if (hot) {
        ink = Hex(palette::kMenuHighlightText);
    } else if (checked) {
        ink = Shade(Hex(palette::kAccent), 0.3f);
    }
    const float margin = static_cast<float>(size) * (size <= 20 ? 0.14f : 0.18f);
    if (icon == Icon::Check) {
        // A box that is ticked when checked.
        if (!checked)
            Fill(cell, Outline(RoundBox(box.Inset(margin + 0.5f), 2.0f), 0.6f), all, Solid(ink), opacity);
        else
            DrawIcon(cell, Icon::Check, box.Inset(margin * 0.6f), ink, opacity);
    } else {
        DrawIcon(cell, icon, box.Inset(margin), ink, opacity);
    }
    // What the icon leaves of the background is transparent, so the menu's
    // own background shows there; only the drawn pixels are kept.
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const Rgb c = cell.At(x, y);
            const bool same = std::fabs(c.r - background.r) + std::fabs(c.g - background.g) + std::fabs(c.b - background.b) <
                              1.5f / 255.0f;
            if (same)
                cell.Alpha(x, y) = 0.0f;
        }
    strip.Paste(cell, column * size, row * size);
}

} // namespace

Image IconStrip(int32_t size)
{
    Image strip(size * 5, size * static_cast<int32_t>(kMenuIcons.size()), {}, 0.0f);
    for (size_t row = 0; row < kMenuIcons.size(); ++row)
        for (int32_t column = 0; column < 5; ++column)
            Cell(strip, static_cast<int32_t>(row), column, size, kMenuIcons[row]);
    return strip;
}

void MakeMenuArt(Output& out, Faces&)
{
    out.Mask("popup_tile.bmp", Tile(16), 16, 16);
    out.Mask("popup_right.bmp", RightBorder(6, 16), 6, 16);
    out.Picture("icon19.bmp", IconStrip(19));
    out.Picture("icon32.bmp", IconStrip(32));
}

} // namespace bm::art
