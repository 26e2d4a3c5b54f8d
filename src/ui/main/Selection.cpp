#include "ui/main/Selection.h"

namespace bm::ui {

namespace {

template <typename Fn>
bool AnySlot(const Song& song, int32_t channel, Fn&& fn)
{
    for (const Measure& m : song.measures) {
        for (int c = 0; c < kChannels; ++c) {
            if ((channel < 0 || channel == c) && !m.slots[c].IsEmpty() && fn(m.slots[c]))
                return true;
        }
    }
    return false;
}

} // namespace

bool AnySelectedSlot(const MainState& state)
{
    return AnySlot(state.doc.song, -1, [](const ChannelSlot& s) { return s.selected != 0; });
}

bool AnySelected(const MainState& state, int32_t channel)
{
    if (AnySlot(state.doc.song, channel, [](const ChannelSlot& s) { return s.selected != 0; }))
        return true;
    for (int c = 0; c < kChannels; ++c) {
        if (channel >= 0 && c != channel)
            continue;
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            if (!state.view.envelopeShown[k])
                continue;
            for (const EnvelopePoint& p : state.doc.song.envelopes[c][k]) {
                if (p.selected)
                    return true;
            }
        }
    }
    return false;
}

bool AnyUnselected(const MainState& state, int32_t channel)
{
    if (AnySlot(state.doc.song, channel, [](const ChannelSlot& s) { return s.selected == 0; }))
        return true;
    for (int c = 0; c < kChannels; ++c) {
        if (channel >= 0 && c != channel)
            continue;
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            if (!state.view.envelopeShown[k])
                continue;
            const Envelope& list = state.doc.song.envelopes[c][k];
            for (size_t i = 1; i + 1 < list.size(); ++i) {
                if (!list[i].selected)
                    return true;
            }
        }
    }
    return false;
}

const ChannelSlot* PointedSlot(const MainState& state)
{
    const int32_t m = state.view.pointedMeasure;
    const int32_t c = state.view.pointedChannel;
    if (m < 0 || m >= state.Measures() || c < 0 || c >= kChannels)
        return nullptr;
    const ChannelSlot& slot = state.doc.song.measures[m].slots[c];
    return slot.IsEmpty() ? nullptr : &slot;
}

const EnvelopePoint* PointedEnvelopePoint(const MainState& state)
{
    const PointedPoint& p = state.view.pointedPoint;
    if (!p.Valid() || p.channel >= kChannels || p.kind >= kEnvelopeKinds)
        return nullptr;
    const Envelope& list = state.doc.song.envelopes[p.channel][p.kind];
    return p.index < static_cast<int32_t>(list.size()) ? &list[p.index] : nullptr;
}

const SampleDescriptor* SelectedCell(const MainState& state)
{
    return state.doc.library.Find(state.view.librarySelection);
}

const SampleDescriptor* SelectedFilledCell(const MainState& state)
{
    const SampleDescriptor* d = SelectedCell(state);
    return d && !d->IsEmpty() ? d : nullptr;
}

const LibraryPart* SelectedPart(const MainState& state)
{
    return state.doc.library.FindPart(state.view.librarySelection);
}

const LibraryChord* SelectedChord(const MainState& state)
{
    return state.doc.library.FindChord(state.view.librarySelection);
}

bool SelectedEntryExists(const MainState& state)
{
    const LibraryChord* chord = SelectedChord(state);
    const int32_t entry = state.view.librarySelection.Entry();
    return chord && entry >= 0 && entry < static_cast<int32_t>(chord->entries.size());
}

bool SelectedEntryHasSample(const MainState& state)
{
    if (!SelectedEntryExists(state))
        return false;
    return !SelectedChord(state)->entries[state.view.librarySelection.Entry()].IsEmpty();
}

bool SelectedInUserPart(const MainState& state)
{
    const LibraryPart* part = SelectedPart(state);
    return part && part->factory == 0 && SelectedEntryExists(state);
}

bool SelectedIsFreeEntry(const MainState& state)
{
    const LibraryChord* chord = SelectedChord(state);
    return chord && state.view.librarySelection.Entry() == static_cast<int32_t>(chord->entries.size()) - 1;
}

int32_t RegionAt(const Song& song, int32_t measure)
{
    for (size_t i = 0; i < song.regions.size(); ++i) {
        if (measure >= song.regions[i].start && measure <= song.regions[i].end)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool AnyRegionOn(const Song& song)
{
    for (const Region& r : song.regions) {
        if (r.on)
            return true;
    }
    return false;
}

bool CurrentRegionExists(const MainState& state)
{
    return state.view.currentRegion >= 0 &&
           state.view.currentRegion < static_cast<int32_t>(state.doc.song.regions.size());
}

int32_t TouchingNeighbour(const MainState& state)
{
    if (!CurrentRegionExists(state))
        return -1;
    const auto& regions = state.doc.song.regions;
    const Region& current = regions[state.view.currentRegion];
    for (size_t i = 0; i < regions.size(); ++i) {
        if (static_cast<int32_t>(i) == state.view.currentRegion)
            continue;
        if (state.view.regionSide == RegionSide::End && regions[i].start == current.end + 1)
            return static_cast<int32_t>(i);
        if (state.view.regionSide == RegionSide::Start && regions[i].end + 1 == current.start)
            return static_cast<int32_t>(i);
    }
    return -1;
}

} // namespace bm::ui
