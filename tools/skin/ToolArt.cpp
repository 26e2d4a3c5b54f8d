// The small skinned windows: the zoom and measure tool windows, the snap
// pictures and the splash window.

#include "Art.h"
#include "Glyphs.h"
#include "Skin.h"
#include "Widgets.h"

#include "ui/main/Layout.h"
#include "ui/skin/SkinPalette.h"

#include <cmath>

namespace bm::art {

namespace {

using namespace bm::layout;

// A small window's face: a rounded panel, black outside, with a rim.
Image Panel(int32_t width, int32_t height, float radius)
{
    Image img(width, height, {}, 0.0f);
    const platform::Rect all{0, 0, width - 1, height - 1};
    const Box b{0, 0, static_cast<float>(width), static_cast<float>(height)};
    const Sdf shape = RoundBox(b, radius);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (shape(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f) <= 0.0f) {
                const float t = static_cast<float>(y) / static_cast<float>(height - 1);
                img.At(x, y) = Mix(Hex(palette::kShellTop), Hex(palette::kShellBottom), t);
                img.Alpha(x, y) = 1.0f;
            }
    Fill(img, Outline(Grow(shape, 1.0f), 0.5f), all, VGrad(0, Hex(0x5A6371), b.y1, Hex(0x2A2F37)), 0.7f);
    return img;
}

ButtonArt ToolButton(Icon icon)
{
    ButtonArt art;
    art.radius = 4;
    art.accent = Hex(palette::kAccent);
    art.content = IconContent(icon, 10);
    return art;
}

void ToolWindow(Output& out, Faces& faces, const ToolWindowSpec& look, const char* title, Icon less, Icon more)
{
    Image face = Panel(look.width, look.height, 8);
    const float cx = (static_cast<float>(look.less.right) + static_cast<float>(look.more.left)) * 0.5f + 0.5f;
    DrawLabelCentred(face, faces, cx, look.height / 2 + 3, title, Hex(palette::kLabel), 8);
    out.Picture(std::string(look.skin), face);
    out.Picture(std::string(look.lessStrip), ButtonStrip(face, look.less, kToolButtonLayout, ToolButton(less)));
    out.Picture(std::string(look.moreStrip), ButtonStrip(face, look.more, kToolButtonLayout, ToolButton(more)));
}

// The snap pictures: grid and cursor markers in both directions and an info
// plate, drawn as the rest of the skin is.
void SnapPictures(Output& out, Faces& faces)
{
    const Rgb accent = Hex(palette::kAccent), dim = Hex(palette::kTextFaint);
    for (int vertical = 0; vertical < 2; ++vertical) {
        const int32_t w = vertical ? 12 : 48, h = vertical ? 48 : 12;
        const platform::Rect all{0, 0, w - 1, h - 1};
        Image grid(w, h, Hex(palette::kWell), 1.0f);
        for (int i = 0; i <= 8; ++i) {
            const float at = 2.0f + static_cast<float>(i) * 5.5f;
            const float len = i % 4 == 0 ? 8.0f : 4.0f;
            const Sdf tick = vertical ? Segment(2, at, 2 + len, at, 0.5f) : Segment(at, 10, at, 10 - len, 0.5f);
            Fill(grid, tick, all, Solid(i % 4 == 0 ? accent : dim));
        }
        out.Picture(vertical ? "Snap Grid V.bmp" : "Snap Grid H.bmp", grid);

        Image cursor(w, h, Hex(palette::kWell), 1.0f);
        const Sdf line = vertical ? Segment(6, 2, 6, 46, 0.6f) : Segment(2, 6, 46, 6, 0.6f);
        Fill(cursor, line, all, Solid(Hex(palette::kCursor)));
        const Sdf arrow = vertical ? Polygon({{2, 20}, {10, 24}, {2, 28}}) : Polygon({{20, 2}, {24, 10}, {28, 2}});
        Fill(cursor, arrow, all, Solid(Hex(palette::kCursor)));
        out.Picture(vertical ? "Snap Cursor V.bmp" : "Snap Cursor H.bmp", cursor);
    }
    Image info = Panel(120, 22, 6);
    DrawWell(info, {50, 4, 115, 17}, 3, Hex(palette::kDisplay), 2.0f);
    DrawLabel(info, faces, 8, 15, "SNAP", Hex(palette::kLabel), 8);
    DrawIcon(info, Icon::Ruler, {34, 5, 46, 17}, Hex(palette::kTextDim));
    out.Picture("Snap Info.bmp", info);
}

void Splash(Output& out, Faces& faces)
{
    Image face = Panel(kSplashWidth, kSplashHeight, 14);
    const platform::Rect all{0, 0, kSplashWidth - 1, kSplashHeight - 1};
    // A rising line of bricks across the right, the logo grown into a melody.
    const Rgb colours[12] = {Hex(palette::kChannelColours[0]), Hex(palette::kChannelColours[1]),
                             Hex(palette::kChannelColours[2]), Hex(palette::kChannelColours[3]),
                             Hex(palette::kChannelColours[4]), Hex(palette::kChannelColours[5]),
                             Hex(palette::kChannelColours[6]), Hex(palette::kChannelColours[7]),
                             Hex(palette::kChannelColours[8]), Hex(palette::kChannelColours[9]),
                             Hex(palette::kChannelColours[10]), Hex(palette::kChannelColours[11])};
    const int steps[12] = {0, 2, 4, 5, 7, 4, 9, 7, 11, 9, 12, 14};
    for (int i = 0; i < 12; ++i) {
        const float x = 232.0f + static_cast<float>(i) * 14.0f;
        const float y = 128.0f - static_cast<float>(steps[i]) * 6.0f;
        const Box brick{x, y, x + 12, y + 7};
        Glow(face, RoundBox(brick, 2), all, colours[i], 4.0f, 0.25f);
        Fill(face, RoundBox(brick, 2), all, VGrad(brick.y0, Shade(colours[i], 0.2f), brick.y1, Shade(colours[i], -0.25f)), 0.9f);
    }
    DrawLogo(face, 28, 34, 26);
    DrawText(face, TextStyle{&faces.sansBold, 30, Hex(palette::kText), 1.0f, 0, Hinting::Light}, 68, 58, "Brickmelody");
    DrawText(face, TextStyle{&faces.sans, 12, Hex(palette::kTextDim), 1.0f, 1, Hinting::Full}, 70, 80, "Loop composer");
    DrawText(face, TextStyle{&faces.sansBold, 9, Hex(palette::kLabel), 1.0f, 1, Hinting::Full}, 70, 100, "VERSION 1.2");
    DrawTextCentred(face, TextStyle{&faces.sans, 9, Hex(palette::kTextFaint), 1.0f, 0, Hinting::Full},
                    {0, 192, static_cast<float>(kSplashWidth), 208}, "Click anywhere or press a key to begin");
    out.Picture(std::string(kSplashSkin), face);

    ButtonArt art;
    art.radius = 6;
    art.accent = Hex(palette::kAccent);
    art.content = [&faces](Image& cell, const Box& box, Look, Rgb ink, float opacity) {
        DrawTextCentred(cell, TextStyle{&faces.sansBold, 9, ink, opacity, 1, Hinting::Full}, box,
                        "VISIT THE WEBSITE");
    };
    out.Picture(std::string(kSplashButtonStrip), ButtonStrip(face, kSplashButton, kSplashButtonLayout, art));
}

} // namespace

void MakeToolWindows(Output& out, Faces& faces)
{
    ToolWindow(out, faces, kZoomWindow, "ZOOM", Icon::Minus, Icon::Plus);
    ToolWindow(out, faces, kMeasureWindow, "MEASURES", Icon::Minus, Icon::Plus);
    // The buttons that open them sit on the main window (see the strips).
    SnapPictures(out, faces);
}

void MakeSplash(Output& out, Faces& faces) { Splash(out, faces); }

} // namespace bm::art
