// The picture strips of the main window's controls, each drawn over the
// skin pixels it will cover.

#include "Art.h"
#include "Glyphs.h"
#include "Skin.h"
#include "Widgets.h"

#include "ui/main/Layout.h"
#include "ui/skin/SkinPalette.h"

#include <cmath>
#include <functional>
#include <set>
#include <string>

namespace bm::art {

namespace {

using namespace bm::layout;
constexpr float kPi = 3.14159265358979f;

const Rgb kAccentC = Hex(palette::kAccent);

// Pictures chosen by number (layout 0): the shape cell is everything any
// picture draws on.
Image PictureStrip(const Image& under, int32_t frames, const std::function<void(Image&, int32_t)>& draw)
{
    std::vector<Image> drawn;
    Image shape(under.Width(), under.Height(), {}, 0.0f);
    for (int32_t f = 0; f < frames; ++f) {
        Image cell(under.Width(), under.Height(), {}, 0.0f);
        draw(cell, f);
        for (int32_t y = 0; y < cell.Height(); ++y)
            for (int32_t x = 0; x < cell.Width(); ++x)
                if (cell.Alpha(x, y) > 0.004f) {
                    shape.At(x, y) = {1, 1, 1};
                    shape.Alpha(x, y) = 1.0f;
                }
        drawn.push_back(std::move(cell));
    }
    // Every picture covers the whole shape (with the skin where it draws
    // nothing), so that drawing one over another leaves nothing of the last.
    std::vector<Image> cells = {shape};
    for (const Image& cell : drawn) {
        Image composed = under;
        composed.Composite(cell, 0, 0);
        for (int32_t y = 0; y < cell.Height(); ++y)
            for (int32_t x = 0; x < cell.Width(); ++x)
                if (shape.Alpha(x, y) < 0.5f)
                    composed.Alpha(x, y) = 0.0f;
        cells.push_back(composed);
    }
    return JoinCells(cells);
}

platform::Rect Local(const Image& img) { return {0, 0, img.Width() - 1, img.Height() - 1}; }

void Led(Image& cell, const Box& box, Rgb colour, bool lit)
{
    const platform::Rect area = Local(cell);
    const Sdf body = RoundBox(box, std::min(box.W(), box.H()) * 0.5f);
    Fill(cell, Grow(body, 0.6f), area, Solid(Hex(0x07080A)), 0.9f);
    if (lit) {
        Glow(cell, body, area, colour, 2.0f, 0.55f);
        Fill(cell, body, area, Radial(box.Cx(), box.y0 + box.H() * 0.35f, std::max(box.W(), box.H()) * 0.7f,
                                      Shade(colour, 0.55f), colour));
    } else {
        Fill(cell, body, area, VGrad(box.y0, Mix(Hex(0x23272D), colour, 0.18f), box.y1, Mix(Hex(0x15181C), colour, 0.1f)));
    }
    Fill(cell, Circle(box.Cx() - box.W() * 0.18f, box.y0 + box.H() * 0.3f, std::min(box.W(), box.H()) * 0.16f), area,
         Solid(Hex(0xFFFFFF)), lit ? 0.45f : 0.12f);
}

ButtonArt IconArt(Icon icon, float size, float radius = 4.0f, Rgb accent = kAccentC)
{
    ButtonArt art;
    art.radius = radius;
    art.accent = accent;
    art.content = IconContent(icon, size);
    return art;
}

// A label with a small chevron after it, for the buttons that open menus.
ButtonArt MenuLabel(Faces& faces, const std::string& text)
{
    ButtonArt art;
    art.radius = 4;
    art.accent = kAccentC;
    art.content = [&faces, text](Image& cell, const Box& face, Look, Rgb ink, float opacity) {
        // Letter-spaced when there is room, tight when there is not, and the
        // chevron only when it still fits with a margin.
        TextStyle style{&faces.sansBold, 8, ink, opacity, 1, Hinting::Full};
        int32_t tw = TextWidth(style, text);
        const auto room = static_cast<int32_t>(face.W()) - 6;
        if (tw + 9 > room) {
            style.tracking = 0;
            tw = TextWidth(style, text);
        }
        const bool chevron = tw + 9 <= room;
        const int32_t total = tw + (chevron ? 9 : 0);
        const auto x = static_cast<int32_t>(std::lround(face.Cx() - static_cast<float>(total) * 0.5f));
        const auto baseline = static_cast<int32_t>(std::lround(face.Cy() + 3.0f));
        DrawText(cell, style, x, baseline, text);
        if (chevron) {
            const float cx = static_cast<float>(x + tw) + 5.5f;
            DrawIcon(cell, Icon::ChevronDown, {cx - 4, face.Cy() - 3.5f, cx + 4, face.Cy() + 4.5f}, ink, opacity * 0.8f);
        }
    };
    return art;
}

Image ChannelSwitch(const Image& skin, Faces& faces, int32_t channel, const Control& c)
{
    ButtonArt art;
    art.radius = 3;
    art.accent = Hex(palette::kChannelColours[static_cast<size_t>(channel)]);
    char number[4];
    std::snprintf(number, sizeof number, "%02d", channel + 1);
    art.content = [&faces, number = std::string(number), accent = art.accent](Image& cell, const Box& face, Look look,
                                                                               Rgb ink, float opacity) {
        const bool on = IsOn(look);
        Led(cell, {face.x0 + 2.5f, face.Cy() - 2.5f, face.x0 + 7.5f, face.Cy() + 2.5f}, accent, on);
        TextStyle style{&faces.sansBold, 8, on ? Hex(palette::kText) : ink, opacity, 0, Hinting::Full};
        DrawText(cell, style, static_cast<int32_t>(face.x0) + 12, static_cast<int32_t>(std::lround(face.Cy() + 3.0f)),
                 number);
    };
    // The on look keeps the body nearly neutral: the lamp says it.
    art.accent = Mix(Hex(0x3B424D), art.accent, 0.45f);
    art.litLine = false;
    return ButtonStrip(skin, c.rect, c.layout, art);
}

Image ChannelVolume(const Image& skin, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const platform::Rect area = Local(cell);
        const float cx = static_cast<float>(cell.Width()) * 0.5f, cy = static_cast<float>(cell.Height()) * 0.5f;
        const float a0 = 135 * kPi / 180, sweep = 270 * kPi / 180;
        Fill(cell, Circle(cx, cy, 10.5f), area, Solid(Hex(0x0E1013)), 0.9f);
        Fill(cell, Arc(cx, cy, 8.0f, 1.4f, a0, a0 + sweep), area, Solid(Hex(0x2A3038)));
        const float value = static_cast<float>(f) / static_cast<float>(c.frames - 1);
        if (value > 0)
            Fill(cell, Arc(cx, cy, 8.0f, 1.4f, a0, a0 + sweep * value), area,
                 Solid(Mix(Hex(palette::kAccentDeep), kAccentC, 0.4f + 0.6f * value)));
        Fill(cell, Circle(cx, cy, 4.6f), area, VGrad(cy - 4, Hex(0x454D59), cy + 4, Hex(0x2A2F37)));
        const float a = a0 + sweep * value;
        Fill(cell, Segment(cx + 1.5f * std::cos(a), cy + 1.5f * std::sin(a), cx + 4.0f * std::cos(a),
                           cy + 4.0f * std::sin(a), 0.6f),
             area, Solid(Hex(palette::kText)));
    });
}

Image Knob(const Image& skin, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const platform::Rect area = Local(cell);
        const float cx = static_cast<float>(cell.Width()) * 0.5f, cy = static_cast<float>(cell.Height()) * 0.5f;
        const float r = 24.0f;
        Glow(cell, Circle(cx, cy + 2, r), area, Hex(0x000000), 2.5f, 0.6f);
        Fill(cell, Circle(cx, cy, r + 0.5f), area, Solid(Hex(0x0A0B0D)));
        Fill(cell, Circle(cx, cy, r), area, VGrad(cy - r, Hex(0x4B5360), cy + r, Hex(0x23272E)));
        // Sixteen ridges round the rim; the eight pictures turn them through
        // one ridge's spacing, so the knob spins endlessly.
        const float step = 2 * kPi / 16;
        for (int i = 0; i < 16; ++i) {
            const float a = step * static_cast<float>(i) + step * static_cast<float>(f) / static_cast<float>(c.frames);
            const float light = 0.5f + 0.5f * -std::sin(a);
            Fill(cell, Segment(cx + (r - 5.5f) * std::cos(a), cy + (r - 5.5f) * std::sin(a), cx + (r - 1.5f) * std::cos(a),
                               cy + (r - 1.5f) * std::sin(a), 0.8f),
                 area, Solid(Mix(Hex(0x1A1D22), Hex(0x66707E), light)), 0.85f);
        }
        // The cap, lit from above.
        Fill(cell, Circle(cx, cy, r - 7.5f), area, Solid(Hex(0x15181C)), 0.8f);
        Fill(cell, Circle(cx, cy, r - 8.0f), area, Radial(cx - 3, cy - 6, 22, Hex(0x59626F), Hex(0x2B3038)));
        Fill(cell, Outline(Circle(cx, cy, r - 8.5f), 0.5f), area, Solid(Hex(0xFFFFFF)), 0.08f);
        Fill(cell, Circle(cx, cy, 2.5f), area, Solid(kAccentC), 0.9f);
        Glow(cell, Circle(cx, cy, 2.5f), area, kAccentC, 2.0f, 0.4f);
    });
}

Image Lever(const Image& skin, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t pos) {
        const platform::Rect area = Local(cell);
        const float cx = static_cast<float>(cell.Width()) * 0.5f;
        const float h = static_cast<float>(cell.Height());
        // The slot.
        const Sdf slot = RoundBox({cx - 3, 4, cx + 3, h - 4}, 3);
        Fill(cell, Grow(slot, 0.6f), area, Solid(Hex(palette::kEdgeLight)), 0.3f);
        Fill(cell, slot, area, Solid(Hex(0x08090B)));
        // The handle: position 0 at the bottom, 4 at the top.
        const float top = 8, bottom = h - 8;
        const float y = bottom - (bottom - top) * static_cast<float>(pos) / 4.0f;
        const Rgb colours[5] = {Hex(0x59626F), Mix(Hex(0x59626F), kAccentC, 0.5f), kAccentC,
                                Mix(kAccentC, Hex(palette::kAmber), 0.5f), Hex(palette::kAmber)};
        const Box handle{cx - 12, y - 4, cx + 12, y + 4};
        Glow(cell, RoundBox(handle.Moved(0, 1.5f), 3), area, Hex(0x000000), 1.5f, 0.7f);
        Fill(cell, RoundBox(handle, 3), area, VGrad(handle.y0, Hex(0x545C68), handle.y1, Hex(0x30353D)));
        Fill(cell, Outline(RoundBox(handle.Inset(0.5f), 2.5f), 0.5f), area, Solid(Hex(0x0B0C0F)), 0.7f);
        const Sdf lamp = Segment(cx - 6, y, cx + 6, y, 1.1f);
        if (pos == 2 || pos == 4)
            Glow(cell, lamp, area, colours[pos], 2.0f, 0.6f);
        Fill(cell, lamp, area, Solid(colours[pos]));
    });
}

Image Lamp(const Image& skin, const Control& c, Rgb colour)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const Box b = Box{0, 0, static_cast<float>(cell.Width()), static_cast<float>(cell.Height())}.Inset(2.0f);
        Led(cell, b, colour, f == 1);
    });
}

Image ProgressBar(const Image& skin, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const platform::Rect area = Local(cell);
        const Box b{0, 0, static_cast<float>(cell.Width()), static_cast<float>(cell.Height())};
        if (f == 0) {
            Fill(cell, RoundBox(b, 3), area, Solid(Hex(0x0D0F12)));
            return;
        }
        Fill(cell, RoundBox(b, 3), area, HGrad(0, Hex(palette::kAccentDeep), b.x1, kAccentC));
        Fill(cell, RoundBox({1, 1, b.x1 - 1, 3}, 1), area, Solid(Hex(0xFFFFFF)), 0.25f);
    });
}

Image Selector(const Image& skin, Faces& faces, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const platform::Rect area = Local(cell);
        const Box b{0, 0, static_cast<float>(cell.Width()), static_cast<float>(cell.Height())};
        Fill(cell, RoundBox(b.Inset(0.5f), 3), area, Solid(Hex(0x07090A)));
        Fill(cell, RoundBox(b.Inset(1.0f), 2.5f), area, Solid(Hex(palette::kDisplay)));
        const std::string name(kSelectorNames[static_cast<size_t>(f)]);
        DrawTextCentred(cell, TextStyle{&faces.sansBold, 8, Hex(palette::kDisplayText), 1.0f, 1, Hinting::Full}, b, name);
    });
}

Image SelectorDots(const Image& skin, const Control& c)
{
    return PictureStrip(skin.Crop(c.rect), c.frames, [&](Image& cell, int32_t f) {
        const platform::Rect area = Local(cell);
        const float cy = static_cast<float>(cell.Height()) * 0.5f;
        for (int i = 0; i < c.frames; ++i) {
            const float cx = 2.5f + static_cast<float>(i) * 4.75f;
            if (i == f) {
                Glow(cell, Circle(cx, cy, 1.6f), area, kAccentC, 1.5f, 0.5f);
                Fill(cell, Circle(cx, cy, 1.6f), area, Solid(kAccentC));
            } else {
                Fill(cell, Circle(cx, cy, 1.4f), area, Solid(Hex(0x3A414B)));
            }
        }
    });
}

Image MeterMarkers()
{
    const int32_t w = kMeterColumnWidth, h = kMeterColumnHeight;
    std::vector<Image> cells;
    for (int kind = 0; kind < 3; ++kind) {
        Image cell(w, h, Hex(palette::kWell), 1.0f);
        for (int32_t s = 0; s < kMeterSegments; ++s) {
            const int32_t bottom = h - 1 - s * kMeterSegmentPitch;
            const platform::Rect seg{0, bottom - 1, w - 1, bottom};
            const float t = static_cast<float>(s) / static_cast<float>(kMeterSegments - 1);
            Rgb lit = t < 0.6f ? Mix(Hex(palette::kAccentDeep), kAccentC, t / 0.6f)
                     : t < 0.85f ? Mix(kAccentC, Hex(palette::kAmber), (t - 0.6f) / 0.25f)
                                 : Mix(Hex(palette::kAmber), Hex(palette::kRed), (t - 0.85f) / 0.15f);
            Rgb colour = kind == 0 ? Hex(0x1E242A) : kind == 1 ? lit : Shade(lit, 0.35f);
            if (kind == 2 && s != kMeterSegments - 1)
                colour = Hex(0x1E242A);
            Fill(cell, RoundBox(BoxOf(seg), 0.6f), seg, Solid(colour));
        }
        cells.push_back(cell);
    }
    return JoinCells(cells);
}

Image RegionBorders()
{
    const int32_t w = kRegionHandleWidth, h = kRegionHandleHeight;
    std::vector<Image> cells;
    for (int32_t i = 0; i < static_cast<int32_t>(RegionHandle::Count); ++i) {
        const bool start = i % 2 == 0;
        const int kind = i / 2; // on, off, current
        const Rgb colour = kind == 0 ? kAccentC : kind == 1 ? Hex(palette::kRegionOff) : Hex(palette::kAmber);
        Image cell(w, h, Hex(0x1B1F25), 1.0f);
        const platform::Rect area{0, 0, w - 1, h - 1};
        // A flag on the region's edge pointing into the region.
        const float edge = start ? 0.5f : static_cast<float>(w) - 0.5f;
        const float tip = start ? static_cast<float>(w) : 0.0f;
        Fill(cell, Polygon({{edge - (start ? 0.5f : -0.5f), 0}, {tip, 0}, {tip, 2.5f}, {edge, static_cast<float>(h)},
                            {edge - (start ? 0.5f : -0.5f), static_cast<float>(h)}}),
             area, Solid(colour));
        Fill(cell, Segment(edge, 0, edge, static_cast<float>(h), 0.6f), area, Solid(Shade(colour, 0.3f)));
        cells.push_back(cell);
    }
    return JoinCells(cells);
}

Image ScrollTrack(const Image& skin, const ScrollBarSpec& bar)
{
    Image cell = skin.Crop(bar.rect);
    const Box b = LocalBox(bar.rect);
    Fill(cell, RoundBox(b, std::min(b.W(), b.H()) * 0.5f), Local(cell), Solid(Hex(0x0C0E11)));
    const Box groove = bar.vertical ? Box{b.Cx() - 1, 3, b.Cx() + 1, b.y1 - 3} : Box{3, b.Cy() - 1, b.x1 - 3, b.Cy() + 1};
    Fill(cell, RoundBox(groove, 1), Local(cell), Solid(Hex(0x1C2026)));
    return cell;
}

Image ScrollThumb(const ScrollBarSpec& bar)
{
    const int32_t across = bar.vertical ? bar.rect.Width() : bar.rect.Height();
    const int32_t along = bar.thumbLength;
    const int32_t cells = bar.vertical ? 1 : 2;
    std::vector<Image> list;
    for (int32_t k = 0; k < cells; ++k) {
        const int32_t w = bar.vertical ? across : along, h = bar.vertical ? along : across;
        Image cell(w, h, Hex(0x0C0E11), 1.0f);
        const Box b{0, 0, static_cast<float>(w), static_cast<float>(h)};
        const float r = static_cast<float>(across) * 0.5f - 0.5f;
        const Rgb top = k == 0 ? Hex(0x56606D) : Hex(0x5FD6CA), bottom = k == 0 ? Hex(0x3C434D) : Hex(0x2C8E86);
        Fill(cell, RoundBox(b.Inset(0.5f), r), {0, 0, w - 1, h - 1},
             bar.vertical ? HGrad(0, top, b.x1, bottom) : VGrad(0, top, b.y1, bottom));
        // Grip lines in the middle, where the thumb is stretched by repeating
        // its middle: they repeat with it.
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (cell.Alpha(x, y) < 1.0f)
                    cell.Alpha(x, y) = 1.0f;
        // Corners outside the pill stay transparent.
        const Sdf pill = RoundBox(b.Inset(0.5f), r);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (pill(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f) > 0.5f)
                    cell.Alpha(x, y) = 0.0f;
        list.push_back(cell);
    }
    return JoinCells(list);
}

} // namespace

void MakeStrips(Output& out, const Image& skin, Faces& faces)
{
    std::set<std::string_view> done;
    for (const Control& c : kControls) {
        if (!done.insert(c.strip).second)
            continue; // a strip two controls share ("RES Butt.bmp") is drawn once
        const auto id = static_cast<int32_t>(c.id);
        Image strip;
        if (id >= static_cast<int32_t>(ControlId::ChannelSwitch0) && id <= static_cast<int32_t>(ControlId::ChannelSwitch11)) {
            strip = ChannelSwitch(skin, faces, id - static_cast<int32_t>(ControlId::ChannelSwitch0), c);
        } else if (id >= static_cast<int32_t>(ControlId::ChannelVolume0) &&
                   id <= static_cast<int32_t>(ControlId::ChannelVolume11)) {
            strip = ChannelVolume(skin, c);
        } else {
            switch (c.id) {
            case ControlId::Play: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Play, 11, 5)); break;
            case ControlId::Stop: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Stop, 10, 5)); break;
            case ControlId::ToStart: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ToStart, 11, 5)); break;
            case ControlId::Rewind: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Rewind, 12, 5)); break;
            case ControlId::FastForward: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::FastForward, 12, 5)); break;
            case ControlId::ToEnd: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ToEnd, 11, 5)); break;
            case ControlId::Loop: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Loop, 12, 5)); break;
            case ControlId::Record: {
                ButtonArt art = IconArt(Icon::Record, 11, 5, Hex(palette::kRed));
                art.content = [](Image& cell, const Box& face, Look look, Rgb, float opacity) {
                    const Rgb red = Hex(palette::kRed);
                    const Rgb ink = IsOn(look) ? Shade(red, 0.3f) : look == Look::Disabled ? Hex(0x5A4448) : Mix(red, Hex(0x9AA2AE), 0.35f);
                    const float cx = std::round(face.Cx()), cy = face.Cy();
                    if (IsOn(look))
                        Glow(cell, Circle(cx, cy, 5), {0, 0, cell.Width() - 1, cell.Height() - 1}, red, 2.5f, 0.6f);
                    DrawIcon(cell, Icon::Record, {cx - 6, cy - 6, cx + 6, cy + 6}, ink, opacity);
                };
                strip = ButtonStrip(skin, c.rect, c.layout, art);
                break;
            }
            case ControlId::Power: {
                ButtonArt art = IconArt(Icon::Power, 14, 6, Hex(palette::kRed));
                art.content = [](Image& cell, const Box& face, Look look, Rgb ink, float opacity) {
                    const Rgb red = Hex(palette::kRed);
                    const Rgb colour = look == Look::Hover ? Shade(red, 0.2f) : Mix(red, ink, 0.3f);
                    const float cx = std::round(face.Cx()), cy = face.Cy();
                    DrawIcon(cell, Icon::Power, {cx - 7, cy - 7, cx + 7, cy + 7}, colour, opacity);
                };
                strip = ButtonStrip(skin, c.rect, c.layout, art);
                break;
            }
            case ControlId::PowerLamp: strip = Lamp(skin, c, Hex(palette::kGreen)); break;
            case ControlId::Progress: strip = ProgressBar(skin, c); break;
            case ControlId::VolumeDown: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Minus, 10)); break;
            case ControlId::VolumeUp: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Plus, 10)); break;
            case ControlId::VolumeKnob: strip = Knob(skin, c); break;
            case ControlId::SwapUp: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Grip, 12)); break;
            case ControlId::SwapLever: strip = Lever(skin, c); break;
            case ControlId::WireLoad: strip = Lamp(skin, c, Hex(palette::kAmber)); break;
            case ControlId::WireRender: strip = Lamp(skin, c, kAccentC); break;
            case ControlId::Edit: strip = ButtonStrip(skin, c.rect, c.layout, MenuLabel(faces, "EDIT")); break;
            case ControlId::Region: {
                ButtonArt art = IconArt(Icon::RegionAdd, 13);
                art.content = [](Image& cell, const Box& face, Look look, Rgb ink, float opacity) {
                    const float cx = std::round(face.Cx()), cy = face.Cy();
                    DrawIcon(cell, IsOn(look) ? Icon::RegionRemove : Icon::RegionAdd, {cx - 6.5f, cy - 6.5f, cx + 6.5f, cy + 6.5f},
                             ink, opacity);
                };
                art.accent = Hex(palette::kAmber);
                strip = ButtonStrip(skin, c.rect, c.layout, art);
                break;
            }
            case ControlId::RegionPlay: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::RegionPlay, 13)); break;
            case ControlId::TimeFormat: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Clock, 12)); break;
            case ControlId::Minimize: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Minimise, 10)); break;
            case ControlId::Close: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Cross, 10)); break;
            case ControlId::ZoomWindow: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Magnifier, 7, 3)); break;
            case ControlId::MeasureWindow: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Ruler, 8, 3)); break;
            case ControlId::Silence: {
                ButtonArt art;
                art.radius = 3;
                art.accent = kAccentC;
                art.content = [&faces](Image& cell, const Box& face, Look, Rgb ink, float opacity) {
                    DrawIcon(cell, Icon::Silence, {face.x0 + 3, face.Cy() - 5.5f, face.x0 + 14, face.Cy() + 5.5f}, ink, opacity);
                    DrawText(cell, TextStyle{&faces.sansBold, 8, ink, opacity, 1, Hinting::Full},
                             static_cast<int32_t>(face.x0) + 17, static_cast<int32_t>(std::lround(face.Cy() + 3)), "SILENCE");
                };
                strip = ButtonStrip(skin, c.rect, c.layout, art);
                break;
            }
            case ControlId::StyleMenu: strip = ButtonStrip(skin, c.rect, c.layout, MenuLabel(faces, "STYLE")); break;
            case ControlId::GroupMenu: strip = ButtonStrip(skin, c.rect, c.layout, MenuLabel(faces, "GROUP")); break;
            case ControlId::ChordMenu: strip = ButtonStrip(skin, c.rect, c.layout, MenuLabel(faces, "CHORD")); break;
            case ControlId::MainMenu: {
                ButtonArt art;
                art.radius = 5;
                art.accent = kAccentC;
                art.content = [&faces](Image& cell, const Box& face, Look, Rgb ink, float opacity) {
                    DrawIcon(cell, Icon::Lines, {face.x0 + 4, face.Cy() - 5.5f, face.x0 + 15, face.Cy() + 5.5f}, ink, opacity);
                    DrawText(cell, TextStyle{&faces.sansBold, 8, ink, opacity, 1, Hinting::Full},
                             static_cast<int32_t>(face.x0) + 19, static_cast<int32_t>(std::lround(face.Cy() + 3)), "MENU");
                };
                strip = ButtonStrip(skin, c.rect, c.layout, art);
                break;
            }
            case ControlId::Tempo: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Metronome, 14)); break;
            case ControlId::TempoFaster: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Plus, 10)); break;
            case ControlId::TempoSlower: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::Minus, 10)); break;
            case ControlId::LibraryPageUp: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::DoubleUp, 11)); break;
            case ControlId::LibraryRowUp: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ChevronUp, 11)); break;
            case ControlId::LibraryRowDown: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ChevronDown, 11)); break;
            case ControlId::LibraryPageDown: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::DoubleDown, 11)); break;
            case ControlId::SelectorLeft: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ChevronLeft, 9, 3)); break;
            case ControlId::SelectorRight: strip = ButtonStrip(skin, c.rect, c.layout, IconArt(Icon::ChevronRight, 9, 3)); break;
            case ControlId::SelectorDisplay: strip = Selector(skin, faces, c); break;
            case ControlId::SelectorDots: strip = SelectorDots(skin, c); break;
            default: break;
            }
        }
        out.Picture(std::string(c.strip), strip);
    }

    // The add-samples button sits in a library row, over the well's colour.
    {
        const Image under(kLibraryAddWidth, kLibraryAddHeight, Hex(palette::kCell), 1.0f);
        ButtonArt art;
        art.radius = 3;
        art.accent = kAccentC;
        art.content = [&faces](Image& cell, const Box& face, Look, Rgb ink, float opacity) {
            DrawIcon(cell, Icon::Plus, {face.x0 + 3, face.Cy() - 4, face.x0 + 11, face.Cy() + 4}, ink, opacity);
            DrawText(cell, TextStyle{&faces.sansBold, 8, ink, opacity, 1, Hinting::Full}, static_cast<int32_t>(face.x0) + 15,
                     static_cast<int32_t>(std::lround(face.Cy() + 3)), "ADD");
        };
        std::vector<Image> cells;
        for (Look look : LooksOf(6))
            cells.push_back(DrawButtonCell(under, art, look));
        cells.insert(cells.begin(), ShapeCell(cells.front()));
        out.Picture(std::string(kLibraryAddStrip), JoinCells(cells));
    }
    out.Picture(std::string(kLibraryScroll.track), ScrollTrack(skin, kLibraryScroll));
    out.Picture(std::string(kLibraryScroll.thumb), ScrollThumb(kLibraryScroll));
    out.Picture(std::string(kArrangementScroll.track), ScrollTrack(skin, kArrangementScroll));
    out.Picture(std::string(kArrangementScroll.thumb), ScrollThumb(kArrangementScroll));
    out.Picture(std::string(kMeterEntry), MeterMarkers());
    out.Picture(std::string(kRegionBordersEntry), RegionBorders());
}

void MakeSkinEntries(Output& out, const Image& skin, Faces&)
{
    out.Picture(std::string(kSkinEntry), skin);
    out.Mask(std::string(kMoveBarEntry), MoveBarMask(), kMoveBar.Width(), kMoveBar.Height());
    for (const Piece& p : kPieces)
        out.Mask(std::string(p.entry), PieceMask(p), p.width, p.height);
}

} // namespace bm::art
