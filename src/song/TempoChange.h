#pragma once

// Re-timing a whole song to new tempo values, as the tempo command does:
// the measures and envelopes are re-timed, the envelope ends moved to the
// song's ends, the regions scaled in whole bars, and the engine told of it
// all. Main thread only; the caller stops playback and takes the undo
// snapshot first.

#include "engine/EngineCommand.h"
#include "song/Retime.h"
#include "song/Song.h"

#include <cstdint>

namespace bm {

// What the tempo dialog returns.
struct TempoChange {
    int32_t samplesPerMeasure = kDefaultSamplesPerMeasure;
    int32_t measuresPerBar = kDefaultMeasuresPerBar;
    int32_t barScale = kUnscaledBars; // 0 to 4: bars stretched by 1/4, 1/2, 1, 2, 4
    bool keepTime = false;            // keep every sample at its time in frames
};

struct SongRetimeResult {
    int bits = 0; // kRetimeOverwrote, kRetimeDropped
    int32_t oldMeasures = 0;
    int32_t newMeasures = 0;
    bool operator==(const SongRetimeResult&) const = default;
};

// True when the change asks for anything: other tempo values or a bar scale.
bool ChangesTempo(const Song& song, const TempoChange& change);

// True when the change squeezes bars so much (new bar length in quarters of
// the old below 4) that neighbouring samples of a channel may collide, and
// two neighbouring measures do hold samples in the same channel: the person
// is asked before such a change.
bool RisksDataLoss(const Song& song, const TempoChange& change);

// The re-timing a change uses: keep time with the keep-time box, else fit
// bars (with the bar scale).
RetimeRequest SpecFor(const Song& song, const TempoChange& change);

// Applies a change as the tempo command does. Nothing happens when the
// change asks for nothing. An empty song just takes the values (0x20001).
// Otherwise the whole song is re-timed (RetimeSong).
SongRetimeResult ApplyTempoChange(Song& song, const TempoChange& change, const SampleLibrary& library,
                                  engine::EngineClient* engine);

// Re-times the whole song (any mode) and posts, in this order: 0x20007
// removing the old measures, 0x20001 with the new values, 0x20006 inserting
// the new measures, 0x40002 for every envelope point (kind 0 then 1,
// channels 0 to 11, list order) after its ends were moved, and 0x20005 for
// every filled slot. Regions are scaled by the ratio of the new to the old
// song length, both counted in whole bars rounded up; regions that start
// past the new end go, those that end past it are cut. `request`'s source
// values are taken from the song.
SongRetimeResult RetimeSong(Song& song, RetimeRequest request, const SampleLibrary& library,
                            engine::EngineClient* engine);

} // namespace bm
