#include "song/ExportRange.h"

#include <algorithm>
#include <limits>

namespace bm {

ExportRange MakeExportRange(const Song& song, ExportScope scope)
{
    const int32_t measures = int32_t(std::min<size_t>(song.measures.size(), size_t(kMaxSongMeasures)));
    ExportRange range;
    if (scope == ExportScope::WholeSong) {
        range.count = measures;
        return range;
    }
    int32_t next = measures;
    int64_t count = 0;
    for (auto it = song.regions.rbegin(); it != song.regions.rend(); ++it) {
        if (!it->on)
            continue;
        const int32_t start = std::max(it->start, 0);
        const int32_t end = std::min(it->end, measures - 1);
        if (start > end)
            continue;
        range.jumps.emplace_back(end, next);
        next = start;
        count += int64_t(end) - start + 1;
    }
    if (range.jumps.empty())
        return range;
    range.firstMeasure = next;
    // Overlapping regions in a hostile file could count past 32 bits.
    range.count = int32_t(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
    return range;
}

} // namespace bm
