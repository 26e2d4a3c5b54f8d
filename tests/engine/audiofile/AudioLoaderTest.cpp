#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/EffectEnvelope.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::Bytes;

// Rising zero crossings of the left channel of canonical frames.
int RisingCrossings(const std::vector<int16_t>& stereo)
{
    int count = 0;
    for (size_t i = 2; i < stereo.size(); i += 2)
        count += stereo[i - 2] < 0 && stereo[i] >= 0;
    return count;
}

class AudioLoaderFiles : public testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& image)
    {
        EXPECT_TRUE(test::WriteFile(m_dir / name, test::AsString(image)));
        return m_dir / name;
    }
    test::TempDir m_dir;
};

TEST_F(AudioLoaderFiles, SixteenKilohertzEightBitMonoIsResampledNotSnapped)
{
    // Once read as if it were 22 050 Hz (too fast and sharp); now converted:
    // decoded to 16 bits and resampled to 44 100 Hz.
    const std::string path = Write("a.wav", test::PcmWave(1, 16000, 8, Bytes(1600, 0x80)));
    WaveHeaderInfo info;
    EXPECT_EQ(ReadWaveHeader(path, info), WaveHeaderResult::NeedsConversion);
    std::vector<int16_t> stereo;
    Error error;
    ASSERT_TRUE(LoadCanonical(path, stereo, &error)) << error.message;
    EXPECT_NEAR(double(stereo.size()) / 2, 4410.0, 1.0);
    EXPECT_EQ(*std::max_element(stereo.begin(), stereo.end()), 0);
    EXPECT_EQ(*std::min_element(stereo.begin(), stereo.end()), 0);
    EXPECT_EQ(EstimateCanonicalBytes(path), 4410 * 4);

    // Its own samples keep rate and channels, widened to 16 bits.
    PcmAudio own;
    ASSERT_TRUE(LoadPcm(path, own));
    EXPECT_EQ(own.rate, 16000);
    EXPECT_EQ(own.channels, 1);
    EXPECT_EQ(own.samples, std::vector<int16_t>(1600, 0));
}

TEST_F(AudioLoaderFiles, FortyEightKilohertzKeepsItsPitch)
{
    // 441 Hz for one second: 441 cycles whatever the file's rate.
    const std::string path = Write("tone.wav", test::SineWave(2, 48000, 48000, 441.0));
    std::vector<int16_t> stereo;
    ASSERT_TRUE(LoadCanonical(path, stereo));
    EXPECT_NEAR(double(stereo.size()) / 2, 44100.0, 1.0);
    EXPECT_NEAR(RisingCrossings(stereo), 441, 1);
    EXPECT_EQ(EstimateCanonicalBytes(path), 44100 * 4);
    DecodedSample decoded;
    ASSERT_TRUE(DecodeForConversion(path, decoded));
    EXPECT_FALSE(decoded.fromMpeg);
    EXPECT_EQ(decoded.pcm.rate, 44100);
    EXPECT_EQ(decoded.pcm.channels, 2);
}

TEST_F(AudioLoaderFiles, AcceptedFilesReadThroughTheCanonicalReader)
{
    std::vector<int16_t> mono = {100, -200, 300};
    const std::string path = Write("m.wav", test::PcmWave(1, 22050, 16, test::Samples16(mono)));
    std::vector<int16_t> stereo;
    ASSERT_TRUE(LoadCanonical(path, stereo));
    EXPECT_EQ(stereo, (std::vector<int16_t>{100, 100, 100, 100, -200, -200, -200, -200, 300, 300, 300, 300}));
    PcmAudio own;
    ASSERT_TRUE(LoadPcm(path, own));
    EXPECT_EQ(own.samples, mono);
    EXPECT_EQ(own.rate, 22050);
}

TEST_F(AudioLoaderFiles, LoopedFilesTakeTheLoopsLength)
{
    // 1000 frames of data, a loop whose total is 600 frames: 2400 bytes.
    const Bytes image = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16)},
                                         {"loop", test::Words32({0, 400, 0, 600})},
                                         {"data", Bytes(4000, 0x01)}});
    std::vector<int16_t> stereo;
    ASSERT_TRUE(LoadCanonical(Write("loop.wav", image), stereo));
    EXPECT_EQ(stereo.size() * 2, 2400u);
    // A total beyond the data gives what the data holds.
    const Bytes longLoop = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16)},
                                            {"loop", test::Words32({0, 400, 0, 60000})},
                                            {"data", Bytes(4000, 0x01)}});
    ASSERT_TRUE(LoadCanonical(Write("long.wav", longLoop), stereo));
    EXPECT_EQ(stereo.size() * 2, 4000u);
}

TEST_F(AudioLoaderFiles, ImportSizeEstimateFollowsTheRateRule)
{
    // 22 050 Hz mono 16-bit with 10 000 data bytes: 2 x 2 x 10 000.
    EXPECT_EQ(EstimateCanonicalBytes(Write("a.wav", test::PcmWave(1, 22050, 16, Bytes(10000)))), 40000);
    // 14 700 Hz stereo 8-bit: 3 x 2 x bytes.
    EXPECT_EQ(EstimateCanonicalBytes(Write("b.wav", test::PcmWave(2, 14700, 8, Bytes(900)))), 5400);
    // 24-bit at 44 100 Hz: decoded frames x 4.
    EXPECT_EQ(EstimateCanonicalBytes(Write("c.wav", test::PcmWave(2, 44100, 24, Bytes(600)))), 400);
    // 32 000 Hz IMA ADPCM, one block of 9 frames: resampled frames x 4.
    const Bytes ima = test::RiffImage({{"fmt ", test::FmtBody(0x11, 1, 32000, 4, 8)}, {"data", Bytes(8)}});
    EXPECT_EQ(EstimateCanonicalBytes(Write("d.wav", ima)), 12 * 4);
    // Silent MPEG frames: 1152 frames each at 44 100 Hz.
    EXPECT_EQ(EstimateCanonicalBytes(Write("e.mp3", test::SilentMpegFrames(5))), 5 * 1152 * 4);

    WaveHeaderResult result = WaveHeaderResult::Accepted;
    EXPECT_EQ(EstimateCanonicalBytes(m_dir / "missing.wav", &result), 0);
    EXPECT_EQ(result, WaveHeaderResult::Unreadable);
    const Bytes gsm = test::RiffImage({{"fmt ", test::FmtBody(0x31, 1, 8000, 0, 65)}, {"data", Bytes(65)}});
    EXPECT_EQ(EstimateCanonicalBytes(Write("f.wav", gsm), &result), 0);
    EXPECT_EQ(result, WaveHeaderResult::NeedsConversion);
}

TEST_F(AudioLoaderFiles, UndecodableFilesAreUnavailable)
{
    const Bytes gsm = test::RiffImage({{"fmt ", test::FmtBody(0x31, 1, 8000, 0, 65)}, {"data", Bytes(65)}});
    std::vector<int16_t> stereo;
    Error error;
    EXPECT_FALSE(LoadCanonical(Write("gsm.wav", gsm), stereo, &error));
    EXPECT_NE(error.message.find("format tag 49"), std::string::npos);
    EXPECT_FALSE(LoadCanonical(m_dir / "missing.wav", stereo, &error));
    DecodedSample decoded;
    EXPECT_FALSE(DecodeForConversion(Write("text.wav", Bytes{'R', 'I', 'F', 'F'}), decoded));
}

TEST_F(AudioLoaderFiles, WideContainersAtPlayableRatesAreDecodedNotReadAsPacked)
{
    // 44 100 Hz stereo with the valid bits at the top of 4-byte containers:
    // not accepted as packed samples, decoded to the right values.
    const Bytes image24 = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 24, 8)},
                                           {"data", test::Words32({0x12345600, -0x12345600, 0x7FFFFF00, 0})}});
    const Bytes image16 = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16, 8)},
                                           {"data", test::Words32({0x10000000, int32_t(0xF0000000), 0x7FFF0000, 0})}});
    const std::vector<std::pair<Bytes, std::vector<int16_t>>> cases = {
        {image24, {0x1234, -0x1235, 0x7FFF, 0}},
        {image16, {0x1000, -0x1000, 0x7FFF, 0}},
    };
    for (const auto& [image, expected] : cases) {
        const std::string path = Write("wide.wav", image);
        WaveHeaderInfo info;
        EXPECT_EQ(ReadWaveHeader(path, info), WaveHeaderResult::NeedsConversion);
        std::vector<int16_t> stereo;
        Error error;
        ASSERT_TRUE(LoadCanonical(path, stereo, &error)) << error.message;
        EXPECT_EQ(stereo, expected);
        EXPECT_EQ(EstimateCanonicalBytes(path), 8);
    }
}

TEST_F(AudioLoaderFiles, DamagedImaBlocksAreRefusedWithTheirFileOffset)
{
    // Two mono blocks of 8 bytes; the second block's step index is 100. The
    // data starts at byte 46 (an 18-byte "fmt " chunk with its extra size).
    Bytes data(16, 0);
    data[10] = 100;
    const Bytes image = test::RiffImage({{"fmt ", test::FmtBody(0x11, 1, 22050, 4, 8, Bytes{})}, {"data", data}});
    const std::string path = Write("ima.wav", image);
    std::vector<int16_t> stereo;
    Error error;
    EXPECT_FALSE(LoadCanonical(path, stereo, &error));
    EXPECT_EQ(error.category, ErrorCategory::Damaged);
    EXPECT_EQ(error.where, 46 + 10);
    EXPECT_EQ(EstimateCanonicalBytes(path), 0);
    DecodedSample decoded;
    EXPECT_FALSE(DecodeForConversion(path, decoded, &error));
    EXPECT_EQ(error.where, 46 + 10);
}

TEST_F(AudioLoaderFiles, MpegDataInsideAWaveFileIsEstimated)
{
    const Bytes image =
        test::RiffImage({{"fmt ", test::FmtBody(0x55, 2, 44100, 0, 1)}, {"data", test::SilentMpegFrames(4)}});
    const std::string path = Write("mpeg.wav", image);
    EXPECT_EQ(EstimateCanonicalBytes(path), 4 * 1152 * 4);
    std::vector<int16_t> stereo;
    ASSERT_TRUE(LoadCanonical(path, stereo));
    EXPECT_EQ(stereo.size(), 4u * 1152u * 2u);
}

TEST(AudioLoader, MpegDataIsTrimmedOnTheWayToCanonicalFrames)
{
    test::TempDir dir;
    const std::string path = dir / "tone.mp3";
    if (!test::MakeMp3(path, 2, 44100, 44100, 441, {"-b", "128"}))
        GTEST_SKIP() << "lame is not installed";
    PcmAudio own;
    std::vector<int16_t> stereo;
    ASSERT_TRUE(LoadPcm(path, own));
    ASSERT_TRUE(LoadCanonical(path, stereo));
    const size_t start = LeadingSilenceStart(own.samples, 2);
    EXPECT_EQ(stereo.size(), own.samples.size() - start);
    EXPECT_TRUE(std::equal(stereo.begin(), stereo.end(), own.samples.begin() + static_cast<ptrdiff_t>(start)));
}

TEST(AudioLoader, ResamplingGivesTheRatioOfFrames)
{
    for (const int rate : {8000, 12000, 32000, 48000, 96000}) {
        PcmAudio in;
        in.rate = rate;
        in.channels = 2;
        in.samples.assign(static_cast<size_t>(rate) / 10 * 2, 1000);
        PcmAudio out;
        ASSERT_TRUE(ResampleAudio(in, 44100, out));
        EXPECT_EQ(out.rate, 44100);
        EXPECT_NEAR(double(out.Frames()), 4410.0, 1.0) << rate;
        // A constant stays constant away from the edges.
        EXPECT_NEAR(out.samples[out.samples.size() / 2], 1000, 2) << rate;
    }
    PcmAudio none, out;
    EXPECT_FALSE(ResampleAudio(none, 44100, out));
}

TEST(AudioLoader, PcmToCanonicalRepeatsFramesLikeTheReader)
{
    PcmAudio pcm;
    pcm.rate = 14700;
    pcm.channels = 1;
    pcm.samples = {7, -7};
    std::vector<int16_t> stereo;
    ASSERT_TRUE(PcmToCanonical(pcm, stereo));
    EXPECT_EQ(stereo, (std::vector<int16_t>{7, 7, 7, 7, 7, 7, -7, -7, -7, -7, -7, -7}));
    pcm.rate = 48000;
    EXPECT_FALSE(PcmToCanonical(pcm, stereo));
}

TEST(EffectEnvelope, InterpolatesBetweenPointsAndHoldsTheLast)
{
    const std::vector<EffectPair> points = {{100, 32768}, {200, 0}, {400, 16384}};
    EXPECT_DOUBLE_EQ(EnvelopeValue(100, points), 1.0);
    EXPECT_DOUBLE_EQ(EnvelopeValue(150, points), 0.5);
    EXPECT_DOUBLE_EQ(EnvelopeValue(300, points), 0.25);
    EXPECT_DOUBLE_EQ(EnvelopeValue(400, points), 0.5);
    EXPECT_DOUBLE_EQ(EnvelopeValue(9999, points), 0.5);
    // Before the first point the first segment's line continues.
    EXPECT_DOUBLE_EQ(EnvelopeValue(50, points), 1.5);
    EXPECT_DOUBLE_EQ(EnvelopeValue(5, std::vector<EffectPair>{{10, 8192}}), 0.25);
    EXPECT_DOUBLE_EQ(EnvelopeValue(5, {}), 0.0);
    // Two points at one position do not divide by zero.
    EXPECT_DOUBLE_EQ(EnvelopeValue(5, std::vector<EffectPair>{{10, 8192}, {10, 0}}), 0.25);
}

} // namespace
} // namespace bm
