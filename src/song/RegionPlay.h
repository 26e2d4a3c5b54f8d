#pragma once

// Where region play starts and which jumps it takes, as the main window
// sends them to the engine: the start measure is the given one when it lies
// in a region that is on, else the start of the first such region after it,
// else of the first such region; for each region that is on, from the last
// to the first (in order of their starts), the jump (its last measure, where
// to continue: the next region's start, or the song's length after the
// last).
//
// Example: regions 1-2 and 5-6 (both on) of a 10-measure song, asked to
// start at 3, start at 5 with the jumps (6 -> 10), (2 -> 5).

#include "song/Song.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace bm {

struct RegionPlay {
    int32_t startMeasure = 0;
    std::vector<std::pair<int32_t, int32_t>> jumps; // (from, to); empty when no region is on
};

RegionPlay MakeRegionPlay(const Song& song, int32_t from);

} // namespace bm
