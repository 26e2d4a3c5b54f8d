#include "ui/main/ArrangementPainter.h"

#include "song/SongModel.h"
#include "ui/main/AreaDrawing.h"
#include "ui/main/ArrangementHitTest.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"

#include <algorithm>

namespace bm::ui {

using geometry::Frame;
using platform::Rect;

namespace {

constexpr int32_t kTextMinWidth = 24;

uint32_t Darker(uint32_t c)
{
    return ((c >> 1) & 0x7F7F7F);
}

} // namespace

void ArrangementPainter::LoadPictures(const ResourceArchive& archive)
{
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    if (LoadBitmap24(archive, "Region Borders.bmp", &pixels, &width, &height) &&
        width >= kHandlePictures * geometry::kHandleWidth && height >= geometry::kHandleHeight) {
        m_handles.pixels = std::move(pixels);
        m_handles.width = width;
        m_handles.height = height;
    }
}

ArrangementPainter::BarColours ArrangementPainter::ColoursOf(const MainState& state, int32_t channel,
                                                            const ChannelSlot& slot)
{
    const SampleLibrary& lib = state.doc.library;
    if (!SlotSample(lib, slot))
        return {colours::kMissing, colours::kMissingFrame, 0xB0B0B0};
    if (!state.doc.song.channelOn[channel])
        return {colours::kSwitchedOff, colours::kSwitchedOffFrame, 0xC8C8C8};
    std::array<uint32_t, 4> group{SwapRedBlue(colours::kDefaultGroup), 0, 0, 0};
    const SampleRef& r = slot.ref;
    if (r.Style() >= 0 && r.Style() < static_cast<int32_t>(lib.styles.size())) {
        const auto& groups = lib.styles[r.Style()].groups;
        if (r.Group() >= 0 && r.Group() < static_cast<int32_t>(groups.size()))
            group = groups[r.Group()].colours;
    }
    // The library keeps colours as 0x00BBGGRR: the group's own, a light
    // and a dark shade, and the text colour that reads on the first.
    const uint32_t own = SwapRedBlue(group[0]);
    const uint32_t light = group[1] ? SwapRedBlue(group[1]) : own;
    const uint32_t dark = group[2] ? SwapRedBlue(group[2]) : Darker(own);
    const uint32_t text = group[3] ? SwapRedBlue(group[3]) : 0xF0F0F0;
    if (slot.selected)
        return {light, colours::kSelectedFrame, dark};
    return {own, dark, text};
}

void ArrangementPainter::Paint(Pixels24 canvas, ConstPixels24 background, const MainState& state,
                               int64_t cursorPixel, const ArrangementOverlay& overlay, const Rect& wanted) const
{
    const Rect clip = wanted.Intersected(layout::kArrangement).Intersected(canvas.Bounds());
    if (clip.Empty())
        return;
    draw::Restore(canvas, clip, background, clip);
    const Frame f = ArrangementFrame(state);
    const int64_t measures = state.Measures();
    const int64_t m0 = std::max<int64_t>(0, geometry::MeasureUnder(f, clip.left));
    const int64_t m1 = std::min<int64_t>(measures - 1, geometry::MeasureUnder(f, clip.right));

    PaintGrid(canvas, state, f, clip, m0, m1);
    PaintRegions(canvas, state, f, clip);
    if (m0 <= m1)
        PaintSlots(canvas, state, f, clip, m0, m1);
    PaintEnvelopes(canvas, state, f, clip);

    const int32_t cursorX = geometry::ToPixel(f.L + cursorPixel - f.X);
    draw::Fill(canvas, clip, {cursorX, layout::kArrangement.top, cursorX, layout::kArrangement.bottom},
               colours::kCursor);

    if (overlay.rubberBand)
        draw::DottedOutline(canvas, clip, *overlay.rubberBand, colours::kRubberBand);
    for (const Rect& r : overlay.dropOutline)
        draw::Outline(canvas, clip, r, colours::kDropOutline);
}

void ArrangementPainter::PaintGrid(Pixels24 canvas, const MainState& state, const Frame& f, const Rect& clip,
                                   int64_t m0, int64_t m1) const
{
    const int32_t top = geometry::RowTop(f, 0) - 1;
    const int32_t bottom = layout::kArrangement.bottom;
    const int64_t perBar = std::max(1, state.doc.song.measuresPerBar);
    const int64_t measures = state.Measures();
    // Measure lines only where they stay apart; bar lines always.
    const bool measureLines = f.W >= 5;
    for (int64_t m = m0; m <= std::min(m1 + 1, measures); ++m) {
        const int32_t x = geometry::MeasureX(f, m);
        if (m == measures)
            draw::Fill(canvas, clip, {x, top, x, bottom}, colours::kSongEnd);
        else if (m % perBar == 0)
            draw::Fill(canvas, clip, {x, top, x, bottom}, colours::kBarLine);
        else if (measureLines)
            draw::Fill(canvas, clip, {x, top, x, bottom}, colours::kMeasureLine);
    }
}

void ArrangementPainter::PaintHandle(Pixels24 canvas, const Rect& clip, const Rect& box, int32_t picture,
                                     bool on) const
{
    if (!m_handles.Empty()) {
        const int32_t cell = picture * 2 + (on ? 1 : 0);
        const Rect from{cell * geometry::kHandleWidth, 0, cell * geometry::kHandleWidth + geometry::kHandleWidth - 1,
                        geometry::kHandleHeight - 1};
        draw::Picture(canvas, clip, m_handles.View(), from, box.left, box.top);
        return;
    }
    draw::Fill(canvas, clip, box, on ? colours::kHandleOn : colours::kHandleOff);
    draw::Outline(canvas, clip, box, Darker(on ? colours::kHandleOn : colours::kHandleOff));
}

void ArrangementPainter::PaintRegions(Pixels24 canvas, const MainState& state, const Frame& f,
                                      const Rect& clip) const
{
    const int32_t bandTop = f.T;
    const int32_t bandBottom = f.T + geometry::kHandleBand - 1;
    if (clip.top > f.T + geometry::kHandleHeight - 1)
        return;
    for (const Region& r : state.doc.song.regions) {
        const Rect start = geometry::StartHandleRect(f, r.start);
        const Rect end = geometry::EndHandleRect(f, r.end);
        if (end.right < clip.left || start.left > clip.right)
            continue;
        draw::Fill(canvas, clip, {start.left, bandTop + 2, end.right, bandBottom - 1},
                   r.on ? colours::kRegionOn : colours::kRegionOff);
        PaintHandle(canvas, clip, start, 0, r.on);
        PaintHandle(canvas, clip, end, 1, r.on);
    }
}

void ArrangementPainter::PaintSlots(Pixels24 canvas, const MainState& state, const Frame& f, const Rect& clip,
                                    int64_t m0, int64_t m1) const
{
    const Song& song = state.doc.song;
    const int64_t measures = state.Measures();
    for (int32_t c = 0; c < kChannels; ++c) {
        const int32_t top = geometry::RowTop(f, c);
        const int32_t bottom = geometry::RowBottom(f, c);
        if (bottom < clip.top || top > clip.bottom)
            continue;
        // The first bar that can show: the last filled slot at or before
        // the first visible measure (its bar may reach into the clip).
        int64_t m = m0;
        while (m > 0 && song.measures[m].slots[c].IsEmpty())
            --m;
        int64_t next = -1;
        auto findNext = [&](int64_t from) {
            for (int64_t n = from + 1; n <= std::min(m1 + 1, measures - 1); ++n) {
                if (!song.measures[n].slots[c].IsEmpty())
                    return n;
            }
            return int64_t(-1);
        };
        if (song.measures[m].slots[c].IsEmpty())
            m = findNext(m);
        while (m >= 0 && m <= m1) {
            next = findNext(m);
            const ChannelSlot& slot = song.measures[m].slots[c];
            const int32_t left = geometry::SlotStartX(f, m, slot.start);
            const int64_t nextX =
                next >= 0 ? geometry::SlotStartX(f, next, song.measures[next].slots[c].start) : int64_t(INT32_MAX);
            const int64_t width = geometry::CutBarWidth(
                left, geometry::SlotBarWidth(f.W, f.S, SlotLength(state.doc.library, slot)), nextX);
            const Rect bar{left, top, geometry::ToPixel(int64_t(left) + width - 1), bottom};
            if (bar.right >= clip.left && bar.left <= clip.right)
                PaintBar(canvas, state, clip, bar, c, slot);
            m = next;
        }
    }
}

void ArrangementPainter::PaintBar(Pixels24 canvas, const MainState& state, const Rect& clip, const Rect& bar,
                                  int32_t channel, const ChannelSlot& slot) const
{
    const BarColours c = ColoursOf(state, channel, slot);
    draw::Fill(canvas, clip, bar, c.fill);
    draw::Outline(canvas, clip, bar, c.frame);
    if (slot.reverse) {
        // A bright stripe along the top and, where there is room, an arrow
        // pointing back at the bar's start.
        draw::Fill(canvas, clip, {bar.left + 1, bar.top + 1, bar.right - 1, bar.top + 2}, colours::kReverseMark);
        if (bar.Width() >= 8) {
            const int32_t x = bar.left + 2;
            const int32_t y = bar.top + 10;
            for (int32_t i = 0; i < 4; ++i)
                draw::Fill(canvas, clip, {x + i, y - i, x + i, y + i}, colours::kReverseMark);
        }
    }
    if (m_font && bar.Width() >= kTextMinWidth) {
        if (const SampleDescriptor* d = SlotSample(state.doc.library, slot)) {
            const Rect inside{bar.left + (slot.reverse ? 7 : 2), bar.top + 1, bar.right - 2, bar.bottom - 1};
            draw::Text(canvas, clip.Intersected(inside), *m_font, inside.left, bar.top + 5, d->firstText, c.text);
        }
    }
}

void ArrangementPainter::PaintEnvelopes(Pixels24 canvas, const MainState& state, const Frame& f,
                                        const Rect& clip) const
{
    const Song& song = state.doc.song;
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        if (!state.view.envelopeShown[k])
            continue;
        const uint32_t colour = k == kVolumeEnvelope ? colours::kVolumeCurve : colours::kPanCurve;
        for (int32_t c = 0; c < kChannels; ++c) {
            const int32_t top = geometry::RowTop(f, c);
            // Values of the whole range reach a pixel or two past the row.
            if (top + geometry::kRowHeight + 2 < clip.top || top - 2 > clip.bottom)
                continue;
            const Envelope& list = song.envelopes[c][k];
            if (list.empty())
                continue;
            // The points that show, with one more on each side for the
            // segments that enter the clip.
            auto first = std::partition_point(list.begin(), list.end(), [&](const EnvelopePoint& p) {
                return geometry::SampleX(f, p.position) < clip.left - 3;
            });
            if (first != list.begin())
                --first;
            auto last = std::partition_point(first, list.end(), [&](const EnvelopePoint& p) {
                return geometry::SampleX(f, p.position) <= clip.right + 3;
            });
            if (last != list.end())
                ++last;
            for (auto it = first; it != last; ++it) {
                const int32_t x = geometry::SampleX(f, it->position);
                const int32_t y = geometry::EnvelopeY(f, c, it->value);
                if (it + 1 != last) {
                    const int32_t x1 = geometry::SampleX(f, (it + 1)->position);
                    const int32_t y1 = geometry::EnvelopeY(f, c, (it + 1)->value);
                    draw::Line(canvas, clip, x, y, x1, y1, colour);
                }
            }
            for (auto it = first; it != last; ++it) {
                const int32_t x = geometry::SampleX(f, it->position);
                const int32_t y = geometry::EnvelopeY(f, c, it->value);
                if (it->selected)
                    draw::Fill(canvas, clip, {x - 2, y - 2, x + 2, y + 2}, colours::kSelectedPoint);
                else
                    draw::Fill(canvas, clip, {x - 1, y - 1, x + 1, y + 1}, colour);
            }
        }
    }
}

} // namespace bm::ui
