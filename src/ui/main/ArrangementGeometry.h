#pragma once

// Where things are in the arrangement: pure functions of the measure width
// W (pixels per measure), the samples per measure S, the horizontal scroll
// position X (pixels) and the area's left L and top T. Every division is an
// integer division after the multiplication, as the drawing and the hit
// tests must agree to the pixel.

#include <cstdint>

namespace bm::ui::geometry {

constexpr int32_t kRowPitch = 25;     // channel rows are this far apart
constexpr int32_t kRowOffset = 6;     // first row's top below the area's top
constexpr int32_t kRowHeight = 21;    // rows span top + 6 ... top + 26
constexpr int32_t kHandleBand = 6;    // region handles live in the area's top pixels
constexpr int32_t kMinBarMeasures = 4; // a slot bar is at least 4 × W wide

struct Frame {
    int32_t W = 9;
    int32_t S = 20352;
    int32_t X = 0;
    int32_t L = 0;
    int32_t T = 0;
};

inline int32_t MeasureX(const Frame& f, int64_t measure) { return static_cast<int32_t>(f.L + measure * f.W - f.X); }
inline int32_t SampleX(const Frame& f, int64_t position)
{
    return static_cast<int32_t>(f.L + position * f.W / f.S - f.X);
}
inline int32_t RowTop(const Frame& f, int32_t channel) { return f.T + kRowPitch * channel + kRowOffset; }
inline int32_t RowBottom(const Frame& f, int32_t channel) { return f.T + kRowPitch * channel + kRowOffset + 20; }
// The row under y (may be outside 0 ... 11; floor division keeps points
// above the area negative).
inline int32_t RowUnder(const Frame& f, int32_t y)
{
    const int32_t d = y - f.T - 3;
    return d >= 0 ? d / kRowPitch : -((-d + kRowPitch - 1) / kRowPitch);
}
// The sample position under x, S × (X + x - L) / W.
inline int64_t PositionUnder(const Frame& f, int32_t x) { return int64_t(f.S) * (f.X + x - f.L) / f.W; }
// The nearest measure boundary to x (a click at or past a midpoint takes the later one).
inline int32_t NearestMeasure(const Frame& f, int32_t x) { return (f.X + f.W / 2 + x - f.L) / f.W; }
// The highest scroll position: (measures + 1) × W + L - R - 2, not below 0.
inline int32_t ScrollMax(int64_t measures, int32_t W, int32_t L, int32_t R)
{
    const int64_t max = (measures + 1) * W + L - R - 2;
    return max > 0 ? static_cast<int32_t>(max > INT32_MAX ? INT32_MAX : max) : 0;
}

} // namespace bm::ui::geometry
