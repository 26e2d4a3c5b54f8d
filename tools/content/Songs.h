#pragma once

// The demo songs and the short songs that the library carries as samples,
// composed from the catalogue's loops.

#include "Catalogue.h"
#include "song/Song.h"

#include <string>
#include <vector>

namespace bm::content {

struct DemoSong {
    std::string file; // relative to the program folder
    std::string description;
    Song song;
};

// Intro.ncp (the start song) and the other demo songs.
std::vector<DemoSong> BuildDemoSongs(const Catalogue& catalogue);

// A song used as a sample (a groove of two loops' length).
Song BuildSongSample(const Catalogue& catalogue, const SongSampleJob& job);

} // namespace bm::content
