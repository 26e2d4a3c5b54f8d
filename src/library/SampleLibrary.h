#pragma once

// The catalogue of loop samples: a tree of styles, groups, parts and chords
// whose leaves are entries of six sample variants. Plain data; reading and
// writing live in LibraryReader / LibraryWriter, the scoring search in
// SampleResolver.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bm {

// Six words that address a sample: style, group, part, chord, variant
// (0 to 5), entry. Word 0 = -1 marks an empty slot.
struct SampleRef {
    std::array<int32_t, 6> words{-1, 0, 0, 0, 0, 0};

    int32_t Style() const { return words[0]; }
    int32_t Group() const { return words[1]; }
    int32_t Part() const { return words[2]; }
    int32_t Chord() const { return words[3]; }
    int32_t Variant() const { return words[4]; }
    int32_t Entry() const { return words[5]; }
    bool IsEmpty() const { return words[0] == -1; }

    static SampleRef Empty() { return {}; }
    static SampleRef Make(int32_t style, int32_t group, int32_t part, int32_t chord, int32_t variant, int32_t entry)
    {
        return SampleRef{{style, group, part, chord, variant, entry}};
    }
    bool operator==(const SampleRef&) const = default;
};

// One sample; empty while its first text is empty.
struct SampleDescriptor {
    std::string firstText;
    std::string secondText;
    std::string path;        // stored relative to the sample folder list where it can be
    std::string fourthText;
    int32_t length = 0;        // frames at 44 100 Hz that a slot using it covers
    int32_t number2 = 0;
    int32_t nominalLength = 0; // frames
    int32_t kind = 0;          // 0: ordinary sample, never stretched

    bool IsEmpty() const { return firstText.empty(); }
    bool operator==(const SampleDescriptor&) const = default;
};

constexpr int kVariantsPerEntry = 6;

struct LibraryEntry {
    std::array<SampleDescriptor, kVariantsPerEntry> variants;

    bool IsEmpty() const
    {
        for (const auto& v : variants) {
            if (!v.IsEmpty())
                return false;
        }
        return true;
    }
    bool operator==(const LibraryEntry&) const = default;
};

struct LibraryChord {
    std::string firstText;
    std::string name;
    std::string folder;        // relative to the user folder
    uint32_t displayValue = 0;
    std::vector<LibraryEntry> entries; // always ends with one empty entry (the free place)
    int32_t storedPosition = 0;
    bool operator==(const LibraryChord&) const = default;
};

struct LibraryPart {
    int32_t factory = 0;       // not 0: shipped part, never packed into song packages
    std::string firstText;
    std::string name;
    uint32_t displayValue = 0;
    std::vector<LibraryChord> chords;
    int32_t selectedChord = -1;
    bool operator==(const LibraryPart&) const = default;
};

struct LibraryGroup {
    std::string firstText;
    std::string name;
    std::array<uint32_t, 4> colours{}; // 0x00BBGGRR
    std::vector<LibraryPart> parts;
    int32_t selectedPart = -1;
    bool operator==(const LibraryGroup&) const = default;
};

struct LibraryStyle {
    std::vector<LibraryGroup> groups;
    int32_t selectedGroup = 0;
    std::string firstText;
    std::string name;
    int32_t valueA = 0; // frames between variants placed one after another
    int32_t valueB = 0;
    bool operator==(const LibraryStyle&) const = default;
};

// The library browser's current place in the tree (-1 = none).
struct LibrarySelection {
    int32_t style = -1;
    int32_t group = -1;
    int32_t part = -1;
    int32_t chord = -1;
    int32_t position = 0;
    bool operator==(const LibrarySelection&) const = default;
};

struct SampleLibrary {
    std::vector<LibraryStyle> styles;
    LibrarySelection selection;

    // The descriptor a reference addresses, or nullptr when any index is
    // negative or beyond its list, or the variant is not 0 to 5. An empty
    // descriptor is returned as it is (callers test IsEmpty()).
    const SampleDescriptor* Find(const SampleRef& ref) const;
    SampleDescriptor* Find(const SampleRef& ref);

    // The part or chord a reference points to (its first four words), or
    // nullptr when an index is out of range.
    const LibraryPart* FindPart(const SampleRef& ref) const;
    const LibraryChord* FindChord(const SampleRef& ref) const;
    LibraryChord* FindChord(const SampleRef& ref);

    // Writes the browser selection into the tree: the current style's
    // selected group, the current group's selected part, the current part's
    // selected chord and the current chord's stored position. Indices that
    // do not name an existing record are skipped.
    void StoreSelection();
    // Opens the browser on style 0 with its stored group, that group's
    // stored part and, when there is one, that part's stored chord and its
    // stored position. Stored indices outside their lists read as none.
    void RestoreSelection();
};

// Removes the all-empty entries at the end of the chord's entry list and then
// appends exactly one empty entry (the free place where a new sample goes).
void NormaliseEntries(LibraryChord& chord);
// NormaliseEntries for every chord, from the last style to the first.
void NormaliseAllEntries(SampleLibrary& library);

} // namespace bm
