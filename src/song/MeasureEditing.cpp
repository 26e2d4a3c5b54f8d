#include "song/MeasureEditing.h"

#include "song/SongFile.h"

#include <algorithm>
#include <limits>

namespace bm {

namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void Post(engine::EngineClient* engine, engine::EngineCommand command)
{
    if (engine)
        engine->Post(std::move(command));
}

// Index of the first point whose position lies after `position`.
size_t FirstAfter(const Envelope& envelope, int64_t position)
{
    size_t i = 0;
    while (i < envelope.size() && envelope[i].position <= position)
        ++i;
    return i;
}

bool HasPointAt(const Envelope& envelope, int64_t position)
{
    return std::any_of(envelope.begin(), envelope.end(),
                       [&](const EnvelopePoint& p) { return p.position == position; });
}

void InsertPoint(Envelope& envelope, int channel, int kind, int64_t position, int32_t value,
                 engine::EngineClient* engine)
{
    size_t index = FirstAfter(envelope, position);
    EnvelopePoint point{Saturate(position), value, 0};
    envelope.insert(envelope.begin() + static_cast<std::ptrdiff_t>(index), point);
    Post(engine, engine::InsertEnvelopePoint{channel, kind, static_cast<int32_t>(index), point.position, value});
}

// Regions when `n` measures are inserted at `at`, as if one at a time: a
// region from `at` on moves later, a region containing `at` grows at its end.
void ShiftRegionsForInsert(std::vector<Region>& regions, int32_t at, int64_t n)
{
    for (Region& region : regions) {
        if (region.start >= at) {
            region.start = Saturate(region.start + n);
            region.end = Saturate(region.end + n);
        } else if (region.end >= at) {
            region.end = Saturate(region.end + n);
        }
    }
}

// Regions when `n` measures are removed at `at`, as if one at a time: a
// region after the removed measure moves one earlier, a region containing it
// loses one measure at its end, a region whose end falls before its start
// goes.
void ShiftRegionsForRemove(std::vector<Region>& regions, int32_t at, int64_t n)
{
    for (Region& region : regions) {
        if (region.end >= at)
            region.end = Saturate(std::max<int64_t>(region.end - n, int64_t(at) - 1));
        if (region.start > at)
            region.start = Saturate(std::max<int64_t>(region.start - n, at));
    }
    std::erase_if(regions, [](const Region& r) { return r.end < r.start; });
}

void GiveRestPoints(Song& song, engine::EngineClient* engine)
{
    const int64_t last = int64_t(song.samplesPerMeasure) - 1;
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            Envelope& envelope = song.envelopes[size_t(c)][size_t(k)];
            // A song without measures holds no points; drop strays so the
            // engine's list and ours stay the same.
            while (!envelope.empty()) {
                envelope.erase(envelope.begin());
                Post(engine, engine::DeleteEnvelopePoint{c, k, 0});
            }
            const int32_t rest = EnvelopeRestValue(k);
            envelope.push_back({0, rest, 0});
            Post(engine, engine::InsertEnvelopePoint{c, k, 0, 0, rest});
            envelope.push_back({Saturate(last), rest, 0});
            Post(engine, engine::InsertEnvelopePoint{c, k, 1, Saturate(last), rest});
        }
    }
}

// Points when `n` measures are inserted at `at`, as if one at a time: every
// point but the first at or after the insertion point, and always the last
// point, moves one measure later per measure. One 0x40002 per moved point.
void ShiftPointsForInsert(Song& song, int32_t at, int64_t n, engine::EngineClient* engine)
{
    const int64_t spm = song.samplesPerMeasure;
    const int64_t from = int64_t(at) * spm;
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            Envelope& envelope = song.envelopes[size_t(c)][size_t(k)];
            for (size_t i = 0; i < envelope.size(); ++i) {
                EnvelopePoint& point = envelope[i];
                const bool isLast = i + 1 == envelope.size();
                if (!((i > 0 && point.position >= from) || isLast))
                    continue;
                point.position = Saturate(point.position + n * spm);
                Post(engine, engine::SetEnvelopePoint{c, k, int32_t(i), point.position, point.value});
            }
        }
    }
}

void CutEnvelope(Envelope& envelope, int channel, int kind, int64_t cutBegin, int64_t cutEnd, bool wholeSong,
                 int64_t songEnd, engine::EngineClient* engine)
{
    const int32_t rest = EnvelopeRestValue(kind);
    if (!wholeSong && !envelope.empty()) {
        bool haveBefore = false;
        int32_t before = 0;
        if (cutBegin > 0) {
            const int64_t at = cutBegin - 1;
            before = EnvelopeValueAt(envelope, at, rest);
            haveBefore = true;
            if (!HasPointAt(envelope, at))
                InsertPoint(envelope, channel, kind, at, before, engine);
        }
        if (cutEnd < songEnd && !HasPointAt(envelope, cutEnd)) {
            const int32_t after = EnvelopeValueAt(envelope, cutEnd, rest);
            const size_t next = FirstAfter(envelope, cutEnd);
            const int32_t previousValue = next > 0 ? envelope[next - 1].value : after;
            const int32_t nextValue = next < envelope.size() ? envelope[next].value : after;
            // A flat stretch needs no extra point; with nothing kept before
            // the cut the point is needed to start the curve at the cut.
            const bool flat = haveBefore && before == after && previousValue == after && nextValue == after;
            if (!flat)
                InsertPoint(envelope, channel, kind, cutEnd, after, engine);
        }
    }
    for (size_t i = 0; i < envelope.size();) {
        const int64_t position = envelope[i].position;
        if (wholeSong || (position >= cutBegin && position < cutEnd)) {
            envelope.erase(envelope.begin() + static_cast<std::ptrdiff_t>(i));
            Post(engine, engine::DeleteEnvelopePoint{channel, kind, int32_t(i)});
            continue;
        }
        ++i;
    }
    const int64_t shift = cutEnd - cutBegin;
    for (size_t i = 0; i < envelope.size(); ++i) {
        EnvelopePoint& point = envelope[i];
        if (point.position < cutEnd)
            continue;
        point.position = Saturate(point.position - shift);
        Post(engine, engine::SetEnvelopePoint{channel, kind, int32_t(i), point.position, point.value});
    }
}

} // namespace

int32_t EnvelopeValueAt(const Envelope& envelope, int64_t position, int32_t rest)
{
    if (envelope.empty())
        return rest;
    for (const EnvelopePoint& p : envelope) {
        if (p.position == position)
            return p.value;
    }
    const size_t next = FirstAfter(envelope, position);
    if (next == 0)
        return envelope.front().value;
    if (next == envelope.size())
        return envelope.back().value;
    const EnvelopePoint& a = envelope[next - 1];
    const EnvelopePoint& b = envelope[next];
    const int64_t span = int64_t(b.position) - a.position;
    if (span <= 0)
        return a.value;
    const int64_t delta = (int64_t(b.value) - a.value) * (position - a.position) / span;
    return Saturate(a.value + delta);
}

MeasureSpan InsertMeasures(Song& song, int64_t first, int64_t count, engine::EngineClient* engine)
{
    const int64_t size = static_cast<int64_t>(song.measures.size());
    count = std::min(count, kMaxSongMeasures - size);
    if (count <= 0)
        return {};
    const int32_t at = static_cast<int32_t>(std::clamp<int64_t>(first, 0, size));
    const auto n = static_cast<int32_t>(count);
    Post(engine, engine::InsertMeasures{at, n});
    const bool wasEmpty = song.measures.empty();
    song.measures.insert(song.measures.begin() + at, size_t(n), Measure{});
    ShiftRegionsForInsert(song.regions, at, n);
    if (wasEmpty) {
        GiveRestPoints(song, engine);
        if (n > 1)
            ShiftPointsForInsert(song, 0, n - 1, engine);
    } else {
        ShiftPointsForInsert(song, at, n, engine);
    }
    return {at, n};
}

MeasureSpan RemoveMeasures(Song& song, int64_t first, int64_t count, engine::EngineClient* engine)
{
    const int64_t size = static_cast<int64_t>(song.measures.size());
    if (size == 0)
        return {};
    const int64_t f = std::clamp<int64_t>(first, 0, size - 1);
    const int64_t n = std::min(count, size - f);
    if (n <= 0)
        return {};
    const bool wholeSong = f == 0 && n == size;
    Post(engine, engine::RemoveMeasures{int32_t(f), int32_t(n)});
    const int64_t spm = song.samplesPerMeasure;
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k)
            CutEnvelope(song.envelopes[size_t(c)][size_t(k)], c, k, f * spm, (f + n) * spm, wholeSong, size * spm,
                        engine);
    }
    song.measures.erase(song.measures.begin() + f, song.measures.begin() + f + n);
    ShiftRegionsForRemove(song.regions, int32_t(f), n);
    return {int32_t(f), int32_t(n)};
}

} // namespace bm
