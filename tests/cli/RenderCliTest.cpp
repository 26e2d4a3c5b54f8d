// render through the built tool: a small song of real samples in a program
// folder made by the test.

#include "core/Binary.h"
#include "engine/audiofile/WavWriter.h"
#include "library/LibraryWriter.h"
#include "song/SongFixtures.h"
#include "song/SongWriter.h"
#include "support/RunCli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace bm {
namespace {

using test::CliResult;

// A canonical wave file of `frames` frames of a 220 Hz tone at `amplitude`.
std::string ToneWave(int32_t frames, double amplitude)
{
    std::vector<int16_t> samples(size_t(frames) * 2);
    for (int32_t i = 0; i < frames; ++i) {
        const auto v = int16_t(amplitude * std::sin(2 * M_PI * 220.0 * i / 44100.0));
        samples[size_t(i) * 2] = v;
        samples[size_t(i) * 2 + 1] = v;
    }
    const std::vector<uint8_t> image = MakeWavImage(samples, 2, 44100);
    return std::string(image.begin(), image.end());
}

class RenderCliTest : public ::testing::Test {
protected:
    static constexpr int32_t kM = 20352;
    test::ProgramSetup setup;

    void SetUp() override
    {
        ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set";
        ASSERT_TRUE(WriteLibraryFile(setup.programFolder + "library.dat", setup.library));
        // "kick 3" is one measure (the bar span at one measure per bar).
        ASSERT_TRUE(test::WriteFile(setup.SamplePath("kick3.wav"), ToneWave(kM, 8000)));
        Song song = test::MakeSong(4, kM, 1);
        for (auto& measure : song.measures)
            measure.slots[0] = test::Slot(test::Kick(2));
        song.regions = {{1, 2, true}};
        songPath = setup.dir / "song.ncp";
        SongWriter writer(setup.library, setup.folders, setup.programFolder);
        ASSERT_TRUE(writer.Write(song, songPath, SongWriteMode::Plain));
    }

    CliResult Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--program-folder", setup.programFolder});
        return test::RunCli(args);
    }

    std::string songPath;
};

TEST_F(RenderCliTest, WritesTheWholeSongOrItsRegionsAndReportsThem)
{
    const std::string out = setup.dir / "out.wav";
    CliResult r = Run({"render", songPath, out, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"measures\":4,\"frames\":81408,\"peak\":"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"seconds\":1.84"), std::string::npos) << r.out;
    const std::string wave = test::ReadFile(out);
    ASSERT_EQ(wave.size(), 44u + 81408u * 4u);
    const auto* p = reinterpret_cast<const uint8_t*>(wave.data());
    EXPECT_EQ(ReadLE32(p + 40), 81408u * 4u);
    int32_t peak = 0;
    for (size_t i = 44; i + 1 < wave.size(); i += 2)
        peak = std::max(peak, std::abs(int32_t(int16_t(ReadLE16(p + i)))));
    EXPECT_GE(peak, 32000) << "normalised to full scale";

    // The gain is 1000 x 32767 / the song's peak at unit gain.
    const size_t at = r.out.find("\"peak\":");
    ASSERT_NE(at, std::string::npos);
    const int64_t songPeak = std::stoll(r.out.substr(at + 7));
    EXPECT_GT(songPeak, 1000);
    const int64_t gain = 1000 * 32767 / songPeak;
    EXPECT_NE(r.out.find("\"gain\":" + std::to_string(gain)), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"written_peak\":" + std::to_string(peak) + ","), std::string::npos) << r.out;

    // The text names each number; the gain in thousandths reads as a factor.
    r = Run({"render", songPath, out});
    ASSERT_EQ(r.status, 0) << r.err;
    char gainText[16];
    std::snprintf(gainText, sizeof gainText, "%lld.%03lld", static_cast<long long>(gain / 1000),
                  static_cast<long long>(gain % 1000));
    const std::string grouped = std::to_string(peak / 1000) + " " + std::to_string(peak % 1000 + 1000).substr(1);
    EXPECT_NE(r.out.find(": 4 measures, 81 408 frames (1.8 s); loudest measure before normalising "), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("; gain " + std::string(gainText) + "; written peak " + grouped + "\n"), std::string::npos)
        << r.out;

    r = Run({"render", songPath, setup.dir / "regions", "--regions-only", "--level-db", "-6", "--fade-in",
             "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"measures\":2,\"frames\":40704,"), std::string::npos) << r.out;
    // -6 dB: trunc(10000 x 1.122022^-6) / 10 = 501 thousandths.
    EXPECT_NE(r.out.find("\"gain\":" + std::to_string(501 * 32767 / songPeak)), std::string::npos) << r.out;
    EXPECT_EQ(test::ReadFile(setup.dir / "regions.wav").size(), 44u + 40704u * 4u) << "the extension is added";
}

TEST_F(RenderCliTest, FailsWithTheReason)
{
    CliResult r = Run({"render", songPath, setup.dir / "missing/out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no folder"), std::string::npos) << r.err;

    r = Run({"render", setup.dir / "nothing.ncp", setup.dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;

    ASSERT_TRUE(test::WriteFile(setup.dir / "kept.wav", "earlier"));
    r = Run({"render", songPath, setup.dir / "kept.wav", "--level", "99"});
    EXPECT_EQ(r.status, 2) << "below the dialog's 10 %";
    EXPECT_EQ(Run({"render", songPath, setup.dir / "kept.wav", "--level-db", "21"}).status, 2);
    EXPECT_EQ(Run({"render", songPath, setup.dir / "kept.wav", "--level", "500", "--level-db", "1"}).status, 2);
    EXPECT_EQ(test::ReadFile(setup.dir / "kept.wav"), "earlier");
    EXPECT_FALSE(std::filesystem::exists(setup.dir / "out.wav"));

    const std::string saved = test::ReadFile(songPath);
    for (const char* command : {"render", "pack"}) {
        r = Run({command, songPath, songPath});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.err.find("it is the input"), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadFile(songPath), saved) << command << " never replaces the song";
    }
}

} // namespace
} // namespace bm
