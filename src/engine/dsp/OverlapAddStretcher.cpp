#include "engine/dsp/OverlapAddStretcher.h"

#include <algorithm>
#include <cmath>

namespace bm::dsp {

namespace {

// Samples descriptors may ask to stretch: shorter or longer ones play as
// they are.
constexpr int32_t kMinStretchLength = 26432;   // 0x6740
constexpr int32_t kMaxStretchLength = 1058368; // 0x102640

bool IsUsableFactor(double factor) { return std::isfinite(factor) && factor > 0.0 && std::isfinite(1.0 / factor); }

// Signed division of gain x sample by the ramp length, truncating toward
// zero. The three grain sizes in use have ramps of 256, 2048 and 1024
// frames, where the division is a shift of the product biased toward zero;
// other ramp lengths divide.
struct ShiftDivide {
    int shift;
    int32_t mask;
    int32_t operator()(int32_t product) const { return (product + ((product >> 31) & mask)) >> shift; }
};
struct PlainDivide {
    int32_t divisor;
    int32_t operator()(int32_t product) const { return product / divisor; }
};

// log2(h) when h is a power of two, else -1.
int PowerOfTwoShift(int64_t h)
{
    if (h <= 0 || (h & (h - 1)) != 0)
        return -1;
    int shift = 0;
    while ((int64_t(1) << shift) < h)
        ++shift;
    return shift;
}

inline int16_t SaturatedAdd(int16_t a, int32_t b)
{
    return static_cast<int16_t>(std::clamp(int32_t{a} + b, -32768, 32767));
}

// Adds `samples` source samples to the output unchanged (a grain's middle).
void AddFlat(int16_t* out, const int16_t* in, int64_t samples)
{
    for (int64_t s = 0; s < samples; ++s)
        out[s] = SaturatedAdd(out[s], in[s]);
}

// Adds `count` frames of a grain, each multiplied by gain / ramp length,
// where the gain starts at `gain0` and rises or falls by one per frame.
template <typename Divide>
void AddRamp(int16_t* out, const int16_t* in, int64_t count, int channels, int32_t gain0, int32_t gainStep,
             Divide divide)
{
    int32_t gain = gain0;
    for (int64_t f = 0; f < count; ++f, gain += gainStep) {
        for (int c = 0; c < channels; ++c) {
            const int64_t s = f * channels + c;
            out[s] = SaturatedAdd(out[s], divide(int32_t{in[s]} * gain));
        }
    }
}

} // namespace

bool OverlapAddStretcher::Prepare(int channels, int grainFrames)
{
    m_channels = 0;
    m_grain = 0;
    if (channels < 1 || channels > kMaxChannels || grainFrames < 1 || grainFrames > kMaxGrainFrames)
        return false;
    m_channels = channels;
    m_grain = grainFrames;
    return true;
}

int64_t OverlapAddStretcher::OutputFrames(int64_t inputFrames, double factor, int64_t maxFrames)
{
    if (inputFrames < 0 || !IsUsableFactor(factor))
        return -1;
    const double frames = static_cast<double>(inputFrames) * factor;
    if (!(frames < static_cast<double>(maxFrames) + 1.0))
        return -1;
    return std::min(static_cast<int64_t>(frames), maxFrames);
}

StretchResult OverlapAddStretcher::Process(std::span<const int16_t> source, double factor,
                                           std::span<int16_t> output, StretchProgress progress) noexcept
{
    if (!IsPrepared())
        return {};
    return Run(source, factor, static_cast<int64_t>(output.size()) / m_channels, 0, output, progress);
}

StretchResult OverlapAddStretcher::ProcessRange(std::span<const int16_t> source, double factor, int64_t totalFrames,
                                                int64_t firstFrame, std::span<int16_t> output) noexcept
{
    if (!IsPrepared() || totalFrames < 0 || firstFrame < 0)
        return {};
    return Run(source, factor, totalFrames, firstFrame, output, {});
}

StretchResult OverlapAddStretcher::Run(std::span<const int16_t> source, double factor, int64_t outFrames,
                                       int64_t firstFrame, std::span<int16_t> output,
                                       StretchProgress progress) const noexcept
{
    StretchResult result;
    if (!IsUsableFactor(factor))
        return result;
    std::fill(output.begin(), output.end(), int16_t{0});

    const int k = m_channels;
    const int64_t g = m_grain;
    const int64_t inFrames = static_cast<int64_t>(source.size()) / k;
    // The window of the whole output that `output` holds.
    const int64_t windowEnd = std::min(outFrames, firstFrame + static_cast<int64_t>(output.size()) / k);
    // Grain starts are counted in half frames so that the hop, three quarters
    // of a grain, stays exact for any grain size.
    const int64_t step = g + g / 2;
    const int64_t grains = 2 * outFrames / step;
    const int64_t ramp = (g - g / 2) / 2; // a quarter grain, in frames
    const double inverse = 1.0 / factor;
    const int shift = PowerOfTwoShift(ramp);
    result.grainsPlanned = grains;

    // The first grain that can reach the window: grain i ends before frame
    // i x step / 2 + g.
    const int64_t firstGrain = firstFrame > g ? std::max<int64_t>(0, 2 * (firstFrame - g) / step) : 0;
    for (int64_t i = firstGrain; i < grains; ++i) {
        const int64_t outStart = i * step / 2;
        if (outStart >= windowEnd)
            break;
        const double inPosition = static_cast<double>(outStart) * inverse;
        // Past the end of the source: no further grains.
        if (inPosition >= static_cast<double>(inFrames) + 1.0)
            break;
        const int64_t inStart = static_cast<int64_t>(inPosition);
        if (inStart > inFrames)
            break;

        // The grain is the source from inStart on, silent past the source's
        // end, cut to `length` frames by the end of the output. Its first
        // and last `rampFrames` frames are scaled by j / ramp (j counted from
        // each end), the rest added as it is. Adding the grain straight from
        // the source gives the same sums as copying it into a grain buffer
        // first, without the copy; silent frames add nothing.
        const int64_t length = std::min(g, outFrames - outStart);
        const int64_t rampFrames = std::max<int64_t>(0, (length - g / 2) / 2);
        const int64_t available = std::min(length, std::min(inFrames - inStart, g));
        // Grain frames inside the window.
        const int64_t lo = std::max<int64_t>(0, firstFrame - outStart);
        const int64_t hi = std::min(available, windowEnd - outStart);
        if (lo >= hi) {
            if (outStart + length > firstFrame)
                ++result.grainsDone;
            continue;
        }
        const int16_t* in = source.data() + inStart * k;
        int16_t* out = output.data() + (outStart - firstFrame) * k;

        // Adds grain frames [a, b) clipped to the window; a ramp's gain at
        // frame f is gain0 + (f - a) x gainStep.
        auto addPart = [&](int64_t a, int64_t b, int32_t gain0, int32_t gainStep, bool flat) {
            const int64_t from = std::max(a, lo), to = std::min(b, hi);
            if (from >= to)
                return;
            const int32_t gain = gain0 + static_cast<int32_t>(from - a) * gainStep;
            if (flat)
                AddFlat(out + from * k, in + from * k, (to - from) * k);
            else if (shift >= 0)
                AddRamp(out + from * k, in + from * k, to - from, k, gain, gainStep,
                        ShiftDivide{shift, static_cast<int32_t>(ramp - 1)});
            else
                AddRamp(out + from * k, in + from * k, to - from, k, gain, gainStep,
                        PlainDivide{static_cast<int32_t>(ramp)});
        };
        addPart(0, rampFrames, 0, 1, false);
        addPart(rampFrames, length - rampFrames, 0, 0, true);
        addPart(length - rampFrames, length, static_cast<int32_t>(rampFrames - 1), -1, false);
        ++result.grainsDone;

        if (progress.callback &&
            !progress.callback(static_cast<double>(i) / static_cast<double>(grains), progress.context)) {
            result.stopped = true;
            break;
        }
    }
    return result;
}

int GrainFramesForKind(int32_t kind)
{
    switch (kind) {
    case 0:
        return 0;
    case 1:
        return 1024;
    case 2:
        return 8192;
    default:
        return 4096;
    }
}

StretchPlan PlanStretch(int32_t length, int32_t kind, int64_t requestedSpan)
{
    StretchPlan plan;
    const int64_t half = requestedSpan / 2;
    if (length < kMinStretchLength || length > kMaxStretchLength || kind == 0 || length == half)
        return plan;
    plan.grainFrames = GrainFramesForKind(kind);
    plan.stretch = true;
    plan.factor = static_cast<double>(half) / static_cast<double>(length);
    return plan;
}

bool StretchWhole(std::span<const int16_t> source, int channels, double factor, int grainFrames,
                  std::vector<int16_t>& output, StretchProgress progress, int64_t maxOutputSamples)
{
    output.clear();
    OverlapAddStretcher stretcher;
    if (!stretcher.Prepare(channels, grainFrames))
        return false;
    const int64_t frames =
        OverlapAddStretcher::OutputFrames(static_cast<int64_t>(source.size()) / channels, factor,
                                          maxOutputSamples / channels);
    if (frames < 0)
        return false;
    output.resize(static_cast<size_t>(frames * channels));
    stretcher.Process(source, factor, output, progress);
    return true;
}

} // namespace bm::dsp
