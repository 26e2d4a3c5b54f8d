#include "engine/dsp/OverlapAddStretcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

namespace bm::dsp {
namespace {

std::vector<int16_t> Constant(int64_t frames, int channels, int16_t value)
{
    return std::vector<int16_t>(static_cast<size_t>(frames * channels), value);
}

// Sine of `amplitude` with a period of `period` frames; channel c is shifted
// by a quarter period so that channels never hold the same values.
std::vector<int16_t> Sine(int64_t frames, int channels, double period, double amplitude)
{
    std::vector<int16_t> out(static_cast<size_t>(frames * channels));
    for (int64_t n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            out[n * channels + c] = static_cast<int16_t>(
                std::lround(amplitude * std::sin(2.0 * std::numbers::pi * (n + c * period / 4) / period)));
    return out;
}

std::vector<int16_t> Stretch(const std::vector<int16_t>& in, int channels, double factor, int grain,
                             StretchResult* result = nullptr)
{
    OverlapAddStretcher s;
    EXPECT_TRUE(s.Prepare(channels, grain));
    int64_t frames = OverlapAddStretcher::OutputFrames(static_cast<int64_t>(in.size()) / channels, factor);
    std::vector<int16_t> out(static_cast<size_t>(frames * channels));
    StretchResult r = s.Process(in, factor, out);
    if (result)
        *result = r;
    return out;
}

// The stretch step by step as it is defined: a grain buffer cleared and
// filled from the source, ramps applied in place, the grain added with
// saturation. The stretcher adds grains straight from the source instead;
// both must give the same samples.
std::vector<int16_t> ReferenceStretch(const std::vector<int16_t>& in, int k, double x, int g, int64_t outFrames)
{
    const int64_t fi = static_cast<int64_t>(in.size()) / k;
    std::vector<int16_t> out(static_cast<size_t>(outFrames * k), 0);
    std::vector<int16_t> grain(static_cast<size_t>(k * g));
    const int64_t e = g + g / 2;
    const int64_t n = 2 * outFrames / e;
    const int64_t h = (g - g / 2) / 2;
    const double inv = 1.0 / x;
    for (int64_t i = 0; i < n; ++i) {
        const int64_t so = i * e / 2;
        const int64_t si = static_cast<int64_t>(static_cast<double>(so) * inv);
        std::fill(grain.begin(), grain.end(), int16_t{0});
        const int64_t bytes = k * (fi - si) * 2;
        if (bytes < 0)
            break;
        std::copy_n(in.begin() + si * k, std::min<int64_t>(bytes / 2, k * g), grain.begin());
        const int64_t lg = std::min<int64_t>(g, outFrames - so);
        for (int64_t j = 0; j < (lg - g / 2) / 2; ++j)
            for (int c = 0; c < k; ++c) {
                grain[j * k + c] = static_cast<int16_t>(grain[j * k + c] * j / h);
                grain[(lg - 1 - j) * k + c] = static_cast<int16_t>(grain[(lg - 1 - j) * k + c] * j / h);
            }
        for (int64_t s = 0; s < k * lg; ++s)
            out[so * k + s] = static_cast<int16_t>(std::clamp(out[so * k + s] + grain[s], -32768, 32767));
    }
    return out;
}

TEST(OverlapAddStretcher, DoublingTenThousandFramesGivesTwentyThousand)
{
    auto out = Stretch(Sine(10000, 2, 441, 8000), 2, 2.0, 4096);
    EXPECT_EQ(out.size(), 20000u * 2);
    EXPECT_EQ(OverlapAddStretcher::OutputFrames(10000, 2.0), 20000);
    EXPECT_EQ(OverlapAddStretcher::OutputFrames(10001, 0.5), 5000); // truncated
    EXPECT_EQ(OverlapAddStretcher::OutputFrames(10, 0.0), -1);
    EXPECT_EQ(OverlapAddStretcher::OutputFrames(10, std::nan("")), -1);
    EXPECT_EQ(OverlapAddStretcher::OutputFrames(1 << 30, 1e30), -1);
}

// G = 4096: grains every 3072 output frames, ramps of 1024 frames, and the
// very first output frame has gain 0. The source holds its own frame number,
// so each output frame shows where it was read from.
TEST(OverlapAddStretcher, Grain4096HopsRampsAndSourcePositions)
{
    const int64_t frames = 20000;
    std::vector<int16_t> in(frames);
    for (int64_t n = 0; n < frames; ++n)
        in[n] = static_cast<int16_t>(n);
    StretchResult result;
    auto out = Stretch(in, 1, 2.0, 4096, &result);
    ASSERT_EQ(out.size(), 40000u);
    EXPECT_EQ(result.grainsPlanned, 2 * 40000 / 6144);
    EXPECT_EQ(result.grainsDone, result.grainsPlanned);

    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[512], 512 * 512 / 1024);     // rising ramp of grain 0: frame j times j / 1024
    EXPECT_EQ(out[1024 + 5], 1029);            // grain 0 at full gain reads source frame 1029
    EXPECT_EQ(out[3071], 3071);                // last frame before grain 1
    // Grain 1 starts at output frame 3072 and reads from source frame 1536.
    EXPECT_EQ(out[3072], 3072 * 1023 / 1024);  // grain 0 falling, grain 1 at gain 0
    EXPECT_EQ(out[3072 + 1024 + 5], 1536 + 1029);
    // Grain 2 starts at 6144 and reads from source frame 3072.
    EXPECT_EQ(out[6144 + 1024], 3072 + 1024);
    // Inside an overlap both grains contribute: gain (1023 - m) / 1024 on
    // grain 0 and m / 1024 on grain 1.
    const int m = 300;
    EXPECT_EQ(out[3072 + m], (3072 + m) * (1023 - m) / 1024 + (1536 + m) * m / 1024);
}

// The last grain is cut short by the end of the output, so its rising ramp
// is shorter than the previous grain's falling ramp and their sum exceeds
// the source level. Full-scale material must clip there, not wrap around to
// the opposite sign.
TEST(OverlapAddStretcher, OverlapSumsSaturateInsteadOfWrapping)
{
    // G = 1024: hop 768; 2336 frames give three grains, the last one 800
    // frames long with a rising ramp of 144 frames.
    for (int16_t level : {int16_t(30000), int16_t(-30000)}) {
        StretchResult result;
        auto out = Stretch(Constant(2336, 1, level), 1, 1.0, 1024, &result);
        ASSERT_EQ(result.grainsDone, 3);
        EXPECT_EQ(out[1536 + 144], level > 0 ? 32767 : -32768);
        for (int16_t v : out)
            ASSERT_TRUE(level > 0 ? v >= 0 : v <= 0);
    }
}

TEST(OverlapAddStretcher, TooShortForOneGrainGivesSilenceOfTheComputedSize)
{
    StretchResult result;
    auto out = Stretch(Constant(1000, 2, 1234), 2, 2.0, 4096, &result);
    EXPECT_EQ(out.size(), 4000u);
    EXPECT_EQ(result.grainsPlanned, 0);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
}

TEST(OverlapAddStretcher, ProgressReportsFractionsAndCanStop)
{
    struct Log {
        std::vector<double> fractions;
        size_t stopAfter = 0;
    } log;
    log.stopAfter = 2;
    StretchProgress progress{[](double f, void* ctx) {
                                 auto* l = static_cast<Log*>(ctx);
                                 l->fractions.push_back(f);
                                 return l->fractions.size() < l->stopAfter;
                             },
                             &log};
    auto in = Constant(20000, 1, 1000);
    OverlapAddStretcher s;
    ASSERT_TRUE(s.Prepare(1, 1024));
    std::vector<int16_t> out(20000, 77);
    StretchResult result = s.Process(in, 1.0, out, progress);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.grainsDone, 2);
    ASSERT_EQ(log.fractions.size(), 2u);
    EXPECT_DOUBLE_EQ(log.fractions[0], 0.0);
    EXPECT_DOUBLE_EQ(log.fractions[1], 1.0 / static_cast<double>(result.grainsPlanned));
    // Two grains cover frames 0 .. 768 + 1023; the rest stays silent, and
    // the caller's old contents are gone.
    EXPECT_EQ(out[500], 1000);
    EXPECT_EQ(out[768 + 1024], 0);
    EXPECT_EQ(out.back(), 0);

    log.fractions.clear();
    log.stopAfter = 1000000;
    result = s.Process(in, 1.0, out, progress);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(static_cast<int64_t>(log.fractions.size()), result.grainsPlanned);
    EXPECT_TRUE(std::is_sorted(log.fractions.begin(), log.fractions.end()));
    EXPECT_LT(log.fractions.back(), 1.0);
}

TEST(OverlapAddStretcher, RefusesBadParameters)
{
    OverlapAddStretcher s;
    EXPECT_FALSE(s.Prepare(0, 1024));
    EXPECT_FALSE(s.Prepare(2, 0));
    EXPECT_FALSE(s.Prepare(2, OverlapAddStretcher::kMaxGrainFrames + 1));
    EXPECT_FALSE(s.IsPrepared());
    std::vector<int16_t> in(1000, 5), out(1000, 9);
    EXPECT_EQ(s.Process(in, 1.0, out).grainsDone, 0); // unprepared: output untouched
    EXPECT_EQ(out[0], 9);
    ASSERT_TRUE(s.Prepare(1, 16));
    for (double bad : {0.0, -1.0, std::nan(""), double(INFINITY), 1e-320})
        EXPECT_EQ(s.Process(in, bad, out).grainsDone, 0) << bad;
    // An output longer than the stretch needs ends the grains where the
    // source runs out instead of reading past it.
    std::vector<int16_t> longOut(100000);
    StretchResult result = s.Process(in, 1.0, longOut);
    EXPECT_LT(result.grainsDone, result.grainsPlanned);
    EXPECT_EQ(longOut[50000], 0);

    std::vector<int16_t> whole;
    EXPECT_FALSE(StretchWhole(in, 0, 1.0, 1024, whole));
    EXPECT_FALSE(StretchWhole(in, 1, 1e12, 1024, whole));
    EXPECT_TRUE(whole.empty());
    EXPECT_TRUE(StretchWhole(in, 2, 1.5, 64, whole));
    EXPECT_EQ(whole.size(), 1500u);
}

// Parameter table: grain, channels, factor.
class StretchProperties : public testing::TestWithParam<std::tuple<int, int, double>> {};

TEST_P(StretchProperties, ExactLengthContinuityPeaksAndRepeatability)
{
    const auto [grain, channels, factor] = GetParam();
    const int64_t inFrames = 50000;
    const double period = 1500.0, amplitude = 12000.0;
    auto in = Sine(inFrames, channels, period, amplitude);

    OverlapAddStretcher s;
    ASSERT_TRUE(s.Prepare(channels, grain));
    const int64_t outFrames = OverlapAddStretcher::OutputFrames(inFrames, factor);
    ASSERT_EQ(outFrames, static_cast<int64_t>(static_cast<double>(inFrames) * factor));
    std::vector<int16_t> out(static_cast<size_t>(outFrames * channels));
    StretchResult first = s.Process(in, factor, out);
    EXPECT_EQ(first.grainsDone, first.grainsPlanned);
    EXPECT_EQ(out.size(), static_cast<size_t>(outFrames * channels));

    // Peaks: whole grains cross-fade with gains that sum to 1 at most, so
    // the output never exceeds the source's peak. The checks stop before
    // the last grain (cut short by the end of the output) and before the
    // first grain that runs past the end of the source (its tail is silent).
    const int64_t step = grain + grain / 2;
    const int64_t ramp = (grain - grain / 2) / 2;
    int64_t end = (2 * outFrames / step - 1) * step / 2;
    for (int64_t i = 0; i * step / 2 < end; ++i)
        if (static_cast<int64_t>(static_cast<double>(i * step / 2) * (1.0 / factor)) + grain > inFrames)
            end = i * step / 2;
    ASSERT_GT(end, outFrames / 2);
    int maxJump = 0;
    for (int64_t n = 0; n + 1 < end; ++n)
        for (int c = 0; c < channels; ++c) {
            ASSERT_LE(std::abs(out[n * channels + c]), static_cast<int>(amplitude)) << n;
            if (n >= ramp)
                maxJump = std::max(maxJump, std::abs(out[(n + 1) * channels + c] - out[n * channels + c]));
        }
    // Continuity: between two frames the output moves by at most the
    // source's slope plus the cross-fade's share of the two grains'
    // difference (at most 2 x amplitude over a ramp), plus truncation.
    const double slope = 2.0 * std::numbers::pi * amplitude / period;
    EXPECT_LE(maxJump, slope + 2.0 * amplitude / static_cast<double>(ramp) + 3.0);

    // Render, fill with a sentinel, render again: the same output.
    std::vector<int16_t> again(out.size(), int16_t(0x5A5A));
    StretchResult second = s.Process(in, factor, again);
    EXPECT_EQ(second.grainsDone, first.grainsDone);
    EXPECT_EQ(again, out);
}

// Random full-scale material (so saturation happens), odd grain sizes,
// output lengths that run past the source: the stretcher and the
// step-by-step definition agree sample for sample.
TEST_P(StretchProperties, MatchesTheGrainBufferDefinition)
{
    const auto [grain, channels, factor] = GetParam();
    std::mt19937 rng(static_cast<unsigned>(grain * 31 + channels));
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<int16_t> in(static_cast<size_t>(9000 * channels));
    for (auto& v : in)
        v = static_cast<int16_t>(d(rng));
    OverlapAddStretcher s;
    ASSERT_TRUE(s.Prepare(channels, grain));
    for (int64_t frames : {OverlapAddStretcher::OutputFrames(9000, factor), int64_t(40000), int64_t(777)}) {
        std::vector<int16_t> out(static_cast<size_t>(frames * channels));
        s.Process(in, factor, out);
        ASSERT_EQ(out, ReferenceStretch(in, channels, factor, grain, frames)) << frames;
    }
}

// Continuity across block edges: blocks of any size that tile the output
// give the samples of one whole stretch.
TEST_P(StretchProperties, BlocksTileTheWholeStretch)
{
    const auto [grain, channels, factor] = GetParam();
    auto in = Sine(20000, channels, 333, 30000);
    for (size_t i = 0; i < in.size(); i += 7)
        in[i] = static_cast<int16_t>(-in[i]); // full-scale jumps, so sums saturate
    OverlapAddStretcher s;
    ASSERT_TRUE(s.Prepare(channels, grain));
    const int64_t total = OverlapAddStretcher::OutputFrames(20000, factor);
    std::vector<int16_t> whole(static_cast<size_t>(total * channels));
    s.Process(in, factor, whole);

    std::mt19937 rng(static_cast<unsigned>(grain + channels));
    std::uniform_int_distribution<int64_t> blockSize(1, 3 * grain);
    std::vector<int16_t> joined;
    std::vector<int16_t> block;
    for (int64_t first = 0; first < total;) {
        const int64_t n = std::min(blockSize(rng), total - first);
        block.assign(static_cast<size_t>(n * channels), int16_t(0x5A5A));
        s.ProcessRange(in, factor, total, first, block);
        joined.insert(joined.end(), block.begin(), block.end());
        first += n;
    }
    EXPECT_EQ(joined, whole);
    // Past the end: silence.
    block.assign(64, 1);
    s.ProcessRange(in, factor, total, total - 2, block);
    EXPECT_EQ(std::vector<int16_t>(block.begin() + 2 * channels, block.end()),
              std::vector<int16_t>(block.size() - 2 * channels, 0));
}

INSTANTIATE_TEST_SUITE_P(Table, StretchProperties,
                         testing::Combine(testing::Values(1024, 4096, 8192, 1000, 1001, 7),
                                          testing::Values(1, 2), testing::Values(0.55, 0.9, 1.37, 2.0, 3.3)));

TEST(StretchPlan, ConditionsFactorAndGrain)
{
    const int64_t span = 20352 * 8; // one bar of the default song
    EXPECT_FALSE(PlanStretch(81408, 3, span).stretch);    // already half the span
    EXPECT_FALSE(PlanStretch(26431, 3, span).stretch);    // too short
    EXPECT_TRUE(PlanStretch(26432, 3, span).stretch);
    EXPECT_TRUE(PlanStretch(1058368, 3, span).stretch);
    EXPECT_FALSE(PlanStretch(1058369, 3, span).stretch);  // too long
    EXPECT_FALSE(PlanStretch(100000, 0, span).stretch);   // kind 0
    EXPECT_FALSE(PlanStretch(81408, 1, span + 1).stretch); // L / 2 rounds down

    StretchPlan plan = PlanStretch(40704, 1, span);
    EXPECT_TRUE(plan.stretch);
    EXPECT_DOUBLE_EQ(plan.factor, 2.0);
    EXPECT_EQ(plan.grainFrames, 1024);
    EXPECT_EQ(PlanStretch(40704, 2, span).grainFrames, 8192);
    EXPECT_EQ(PlanStretch(40704, 3, span).grainFrames, 4096);
    EXPECT_EQ(PlanStretch(40704, 7, span).grainFrames, 4096);
    EXPECT_EQ(GrainFramesForKind(0), 0);
}

} // namespace
} // namespace bm::dsp
