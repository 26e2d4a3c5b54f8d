#pragma once

// The library search that maps the eight texts of a stored slot (style,
// group, part and chord names; first, second and fourth texts; path) to a
// SampleRef with a score: 120 when every text matched, 0 when nothing was
// found. Used by the song reader, the package reader and sample imports.
//
// Paths: the given path and every variant's path are compared as full paths.
// A variant's full path is its file found through the sample folder list, or,
// when no file exists, its stored path joined to the program folder. Those
// full paths are worked out once when the resolver is built, so build one
// resolver per read and reuse it for every slot of that read.

#include "library/SampleLibrary.h"

#include <string>
#include <vector>

namespace bm {

// The literal that, given as path or fourth text, matches any value.
inline constexpr const char* kAnyText = "disabled^2301";

struct SlotTexts {
    std::string style;
    std::string group;
    std::string part;
    std::string chord;
    std::string first;
    std::string second;
    std::string path;
    std::string fourth;
    bool operator==(const SlotTexts&) const = default;
};

struct Resolution {
    SampleRef ref = SampleRef::Make(0, 0, 0, 0, 0, 0); // all zeros when nothing found
    int score = 0;
};

enum class FuzzySearch { Allowed, Disabled };

class SampleResolver {
public:
    // `folders` is a snapshot of the sample folder list; `programFolder` ends
    // with '/'. The library must outlive the resolver and not change meanwhile.
    SampleResolver(const SampleLibrary& library, std::vector<std::string> folders, std::string programFolder);

    Resolution Resolve(const SlotTexts& texts, FuzzySearch fuzzy) const;

    // The full path of a stored sample path, as the resolver compares it.
    std::string FullPath(const std::string& storedPath) const;

private:
    const SampleLibrary& m_library;
    std::vector<std::string> m_folders;
    std::string m_programFolder;
    // Full path of every variant slot (empty ones included), in tree order:
    // style, group, part, chord, entry, variant. Filled on construction.
    std::vector<std::string> m_fullPaths;
    // Index into m_fullPaths of the first variant of each group, per style.
    std::vector<std::vector<size_t>> m_groupStart;
};

} // namespace bm
