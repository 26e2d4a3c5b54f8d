#pragma once

// Putting the placement buffer down into the song: every filled slot of the
// buffer goes over the slot it lands on (or is dropped when that lies
// outside the song), and every envelope list of the buffer in use replaces
// the span it covers in the target list. The engine hears of each change
// as it is made, so its copy of the song follows index by index.
//
//     // Buffer measure 0 lands on measure 12, buffer channel j on j + 2.
//     PutDownPlacement(song, library, placement, {12, 2}, engine);

#include "engine/EngineCommand.h"
#include "song/Song.h"

#include <cstdint>

namespace bm::ui {

struct DropPlace {
    int64_t measure = 0;     // where buffer measure 0 lands (may lie outside the song)
    int32_t channelShift = 0; // buffer channel j lands on channel j + shift
};

struct DropCounts {
    int32_t slots = 0;    // slots copied into the song
    int32_t envelopes = 0; // envelope lists merged
};

// Merges buffer points (positions relative to `offset`) into one list of
// the song, whose positions run from 0 to `songEnd` - 1:
// 1. the span [first + offset, last + offset] of the buffer points is
//    cleared: song points strictly inside it are deleted, and a song point
//    exactly at either end of it is deleted when a buffer point comes to
//    that position;
// 2. the buffer points are inserted at their offset positions, skipping
//    positions outside the song;
// 3. the list's own first and last points are never lost: when the span
//    covers one of them and no buffer point replaces it, it stays and takes
//    the dropped curve's value at its position;
// 4. finally a first or last point that shares its neighbour's position is
//    removed (the newer point of the pair stays).
// Each deletion posts 0x40003, each insertion 0x40001, each value change
// 0x40002 (channel, kind, index as the list stands at that moment).
void MergeEnvelope(Envelope& target, const Envelope& buffer, int64_t offset, int64_t songEnd, int32_t channel,
                   int32_t kind, engine::EngineClient* engine);

// Copies the buffer's filled slots over their targets and merges its
// envelope lists in use; posts 0x20005 for every slot it wrote.
DropCounts PutDownPlacement(Song& song, const SampleLibrary& library, const SongFragment& buffer,
                            const DropPlace& place, engine::EngineClient& engine);

} // namespace bm::ui
