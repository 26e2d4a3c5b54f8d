#pragma once

// A small installation for package tests: a program folder with its sample,
// user and temporary folders, a library with a user part and a factory part,
// and sample files on disk.

#include "core/Paths.h"
#include "library/LibraryFixture.h"
#include "song/PackageFolders.h"
#include "song/Song.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>

namespace bm::test {

struct Installation {
    TempDir root;
    std::string program = root / "prog/";
    PackageFolders folders{program, program + "USERDATA/", program + "TEMP/", {program + "SMPLDATA/", program, ""}};
    SampleLibrary library;

    // Style "Pop" / group "Drums" / part "User" with chord "C" (folder
    // "Pop/C") and part "Factory" (a factory part) with chord "F".
    Installation()
    {
        for (const char* sub : {"SMPLDATA", "USERDATA/Pop/C", "TEMP"})
            std::filesystem::create_directories(program + sub);
        auto& group = AddGroup(AddStyle(library, "Pop"), "Drums");
        AddChord(AddPart(group, "User"), "C", "Pop/C");
        AddChord(AddPart(group, "Factory", 1), "F", "");
        NormaliseAllEntries(library);
    }

    LibraryChord& UserChord() { return library.styles[0].groups[0].parts[0].chords[0]; }
    LibraryChord& FactoryChord() { return library.styles[0].groups[0].parts[1].chords[0]; }

    // Adds a user sample whose file (with `bytes`) lies in the user chord's
    // folder; returns its reference.
    SampleRef AddUserSample(const std::string& first, const std::string& fileName, const std::string& bytes)
    {
        WriteFile(program + "USERDATA/Pop/C/" + fileName, bytes);
        return AddTo(UserChord(), 0, Sample(first, "x", "USERDATA/Pop/C/" + fileName));
    }

    SampleRef AddFactorySample(const std::string& first, const std::string& fileName)
    {
        WriteFile(program + "SMPLDATA/" + fileName, "factory " + first);
        return AddTo(FactoryChord(), 1, Sample(first, "x", fileName));
    }

    SampleRef AddTo(LibraryChord& chord, int32_t part, const SampleDescriptor& d)
    {
        NormaliseEntries(chord);
        chord.entries.back().variants[0] = d;
        NormaliseEntries(chord);
        return SampleRef::Make(0, 0, part, 0, 0, static_cast<int32_t>(chord.entries.size() - 2));
    }
};

// A song of `measures` measures with the given slots filled.
inline Song SongWith(size_t measures, std::initializer_list<std::pair<size_t, SampleRef>> slots)
{
    Song song;
    song.measures.resize(measures);
    size_t channel = 0;
    for (const auto& [measure, ref] : slots)
        song.measures[measure].slots[channel++ % kChannels].ref = ref;
    return song;
}

} // namespace bm::test
