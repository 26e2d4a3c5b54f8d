#include "engine/audiofile/WaveFixture.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <map>

namespace bm {
namespace {

using test::Bytes;
using test::Chunk;
using test::FmtBody;
using test::RiffImage;
using test::Words32;

WaveHeaderResult Read(const Bytes& image, WaveHeaderInfo& info)
{
    MemoryByteSource source(image);
    return ReadWaveHeader(source, info);
}

Bytes Data(size_t n) { return Bytes(n, 0x11); }

TEST(WaveHeaderReader, AcceptsPcmAndRecordsTheDataChunk)
{
    WaveHeaderInfo info;
    const Bytes image = RiffImage({{"fmt ", FmtBody(1, 2, 22050, 16)}, {"data", Data(4000)}});
    ASSERT_EQ(Read(image, info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.formatTag, 1);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frameRate, 22050u);
    EXPECT_EQ(info.byteRate, 88200u);
    EXPECT_EQ(info.blockSize, 4);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.dataSize, 4000u);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.loop, LoopChunk{});
    EXPECT_EQ(info.tracks[0].enable, -1);
    EXPECT_TRUE(info.tracks[1].taps.empty());
}

struct FormatCase {
    uint16_t tag, channels;
    uint32_t rate;
    uint16_t bits;
    WaveHeaderResult expected;
};

class WaveHeaderFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(WaveHeaderFormats, DecidesBetweenReadingAndConverting)
{
    const FormatCase c = GetParam();
    WaveHeaderInfo info;
    const Bytes image = RiffImage({{"fmt ", FmtBody(c.tag, c.channels, c.rate, c.bits)}, {"data", Data(64)}});
    EXPECT_EQ(Read(image, info), c.expected);
}

// PCM at a rate other than 44 100 / n is converted, so it keeps its pitch.
INSTANTIATE_TEST_SUITE_P(All, WaveHeaderFormats,
                         testing::Values(FormatCase{1, 1, 11025, 8, WaveHeaderResult::Accepted},
                                         FormatCase{1, 2, 14700, 16, WaveHeaderResult::Accepted},
                                         FormatCase{1, 1, 44100, 16, WaveHeaderResult::Accepted},
                                         FormatCase{1, 2, 48000, 16, WaveHeaderResult::NeedsConversion},
                                         FormatCase{1, 2, 32000, 16, WaveHeaderResult::NeedsConversion},
                                         FormatCase{1, 1, 16000, 8, WaveHeaderResult::NeedsConversion},
                                         FormatCase{1, 1, 8000, 8, WaveHeaderResult::NeedsConversion},
                                         FormatCase{1, 2, 44100, 24, WaveHeaderResult::NeedsConversion},
                                         FormatCase{1, 6, 44100, 16, WaveHeaderResult::NeedsConversion},
                                         FormatCase{3, 2, 44100, 32, WaveHeaderResult::NeedsConversion},
                                         FormatCase{0x11, 1, 22050, 4, WaveHeaderResult::NeedsConversion}));

TEST(WaveHeaderReader, SnapsRatesToTheDivisorsOf44100)
{
    EXPECT_EQ(SnapPcmRate(8000), 11025u);
    EXPECT_EQ(SnapPcmRate(11025), 11025u);
    EXPECT_EQ(SnapPcmRate(11026), 14700u);
    EXPECT_EQ(SnapPcmRate(16000), 22050u);
    EXPECT_EQ(SnapPcmRate(32000), 44100u);
    EXPECT_EQ(SnapPcmRate(48000), 44100u);
    EXPECT_EQ(SnapPcmRate(0), 11025u);
}

TEST(WaveHeaderReader, AcceptsOnlyPackedSamples)
{
    // A block size other than channels x bytes per sample means wider
    // containers (or a damaged header): the decoder reads or refuses it.
    WaveHeaderInfo info;
    for (const uint16_t block : {2, 8, 9}) {
        ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16, block)}, {"data", Data(16)}}), info),
                  WaveHeaderResult::NeedsConversion)
            << block;
        EXPECT_EQ(info.blockSize, block); // kept as stored
    }
    Bytes zeroBlock = FmtBody(1, 1, 44100, 8);
    zeroBlock[12] = zeroBlock[13] = 0;
    ASSERT_EQ(Read(RiffImage({{"fmt ", zeroBlock}, {"data", Data(8)}}), info), WaveHeaderResult::NeedsConversion);
    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 1, 44100, 8, 0xFFFF)}, {"data", Data(8)}}), info),
              WaveHeaderResult::NeedsConversion);
    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 1, 22050, 8, 1)}, {"data", Data(8)}}), info),
              WaveHeaderResult::Accepted);
    EXPECT_EQ(info.blockSize, 1);
    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 2, 48000, 24)}, {"data", Data(6)}}), info),
              WaveHeaderResult::NeedsConversion);
    EXPECT_EQ(info.blockSize, 6);
    EXPECT_EQ(info.frameRate, 48000u);
}

TEST(WaveHeaderReader, LoopValuesBecomeCanonicalBytesOnlyWhenAccepted)
{
    WaveHeaderInfo info;
    const Chunk loop{"loop", Words32({100, 2000, 50, 4000})};
    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, loop, {"data", Data(16)}}), info),
              WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, (LoopChunk{400, 8000, 200, 16000}));

    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(3, 2, 44100, 32)}, loop, {"data", Data(16)}}), info),
              WaveHeaderResult::NeedsConversion);
    EXPECT_EQ(info.loop, (LoopChunk{100, 2000, 50, 4000}));

    // A body longer than 16 bytes supplies its first 16.
    const Chunk longLoop{"loop", Words32({1, 2, 3, 4, 5})};
    ASSERT_EQ(Read(RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, longLoop, {"data", Data(16)}}), info),
              WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, (LoopChunk{4, 8, 12, 16}));
}

TEST(WaveHeaderReader, LoopAndEffectChunksCountOnlyDirectlyAfterFormat)
{
    WaveHeaderInfo info;
    const Chunk fmt{"fmt ", FmtBody(1, 2, 44100, 16)};
    const Chunk loop{"loop", Words32({1, 2, 3, 4})};
    const Chunk effect{"m2st", Words32({0, 1, 0, 16384, 10, 5, 0, 0})};

    // RIFF, fmt, LIST, loop, data: the loop is not seen.
    ASSERT_EQ(Read(RiffImage({fmt, {"LIST", Bytes{'I', 'N', 'F', 'O'}}, loop, {"data", Data(8)}}), info),
              WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, LoopChunk{});
    EXPECT_EQ(info.dataOffset, 12u + 24u + 12u + 24u + 8u); // RIFF, fmt, LIST, loop, data header

    // A loop chunk of 12 bytes is ignored.
    ASSERT_EQ(Read(RiffImage({fmt, {"loop", Words32({1, 2, 3})}, {"data", Data(8)}}), info),
              WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, LoopChunk{});

    // loop then m2st: both seen.
    ASSERT_EQ(Read(RiffImage({fmt, loop, effect, {"data", Data(8)}}), info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, (LoopChunk{4, 8, 12, 16}));
    EXPECT_EQ(info.tracks[0].taps, (std::vector<EffectPair>{{16384, 10}}));
    EXPECT_EQ(info.tracks[1].enable, 5);

    // m2st then loop: the loop is not seen.
    ASSERT_EQ(Read(RiffImage({fmt, effect, loop, {"data", Data(8)}}), info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.loop, LoopChunk{});
    EXPECT_EQ(info.tracks[0].enable, 0);

    // Another chunk before m2st hides it.
    ASSERT_EQ(Read(RiffImage({fmt, {"JUNK", Data(3)}, effect, {"data", Data(8)}}), info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.tracks[0].enable, -1);
    EXPECT_EQ(info.dataSize, 8u);
}

TEST(WaveHeaderReader, EffectChunkParsesTracksAndClosesEnvelopes)
{
    const LoopChunk noLoop{};
    std::array<EffectTrack, 2> tracks;
    // Track 0: 2 taps, 2 envelope points; track 1: no taps, 1 point.
    const Bytes body = Words32({0, 2, 2, 32768, 0, 16384, 441, 0, 32768, 1000, 0,  //
                                -1, 0, 1, 500, 20000});
    ParseEffectChunk(body, noLoop, tracks);
    EXPECT_EQ(tracks[0].enable, 0);
    EXPECT_EQ(tracks[0].taps, (std::vector<EffectPair>{{32768, 0}, {16384, 441}}));
    EXPECT_EQ(tracks[0].envelope, (std::vector<EffectPair>{{0, 32768}, {1000, 0}, {1000, 0}}));
    EXPECT_EQ(tracks[1].enable, -1);
    EXPECT_EQ(tracks[1].envelope, (std::vector<EffectPair>{{500, 20000}, {500, 0}}));

    // With a loop span the closing point sits at the total length (frames).
    std::array<EffectTrack, 2> looped;
    ParseEffectChunk(body, LoopChunk{0, 100, 0, 7777}, looped);
    EXPECT_EQ(looped[0].envelope.back(), (EffectPair{7777, 0}));
    EXPECT_EQ(looped[1].envelope.back(), (EffectPair{7777, 0}));

    // Through the header reader the loop is still in frames at that point.
    WaveHeaderInfo info;
    const Bytes image = RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"loop", Words32({0, 10, 0, 300})},
                                   {"m2st", Words32({0, 0, 1, 5, 100, 0, 0, 0})}, {"data", Data(8)}});
    ASSERT_EQ(Read(image, info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.tracks[0].envelope, (std::vector<EffectPair>{{5, 100}, {300, 0}}));
    EXPECT_EQ(info.loop.total, 1200);
}

TEST(WaveHeaderReader, EffectChunkWithBadCountsIsIgnored)
{
    for (const Bytes& body : {Words32({0, -1, 0, 0, 0, 0}), Words32({0, 0, -5, 0, 0, 0}),
                              Words32({0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0}), Words32({0, 2, 0, 1, 2}),
                              Words32({0, 0, 0, 0, 1, 1, 3, 4}), Words32({7, 0})}) {
        std::array<EffectTrack, 2> tracks;
        ParseEffectChunk(body, LoopChunk{}, tracks);
        EXPECT_EQ(tracks, (std::array<EffectTrack, 2>{})) << "body of " << body.size() << " bytes";
    }
}

TEST(WaveHeaderReader, MpegPathsNeedConversionWithoutOpening)
{
    WaveHeaderInfo info;
    info.channels = 9;
    EXPECT_EQ(ReadWaveHeader("/no/such/folder/loop.mp3", info), WaveHeaderResult::NeedsConversion);
    EXPECT_EQ(ReadWaveHeader("/no/such/folder/LOOP.MP3", info), WaveHeaderResult::NeedsConversion);
    EXPECT_EQ(info, WaveHeaderInfo{});
    EXPECT_EQ(ReadWaveHeader("/no/such/folder/loop.wav", info), WaveHeaderResult::Unreadable);
    EXPECT_TRUE(IsMpegPath("a.Mp3"));
    EXPECT_FALSE(IsMpegPath("mp3"));
    EXPECT_FALSE(IsMpegPath("a.mp3.wav"));
}

// Damaged and hostile files: unreadable (0) or a bounded result, never a
// crash or a read past the end.
struct MalformedCase {
    const char* name;
    Bytes image;
};

Bytes Patched(Bytes image, size_t at, uint32_t value)
{
    WriteLE32(image.data() + at, value);
    return image;
}

std::vector<MalformedCase> MalformedWaves()
{
    const Bytes good = test::PcmWave(2, 44100, 16, Data(16));
    Bytes fmt15 = FmtBody(1, 2, 44100, 16);
    fmt15.pop_back();
    Bytes noWave = good;
    noWave[8] = 'X';
    // RIFF, fmt, a million empty "JUNK" chunks, data: written directly, as
    // a million chunk records would take much memory.
    Bytes manyChunks = RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}});
    for (int i = 0; i < 1'000'000; ++i) {
        AppendFourCC(manyChunks, "JUNK");
        AppendLE32(manyChunks, 0);
    }
    AppendFourCC(manyChunks, "data");
    AppendLE32(manyChunks, 4);
    AppendLE32(manyChunks, 0);
    WriteLE32(manyChunks.data() + 4, static_cast<uint32_t>(manyChunks.size() - 8));
    return {
        {"empty", {}},
        {"eleven bytes", Bytes(good.begin(), good.begin() + 11)},
        {"RIFF without WAVE", noWave},
        {"fmt size past the end", Patched(good, 16, 1000)},
        {"fmt size 0xFFFFFFFF", Patched(good, 16, 0xFFFFFFFF)},
        {"fmt shorter than 16", RiffImage({{"fmt ", fmt15}, {"data", Data(4)}})},
        {"odd chunk without its pad byte",
         RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"JUNK", Data(3), {}, false}, {"data", Data(4)}})},
        {"zero channels", RiffImage({{"fmt ", FmtBody(1, 0, 44100, 16, 4)}, {"data", Data(4)}})},
        {"65535 channels", RiffImage({{"fmt ", FmtBody(1, 0xFFFF, 44100, 16, 4)}, {"data", Data(4)}})},
        {"zero rate", RiffImage({{"fmt ", FmtBody(1, 2, 0, 16)}, {"data", Data(4)}})},
        {"no data chunk", RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"JUNK", Data(8)}})},
        {"loop chunk of 8 bytes", RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"loop", Data(8)}, {"data", Data(4)}})},
        {"loop size past the end", RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"loop", Data(16), 0xFFFFFFF0}})},
        {"negative m2st counts",
         RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"m2st", Words32({0, -3, -3})}, {"data", Data(4)}})},
        {"huge m2st counts",
         RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"m2st", Words32({0, 0x40000000, 0x40000000})}, {"data", Data(4)}})},
        {"m2st size past the end", RiffImage({{"fmt ", FmtBody(1, 2, 44100, 16)}, {"m2st", Data(12), 0x7FFFFFFF}})},
        {"data size past the end", Patched(good, 40, 0xFFFFFFFF)},
        {"RIFF size 0xFFFFFFFF", Patched(good, 4, 0xFFFFFFFF)},
        {"RIFF size 0", Patched(good, 4, 0)},
        {"a million empty chunks", manyChunks},
    };
}

TEST(WaveHeaderReader, MalformedFilesGiveBoundedResults)
{
    std::map<std::string, WaveHeaderResult> expected = {
        {"empty", WaveHeaderResult::Unreadable},
        {"eleven bytes", WaveHeaderResult::Unreadable},
        {"RIFF without WAVE", WaveHeaderResult::Unreadable},
        {"fmt size past the end", WaveHeaderResult::Unreadable},
        {"fmt size 0xFFFFFFFF", WaveHeaderResult::Unreadable},
        {"fmt shorter than 16", WaveHeaderResult::Unreadable},
        {"zero channels", WaveHeaderResult::NeedsConversion},
        {"65535 channels", WaveHeaderResult::NeedsConversion},
        {"zero rate", WaveHeaderResult::NeedsConversion},
        {"no data chunk", WaveHeaderResult::Unreadable},
        {"loop chunk of 8 bytes", WaveHeaderResult::Accepted},
        {"loop size past the end", WaveHeaderResult::Unreadable},
        {"negative m2st counts", WaveHeaderResult::Accepted},
        {"huge m2st counts", WaveHeaderResult::Accepted},
        {"m2st size past the end", WaveHeaderResult::Unreadable},
        {"data size past the end", WaveHeaderResult::Accepted},
        {"RIFF size 0xFFFFFFFF", WaveHeaderResult::Accepted},
        {"RIFF size 0", WaveHeaderResult::Unreadable},
        {"a million empty chunks", WaveHeaderResult::Accepted},
    };
    for (const MalformedCase& c : MalformedWaves()) {
        SCOPED_TRACE(c.name);
        WaveHeaderInfo info;
        const WaveHeaderResult result = Read(c.image, info);
        // Whatever the result, the data never lies outside the file.
        if (result != WaveHeaderResult::Unreadable) {
            EXPECT_LE(uint64_t(info.dataOffset) + info.dataSize, c.image.size());
        }
        auto it = expected.find(c.name);
        if (it == expected.end())
            continue;
        EXPECT_EQ(result, it->second);
        if (result == WaveHeaderResult::Accepted) {
            EXPECT_EQ(info.tracks[0], EffectTrack{});
        }
    }
    // A data chunk that claims more than the file holds counts what is there.
    WaveHeaderInfo info;
    ASSERT_EQ(Read(Patched(test::PcmWave(2, 44100, 16, Data(16)), 40, 0xFFFFFFFF), info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.dataSize, 16u);
}

} // namespace
} // namespace bm
