#include "core/Binary.h"
#include "engine/stream/StreamFixtures.h"
#include "library/LibraryWriter.h"
#include "song/SongFixtures.h"
#include "song/SongWriter.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace bm::test {
namespace {

// Four measures of 20352 frames, 8 per bar; the active regions (2, 3) and
// (0, 0) hold three of them, the inactive one is not counted.
constexpr const char* kSong = "%VER 1.0\r\n%SIZE 4\r\n%SPC 20352\r\n%CPT 8\r\n"
                              "%REG 2 3 e\r\n%REG 0 0 e\r\n%REG 1 3 d\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n";

TEST(SongSampleCli, EstimateAndStreamReadCoverSongs)
{
    TempDir program;
    std::filesystem::create_directories(program / "SMPLDATA");
    ASSERT_TRUE(WriteFile(program / "SMPLDATA/tune.ncp", kSong));
    ASSERT_TRUE(WriteFile(program / "SMPLDATA/old.ncp", "%VER 0.9\r\n%COL\r\n"));
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--program-folder", program.Path()});
        return RunCli(args);
    };

    CliResult estimate = run({"audio", "estimate", "tune.ncp", "--json"});
    ASSERT_EQ(estimate.status, 0) << estimate.err;
    EXPECT_EQ(estimate.out, "{\"bytes\":" + std::to_string(3 * 20352 * 4) + "}\n");
    EXPECT_EQ(run({"audio", "estimate", "old.ncp"}).out, "0\n");

    // Opened at half its bar the song is rendered with measures of 10176
    // frames (all regions, in list order: 2, 3, 0, 1, 2, 3), into the cache.
    CliResult read = run({"stream", "read", "tune.ncp", program / "out.wav", "--span", "81408", "--json"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("\"outcome\":\"song\""), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("\"bytes\":" + std::to_string(6 * 10176 * 4)), std::string::npos) << read.out;
    EXPECT_NE(run({"cache", "list"}).out.find("tune.ncp.81408.wav"), std::string::npos);
    EXPECT_EQ(run({"stream", "read", "old.ncp", program / "out.wav"}).status, 1);
}

// The canonical samples of a rendered wave file.
std::vector<int16_t> Samples(const std::string& wave)
{
    std::vector<int16_t> out;
    for (size_t i = 44; i + 1 < wave.size(); i += 2)
        out.push_back(int16_t(ReadLE16(reinterpret_cast<const uint8_t*>(wave.data()) + i)));
    return out;
}

// End to end through the real worker: a song whose slot holds another song
// renders to the frames of that inner song rendered on its own at the
// re-timed measure length, each passed once more through the mixer at full
// volume (s x 32767 / 32768). Both songs peak just below full scale, so the
// export's gain is 1000 x 32767 / peak = 1000 in both renders and the
// comparison is exact.
TEST(SongSampleCli, SongUsedAsASampleRendersAsTheInnerSongPlacedAndStretched)
{
    ProgramSetup setup;
    // kick 3: a 220 Hz tone of 2500 frames; kick 2: 100 frames at full scale.
    std::vector<int16_t> tone(2500 * 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t(10000 * std::sin(2 * M_PI * 220.0 * double(i / 2) / 44100.0) * (i % 2 ? -1 : 1));
    ASSERT_TRUE(WriteFile(setup.SamplePath("kick3.wav"), stream::test::WaveBytes({2, 44100, tone, {}, {}})));
    ASSERT_TRUE(WriteFile(setup.SamplePath("kick2.wav"),
                          stream::test::WaveBytes({2, 44100, std::vector<int16_t>(200, 32767), {}, {}})));
    LibraryChord& chord = setup.library.styles[0].groups[0].parts[0].chords[0];
    chord.entries[1].variants[0] = Sample("tune", "1", "drums/inner.ncp", 4000);
    const SampleRef tune = SampleRef::Make(0, 0, 0, 0, 0, 1);
    ASSERT_TRUE(WriteLibraryFile(setup.programFolder + "library.dat", setup.library));
    SongWriter writer(setup.library, setup.folders, setup.programFolder);

    // The inner song: 4 measures of 1500, 4 per bar; and the same song at
    // measures of 1000 (its re-timed form at a span of 4000).
    for (int32_t m : {1500, 1000}) {
        Song inner = MakeSong(4, m, 4);
        inner.channelVolume.fill(100);
        inner.measures[0].slots[0] = Slot(Kick(2));
        inner.measures[2].slots[1] = Slot(Kick(1), m / 2);
        const std::string name = m == 1500 ? setup.SamplePath("inner.ncp") : setup.dir / "retimed.ncp";
        ASSERT_TRUE(writer.Write(inner, name, SongWriteMode::Plain));
    }
    // The outer song: 3 measures of 2000, 2 per bar (bar span 4000), the
    // inner song in measure 0.
    Song outer = MakeSong(3, 2000, 2);
    outer.channelVolume.fill(100);
    outer.measures[0].slots[0] = Slot(tune);
    ASSERT_TRUE(writer.Write(outer, setup.dir / "outer.ncp", SongWriteMode::Plain));

    auto render = [&](const std::string& song, const std::string& out) {
        CliResult r = RunCli({"--program-folder", setup.programFolder, "render", song, out, "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\"gain\":1000,"), std::string::npos) << r.out;
        return Samples(ReadFile(out));
    };
    const std::vector<int16_t> inner = render(setup.dir / "retimed.ncp", setup.dir / "inner.wav");
    const std::vector<int16_t> mixed = render(setup.dir / "outer.ncp", setup.dir / "outer.wav");
    ASSERT_EQ(inner.size(), 4000u * 2);
    ASSERT_EQ(mixed.size(), 6000u * 2);
    for (size_t i = 0; i < inner.size(); ++i)
        ASSERT_EQ(mixed[i], int16_t(int64_t(inner[i]) * 32767 / 32768)) << "sample " << i;
    for (size_t i = inner.size(); i < mixed.size(); ++i)
        ASSERT_EQ(mixed[i], 0) << "sample " << i;
    EXPECT_EQ(*std::max_element(inner.begin(), inner.end()), 32766);
}

} // namespace
} // namespace bm::test
