#include "core/Binary.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace bm {
namespace {

using test::CliResult;
using test::RunCli;

struct Wave {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples;
};

// Reads the 44-byte header the tool writes and the 16-bit samples after it.
Wave ReadOutput(const std::string& path)
{
    const std::string bytes = test::ReadFile(path);
    Wave w;
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
        return w;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    w.channels = ReadLE16(p + 22);
    w.rate = static_cast<int>(ReadLE32(p + 24));
    w.bits = ReadLE16(p + 34);
    EXPECT_EQ(ReadLE32(p + 40), bytes.size() - 44);
    EXPECT_EQ(ReadLE32(p + 4), bytes.size() - 8);
    for (size_t i = 44; i + 1 < bytes.size(); i += 2)
        w.samples.push_back(ReadLE16s(p + i));
    return w;
}

std::vector<int16_t> Tone(int64_t frames, int channels, double period, double amplitude)
{
    std::vector<int16_t> out(static_cast<size_t>(frames * channels));
    for (int64_t n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            out[n * channels + c] =
                static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * (n + 7 * c) / period)));
    return out;
}

class DspCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set"; }

    std::string Input(const std::string& name, const std::vector<int16_t>& samples, int channels, int rate)
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(WriteWavFile(path, samples, channels, rate));
        return path;
    }

    test::TempDir m_dir;
};

// The tool stretches in blocks; the result must be the library's whole
// stretch of the file's own samples, in the file's own format.
TEST_F(DspCliTest, StretchKeepsTheFormatAndMatchesTheWholeStretch)
{
    const auto samples = Tone(100000, 1, 500, 20000);
    const std::string in = Input("mono.wav", samples, 1, 22050);
    const std::string out = m_dir / "out.wav";
    CliResult r = RunCli({"audio", "stretch", in, out, "--factor", "2", "--grain", "4096", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"input_frames\":100000,\"output_frames\":200000,\"channels\":1,\"rate\":22050,"
                     "\"factor\":2,\"grain\":4096}\n");
    Wave w = ReadOutput(out);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 22050);
    EXPECT_EQ(w.bits, 16);
    std::vector<int16_t> expected;
    ASSERT_TRUE(dsp::StretchWhole(samples, 1, 2.0, 4096, expected));
    EXPECT_EQ(w.samples, expected);

    // Stereo, shortened, a grain of 1024; written over the earlier output.
    const auto stereo = Tone(30000, 2, 300, 30000);
    r = RunCli({"audio", "stretch", Input("stereo.wav", stereo, 2, 44100), out, "--factor=0.7", "--grain=1024"});
    ASSERT_EQ(r.status, 0) << r.err;
    w = ReadOutput(out);
    EXPECT_EQ(w.channels, 2);
    ASSERT_TRUE(dsp::StretchWhole(stereo, 2, 0.7, 1024, expected));
    EXPECT_EQ(w.samples.size(), 2u * 21000);
    EXPECT_EQ(w.samples, expected);
    // Nothing but the inputs and the output is left in the folder.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        ++files;
    EXPECT_EQ(files, 3u);
}

TEST_F(DspCliTest, ResampleWritesCanonicalFramesOneToFoMinusThree)
{
    // 1000 canonical frames = 4000 bytes; r = 0.5 gives 2000 bytes, 500
    // frames, of which 497 are written; frame n reads source frame 2n + 2.
    const auto samples = Tone(1000, 2, 37, 12000);
    const std::string out = m_dir / "up.wav";
    CliResult r = RunCli({"audio", "resample", Input("in.wav", samples, 2, 44100), out, "--ratio", "0.5", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"input_frames\":1000,\"output_bytes\":2000,\"output_frames\":497,\"ratio\":0.5}\n");
    Wave w = ReadOutput(out);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 44100);
    ASSERT_EQ(w.samples.size(), 2u * 497);
    for (size_t n = 0; n < 497; ++n) {
        ASSERT_EQ(w.samples[2 * n], samples[2 * (2 * n + 2)]) << n;
        ASSERT_EQ(w.samples[2 * n + 1], samples[2 * (2 * n + 2) + 1]) << n;
    }

    // A mono 22 050 Hz file is read as canonical frames first: 500 source
    // frames give 1000 canonical frames, each source frame on both sides.
    const auto mono = Tone(500, 1, 50, 9000);
    r = RunCli({"audio", "resample", Input("mono.wav", mono, 1, 22050), out, "--ratio", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    w = ReadOutput(out);
    ASSERT_EQ(w.samples.size(), 2u * 997);
    // r = 1: frame n is canonical frame n + 1, that is source frame (n + 1) / 2.
    for (size_t n = 0; n < 997; ++n) {
        ASSERT_EQ(w.samples[2 * n], mono[(n + 1) / 2]) << n;
        ASSERT_EQ(w.samples[2 * n + 1], mono[(n + 1) / 2]) << n;
    }
}

TEST_F(DspCliTest, SpectrumShowsTheBandsOfTheLeftChannelAtAFrame)
{
    // Left: 3000 frames of silence, then a constant 1500 (bin 0 only);
    // right: full-scale alternation that must not show.
    std::vector<int16_t> samples(2 * 5000);
    for (size_t n = 0; n < 5000; ++n) {
        samples[2 * n] = n < 3000 ? 0 : 1500;
        samples[2 * n + 1] = n % 2 ? 32767 : -32768;
    }
    const std::string in = Input("bands.wav", samples, 2, 44100);
    CliResult r = RunCli({"audio", "spectrum", in, "--frame", "3000", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"frame\":3000,\"bands\":[4000,0,0,0,0,0,0,0,0,0,0,0]}\n");
    r = RunCli({"audio", "spectrum", in, "--frame", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 0 0 0 0 0 0 0 0 0 0 0\n");
    // 488 frames of 1500 before the end, zeros after: |X(0)| = 714.8.
    r = RunCli({"audio", "spectrum", in, "--frame", "4512"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find(' ')), std::to_string((714 - 500) * 4));
    r = RunCli({"audio", "spectrum", in, "--frame", "999999"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 0 0 0 0 0 0 0 0 0 0 0\n");
}

TEST_F(DspCliTest, BadArgumentsAndFilesFailClearly)
{
    const std::string in = Input("in.wav", Tone(2000, 2, 100, 1000), 2, 44100);
    const std::string out = m_dir / "out.wav";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string reason;
    };
    const std::vector<Case> cases{
        {{"audio", "stretch", in, out, "--grain", "1024"}, 2, "--factor is required"},
        {{"audio", "stretch", in, out, "--factor", "1.5"}, 2, "--grain is required"},
        {{"audio", "stretch", in, out, "--factor", "0", "--grain", "1024"}, 2, "above 0"},
        {{"audio", "stretch", in, out, "--factor", "nan", "--grain", "1024"}, 2, "above 0"},
        {{"audio", "stretch", in, out, "--factor", "2", "--grain", "0"}, 2, "--grain"},
        {{"audio", "stretch", in, out, "--factor", "1e12", "--grain", "1024"}, 1, "larger than a wave file"},
        {{"audio", "stretch", m_dir / "missing.wav", out, "--factor", "2", "--grain", "1024"}, 1, "cannot read"},
        {{"audio", "stretch", in, m_dir / "no/such/folder.wav", "--factor", "2", "--grain", "64"}, 1,
         "cannot write"},
        {{"audio", "resample", in, out, "--ratio", "-1"}, 2, "above 0"},
        {{"audio", "resample", in, out}, 2, "--ratio is required"},
        {{"audio", "resample", in, out, "--ratio", "1e300"}, 1, "larger than a wave file"},
        {{"audio", "spectrum", in}, 2, "--frame is required"},
        {{"audio", "spectrum", in, "--frame", "-1"}, 2, "--frame"},
        {{"audio", "spectrum", m_dir / "missing.wav", "--frame", "0"}, 1, "cannot read"},
    };
    for (const Case& c : cases) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << ' ' << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace bm
