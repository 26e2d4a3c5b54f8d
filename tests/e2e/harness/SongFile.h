#pragma once

// A song file as the command-line tool reads it (`song info --json`): its
// measures, slots and regions, to check what the window saved.
//
//     const std::optional<SongSummary> song = ReadSongSummary(folder.Path(), path);
//     EXPECT_EQ(song->slots.size(), 3u);

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bm::e2e {

struct SlotSummary {
    int32_t measure = 0;
    int32_t channel = 0;
    bool selected = false;
    bool resolved = false;
    std::string sample; // the sample file's path as the song names it

    bool operator==(const SlotSummary&) const = default;
};

struct RegionSummary {
    int32_t start = 0;
    int32_t end = 0;
    bool on = false;
};

struct SongSummary {
    int32_t measures = 0;
    int32_t samplesPerMeasure = 0;
    std::vector<SlotSummary> slots; // in the file's order: by measure, then channel
    std::vector<RegionSummary> regions;
};

// Nothing when the tool refuses the file; `why` then holds its words.
std::optional<SongSummary> ReadSongSummary(const std::string& programFolder, const std::string& song,
                                           std::string* why = nullptr);

// "measure:channel" for each slot, for readable failures: "0:0 0:1 0:2".
std::string Placement(const SongSummary& song);

} // namespace bm::e2e
