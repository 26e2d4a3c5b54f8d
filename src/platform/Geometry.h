#pragma once

// Rectangles and points in pixels. Rectangles are inclusive at both ends, as
// every rectangle of the skin and the layout table is written: (0, 0, 9, 9)
// is ten pixels wide.

#include <algorithm>
#include <cstdint>

namespace bm::platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
    bool Empty() const { return right < left || bottom < top; }
    bool Contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool Contains(Point p) const { return Contains(p.x, p.y); }
    bool Intersects(const Rect& o) const
    {
        return !Empty() && !o.Empty() && left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
    }
    Rect Intersected(const Rect& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    Rect United(const Rect& o) const
    {
        if (Empty())
            return o;
        if (o.Empty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    Rect Translated(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Grown(int32_t by) const { return {left - by, top - by, right + by, bottom + by}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace bm::platform
