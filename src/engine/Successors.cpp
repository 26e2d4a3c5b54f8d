#include "engine/Successors.h"

#include <algorithm>

namespace bm::engine {

void SetPlainSuccessors(EngineSong& song)
{
    const int32_t count = song.MeasureCount();
    for (int32_t i = 0; i < count; ++i)
        song.measures[size_t(i)].successor = i + 1 < count ? i + 1 : 0;
}

void SetJumpSuccessors(EngineSong& song, const std::vector<JumpPair>& pairs)
{
    const int32_t count = song.MeasureCount();
    for (int32_t i = 0; i < count; ++i)
        song.measures[size_t(i)].successor = i + 1;
    if (pairs.empty())
        return;
    const auto [loopEnd, loopStart] = pairs.front();
    for (int32_t i = std::max(loopEnd, 0); i < count; ++i)
        song.measures[size_t(i)].successor = loopStart;
    // Only a loop that goes back (start at or before its end) draws the
    // measures before its start into it. A first pair that goes forward
    // (the last region's end followed by the song's length) only ends the
    // walk; drawing every measure before the song's length to it would end
    // playback after the first measure.
    if (loopStart <= loopEnd) {
        for (int32_t i = 0; i < std::min(loopStart, count); ++i)
            song.measures[size_t(i)].successor = loopStart;
    }
    for (size_t k = 1; k < pairs.size(); ++k) {
        const auto [from, to] = pairs[k];
        const int64_t end = std::min<int64_t>(int64_t(to) - 1, count);
        for (int64_t j = std::max(from, 0); j < end; ++j)
            song.measures[size_t(j)].successor = to;
    }
}

} // namespace bm::engine
