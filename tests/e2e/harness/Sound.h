#pragma once

// What the program played, as SDL's disk driver wrote it (raw canonical
// audio: 44 100 Hz, 16-bit, stereo, left first), compared with what
// `brickmelody-cli render` makes of the same song. The two differ by a
// gain (the master volume against the export's normalising) and by where
// the played sound starts; everything else must agree.

#include <cstdint>
#include <string>
#include <vector>

namespace bm::e2e {

inline constexpr int32_t kFramesPerSecond = 44100;

// Interleaved stereo samples.
using Samples = std::vector<int16_t>;

Samples ReadRawSound(const std::string& path);
// The data of a canonical wave file; empty for anything else.
Samples ReadWaveSound(const std::string& path);
// Writes `s` as a canonical wave file; false when it cannot be written.
bool WriteWaveSound(const std::string& path, const Samples& s);
inline int64_t FrameCount(const Samples& s) { return static_cast<int64_t>(s.size() / 2); }

struct SoundMatch {
    bool found = false;
    int64_t playedStart = 0;   // the played frame where the reference's frame `referenceStart` sounds
    int64_t referenceStart = 0;
    int64_t frames = 0;        // frames compared
    double gain = 0;           // played ≈ gain × reference
    double residual = 1;       // energy of the difference over the played energy
    int64_t silentGaps = 0;    // 10 ms blocks silent in the played sound where the reference sounds
    std::string Describe() const;
};

// Finds where the played sound lies in `reference` (within `maxLag` frames
// either way of the same frame), fits the gain and measures the rest over
// at most `frames` frames (0: all that overlap).
SoundMatch MatchSound(const Samples& played, const Samples& reference, int64_t maxLag = 22050, int64_t frames = 0);

// The first frame whose sample exceeds `threshold` in either channel, or -1.
int64_t FirstSounding(const Samples& s, int32_t threshold = 64);

} // namespace bm::e2e
