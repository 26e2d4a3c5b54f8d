#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/CanonicalDecoder.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/SincResampler.h"
#include "engine/audiofile/WavStreamWriter.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <filesystem>

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
