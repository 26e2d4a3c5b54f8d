#pragma once

// Editing operations on whole lists of measures and envelopes: copying the
// selection into the clipboard and preparing the placement buffer (the
// fragment about to be dropped into the song) from the clipboard, the
// selection or a library entry. Main thread only.

#include "song/Retime.h"
#include "song/Song.h"

#include <cstdint>

namespace bm {

// Empties the clipboard and copies into it every selected slot and every
// selected envelope point. The base measure (the clipboard's first) is the
// first measure with a selected slot, or, without selected slots, the
// measure of the earliest selected point. Returns the base, or -1 when
// nothing is selected (the clipboard is then empty, its tempo values -1).
int32_t CopySelectionToClipboard(const Song& song, SongFragment& clipboard);

// Prepares the placement buffer from the clipboard: a copy when the
// clipboard was taken at the song's tempo, else re-timed to it by fitting
// bars. Returns the re-timing's result bits.
int PreparePlacementFromClipboard(const Song& song, const SongFragment& clipboard, SongFragment& placement);

// Prepares the placement buffer from the selection (to move it), without
// touching the clipboard. Without selected slots the base is the measure of
// the first selected point met (kind 0 before 1, channels 0 to 11, list
// order). Returns the base measure, or -1 when nothing is selected.
int32_t PreparePlacementFromSelection(const Song& song, SongFragment& placement);

// Place one variant of a library entry, or the whole entry.
constexpr int32_t kWholeEntry = -1;

// Prepares the placement buffer from entry `entry` of the chord that
// `where` (style, group, part, chord) selects: the given variant, or with
// kWholeEntry the variants 0 to 5 less the empty ones at both ends. Variant
// v goes (v - first) * the style's value A frames after the first, into the
// first free channel of its measure (dropped when all 12 are taken), as
// selected and with word 8 = `reverse`. Returns the number of variants
// placed (0 leaves the buffer empty).
int PreparePlacementFromLibrary(const Song& song, const SampleLibrary& library, const LibrarySelection& where,
                                int32_t entry, int32_t variant, int32_t reverse, SongFragment& placement);

} // namespace bm
