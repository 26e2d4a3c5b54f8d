#pragma once

// Decoded audio in memory: interleaved 16-bit signed samples with their own
// channel count (1 or 2) and frame rate. What the decoders produce and what
// the stretcher, the cache writer and the command-line tool consume.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bm {

struct PcmAudio {
    int channels = 0; // 1 or 2
    int rate = 0;     // frames per second
    std::vector<int16_t> samples; // interleaved, left first

    size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    size_t Bytes() const { return samples.size() * 2; }
};

// Canonical audio: 44 100 frames per second, 16-bit, stereo, 4 bytes a frame.
constexpr int kCanonicalRate = 44100;
constexpr int kCanonicalChannels = 2;
constexpr int kCanonicalFrameBytes = 4;

// The rates that the canonical reader turns into 44 100 Hz by repeating
// frames (44 100 / n for n = 4, 3, 2, 1). A PCM file at any other rate is
// decoded and resampled to 44 100 Hz instead.
constexpr bool IsCanonicalDivisorRate(uint32_t rate)
{
    return rate == 11025 || rate == 14700 || rate == 22050 || rate == 44100;
}

} // namespace bm
