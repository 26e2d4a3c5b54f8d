#include "engine/audiofile/WaveDecoder.h"
#include "engine/audiofile/WaveFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace bm {
namespace {

using test::Bytes;

WaveFormat Format(const Bytes& record)
{
    WaveFormat format;
    EXPECT_TRUE(ParseWaveFormat(record, format));
    return format;
}

// The extensible record's extra bytes: valid bits, channel mask, GUID.
Bytes ExtensibleExtra(uint16_t validBits, uint16_t subTag)
{
    Bytes extra;
    AppendLE16(extra, validBits);
    AppendLE32(extra, 3);
    AppendLE16(extra, subTag);
    for (uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        extra.push_back(b);
    return extra;
}

Bytes Float32(std::initializer_list<float> values)
{
    Bytes out;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        AppendLE32(out, bits);
    }
    return out;
}

Bytes Float64(std::initializer_list<double> values)
{
    Bytes out;
    for (double v : values) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        AppendLE32(out, static_cast<uint32_t>(bits));
        AppendLE32(out, static_cast<uint32_t>(bits >> 32));
    }
    return out;
}

struct DecodeCase {
    const char* name;
    Bytes format;
    Bytes data;
    int channels;
    std::vector<int16_t> samples;
};

class WaveDecoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(WaveDecoding, GivesSixteenBitSamplesAndCountsThem)
{
    const DecodeCase& c = GetParam();
    const WaveFormat format = Format(c.format);
    PcmAudio pcm;
    Error error;
    ASSERT_TRUE(DecodeWaveData(format, c.data, pcm, &error)) << error.message;
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.rate, static_cast<int>(format.frameRate));
    EXPECT_EQ(pcm.samples, c.samples);
    int64_t frames = -1;
    ASSERT_TRUE(CountWaveFrames(format, c.data.size(), frames));
    EXPECT_EQ(frames, static_cast<int64_t>(pcm.Frames()));
}

const float kNaN = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    All, WaveDecoding,
    testing::Values(
        DecodeCase{"pcm8", test::FmtBody(1, 1, 8000, 8), {0x80, 0x00, 0xFF}, 1, {0, -32768, 32512}},
        DecodeCase{"pcm24",
                   test::FmtBody(1, 2, 48000, 24),
                   {0x00, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0x99, 0x00, 0x80, 0x00, 0x00, 0x00},
                   2,
                   {0x1234, -1, -32768, 0}},
        DecodeCase{"pcm32", test::FmtBody(1, 1, 96000, 32), {0x01, 0x02, 0x34, 0x12, 0, 0, 0xFF, 0x7F}, 1,
                   {0x1234, 32767}},
        DecodeCase{"float32", test::FmtBody(3, 1, 44100, 32), Float32({0.5f, -1.0f, 2.0f, kNaN}), 1,
                   {16384, -32768, 32767, 0}},
        DecodeCase{"float64", test::FmtBody(3, 2, 44100, 64), Float64({0.25, -0.25}), 2, {8192, -8192}},
        DecodeCase{"extensible pcm", test::FmtBody(0xFFFE, 1, 44100, 24, 3, ExtensibleExtra(20, 1)),
                   {0x00, 0x00, 0x40}, 1, {0x4000}},
        DecodeCase{"extensible float", test::FmtBody(0xFFFE, 1, 44100, 32, 4, ExtensibleExtra(32, 3)),
                   Float32({-0.5f}), 1, {-16384}},
        DecodeCase{"mu-law", test::FmtBody(7, 1, 8000, 8), {0xFF, 0x00, 0x80}, 1, {0, -32124, 32124}},
        DecodeCase{"a-law", test::FmtBody(6, 1, 8000, 8), {0xD5, 0x55, 0xAA, 0x2A}, 1, {8, -8, 32256, -32256}},
        // Four channels keep the first two.
        DecodeCase{"pcm16 quad", test::FmtBody(1, 4, 44100, 16), test::Words32({0x00020001, 0x00040003}), 2,
                   {1, 2}},
        // IMA: first sample 1000 at step index 0, then codes 7, 7 (+11, +30) and
        // codes 0, which add an eighth of the falling step.
        DecodeCase{"ima adpcm", test::FmtBody(0x11, 1, 22050, 4, 8, Bytes{0x09, 0x00}),
                   {0xE8, 0x03, 0x00, 0x00, 0x77, 0x00, 0x00, 0x00}, 1,
                   {1000, 1011, 1041, 1045, 1048, 1051, 1054, 1056, 1058}},
        // Microsoft ADPCM: predictor 0, delta 16, sample1 100, sample2 50,
        // then codes 1 and 0; the standard coefficients when none are given.
        DecodeCase{"ms adpcm", test::FmtBody(2, 1, 22050, 4, 8), {0x00, 0x10, 0x00, 100, 0, 50, 0, 0x10}, 1,
                   {50, 100, 116, 116}}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return test::TestName(info.param.name); });

TEST(WaveDecoding, ImaStereoInterleavesFourByteGroups)
{
    // Block: two 4-byte headers, then 4 bytes of left codes, 4 of right.
    const Bytes data = {0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, //
                        0x00, 0x00, 0x00, 0x00, 0x44, 0x44, 0x44, 0x44};
    PcmAudio pcm;
    ASSERT_TRUE(DecodeWaveData(Format(test::FmtBody(0x11, 2, 44100, 4, 16)), data, pcm));
    ASSERT_EQ(pcm.Frames(), 9u);
    EXPECT_EQ(pcm.samples[0], 16);
    EXPECT_EQ(pcm.samples[1], 32);
    EXPECT_EQ(pcm.samples[2], 16);  // code 0 with step 7 adds 0
    EXPECT_EQ(pcm.samples[3], 39);  // code 4 adds 0 + 7
}

TEST(WaveDecoding, ShortLastBlocksDecodeWhatTheyHold)
{
    // One full IMA block (9 frames), then a block cut after its header and
    // one group (9 more), or inside its header (nothing more).
    const Bytes twoBlocks = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    const WaveFormat ima = Format(test::FmtBody(0x11, 1, 44100, 4, 8));
    PcmAudio pcm;
    ASSERT_TRUE(DecodeWaveData(ima, twoBlocks, pcm));
    EXPECT_EQ(pcm.Frames(), 18u);
    ASSERT_TRUE(DecodeWaveData(ima, std::span(twoBlocks).first(12), pcm));
    EXPECT_EQ(pcm.Frames(), 10u);
    EXPECT_EQ(pcm.samples[9], 1);
    ASSERT_TRUE(DecodeWaveData(ima, std::span(twoBlocks).first(10), pcm));
    EXPECT_EQ(pcm.Frames(), 9u);
}

TEST(WaveDecoding, UnknownOrInconsistentEncodingsAreUnavailable)
{
    Bytes badGuid = ExtensibleExtra(16, 1);
    badGuid.back() ^= 1;
    Bytes zeroBlock = test::FmtBody(1, 2, 44100, 16);
    zeroBlock[12] = zeroBlock[13] = 0;
    const std::vector<Bytes> formats = {
        test::FmtBody(0x31, 1, 8000, 0, 65),               // GSM 6.10
        test::FmtBody(3, 1, 44100, 16),                     // 16-bit float
        test::FmtBody(1, 2, 44100, 16, 2),                  // block smaller than a frame
        test::FmtBody(0x11, 1, 44100, 3, 8),                // 3-bit IMA
        test::FmtBody(0x11, 1, 44100, 4, 7),                // IMA block not whole groups
        test::FmtBody(2, 2, 44100, 4, 10),                  // MS ADPCM block below its header
        test::FmtBody(1, 0, 44100, 16, 2),                  // no channels
        test::FmtBody(1, 1, 0, 16),                         // no rate
        test::FmtBody(0xFFFE, 1, 44100, 16, 2, badGuid),    // unknown sub-format
        test::FmtBody(0xFFFE, 1, 44100, 16, 2, Bytes(10)),  // extensible record cut short
        test::FmtBody(1, 1, 44100, 40, 5),                  // 40-bit PCM
        test::FmtBody(1, 2, 44100, 24, 7),                  // block not whole containers per channel
        test::FmtBody(1, 1, 44100, 16, 10),                 // 10-byte containers
        test::FmtBody(0xFFFE, 2, 44100, 32, 8, ExtensibleExtra(33, 1)), // valid bits beyond the container
        test::FmtBody(0xFFFE, 2, 44100, 24, 8, ExtensibleExtra(32, 1)), // valid bits beyond the bit count
        zeroBlock,
    };
    for (const Bytes& record : formats) {
        PcmAudio pcm;
        Error error;
        EXPECT_FALSE(DecodeWaveData(Format(record), Bytes(64, 0x55), pcm, &error));
        EXPECT_FALSE(error.message.empty());
        EXPECT_NE(error.category, ErrorCategory::Failed);
        EXPECT_TRUE(pcm.samples.empty());
        int64_t frames = 0;
        EXPECT_FALSE(CountWaveFrames(Format(record), 64, frames));
    }
}

// 24-bit samples in 4-byte containers, as recorders write them with a plain
// PCM header: the valid bits at the top of each container (left-justified,
// the layout the extensible header prescribes) or at the bottom with the
// sign extended into the top byte (right-justified).
Bytes Containers24(std::initializer_list<int32_t> values, bool leftJustified)
{
    Bytes out;
    for (int32_t v : values)
        AppendLE32(out, static_cast<uint32_t>(leftJustified ? v * 256 : v));
    return out;
}

TEST(WaveDecoding, TwentyFourBitsInFourByteContainersReadAsExtensibleDoes)
{
    // Stereo frames: the right channel is the left negated.
    const std::initializer_list<int32_t> values = {0x123456, -0x123456, -0x800000, 0x7FFFFF, 0x0000FF, -0x0000FF};
    const std::vector<int16_t> expected = {0x1234, -0x1235, -32768, 32767, 0, -1};
    const Bytes extensible = test::FmtBody(0xFFFE, 2, 48000, 32, 8, ExtensibleExtra(24, 1));
    for (const bool left : {true, false}) {
        SCOPED_TRACE(left ? "left-justified" : "right-justified");
        const Bytes data = Containers24(values, left);
        PcmAudio plain, reference;
        Error error;
        ASSERT_TRUE(DecodeWaveData(Format(test::FmtBody(1, 2, 48000, 24, 8)), data, plain, &error)) << error.message;
        EXPECT_EQ(plain.channels, 2);
        EXPECT_EQ(plain.samples, expected);
        ASSERT_TRUE(DecodeWaveData(Format(extensible), data, reference, &error)) << error.message;
        EXPECT_EQ(reference.samples, expected);
        int64_t frames = 0;
        ASSERT_TRUE(CountWaveFrames(Format(test::FmtBody(1, 2, 48000, 24, 8)), data.size(), frames));
        EXPECT_EQ(frames, 3);
    }
    // Mono, and 16 valid bits in 4-byte containers.
    PcmAudio pcm;
    ASSERT_TRUE(DecodeWaveData(Format(test::FmtBody(1, 1, 44100, 24, 4)), Containers24({0x400000, -1}, true), pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0x4000, -1}));
    ASSERT_TRUE(DecodeWaveData(Format(test::FmtBody(1, 2, 44100, 16, 8)), test::Words32({0x12340000, int32_t(0xFEDC0000)}), pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0x1234, -0x124}));
}

TEST(WaveDecoding, ImaBlocksWithImpossibleHeadersAreRefusedAtTheirOffset)
{
    // Three mono blocks of 8 bytes; the third block's header is damaged:
    // a step index above 88, or a reserved byte that is not 0.
    const WaveFormat ima = Format(test::FmtBody(0x11, 1, 22050, 4, 8));
    Bytes data(24, 0);
    PcmAudio pcm;
    ASSERT_TRUE(DecodeWaveData(ima, data, pcm));
    for (const auto& [at, value] : std::vector<std::pair<size_t, uint8_t>>{{18, 89}, {18, 0xFF}, {19, 1}}) {
        Bytes damaged = data;
        damaged[at] = value;
        Error error;
        EXPECT_FALSE(DecodeWaveData(ima, damaged, pcm, &error)) << at << ' ' << int(value);
        EXPECT_EQ(error.where, int64_t(at));
        EXPECT_EQ(error.category, ErrorCategory::Damaged);
        EXPECT_FALSE(error.message.empty());
        EXPECT_TRUE(pcm.samples.empty());
    }
    // The second channel's header of a stereo block counts as well.
    const WaveFormat stereo = Format(test::FmtBody(0x11, 2, 22050, 4, 16));
    Bytes block(16, 0);
    block[6] = 100;
    Error error;
    EXPECT_FALSE(DecodeWaveData(stereo, block, pcm, &error));
    EXPECT_EQ(error.where, 6);
}

TEST(WaveDecoding, HostileMsAdpcmCoefficientsStayInRange)
{
    // Huge coefficients and the largest codes: samples saturate, nothing
    // overflows.
    Bytes extra;
    AppendLE16(extra, 100);
    AppendLE16(extra, 1);
    AppendLE16(extra, 0x7FFF);
    AppendLE16(extra, 0x8000);
    Bytes data = {0x05, 0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80};
    data.resize(7 + 200, 0x77);
    PcmAudio pcm;
    ASSERT_TRUE(DecodeWaveData(Format(test::FmtBody(2, 1, 44100, 4, 207, extra)), data, pcm));
    EXPECT_EQ(pcm.Frames(), 402u);
}

} // namespace
} // namespace bm
