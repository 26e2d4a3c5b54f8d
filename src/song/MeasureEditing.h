#pragma once

// Inserting and removing measures, with the rules that keep regions and
// envelopes in step, mirrored to the audio engine. Main thread only.

#include "engine/EngineCommand.h"
#include "song/Song.h"

#include <cstdint>

namespace bm {

// The measures an operation actually inserted or removed, after clamping.
struct MeasureSpan {
    int32_t first = 0;
    int32_t count = 0;
    bool operator==(const MeasureSpan&) const = default;
};

// Inserts `count` empty measures at `first` (clamped to 0 .. measures; the
// song never grows beyond kMaxSongMeasures). Posts 0x20006 (first, count).
// For each measure inserted: regions that start at or after `first` move one
// measure later, a region that contains `first` grows by one at its end; the
// first measure of an empty song gives every envelope its two rest points
// (0x40001), otherwise every point but the first at or after the insertion
// point, and always the last point, moves one measure later (0x40002).
MeasureSpan InsertMeasures(Song& song, int64_t first, int64_t count, engine::EngineClient* engine);

// Removes `count` measures from `first` (first clamped to 0 .. measures - 1,
// count to what remains; nothing happens when count is not above 0). Posts
// 0x20007 (first, count). Unless the whole song goes, every envelope keeps
// its curve continuous across the cut by new points at first * S - 1 and at
// (first + count) * S (0x40001); points inside the cut are deleted (0x40003)
// and later ones move earlier (0x40002). Regions after a removed measure move
// earlier, a region containing it loses one measure, and a region whose end
// falls before its start is deleted.
MeasureSpan RemoveMeasures(Song& song, int64_t first, int64_t count, engine::EngineClient* engine);

// The value an envelope has at a frame position: linear between the points
// around it, the first or last point's value outside them, `rest` when the
// list is empty.
int32_t EnvelopeValueAt(const Envelope& envelope, int64_t position, int32_t rest);

} // namespace bm
