#pragma once

// Which measures an export writes: the first measure, the number of
// measures, and the jumps that skip what lies between the song's active
// regions ("Save active regions only"). The engine's export walks from the
// first measure, taking a jump's `to` after its `from` measure and the next
// measure otherwise.
//
// Example: regions 0-1 and 5-6 (both on) of a 10-measure song give first 0,
// count 4 and the jumps (6 -> 10), (1 -> 5): measures 0, 1, 5, 6.

#include "song/Song.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace bm {

enum class ExportScope { WholeSong, ActiveRegions };

struct ExportRange {
    int32_t firstMeasure = 0;
    int32_t count = 0; // measures written
    std::vector<std::pair<int32_t, int32_t>> jumps; // (from, to)
    bool operator==(const ExportRange&) const = default;
};

// The whole song: first 0, every measure, no jumps. Active regions: walking
// the regions that are on from the last in the list to the first, with next
// = the measure count at the start, each region (start, end) adds the jump
// (end, next) and sets next = start; the first measure is the final next and
// the count the sum of the regions' lengths. Regions are clipped to the
// song's measures first; one that lies outside them, or ends before it
// starts, is left out. No active region gives count 0.
ExportRange MakeExportRange(const Song& song, ExportScope scope);

} // namespace bm
