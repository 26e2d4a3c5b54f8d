#pragma once

// Turns measures of an EngineSong into canonical audio (44 100 Hz, 16-bit,
// stereo interleaved). One call renders a run of consecutive measures, each
// whole (M frames per measure). Playback, pre-rendering, export and songs
// used as samples each own a renderer; a renderer keeps only scratch memory,
// so calls on different renderers are independent.
//
// Per measure and channel (gain 1 ... 400):
// - the slot's sample from its start offset, and before it the continuation
//   of the channel's running sample (the nearest earlier non-empty slot),
//   whose last 200 frames before a cut are faded (k / 400);
// - a fade of the measure's end when the channel's next slot starts within
//   the first 200 frames of the next measure (or this is the last measure);
// - the mix: gain g = master × channel gain / 100, the pan rule and the
//   volume envelope, in integer arithmetic left to right with 64-bit
//   intermediates and a 64-bit accumulator (so that export gains of up to
//   level × 32 767 / 127 cannot wrap);
// then the last measure of the song fades over its last 100 frames, the mix
// is clipped to 16 bits and, at unit master gain, its peak is stored.
//
// Example (worker thread):
//     SongRenderer renderer(source);
//     std::vector<int16_t> out(size_t(count) * song.samplesPerMeasure * 2);
//     renderer.Render(song, first, count, kUnitGain, out.data(), &observer);

#include "engine/EngineSong.h"
#include "engine/SampleSource.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace bm::engine {

// Master gain in thousandths.
constexpr int64_t kUnitGain = 1000;
// Frames faded before a cut and at the end of a measure.
constexpr int32_t kFadeFrames = 200;

class SongRenderer {
public:
    explicit SongRenderer(SampleSource& source);

    // Renders measures [first, first + count) of `song`, stopping early at
    // the end of its measure list, into `out` (count × M frames; measures not
    // rendered are left as they were). Returns the measures rendered.
    // `observer` hears of length corrections and invalidations and, when
    // `progressContext` is given, of the progress.
    int32_t Render(EngineSong& song, int32_t first, int32_t count, int64_t masterGain, int16_t* out,
                   SongObserver* observer = nullptr, const SampleRef* progressContext = nullptr);

    // Allocates the scratch for a measure length (Render does it when the
    // length changes).
    void Prepare(int32_t samplesPerMeasure);

private:
    struct Channel {
        int32_t running = -1; // measure of the running sample, -1 none
        std::unique_ptr<SampleReader> reader; // open reader of the running sample's slot
    };

    std::unique_ptr<SampleReader> OpenSlot(EngineSong& song, int32_t measure, int channel, SongObserver* observer);
    // Fills m_channel for channel `ch` of measure `c`; true when it sounded.
    bool FillChannel(EngineSong& song, int32_t c, int ch, Channel& state, SongObserver* observer);
    void MixChannel(const EngineSong& song, int32_t c, int ch, int64_t gain);

    SampleSource& m_source;
    int32_t m_preparedFor = 0;
    std::vector<int16_t> m_channel;     // 2 × M samples of one channel
    std::vector<int64_t> m_accumulator; // 2 × M samples of the mix
};

} // namespace bm::engine
