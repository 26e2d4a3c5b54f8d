#include "song/RegionPlay.h"

#include <algorithm>

namespace bm {

RegionPlay MakeRegionPlay(const Song& song, int32_t from)
{
    RegionPlay play;
    play.startMeasure = from;
    std::vector<Region> on;
    for (const auto& region : song.regions) {
        if (region.on && region.start <= region.end)
            on.push_back(region);
    }
    std::sort(on.begin(), on.end(), [](const Region& a, const Region& b) { return a.start < b.start; });
    if (on.empty())
        return play;
    const int32_t length = int32_t(song.measures.size());
    int32_t chosen = -1;
    for (const auto& region : on) {
        if (from >= region.start && from <= region.end)
            chosen = from;
    }
    for (size_t i = 0; chosen < 0 && i < on.size(); ++i) {
        if (on[i].start > from)
            chosen = on[i].start;
    }
    play.startMeasure = chosen >= 0 ? chosen : on.front().start;
    for (size_t i = on.size(); i-- > 0;)
        play.jumps.emplace_back(on[i].end, i + 1 < on.size() ? on[i + 1].start : length);
    return play;
}

} // namespace bm
