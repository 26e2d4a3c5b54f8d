#pragma once

// Where things are in the arrangement: pure functions of the measure width
// W (pixels per measure), the samples per measure S, the horizontal scroll
// position X (pixels) and the area's left L and top T. Every division is an
// integer division after the multiplication, as the drawing and the hit
// tests must agree to the pixel. Products are formed in 64 bits: a sample
// position of a long song times W passes the 32-bit range.
//
// Divisions that may meet negative numbers (points left of the area or above
// it) round towards minus infinity, so a point one pixel left of measure 0
// lies in measure -1, not in measure 0.

#include "platform/Geometry.h"
#include "ui/main/Layout.h"

#include <algorithm>
#include <cstdint>

namespace bm::ui::geometry {

constexpr int32_t kRowPitch = layout::kRowPitch;         // channel rows are this far apart
constexpr int32_t kRowOffset = layout::kRowOffset;       // first row's top below the area's top
constexpr int32_t kRowHeight = layout::kRowHeight;       // rows span top + 6 ... top + 25
constexpr int32_t kHandleBand = layout::kRegionBandHeight; // region handles live in the area's top pixels
constexpr int32_t kMinBarMeasures = 4;                   // a slot bar is at least 4 × W wide
constexpr int32_t kHandleWidth = 8;
constexpr int32_t kHandleHeight = 7;
// An envelope point's y: row top + 12 - value × 19 / 65536.
constexpr int32_t kEnvelopeBaseline = 12;
constexpr int32_t kEnvelopeSpan = 19;

struct Frame {
    int32_t W = 9;
    int32_t S = 20352;
    int32_t X = 0;
    int32_t L = 0;
    int32_t T = 0;
};

// a / b rounded towards minus infinity (b > 0).
constexpr int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

constexpr int32_t ToPixel(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

// Measure m starts at L + m × W - X.
constexpr int32_t MeasureX(const Frame& f, int64_t measure) { return ToPixel(f.L + measure * f.W - f.X); }
// Sample position p lies at L + p × W / S - X.
constexpr int32_t SampleX(const Frame& f, int64_t position) { return ToPixel(f.L + position * f.W / f.S - f.X); }
// The pixel (from the song's start, unscrolled) of a sample position.
constexpr int64_t SamplePixel(const Frame& f, int64_t position) { return position * f.W / f.S; }

constexpr int32_t RowTop(const Frame& f, int32_t channel) { return f.T + kRowPitch * channel + kRowOffset; }
constexpr int32_t RowBottom(const Frame& f, int32_t channel) { return RowTop(f, channel) + kRowHeight - 1; }
// The row under y, (y - T - 3) / 25; may be outside 0 ... 11.
constexpr int32_t RowUnder(const Frame& f, int32_t y) { return static_cast<int32_t>(FloorDiv(y - f.T - 3, kRowPitch)); }
// The row whose 20 pixels hold y, or -1.
constexpr int32_t RowHolding(const Frame& f, int32_t y)
{
    const int32_t row = RowUnder(f, y);
    if (row < 0 || row >= layout::kChannels)
        return -1;
    return y >= RowTop(f, row) && y <= RowBottom(f, row) ? row : -1;
}

// The measure whose column holds x.
constexpr int64_t MeasureUnder(const Frame& f, int32_t x) { return FloorDiv(int64_t(f.X) + x - f.L, f.W); }
// The sample position under x, S × (X + x - L) / W.
constexpr int64_t PositionUnder(const Frame& f, int32_t x) { return FloorDiv(int64_t(f.S) * (int64_t(f.X) + x - f.L), f.W); }
// The nearest measure boundary to x (a click at or past a midpoint takes the later one).
constexpr int64_t NearestMeasure(const Frame& f, int32_t x) { return FloorDiv(int64_t(f.X) + f.W / 2 + x - f.L, f.W); }

// A slot's bar starts at the measure's start plus W × start offset / S.
constexpr int32_t SlotStartX(const Frame& f, int64_t measure, int32_t start)
{
    return ToPixel(f.L + measure * f.W + int64_t(f.W) * start / f.S - f.X);
}
// A bar's width before the next slot cuts it: max(4 × W, W × length / S).
constexpr int64_t SlotBarWidth(int32_t W, int32_t S, int64_t length)
{
    return std::max<int64_t>(int64_t(kMinBarMeasures) * W, int64_t(W) * std::max<int64_t>(length, 0) / S);
}
// The bar's width when the next filled slot of the channel starts at
// `nextX` (no next slot: pass INT32_MAX): the bar ends one pixel before it,
// so neighbouring bars stay apart. Never below one pixel.
constexpr int64_t CutBarWidth(int32_t startX, int64_t width, int64_t nextX)
{
    return std::max<int64_t>(1, std::min<int64_t>(width, nextX - 1 - startX));
}

// y = row top + 12 - value × 19 / 65536, the value as a signed 16-bit amplitude.
constexpr int32_t EnvelopeY(const Frame& f, int32_t channel, int32_t value)
{
    return RowTop(f, channel) + kEnvelopeBaseline - static_cast<int32_t>(int64_t(value) * kEnvelopeSpan / 65536);
}
// How far a value moves for a vertical move of dy pixels (up is positive).
constexpr int64_t EnvelopeValueDelta(int32_t dy) { return int64_t(dy) * 65536 / kEnvelopeSpan; }

// Region handles: 8 × 7 boxes at the top of the area. The start handle runs
// from L + W × start - X - 1 eight pixels on; the end handle ends at
// L + W × (end + 1) - X - 1.
constexpr platform::Rect StartHandleRect(const Frame& f, int32_t start)
{
    const int32_t left = ToPixel(f.L + int64_t(f.W) * start - f.X - 1);
    return {left, f.T, left + kHandleWidth - 1, f.T + kHandleHeight - 1};
}
constexpr platform::Rect EndHandleRect(const Frame& f, int32_t end)
{
    const int32_t right = ToPixel(f.L + int64_t(f.W) * (int64_t(end) + 1) - f.X - 1);
    return {right - kHandleWidth + 1, f.T, right, f.T + kHandleHeight - 1};
}
// Only points above the band's bottom (T + 6) can hit a handle.
constexpr bool InHandleBand(const Frame& f, int32_t y) { return y >= f.T && y < f.T + kHandleBand; }

// Where a dragged region edge lands: a start edge on measure
// (x + X + W / 2 - L) / W, an end edge on (x + X - W / 2 - L) / W.
constexpr int64_t StartEdgeMeasure(const Frame& f, int32_t x) { return FloorDiv(int64_t(x) + f.X + f.W / 2 - f.L, f.W); }
constexpr int64_t EndEdgeMeasure(const Frame& f, int32_t x) { return FloorDiv(int64_t(x) + f.X - f.W / 2 - f.L, f.W); }

// The highest scroll position: (measures + 1) × W + L - R - 2, not below 0.
constexpr int32_t ScrollMax(int64_t measures, int32_t W, int32_t L, int32_t R)
{
    const int64_t max = (measures + 1) * W + L - R - 2;
    return max > 0 ? static_cast<int32_t>(max > INT32_MAX ? INT32_MAX : max) : 0;
}

} // namespace bm::ui::geometry
