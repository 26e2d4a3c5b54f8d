#include "Skin.h"

#include "ui/skin/SkinPalette.h"

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

using namespace bm::layout;
constexpr float kPi = 3.14159265358979f;

// The outline, clockwise from the left end of the tab's top edge.
std::vector<std::pair<float, float>> OutlinePoints()
{
    std::vector<std::pair<float, float>> pts;
    auto corner = [&pts](float cx, float cy, float r, float fromDeg, float toDeg) {
        const int steps = std::max(6, static_cast<int>(r * 1.5f));
        for (int i = 0; i <= steps; ++i) {
            const float a = (fromDeg + (toDeg - fromDeg) * static_cast<float>(i) / static_cast<float>(steps)) * kPi / 180;
            pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
    };
    const float w = kWindowWidth, h = kWindowHeight;
    corner(12, 16, 12, 180, 270); // the tab's top-left corner
    // The tab's top edge rises smoothly to the top of the window.
    for (int i = 0; i <= 10; ++i) {
        const float t = static_cast<float>(i) / 10.0f;
        pts.push_back({120 + 12 * t, 4 - 4 * (t * t * (3 - 2 * t))});
    }
    corner(w - 12, 12, 12, 270, 360);
    corner(w - 12, h - 12, 12, 0, 90);
    corner(24, h - 24, 24, 90, 180);
    // The notch: the left edge bends in to column 9 between the decks and out again.
    for (int i = 0; i <= 15; ++i) {
        const float y = 405 - static_cast<float>(i);
        pts.push_back({4.5f * (1 + std::cos(kPi * (y - 390) / 15)), y});
    }
    for (int i = 0; i <= 14; ++i) {
        const float y = 338 - static_cast<float>(i);
        pts.push_back({4.5f * (1 - std::cos(kPi * (y - 324) / 14)), y});
    }
    return pts;
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

const Sdf& Outline()
{
    static const Sdf outline = Polygon(OutlinePoints());
    return outline;
}

void Groove(Image& img, float x0, float y0, float x1, float y1)
{
    const platform::Rect area{static_cast<int32_t>(x0) - 2, static_cast<int32_t>(y0) - 2, static_cast<int32_t>(x1) + 2,
                              static_cast<int32_t>(y1) + 2};
    const bool horizontal = y0 == y1;
    Fill(img, Segment(x0, y0, x1, y1, 0.5f), area, Solid(Hex(palette::kEdgeDark)), 0.8f);
    Fill(img, Segment(x0 + (horizontal ? 0 : 1), y0 + (horizontal ? 1 : 0), x1 + (horizontal ? 0 : 1),
                      y1 + (horizontal ? 1 : 0), 0.5f),
         area, Solid(Hex(palette::kEdgeLight)), 0.45f);
}

void DrawMeterColumns(Image& img)
{
    for (int32_t ch = 0; ch < kChannels; ++ch)
        for (int32_t s = 0; s < kMeterSegments; ++s) {
            const platform::Rect seg = MeterSegmentRect(ch, s);
            Fill(img, RoundBox(BoxOf(seg), 0.6f), seg, Solid(Hex(0x1E242A)));
        }
}

// The seat of the volume knob: a recessed ring with a scale of ticks.
void DrawKnobSeat(Image& img)
{
    const Rect r = ControlOf(ControlId::VolumeKnob).rect;
    const Box b = BoxOf(r);
    const float cx = b.Cx(), cy = b.Cy();
    const platform::Rect area = r.Grown(2);
    Fill(img, Circle(cx, cy, 31.5f), area, Solid(Hex(palette::kEdgeLight)), 0.25f);
    Fill(img, Circle(cx, cy, 31.0f), area, Solid(Hex(palette::kWell)));
    InnerShadow(img, Circle(cx, cy, 31.0f), area, Hex(0x000000), 4.0f, 0.6f, 0, 1.5f);
    for (int i = 0; i < 24; ++i) {
        const float a = static_cast<float>(i) * kPi / 12.0f;
        const float r0 = 27.0f, r1 = i % 2 == 0 ? 30.0f : 29.0f;
        Fill(img, Segment(cx + r0 * std::cos(a), cy + r0 * std::sin(a), cx + r1 * std::cos(a), cy + r1 * std::sin(a), 0.5f),
             area, Solid(Hex(palette::kTextFaint)), i % 2 == 0 ? 0.9f : 0.5f);
    }
}

// Which pixels belong to the window: at least half inside the outline and
// joined to the body through edges. A staircase edge can leave single
// pixels that touch the body only at a corner; as parts of the window's
// region they would show as stray dots, so they go outside.
const std::vector<uint8_t>& Region()
{
    static const std::vector<uint8_t> region = [] {
        const auto w = static_cast<size_t>(kWindowWidth), h = static_cast<size_t>(kWindowHeight);
        std::vector<uint8_t> half(w * h, 0), joined(w * h, 0);
        for (size_t y = 0; y < h; ++y)
            for (size_t x = 0; x < w; ++x)
                half[y * w + x] = OutlineCoverage(static_cast<int32_t>(x), static_cast<int32_t>(y)) >= 0.5f;
        std::vector<size_t> todo = {(h / 2) * w + w / 2};
        joined[todo.front()] = 1;
        while (!todo.empty()) {
            const size_t at = todo.back();
            todo.pop_back();
            const size_t x = at % w, y = at / w;
            const size_t next[4] = {x + 1 < w ? at + 1 : at, x > 0 ? at - 1 : at, y + 1 < h ? at + w : at,
                                    y > 0 ? at - w : at};
            for (size_t n : next)
                if (half[n] && !joined[n]) {
                    joined[n] = 1;
                    todo.push_back(n);
                }
        }
        return joined;
    }();
    return region;
}

bool InWindow(int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x < kWindowWidth && y < kWindowHeight &&
           Region()[static_cast<size_t>(y) * static_cast<size_t>(kWindowWidth) + static_cast<size_t>(x)];
}

} // namespace

Sdf WindowOutline() { return Outline(); }

float OutlineCoverage(int32_t x, int32_t y)
{
    return Clamp01(0.5f - Outline()(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
}

void DrawWell(Image& img, const platform::Rect& rect, float radius, Rgb fill, float depth)
{
    const Box b = BoxOf(rect);
    const platform::Rect area = rect.Grown(2);
    const Sdf shape = RoundBox(b, radius);
    // A light lip below and right of the well, a dark rim, the fill, and a
    // shadow falling in from the top edge.
    Fill(img, RoundBox(b.Moved(0.5f, 1.0f), radius), area, Solid(Hex(palette::kEdgeLight)), 0.35f);
    Fill(img, Grow(shape, 0.5f), area, Solid(Hex(palette::kEdgeDark)), 0.9f);
    Fill(img, shape, area, Solid(fill));
    InnerShadow(img, shape, area, Hex(0x000000), depth, 0.55f, 0, 1.0f);
}

void DrawLabel(Image& img, Faces& faces, int32_t x, int32_t baseline, std::string_view text, Rgb colour, int32_t size)
{
    TextStyle style{&faces.sansBold, size, colour, 1.0f, 1, Hinting::Full};
    DrawText(img, style, x, baseline, text);
}

void DrawLabelCentred(Image& img, Faces& faces, float cx, int32_t baseline, std::string_view text, Rgb colour,
                      int32_t size)
{
    TextStyle style{&faces.sansBold, size, colour, 1.0f, 1, Hinting::Full};
    const int32_t width = TextWidth(style, text);
    DrawText(img, style, static_cast<int32_t>(std::lround(cx - static_cast<float>(width) * 0.5f)), baseline, text);
}

void DrawLogo(Image& img, float x, float y, float height)
{
    const float u = height / 16.0f;
    const Rgb colours[3] = {Hex(palette::kAccent), Hex(palette::kAmber), Hex(palette::kRed)};
    const platform::Rect area{static_cast<int32_t>(x) - 2, static_cast<int32_t>(y) - 2,
                              static_cast<int32_t>(x + 20 * u) + 2, static_cast<int32_t>(y + height) + 2};
    for (int i = 0; i < 3; ++i) {
        const Box brick{x + static_cast<float>(i) * 5.0f * u, y + (10.0f - static_cast<float>(i) * 5.0f) * u,
                        x + (static_cast<float>(i) * 5.0f + 9.0f) * u, y + (14.0f - static_cast<float>(i) * 5.0f) * u};
        Fill(img, RoundBox(brick, 1.2f * u), area, VGrad(brick.y0, Shade(colours[i], 0.15f), brick.y1, Shade(colours[i], -0.2f)));
    }
}

Image DrawSkin(Faces& faces)
{
    Image img(kWindowWidth, kWindowHeight, {}, 0.0f);
    const platform::Rect all{0, 0, kWindowWidth - 1, kWindowHeight - 1};

    // The body: opaque wherever the outline covers at least half a pixel.
    for (int32_t y = 0; y < kWindowHeight; ++y)
        for (int32_t x = 0; x < kWindowWidth; ++x)
            if (InWindow(x, y)) {
                const float t = static_cast<float>(y) / static_cast<float>(kWindowHeight - 1);
                img.At(x, y) = Mix(Hex(palette::kShellTop), Hex(palette::kShellBottom), t);
                img.Alpha(x, y) = 1.0f;
            }
    // The upper deck is a shade lighter than the lower one.
    Fill(img, Intersect(Outline(), [](float, float y) { return y - 343.5f; }), all, Solid(Hex(0xFFFFFF)), 0.025f);
    Grain(img, all, 0.006f, 7);
    // The rim: a light line just inside the outline, brightest at the top.
    Fill(img, Outline(Grow(Outline(), 1.0f), 0.5f), all, VGrad(0, Hex(0x5A6371), 600, Hex(0x2A2F37)), 0.7f);

    // Top bar: the title tab, the toolbar, the display.
    Groove(img, 8, 30, 791, 30);
    DrawLogo(img, 16, 9, 16);
    DrawText(img, TextStyle{&faces.sansBold, 12, Hex(palette::kText), 1.0f, 0, Hinting::Full}, 40, 21, "Brickmelody");
    DrawWell(img, kDisplayPanel, 4, Hex(palette::kDisplay));
    {
        // A faint divider between the song name and the time.
        const Rect song = TextAreaOf(TextId::SongName).rect;
        Fill(img, Segment(static_cast<float>(song.right) + 3.5f, 9, static_cast<float>(song.right) + 3.5f, 22, 0.5f),
             kDisplayPanel, Solid(Hex(palette::kDisplayDim)));
    }

    // The channel strip and the arrangement.
    DrawWell(img, {8, kArrangement.top, 77, kArrangement.bottom}, 3, Hex(palette::kPanel), 2.0f);
    for (int32_t ch = 0; ch < kChannels; ++ch) {
        const Rect row = ChannelRowRect(ch);
        if (ch > 0)
            Fill(img, Segment(12, static_cast<float>(row.top) - 2.0f, 73, static_cast<float>(row.top) - 2.0f, 0.5f),
                 {8, row.top - 4, 77, row.top}, Solid(Hex(0x23272E)));
    }
    DrawWell(img, kArrangement, 3, Hex(palette::kRowEven));
    for (int32_t ch = 0; ch < kChannels; ++ch)
        if (ch % 2 == 1) {
            const Rect row = ChannelRowRect(ch);
            Fill(img, RoundBox(BoxOf(row).Inset(0.5f), 1), row, Solid(Hex(palette::kRowOdd)));
        }
    // The region band along the top of the arrangement.
    Fill(img, RoundBox4(BoxOf(kRegionBand).Inset(0.5f), 2.5f, 2.5f, 0, 0), kRegionBand, Solid(Hex(0x1B1F25)));
    DrawWell(img, {kArrangementScroll.rect.left - 1, kArrangementScroll.rect.top, kArrangementScroll.rect.right + 1,
                   kArrangementScroll.rect.bottom},
             4, Hex(palette::kWell), 2.0f);

    // The lower deck.
    Groove(img, 14, 344, 791, 344);
    for (const TextArea& t : kTextAreas) {
        if (t.id == TextId::SongName || t.id == TextId::Time)
            continue;
        const bool display = t.font == FontId::Digits;
        DrawWell(img, t.rect, 3, Hex(display ? palette::kDisplay : palette::kWell), 2.5f);
    }
    DrawWell(img, kLibrary, 3, Hex(palette::kWell));
    for (int32_t row = 1; row < kLibraryVisibleRows; ++row) {
        const float y = static_cast<float>(LibraryRowRect(row).top) - 0.5f;
        Fill(img, Segment(static_cast<float>(kLibrary.left) + 1, y, static_cast<float>(kLibrary.right), y, 0.5f),
             kLibrary, Solid(Hex(0x1A1D22)));
    }
    DrawWell(img, {kLibraryScroll.rect.left, kLibraryScroll.rect.top, kLibraryScroll.rect.right, kLibraryScroll.rect.bottom},
             4, Hex(palette::kWell), 2.0f);

    // Master section: volume and power.
    Groove(img, 517, 376, 517, 596);
    Groove(img, 591, 376, 591, 596);
    DrawLabelCentred(img, faces, 553.5f, 387, "MASTER", Hex(palette::kLabel), 8);
    DrawKnobSeat(img);
    DrawLabelCentred(img, faces, 553.5f, 530, "POWER", Hex(palette::kLabel), 8);

    // Right section: level meters, the swap switch, the engine lamps.
    DrawWell(img, kMeters, 3, Hex(palette::kWell));
    DrawMeterColumns(img);
    {
        const Rect up = ControlOf(ControlId::SwapUp).rect, lever = ControlOf(ControlId::SwapLever).rect;
        const float cx = BoxOf(up).Cx();
        DrawLabelCentred(img, faces, cx, 577, "SWAP", Hex(palette::kLabel), 8);
        // The lever's positions 4 (busy), 2 (on) and 0 (off), top to bottom.
        const float top = static_cast<float>(lever.top) + 8, bottom = static_cast<float>(lever.bottom) - 8;
        const char* names[3] = {"BUSY", "ON", "OFF"};
        for (int i = 0; i < 3; ++i) {
            const float y = top + (bottom - top) * static_cast<float>(i) / 2.0f;
            Fill(img, Segment(static_cast<float>(lever.right) + 3, y, static_cast<float>(lever.right) + 6, y, 0.5f),
                 {lever.right + 1, lever.top, lever.right + 8, lever.bottom}, Solid(Hex(palette::kTextFaint)));
            DrawLabel(img, faces, lever.right + 9, static_cast<int32_t>(y) + 3, names[i], Hex(palette::kLabel), 7);
        }
    }
    {
        const Rect load = ControlOf(ControlId::WireLoad).rect, render = ControlOf(ControlId::WireRender).rect;
        DrawLabel(img, faces, load.right + 6, load.bottom, "WORKER", Hex(palette::kLabel), 8);
        DrawLabel(img, faces, render.right + 6, render.bottom, "RENDER", Hex(palette::kLabel), 8);
        const Rect progress = ControlOf(ControlId::Progress).rect;
        DrawLabel(img, faces, progress.left, progress.top - 5, "PROCESSING", Hex(palette::kLabel), 8);
        DrawWell(img, progress.Grown(1), 3, Hex(palette::kWell), 1.5f);
    }
    DrawLogo(img, 684, 571, 14);
    DrawText(img, TextStyle{&faces.sansBold, 11, Hex(palette::kTextDim), 1.0f, 0, Hinting::Full}, 706, 584, "Brickmelody");

    // The region decides what is window: edge strokes that spill past it are
    // cut off, and every pixel inside is opaque.
    for (int32_t y = 0; y < kWindowHeight; ++y)
        for (int32_t x = 0; x < kWindowWidth; ++x) {
            const bool in = InWindow(x, y);
            if (!in)
                img.At(x, y) = {};
            else if (img.Alpha(x, y) < 1.0f)
                img.At(x, y) = {img.At(x, y).r / img.Alpha(x, y), img.At(x, y).g / img.Alpha(x, y),
                                img.At(x, y).b / img.Alpha(x, y)};
            img.Alpha(x, y) = in ? 1.0f : 0.0f;
        }
    return img;
}

std::vector<uint8_t> PieceMask(const Piece& piece)
{
    std::vector<uint8_t> mask(static_cast<size_t>(piece.width) * static_cast<size_t>(piece.height), 255);
    for (int32_t j = 0; j < piece.height; ++j)
        for (int32_t i = 0; i < piece.width; ++i) {
            const float d = Outline()(static_cast<float>(piece.x + i) + 0.5f, static_cast<float>(piece.y + j) + 0.5f);
            const float cover = Clamp01(0.5f - d);
            float m = 1.0f;
            if (!InWindow(piece.x + i, piece.y + j))
                m = 0.0f; // outside the window; never seen
            else if (d > -2.5f)
                // The outer two pixels let some of the desktop through; the
                // edge pixel in proportion to how much of it is inside.
                m = (0.6f + 0.4f * Clamp01((-d - 0.5f) / 2.0f)) * Clamp01((cover - 0.5f) * 2.0f + 0.35f);
            mask[static_cast<size_t>(j * piece.width + i)] = static_cast<uint8_t>(std::lround(m * 255.0f));
        }
    return mask;
}

std::vector<uint8_t> MoveBarMask()
{
    const int32_t w = kMoveBar.Width(), h = kMoveBar.Height();
    std::vector<uint8_t> mask(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i)
            if (InWindow(kMoveBar.left + i, kMoveBar.top + j))
                mask[static_cast<size_t>(j * w + i)] = 255;
    return mask;
}

} // namespace bm::art
