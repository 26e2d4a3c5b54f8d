#include "engine/dsp/CubicResampler.h"

#include <algorithm>
#include <cmath>

namespace bm::dsp {

namespace {

bool IsUsableRatio(double ratio) { return std::isfinite(ratio) && ratio > 0.0 && std::isfinite(1.0 / ratio); }

} // namespace

double CubicResampler::RatioForSemitones(double semitones) { return std::pow(2.0, -semitones / 12.0); }

int64_t CubicResampler::OutputBytes(int64_t sourceBytes, double ratio, int64_t maxBytes)
{
    if (sourceBytes < 0 || !IsUsableRatio(ratio))
        return -1;
    const double bytes = static_cast<double>(sourceBytes) * ratio;
    if (!(bytes < static_cast<double>(maxBytes) + 1.0))
        return -1;
    return std::min(static_cast<int64_t>(bytes), maxBytes);
}

int64_t CubicResampler::WrittenFrames(int64_t outputBytes) { return std::max<int64_t>(0, outputBytes / 4 - 3); }

int16_t CubicResampler::Interpolate(int ym1, int y0, int y1, int y2, double f) noexcept
{
    const double d1 = static_cast<double>(y1 - ym1);
    const double d2 = static_cast<double>(y2 - y0);
    const double a = 2.0 * static_cast<double>(y0 - y1) + d1 + d2;
    const double b = (d2 - d1 - 3.0 * a) * 0.5;
    const double value = static_cast<double>(y0) + f * (d1 + f * (b + a * f));
    if (value <= -32768.0)
        return -32768;
    if (value >= 32767.0)
        return 32767;
    return static_cast<int16_t>(value); // truncates toward zero
}

void CubicResampler::Process(std::span<const int16_t> source, int channels, double ratio,
                             std::span<int16_t> output) noexcept
{
    if (channels < 1 || !IsUsableRatio(ratio))
        return;
    const int64_t outFrames = static_cast<int64_t>(output.size()) / channels;
    const int64_t inFrames = static_cast<int64_t>(source.size()) / channels;
    if (inFrames == 0) {
        std::fill(output.begin(), output.begin() + outFrames * channels, int16_t{0});
        return;
    }
    const int64_t last = inFrames - 1;
    const double lastPosition = static_cast<double>(last);
    const double inverse = 1.0 / ratio;
    auto frameAt = [&](int64_t frame) { return source.data() + std::clamp<int64_t>(frame, 0, last) * channels; };

    for (int64_t n = 0; n < outFrames; ++n) {
        const double t = static_cast<double>(n + 1) * inverse;
        // Far beyond the source every point is the last frame; keep the
        // integer part in range before converting.
        const double whole = std::trunc(t);
        const int64_t k = whole > lastPosition + 2.0 ? last + 2 : static_cast<int64_t>(whole);
        const double f = t - whole;
        const int16_t* pm1 = frameAt(k - 1);
        const int16_t* p0 = frameAt(k);
        const int16_t* p1 = frameAt(k + 1);
        const int16_t* p2 = frameAt(k + 2);
        int16_t* out = output.data() + n * channels;
        for (int c = 0; c < channels; ++c)
            out[c] = Interpolate(pm1[c], p0[c], p1[c], p2[c], f);
    }
}

} // namespace bm::dsp
