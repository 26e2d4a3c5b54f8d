#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace bm::test
