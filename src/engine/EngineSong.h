#pragma once

// The engine's own copy of the song: measures of engine slots, per-channel
// gains and envelopes, and the two tempo numbers. The main window keeps it
// up to date through engine commands; the renderer reads it and writes back
// peaks and corrected sample lengths. A song used as a sample carries its own
// EngineSong.
//
// Positions and lengths are in frames at 44 100 Hz; a song position counts
// frames from the start of measure 0 (measure c starts at c × M).

#include "library/SampleLibrary.h"
#include "song/Song.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bm::engine {

// Channel gains outside 1 ... 400 leave a channel out of the mix.
constexpr int32_t kMinMixGain = 1;
constexpr int32_t kMaxMixGain = 400;

// One point of a channel envelope (kind 0 volume, kind 1 pan). Values run
// from -32768 to 32767: volume -32768 is silent and 32767 full; pan 0 is
// the centre.
struct EnvelopeNode {
    int32_t position = 0; // song frames
    int32_t value = 0;
    bool operator==(const EnvelopeNode&) const = default;
};
using EnvelopeNodes = std::vector<EnvelopeNode>;

struct EngineSlot {
    std::string path;    // the sample's file; empty = no sample
    int32_t start = 0;   // frames after the measure's start where the sample begins
    int32_t length = 0;  // the sample's length in frames as the main window knows it
    int32_t reverse = 0; // not 0: plays backwards
    SampleRef key;       // word 0 = -1 for no sample

    bool IsEmpty() const { return path.empty() || key.words[0] < 0; }
    bool operator==(const EngineSlot&) const = default;
};

struct EngineMeasure {
    std::array<EngineSlot, kChannels> slots{};
    int32_t rendered = 0;  // the measure's audio in the swap file is current
    int32_t successor = 0; // the measure playback takes after this one
    int32_t peak = 0;      // largest magnitude of the mix before clipping, at unit master gain
};

// Told about changes the engine makes to its song, so the main window hears
// of them. Default: nothing.
class SongObserver {
public:
    virtual ~SongObserver() = default;
    // The measures [first, first + count) are no longer rendered.
    virtual void MeasuresInvalidated(int32_t /*first*/, int32_t /*count*/) {}
    // Every slot with this key now carries the sample's true length.
    virtual void SampleLengthCorrected(const SampleRef& /*key*/, int32_t /*frames*/) {}
    // Render progress of a call that was given a progress context.
    virtual void RenderProgress(const SampleRef& /*context*/, int32_t /*percent*/) {}
};

struct EngineSong {
    std::vector<EngineMeasure> measures;
    std::array<int32_t, kChannels> channelGain{};
    // envelopes[channel][kind]
    std::array<std::array<EnvelopeNodes, 2>, kChannels> envelopes;
    int32_t samplesPerMeasure = kDefaultSamplesPerMeasure; // M
    int32_t measuresPerBar = kDefaultMeasuresPerBar;       // D

    int32_t MeasureCount() const { return int32_t(measures.size()); }
    // The span of one sample placement, L = M × D frames.
    int64_t BarSpan() const { return int64_t(samplesPerMeasure) * measuresPerBar; }

    // Clears the rendered flag of [first, first + count) clipped to the list
    // and reports the range when anything is left of it.
    void MarkNotRendered(int32_t first, int32_t count, SongObserver* observer);
    void MarkAllNotRendered(SongObserver* observer);
    // Number of measures a slot's sample reaches from its own measure on:
    // ceil((start + length) / M), at least 1.
    int32_t MeasuresReached(const EngineSlot& slot) const;
    // A stream's true length differs from the slot's: sets it in every slot
    // with the same key, marks the measures those slots reach (before and
    // after) not rendered, then reports the corrected length.
    void NotifyLength(const SampleRef& key, int32_t frames, SongObserver* observer);
};

} // namespace bm::engine
