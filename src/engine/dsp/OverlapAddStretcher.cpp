#include "engine/dsp/OverlapAddStretcher.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bm::dsp {

namespace {

// Samples descriptors may ask to stretch: shorter or longer ones play as
// they are.
constexpr int32_t kMinStretchLength = 26432;   // 0x6740
constexpr int32_t kMaxStretchLength = 1058368; // 0x102640

bool IsUsableFactor(double factor) { return std::isfinite(factor) && factor > 0.0 && std::isfinite(1.0 / factor); }

// Multiplies frame `frame` of the grain by gain / h, truncating toward zero.
inline void ScaleFrame(int16_t* grain, int64_t frame, int channels, int64_t gain, int64_t h)
{
    int16_t* p = grain + frame * channels;
    for (int c = 0; c < channels; ++c)
        p[c] = static_cast<int16_t>(p[c] * gain / h);
}

} // namespace

bool OverlapAddStretcher::Prepare(int channels, int grainFrames)
{
    m_channels = 0;
    m_grain = 0;
    m_grainBuffer.clear();
    if (channels < 1 || channels > kMaxChannels || grainFrames < 1 || grainFrames > kMaxGrainFrames)
        return false;
    m_grainBuffer.assign(static_cast<size_t>(channels) * static_cast<size_t>(grainFrames), 0);
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
    StretchResult result;
    if (!IsPrepared() || !IsUsableFactor(factor))
        return result;
    std::fill(output.begin(), output.end(), int16_t{0});

    const int k = m_channels;
    const int64_t g = m_grain;
    const int64_t inFrames = static_cast<int64_t>(source.size()) / k;
    const int64_t outFrames = static_cast<int64_t>(output.size()) / k;
    // Grain starts are counted in half frames so that the hop, three quarters
    // of a grain, stays exact for any grain size.
    const int64_t step = g + g / 2;
    const int64_t grains = 2 * outFrames / step;
    const int64_t ramp = (g - g / 2) / 2; // a quarter grain, in frames
    const double inverse = 1.0 / factor;
    int16_t* grain = m_grainBuffer.data();
    result.grainsPlanned = grains;

    for (int64_t i = 0; i < grains; ++i) {
        const int64_t outStart = i * step / 2;
        const double inPosition = static_cast<double>(outStart) * inverse;
        // Past the end of the source: no further grains.
        if (inPosition >= static_cast<double>(inFrames) + 1.0)
            break;
        const int64_t inStart = static_cast<int64_t>(inPosition);
        if (inStart > inFrames)
            break;

        const int64_t copyFrames = std::min(inFrames - inStart, g);
        std::memset(grain, 0, m_grainBuffer.size() * sizeof(int16_t));
        std::memcpy(grain, source.data() + inStart * k, static_cast<size_t>(copyFrames * k) * sizeof(int16_t));

        const int64_t length = std::min(g, outFrames - outStart);
        const int64_t rampFrames = (length - g / 2) / 2;
        for (int64_t j = 0; j < rampFrames; ++j) {
            ScaleFrame(grain, j, k, j, ramp);
            ScaleFrame(grain, length - 1 - j, k, j, ramp);
        }

        // A wrapped 16-bit sum would be a full-scale click; saturate instead.
        int16_t* out = output.data() + outStart * k;
        const int64_t samples = length * k;
        for (int64_t s = 0; s < samples; ++s)
            out[s] = static_cast<int16_t>(std::clamp(int32_t{out[s]} + int32_t{grain[s]}, -32768, 32767));
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
    if (plan.grainFrames == 0)
        return plan;
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
