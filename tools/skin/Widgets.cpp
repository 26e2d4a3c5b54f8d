#include "Widgets.h"

#include "ui/skin/SkinPalette.h"

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

struct BodyColours {
    Rgb top, bottom;
};

BodyColours BodyOf(Look look, Rgb accent)
{
    const Rgb top = Hex(0x3B424D), bottom = Hex(0x2C3139);
    switch (look) {
    case Look::Normal: return {top, bottom};
    case Look::Hover: return {Hex(0x4A5361), Hex(0x363D47)};
    case Look::Pressed: return {Hex(0x1F2328), Hex(0x292E35)};
    case Look::Disabled: return {Hex(0x2A2E34), Hex(0x262A30)};
    case Look::On: return {Mix(top, accent, 0.30f), Mix(bottom, accent, 0.20f)};
    case Look::OnHover: return {Mix(Hex(0x4A5361), accent, 0.36f), Mix(Hex(0x363D47), accent, 0.26f)};
    case Look::OnPressed: return {Mix(Hex(0x1F2328), accent, 0.22f), Mix(Hex(0x292E35), accent, 0.18f)};
    case Look::Alt: return {Mix(top, Hex(palette::kAmber), 0.28f), Mix(bottom, Hex(palette::kAmber), 0.18f)};
    case Look::AltPressed: return {Mix(Hex(0x1F2328), Hex(palette::kAmber), 0.2f), Mix(Hex(0x292E35), Hex(palette::kAmber), 0.16f)};
    }
    return {top, bottom};
}

} // namespace

std::vector<Look> LooksOf(int32_t layout)
{
    using enum Look;
    switch (layout) {
    case 1: return {};
    case 2: case 3: return {Normal, Pressed};
    case 4: return {Normal, Pressed, On};
    case 5: return {Normal, Pressed, Disabled};
    case 6: return {Normal, Pressed, Hover};
    case 7: return {Normal, Pressed, Disabled, On, OnPressed};
    case 8: return {Normal, Pressed, On, Disabled};
    case 9: return {Normal, Pressed, Disabled, On, OnPressed, Alt, AltPressed};
    case 10: return {Normal};
    default: return {};
    }
}

bool IsOn(Look look) { return look == Look::On || look == Look::OnHover || look == Look::OnPressed; }
bool IsPressed(Look look) { return look == Look::Pressed || look == Look::OnPressed || look == Look::AltPressed; }

Rgb InkOf(Look look, Rgb accent)
{
    switch (look) {
    case Look::Normal: return Hex(0xC5CCD6);
    case Look::Hover: return Hex(0xFFFFFF);
    case Look::Pressed: return Hex(0xA9B1BD);
    case Look::Disabled: return Hex(palette::kTextFaint);
    case Look::On: case Look::OnHover: return Shade(accent, 0.25f);
    case Look::OnPressed: return accent;
    case Look::Alt: case Look::AltPressed: return Hex(palette::kAmber);
    }
    return Hex(palette::kText);
}

float InkOpacity(Look look) { return look == Look::Disabled ? 0.6f : 1.0f; }

Image DrawButtonCell(const Image& under, const ButtonArt& art, Look look)
{
    Image cell = under;
    const platform::Rect all{0, 0, cell.Width() - 1, cell.Height() - 1};
    const bool pressed = IsPressed(look);
    const bool flat = look == Look::Disabled;
    // Leave a pixel at the bottom for the drop shadow.
    const Box body{0.5f, 0.5f, static_cast<float>(cell.Width()) - 0.5f, static_cast<float>(cell.Height()) - 1.5f};
    const Sdf shape = RoundBox(body, art.radius);
    const BodyColours colours = BodyOf(look, art.accent);

    if (art.raised && !pressed && !flat)
        Glow(cell, RoundBox(body.Moved(0, 1.0f), art.radius), all, Hex(0x000000), 0.9f, 0.45f);
    // The rim: a dark outline one pixel wide.
    Fill(cell, Grow(shape, 0.5f), all, Solid(Hex(0x0C0E11)), 0.85f);
    Fill(cell, Grow(shape, -0.5f), all, VGrad(body.y0, colours.top, body.y1, colours.bottom));
    if (pressed) {
        InnerShadow(cell, Grow(shape, -0.5f), all, Hex(0x000000), 3.0f, 0.55f, 0, 1.0f);
    } else if (!flat) {
        // A highlight along the top inner edge.
        Fill(cell, Intersect(Outline(Grow(shape, -1.0f), 0.5f), [y = body.y0 + art.radius + 1](float, float py) {
                 return py - y;
             }),
             all, Solid(Hex(0xFFFFFF)), IsOn(look) ? 0.16f : 0.11f);
    }
    if (IsOn(look) && art.litLine) {
        // A lit line along the bottom of the face.
        const float w = std::min(body.W() * 0.5f, 18.0f);
        const Sdf led = Segment(body.Cx() - w * 0.5f, body.y1 - 2.2f, body.Cx() + w * 0.5f, body.y1 - 2.2f, 0.6f);
        Glow(cell, led, all, art.accent, 1.6f, look == Look::OnPressed ? 0.35f : 0.55f);
        Fill(cell, led, all, Solid(Shade(art.accent, 0.3f)));
    }
    if (art.content) {
        Box face = body.Inset(1.0f);
        if (pressed)
            face = face.Moved(0, 1.0f);
        art.content(cell, face, look, InkOf(look, art.accent), InkOpacity(look));
    }
    // What the button does not touch stays transparent.
    const Sdf reach = Grow(RoundBox(body.Moved(0, 0.5f), art.radius), 1.5f);
    for (int32_t y = 0; y < cell.Height(); ++y)
        for (int32_t x = 0; x < cell.Width(); ++x)
            if (reach(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f) > 0.5f)
                cell.Alpha(x, y) = 0.0f;
    return cell;
}

Image ShapeCell(const Image& cell)
{
    Image shape(cell.Width(), cell.Height(), {}, 0.0f);
    for (int32_t y = 0; y < cell.Height(); ++y)
        for (int32_t x = 0; x < cell.Width(); ++x)
            if (cell.Alpha(x, y) >= 0.5f) {
                shape.At(x, y) = {1, 1, 1};
                shape.Alpha(x, y) = 1.0f;
            }
    return shape;
}

Image JoinCells(const std::vector<Image>& cells)
{
    int32_t width = 0, height = 0;
    for (const Image& c : cells) {
        width += c.Width();
        height = std::max(height, c.Height());
    }
    Image strip(width, height, {}, 0.0f);
    int32_t x = 0;
    for (const Image& c : cells) {
        strip.Paste(c, x, 0);
        x += c.Width();
    }
    return strip;
}

Image ButtonStrip(const Image& skin, const platform::Rect& rect, int32_t layout, const ButtonArt& art)
{
    const Image under = skin.Crop(rect);
    std::vector<Image> cells;
    const std::vector<Look> looks = LooksOf(layout);
    for (Look look : looks)
        cells.push_back(DrawButtonCell(under, art, look));
    const Image normal = looks.empty() ? DrawButtonCell(under, art, Look::Normal) : cells.front();
    cells.insert(cells.begin(), ShapeCell(normal));
    return JoinCells(cells);
}

std::function<void(Image&, const Box&, Look, Rgb, float)> IconContent(Icon icon, float size, float dx)
{
    return [=](Image& cell, const Box& face, Look, Rgb ink, float opacity) {
        const float cx = std::round(face.Cx()) + dx, cy = face.Cy();
        DrawIcon(cell, icon, {cx - size * 0.5f, cy - size * 0.5f, cx + size * 0.5f, cy + size * 0.5f}, ink, opacity);
    };
}

std::function<void(Image&, const Box&, Look, Rgb, float)> LabelContent(Typeface* face, int32_t size, std::string label,
                                                                      int32_t tracking)
{
    return [=](Image& cell, const Box& box, Look, Rgb ink, float opacity) {
        TextStyle style{face, size, ink, opacity, tracking, Hinting::Full};
        DrawTextCentred(cell, style, box, label);
    };
}

} // namespace bm::art
