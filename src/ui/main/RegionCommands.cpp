// Regions: creating one at the cursor, removing, switching and joining the
// region last pointed at. The region list stays ordered by start.

#include "ui/main/CommandIds.h"
#include "ui/main/MainController.h"
#include "ui/main/Selection.h"

#include <algorithm>

namespace bm::ui {

int32_t MainController::CreateRegion(int32_t, int64_t)
{
    Song& song = m_state.doc.song;
    const int32_t start = m_state.view.cursorMeasure;
    // One bar from the cursor, stopping before the next region and at the
    // song's end; the edges are then dragged where they belong.
    int32_t end = start + std::max(1, song.measuresPerBar) - 1;
    end = std::min(end, m_state.Measures() - 1);
    for (const Region& r : song.regions) {
        if (r.start > start)
            end = std::min(end, r.start - 1);
    }
    Snapshot();
    Region region{start, end, true};
    auto at = std::find_if(song.regions.begin(), song.regions.end(), [&](const Region& r) { return r.start > start; });
    at = song.regions.insert(at, region);
    m_state.view.currentRegion = static_cast<int32_t>(at - song.regions.begin());
    SetCursor(start);
    m_view.Repaint(Area::Arrangement);
    SendRegions();
    return 1;
}

int32_t MainController::RemoveRegion(int32_t, int64_t)
{
    Snapshot();
    auto& regions = m_state.doc.song.regions;
    regions.erase(regions.begin() + m_state.view.currentRegion);
    m_state.view.currentRegion = -1;
    if (!AnyRegionOn(m_state.doc.song))
        m_state.view.regionPlaySwitch = false;
    m_view.Repaint(Area::Arrangement);
    m_view.Repaint(Area::Transport);
    SendRegions();
    return 1;
}

int32_t MainController::RegionOnOff(int32_t, int64_t)
{
    Region& region = m_state.doc.song.regions[m_state.view.currentRegion];
    region.on = !region.on;
    if (!AnyRegionOn(m_state.doc.song))
        m_state.view.regionPlaySwitch = false;
    m_view.Repaint(Area::Arrangement);
    m_view.Repaint(Area::Transport);
    SendRegions();
    return 1;
}

int32_t MainController::JoinRegions(int32_t, int64_t)
{
    const int32_t other = TouchingNeighbour(m_state);
    Snapshot();
    auto& regions = m_state.doc.song.regions;
    const int32_t current = m_state.view.currentRegion;
    const int32_t left = regions[current].start < regions[other].start ? current : other;
    const int32_t right = left == current ? other : current;
    regions[left].end = regions[right].end;
    regions.erase(regions.begin() + right);
    m_state.view.currentRegion = left < right ? left : left - 1;
    m_view.Repaint(Area::Arrangement);
    SendRegions();
    return 1;
}

} // namespace bm::ui
