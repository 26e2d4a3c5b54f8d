#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/WaveFixture.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <numeric>

namespace bm {
namespace {

using test::Bytes;

// Opens an in-memory wave image through the header reader.
struct OpenImage {
    Bytes image;
    WaveHeaderInfo info;
    CanonicalReader reader;

    explicit OpenImage(Bytes bytes, size_t prepare = 4096) : image(std::move(bytes))
    {
        MemoryByteSource header(image);
        EXPECT_EQ(ReadWaveHeader(header, info), WaveHeaderResult::Accepted);
        EXPECT_TRUE(reader.Open(std::make_unique<MemoryByteSource>(image), info));
        reader.Prepare(prepare);
    }

    std::vector<int16_t> ReadFrames(size_t frames)
    {
        Bytes out(frames * 4, 0xEE);
        const int64_t got = reader.Read(out);
        out.resize(static_cast<size_t>(got));
        std::vector<int16_t> samples(out.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = ReadLE16s(&out[i * 2]);
        return samples;
    }
};

// Source frame i of a stereo 16-bit test file: left i, right -i - 1.
Bytes StereoRamp(size_t frames)
{
    std::vector<int16_t> samples;
    for (size_t i = 0; i < frames; ++i) {
        samples.push_back(static_cast<int16_t>(i));
        samples.push_back(static_cast<int16_t>(-int(i) - 1));
    }
    return test::Samples16(samples);
}

TEST(CanonicalReader, RepeatsFramesOfA22050HzStereoFile)
{
    OpenImage file(test::PcmWave(2, 22050, 16, StereoRamp(1000)));
    EXPECT_EQ(file.reader.Length(), 8000);
    const auto samples = file.ReadFrames(2000);
    ASSERT_EQ(samples.size(), 4000u);
    // Canonical frame 1 repeats source frame 0, left to left, right to right.
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], -1);
    EXPECT_EQ(samples[2], 0);
    EXPECT_EQ(samples[3], -1);
    EXPECT_EQ(samples[4], 1);
    EXPECT_EQ(samples[5], -2);
    EXPECT_EQ(samples[3998], 999);
    EXPECT_EQ(samples[3999], -1000);
    EXPECT_EQ(file.reader.Position(), 8000);
    EXPECT_EQ(file.ReadFrames(10).size(), 0u);
}

struct RateCase {
    uint32_t rate;
    uint16_t channels, bits;
};

class CanonicalReaderRates : public testing::TestWithParam<RateCase> {};

TEST_P(CanonicalReaderRates, LengthReadAndPiecesAgree)
{
    const RateCase c = GetParam();
    const size_t frames = 997;
    const size_t block = c.channels * c.bits / 8u;
    Bytes data(frames * block);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 37 + 11);
    const int64_t repeat = 44100 / c.rate;
    const int64_t expected = int64_t(4 / block) * repeat * int64_t(data.size());

    OpenImage whole(test::PcmWave(c.channels, c.rate, c.bits, data), 1 << 20);
    EXPECT_EQ(whole.reader.Length(), expected);
    const auto all = whole.ReadFrames(static_cast<size_t>(expected / 4) + 100);
    EXPECT_EQ(int64_t(all.size() * 2), expected);
    // Every canonical frame f comes from source frame f * R / 44100.
    for (size_t f = 0; f < all.size() / 2; f += 7) {
        const uint8_t* src = &data[(f / static_cast<size_t>(repeat)) * block];
        const int16_t left = c.bits == 16 ? ReadLE16s(src) : static_cast<int16_t>((src[0] - 128) * 256);
        const uint8_t* r = c.channels == 2 ? src + c.bits / 8 : src;
        const int16_t right = c.bits == 16 ? ReadLE16s(r) : static_cast<int16_t>((r[0] - 128) * 256);
        ASSERT_EQ(all[f * 2], left) << f;
        ASSERT_EQ(all[f * 2 + 1], right) << f;
    }

    // A small scratch block (pieces) gives the same bytes as one large read.
    OpenImage pieces(test::PcmWave(c.channels, c.rate, c.bits, data), 100);
    EXPECT_EQ(pieces.ReadFrames(all.size() / 2), all);

    // Reads of many small sizes give the same stream when they are whole
    // multiples of the repeat pattern.
    OpenImage small(test::PcmWave(c.channels, c.rate, c.bits, data), 4096);
    std::vector<int16_t> joined;
    for (;;) {
        auto part = small.ReadFrames(48);
        if (part.empty())
            break;
        joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(joined, all);
}

INSTANTIATE_TEST_SUITE_P(All, CanonicalReaderRates,
                         testing::Values(RateCase{11025, 1, 8}, RateCase{11025, 2, 16}, RateCase{14700, 1, 16},
                                         RateCase{14700, 2, 8}, RateCase{22050, 2, 16}, RateCase{22050, 1, 8},
                                         RateCase{44100, 1, 16}, RateCase{44100, 2, 16}, RateCase{44100, 2, 8}));

TEST(CanonicalReader, EightBitMonoFeedsBothChannels)
{
    OpenImage file(test::PcmWave(1, 11025, 8, Bytes{0x80, 0xFF, 0x00}));
    EXPECT_EQ(file.reader.Length(), 4 * 4 * 3);
    const auto samples = file.ReadFrames(12);
    ASSERT_EQ(samples.size(), 24u);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[7], 0);
    EXPECT_EQ(samples[8], 127 * 256);
    EXPECT_EQ(samples[9], 127 * 256);
    EXPECT_EQ(samples[23], -32768);
}

TEST(CanonicalReader, SeekAndPositionUseCanonicalBytes)
{
    OpenImage file(test::PcmWave(2, 22050, 16, StereoRamp(1000)));
    file.reader.Seek(800); // canonical frame 200 = source frame 100
    EXPECT_EQ(file.reader.Position(), 800);
    const auto first = file.ReadFrames(1);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0], 100);

    // 14 700 Hz: file position O + p x B / 4 x 5 / 16; canonical frame 48
    // lands on source frame 15 (not 16).
    OpenImage slow(test::PcmWave(2, 14700, 16, StereoRamp(100)));
    slow.reader.Seek(192);
    EXPECT_EQ(slow.reader.Position(), 15 * 4 * 3);
    const auto frames = slow.ReadFrames(3);
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0], 15);
    EXPECT_EQ(frames[4], 15);
    // One canonical frame needs a third of a source frame: nothing whole.
    EXPECT_TRUE(slow.ReadFrames(1).empty());

    // A position inside a source frame moves back to its start, so samples
    // are never paired from the wrong bytes.
    file.reader.Seek(4);
    EXPECT_EQ(file.reader.Position(), 0);
    EXPECT_EQ(file.ReadFrames(2), (std::vector<int16_t>{0, -1, 0, -1}));
    file.reader.Seek(-40);
    EXPECT_EQ(file.reader.Position(), 0);
}

TEST(CanonicalReader, LoopTotalIsTheLengthOfALoopedFile)
{
    const Bytes image = test::RiffImage({{"fmt ", test::FmtBody(1, 1, 22050, 16)},
                                         {"loop", test::Words32({0, 300, 0, 500})},
                                         {"data", Bytes(2000)}});
    OpenImage file(image);
    EXPECT_EQ(file.reader.Length(), 2000);
    EXPECT_EQ(CanonicalLength(file.info), 2000);
    // Without a loop span the total is not used.
    WaveHeaderInfo info = file.info;
    info.loop.span = 0;
    EXPECT_EQ(CanonicalLength(info), 2 * 2 * 2000);
}

TEST(CanonicalReader, ReadsStopAtTheEndOfTheDataChunk)
{
    // A chunk after "data" is not read as audio.
    const Bytes image = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16)},
                                         {"data", StereoRamp(10)},
                                         {"LIST", Bytes(64, 0x7F)}});
    OpenImage file(image);
    EXPECT_EQ(file.ReadFrames(100).size(), 20u);
}

TEST(CanonicalReader, RefusesWhatTheHeaderReaderDidNotAccept)
{
    CanonicalReader reader;
    WaveHeaderInfo info;
    info.formatTag = 1;
    info.channels = 2;
    info.bitsPerSample = 16;
    info.blockSize = 4;
    info.frameRate = 48000;
    Bytes none;
    EXPECT_FALSE(reader.Open(std::make_unique<MemoryByteSource>(none), info));
    EXPECT_FALSE(reader.Open("/no/such/file.wav", info));
    Bytes out(16);
    EXPECT_EQ(reader.Read(out), 0);
}

} // namespace
} // namespace bm
