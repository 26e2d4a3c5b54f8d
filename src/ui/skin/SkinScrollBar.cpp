#include "ui/skin/SkinScrollBar.h"

#include "ui/skin/Bitmap.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinWindow.h"

#include <algorithm>
#include <cstdlib>

namespace bm {

SkinScrollBar::SkinScrollBar(SkinWindow& owner, const Rect& rect, ScrollAxis axis)
    : m_owner(&owner), m_rect(rect), m_axis(axis)
{
}

SkinScrollBar::~SkinScrollBar() = default;

bool SkinScrollBar::LoadTrack(std::string_view entry)
{
    Image24 image;
    if (!LoadBitmap24(m_owner->Archive(), entry, &image.pixels, &image.width, &image.height))
        return false;
    m_track = std::move(image);
    return true;
}

bool SkinScrollBar::LoadThumb(std::string_view entry, int32_t endSize)
{
    Image24 image;
    if (!LoadBitmap24(m_owner->Archive(), entry, &image.pixels, &image.width, &image.height))
        return false;
    SetThumb(std::move(image), endSize);
    return true;
}

void SkinScrollBar::SetThumb(Image24 thumb, int32_t endSize)
{
    m_thumb = std::move(thumb);
    m_endSize = std::max(endSize, 0);
}

SkinButton& SkinScrollBar::SetFirstArrow(const Rect& rect, std::string_view strip, int layout)
{
    m_first = std::make_unique<SkinButton>(*m_owner, rect);
    m_first->LoadStrip(strip);
    m_first->SetFrames(layout);
    UpdateArrows();
    return *m_first;
}

SkinButton& SkinScrollBar::SetSecondArrow(const Rect& rect, std::string_view strip, int layout)
{
    m_second = std::make_unique<SkinButton>(*m_owner, rect);
    m_second->LoadStrip(strip);
    m_second->SetFrames(layout);
    UpdateArrows();
    return *m_second;
}

void SkinScrollBar::SetRange(int32_t minimum, int32_t maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
    UpdateArrows();
}

int32_t SkinScrollBar::TrackLength() const
{
    return m_axis == ScrollAxis::Vertical ? m_rect.Height() : m_rect.Width();
}

int32_t SkinScrollBar::TileLength() const
{
    if (m_axis == ScrollAxis::Vertical)
        return m_thumb.height - 2 * m_endSize;
    return m_thumb.width / 2 - 2 * m_endSize;
}

int32_t SkinScrollBar::ThumbLength() const
{
    const int64_t length = TrackLength();
    if (length <= 0)
        return 0;
    const int64_t range = int64_t{m_maximum} - m_minimum;
    // Nothing to scroll: the thumb fills the track, whatever the tiles.
    if (range == 0)
        return static_cast<int32_t>(length);
    int64_t t = length;
    if (m_axis == ScrollAxis::Vertical) {
        t = kThumbFactor * length / ((range + 1) * 100);
    } else {
        const int64_t share = length * length / ((range + length + 1) * kThumbFactor / 100);
        if (length >= share)
            t = share;
    }
    const int64_t ends = 2 * int64_t{m_endSize};
    t = std::max(t, ends);
    const int64_t tile = TileLength();
    if (tile > 0)
        t = ends + (t - ends) / tile * tile;
    return static_cast<int32_t>(t);
}

int32_t SkinScrollBar::ThumbStart(int32_t pos) const
{
    const int64_t range = int64_t{m_maximum} - m_minimum;
    if (range == 0)
        return 0;
    const int64_t p = std::clamp(pos, m_minimum, m_maximum);
    return static_cast<int32_t>((p - m_minimum) * (TrackLength() - int64_t{ThumbLength()}) / range);
}

Rect SkinScrollBar::ThumbRect(int32_t pos) const
{
    const int32_t start = ThumbStart(pos);
    const int32_t length = ThumbLength();
    if (m_axis == ScrollAxis::Vertical)
        return {m_rect.left, m_rect.top + start, m_rect.right, m_rect.top + start + length - 1};
    return {m_rect.left + start, m_rect.top, m_rect.left + start + length - 1, m_rect.bottom};
}

int32_t SkinScrollBar::PosFromPoint(int32_t x, int32_t y) const
{
    const int64_t offset = m_axis == ScrollAxis::Vertical ? int64_t{y} - m_rect.top : int64_t{x} - m_rect.left;
    const int64_t travel = int64_t{TrackLength()} - ThumbLength();
    // A thumb as long as the track cannot move: every point is the minimum.
    if (travel <= 0)
        return m_minimum;
    const int64_t range = int64_t{m_maximum} - m_minimum;
    const int64_t pos = m_minimum + offset * (range + 1) / travel;
    return static_cast<int32_t>(std::clamp<int64_t>(pos, m_minimum, m_maximum));
}

bool SkinScrollBar::SetPos(int32_t pos, ScrollSnap snap)
{
    const bool inside = pos >= m_minimum && pos <= m_maximum;
    int64_t p = std::clamp(pos, m_minimum, m_maximum);
    if (inside && snap == ScrollSnap::Yes && m_track.width >= 2 * m_rect.Width() + 2) {
        const int64_t step = (int64_t{m_maximum} - m_minimum) / 8;
        if (step >= 1) {
            // The nearest multiple of the step, when it lies within 2.
            const int64_t offset = p - m_minimum;
            const int64_t nearest = m_minimum + (offset + step / 2) / step * step;
            if (std::llabs(nearest - p) <= 2)
                p = std::clamp<int64_t>(nearest, m_minimum, m_maximum);
        }
    }
    m_position = static_cast<int32_t>(p);
    UpdateArrows();
    Draw();
    return inside;
}

void SkinScrollBar::UpdateArrows()
{
    auto update = [](SkinButton* arrow, bool atEnd) {
        if (!arrow)
            return;
        const bool changed = arrow->SetBits(button::kDisabled, atEnd) || arrow->Disabled() != atEnd;
        arrow->SetDisabled(atEnd);
        if (changed)
            arrow->Draw();
    };
    update(m_first.get(), m_position <= m_minimum);
    update(m_second.get(), m_position >= m_maximum);
}

void SkinScrollBar::DrawThumb(const Rect& thumb)
{
    if (m_thumb.Empty())
        return;
    Image24& canvas = m_owner->Canvas();
    Pixels24 target = canvas.View();
    // The thumb never draws outside the bar.
    const Rect visible = thumb.Intersected(m_rect);
    if (visible.Empty())
        return;
    const int32_t e = m_endSize;
    const int32_t tile = TileLength();
    const bool vertical = m_axis == ScrollAxis::Vertical;
    const int32_t length = vertical ? thumb.Height() : thumb.Width();
    const int32_t across = vertical ? thumb.Width() : thumb.Height();
    // Source length of one thumb picture along the axis.
    const int32_t picture = vertical ? m_thumb.height : m_thumb.width / 2;
    for (int32_t along = 0; along < length; ++along) {
        int32_t source;
        if (along < e)
            source = along;
        else if (along >= length - e)
            source = picture - (length - along);
        else if (tile > 0)
            source = e + (along - e) % tile;
        else
            continue;
        if (source < 0 || source >= picture)
            continue;
        const Rect line = vertical ? Rect{0, source, across - 1, source} : Rect{source, 0, source, across - 1};
        const int32_t tx = vertical ? thumb.left : thumb.left + along;
        const int32_t ty = vertical ? thumb.top + along : thumb.top;
        if (!visible.Contains(vertical ? visible.left : tx, vertical ? ty : visible.top))
            continue;
        CopyRectKeyed(m_thumb.View(), line, target, tx, ty);
    }
}

void SkinScrollBar::Draw()
{
    if (!m_visible)
        return;
    Image24& canvas = m_owner->Canvas();
    // The skin underneath first, so that the thumb's old place is cleared
    // where the track is transparent.
    CopyRect24(m_owner->Background().View(), m_rect, canvas.View(), m_rect.left, m_rect.top);
    const Rect trackSource{0, 0, m_rect.Width() - 1, m_rect.Height() - 1};
    CopyRectKeyed(m_track.View(), trackSource, canvas.View(), m_rect.left, m_rect.top);
    DrawThumb(ThumbRect(m_position));
    m_owner->Blit(m_rect);
}

} // namespace bm
