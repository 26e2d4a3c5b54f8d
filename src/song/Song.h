#pragma once

// The song being composed: measures of 12 channel slots, per-channel mixer
// settings, regions, envelopes and the two tempo numbers. Plain data; the
// reader, writer and editing operations live beside it.

#include "library/SampleLibrary.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bm {

constexpr int kChannels = 12;
constexpr int32_t kDefaultSamplesPerMeasure = 20352;
constexpr int32_t kDefaultMeasuresPerBar = 8;
constexpr int32_t kMaxChannelVolume = 200;
// Envelope kinds and the values they rest at.
constexpr int kVolumeEnvelope = 0;
constexpr int kPanEnvelope = 1;
constexpr int32_t kVolumeEnvelopeRest = 32767;
constexpr int32_t kPanEnvelopeRest = 0;

struct ChannelSlot {
    SampleRef ref;            // words 0 to 5
    int32_t selected = 0;     // word 6
    int32_t start = 0;        // word 7: offset in frames from the measure's start
    int32_t reverse = 0;      // word 8: not 0 plays backwards

    bool IsEmpty() const { return ref.IsEmpty(); }
    bool operator==(const ChannelSlot&) const = default;
};

struct Measure {
    std::array<ChannelSlot, kChannels> slots{};
    int32_t mark = 0; // the arrangement view's redraw mark; never saved
    bool operator==(const Measure&) const = default;
};

struct Region {
    int32_t start = 0;
    int32_t end = 0;
    bool on = false; // written "e" when set, "d" when clear
    bool operator==(const Region&) const = default;
};

struct EnvelopePoint {
    int32_t position = 0; // frame position in the song
    int32_t value = 0;
    int32_t selected = 0;
    bool operator==(const EnvelopePoint&) const = default;
};

using Envelope = std::vector<EnvelopePoint>;

struct Song {
    std::vector<Measure> measures;
    int32_t samplesPerMeasure = kDefaultSamplesPerMeasure;
    int32_t measuresPerBar = kDefaultMeasuresPerBar;
    std::array<int32_t, kChannels> channelVolume{};
    std::array<bool, kChannels> channelOn{};
    std::vector<Region> regions;
    // envelopes[channel][kind]: kind 0 volume, kind 1 pan.
    std::array<std::array<Envelope, 2>, kChannels> envelopes;
    std::string path;
    bool unchanged = true;

    bool operator==(const Song&) const = default;
};

} // namespace bm
