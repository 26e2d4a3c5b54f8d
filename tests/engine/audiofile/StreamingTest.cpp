#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/CanonicalDecoder.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/SincResampler.h"
#include "engine/audiofile/WaveDataDecoder.h"
#include "engine/audiofile/WavStreamWriter.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace bm {
namespace {

using test::Bytes;

// Reads a decoder to its end in pieces of the given sizes, in turn.
std::vector<int16_t> ReadInPieces(CanonicalDecoder& decoder, std::vector<size_t> sizes)
{
    std::vector<int16_t> all;
    for (size_t i = 0;; ++i) {
        std::vector<int16_t> piece(sizes[i % sizes.size()], 0x5555);
        const size_t n = decoder.Read(piece);
        if (n == 0)
            break;
        EXPECT_EQ(n % 2, 0u);
        all.insert(all.end(), piece.begin(), piece.begin() + static_cast<ptrdiff_t>(n));
    }
    return all;
}

class CanonicalDecoderPieces : public testing::TestWithParam<std::string> {};

TEST_P(CanonicalDecoderPieces, SmallOddPiecesGiveWhatOneLargeReadGives)
{
    test::TempDir dir;
    const std::string kind = GetParam();
    std::string path = dir / "a.wav";
    if (kind == "accepted 14700 mono") {
        ASSERT_TRUE(test::WriteFile(path, test::AsString(test::SineWave(1, 14700, 3001, 300))));
    } else if (kind == "ima 8000") {
        // Blocks of 8 bytes: a header (first sample, a step index of at
        // most 88, a reserved 0), then varied codes.
        Bytes data(8 * 500);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<uint8_t>(i * 29);
        for (size_t at = 0; at < data.size(); at += 8) {
            data[at + 2] = static_cast<uint8_t>(at / 8 % 89);
            data[at + 3] = 0;
        }
        ASSERT_TRUE(test::WriteFile(path, test::AsString(test::RiffImage(
                                              {{"fmt ", test::FmtBody(0x11, 1, 8000, 4, 8)}, {"data", data}}))));
    } else if (kind == "mpeg 44100") {
        path = dir / "a.mp3";
        ASSERT_TRUE(test::WriteFile(path, test::AsString(test::SilentMpegFrames(7))));
    } else if (kind == "mpeg 22050 mono" || kind == "mpeg 48000") {
        path = dir / "a.mp3";
        const bool low = kind == "mpeg 22050 mono";
        if (!test::MakeMp3(path, low ? 1 : 2, low ? 22050 : 48000, 20000, 441, {"-b", low ? "32" : "128"}))
            GTEST_SKIP() << "lame is not installed";
    }
    std::vector<int16_t> whole;
    Error error;
    ASSERT_TRUE(LoadCanonical(path, whole, &error)) << error.message;
    ASSERT_FALSE(whole.empty());
    CanonicalDecoder decoder;
    ASSERT_TRUE(decoder.Open(path, &error)) << error.message;
    EXPECT_EQ(ReadInPieces(decoder, {2, 14, 1000, 6, 4098}), whole);
    std::vector<int16_t> more(10);
    EXPECT_EQ(decoder.Read(more), 0u);
}

INSTANTIATE_TEST_SUITE_P(All, CanonicalDecoderPieces,
                         testing::Values("accepted 14700 mono", "ima 8000", "mpeg 44100", "mpeg 22050 mono",
                                         "mpeg 48000"));

TEST(CanonicalDecoder, FailsForWhatCannotBeRead)
{
    test::TempDir dir;
    CanonicalDecoder decoder;
    Error error;
    EXPECT_FALSE(decoder.Open(dir / "missing.wav", &error));
    ASSERT_TRUE(test::WriteFile(dir / "x.mp3", std::string(5000, '\xFF')));
    EXPECT_FALSE(decoder.Open(dir / "x.mp3", &error));
    std::vector<int16_t> out(10);
    EXPECT_EQ(decoder.Read(out), 0u);
}

// Wave images whose data spans several of the decoder's pieces (64 KB),
// each with a length that leaves a short last unit.
struct WaveImageCase {
    const char* name;
    Bytes format;
    size_t unitBytes;
    int channels; // of the file
};

Bytes VariedData(const WaveImageCase& c, size_t units)
{
    std::mt19937 random(7);
    Bytes data(units * c.unitBytes + c.unitBytes / 2);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(random());
    const std::string name = c.name;
    for (size_t at = 0; at + c.unitBytes <= data.size() + c.unitBytes / 2; at += c.unitBytes) {
        for (int ch = 0; ch < c.channels && at + 4 * size_t(ch) + 3 < data.size(); ++ch) {
            if (name.starts_with("ima")) { // step index and reserved byte
                data[at + 4 * size_t(ch) + 2] %= 89;
                data[at + 4 * size_t(ch) + 3] = 0;
            }
        }
        if (name == "pcm24 right-justified") { // sign-extended top bytes
            for (size_t k = at; k + 4 <= std::min(at + c.unitBytes, data.size()); k += 4)
                data[k + 3] = (data[k + 2] & 0x80) ? 0xFF : 0x00;
        }
    }
    return data;
}

class WaveDataDecoderPieces : public testing::TestWithParam<WaveImageCase> {};

TEST_P(WaveDataDecoderPieces, JoinToTheWholeDecode)
{
    const WaveImageCase& c = GetParam();
    const Bytes data = VariedData(c, 70000 / c.unitBytes * 3);
    const Bytes image = test::RiffImage({{"fmt ", c.format}, {"data", data}});
    WaveFormat format;
    ASSERT_TRUE(ParseWaveFormat(c.format, format));
    PcmAudio whole;
    Error error;
    ASSERT_TRUE(DecodeWaveData(format, data, whole, &error)) << error.message;

    WaveDataDecoder decoder;
    ASSERT_TRUE(decoder.Open(std::make_unique<MemoryByteSource>(image), &error)) << error.message;
    EXPECT_EQ(decoder.Rate(), whole.rate);
    EXPECT_EQ(decoder.Channels(), whole.channels);
    EXPECT_EQ(decoder.Frames(), int64_t(whole.Frames()));
    std::vector<int16_t> joined, piece;
    int pieces = 0;
    while (decoder.Next(piece, &error)) {
        joined.insert(joined.end(), piece.begin(), piece.end());
        ++pieces;
    }
    EXPECT_FALSE(decoder.Failed()) << error.message;
    EXPECT_GE(pieces, 3);
    EXPECT_EQ(joined, whole.samples);
}

Bytes ImaStereoExtra() { return Bytes{0xF9, 0x01}; }

INSTANTIATE_TEST_SUITE_P(
    All, WaveDataDecoderPieces,
    testing::Values(WaveImageCase{"pcm16 48000", test::FmtBody(1, 2, 48000, 16), 4, 2},
                    WaveImageCase{"pcm24 right-justified", test::FmtBody(1, 2, 48000, 24, 8), 8, 2},
                    WaveImageCase{"pcm8 mono", test::FmtBody(1, 1, 8000, 8), 1, 1},
                    WaveImageCase{"float quad", test::FmtBody(3, 4, 96000, 32), 16, 4},
                    WaveImageCase{"ima stereo", test::FmtBody(0x11, 2, 32000, 4, 1024, ImaStereoExtra()), 1024, 2},
                    WaveImageCase{"ms adpcm", test::FmtBody(2, 1, 22050, 4, 256), 256, 1}),
    [](const testing::TestParamInfo<WaveImageCase>& info) { return test::TestName(info.param.name); });

// The canonical frames of a file at another rate are what decoding the
// whole file, resampling it whole and repeating frames would give.
TEST(CanonicalDecoder, StreamingGivesTheWholeFilePathsFrames)
{
    test::TempDir dir;
    const std::vector<Bytes> images = {
        test::SineWave(2, 48000, 100000, 441),
        test::RiffImage({{"fmt ", test::FmtBody(0x11, 1, 32000, 4, 256)},
                         {"data", VariedData({"ima mono", {}, 256, 1}, 400)}}),
        test::SineWave(1, 8000, 30000, 300),
    };
    for (const Bytes& image : images) {
        const std::string path = dir / "a.wav";
        ASSERT_TRUE(test::WriteFile(path, test::AsString(image)));
        RawAudio raw;
        PcmAudio pcm, resampled;
        std::vector<int16_t> expected, streamed;
        ASSERT_TRUE(LoadRaw(path, raw));
        ASSERT_TRUE(DecodeRaw(raw, pcm));
        ASSERT_TRUE(ResampleAudio(pcm, 44100, resampled));
        ASSERT_TRUE(PcmToCanonical(resampled, expected));
        CanonicalDecoder decoder;
        ASSERT_TRUE(decoder.Open(path));
        streamed = ReadInPieces(decoder, {8192, 30, 65536});
        EXPECT_FALSE(decoder.Failed());
        EXPECT_EQ(streamed, expected);
        EXPECT_NEAR(double(decoder.FramesHint()), double(expected.size() / 2), 1.0);
    }
}

// Bytes that stop coming from a given offset on, as a file cut off while
// it is read.
class CutSource final : public ByteSource {
public:
    CutSource(Bytes bytes, uint64_t cut) : m_bytes(std::move(bytes)), m_cut(cut) {}
    uint64_t Size() const override { return m_bytes.size(); }
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) override
    {
        const uint64_t end = std::min<uint64_t>(m_cut, m_bytes.size());
        if (offset >= end)
            return 0;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(out.size(), end - offset));
        std::memcpy(out.data(), m_bytes.data() + offset, n);
        return n;
    }

private:
    Bytes m_bytes;
    uint64_t m_cut;
};

TEST(WaveDataDecoder, AReadThatBreaksOffIsAFailureNotTheEnd)
{
    const Bytes image = test::SineWave(2, 48000, 50000, 441);
    WaveDataDecoder decoder;
    Error error;
    ASSERT_TRUE(decoder.Open(std::make_unique<CutSource>(image, 100000), &error));
    std::vector<int16_t> piece;
    size_t samples = 0;
    while (decoder.Next(piece, &error))
        samples += piece.size();
    EXPECT_TRUE(decoder.Failed());
    EXPECT_EQ(error.category, ErrorCategory::Io);
    EXPECT_GT(error.where, 44);
    EXPECT_LT(samples, 50000u * 2);
    EXPECT_FALSE(decoder.Next(piece));

    // The scan ahead of wide containers meets the cut when opening.
    const Bytes wide = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 48000, 24, 8)}, {"data", Bytes(200000, 1)}});
    EXPECT_FALSE(decoder.Open(std::make_unique<CutSource>(wide, 100000), &error));
    EXPECT_EQ(error.category, ErrorCategory::Io);
}

TEST(MpegStream, PiecesJoinToTheWholeDecode)
{
    const Bytes file = test::SilentMpegFrames(5);
    PcmAudio whole;
    ASSERT_TRUE(DecodeMpeg(file, whole));
    MpegStream stream;
    ASSERT_TRUE(stream.Open(file));
    EXPECT_EQ(stream.Rate(), 44100);
    EXPECT_EQ(stream.Channels(), 2);
    std::vector<int16_t> joined, piece(999);
    while (const size_t n = stream.Read(piece))
        joined.insert(joined.end(), piece.begin(), piece.begin() + static_cast<ptrdiff_t>(n));
    EXPECT_EQ(joined, whole.samples);
}

TEST(SincResampler, StreamedPiecesMatchTheRatio)
{
    SincResampler resampler;
    ASSERT_TRUE(resampler.Prepare(2, 32000, 44100));
    std::vector<int16_t> out, all;
    const std::vector<int16_t> piece(2 * 1000, 3000);
    for (int i = 0; i < 32; ++i) {
        ASSERT_TRUE(resampler.Process(piece, SincResampler::End::No, out));
        all.insert(all.end(), out.begin(), out.end());
    }
    ASSERT_TRUE(resampler.Process({}, SincResampler::End::Yes, out));
    all.insert(all.end(), out.begin(), out.end());
    EXPECT_NEAR(double(all.size()) / 2, 44100.0, 2.0);
    EXPECT_NEAR(all[all.size() / 2], 3000, 3);
    EXPECT_FALSE(resampler.IsPrepared());
    EXPECT_FALSE(resampler.Prepare(3, 32000, 44100));
    EXPECT_FALSE(resampler.Prepare(1, 1, 44100)); // a ratio beyond the converter
}

TEST(WavStreamWriter, WritesSizesAtTheEndAndRenamesIntoPlace)
{
    test::TempDir dir;
    const std::string path = dir / "out.wav";
    {
        WavStreamWriter writer;
        ASSERT_TRUE(writer.Open(path, 1, 22050));
        const std::vector<int16_t> a = {1, 2, 3}, b = {-4};
        ASSERT_TRUE(writer.Write(a));
        ASSERT_TRUE(writer.Write(b));
        EXPECT_FALSE(std::filesystem::exists(path)); // not before Finish
        ASSERT_TRUE(writer.Finish(ReplaceMode::Durable));
    }
    WaveHeaderInfo info;
    ASSERT_EQ(ReadWaveHeader(path, info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.dataSize, 8u);
    EXPECT_EQ(info.frameRate, 22050u);
    EXPECT_EQ(info.channels, 1);
    PcmAudio pcm;
    ASSERT_TRUE(LoadPcm(path, pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{1, 2, 3, -4}));

    // A writer dropped before Finish leaves the old file and no temporary.
    {
        WavStreamWriter writer;
        ASSERT_TRUE(writer.Open(path, 2, 44100));
        ASSERT_TRUE(writer.Write(std::vector<int16_t>(100, 7)));
    }
    ASSERT_EQ(ReadWaveHeader(path, info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.dataSize, 8u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

    WavStreamWriter nowhere;
    Error error;
    EXPECT_FALSE(nowhere.Open(dir / "no/such/folder/out.wav", 2, 44100, &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_FALSE(nowhere.Write(std::vector<int16_t>(2)));
}

TEST(WavWriter, UnflushedFilesReadBackAsWritten)
{
    test::TempDir dir;
    const std::vector<int16_t> samples = {100, -100, 32767, -32768};
    ASSERT_TRUE(WriteWavFile(dir / "u.wav", samples, 2, 44100, nullptr, ReplaceMode::Unflushed));
    ASSERT_TRUE(WriteWavFile(dir / "d.wav", samples, 2, 44100));
    EXPECT_EQ(test::ReadFile(dir / "u.wav"), test::ReadFile(dir / "d.wav"));
    const auto image = MakeWavImage(samples, 2, 44100);
    EXPECT_EQ(test::ReadFile(dir / "u.wav"), std::string(image.begin(), image.end()));
}

} // namespace
} // namespace bm
