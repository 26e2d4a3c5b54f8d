#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace bm::art {

namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }

// 4 × 4 ordered dither thresholds, centred on zero, in 1/16 steps of one level.
constexpr float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint8_t Quantise(float v, int32_t x, int32_t y)
{
    const float dither = (kBayer[y & 3][x & 3] - 7.5f) / 16.0f;
    const float level = std::floor(Clamp01(v) * 255.0f + 0.5f + dither);
    return static_cast<uint8_t>(std::clamp(level, 0.0f, 255.0f));
}

// Visits the pixels of `area` that lie inside the image.
template <typename F>
void ForArea(const Image& img, const platform::Rect& area, F&& f)
{
    const int32_t x0 = std::max(area.left, 0), y0 = std::max(area.top, 0);
    const int32_t x1 = std::min(area.right, img.Width() - 1), y1 = std::min(area.bottom, img.Height() - 1);
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            f(x, y, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
}

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

} // namespace

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb Shade(Rgb c, float amount)
{
    return amount >= 0 ? Mix(c, {1, 1, 1}, amount) : Mix(c, {0, 0, 0}, -amount);
}

uint32_t ToHex(Rgb c)
{
    auto channel = [](float v) { return static_cast<uint32_t>(std::lround(Clamp01(v) * 255.0f)); };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

Box BoxOf(const platform::Rect& r)
{
    return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right + 1),
            static_cast<float>(r.bottom + 1)};
}

Box LocalBox(const platform::Rect& r)
{
    return {0, 0, static_cast<float>(r.Width()), static_cast<float>(r.Height())};
}

Image::Image(int32_t width, int32_t height, Rgb fill, float alpha)
    : m_width(width), m_height(height),
      m_rgb(static_cast<size_t>(width) * static_cast<size_t>(height), Rgb{fill.r * alpha, fill.g * alpha, fill.b * alpha}),
      m_alpha(static_cast<size_t>(width) * static_cast<size_t>(height), alpha)
{
}

void Image::Over(int32_t x, int32_t y, Rgb c, float a)
{
    if (!Inside(x, y) || a <= 0.0f)
        return;
    a = std::min(a, 1.0f);
    Rgb& d = At(x, y);
    d = {c.r * a + d.r * (1 - a), c.g * a + d.g * (1 - a), c.b * a + d.b * (1 - a)};
    float& da = Alpha(x, y);
    da = a + da * (1 - a);
}

void Image::Composite(const Image& src, int32_t x, int32_t y, float opacity)
{
    for (int32_t j = 0; j < src.Height(); ++j)
        for (int32_t i = 0; i < src.Width(); ++i) {
            if (!Inside(x + i, y + j))
                continue;
            const float a = src.Alpha(i, j) * opacity;
            if (a <= 0.0f)
                continue;
            const Rgb& s = src.At(i, j);
            Rgb& d = At(x + i, y + j);
            d = {s.r * opacity + d.r * (1 - a), s.g * opacity + d.g * (1 - a), s.b * opacity + d.b * (1 - a)};
            float& da = Alpha(x + i, y + j);
            da = a + da * (1 - a);
        }
}

void Image::Paste(const Image& src, int32_t x, int32_t y)
{
    for (int32_t j = 0; j < src.Height(); ++j)
        for (int32_t i = 0; i < src.Width(); ++i)
            if (Inside(x + i, y + j)) {
                At(x + i, y + j) = src.At(i, j);
                Alpha(x + i, y + j) = src.Alpha(i, j);
            }
}

Image Image::Crop(const platform::Rect& r) const
{
    Image out(r.Width(), r.Height(), {}, 0.0f);
    for (int32_t j = 0; j < out.Height(); ++j)
        for (int32_t i = 0; i < out.Width(); ++i)
            if (Inside(r.left + i, r.top + j)) {
                out.At(i, j) = At(r.left + i, r.top + j);
                out.Alpha(i, j) = Alpha(r.left + i, r.top + j);
            }
    return out;
}

Image Image::Scaled(int32_t factor) const
{
    Image out(m_width * factor, m_height * factor, {}, 0.0f);
    for (int32_t y = 0; y < out.Height(); ++y)
        for (int32_t x = 0; x < out.Width(); ++x) {
            out.At(x, y) = At(x / factor, y / factor);
            out.Alpha(x, y) = Alpha(x / factor, y / factor);
        }
    return out;
}

std::vector<uint8_t> Image::ToBgr(float keyBelow) const
{
    std::vector<uint8_t> out(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 3);
    size_t at = 0;
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x, at += 3) {
            const float a = Alpha(x, y);
            if (a < keyBelow) {
                out[at] = out[at + 1] = out[at + 2] = 0;
                continue;
            }
            Rgb c = At(x, y);
            if (keyBelow >= 0.0f && a > 0.0f)
                c = {c.r / a, c.g / a, c.b / a}; // a kept edge pixel shows its own colour
            uint8_t b = Quantise(c.b, x, y), g = Quantise(c.g, x, y), r = Quantise(c.r, x, y);
            if ((r | g | b) == 0)
                r = g = b = 1;
            out[at] = b;
            out[at + 1] = g;
            out[at + 2] = r;
        }
    return out;
}

std::vector<uint8_t> Image::ToRgb() const
{
    std::vector<uint8_t> out(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 3);
    size_t at = 0;
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x, at += 3) {
            const Rgb& c = At(x, y);
            out[at] = Quantise(c.r, x, y);
            out[at + 1] = Quantise(c.g, x, y);
            out[at + 2] = Quantise(c.b, x, y);
        }
    return out;
}

Sdf RoundBox(Box b, float radius) { return RoundBox4(b, radius, radius, radius, radius); }

Sdf RoundBox4(Box b, float topLeft, float topRight, float bottomRight, float bottomLeft)
{
    return [=](float x, float y) {
        const float px = x - b.Cx(), py = y - b.Cy();
        const float r = px < 0 ? (py < 0 ? topLeft : bottomLeft) : (py < 0 ? topRight : bottomRight);
        const float qx = std::fabs(px) - b.W() * 0.5f + r;
        const float qy = std::fabs(py) - b.H() * 0.5f + r;
        const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
    };
}

Sdf Circle(float cx, float cy, float radius)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Sdf Segment(float ax, float ay, float bx, float by, float halfWidth)
{
    return [=](float x, float y) {
        const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
        const float len2 = ex * ex + ey * ey;
        const float t = len2 > 0 ? Clamp01((px * ex + py * ey) / len2) : 0.0f;
        return std::hypot(px - ex * t, py - ey * t) - halfWidth;
    };
}

Sdf Polygon(std::vector<std::pair<float, float>> points)
{
    return [pts = std::move(points)](float x, float y) {
        float best = 1e30f;
        float sign = 1.0f;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const float vx = pts[i].first, vy = pts[i].second;
            const float ex = pts[j].first - vx, ey = pts[j].second - vy;
            const float wx = x - vx, wy = y - vy;
            const float len2 = ex * ex + ey * ey;
            const float t = len2 > 0 ? Clamp01((wx * ex + wy * ey) / len2) : 0.0f;
            const float bx = wx - ex * t, by = wy - ey * t;
            best = std::min(best, bx * bx + by * by);
            const bool c1 = y >= vy, c2 = y < pts[j].second, c3 = ex * wy > ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                sign = -sign;
        }
        return sign * std::sqrt(best);
    };
}

Sdf Arc(float cx, float cy, float radius, float halfWidth, float a0, float a1)
{
    return [=](float x, float y) {
        const float px = x - cx, py = y - cy;
        float t = std::atan2(py, px) - a0;
        while (t < 0)
            t += 2 * kPi;
        while (t >= 2 * kPi)
            t -= 2 * kPi;
        if (t <= a1 - a0)
            return std::fabs(std::hypot(px, py) - radius) - halfWidth;
        const float e0 = std::hypot(px - radius * std::cos(a0), py - radius * std::sin(a0));
        const float e1 = std::hypot(px - radius * std::cos(a1), py - radius * std::sin(a1));
        return std::min(e0, e1) - halfWidth;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Outline(Sdf a, float halfWidth)
{
    return [a = std::move(a), halfWidth](float x, float y) { return std::fabs(a(x, y)) - halfWidth; };
}

Sdf Grow(Sdf a, float by)
{
    return [a = std::move(a), by](float x, float y) { return a(x, y) - by; };
}

Paint Solid(Rgb c)
{
    return [c](float, float) { return c; };
}

Paint VGrad(float y0, Rgb c0, float y1, Rgb c1)
{
    return [=](float, float y) { return Mix(c0, c1, Clamp01((y - y0) / (y1 - y0))); };
}

Paint HGrad(float x0, Rgb c0, float x1, Rgb c1)
{
    return [=](float x, float) { return Mix(c0, c1, Clamp01((x - x0) / (x1 - x0))); };
}

Paint Radial(float cx, float cy, float r, Rgb inner, Rgb outer)
{
    return [=](float x, float y) { return Mix(inner, outer, Clamp01(std::hypot(x - cx, y - cy) / r)); };
}

void Fill(Image& img, const Sdf& shape, const platform::Rect& area, const Paint& paint, float opacity)
{
    ForArea(img, area, [&](int32_t x, int32_t y, float fx, float fy) {
        const float cover = Clamp01(0.5f - shape(fx, fy));
        if (cover > 0.0f)
            img.Over(x, y, paint(fx, fy), cover * opacity);
    });
}

void Glow(Image& img, const Sdf& shape, const platform::Rect& area, Rgb c, float radius, float opacity)
{
    ForArea(img, area, [&](int32_t x, int32_t y, float fx, float fy) {
        const float d = shape(fx, fy);
        if (d > -0.5f)
            img.Over(x, y, c, opacity * std::exp(-std::max(d, 0.0f) / radius) * Clamp01(d + 0.5f));
    });
}

void InnerShadow(Image& img, const Sdf& shape, const platform::Rect& area, Rgb c, float depth, float opacity,
                 float dx, float dy)
{
    ForArea(img, area, [&](int32_t x, int32_t y, float fx, float fy) {
        const float cover = Clamp01(0.5f - shape(fx, fy));
        if (cover <= 0.0f)
            return;
        const float inside = -shape(fx - dx, fy - dy); // depth below the moved edge
        const float t = 1.0f - Clamp01(inside / depth);
        if (t > 0.0f)
            img.Over(x, y, c, opacity * t * t * cover);
    });
}

void Grain(Image& img, const platform::Rect& area, float amount, uint32_t seed)
{
    ForArea(img, area, [&](int32_t x, int32_t y, float, float) {
        const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed);
        const float n = (static_cast<float>(h & 0xFFFF) / 65535.0f * 2.0f - 1.0f) * amount * img.Alpha(x, y);
        Rgb& p = img.At(x, y);
        p = {p.r + n, p.g + n, p.b + n};
    });
}

} // namespace bm::art
