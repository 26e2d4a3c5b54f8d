#include "ui/skin/SkinButton.h"

#include "ui/skin/Bitmap.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinWindow.h"

#include <initializer_list>
#include <utility>

namespace bm {

namespace {

using namespace button;

struct Cell {
    uint32_t state;
    int column;
};

// Every combination of the pressed, on and over bits with the disabled bit.
void AddDisabled(std::vector<Cell>& cells, int column)
{
    for (uint32_t extra = 0; extra < 8; ++extra) {
        uint32_t state = kDisabled;
        if (extra & 1)
            state |= kPressed;
        if (extra & 2)
            state |= kOn;
        if (extra & 4)
            state |= kOver;
        cells.push_back({state, column});
    }
}

// The cells of a layout, in the order of its table.
std::vector<Cell> LayoutCells(int layout)
{
    std::vector<Cell> cells{{kShape, 0}};
    auto add = [&](std::initializer_list<uint32_t> states, int column) {
        for (uint32_t state : states)
            cells.push_back({state, column});
    };
    const auto pressed = {kPressed, kPressed | kOver};
    switch (layout) {
    case 1:
        break;
    case 2:
        add({0}, 1);
        add(pressed, 2);
        break;
    case 3:
        add({0}, 1);
        add(pressed, 2);
        add({kOver}, 2);
        break;
    case 4:
        add({0}, 1);
        add(pressed, 2);
        add({kOn, kOn | kOver}, 3);
        add({kOn | kPressed, kOn | kPressed | kOver}, 2);
        break;
    case 5:
        add({0}, 1);
        add(pressed, 2);
        AddDisabled(cells, 3);
        break;
    case 6:
        add({0}, 1);
        add(pressed, 2);
        add({kOver}, 3);
        break;
    case 7:
        add({0}, 1);
        add(pressed, 2);
        AddDisabled(cells, 3);
        add({kOn, kOn | kOver}, 4);
        add({kOn | kPressed, kOn | kPressed | kOver}, 5);
        break;
    case 8:
        add({0}, 1);
        add(pressed, 2);
        AddDisabled(cells, 4);
        add({kOn, kOn | kOver}, 3);
        add({kOn | kPressed, kOn | kPressed | kOver}, 2);
        break;
    case 9:
        add({0}, 1);
        add(pressed, 2);
        AddDisabled(cells, 3);
        add({kOn, kOn | kOver}, 4);
        add({kOn | kPressed, kOn | kPressed | kOver}, 5);
        add({kLatched, kLatched | kOver}, 6);
        add({kLatched | kPressed, kLatched | kPressed | kOver}, 7);
        break;
    case 10:
        add({0}, 1);
        break;
    default:
        cells.clear();
        break;
    }
    return cells;
}

} // namespace

SkinButton::SkinButton(SkinWindow& owner, const Rect& rect) : m_owner(&owner), m_rect(rect) {}

bool SkinButton::LoadStrip(std::string_view entry)
{
    Image24 strip;
    if (!LoadBitmap24(m_owner->Archive(), entry, &strip.pixels, &strip.width, &strip.height))
        return false;
    SetStrip(std::move(strip));
    return true;
}

void SkinButton::SetStrip(Image24 strip)
{
    m_strip = std::move(strip);
    SetFrames(m_layout);
}

void SkinButton::SetFrames(int layout)
{
    m_layout = layout;
    m_frames.clear();
    const int32_t w = m_rect.Width(), h = m_rect.Height();
    if (w <= 0 || h <= 0)
        return;
    if (layout == 0) {
        const int32_t cells = m_strip.width / w;
        for (int32_t i = 0; i < cells; ++i)
            m_frames.push_back({i == 0 ? kShape : static_cast<uint32_t>(i - 1), {i * w, 0, i * w + w - 1, h - 1}});
        return;
    }
    for (const Cell& cell : LayoutCells(layout)) {
        const int32_t left = cell.column * w;
        m_frames.push_back({cell.state, {left, 0, left + w - 1, h - 1}});
    }
}

const SkinButton::Frame* SkinButton::FrameFor(uint32_t state) const
{
    const Frame* normal = nullptr;
    for (const Frame& frame : m_frames) {
        if (frame.state == state)
            return &frame;
        if (frame.state == 0 && !normal)
            normal = &frame;
    }
    return normal;
}

void SkinButton::Draw()
{
    if (m_strip.Empty())
        return;
    const Frame* frame = FrameFor(m_state);
    if (!frame)
        return;
    // Only the part of the frame that lies inside the rectangle.
    Rect source = frame->source;
    source.right = std::min(source.right, source.left + m_rect.Width() - 1);
    source.bottom = std::min(source.bottom, source.top + m_rect.Height() - 1);
    CopyRectKeyed(m_strip.View(), source, m_owner->Canvas().View(), m_rect.left, m_rect.top);
    m_owner->Blit(m_rect);
}

bool SkinButton::HitTest(int32_t x, int32_t y) const
{
    if (!m_rect.Contains(x, y))
        return false;
    if (m_strip.Empty())
        return true;
    for (const Frame& frame : m_frames) {
        if (frame.state != kShape)
            continue;
        const int32_t sx = frame.source.left + (x - m_rect.left);
        const int32_t sy = frame.source.top + (y - m_rect.top);
        return m_strip.Pixel(sx, sy) != 0;
    }
    return true;
}

bool SkinButton::SetBits(uint32_t bits, bool set)
{
    const uint32_t before = m_state;
    m_state = set ? (m_state | bits) : (m_state & ~bits);
    return m_state != before;
}

} // namespace bm
