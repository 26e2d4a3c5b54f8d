#pragma once

// Small builders for library trees in tests.

#include "library/SampleLibrary.h"

#include <string>

namespace bm::test {

inline SampleDescriptor Sample(std::string first, std::string second, std::string path, std::string fourth = "key",
                               int32_t length = 88192)
{
    SampleDescriptor d;
    d.firstText = std::move(first);
    d.secondText = std::move(second);
    d.path = std::move(path);
    d.fourthText = std::move(fourth);
    d.length = length;
    return d;
}

inline LibraryStyle& AddStyle(SampleLibrary& lib, std::string name)
{
    LibraryStyle style;
    style.name = std::move(name);
    style.firstText = "s";
    lib.styles.push_back(std::move(style));
    return lib.styles.back();
}

inline LibraryGroup& AddGroup(LibraryStyle& style, std::string name)
{
    LibraryGroup group;
    group.name = std::move(name);
    style.groups.push_back(std::move(group));
    return style.groups.back();
}

inline LibraryPart& AddPart(LibraryGroup& group, std::string name, int32_t factory = 0)
{
    LibraryPart part;
    part.name = std::move(name);
    part.factory = factory;
    group.parts.push_back(std::move(part));
    return group.parts.back();
}

inline LibraryChord& AddChord(LibraryPart& part, std::string name, std::string folder = {})
{
    LibraryChord chord;
    chord.name = std::move(name);
    chord.folder = std::move(folder);
    part.chords.push_back(std::move(chord));
    return part.chords.back();
}

// Adds an entry holding `d` at variant `variant`; returns the entry index.
inline int32_t AddEntry(LibraryChord& chord, const SampleDescriptor& d, int variant = 0)
{
    LibraryEntry entry;
    entry.variants[static_cast<size_t>(variant)] = d;
    chord.entries.push_back(entry);
    return static_cast<int32_t>(chord.entries.size() - 1);
}

} // namespace bm::test
