#include "engine/dsp/CubicResampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

namespace bm::dsp {
namespace {

std::vector<int16_t> RandomStereo(int64_t frames, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<int16_t> out(static_cast<size_t>(frames * 2));
    for (auto& s : out)
        s = static_cast<int16_t>(d(rng));
    return out;
}

std::vector<int16_t> Resample(const std::vector<int16_t>& in, double ratio)
{
    const int64_t bytes = CubicResampler::OutputBytes(static_cast<int64_t>(in.size()) * 2, ratio);
    std::vector<int16_t> out(static_cast<size_t>(CubicResampler::WrittenFrames(bytes) * 2));
    CubicResampler::Process(in, 2, ratio, out);
    return out;
}

// Twelve semitones up: half the frames, and output frame i - 1 lands
// exactly on source frame 2i, where the curve passes through the sample.
TEST(CubicResampler, OctaveUpReadsEverySecondFrame)
{
    const double r = CubicResampler::RatioForSemitones(12);
    EXPECT_DOUBLE_EQ(r, 0.5);
    auto in = RandomStereo(10000, 1);
    EXPECT_EQ(CubicResampler::OutputBytes(40000, r), 20000);
    auto out = Resample(in, r);
    ASSERT_EQ(out.size(), (5000u - 3) * 2);
    for (size_t n = 0; n < out.size() / 2; ++n) {
        ASSERT_EQ(out[2 * n], in[2 * (2 * (n + 1))]) << n;
        ASSERT_EQ(out[2 * n + 1], in[2 * (2 * (n + 1)) + 1]) << n;
    }
}

TEST(CubicResampler, SizesTruncate)
{
    EXPECT_EQ(CubicResampler::OutputBytes(40001, 0.5), 20000);
    EXPECT_EQ(CubicResampler::OutputBytes(40000, CubicResampler::RatioForSemitones(-12)), 80000);
    EXPECT_EQ(CubicResampler::OutputBytes(40000, 0.0), -1);
    EXPECT_EQ(CubicResampler::OutputBytes(40000, -2.0), -1);
    EXPECT_EQ(CubicResampler::OutputBytes(40000, 1e300), -1);
    EXPECT_EQ(CubicResampler::WrittenFrames(20000), 4997);
    EXPECT_EQ(CubicResampler::WrittenFrames(15), 0);
    EXPECT_EQ(CubicResampler::WrittenFrames(0), 0);
}

TEST(CubicResampler, CurveValuesTruncateAndClamp)
{
    // Symmetric outer points of 0 around 32000 put the middle of the curve
    // at 40 000, which is stored as the largest sample; the mirror image at
    // -40 000 as the smallest.
    EXPECT_EQ(CubicResampler::Interpolate(0, 32000, 32000, 0, 0.5), 32767);
    EXPECT_EQ(CubicResampler::Interpolate(0, -32000, -32000, 0, 0.5), -32768);
    // Through the middle points at f = 0 and f = 1.
    EXPECT_EQ(CubicResampler::Interpolate(-5, 123, -456, 7, 0.0), 123);
    EXPECT_EQ(CubicResampler::Interpolate(-5, 123, -456, 7, 1.0), -456);
    // 10 + 0.3 (20 + 0.3 (-30 + 20 x 0.3)) = 13.84: truncation toward zero
    // on both sides of 0.
    EXPECT_EQ(CubicResampler::Interpolate(0, 10, 20, 30, 0.3), 13);
    EXPECT_EQ(CubicResampler::Interpolate(0, -10, -20, -30, 0.3), -13);
}

TEST(CubicResampler, EdgeFramesRepeatTheFirstAndLast)
{
    std::vector<int16_t> in{100, -100, 200, -200, 400, -400, 800, -800};
    // r = 2: output frame 0 sits at t = 0.5 between frames 0 and 1, with
    // frame -1 taken as frame 0.
    std::vector<int16_t> out(2 * 12);
    CubicResampler::Process(in, 2, 2.0, out);
    EXPECT_EQ(out[0], CubicResampler::Interpolate(100, 100, 200, 400, 0.5));
    EXPECT_EQ(out[1], CubicResampler::Interpolate(-100, -100, -200, -400, 0.5));
    // t = 3.5 past the last frame's neighbours: frames 4 and 5 are frame 3.
    EXPECT_EQ(out[2 * 6], CubicResampler::Interpolate(400, 800, 800, 800, 0.5));
    // Far beyond the end every point is the last frame.
    EXPECT_EQ(out[2 * 11], 800);
    EXPECT_EQ(out[2 * 11 + 1], -800);

    std::vector<int16_t> single{7, -7};
    std::vector<int16_t> flat(2 * 5);
    CubicResampler::Process(single, 2, 0.3, flat);
    for (size_t i = 0; i < flat.size(); i += 2) {
        EXPECT_EQ(flat[i], 7);
        EXPECT_EQ(flat[i + 1], -7);
    }
    std::vector<int16_t> silent(8, 99);
    CubicResampler::Process({}, 2, 1.0, silent);
    for (int16_t v : silent)
        EXPECT_EQ(v, 0);
    std::vector<int16_t> untouched(8, 99);
    CubicResampler::Process(in, 2, std::nan(""), untouched);
    CubicResampler::Process(in, 0, 1.0, untouched);
    EXPECT_EQ(untouched[0], 99);
}

// Parameter table: semitones, sine period in source frames.
class ResampleProperties : public testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(ResampleProperties, FollowsTheSineAtTheNewPosition)
{
    const auto [semitones, period] = GetParam();
    const double amplitude = 10000.0;
    const int64_t frames = 20000;
    std::vector<int16_t> in(static_cast<size_t>(frames * 2));
    for (int64_t n = 0; n < frames; ++n) {
        in[2 * n] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * n / period)));
        in[2 * n + 1] = static_cast<int16_t>(std::lround(amplitude * std::cos(2 * std::numbers::pi * n / period)));
    }
    const double r = CubicResampler::RatioForSemitones(semitones);
    auto out = Resample(in, r);
    ASSERT_EQ(static_cast<int64_t>(out.size()), 2 * (static_cast<int64_t>(frames * 4 * r) / 4 - 3));

    // The curve's end slopes are differences over two frames, about twice
    // the sine's slope per frame; the surplus s0 f (1 - f)^2 - s1 f^2 (1 - f)
    // keeps it within a quarter of the largest slope of the sine, plus a
    // curvature term and rounding.
    const double w = 2 * std::numbers::pi / period;
    const double tolerance = 0.25 * amplitude * w + 0.5 * amplitude * w * w + 2.0;
    double worst = 0;
    for (int64_t n = 0; n < static_cast<int64_t>(out.size()) / 2; ++n) {
        const double t = static_cast<double>(n + 1) / r;
        if (t >= frames - 2)
            break;
        worst = std::max(worst, std::abs(out[2 * n] - amplitude * std::sin(w * t)));
        worst = std::max(worst, std::abs(out[2 * n + 1] - amplitude * std::cos(w * t)));
    }
    EXPECT_LE(worst, tolerance);

    // Same input, sentinel-filled output: the same result.
    std::vector<int16_t> again(out.size(), int16_t(0x5A5A));
    CubicResampler::Process(in, 2, r, again);
    EXPECT_EQ(again, out);
}

INSTANTIATE_TEST_SUITE_P(Table, ResampleProperties,
                         testing::Combine(testing::Values(-12.0, -7.0, -1.0, 0.5, 3.0, 12.0, 19.0),
                                          testing::Values(50.0, 441.0, 2000.0)));

} // namespace
} // namespace bm::dsp
