#pragma once

// The generator's drawing surface: a floating-point RGB image with coverage,
// shapes given by signed distance functions (negative inside, in pixels) and
// paints given as functions of the position. Every edge is anti-aliased
// from the distance at the pixel's centre, which is exact enough for the
// rounded rectangles, circles, strokes and polygons the art is made of.
//
// Pixel (i, j) covers [i, i + 1) × [j, j + 1); its centre is (i + 0.5, j + 0.5).
// A layout rectangle (l, t, r, b), inclusive, is the box [l, r + 1) × [t, b + 1).
//
//     Image img(40, 20, Hex(0x202428));
//     Fill(img, RoundBox(BoxOf(rect), 4), BoundsOf(rect), VGrad(0, Hex(0x3A414C), 20, Hex(0x2C323B)));

#include "platform/Geometry.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace bm::art {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

constexpr Rgb Hex(uint32_t rrggbb)
{
    return {static_cast<float>((rrggbb >> 16) & 0xFF) / 255.0f, static_cast<float>((rrggbb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rrggbb & 0xFF) / 255.0f};
}
Rgb Mix(Rgb a, Rgb b, float t);
// Towards white (amount > 0) or black (amount < 0), 0 to 1.
Rgb Shade(Rgb c, float amount);
// 0x00RRGGBB of a colour, rounded.
uint32_t ToHex(Rgb c);

struct Box {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    float W() const { return x1 - x0; }
    float H() const { return y1 - y0; }
    float Cx() const { return (x0 + x1) * 0.5f; }
    float Cy() const { return (y0 + y1) * 0.5f; }
    Box Inset(float d) const { return {x0 + d, y0 + d, x1 - d, y1 - d}; }
    Box Moved(float dx, float dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
};
Box BoxOf(const platform::Rect& r);
// The same rectangle relative to its own top-left corner.
Box LocalBox(const platform::Rect& r);

class Image {
public:
    Image() = default;
    Image(int32_t width, int32_t height, Rgb fill = {}, float alpha = 1.0f);

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    Rgb& At(int32_t x, int32_t y) { return m_rgb[Index(x, y)]; }
    const Rgb& At(int32_t x, int32_t y) const { return m_rgb[Index(x, y)]; }
    float& Alpha(int32_t x, int32_t y) { return m_alpha[Index(x, y)]; }
    float Alpha(int32_t x, int32_t y) const { return m_alpha[Index(x, y)]; }

    // Source-over of one pixel with opacity a (0 to 1).
    void Over(int32_t x, int32_t y, Rgb c, float a);
    // `src` drawn over this image with its top-left corner at (x, y).
    void Composite(const Image& src, int32_t x, int32_t y, float opacity = 1.0f);
    // Copies pixels and coverage as they are.
    void Paste(const Image& src, int32_t x, int32_t y);
    Image Crop(const platform::Rect& r) const;
    // Each pixel becomes a block of factor × factor pixels.
    Image Scaled(int32_t factor) const;

    // Blue, green, red bytes, rows top-down, with an ordered dither so that
    // gradients do not band. Pixels whose coverage is below `keyBelow` become
    // pure black (the transparent colour of the skin); every other pixel is
    // kept off pure black so it is never taken for transparency.
    std::vector<uint8_t> ToBgr(float keyBelow = -1.0f) const;
    // Red, green, blue bytes for PNG output, rows top-down.
    std::vector<uint8_t> ToRgb() const;

private:
    size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x); }
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::vector<Rgb> m_rgb;
    std::vector<float> m_alpha;
};

// Shapes: signed distance in pixels, negative inside.
using Sdf = std::function<float(float x, float y)>;
Sdf RoundBox(Box b, float radius);
Sdf RoundBox4(Box b, float topLeft, float topRight, float bottomRight, float bottomLeft);
Sdf Circle(float cx, float cy, float radius);
Sdf Segment(float ax, float ay, float bx, float by, float halfWidth);
// A closed polygon (points in order, either winding).
Sdf Polygon(std::vector<std::pair<float, float>> points);
// Arc of a ring: centre, middle radius, half thickness, from angle a0 to a1
// in radians (0 = right, growing clockwise on screen), with round ends.
Sdf Arc(float cx, float cy, float radius, float halfWidth, float a0, float a1);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
// The band of width 2 × halfWidth around the shape's edge.
Sdf Outline(Sdf a, float halfWidth);
Sdf Grow(Sdf a, float by);

using Paint = std::function<Rgb(float x, float y)>;
Paint Solid(Rgb c);
Paint VGrad(float y0, Rgb c0, float y1, Rgb c1);
Paint HGrad(float x0, Rgb c0, float x1, Rgb c1);
Paint Radial(float cx, float cy, float r, Rgb inner, Rgb outer);

// Fills the shape over the pixels of `area` (shapes may be cut by it).
void Fill(Image& img, const Sdf& shape, const platform::Rect& area, const Paint& paint, float opacity = 1.0f);
// A soft halo outside the shape: opacity falls off as exp(-distance / radius).
void Glow(Image& img, const Sdf& shape, const platform::Rect& area, Rgb c, float radius, float opacity);
// A shadow cast inside the shape from its edge, `depth` pixels deep,
// strongest at the edge; (dx, dy) moves the light.
void InnerShadow(Image& img, const Sdf& shape, const platform::Rect& area, Rgb c, float depth, float opacity,
                 float dx = 0, float dy = 0);

// A deterministic pseudo-random grain of ± amount (0 to 1) over the area,
// so that large flat panels look like a material rather than a fill.
void Grain(Image& img, const platform::Rect& area, float amount, uint32_t seed);

} // namespace bm::art
