#pragma once

// Questions about the arrangement's selection and the library cell pointed
// at, shared by the availability rules and the commands. The selection is
// the set of slots and envelope points whose selected flag is set; points
// count only in the envelope kinds that are shown.

#include "ui/main/MainState.h"

namespace bm::ui {

// Everything that a command of the selection acts on: a non-empty slot, or
// a point of a shown envelope, for every channel or (channel >= 0) one.
bool AnySelected(const MainState& state, int32_t channel = -1);
bool AnySelectedSlot(const MainState& state);
// Something that "select all" would select: a non-empty slot or a shown
// envelope point other than the first and last of its list that is not
// selected.
bool AnyUnselected(const MainState& state, int32_t channel = -1);

// The pointed slot, when it is inside the song and filled.
const ChannelSlot* PointedSlot(const MainState& state);
// The pointed envelope point, when it exists.
const EnvelopePoint* PointedEnvelopePoint(const MainState& state);

// The library cell pointed at.
const SampleDescriptor* SelectedCell(const MainState& state);         // filled or empty, when it exists
const SampleDescriptor* SelectedFilledCell(const MainState& state);   // only when it holds a sample
const LibraryPart* SelectedPart(const MainState& state);
const LibraryChord* SelectedChord(const MainState& state);
bool SelectedEntryExists(const MainState& state);
bool SelectedEntryHasSample(const MainState& state);
bool SelectedInUserPart(const MainState& state);
bool SelectedIsFreeEntry(const MainState& state);

// The region under the cursor measure, or -1.
int32_t RegionAt(const Song& song, int32_t measure);
bool AnyRegionOn(const Song& song);
bool CurrentRegionExists(const MainState& state);
// The region that the current one touches on its pointed side, or -1.
int32_t TouchingNeighbour(const MainState& state);

} // namespace bm::ui
