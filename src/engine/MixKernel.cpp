#include "engine/MixKernel.h"

#include <algorithm>

#include <limits>

namespace bm::engine {

namespace {

bool FitsInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// Exact when 0 <= gain <= 65535 and both envelope accumulators stay within
// 32 bits over the run (they are linear in k, so checking the first and last
// frame is enough):
// - the accumulators are computed modulo 2^32, which gives their true value
//   when that fits in 32 bits, so V and P lie in -32768 ... 32767;
// - |s × panFactor| <= 2^30 and |s' × gain| < 2^31 fit in 32 bits;
// - a × w with |a| < 2^22 and w <= 32767 is exact in a double, and so is the
//   division by 32768; converting to an integer truncates toward zero, as
//   the integer division does.
using MixFastFunction = void (*)(const int16_t*, int64_t*, int32_t, int32_t, uint32_t, uint32_t, uint32_t, uint32_t);

[[gnu::always_inline]] inline void MixFastBody(const int16_t* in, int64_t* accumulator, int32_t frames, int32_t gain,
                                               uint32_t volume, uint32_t volumeSlope, uint32_t pan, uint32_t panSlope)
{
    constexpr double kInv32768 = 1.0 / 32768.0;
    for (int32_t k = 0; k < frames; ++k) {
        const int32_t v = int32_t(volume + uint32_t(k) * volumeSlope) >> 16;
        const int32_t p = int32_t(pan + uint32_t(k) * panSlope) >> 16;
        const int32_t w = (v + 32768) >> 1;
        const int32_t leftFactor = p < 0 ? p + 32768 : 32768;
        const int32_t rightFactor = p > 0 ? 32768 - p : 32768;
        const int32_t left = int32_t(in[2 * k]) * leftFactor / 32768 * gain / 1000;
        const int32_t right = int32_t(in[2 * k + 1]) * rightFactor / 32768 * gain / 1000;
        accumulator[2 * k] += int32_t(double(left) * double(w) * kInv32768);
        accumulator[2 * k + 1] += int32_t(double(right) * double(w) * kInv32768);
    }
}

void MixFastPlain(const int16_t* in, int64_t* accumulator, int32_t frames, int32_t gain, uint32_t volume,
                  uint32_t volumeSlope, uint32_t pan, uint32_t panSlope)
{
    MixFastBody(in, accumulator, frames, gain, volume, volumeSlope, pan, panSlope);
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same loop compiled for wider vectors; picked at run time by what the
// processor offers (no ifunc, so it also runs under the sanitizers).
__attribute__((target("avx2"))) void MixFastAvx2(const int16_t* in, int64_t* accumulator, int32_t frames, int32_t gain,
                                                 uint32_t volume, uint32_t volumeSlope, uint32_t pan, uint32_t panSlope)
{
    MixFastBody(in, accumulator, frames, gain, volume, volumeSlope, pan, panSlope);
}

__attribute__((target("avx512f"))) void MixFastAvx512(const int16_t* in, int64_t* accumulator, int32_t frames,
                                                      int32_t gain, uint32_t volume, uint32_t volumeSlope, uint32_t pan,
                                                      uint32_t panSlope)
{
    MixFastBody(in, accumulator, frames, gain, volume, volumeSlope, pan, panSlope);
}
#endif

MixFastFunction ChooseMixFast()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx512f"))
        return &MixFastAvx512;
    if (__builtin_cpu_supports("avx2"))
        return &MixFastAvx2;
#endif
    return &MixFastPlain;
}

} // namespace

void MixReference(const MixRun& run)
{
    int64_t v = run.volume;
    int64_t p = run.pan;
    for (int64_t k = 0; k < run.frames; ++k) {
        // Values outside 16 bits come only from damaged songs; held at the
        // ends of the range they cannot overflow the products below.
        const int64_t volumeValue = std::clamp<int64_t>(v >> 16, -32768, 32767);
        const int64_t panValue = std::clamp<int64_t>(p >> 16, -32768, 32767);
        const int64_t w = (volumeValue + 32768) / 2;
        int64_t left = run.in[2 * k];
        int64_t right = run.in[2 * k + 1];
        if (panValue < 0)
            left = left * (panValue + 32768) / 32768;
        if (panValue > 0)
            right = right * (32768 - panValue) / 32768;
        run.accumulator[2 * k] += left * run.gain / 1000 * w / 32768;
        run.accumulator[2 * k + 1] += right * run.gain / 1000 * w / 32768;
        v += run.volumeSlope;
        p += run.panSlope;
    }
}

void Mix(const MixRun& run)
{
    if (run.frames <= 0)
        return;
    const int64_t last = run.frames - 1;
    const bool fits = run.gain >= 0 && run.gain <= 65535 && FitsInt32(run.volume)
                   && FitsInt32(run.volume + last * run.volumeSlope) && FitsInt32(run.pan)
                   && FitsInt32(run.pan + last * run.panSlope);
    if (!fits) {
        MixReference(run);
        return;
    }
    static const MixFastFunction mixFast = ChooseMixFast();
    mixFast(run.in, run.accumulator, run.frames, int32_t(run.gain), uint32_t(run.volume), uint32_t(run.volumeSlope),
            uint32_t(run.pan), uint32_t(run.panSlope));
}

} // namespace bm::engine
