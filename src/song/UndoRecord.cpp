#include "song/UndoRecord.h"

#include "song/SongModel.h"

#include <algorithm>

namespace bm {

namespace {

void CopyInto(const Song& song, UndoRecord& record)
{
    record.path = song.path;
    record.samplesPerMeasure = song.samplesPerMeasure;
    record.measuresPerBar = song.measuresPerBar;
    record.measures = song.measures;
    record.envelopes = song.envelopes;
    record.regions = song.regions;
    record.channelVolume = song.channelVolume;
}

void PostEnvelopeChanges(const ChannelEnvelopes& before, const ChannelEnvelopes& after, engine::EngineClient& engine)
{
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            const Envelope& was = before[size_t(c)][size_t(k)];
            const Envelope& now = after[size_t(c)][size_t(k)];
            const size_t common = std::min(was.size(), now.size());
            for (size_t i = 0; i < common; ++i)
                engine.Post(engine::SetEnvelopePoint{c, k, int32_t(i), now[i].position, now[i].value});
            for (size_t i = common; i < now.size(); ++i)
                engine.Post(engine::InsertEnvelopePoint{c, k, int32_t(i), now[i].position, now[i].value});
            for (size_t i = was.size(); i > common; --i)
                engine.Post(engine::DeleteEnvelopePoint{c, k, int32_t(i - 1)});
        }
    }
}

} // namespace

TitleChange TakeUndoSnapshot(Song& song, UndoRecord& record)
{
    TitleChange title = TitleChange::None;
    if (song.unchanged) {
        song.unchanged = false;
        title = TitleChange::ShowChangeMark;
    }
    CopyInto(song, record);
    return title;
}

UndoResult SwapWithUndo(Song& song, UndoRecord& record, const SampleLibrary& library, engine::EngineClient* engine)
{
    UndoResult result;
    if (!record.HoldsSong())
        return result;
    UndoRecord current;
    CopyInto(song, current);

    result.swapped = true;
    result.oldMeasures = static_cast<int32_t>(song.measures.size());
    result.newMeasures = static_cast<int32_t>(record.measures.size());
    result.tempoChanged =
        record.samplesPerMeasure != song.samplesPerMeasure || record.measuresPerBar != song.measuresPerBar;
    song.path = std::move(record.path);
    song.samplesPerMeasure = record.samplesPerMeasure;
    song.measuresPerBar = record.measuresPerBar;
    song.measures = std::move(record.measures);
    song.envelopes = std::move(record.envelopes);
    song.regions = std::move(record.regions);
    const std::array<int32_t, kChannels> volumes = record.channelVolume;
    record = std::move(current);

    if (engine == nullptr) {
        song.channelVolume = volumes;
        return result;
    }
    if (result.oldMeasures > 0)
        engine->Post(engine::RemoveMeasures{0, result.oldMeasures});
    if (result.tempoChanged)
        engine->Post(engine::SetTempo{song.samplesPerMeasure, song.measuresPerBar});
    if (result.newMeasures > 0)
        engine->Post(engine::InsertMeasures{0, result.newMeasures});
    NotifyAllSlots(song, library, *engine);
    PostEnvelopeChanges(record.envelopes, song.envelopes, *engine);
    for (int c = 0; c < kChannels; ++c) {
        if (song.channelVolume[size_t(c)] != volumes[size_t(c)])
            SetChannelState(song, c, -1, volumes[size_t(c)], engine);
    }
    return result;
}

} // namespace bm
