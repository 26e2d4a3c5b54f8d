#pragma once

// Re-timing a list of measures and its envelopes from one tempo to another:
//   Stretch  (mode 0): one measure per measure, offsets and positions scaled
//                      by S2 / S1 (with equal tempos: a plain copy);
//   FitBars  (mode 1): each bar of B1 measures becomes a bar of B2 measures,
//                      positions scaled so that the bar keeps its share;
//   KeepTime (mode 2): every sample stays at its time in frames.
// The result word tells of collisions (bit 0: a slot overwrote another) and
// losses (bit 1: a slot fell outside the target); re-timing never fails.

#include "song/Song.h"

#include <cstdint>
#include <vector>

namespace bm {

enum class RetimeMode : int32_t { Stretch = 0, FitBars = 1, KeepTime = 2 };

constexpr int kRetimeOverwrote = 1;
constexpr int kRetimeDropped = 2;

// The bar scale choice that keeps bars as they are (factor 1); choices 0 to 4
// stretch every bar by 1/4, 1/2, 1, 2 or 4.
constexpr int32_t kUnscaledBars = 2;

struct RetimeRequest {
    int32_t fromSamplesPerMeasure = kDefaultSamplesPerMeasure;
    int32_t fromMeasuresPerBar = kDefaultMeasuresPerBar;
    int32_t toSamplesPerMeasure = kDefaultSamplesPerMeasure;
    int32_t toMeasuresPerBar = kDefaultMeasuresPerBar;
    RetimeMode mode = RetimeMode::Stretch;
    // FitBars only: every bar is also stretched by 2^(barScale - 2).
    int32_t barScale = kUnscaledBars;
};

// Fills `target` (emptied first) from `source`. The target never holds more
// than kMaxSongMeasures measures; slots beyond count as dropped. Returns the
// result bits.
int RetimeMeasures(const std::vector<Measure>& source, const ChannelEnvelopes& sourceEnvelopes,
                   const RetimeRequest& request, std::vector<Measure>& target, ChannelEnvelopes& targetEnvelopes);

// The same for song fragments; the in-use words are copied, the target's
// tempo values become the request's target values.
int RetimeFragment(const SongFragment& source, const RetimeRequest& request, SongFragment& target);

// After a whole song was re-timed: every list of more than one point gets
// its first point at 0 and its last at the song's last frame
// (measures * samplesPerMeasure - 1).
void FixEnvelopeEnds(ChannelEnvelopes& envelopes, int64_t measureCount, int32_t samplesPerMeasure);

} // namespace bm
