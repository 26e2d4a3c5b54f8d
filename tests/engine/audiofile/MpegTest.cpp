#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

using test::Bytes;

MpegFrameInfo Scan(const Bytes& bytes)
{
    MpegFrameInfo info;
    EXPECT_TRUE(ScanMpegHeader(bytes, info));
    return info;
}

Bytes Joined(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(MpegHeaderScan, ReadsRateChannelsAndBitRateOfTheFirstRun)
{
    // MPEG-1 at rate index 2: 32 000 Hz; bit-rate index 9: 128 kbit/s, so
    // 576-byte frames.
    MpegFrameInfo info = Scan(Joined({{0x00, 0x12}, test::MpegFrames({0xFF, 0xFB, 0x98, 0x64}, 576, 3)}));
    EXPECT_EQ(info.offset, 2u);
    EXPECT_EQ(info.version, 3);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.rate, 32000u);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.bitrateKbps, 128u);

    // MPEG-2.5 at index 2: 8000 Hz, single channel, bit-rate index 14: 160.
    info = Scan(test::MpegFrames({0xFF, 0xE3, 0xE8, 0xC0}, 1440, 3));
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.rate, 8000u);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bitrateKbps, 160u);

    // MPEG-2 index 1, bit-rate index 11 (112 for MPEG-2).
    info = Scan(test::MpegFrames({0xFF, 0xF3, 0xB4, 0x00}, 336, 3));
    EXPECT_EQ(info.rate, 24000u);
    EXPECT_EQ(info.bitrateKbps, 112u);

    // Layer II has its own bit rates: index 9 is 160 kbit/s, 522 bytes.
    info = Scan(test::MpegFrames({0xFF, 0xFD, 0x90, 0x00}, 522, 3));
    EXPECT_EQ(info.layer, 2);
    EXPECT_EQ(info.bitrateKbps, 160u);

    // Free format: the length is the distance to the next header.
    info = Scan(test::MpegFrames({0xFF, 0xFB, 0x00, 0x64}, 300, 4));
    EXPECT_EQ(info.bitrateIndex, 0);
    EXPECT_EQ(info.bitrateKbps, 0u);
}

TEST(MpegHeaderScan, ShortStreamsCountOnlyWhenTheyEndCleanly)
{
    const Bytes header = {0xFF, 0xFB, 0x90, 0x64};
    MpegFrameInfo info;
    // One or two frames that fill the data exactly, or end at a tag.
    EXPECT_TRUE(ScanMpegHeader(test::MpegFrames(header, 417, 1), info));
    EXPECT_TRUE(ScanMpegHeader(test::MpegFrames(header, 417, 2), info));
    Bytes tagged = test::MpegFrames(header, 417, 1);
    tagged.insert(tagged.end(), {'T', 'A', 'G'});
    tagged.resize(417 + 128, 0);
    EXPECT_TRUE(ScanMpegHeader(tagged, info));
    // Two agreeing headers, the second frame cut short: a truncated stream.
    Bytes truncated = test::MpegFrames(header, 417, 2);
    truncated.resize(417 + 100);
    EXPECT_TRUE(ScanMpegHeader(truncated, info));
    // A lone header whose frame ends elsewhere is no stream.
    Bytes lone = test::MpegFrames(header, 417, 1);
    lone.resize(300);
    EXPECT_FALSE(ScanMpegHeader(lone, info));
    lone.resize(500, 0);
    EXPECT_FALSE(ScanMpegHeader(lone, info));
    // Headers of another rate or channel count break the run.
    const Bytes mixed = Joined({test::MpegFrames(header, 417, 1), test::MpegFrames({0xFF, 0xFB, 0x90, 0xC4}, 417, 1),
                                test::MpegFrames(header, 417, 1), Bytes(10, 0)});
    EXPECT_FALSE(ScanMpegHeader(mixed, info));
    // The sync needs a second byte of 0xE0 or more and four header bytes.
    EXPECT_FALSE(ScanMpegHeader(Bytes{0xFF, 0xDF, 0x00, 0x00, 0xFF, 0xE0, 0x00}, info));
    EXPECT_FALSE(ScanMpegHeader(Bytes{}, info));
}

TEST(MpegHeaderScan, BuildsTheThirtyByteFormatRecord)
{
    // 192 kbit/s mono at 44 100 Hz: 626-byte frames.
    const Bytes record = MakeMpegFormatRecord(Scan(test::MpegFrames({0xFF, 0xFB, 0xB0, 0xC4}, 626, 3)));
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

// Random bytes, seeded, for payloads and junk.
Bytes RandomBytes(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes out(count);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(random());
    return out;
}

const Bytes kSilentHeader = {0xFF, 0xFB, 0x90, 0x64}; // MPEG-1 Layer III, 128 kbit/s, 44 100 Hz: 417 bytes

TEST(MpegStreamAcceptance, RandomBytesWithStraySyncsAreRefused)
{
    // 64 KB of noise holding isolated frame headers and pairs of them one
    // frame apart: never three in a row.
    Bytes noise = RandomBytes(65536, 5);
    for (size_t at = 0; at + 421 < noise.size(); at += 1500) {
        std::copy(kSilentHeader.begin(), kSilentHeader.end(), noise.begin() + std::ptrdiff_t(at));
        std::copy(kSilentHeader.begin(), kSilentHeader.end(), noise.begin() + std::ptrdiff_t(at + 417));
    }
    PcmAudio pcm;
    Error error;
    EXPECT_FALSE(DecodeMpeg(noise, pcm, &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_TRUE(pcm.samples.empty());
    MpegStream stream;
    EXPECT_FALSE(stream.Open(noise));
    int64_t frames;
    int rate, channels;
    EXPECT_FALSE(MeasureMpeg(noise, frames, rate, channels));
    MpegFrameInfo info;
    EXPECT_FALSE(ScanMpegHeader(noise, info));
}

TEST(MpegStreamAcceptance, ValidHeadersOverRandomPayloadsAreRefusedAsDamaged)
{
    Bytes frames;
    for (int i = 0; i < 150; ++i) {
        const Bytes payload = RandomBytes(413, uint32_t(i));
        frames.insert(frames.end(), kSilentHeader.begin(), kSilentHeader.end());
        frames.insert(frames.end(), payload.begin(), payload.end());
    }
    PcmAudio pcm;
    Error error;
    EXPECT_FALSE(DecodeMpeg(frames, pcm, &error));
    EXPECT_NE(error.message.find("damaged"), std::string::npos) << error.message;
    EXPECT_GE(error.where, 0);
    EXPECT_EQ(error.where % 417, 0);

    // A few damaged frames among good ones still decode.
    Bytes mostlyGood = test::SilentMpegFrames(40);
    for (size_t frame = 3; frame < 40; frame += 10) {
        const Bytes payload = RandomBytes(413, uint32_t(frame));
        std::copy(payload.begin(), payload.end(), mostlyGood.begin() + std::ptrdiff_t(frame * 417 + 4));
    }
    ASSERT_TRUE(DecodeMpeg(mostlyGood, pcm, &error)) << error.message;
    EXPECT_EQ(pcm.Frames(), 40u * 1152u);
}

TEST(MpegStreamAcceptance, StreamStartsAtTheFirstRunOfConsistentHeaders)
{
    // Junk with a stray header, a header with a reserved rate index, and a
    // pair of headers of another rate, then the real frames.
    Bytes file = RandomBytes(3000, 9);
    const Bytes stray = {0xFF, 0xFB, 0x90, 0x64};
    std::copy(stray.begin(), stray.end(), file.begin() + 100);
    const Bytes reservedRate = {0xFF, 0xFB, 0x9C, 0x64};
    std::copy(reservedRate.begin(), reservedRate.end(), file.begin() + 700);
    const Bytes otherRate = {0xFF, 0xFB, 0x94, 0x64}; // 48 000 Hz: 384 bytes
    std::copy(otherRate.begin(), otherRate.end(), file.begin() + 1200);
    std::copy(otherRate.begin(), otherRate.end(), file.begin() + 1584);
    for (size_t i = 0; i < file.size(); ++i) // no other syncs by chance
        if (file[i] == 0xFF && i != 100 && i != 700 && i != 1200 && i != 1584)
            file[i] = 0;
    const Bytes frames = test::SilentMpegFrames(6);
    file.insert(file.end(), frames.begin(), frames.end());

    MpegFrameInfo info;
    ASSERT_TRUE(ScanMpegHeader(file, info));
    EXPECT_EQ(info.offset, 3000u);
    EXPECT_EQ(info.rate, 44100u);
    PcmAudio pcm;
    Error error;
    ASSERT_TRUE(DecodeMpeg(file, pcm, &error)) << error.message;
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.Frames(), 6u * 1152u);
}

TEST(MpegStreamAcceptance, ReservedIndicesAreNoFrameHeaders)
{
    // Every frame carries a reserved rate, bit-rate, layer or version: no
    // header is found and the stream is refused with a reason.
    for (const Bytes& header : {Bytes{0xFF, 0xFB, 0x9C, 0x64}, Bytes{0xFF, 0xFB, 0xF0, 0x64},
                                Bytes{0xFF, 0xF9, 0x90, 0x64}, Bytes{0xFF, 0xEB, 0x90, 0x64}}) {
        Bytes file = test::SilentMpegFrames(8);
        for (size_t at = 0; at < file.size(); at += 417)
            std::copy(header.begin(), header.end(), file.begin() + std::ptrdiff_t(at));
        MpegFrameInfo info;
        EXPECT_FALSE(ScanMpegHeader(file, info)) << int(header[1]) << ' ' << int(header[2]);
        RawAudio raw;
        Error error;
        EXPECT_FALSE(LoadRawMpeg(file, raw, &error));
        EXPECT_FALSE(error.message.empty());
        PcmAudio pcm;
        EXPECT_FALSE(DecodeMpeg(file, pcm));
    }
}

// Silent MPEG-1 stereo frames (no CRC) with side information bits set: the
// main-data start (9 bits from byte 4), the first part 2-3 length (bits 20
// to 31) and big-value count (bits 32 to 40).
enum SideInfoDamage { kBigValues = 1, kLongPart = 2, kFarMainData = 4, kMainData300 = 8 };

Bytes FramesWithSideInfo(const std::vector<int>& damage)
{
    Bytes file = test::SilentMpegFrames(int(damage.size()));
    for (size_t i = 0; i < damage.size(); ++i) {
        uint8_t* frame = file.data() + i * 417;
        if (damage[i] & kBigValues) {
            frame[8] = 0xFF;
            frame[9] |= 0x80;
        }
        if (damage[i] & kLongPart) {
            frame[6] |= 0x0F;
            frame[7] = 0xFF;
        }
        if (damage[i] & kFarMainData) {
            frame[4] = 0xFF;
            frame[5] |= 0x80;
        }
        if (damage[i] & kMainData300) { // 300 = 0b100101100
            frame[4] = 0x96;
            frame[5] = 0x00;
        }
    }
    return file;
}

struct SideInfoCase {
    const char* name;
    std::vector<int> damage;
    int64_t damaged;
    bool decodes;
};

class MpegSideInformation : public testing::TestWithParam<SideInfoCase> {};

TEST_P(MpegSideInformation, DecidesWhichFramesAreDamaged)
{
    const SideInfoCase& c = GetParam();
    const Bytes file = FramesWithSideInfo(c.damage);
    MpegStreamSurvey survey;
    Error error;
    EXPECT_EQ(SurveyMpegStream(file, survey, &error), c.decodes) << error.message;
    EXPECT_EQ(survey.frames, int64_t(c.damage.size()));
    EXPECT_EQ(survey.damagedFrames, c.damaged);
    PcmAudio pcm;
    EXPECT_EQ(DecodeMpeg(file, pcm), c.decodes);
    if (!c.decodes) {
        EXPECT_EQ(error.category, ErrorCategory::Damaged);
        EXPECT_EQ(error.where % 417, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, MpegSideInformation,
    testing::Values(SideInfoCase{"clean", {0, 0, 0, 0}, 0, true},
                    SideInfoCase{"big values everywhere", {kBigValues, kBigValues, kBigValues, kBigValues}, 4, false},
                    SideInfoCase{"too long everywhere", {kLongPart, kLongPart, kLongPart}, 3, false},
                    // A stream cut from a longer one: the first frame reaches
                    // back before its start.
                    SideInfoCase{"cut stream", {kFarMainData, 0, 0, 0}, 1, true},
                    // The reservoir that silent frames leave is there to use.
                    SideInfoCase{"reservoir used", {0, kMainData300, kMainData300, 0}, 0, true},
                    SideInfoCase{"half damaged", {kBigValues, 0, kLongPart, 0}, 2, true},
                    SideInfoCase{"most damaged", {kBigValues, 0, kLongPart, kBigValues, 0}, 3, false}),
    [](const testing::TestParamInfo<SideInfoCase>& info) { return test::TestName(info.param.name); });

// Damaged and hostile MPEG data: refused, or bounded output, never a crash
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
    // Free-format headers every 4 bytes, rates taking turns: many
    // candidates, their frames far too short for side information.
    Bytes freeFormat;
    for (int i = 0; i < 20000; ++i)
        freeFormat.insert(freeFormat.end(), {0xFF, 0xFB, uint8_t((i % 3) << 2), 0x64});
    // Frames whose second header is damaged, then good frames again.
    Bytes gap = test::SilentMpegFrames(8);
    gap[417 * 3 + 1] = 0x00;
    const std::vector<std::tuple<const char*, Bytes, bool>> cases = {
        {"64 KB of 0xFF", Bytes(65536, 0xFF), false},
        {"huge ID3 size", id3, true},
        {"reserved bit-rate index", reservedBitrate, false},
        {"reserved rate index", reservedRate, false},
        {"truncated frame", truncated, false},
        {"empty", {}, false},
        {"free-format headers without partners", freeFormat, false},
        {"a damaged header among good frames", gap, true},
    };
    for (const auto& [name, bytes, decodes] : cases) {
        PcmAudio pcm;
        Error error;
        EXPECT_EQ(DecodeMpeg(bytes, pcm, &error), decodes) << name << ": " << error.message;
        if (decodes) {
            EXPECT_LE(pcm.Frames(), 16u * 1152u) << name;
            EXPECT_TRUE(pcm.channels == 1 || pcm.channels == 2) << name;
        } else {
            EXPECT_FALSE(error.message.empty()) << name;
        }
        int64_t count;
        int rate, channels;
        EXPECT_EQ(MeasureMpeg(bytes, count, rate, channels), decodes) << name;
        RawAudio raw;
        LoadRawMpeg(bytes, raw);
    }
}

} // namespace
} // namespace bm
