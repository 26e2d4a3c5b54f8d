#include "ui/skin/PixelOps.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace bm {

void Image24::Resize(int32_t w, int32_t h, uint32_t fill)
{
    width = std::max(w, 0);
    height = std::max(h, 0);
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
    if (fill != 0)
        FillRect24(Bounds(), fill, View());
}

uint32_t Image24::Pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    const uint8_t* p = View().At(x, y);
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

void Image24::SetPixel(int32_t x, int32_t y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint8_t* p = View().At(x, y);
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
}

Rect ClipToSize(const Rect& rect, int32_t width, int32_t height)
{
    return rect.Intersected({0, 0, width - 1, height - 1});
}

namespace {

// The part of a copy that lies inside both buffers: the source rectangle
// and the target's top-left corner after clipping. False when nothing is left.
bool ClipCopy(ConstPixels24 source, Rect& from, Pixels24 target, int32_t& tx, int32_t& ty)
{
    if (!source.Valid() || !target.Valid() || from.Empty())
        return false;
    // Work in 64 bits: callers may hand rectangles near the ends of the range.
    int64_t left = from.left, top = from.top, right = from.right, bottom = from.bottom;
    int64_t x = tx, y = ty;
    if (left < 0) { x -= left; left = 0; }
    if (top < 0) { y -= top; top = 0; }
    right = std::min<int64_t>(right, source.width - 1);
    bottom = std::min<int64_t>(bottom, source.height - 1);
    if (x < 0) { left -= x; x = 0; }
    if (y < 0) { top -= y; y = 0; }
    right = std::min<int64_t>(right, left + (target.width - 1 - x));
    bottom = std::min<int64_t>(bottom, top + (target.height - 1 - y));
    if (right < left || bottom < top || x >= target.width || y >= target.height)
        return false;
    from = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
            static_cast<int32_t>(bottom)};
    tx = static_cast<int32_t>(x);
    ty = static_cast<int32_t>(y);
    return true;
}

// Rows in an order that is safe when source and target share a buffer and
// the target lies below the source.
template <typename RowCopy>
void ForEachRow(ConstPixels24 source, const Rect& from, Pixels24 target, int32_t ty, RowCopy copy)
{
    const int32_t rows = from.Height();
    const bool backwards = source.data == target.data && ty > from.top;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t row = backwards ? rows - 1 - i : i;
        copy(from.top + row, ty + row);
    }
}

} // namespace

void CopyRect24(ConstPixels24 source, const Rect& from, Pixels24 target, int32_t tx, int32_t ty)
{
    Rect clipped = from;
    if (!ClipCopy(source, clipped, target, tx, ty))
        return;
    const size_t bytes = static_cast<size_t>(clipped.Width()) * 3;
    ForEachRow(source, clipped, target, ty, [&](int32_t sy, int32_t dy) {
        std::memmove(target.At(tx, dy), source.At(clipped.left, sy), bytes);
    });
}

void CopyRectKeyed(ConstPixels24 source, const Rect& from, Pixels24 target, int32_t tx, int32_t ty)
{
    Rect clipped = from;
    if (!ClipCopy(source, clipped, target, tx, ty))
        return;
    const int32_t width = clipped.Width();
    const bool sameBuffer = source.data == target.data;
    ForEachRow(source, clipped, target, ty, [&](int32_t sy, int32_t dy) {
        const uint8_t* s = source.At(clipped.left, sy);
        uint8_t* d = target.At(tx, dy);
        if (sameBuffer && d > s) {
            for (int32_t x = width - 1; x >= 0; --x) {
                const uint8_t* p = s + x * 3;
                if (p[0] | p[1] | p[2])
                    std::memmove(d + x * 3, p, 3);
            }
            return;
        }
        for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
            if (s[0] | s[1] | s[2]) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    });
}

void FillRect24(const Rect& rect, uint32_t colour, Pixels24 target)
{
    if (!target.Valid())
        return;
    const Rect clipped = ClipToSize(rect, target.width, target.height);
    if (clipped.Empty())
        return;
    const uint8_t b = static_cast<uint8_t>(colour), g = static_cast<uint8_t>(colour >> 8),
                  r = static_cast<uint8_t>(colour >> 16);
    for (int32_t y = clipped.top; y <= clipped.bottom; ++y) {
        uint8_t* d = target.At(clipped.left, y);
        for (int32_t x = clipped.left; x <= clipped.right; ++x, d += 3) {
            d[0] = b;
            d[1] = g;
            d[2] = r;
        }
    }
}

void FlipRows(std::span<uint8_t> buffer, size_t rowBytes, size_t rows)
{
    if (rowBytes == 0)
        return;
    rows = std::min(rows, buffer.size() / rowBytes);
    for (size_t i = 0; i < rows / 2; ++i)
        std::swap_ranges(buffer.begin() + static_cast<ptrdiff_t>(i * rowBytes),
                         buffer.begin() + static_cast<ptrdiff_t>((i + 1) * rowBytes),
                         buffer.begin() + static_cast<ptrdiff_t>((rows - 1 - i) * rowBytes));
}

} // namespace bm
