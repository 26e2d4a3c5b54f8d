#include "engine/dsp/SpectrumAnalyser.h"

#include <algorithm>
#include <cmath>

namespace bm::dsp {

SpectrumAnalyser::SpectrumAnalyser() { m_fft.Prepare(kPoints); }

SpectrumAnalyser::Bands SpectrumAnalyser::Analyse(std::span<const int16_t> samples) noexcept
{
    const size_t count = std::min(samples.size(), kPoints);
    constexpr double kScale = 1.0 / static_cast<double>(kPoints);
    for (size_t i = 0; i < kPoints; ++i) {
        m_re[i] = i < count ? static_cast<double>(samples[i]) * kScale : 0.0;
        m_im[i] = 0.0;
    }
    m_fft.Forward(m_re, m_im);

    Bands bands{};
    int first = 0;
    for (size_t b = 0; b < kBands; ++b) {
        // The largest squared magnitude, then one square root per band.
        double peakSquared = 0.0;
        for (size_t k = static_cast<size_t>(first); k <= static_cast<size_t>(kLastBin[b]); ++k)
            peakSquared = std::max(peakSquared, m_re[k] * m_re[k] + m_im[k] * m_im[k]);
        const double peak = std::sqrt(peakSquared);
        first = kLastBin[b] + 1;
        // The magnitude is at most 32768, so the product stays far inside
        // 64 bits before the clamp.
        const int64_t value = static_cast<int64_t>(peak - kOffset[b]) * kFactor[b];
        bands[b] = static_cast<int32_t>(std::clamp<int64_t>(value, 0, 32767));
    }
    return bands;
}

} // namespace bm::dsp
