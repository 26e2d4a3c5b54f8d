#include "song/TempoChange.h"

#include "song/SongModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bm {

namespace {

// Song length in measures, rounded up to whole bars.
int64_t LengthInWholeBars(int64_t measures, int64_t measuresPerBar)
{
    const int64_t bar = std::max<int64_t>(1, measuresPerBar);
    return (measures + bar - 1) / bar * bar;
}

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void ScaleRegions(std::vector<Region>& regions, int64_t oldLength, int64_t newLength, int64_t newMeasures)
{
    if (oldLength <= 0)
        return;
    for (Region& region : regions) {
        const int64_t start = int64_t(region.start) * newLength / oldLength;
        const int64_t end = std::max(start, (int64_t(region.end) + 1) * newLength / oldLength - 1);
        region.start = Saturate(start);
        region.end = Saturate(std::min(end, newMeasures - 1));
    }
    std::erase_if(regions, [&](const Region& r) { return r.start > newMeasures - 1; });
}

} // namespace

bool ChangesTempo(const Song& song, const TempoChange& change)
{
    return change.samplesPerMeasure != song.samplesPerMeasure || change.measuresPerBar != song.measuresPerBar ||
           change.barScale != kUnscaledBars;
}

bool RisksDataLoss(const Song& song, const TempoChange& change)
{
    const double factor =
        change.keepTime ? 1.0 : std::ldexp(1.0, std::clamp(change.barScale, 0, 4) - kUnscaledBars) + 0.1;
    const int64_t quarters = static_cast<int64_t>(4 * factor);
    if (int64_t(change.measuresPerBar) * quarters / std::max(1, song.measuresPerBar) >= 4)
        return false;
    for (size_t m = 1; m < song.measures.size(); ++m) {
        for (size_t c = 0; c < kChannels; ++c) {
            if (!song.measures[m - 1].slots[c].IsEmpty() && !song.measures[m].slots[c].IsEmpty())
                return true;
        }
    }
    return false;
}

RetimeRequest SpecFor(const Song& song, const TempoChange& change)
{
    RetimeRequest request;
    request.fromSamplesPerMeasure = song.samplesPerMeasure;
    request.fromMeasuresPerBar = song.measuresPerBar;
    request.toSamplesPerMeasure = change.samplesPerMeasure;
    request.toMeasuresPerBar = change.measuresPerBar;
    request.mode = change.keepTime ? RetimeMode::KeepTime : RetimeMode::FitBars;
    request.barScale = change.keepTime ? kUnscaledBars : change.barScale;
    return request;
}

SongRetimeResult ApplyTempoChange(Song& song, const TempoChange& change, const SampleLibrary& library,
                                  engine::EngineClient* engine)
{
    SongRetimeResult result;
    result.oldMeasures = result.newMeasures = static_cast<int32_t>(song.measures.size());
    if (!ChangesTempo(song, change))
        return result;
    if (song.measures.empty()) {
        song.samplesPerMeasure = std::max(1, change.samplesPerMeasure);
        song.measuresPerBar = std::max(1, change.measuresPerBar);
        if (engine)
            engine->Post(engine::SetTempo{song.samplesPerMeasure, song.measuresPerBar});
        return result;
    }
    return RetimeSong(song, SpecFor(song, change), library, engine);
}

SongRetimeResult RetimeSong(Song& song, RetimeRequest request, const SampleLibrary& library, engine::EngineClient* engine)
{
    request.fromSamplesPerMeasure = song.samplesPerMeasure;
    request.fromMeasuresPerBar = song.measuresPerBar;
    request.toSamplesPerMeasure = std::max(1, request.toSamplesPerMeasure);
    request.toMeasuresPerBar = std::max(1, request.toMeasuresPerBar);

    SongRetimeResult result;
    result.oldMeasures = static_cast<int32_t>(song.measures.size());
    std::vector<Measure> measures;
    ChannelEnvelopes envelopes;
    result.bits = RetimeMeasures(song.measures, song.envelopes, request, measures, envelopes);
    result.newMeasures = static_cast<int32_t>(measures.size());
    FixEnvelopeEnds(envelopes, result.newMeasures, request.toSamplesPerMeasure);

    const int64_t oldLength = LengthInWholeBars(result.oldMeasures, song.measuresPerBar);
    const int64_t newLength = LengthInWholeBars(result.newMeasures, request.toMeasuresPerBar);
    song.measures = std::move(measures);
    song.envelopes = std::move(envelopes);
    song.samplesPerMeasure = request.toSamplesPerMeasure;
    song.measuresPerBar = request.toMeasuresPerBar;
    ScaleRegions(song.regions, oldLength, newLength, result.newMeasures);

    if (engine) {
        if (result.oldMeasures > 0)
            engine->Post(engine::RemoveMeasures{0, result.oldMeasures});
        engine->Post(engine::SetTempo{song.samplesPerMeasure, song.measuresPerBar});
        if (result.newMeasures > 0)
            engine->Post(engine::InsertMeasures{0, result.newMeasures});
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            for (int c = 0; c < kChannels; ++c) {
                const Envelope& envelope = song.envelopes[size_t(c)][size_t(k)];
                for (size_t i = 0; i < envelope.size(); ++i)
                    engine->Post(engine::SetEnvelopePoint{c, k, int32_t(i), envelope[i].position, envelope[i].value});
            }
        }
        NotifyAllSlots(song, library, *engine);
    }
    return result;
}

} // namespace bm
