#pragma once

// The factory library's tree: which styles, groups, parts and chords it
// holds, the texts and file of every sample, and how each entry is made.
// Building the catalogue renders nothing; the jobs do.

#include "Loops.h"
#include "library/SampleLibrary.h"

#include <functional>
#include <string>
#include <vector>

namespace bm::content {

// Loudness policy of an entry: loops are matched by loudness (the first
// variant's RMS, capped by the loudest peak), one-shots by peak.
struct LevelRule {
    enum class By { Loudness, Peak } by = By::Loudness;
    double db = -18.0;       // RMS (Loudness) or peak (Peak) in dBFS
    double peakCapDb = -1.5; // Loudness only
};

// The variants of one entry: rendered together and levelled together.
struct RenderJob {
    std::vector<SampleRef> refs;        // the descriptor of each variant
    std::vector<std::string> files;     // each variant's file, relative to the program folder
    std::function<Variants()> render;
    LevelRule level;
};

// A song used as a sample; built once the catalogue is complete.
struct SongSampleJob {
    SampleRef ref;
    std::string file; // relative to the program folder
    std::string name;
};

// Stored paths are relative to the shipped sample folder.
inline constexpr const char* kSampleFolder = "SMPLDATA/";
inline constexpr int32_t kLoopLength = kLoopFrames;

struct Catalogue {
    SampleLibrary library;
    std::vector<RenderJob> jobs;
    std::vector<SongSampleJob> songSamples;

    // The reference of a sample by names (chord "Any" for parts that are not
    // tonal); word 0 is -1 when there is no such sample.
    SampleRef Find(const std::string& style, const std::string& group, const std::string& part,
                   const std::string& chord, int variant, int entry = 0) const;
    int SampleCount() const;
};

Catalogue BuildCatalogue();

} // namespace bm::content
