#include "Glyphs.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace bm::art {

namespace {

constexpr float kPi = 3.14159265358979f;

// Maps the unit square onto the icon's square box.
struct Pen {
    float x0 = 0, y0 = 0, s = 1, hw = 1;

    float X(float u) const { return x0 + u * s; }
    float Y(float v) const { return y0 + v * s; }
    Sdf Line(float u0, float v0, float u1, float v1, float weight = 1.0f) const
    {
        return Segment(X(u0), Y(v0), X(u1), Y(v1), hw * weight);
    }
    Sdf Dot(float u, float v, float r) const { return Circle(X(u), Y(v), r * s); }
    Sdf Rect(float u0, float v0, float u1, float v1, float r = 0.0f) const
    {
        return RoundBox({X(u0), Y(v0), X(u1), Y(v1)}, r * s);
    }
    Sdf Frame(float u0, float v0, float u1, float v1, float r = 0.0f) const
    {
        return Outline(RoundBox(Box{X(u0), Y(v0), X(u1), Y(v1)}.Inset(hw), std::max(r * s - hw, 0.0f)), hw);
    }
    Sdf Tri(std::initializer_list<std::pair<float, float>> uv) const
    {
        std::vector<std::pair<float, float>> pts;
        for (auto [u, v] : uv)
            pts.push_back({X(u), Y(v)});
        return Polygon(std::move(pts));
    }
    Sdf Ring(float u, float v, float r, float a0, float a1, float weight = 1.0f) const
    {
        return Arc(X(u), Y(v), r * s, hw * weight, a0, a1);
    }
};

Sdf All(std::initializer_list<Sdf> parts)
{
    std::vector<Sdf> list(parts);
    return [list](float x, float y) {
        float d = 1e30f;
        for (const Sdf& p : list)
            d = std::min(d, p(x, y));
        return d;
    };
}

float Deg(float d) { return d * kPi / 180.0f; }

// A sheet of paper with a folded corner, the base of the document icons.
Sdf Sheet(const Pen& p)
{
    return All({p.Line(0.22f, 0.1f, 0.6f, 0.1f), p.Line(0.6f, 0.1f, 0.8f, 0.3f), p.Line(0.8f, 0.3f, 0.8f, 0.9f),
                p.Line(0.8f, 0.9f, 0.22f, 0.9f), p.Line(0.22f, 0.9f, 0.22f, 0.1f), p.Line(0.6f, 0.1f, 0.6f, 0.3f),
                p.Line(0.6f, 0.3f, 0.8f, 0.3f)});
}

Sdf Wave(const Pen& p, float u0, float u1, float v, float amp)
{
    std::vector<Sdf> parts;
    const int steps = 10;
    for (int i = 0; i < steps; ++i) {
        const float t0 = static_cast<float>(i) / steps, t1 = static_cast<float>(i + 1) / steps;
        auto at = [&](float t) { return v + amp * std::sin(t * 2.0f * kPi) * std::sin(t * kPi) * 1.2f; };
        parts.push_back(p.Line(u0 + (u1 - u0) * t0, at(t0), u0 + (u1 - u0) * t1, at(t1)));
    }
    return [parts](float x, float y) {
        float d = 1e30f;
        for (const Sdf& s : parts)
            d = std::min(d, s(x, y));
        return d;
    };
}

Sdf Magnifier(const Pen& p) { return All({p.Ring(0.42f, 0.42f, 0.25f, 0, 2 * kPi), p.Line(0.61f, 0.61f, 0.86f, 0.86f, 1.4f)}); }

Sdf Bars(const Pen& p)
{
    return All({p.Line(0.15f, 0.3f, 0.15f, 0.85f), p.Line(0.38f, 0.3f, 0.38f, 0.85f), p.Line(0.61f, 0.3f, 0.61f, 0.85f),
                p.Line(0.15f, 0.85f, 0.61f, 0.85f)});
}

Sdf Shape(Icon icon, const Pen& p)
{
    switch (icon) {
    case Icon::Play: return p.Tri({{0.28f, 0.16f}, {0.84f, 0.5f}, {0.28f, 0.84f}});
    case Icon::Stop: return p.Rect(0.22f, 0.22f, 0.78f, 0.78f, 0.06f);
    case Icon::ToStart:
        return All({p.Rect(0.14f, 0.2f, 0.24f, 0.8f), p.Tri({{0.86f, 0.2f}, {0.28f, 0.5f}, {0.86f, 0.8f}})});
    case Icon::Rewind:
        return All({p.Tri({{0.52f, 0.2f}, {0.06f, 0.5f}, {0.52f, 0.8f}}),
                    p.Tri({{0.94f, 0.2f}, {0.48f, 0.5f}, {0.94f, 0.8f}})});
    case Icon::FastForward:
        return All({p.Tri({{0.06f, 0.2f}, {0.52f, 0.5f}, {0.06f, 0.8f}}),
                    p.Tri({{0.48f, 0.2f}, {0.94f, 0.5f}, {0.48f, 0.8f}})});
    case Icon::ToEnd:
        return All({p.Rect(0.76f, 0.2f, 0.86f, 0.8f), p.Tri({{0.14f, 0.2f}, {0.72f, 0.5f}, {0.14f, 0.8f}})});
    case Icon::Loop:
        return All({p.Ring(0.5f, 0.5f, 0.3f, Deg(-150), Deg(120), 1.2f),
                    p.Tri({{0.12f, 0.12f}, {0.42f, 0.3f}, {0.12f, 0.48f}})});
    case Icon::Record: return p.Dot(0.5f, 0.5f, 0.3f);
    case Icon::Power:
        return All({p.Ring(0.5f, 0.55f, 0.3f, Deg(-55), Deg(235), 1.2f), p.Line(0.5f, 0.1f, 0.5f, 0.5f, 1.2f)});
    case Icon::Plus: return All({p.Line(0.2f, 0.5f, 0.8f, 0.5f, 1.3f), p.Line(0.5f, 0.2f, 0.5f, 0.8f, 1.3f)});
    case Icon::Minus: return p.Line(0.2f, 0.5f, 0.8f, 0.5f, 1.3f);
    case Icon::Cross: return All({p.Line(0.25f, 0.25f, 0.75f, 0.75f, 1.2f), p.Line(0.75f, 0.25f, 0.25f, 0.75f, 1.2f)});
    case Icon::Minimise: return p.Line(0.25f, 0.7f, 0.75f, 0.7f, 1.2f);
    case Icon::ChevronDown: return All({p.Line(0.2f, 0.36f, 0.5f, 0.66f, 1.2f), p.Line(0.5f, 0.66f, 0.8f, 0.36f, 1.2f)});
    case Icon::ChevronUp: return All({p.Line(0.2f, 0.64f, 0.5f, 0.34f, 1.2f), p.Line(0.5f, 0.34f, 0.8f, 0.64f, 1.2f)});
    case Icon::ChevronLeft: return All({p.Line(0.64f, 0.2f, 0.34f, 0.5f, 1.2f), p.Line(0.34f, 0.5f, 0.64f, 0.8f, 1.2f)});
    case Icon::ChevronRight: return All({p.Line(0.36f, 0.2f, 0.66f, 0.5f, 1.2f), p.Line(0.66f, 0.5f, 0.36f, 0.8f, 1.2f)});
    case Icon::DoubleUp:
        return All({p.Line(0.2f, 0.5f, 0.5f, 0.2f, 1.1f), p.Line(0.5f, 0.2f, 0.8f, 0.5f, 1.1f),
                    p.Line(0.2f, 0.8f, 0.5f, 0.5f, 1.1f), p.Line(0.5f, 0.5f, 0.8f, 0.8f, 1.1f)});
    case Icon::DoubleDown:
        return All({p.Line(0.2f, 0.2f, 0.5f, 0.5f, 1.1f), p.Line(0.5f, 0.5f, 0.8f, 0.2f, 1.1f),
                    p.Line(0.2f, 0.5f, 0.5f, 0.8f, 1.1f), p.Line(0.5f, 0.8f, 0.8f, 0.5f, 1.1f)});
    case Icon::Lines:
        return All({p.Line(0.18f, 0.28f, 0.82f, 0.28f, 1.1f), p.Line(0.18f, 0.5f, 0.82f, 0.5f, 1.1f),
                    p.Line(0.18f, 0.72f, 0.82f, 0.72f, 1.1f)});
    case Icon::Metronome:
    case Icon::Tempo:
        return All({p.Line(0.32f, 0.88f, 0.42f, 0.12f), p.Line(0.42f, 0.12f, 0.58f, 0.12f),
                    p.Line(0.58f, 0.12f, 0.68f, 0.88f), p.Line(0.26f, 0.88f, 0.74f, 0.88f),
                    p.Line(0.5f, 0.74f, 0.8f, 0.26f), p.Dot(0.66f, 0.48f, 0.07f)});
    case Icon::Clock:
        return All({p.Ring(0.5f, 0.5f, 0.36f, 0, 2 * kPi), p.Line(0.5f, 0.5f, 0.5f, 0.27f),
                    p.Line(0.5f, 0.5f, 0.68f, 0.6f)});
    case Icon::Magnifier: return Magnifier(p);
    case Icon::Ruler:
        return All({p.Frame(0.08f, 0.32f, 0.92f, 0.68f, 0.05f), p.Line(0.3f, 0.36f, 0.3f, 0.52f),
                    p.Line(0.5f, 0.36f, 0.5f, 0.56f), p.Line(0.7f, 0.36f, 0.7f, 0.52f)});
    case Icon::RegionAdd:
    case Icon::RegionRemove:
    case Icon::RegionPlay:
    case Icon::Join: {
        Sdf brackets = All({p.Line(0.12f, 0.18f, 0.12f, 0.82f), p.Line(0.12f, 0.18f, 0.24f, 0.18f),
                            p.Line(0.12f, 0.82f, 0.24f, 0.82f), p.Line(0.88f, 0.18f, 0.88f, 0.82f),
                            p.Line(0.88f, 0.18f, 0.76f, 0.18f), p.Line(0.88f, 0.82f, 0.76f, 0.82f)});
        if (icon == Icon::RegionAdd)
            return All({brackets, p.Line(0.34f, 0.5f, 0.66f, 0.5f), p.Line(0.5f, 0.34f, 0.5f, 0.66f)});
        if (icon == Icon::RegionRemove)
            return All({brackets, p.Line(0.34f, 0.5f, 0.66f, 0.5f)});
        if (icon == Icon::RegionPlay)
            return All({brackets, p.Tri({{0.38f, 0.3f}, {0.7f, 0.5f}, {0.38f, 0.7f}})});
        return All({brackets, p.Line(0.32f, 0.5f, 0.68f, 0.5f), p.Line(0.5f, 0.3f, 0.5f, 0.7f, 0.6f)});
    }
    case Icon::Grip:
        return All({p.Dot(0.3f, 0.5f, 0.08f), p.Dot(0.5f, 0.5f, 0.08f), p.Dot(0.7f, 0.5f, 0.08f)});
    case Icon::NewSong: return All({Sheet(p), p.Line(0.38f, 0.6f, 0.64f, 0.6f), p.Line(0.51f, 0.47f, 0.51f, 0.73f)});
    case Icon::Open:
    case Icon::Folder:
        return All({p.Line(0.1f, 0.25f, 0.38f, 0.25f), p.Line(0.38f, 0.25f, 0.46f, 0.35f),
                    p.Line(0.46f, 0.35f, 0.9f, 0.35f), p.Line(0.9f, 0.35f, 0.9f, 0.82f),
                    p.Line(0.9f, 0.82f, 0.1f, 0.82f), p.Line(0.1f, 0.82f, 0.1f, 0.25f),
                    p.Line(0.1f, 0.48f, 0.9f, 0.48f)});
    case Icon::Save:
    case Icon::SaveAs: {
        Sdf disk = All({p.Frame(0.14f, 0.14f, 0.86f, 0.86f, 0.08f), p.Rect(0.3f, 0.14f, 0.66f, 0.38f),
                        p.Frame(0.28f, 0.56f, 0.72f, 0.86f)});
        if (icon == Icon::Save)
            return disk;
        return All({Subtract(disk, p.Rect(0.5f, 0.5f, 1.0f, 1.0f)), p.Line(0.56f, 0.92f, 0.92f, 0.56f, 1.2f)});
    }
    case Icon::CloseSong: return All({Sheet(p), p.Line(0.38f, 0.48f, 0.64f, 0.74f), p.Line(0.64f, 0.48f, 0.38f, 0.74f)});
    case Icon::Export:
        return All({Wave(p, 0.08f, 0.56f, 0.5f, 0.22f), p.Line(0.58f, 0.5f, 0.9f, 0.5f),
                    p.Line(0.78f, 0.36f, 0.92f, 0.5f), p.Line(0.78f, 0.64f, 0.92f, 0.5f)});
    case Icon::Undo:
        return All({p.Ring(0.52f, 0.58f, 0.28f, Deg(200), Deg(430), 1.1f),
                    p.Tri({{0.08f, 0.42f}, {0.38f, 0.38f}, {0.2f, 0.66f}})});
    case Icon::Cut:
        return All({p.Ring(0.3f, 0.74f, 0.13f, 0, 2 * kPi), p.Ring(0.7f, 0.74f, 0.13f, 0, 2 * kPi),
                    p.Line(0.38f, 0.64f, 0.68f, 0.12f), p.Line(0.62f, 0.64f, 0.32f, 0.12f)});
    case Icon::Copy:
        return All({p.Frame(0.12f, 0.12f, 0.6f, 0.64f, 0.05f), Subtract(p.Frame(0.38f, 0.36f, 0.88f, 0.88f, 0.05f),
                                                                         p.Rect(0.1f, 0.1f, 0.62f, 0.66f))});
    case Icon::Paste:
        return All({p.Frame(0.18f, 0.18f, 0.82f, 0.9f, 0.06f), p.Rect(0.36f, 0.1f, 0.64f, 0.26f, 0.04f),
                    p.Line(0.32f, 0.48f, 0.68f, 0.48f, 0.8f), p.Line(0.32f, 0.66f, 0.6f, 0.66f, 0.8f)});
    case Icon::Delete:
        return All({p.Line(0.16f, 0.24f, 0.84f, 0.24f), p.Line(0.4f, 0.14f, 0.6f, 0.14f),
                    p.Line(0.26f, 0.24f, 0.32f, 0.88f), p.Line(0.32f, 0.88f, 0.68f, 0.88f),
                    p.Line(0.68f, 0.88f, 0.74f, 0.24f), p.Line(0.5f, 0.38f, 0.5f, 0.76f, 0.8f)});
    case Icon::SelectAll:
    case Icon::SelectNone: {
        std::vector<Sdf> dashes;
        for (int i = 0; i < 4; ++i) {
            const float a = 0.12f + 0.2f * static_cast<float>(i), b = a + 0.1f;
            dashes.push_back(p.Line(a, 0.14f, b, 0.14f, 0.8f));
            dashes.push_back(p.Line(a + 0.06f, 0.86f, b + 0.06f, 0.86f, 0.8f));
            dashes.push_back(p.Line(0.14f, a + 0.06f, 0.14f, b + 0.06f, 0.8f));
            dashes.push_back(p.Line(0.86f, a, 0.86f, b, 0.8f));
        }
        Sdf frame = [dashes](float x, float y) {
            float d = 1e30f;
            for (const Sdf& s : dashes)
                d = std::min(d, s(x, y));
            return d;
        };
        if (icon == Icon::SelectAll)
            return All({frame, p.Rect(0.3f, 0.3f, 0.7f, 0.7f, 0.05f)});
        return frame;
    }
    case Icon::Reverse:
        return All({p.Line(0.18f, 0.34f, 0.82f, 0.34f), p.Tri({{0.7f, 0.18f}, {0.9f, 0.34f}, {0.7f, 0.5f}}),
                    p.Line(0.18f, 0.66f, 0.82f, 0.66f), p.Tri({{0.3f, 0.5f}, {0.1f, 0.66f}, {0.3f, 0.82f}})});
    case Icon::InsertMeasures:
        return All({Bars(p), p.Line(0.72f, 0.24f, 0.96f, 0.24f), p.Line(0.84f, 0.12f, 0.84f, 0.36f)});
    case Icon::RemoveMeasures: return All({Bars(p), p.Line(0.72f, 0.24f, 0.96f, 0.24f)});
    case Icon::VolumeEnvelope:
        return All({p.Line(0.1f, 0.8f, 0.3f, 0.3f), p.Line(0.3f, 0.3f, 0.62f, 0.44f), p.Line(0.62f, 0.44f, 0.9f, 0.8f),
                    p.Dot(0.3f, 0.3f, 0.08f), p.Dot(0.62f, 0.44f, 0.08f)});
    case Icon::PanEnvelope:
        return All({p.Line(0.5f, 0.1f, 0.5f, 0.9f, 0.6f), p.Line(0.14f, 0.7f, 0.38f, 0.3f),
                    p.Line(0.38f, 0.3f, 0.66f, 0.7f), p.Line(0.66f, 0.7f, 0.88f, 0.4f), p.Dot(0.38f, 0.3f, 0.08f),
                    p.Dot(0.66f, 0.7f, 0.08f)});
    case Icon::Follow:
        return All({p.Line(0.3f, 0.12f, 0.3f, 0.88f), p.Line(0.46f, 0.5f, 0.86f, 0.5f),
                    p.Tri({{0.72f, 0.34f}, {0.92f, 0.5f}, {0.72f, 0.66f}})});
    case Icon::Smooth:
        return All({p.Line(0.3f, 0.12f, 0.3f, 0.88f), p.Ring(0.62f, 0.9f, 0.42f, Deg(-160), Deg(-60))});
    case Icon::ZoomIn:
        return All({Magnifier(p), p.Line(0.3f, 0.42f, 0.54f, 0.42f, 0.8f), p.Line(0.42f, 0.3f, 0.42f, 0.54f, 0.8f)});
    case Icon::ZoomOut: return All({Magnifier(p), p.Line(0.3f, 0.42f, 0.54f, 0.42f, 0.8f)});
    case Icon::Speaker:
        return All({p.Tri({{0.1f, 0.38f}, {0.28f, 0.38f}, {0.5f, 0.16f}, {0.5f, 0.84f}, {0.28f, 0.62f}, {0.1f, 0.62f}}),
                    p.Ring(0.5f, 0.5f, 0.2f, Deg(-50), Deg(50)), p.Ring(0.5f, 0.5f, 0.36f, Deg(-50), Deg(50))});
    case Icon::Properties:
    case Icon::Slider:
        return All({p.Line(0.14f, 0.28f, 0.86f, 0.28f, 0.8f), p.Line(0.14f, 0.72f, 0.86f, 0.72f, 0.8f),
                    p.Rect(0.56f, 0.16f, 0.7f, 0.4f, 0.04f), p.Rect(0.28f, 0.6f, 0.42f, 0.84f, 0.04f)});
    case Icon::AddSample:
        return All({Wave(p, 0.06f, 0.66f, 0.56f, 0.2f), p.Line(0.66f, 0.22f, 0.94f, 0.22f),
                    p.Line(0.8f, 0.08f, 0.8f, 0.36f)});
    case Icon::RemoveSample:
        return All({Wave(p, 0.06f, 0.66f, 0.56f, 0.2f), p.Line(0.7f, 0.1f, 0.92f, 0.32f),
                    p.Line(0.92f, 0.1f, 0.7f, 0.32f)});
    case Icon::PitchCopy:
        return All({p.Dot(0.3f, 0.74f, 0.13f), p.Line(0.41f, 0.74f, 0.41f, 0.16f), p.Line(0.41f, 0.16f, 0.6f, 0.26f),
                    p.Line(0.72f, 0.5f, 0.72f, 0.88f), p.Tri({{0.58f, 0.52f}, {0.72f, 0.3f}, {0.86f, 0.52f}})});
    case Icon::Options: {
        std::vector<Sdf> teeth;
        for (int i = 0; i < 8; ++i) {
            const float a = static_cast<float>(i) * kPi / 4.0f;
            teeth.push_back(p.Line(0.5f + 0.26f * std::cos(a), 0.5f + 0.26f * std::sin(a),
                                   0.5f + 0.38f * std::cos(a), 0.5f + 0.38f * std::sin(a), 1.4f));
        }
        Sdf ring = p.Ring(0.5f, 0.5f, 0.24f, 0, 2 * kPi, 1.3f);
        return [teeth, ring](float x, float y) {
            float d = ring(x, y);
            for (const Sdf& t : teeth)
                d = std::min(d, t(x, y));
            return d;
        };
    }
    case Icon::Help:
        return All({p.Ring(0.5f, 0.36f, 0.2f, Deg(180), Deg(400), 1.2f), p.Line(0.62f, 0.52f, 0.5f, 0.62f, 1.2f),
                    p.Line(0.5f, 0.62f, 0.5f, 0.66f, 1.2f), p.Dot(0.5f, 0.84f, 0.07f)});
    case Icon::News:
        return All({p.Ring(0.5f, 0.56f, 0.28f, Deg(180), Deg(360)), p.Line(0.22f, 0.56f, 0.22f, 0.74f),
                    p.Line(0.78f, 0.56f, 0.78f, 0.74f), p.Line(0.14f, 0.74f, 0.86f, 0.74f),
                    p.Dot(0.5f, 0.86f, 0.08f), p.Line(0.5f, 0.14f, 0.5f, 0.26f)});
    case Icon::Library:
        return All({p.Rect(0.1f, 0.62f, 0.46f, 0.86f, 0.04f), p.Rect(0.54f, 0.62f, 0.9f, 0.86f, 0.04f),
                    p.Rect(0.3f, 0.34f, 0.7f, 0.56f, 0.04f), p.Rect(0.5f, 0.08f, 0.86f, 0.28f, 0.04f)});
    case Icon::InsertSong:
        return All({Sheet(p), p.Dot(0.44f, 0.72f, 0.08f), p.Line(0.51f, 0.72f, 0.51f, 0.44f),
                    p.Line(0.51f, 0.44f, 0.64f, 0.5f)});
    case Icon::Restore:
        return All({p.Ring(0.52f, 0.5f, 0.32f, Deg(200), Deg(500), 1.1f),
                    p.Tri({{0.06f, 0.34f}, {0.36f, 0.34f}, {0.2f, 0.58f}}), p.Line(0.52f, 0.5f, 0.52f, 0.32f),
                    p.Line(0.52f, 0.5f, 0.66f, 0.58f)});
    case Icon::Move:
        return All({p.Line(0.5f, 0.2f, 0.5f, 0.8f), p.Line(0.2f, 0.5f, 0.8f, 0.5f),
                    p.Tri({{0.32f, 0.26f}, {0.5f, 0.04f}, {0.68f, 0.26f}}), p.Tri({{0.32f, 0.74f}, {0.5f, 0.96f}, {0.68f, 0.74f}}),
                    p.Tri({{0.26f, 0.32f}, {0.04f, 0.5f}, {0.26f, 0.68f}}), p.Tri({{0.74f, 0.32f}, {0.96f, 0.5f}, {0.74f, 0.68f}})});
    case Icon::Place:
        return All({p.Frame(0.12f, 0.6f, 0.88f, 0.9f, 0.05f), p.Line(0.5f, 0.08f, 0.5f, 0.42f),
                    p.Tri({{0.34f, 0.36f}, {0.5f, 0.54f}, {0.66f, 0.36f}})});
    case Icon::Replace:
        return All({p.Ring(0.5f, 0.5f, 0.3f, Deg(200), Deg(330), 1.1f), p.Ring(0.5f, 0.5f, 0.3f, Deg(20), Deg(150), 1.1f),
                    p.Tri({{0.7f, 0.14f}, {0.86f, 0.36f}, {0.6f, 0.4f}}), p.Tri({{0.3f, 0.86f}, {0.14f, 0.64f}, {0.4f, 0.6f}})});
    case Icon::Group:
        return All({p.Rect(0.12f, 0.14f, 0.88f, 0.34f, 0.04f), p.Rect(0.12f, 0.42f, 0.88f, 0.6f, 0.04f),
                    p.Rect(0.12f, 0.68f, 0.88f, 0.86f, 0.04f)});
    case Icon::Chord:
        return All({p.Dot(0.3f, 0.76f, 0.11f), p.Dot(0.66f, 0.66f, 0.11f), p.Line(0.4f, 0.76f, 0.4f, 0.2f),
                    p.Line(0.76f, 0.66f, 0.76f, 0.12f), p.Line(0.4f, 0.2f, 0.76f, 0.12f, 1.4f)});
    case Icon::View: {
        // An eye: the lens where two circles overlap, and its pupil.
        const Sdf lens = Intersect(p.Dot(0.5f, 0.98f, 0.62f), p.Dot(0.5f, 0.02f, 0.62f));
        return All({Outline(lens, p.hw), p.Dot(0.5f, 0.5f, 0.13f)});
    }
    case Icon::Transport:
        return All({p.Ring(0.5f, 0.5f, 0.38f, 0, 2 * kPi), p.Tri({{0.42f, 0.32f}, {0.7f, 0.5f}, {0.42f, 0.68f}})});
    case Icon::Edit: {
        // A pencil lying from the lower left to the upper right.
        const Sdf body = Outline(p.Tri({{0.3f, 0.86f}, {0.14f, 0.7f}, {0.66f, 0.18f}, {0.82f, 0.34f}}), p.hw);
        return All({body, p.Tri({{0.14f, 0.7f}, {0.3f, 0.86f}, {0.08f, 0.92f}}), p.Line(0.58f, 0.26f, 0.74f, 0.42f)});
    }
    case Icon::Check: return All({p.Line(0.2f, 0.52f, 0.42f, 0.74f, 1.3f), p.Line(0.42f, 0.74f, 0.82f, 0.28f, 1.3f)});
    case Icon::Silence:
        return All({p.Line(0.4f, 0.16f, 0.6f, 0.36f), p.Line(0.6f, 0.36f, 0.42f, 0.54f),
                    p.Line(0.42f, 0.54f, 0.62f, 0.72f), p.Ring(0.5f, 0.8f, 0.1f, Deg(-90), Deg(150))});
    case Icon::Count: break;
    }
    return [](float, float) { return 1e30f; };
}

} // namespace

void DrawIcon(Image& img, Icon icon, const Box& box, Rgb colour, float opacity)
{
    const float s = std::min(box.W(), box.H());
    Pen pen;
    pen.s = s;
    pen.x0 = box.Cx() - s * 0.5f;
    pen.y0 = box.Cy() - s * 0.5f;
    pen.hw = std::max(0.75f, s * 0.05f);
    const platform::Rect area{static_cast<int32_t>(std::floor(box.x0)) - 2, static_cast<int32_t>(std::floor(box.y0)) - 2,
                              static_cast<int32_t>(std::ceil(box.x1)) + 2, static_cast<int32_t>(std::ceil(box.y1)) + 2};
    Fill(img, Shape(icon, pen), area, Solid(colour), opacity);
}

} // namespace bm::art
