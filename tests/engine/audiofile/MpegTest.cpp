#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::Bytes;

MpegFrameInfo Scan(const Bytes& bytes)
{
    MpegFrameInfo info;
    EXPECT_TRUE(ScanMpegHeader(bytes, info));
    return info;
}

TEST(MpegHeaderScan, ReadsRateChannelsAndBitRateOfTheFirstSync)
{
    // MPEG-1 at rate index 2: 32 000 Hz; bit-rate index 9: 128 kbit/s.
    MpegFrameInfo info = Scan({0x00, 0x12, 0xFF, 0xFB, 0x98, 0x64});
    EXPECT_EQ(info.offset, 2u);
    EXPECT_EQ(info.version, 3);
    EXPECT_EQ(info.rate, 32000u);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.bitrateKbps, 128u);

    // MPEG-2.5 at index 2: 8000 Hz, single channel, bit-rate index 15: 320.
    info = Scan({0xFF, 0xE3, 0xF8, 0xC0});
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.rate, 8000u);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bitrateKbps, 320u);

    // MPEG-2 index 1, bit-rate index 11 (112 for MPEG-2).
    info = Scan({0xFF, 0xF3, 0xB4, 0x00});
    EXPECT_EQ(info.rate, 24000u);
    EXPECT_EQ(info.bitrateKbps, 112u);

    // Reserved version, reserved rate index, reserved bit-rate index: 0.
    EXPECT_EQ(Scan({0xFF, 0xEB, 0x00, 0x00}).rate, 0u);
    EXPECT_EQ(Scan({0xFF, 0xFB, 0x0C, 0x00}).rate, 0u);
    EXPECT_EQ(Scan({0xFF, 0xFB, 0xF0, 0x00}).bitrateKbps, 0u);

    // The sync needs a second byte of 0xE0 or more and four header bytes.
    MpegFrameInfo none;
    EXPECT_FALSE(ScanMpegHeader(Bytes{0xFF, 0xDF, 0x00, 0x00, 0xFF, 0xE0, 0x00}, none));
    EXPECT_FALSE(ScanMpegHeader(Bytes{}, none));
}

TEST(MpegHeaderScan, BuildsTheThirtyByteFormatRecord)
{
    const Bytes record = MakeMpegFormatRecord(Scan({0xFF, 0xFB, 0xB0, 0xC4}));
    const Bytes expected = {0x55, 0x00, 0x01, 0x00, 0x44, 0xAC, 0x00, 0x00, // tag 85, mono, 44 100 Hz
                            0xC0, 0x5D, 0x00, 0x00,                         // 24 000 bytes/s (192 kbit/s)
                            0x01, 0x00, 0x00, 0x00, 0x0C, 0x00,             // block 1, 0 bits, extra 12
                            0x01, 0x00, 0x02, 0x00, 0x00, 0x00,             // MPEG, padding off
                            0xA1, 0x01, 0x01, 0x00, 0x71, 0x05};            // 417, 1, 1393
    EXPECT_EQ(record, expected);
}

TEST(MpegRawLoader, TreatsMp3InCapitalsAsMpeg)
{
    test::TempDir dir;
    const Bytes file = test::SilentMpegFrames(3);
    ASSERT_TRUE(test::WriteFile(dir / "LOOP.MP3", test::AsString(file)));
    RawAudio raw;
    ASSERT_TRUE(LoadRaw(dir / "LOOP.MP3", raw));
    EXPECT_TRUE(raw.isMpegFile);
    EXPECT_EQ(raw.data, file);
    WaveFormat format;
    ASSERT_TRUE(ParseWaveFormat(raw.format, format));
    EXPECT_EQ(format.formatTag, kWaveFormatMpegLayer3);
    EXPECT_EQ(format.frameRate, 44100u);

    // The same bytes under a wave name are not MPEG.
    ASSERT_TRUE(test::WriteFile(dir / "loop.wav", test::AsString(file)));
    EXPECT_FALSE(LoadRaw(dir / "loop.wav", raw));
    // No sync at all.
    ASSERT_TRUE(test::WriteFile(dir / "text.mp3", "just text"));
    Error error;
    EXPECT_FALSE(LoadRaw(dir / "text.mp3", raw, &error));
    EXPECT_FALSE(error.message.empty());
}

TEST(MpegDecoding, HandMadeFramesDecodeToSilence)
{
    PcmAudio pcm;
    ASSERT_TRUE(DecodeMpeg(test::SilentMpegFrames(10), pcm));
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.Frames(), 10u * 1152u);
    EXPECT_EQ(*std::max_element(pcm.samples.begin(), pcm.samples.end()), 0);
}

TEST(MpegDecoding, FailedInitialisationMakesOnlyMpegUnavailable)
{
    SetMpegDecoderInitialiserForTesting([] { return false; });
    PcmAudio pcm;
    Error error;
    EXPECT_FALSE(InitialiseMpegDecoder());
    EXPECT_FALSE(DecodeMpeg(test::SilentMpegFrames(2), pcm, &error));
    EXPECT_NE(error.message.find("not available"), std::string::npos);
    int64_t frames;
    int rate, channels;
    EXPECT_FALSE(MeasureMpeg(test::SilentMpegFrames(2), frames, rate, channels));
    // Wave decoding is untouched.
    RawAudio raw;
    raw.format = test::FmtBody(1, 1, 48000, 16);
    raw.data = test::Words32({0x00020001});
    EXPECT_TRUE(DecodeRaw(raw, pcm));
    EXPECT_EQ(pcm.Frames(), 2u);

    SetMpegDecoderInitialiserForTesting(nullptr);
    EXPECT_TRUE(InitialiseMpegDecoder());
    EXPECT_TRUE(DecodeMpeg(test::SilentMpegFrames(2), pcm));
}

struct Mp3Case {
    int channels, rate;
    std::vector<std::string> options;
    int decodedRate;     // the stream's own rate
    int conversionRate;  // after the rate rule
};

class MpegEncodings : public testing::TestWithParam<Mp3Case> {};

TEST_P(MpegEncodings, DecodeAtTheirOwnRateAndConvertByTheRule)
{
    const Mp3Case c = GetParam();
    test::TempDir dir;
    const std::string path = dir / "tone.mp3";
    if (!test::MakeMp3(path, c.channels, c.rate, c.rate, 441, c.options))
        GTEST_SKIP() << "lame is not installed";

    PcmAudio own;
    Error error;
    ASSERT_TRUE(LoadPcm(path, own, &error)) << error.message;
    EXPECT_EQ(own.rate, c.decodedRate);
    EXPECT_EQ(own.channels, c.channels);
    // One second of tone, give or take the encoder's delay and padding
    // (short files at low rates carry a large share of it).
    EXPECT_NEAR(double(own.Frames()), c.decodedRate, c.decodedRate * 0.2);
    EXPECT_GT(*std::max_element(own.samples.begin(), own.samples.end()), 8000);

    DecodedSample converted;
    ASSERT_TRUE(DecodeForConversion(path, converted, &error)) << error.message;
    EXPECT_TRUE(converted.fromMpeg);
    EXPECT_EQ(converted.pcm.rate, c.conversionRate);
    EXPECT_NEAR(double(converted.pcm.Frames()), double(own.Frames()) * c.conversionRate / c.decodedRate, 2.0);

    // Canonical frames last as long as the tone does, at any source rate.
    std::vector<int16_t> canonical;
    ASSERT_TRUE(LoadCanonical(path, canonical, &error)) << error.message;
    EXPECT_NEAR(double(canonical.size()) / 2, 44100.0, 44100 * 0.2);
    const int64_t estimate = EstimateCanonicalBytes(path);
    EXPECT_NEAR(double(estimate), double(canonical.size()) * 2, 44100 * 4 * 0.2);
}

// MPEG-1 at 32 000 Hz, MPEG-2.5 at 8000 Hz and MPEG-2 at 24 000 Hz are
// resampled; 44 100 and 22 050 Hz are kept.
INSTANTIATE_TEST_SUITE_P(All, MpegEncodings,
                         testing::Values(Mp3Case{2, 44100, {"-b", "128"}, 44100, 44100},
                                         Mp3Case{2, 32000, {"-b", "128"}, 32000, 44100},
                                         Mp3Case{1, 22050, {"-b", "32"}, 22050, 22050},
                                         Mp3Case{1, 24000, {"-b", "32", "--resample", "24"}, 24000, 44100},
                                         Mp3Case{1, 8000, {"-b", "16", "--resample", "8"}, 8000, 44100}));

TEST(MpegDecoding, FormatChangeInsideAStreamKeepsTheFirstFormat)
{
    test::TempDir dir;
    if (!test::MakeMp3(dir / "a.mp3", 2, 44100, 44100, 441) || !test::MakeMp3(dir / "b.mp3", 1, 22050, 22050, 441))
        GTEST_SKIP() << "lame is not installed";
    PcmAudio first, second, joined;
    ASSERT_TRUE(LoadPcm(dir / "a.mp3", first));
    ASSERT_TRUE(LoadPcm(dir / "b.mp3", second));
    const std::string both = test::ReadFile(dir / "a.mp3") + test::ReadFile(dir / "b.mp3");
    ASSERT_TRUE(DecodeMpeg(Bytes(both.begin(), both.end()), joined));
    EXPECT_EQ(joined.rate, 44100);
    EXPECT_EQ(joined.channels, 2);
    // The second part, mono at half the rate, takes twice its frames.
    EXPECT_NEAR(double(joined.Frames()), double(first.Frames() + 2 * second.Frames()), 4000.0);
}

TEST(MpegDecoding, LeadingSilenceTrimKeepsAHundredSamplesBeforeTheOnset)
{
    std::vector<int16_t> stereo(20000, 0);
    stereo[501] = -1001; // the right sample of frame 250
    EXPECT_EQ(LeadingSilenceStart(stereo, 2), 400u);
    stereo[501] = 1000; // not above the threshold
    EXPECT_EQ(LeadingSilenceStart(stereo, 2), 0u);
    stereo[7999] = 2000; // the last sample scanned (2 x 4000)
    EXPECT_EQ(LeadingSilenceStart(stereo, 2), 7898u);
    stereo[7999] = 0;
    stereo[8000] = 2000; // beyond the scan: everything is kept
    EXPECT_EQ(LeadingSilenceStart(stereo, 2), 0u);

    std::vector<int16_t> mono(150, 0);
    mono[60] = 5000; // fewer than 100 samples before it
    EXPECT_EQ(LeadingSilenceStart(mono, 1), 0u);
    mono[60] = 0;
    mono[149] = 5000;
    EXPECT_EQ(LeadingSilenceStart(mono, 1), 49u);
    EXPECT_EQ(LeadingSilenceStart(std::vector<int16_t>{30000, 30000}, 1), 0u);
}

// Damaged and hostile MPEG data: failure or bounded output, never a crash
// or a hang.
TEST(MpegDecoding, MalformedStreamsFailOrStayBounded)
{
    Bytes id3 = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    const Bytes frames = test::SilentMpegFrames(4);
    id3.insert(id3.end(), frames.begin(), frames.end());
    Bytes reservedBitrate = test::SilentMpegFrames(4);
    Bytes reservedRate = test::SilentMpegFrames(4);
    for (size_t at = 0; at < reservedBitrate.size(); at += 417) {
        reservedBitrate[at + 2] = 0xF0;
        reservedRate[at + 2] = 0x9C;
    }
    const Bytes truncated(frames.begin(), frames.begin() + 200);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"64 KB of 0xFF", Bytes(65536, 0xFF)},
        {"huge ID3 size", id3},
        {"reserved bit-rate index", reservedBitrate},
        {"reserved rate index", reservedRate},
        {"truncated frame", truncated},
        {"empty", {}},
    };
    for (const auto& [name, bytes] : cases) {
        PcmAudio pcm;
        if (DecodeMpeg(bytes, pcm)) {
            EXPECT_LE(pcm.Frames(), 16u * 1152u) << name;
            EXPECT_TRUE(pcm.channels == 1 || pcm.channels == 2) << name;
        }
        int64_t count;
        int rate, channels;
        MeasureMpeg(bytes, count, rate, channels);
        RawAudio raw;
        LoadRawMpeg(bytes, raw);
    }
}

} // namespace
} // namespace bm
