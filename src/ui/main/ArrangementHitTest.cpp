#include "ui/main/ArrangementHitTest.h"

#include "song/SongModel.h"

#include <algorithm>

namespace bm::ui {

using geometry::Frame;

geometry::Frame ArrangementFrame(const MainState& state)
{
    Frame f;
    f.W = std::max(1, state.view.measureWidth);
    f.S = std::max(1, state.doc.song.samplesPerMeasure);
    f.X = state.view.scrollX;
    f.L = layout::kArrangement.left;
    f.T = layout::kArrangement.top;
    return f;
}

int64_t SlotLength(const SampleLibrary& library, const ChannelSlot& slot)
{
    const SampleDescriptor* d = SlotSample(library, slot);
    return d ? std::max(0, d->length) : 0;
}

int32_t NextFilledMeasure(const Song& song, int32_t channel, int32_t measure)
{
    const int32_t count = static_cast<int32_t>(song.measures.size());
    for (int32_t m = std::max(0, measure + 1); m < count; ++m) {
        if (!song.measures[m].slots[channel].IsEmpty())
            return m;
    }
    return -1;
}

platform::Rect SlotBarRect(const Song& song, const SampleLibrary& library, const Frame& f, int32_t measure,
                           int32_t channel)
{
    if (measure < 0 || measure >= static_cast<int32_t>(song.measures.size()) || channel < 0 || channel >= kChannels)
        return {};
    const ChannelSlot& slot = song.measures[measure].slots[channel];
    if (slot.IsEmpty())
        return {};
    const int32_t left = geometry::SlotStartX(f, measure, slot.start);
    int64_t nextX = INT32_MAX;
    const int32_t next = NextFilledMeasure(song, channel, measure);
    if (next >= 0)
        nextX = geometry::SlotStartX(f, next, song.measures[next].slots[channel].start);
    const int64_t width =
        geometry::CutBarWidth(left, geometry::SlotBarWidth(f.W, f.S, SlotLength(library, slot)), nextX);
    const int32_t top = geometry::RowTop(f, channel);
    return {left, top, geometry::ToPixel(int64_t(left) + width - 1), geometry::RowBottom(f, channel)};
}

SlotHit HitSlot(const Song& song, const SampleLibrary& library, const Frame& f, int32_t x, int32_t y)
{
    const int32_t channel = geometry::RowHolding(f, y);
    const int64_t count = static_cast<int64_t>(song.measures.size());
    if (channel < 0 || count == 0)
        return {};
    int64_t m = std::min(geometry::MeasureUnder(f, x), count - 1);
    for (; m >= 0; --m) {
        const ChannelSlot& slot = song.measures[m].slots[channel];
        if (slot.IsEmpty())
            continue;
        if (geometry::SlotStartX(f, m, slot.start) > x)
            continue;
        const platform::Rect bar = SlotBarRect(song, library, f, static_cast<int32_t>(m), channel);
        if (x <= bar.right)
            return {static_cast<int32_t>(m), channel, bar};
        return {};
    }
    return {};
}

EnvelopeHit HitEnvelope(const Song& song, const Frame& f, const std::array<bool, kEnvelopeKinds>& shown, int32_t x,
                        int32_t y)
{
    EnvelopeHit hit;
    const int64_t songEnd = int64_t(song.measures.size()) * f.S;
    const int64_t position = geometry::PositionUnder(f, x);
    const int32_t channel = geometry::RowUnder(f, y);
    if (position < 0 || position > songEnd || channel < 0 || channel >= kChannels)
        return hit;
    hit.channel = channel;
    hit.position = position;
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        if (!shown[k])
            continue;
        const Envelope& list = song.envelopes[channel][k];
        // The lists are sorted by position, so the candidates are the run of
        // points whose x lies within 3 pixels of x.
        auto first = std::partition_point(list.begin(), list.end(), [&](const EnvelopePoint& p) {
            return geometry::SampleX(f, p.position) < x - 3;
        });
        if (!hit.point.Valid()) {
            for (auto it = first; it != list.end() && geometry::SampleX(f, it->position) <= x + 3; ++it) {
                const int32_t py = geometry::EnvelopeY(f, channel, it->value);
                if (py - y < 4 && y - py < 4) {
                    hit.point = {channel, k, static_cast<int32_t>(it - list.begin())};
                    hit.value = it->value;
                    break;
                }
            }
        }
        auto after = std::partition_point(list.begin(), list.end(),
                                          [&](const EnvelopePoint& p) { return p.position <= position; });
        const int32_t before = static_cast<int32_t>(after - list.begin()) - 1;
        if (before >= 0 && before + 1 < static_cast<int32_t>(list.size()))
            hit.segment[k] = before;
    }
    return hit;
}

HandleHit HitRegionHandle(const Song& song, const Frame& f, int32_t x, int32_t y)
{
    if (!geometry::InHandleBand(f, y))
        return {};
    for (size_t i = 0; i < song.regions.size(); ++i) {
        const Region& r = song.regions[i];
        if (geometry::EndHandleRect(f, r.end).Contains(x, y))
            return {static_cast<int32_t>(i), RegionSide::End};
        if (geometry::StartHandleRect(f, r.start).Contains(x, y))
            return {static_cast<int32_t>(i), RegionSide::Start};
    }
    return {};
}

} // namespace bm::ui
