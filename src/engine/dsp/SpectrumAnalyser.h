#pragma once

// The twelve bars of the spectrum display, computed from 1024 left-channel
// samples: a 1024-point FFT (scaled by 1/1024) gives magnitudes |X(k)|, and
// band b takes the largest magnitude over its bins, subtracts its offset,
// multiplies by its factor and clamps to 0 .. 32767. Low bands get large
// offsets and small factors so that bass does not fill the display.
//
// Two phases: the constructor builds the FFT tables; Analyse() never
// allocates.
//
// Thread: any one thread at a time per object (the engine worker).

#include "engine/dsp/Fft.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>

namespace bm::dsp {

class SpectrumAnalyser {
public:
    static constexpr size_t kPoints = 1024;
    static constexpr size_t kBands = 12;
    // Last FFT bin of each band; band b starts one after band b - 1 ends
    // (band 0 at bin 0).
    static constexpr std::array<int, kBands> kLastBin{1, 2, 4, 9, 18, 35, 65, 139, 229, 299, 439, 599};
    static constexpr std::array<int, kBands> kOffset{500, 450, 400, 350, 300, 250, 200, 150, 100, 50, 25, 10};
    static constexpr std::array<int, kBands> kFactor{4, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};

    using Bands = std::array<int32_t, kBands>;

    SpectrumAnalyser();

    // Band values of `samples` (left channel, 16-bit); fewer than 1024
    // samples are completed with zeros, more are ignored.
    Bands Analyse(std::span<const int16_t> samples) noexcept;

    // The scaled magnitude |X(k)| of the last Analyse(), k < 1024.
    double Magnitude(size_t bin) const { return bin < kPoints ? std::hypot(m_re[bin], m_im[bin]) : 0.0; }

private:
    Fft m_fft;
    std::array<double, kPoints> m_re{};
    std::array<double, kPoints> m_im{};
};

} // namespace bm::dsp
