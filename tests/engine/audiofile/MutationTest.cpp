#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/WaveDataDecoder.h"
#include "engine/audiofile/WaveDecoder.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

using test::Bytes;

// Everything a damaged file can reach: the header reader, the canonical
// reader over an accepted header, the raw loader and the decoders.
void ReadEverything(const Bytes& image)
{
    MemoryByteSource source(image);
    WaveHeaderInfo info;
    if (ReadWaveHeader(source, info) == WaveHeaderResult::Accepted) {
        CanonicalReader reader;
        ASSERT_TRUE(reader.Open(std::make_unique<MemoryByteSource>(image), info));
        reader.Prepare(4096);
        Bytes out(8192);
        int64_t total = 0;
        while (const int64_t got = reader.Read(out)) {
            total += got;
            // At most 16 canonical bytes per file byte (8-bit mono at 11 025 Hz).
            ASSERT_LE(total, 16 * int64_t(image.size()));
        }
        reader.Seek(reader.Length() / 2);
        reader.Read(out);
    }
    RawAudio raw;
    PcmAudio pcm;
    const bool whole = LoadRawWave(source, raw) && DecodeRaw(raw, pcm);
    if (whole) {
        ASSERT_LE(raw.data.size(), image.size());
        ASSERT_TRUE(pcm.channels == 1 || pcm.channels == 2);
    }
    // Decoded in pieces, the same file gives the same samples or the same
    // refusal.
    WaveDataDecoder decoder;
    std::vector<int16_t> joined, piece;
    bool streamed = decoder.Open(std::make_unique<MemoryByteSource>(image));
    while (streamed && decoder.Next(piece))
        joined.insert(joined.end(), piece.begin(), piece.end());
    streamed = streamed && !decoder.Failed();
    ASSERT_EQ(streamed, whole);
    if (whole) {
        ASSERT_EQ(joined, pcm.samples);
        ResampleToPlayableRate(pcm);
    }
}

Bytes Damaged(Bytes image, std::mt19937& random)
{
    const size_t count = std::max<size_t>(1, image.size() / 100);
    for (size_t i = 0; i < count; ++i)
        image[random() % image.size()] = static_cast<uint8_t>(random());
    return image;
}

std::vector<Bytes> ValidFiles()
{
    std::vector<Bytes> files;
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(1, 2, 22050, 16)},
                                     {"loop", test::Words32({0, 100, 10, 200})},
                                     {"m2st", test::Words32({0, 1, 2, 16384, 20, 0, 32768, 100, 0, -1, 0, 0})},
                                     {"data", Bytes(800, 0x35)}}));
    files.push_back(test::PcmWave(1, 11025, 8, Bytes(500, 0x90)));
    Bytes ima(160, 0x5A); // stereo blocks of 16 bytes with step indices 0x2A
    for (size_t at = 0; at < ima.size(); at += 16) {
        ima[at + 2] = ima[at + 6] = 0x2A;
        ima[at + 3] = ima[at + 7] = 0;
    }
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(0x11, 2, 32000, 4, 16)}, {"data", ima}}));
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(2, 1, 48000, 4, 20)}, {"data", Bytes(200, 0x7B)}}));
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(3, 2, 96000, 32)}, {"data", Bytes(400, 0x3F)}}));
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(1, 6, 44100, 24)}, {"data", Bytes(360, 0x81)}}));
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(1, 2, 48000, 24, 8)}, {"data", test::Words32({1, -1, 300, -300})}}));
    files.push_back(test::RiffImage({{"fmt ", test::FmtBody(0x55, 2, 44100, 0, 1)}, {"data", test::SilentMpegFrames(3)}}));
    return files;
}

TEST(AudioFileMutation, DamagedWaveFilesNeverCrash)
{
    std::mt19937 random(20240601);
    for (const Bytes& file : ValidFiles()) {
        for (int round = 0; round < 100; ++round) {
            ReadEverything(Damaged(file, random));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(AudioFileMutation, DamagedMpegStreamsNeverCrash)
{
    std::mt19937 random(7);
    Bytes file = test::SilentMpegFrames(6);
    test::TempDir dir;
    if (test::MakeMp3(dir / "tone.mp3", 2, 44100, 11025, 441, {"-b", "64"})) {
        const std::string encoded = test::ReadFile(dir / "tone.mp3");
        file.assign(encoded.begin(), encoded.end());
    }
    for (int round = 0; round < 100; ++round) {
        const Bytes damaged = Damaged(file, random);
        PcmAudio pcm;
        if (DecodeMpeg(damaged, pcm)) {
            ASSERT_TRUE(pcm.channels == 1 || pcm.channels == 2);
            ASSERT_LE(pcm.Frames(), 64u * 1152u);
        }
        RawAudio raw;
        LoadRawMpeg(damaged, raw);
    }
}

} // namespace
} // namespace bm
