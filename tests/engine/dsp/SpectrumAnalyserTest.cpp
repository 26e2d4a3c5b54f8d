#include "engine/dsp/SpectrumAnalyser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace bm::dsp {
namespace {

using Bands = SpectrumAnalyser::Bands;

std::vector<int16_t> Cosine(double bin, double amplitude)
{
    std::vector<int16_t> out(1024);
    for (size_t n = 0; n < out.size(); ++n)
        out[n] = static_cast<int16_t>(std::lround(amplitude * std::cos(2 * std::numbers::pi * bin * n / 1024.0)));
    return out;
}

int BandOfBin(int bin)
{
    for (size_t b = 0; b < SpectrumAnalyser::kBands; ++b)
        if (bin <= SpectrumAnalyser::kLastBin[b])
            return static_cast<int>(b);
    return -1;
}

TEST(Fft, MatchesTheDirectTransform)
{
    for (size_t size : {2u, 8u, 64u, 1024u}) {
        std::mt19937 rng(static_cast<unsigned>(size));
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        std::vector<std::complex<double>> x(size);
        for (auto& v : x)
            v = {d(rng), d(rng)};
        Fft fft;
        ASSERT_TRUE(fft.Prepare(size));
        std::vector<double> re(size), im(size);
        for (size_t n = 0; n < size; ++n) {
            re[n] = x[n].real();
            im[n] = x[n].imag();
        }
        fft.Forward(re, im);
        for (size_t k = 0; k < size; k += size / 8 + 1) {
            std::complex<double> sum;
            for (size_t n = 0; n < size; ++n)
                sum += x[n] * std::polar(1.0, -2 * std::numbers::pi * double(k * n % size) / double(size));
            EXPECT_NEAR(std::abs(std::complex<double>(re[k], im[k]) - sum), 0.0, 1e-9 * double(size))
                << size << ' ' << k;
        }
    }
    Fft fft;
    EXPECT_FALSE(fft.Prepare(0));
    EXPECT_FALSE(fft.Prepare(1000));
    EXPECT_FALSE(fft.Prepare(size_t(1) << 21));
}

TEST(SpectrumAnalyser, SilenceAndTinySignalsGiveZeros)
{
    SpectrumAnalyser a;
    EXPECT_EQ(a.Analyse(std::vector<int16_t>(1024, 0)), Bands{});
    EXPECT_EQ(a.Analyse({}), Bands{});
    // An impulse of 9216 spreads 9216 / 1024 = 9 over every bin, below
    // every offset; a full-scale one (31.99 in every bin) passes only the
    // two highest bands' offsets of 25 and 10.
    std::vector<int16_t> impulse(1024, 0);
    impulse[0] = 9216;
    EXPECT_EQ(a.Analyse(impulse), Bands{});
    impulse[0] = 32767;
    EXPECT_EQ(a.Analyse(impulse), (Bands{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6 * 13, 21 * 14}));
}

TEST(SpectrumAnalyser, ExactValuesOffsetsFactorsAndClamp)
{
    SpectrumAnalyser a;
    // A constant is bin 0 alone with |X(0)| equal to the constant.
    Bands dc = a.Analyse(std::vector<int16_t>(1024, 1500));
    EXPECT_EQ(dc[0], (1500 - 500) * 4);
    for (size_t b = 1; b < 12; ++b)
        EXPECT_EQ(dc[b], 0) << b;
    // Fewer than 1024 samples are completed with zeros: half the mean.
    EXPECT_EQ(a.Analyse(std::vector<int16_t>(512, 1500))[0], (750 - 500) * 4);
    // Alternating signs are bin 512, in the last band.
    std::vector<int16_t> alternating(1024);
    for (size_t n = 0; n < alternating.size(); ++n)
        alternating[n] = n % 2 ? -1000 : 1000;
    Bands top = a.Analyse(alternating);
    EXPECT_EQ(top[11], (1000 - 10) * 14);
    EXPECT_DOUBLE_EQ(a.Magnitude(512), 1000.0);
    // Large values stop at 32767.
    EXPECT_EQ(a.Analyse(std::vector<int16_t>(1024, 32767))[0], 32767);
    EXPECT_EQ(a.Analyse(std::vector<int16_t>(1024, -32768))[0], 32767);
}

class SpectrumBin : public testing::TestWithParam<int> {};

// A cosine on bin k of amplitude 2000 has |X(k)| = 1000 (half the amplitude
// after the 1/1024 scaling) and lands in the band that holds k. Real input
// mirrors bin k to bin 1024 - k, and the last band reaches past bin 512,
// so bins 425 .. 439 show in band 11 as well.
TEST_P(SpectrumBin, CosineLandsInItsBand)
{
    const int bin = GetParam();
    const int band = BandOfBin(bin);
    const int mirrorBand = BandOfBin(1024 - bin);
    ASSERT_GE(band, 0);
    SpectrumAnalyser a;
    Bands bands = a.Analyse(Cosine(bin, 2000));
    for (int b = 0; b < 12; ++b) {
        if (b == band || b == mirrorBand) {
            EXPECT_GE(bands[b], (999 - SpectrumAnalyser::kOffset[b]) * SpectrumAnalyser::kFactor[b]) << b;
            EXPECT_LE(bands[b], (1001 - SpectrumAnalyser::kOffset[b]) * SpectrumAnalyser::kFactor[b]) << b;
        } else {
            EXPECT_EQ(bands[b], 0) << "band " << b << " for bin " << bin;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BandEdges, SpectrumBin, testing::Values(1, 2, 3, 4, 5, 9, 10, 18, 19, 35, 36, 65, 66, 139,
                                                                   140, 229, 230, 299, 300, 424, 425, 439, 440, 599));

TEST(SpectrumAnalyser, NoStateLeaksBetweenCalls)
{
    SpectrumAnalyser a;
    auto tone = Cosine(50, 3000);
    Bands first = a.Analyse(tone);
    a.Analyse(std::vector<int16_t>(1024, 32767));
    EXPECT_EQ(a.Analyse(tone), first);
}

} // namespace
} // namespace bm::dsp
