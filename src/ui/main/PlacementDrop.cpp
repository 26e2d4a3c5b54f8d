#include "ui/main/PlacementDrop.h"

#include "song/SongModel.h"

#include <algorithm>

namespace bm::ui {

namespace {

// The dropped curve's value at `position` (linear between its points, held
// beyond its ends).
int32_t BufferValueAt(const Envelope& buffer, int64_t offset, int64_t position)
{
    const int64_t relative = position - offset;
    if (relative <= buffer.front().position)
        return buffer.front().value;
    if (relative >= buffer.back().position)
        return buffer.back().value;
    auto after = std::partition_point(buffer.begin(), buffer.end(),
                                      [&](const EnvelopePoint& p) { return p.position <= relative; });
    const EnvelopePoint& b = *after;
    const EnvelopePoint& a = *(after - 1);
    const int64_t span = int64_t(b.position) - a.position;
    if (span <= 0)
        return b.value;
    return static_cast<int32_t>(a.value + (int64_t(b.value) - a.value) * (relative - a.position) / span);
}

void Post(engine::EngineClient* engine, engine::EngineCommand command)
{
    if (engine)
        engine->Post(std::move(command));
}

} // namespace

void MergeEnvelope(Envelope& target, const Envelope& buffer, int64_t offset, int64_t songEnd, int32_t channel,
                   int32_t kind, engine::EngineClient* engine)
{
    if (buffer.empty())
        return;
    const int64_t spanFirst = buffer.front().position + offset;
    const int64_t spanLast = buffer.back().position + offset;
    auto arrives = [&](int64_t position) {
        if (position < 0 || position >= songEnd)
            return false;
        return std::any_of(buffer.begin(), buffer.end(),
                           [&](const EnvelopePoint& p) { return p.position + offset == position; });
    };

    // 1. Clear the span, from the back so that the indices the engine is
    // told stay valid. The list's ends stay unless a dropped point takes
    // their place; they are given the dropped curve's value below.
    std::vector<int64_t> keptEnds;
    const int32_t lastIndex = static_cast<int32_t>(target.size()) - 1;
    for (int32_t i = static_cast<int32_t>(target.size()) - 1; i >= 0; --i) {
        const int64_t p = target[i].position;
        const bool inside = p > spanFirst && p < spanLast;
        const bool atEnd = (p == spanFirst || p == spanLast) && arrives(p);
        if (!inside && !atEnd)
            continue;
        const bool listEnd = lastIndex >= 1 && (i == 0 || i == lastIndex);
        if (listEnd && !arrives(p)) {
            keptEnds.push_back(p);
            continue;
        }
        target.erase(target.begin() + i);
        Post(engine, engine::DeleteEnvelopePoint{channel, kind, i});
    }

    // 2. Insert the dropped points that fall inside the song.
    for (const EnvelopePoint& point : buffer) {
        const int64_t p = point.position + offset;
        if (p < 0 || p >= songEnd)
            continue;
        EnvelopePoint placed = point;
        placed.position = static_cast<int32_t>(p);
        auto at = std::partition_point(target.begin(), target.end(),
                                       [&](const EnvelopePoint& q) { return q.position <= p; });
        const int32_t index = static_cast<int32_t>(at - target.begin());
        target.insert(at, placed);
        Post(engine, engine::InsertEnvelopePoint{channel, kind, index, placed.position, placed.value});
    }

    // 3. The kept ends follow the dropped curve.
    for (int64_t p : keptEnds) {
        for (int32_t i : {0, static_cast<int32_t>(target.size()) - 1}) {
            if (i < 0 || target[i].position != p)
                continue;
            const int32_t value = BufferValueAt(buffer, offset, p);
            if (target[i].value != value) {
                target[i].value = value;
                Post(engine, engine::SetEnvelopePoint{channel, kind, i, target[i].position, value});
            }
        }
    }

    // 4. No doubled position at either end of the list.
    while (target.size() > 2 && target[0].position == target[1].position) {
        target.erase(target.begin());
        Post(engine, engine::DeleteEnvelopePoint{channel, kind, 0});
    }
    while (target.size() > 2 && target[target.size() - 1].position == target[target.size() - 2].position) {
        const int32_t last = static_cast<int32_t>(target.size()) - 1;
        target.erase(target.begin() + last);
        Post(engine, engine::DeleteEnvelopePoint{channel, kind, last});
    }
}

DropCounts PutDownPlacement(Song& song, const SampleLibrary& library, const SongFragment& buffer,
                            const DropPlace& place, engine::EngineClient& engine)
{
    DropCounts counts;
    const int64_t measures = static_cast<int64_t>(song.measures.size());
    for (size_t i = 0; i < buffer.measures.size(); ++i) {
        const int64_t m = place.measure + static_cast<int64_t>(i);
        for (int j = 0; j < kChannels; ++j) {
            const ChannelSlot& slot = buffer.measures[i].slots[j];
            if (slot.IsEmpty())
                continue;
            const int32_t c = j + place.channelShift;
            if (m < 0 || m >= measures || c < 0 || c >= kChannels)
                continue;
            song.measures[m].slots[c] = slot;
            NotifySlot(song, library, static_cast<int32_t>(m), c, engine);
            ++counts.slots;
        }
    }
    const int64_t songEnd = measures * song.samplesPerMeasure;
    const int64_t offset = place.measure * song.samplesPerMeasure;
    for (int j = 0; j < kChannels; ++j) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            const Envelope& points = buffer.envelopes[j][k];
            if (buffer.inUse[j][k] == 0 || points.empty())
                continue;
            const int32_t c = j + place.channelShift;
            if (c < 0 || c >= kChannels)
                continue;
            MergeEnvelope(song.envelopes[c][k], points, offset, songEnd, c, k, &engine);
            ++counts.envelopes;
        }
    }
    return counts;
}

} // namespace bm::ui
