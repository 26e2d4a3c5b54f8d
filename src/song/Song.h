#pragma once

// The song being composed: measures of 12 channel slots, per-channel mixer
// settings, regions, envelopes and the two tempo numbers. Plain data; the
// reader, writer and editing operations live beside it.

#include "library/SampleLibrary.h"
#include "library/SampleResolver.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bm {

constexpr int kChannels = 12;
constexpr int kEnvelopeKinds = 2;
constexpr int32_t kDefaultSamplesPerMeasure = 20352;
constexpr int32_t kDefaultMeasuresPerBar = 8;
constexpr int32_t kMaxChannelVolume = 200;
// The most measures a song may hold: ten times what the editor lets a song
// grow to. It bounds the memory that a hostile song file or tempo change can
// make the program take (every measure is a record of 12 slots).
constexpr int64_t kMaxSongMeasures = 100000;
// Volume of every channel of a fresh or freshly cleared song.
constexpr int32_t kDefaultChannelVolume = 50;
// Envelope kinds and the values they rest at.
constexpr int kVolumeEnvelope = 0;
constexpr int kPanEnvelope = 1;
constexpr int32_t kVolumeEnvelopeRest = 32767;
constexpr int32_t kPanEnvelopeRest = 0;

inline int32_t EnvelopeRestValue(int kind) { return kind == kVolumeEnvelope ? kVolumeEnvelopeRest : kPanEnvelopeRest; }

// Word 0 of the reference a slot gets when its stored names match nothing in
// the library. It is negative, so the reference never addresses a sample
// (the slot plays nothing), and it is not -1, so the slot is not empty.
constexpr int32_t kUnresolvedStyle = -2;
inline SampleRef UnresolvedRef() { return SampleRef::Make(kUnresolvedStyle, 0, 0, 0, 0, 0); }

// The eight texts a song file named a slot's sample by, with the reference
// they resolved to. Saving a slot whose reference no longer addresses a
// sample writes these texts back, but only while the slot still holds `ref`,
// so a slot that was given another sample never takes these names along.
struct StoredSlotNames {
    SlotTexts texts;
    SampleRef ref;
};

struct ChannelSlot {
    SampleRef ref;            // words 0 to 5
    int32_t selected = 0;     // word 6
    int32_t start = 0;        // word 7: offset in frames from the measure's start
    int32_t reverse = 0;      // word 8: not 0 plays backwards
    // Set by the song reader; shared by every slot read with the same texts
    // (immutable, so copies of slots between the song, the clipboard and the
    // undo record share it).
    std::shared_ptr<const StoredSlotNames> storedNames;

    bool IsEmpty() const { return ref.IsEmpty(); }
    // The nine words decide equality; the stored names only serve saving.
    bool operator==(const ChannelSlot& other) const
    {
        return ref == other.ref && selected == other.selected && start == other.start && reverse == other.reverse;
    }
};

struct Measure {
    std::array<ChannelSlot, kChannels> slots{};
    int32_t mark = 0; // the arrangement view's redraw mark; never saved
    bool operator==(const Measure&) const = default;
};

struct Region {
    int32_t start = 0; // first measure
    int32_t end = 0;   // last measure, inclusive
    bool on = false;   // written "e" when set, "d" when clear
    bool operator==(const Region&) const = default;
};

struct EnvelopePoint {
    int32_t position = 0; // frame position in the song
    int32_t value = 0;
    int32_t selected = 0;
    bool operator==(const EnvelopePoint&) const = default;
};

using Envelope = std::vector<EnvelopePoint>;
// envelopes[channel][kind]: kind 0 volume, kind 1 pan.
using ChannelEnvelopes = std::array<std::array<Envelope, kEnvelopeKinds>, kChannels>;
// One word per envelope list (same indexing), e.g. the fragments' in-use marks.
using EnvelopeFlags = std::array<std::array<int32_t, kEnvelopeKinds>, kChannels>;

struct Song {
    std::vector<Measure> measures;
    int32_t samplesPerMeasure = kDefaultSamplesPerMeasure;
    int32_t measuresPerBar = kDefaultMeasuresPerBar;
    std::array<int32_t, kChannels> channelVolume{};
    std::array<bool, kChannels> channelOn{};
    // Set for a channel that a song file switched off; the first slot that an
    // edit puts into such a channel switches it on again. Cleared whenever
    // the channel state is set.
    std::array<bool, kChannels> channelMuted{};
    std::vector<Region> regions;
    ChannelEnvelopes envelopes;
    std::string path;
    bool unchanged = true;

    bool operator==(const Song&) const = default;
};

// A piece of a song of the same shape: the clipboard and the placement
// buffer. Its first measure is the first measure of what was taken, its
// envelope points are shifted so that position 0 is that measure's start.
struct SongFragment {
    std::vector<Measure> measures;
    ChannelEnvelopes envelopes;
    EnvelopeFlags inUse{}; // not 0: the list takes part in a paste
    // The tempo the contents were taken at; -1 while empty.
    int32_t samplesPerMeasure = -1;
    int32_t measuresPerBar = -1;

    void Clear() { *this = SongFragment{}; }
    bool operator==(const SongFragment&) const = default;
};

} // namespace bm
