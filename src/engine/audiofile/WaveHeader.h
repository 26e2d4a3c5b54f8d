#pragma once

// The records that the WAV header reader fills: the format of a wave file,
// where its samples are, and the program's own "loop" and "m2st" chunks.

#include <array>
#include <cstdint>
#include <vector>

namespace bm {

// Format tags of the "fmt " chunk.
constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatAdpcm = 2;        // Microsoft ADPCM
constexpr uint16_t kWaveFormatIeeeFloat = 3;
constexpr uint16_t kWaveFormatALaw = 6;
constexpr uint16_t kWaveFormatMuLaw = 7;
constexpr uint16_t kWaveFormatImaAdpcm = 0x11;
constexpr uint16_t kWaveFormatMpeg = 0x50;      // MPEG layer 1 or 2 inside a wave file
constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// Results of the header reader.
enum class WaveHeaderResult : int {
    Unreadable = 0,      // not a wave file we can walk; the sample is missing
    Accepted = 1,        // PCM the canonical reader reads directly
    NeedsConversion = 2, // decoded (and resampled) through the conversion path
};

// Loop values: stored in frames in the file, canonical bytes (x 4) once the
// header reader has accepted the format.
struct LoopChunk {
    int32_t start = 0;
    int32_t span = 0;      // 0: no loop
    int32_t crossFade = 0;
    int32_t total = 0;     // length of the looped sample

    bool operator==(const LoopChunk&) const = default;
};

// One (gain, delay) tap or one (position, gain) envelope point. Gains are in
// 1/32768 (32768 = unity); delays and positions are in frames.
struct EffectPair {
    int32_t first = 0;
    int32_t second = 0;

    bool operator==(const EffectPair&) const = default;
};

// The stereo-delay effect of one channel (track 0 left, track 1 right). The
// taps act only when `enable` is 0 or more and `taps` is not empty.
struct EffectTrack {
    int32_t enable = -1;
    std::vector<EffectPair> taps;     // (gain, delay)
    std::vector<EffectPair> envelope; // (position, gain)

    bool operator==(const EffectTrack&) const = default;
};

struct WaveHeaderInfo {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t frameRate = 0;
    uint32_t byteRate = 0;     // as stored; not used
    uint16_t blockSize = 0;    // bytes per frame; 1 ... 4 once accepted
    uint16_t bitsPerSample = 0;
    uint32_t dataSize = 0;     // bytes of the "data" chunk present in the file
    uint32_t dataOffset = 0;   // file offset of its first byte
    LoopChunk loop;
    std::array<EffectTrack, 2> tracks;

    bool operator==(const WaveHeaderInfo&) const = default;
};

} // namespace bm
