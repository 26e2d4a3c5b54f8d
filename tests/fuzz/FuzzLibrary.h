#pragma once

// The small sample library the song fuzz targets read songs against: one
// style, group, part and chord, an entry with two loops of different lengths
// and a song used as a sample.

#include "library/SampleLibrary.h"

namespace bm::fuzz {

inline SampleLibrary MakeLibrary()
{
    SampleLibrary library;
    LibraryStyle style;
    style.name = "Pop";
    LibraryGroup group;
    group.name = "Drums";
    LibraryPart part;
    part.name = "Beat";
    LibraryChord chord;
    chord.name = "C";
    LibraryEntry entry;
    entry.variants[0] = {"kick", "1", "drums/kick1.wav", "loop", 81408, 0, 0, 0};
    entry.variants[1] = {"tune", "1", "songs/tune.ncp", "song", 162816, 0, 0, 0};
    entry.variants[3] = {"kick", "2", "drums/kick2.wav", "loop", 40704, 0, 0, 0};
    chord.entries = {entry, LibraryEntry{}};
    part.chords = {chord};
    group.parts = {part};
    style.groups = {group};
    library.styles = {style};
    return library;
}

} // namespace bm::fuzz
