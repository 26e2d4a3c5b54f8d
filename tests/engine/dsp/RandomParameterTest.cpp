#include "engine/dsp/CubicResampler.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "engine/dsp/SpectrumAnalyser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace bm::dsp {
namespace {

// A hundred rounds of hostile parameters (odd and one-frame grains, factors
// near zero, huge or not finite, empty and ragged sources, windows past the
// end). The sanitizer build runs this too: nothing may touch memory outside
// the buffers, and sizes must stay as computed.
TEST(DspRandomParameters, NothingCrashesAndSizesHold)
{
    std::mt19937 rng(20240611);
    const std::vector<double> specialFactors{0.0, -1.0, 1e-300, 5e-324, 1e300, std::numeric_limits<double>::infinity(),
                                             std::numeric_limits<double>::quiet_NaN(), 1.0, 0.5, 2.0};
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int round = 0; round < 100; ++round) {
        const int channels = 1 + static_cast<int>(rng() % 3);
        const int grain = std::vector<int>{1, 2, 3, 7, 1024, 4096, 8192, 65536}[rng() % 8];
        const double factor = round % 3 == 0 ? specialFactors[rng() % specialFactors.size()]
                                             : std::exp(std::uniform_real_distribution<double>(-4, 3)(rng));
        std::vector<int16_t> source(rng() % 20000);
        for (auto& v : source)
            v = static_cast<int16_t>(sample(rng));

        OverlapAddStretcher stretcher;
        ASSERT_TRUE(stretcher.Prepare(channels, grain));
        const int64_t inFrames = static_cast<int64_t>(source.size()) / channels;
        const int64_t frames = OverlapAddStretcher::OutputFrames(inFrames, factor, 1 << 20);
        const bool usable = std::isfinite(factor) && factor > 0 && std::isfinite(1 / factor);
        if (!usable) {
            EXPECT_EQ(frames, -1) << factor;
        }
        const int64_t outFrames = frames >= 0 ? frames : static_cast<int64_t>(rng() % 5000);
        std::vector<int16_t> out(static_cast<size_t>(outFrames * channels), 1);
        StretchResult r = stretcher.Process(source, factor, out);
        EXPECT_LE(r.grainsDone, r.grainsPlanned);
        EXPECT_EQ(out.size(), static_cast<size_t>(outFrames * channels));
        std::vector<int16_t> window(static_cast<size_t>((rng() % 3000) * channels));
        stretcher.ProcessRange(source, factor, outFrames, static_cast<int64_t>(rng() % 40000), window);

        const int64_t bytes = CubicResampler::OutputBytes(static_cast<int64_t>(source.size()) * 2, factor, 1 << 22);
        std::vector<int16_t> resampled(
            static_cast<size_t>((bytes >= 0 ? CubicResampler::WrittenFrames(bytes) : rng() % 100) * channels));
        CubicResampler::Process(source, channels, factor, resampled);

        SpectrumAnalyser analyser;
        for (int32_t v : analyser.Analyse(source)) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 32767);
        }
    }
}

} // namespace
} // namespace bm::dsp
