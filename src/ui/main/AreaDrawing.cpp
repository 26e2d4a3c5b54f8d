#include "ui/main/AreaDrawing.h"

#include "ui/skin/BitmapFont.h"
#include "ui/skin/PixelOps.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace bm::ui::draw {

namespace {

Rect Clip(Pixels24 canvas, const Rect& clip, const Rect& rect)
{
    return rect.Intersected(clip).Intersected(canvas.Bounds());
}

void Put(Pixels24 canvas, int32_t x, int32_t y, uint32_t colour)
{
    uint8_t* p = canvas.At(x, y);
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
}

} // namespace

void Fill(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour)
{
    const Rect r = Clip(canvas, clip, rect);
    if (!r.Empty())
        FillRect24(r, colour, canvas);
}

void Outline(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour)
{
    if (rect.Empty())
        return;
    Fill(canvas, clip, {rect.left, rect.top, rect.right, rect.top}, colour);
    Fill(canvas, clip, {rect.left, rect.bottom, rect.right, rect.bottom}, colour);
    Fill(canvas, clip, {rect.left, rect.top, rect.left, rect.bottom}, colour);
    Fill(canvas, clip, {rect.right, rect.top, rect.right, rect.bottom}, colour);
}

void DottedOutline(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour)
{
    const Rect area = clip.Intersected(canvas.Bounds());
    auto dot = [&](int32_t x, int32_t y) {
        if (((x + y) & 1) == 0 && area.Contains(x, y))
            Put(canvas, x, y, colour);
    };
    for (int32_t x = rect.left; x <= rect.right; ++x) {
        dot(x, rect.top);
        dot(x, rect.bottom);
    }
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
        dot(rect.left, y);
        dot(rect.right, y);
    }
}

void Line(Pixels24 canvas, const Rect& clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    const Rect area = clip.Intersected(canvas.Bounds());
    if (area.Empty())
        return;
    // Horizontal stretches are the common case (long flat envelope
    // segments): only the part inside the clip is walked.
    if (x0 > x1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (x1 < area.left || x0 > area.right)
        return;
    const int64_t dx = int64_t(x1) - x0;
    const int64_t dy = int64_t(y1) - y0;
    const int64_t from = std::max<int64_t>(x0, area.left);
    const int64_t to = std::min<int64_t>(x1, area.right);
    if (dx == 0) {
        Fill(canvas, clip, {x0, std::min(y0, y1), x0, std::max(y0, y1)}, colour);
        return;
    }
    // One column at a time: the rows from the line's height here to just
    // before its height in the next column, so the line stays connected.
    for (int64_t x = from; x <= to; ++x) {
        const int64_t ya = y0 + dy * (x - x0) / dx;
        const int64_t yb = x < x1 ? y0 + dy * (x + 1 - x0) / dx : ya;
        int64_t lo = std::min(ya, yb);
        int64_t hi = std::max(ya, yb);
        if (hi > lo) {
            if (yb > ya)
                --hi;
            else
                ++lo;
        }
        lo = std::max<int64_t>(lo, area.top);
        hi = std::min<int64_t>(hi, area.bottom);
        for (int64_t y = lo; y <= hi; ++y)
            Put(canvas, static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
    }
}

void Tint(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour, int32_t weight)
{
    const Rect r = Clip(canvas, clip, rect);
    const int32_t keep = 256 - weight;
    const uint32_t c[3] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        uint8_t* p = canvas.At(r.left, y);
        for (int32_t x = r.left; x <= r.right; ++x, p += 3) {
            for (int i = 0; i < 3; ++i)
                p[i] = static_cast<uint8_t>((p[i] * keep + int32_t(c[i]) * weight) >> 8);
        }
    }
}

void Picture(Pixels24 canvas, const Rect& clip, ConstPixels24 picture, const Rect& from, int32_t x, int32_t y)
{
    if (!picture.Valid())
        return;
    const Rect target = Clip(canvas, clip, {x, y, x + from.Width() - 1, y + from.Height() - 1});
    if (target.Empty())
        return;
    const Rect part{from.left + target.left - x, from.top + target.top - y, from.left + target.right - x,
                    from.top + target.bottom - y};
    CopyRectKeyed(picture, part, canvas, target.left, target.top);
}

void Restore(Pixels24 canvas, const Rect& clip, ConstPixels24 background, const Rect& rect)
{
    const Rect r = Clip(canvas, clip, rect);
    if (r.Empty())
        return;
    if (background.Valid() && background.width == canvas.width && background.height == canvas.height)
        CopyRect24(background, r, canvas, r.left, r.top);
    else
        FillRect24(r, 0, canvas);
}

void Text(Pixels24 canvas, const Rect& clip, const BitmapFont& font, int32_t x, int32_t y, std::string_view text,
          uint32_t colour)
{
    const Rect r = clip.Intersected(canvas.Bounds());
    if (r.Empty() || text.empty() || !font.Loaded())
        return;
    const Rect saved = BitmapFont::ClipRect();
    BitmapFont::SetClip(r.left, r.top, r.right, r.bottom + 1);
    font.DrawText(x, y, text, colour, canvas);
    BitmapFont::SetClip(saved.left, saved.top, saved.right, saved.bottom + 1);
}

} // namespace bm::ui::draw
