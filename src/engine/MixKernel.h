#pragma once

// The mixer's inner loop: one channel's frames added into the 64-bit mix
// accumulator with gain, pan and volume. For each frame k of the run the
// envelope values are the 16.16 accumulators value + k × slope shifted
// right by 16 (arithmetic shift), and each sample s adds
//     (s × panFactor / 32768) × gain / 1000 × ((V + 32768) / 2) / 32768
// in integer arithmetic, left to right, truncating toward zero, where the
// pan factor is (P + 32768) for a left sample when P < 0, (32768 − P) for a
// right sample when P > 0, else 32768.
//
// MixRun picks an exact fast kernel (32-bit lanes, SIMD where the processor
// has it) whenever every intermediate provably fits, else the plain 64-bit
// loop; both give the same results.

#include <cstdint>

namespace bm::engine {

struct MixRun {
    const int16_t* in = nullptr; // 2 × frames samples of one channel
    int64_t* accumulator = nullptr;
    int32_t frames = 0;
    int64_t gain = 0;        // master × channel gain / 100
    int64_t volume = 0;      // volume envelope accumulator at the first frame (16.16)
    int64_t volumeSlope = 0; // per frame (16.16)
    int64_t pan = 0;
    int64_t panSlope = 0;
};

void Mix(const MixRun& run);
// The plain 64-bit loop (the reference the fast kernel is tested against).
void MixReference(const MixRun& run);

} // namespace bm::engine
