#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace bm::test {
namespace {

uint32_t Le32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return v;
}

constexpr size_t kSecondBytes = 176400;

// SDL's disk driver captures a file at about real time; the take must be a
// run of that file, at least as long as asked. The pace of the machine only
// decides where in the file the run begins and how far past the asked
// length the last tenth of a second reaches.
TEST(RecordCli, RecordsTheRequestedSecondsOfTheInputIntoAWaveFile)
{
    TempDir dir;
    const std::string inputFile = dir / "input.raw";
    std::vector<int16_t> input(size_t(44100) * 2 * 30);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = int16_t((i * 7919) % 65521);
    ASSERT_TRUE(WriteFile(inputFile, std::string(reinterpret_cast<const char*>(input.data()), input.size() * 2)));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv source("SDL_DISKAUDIOFILEIN", inputFile);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "23");

    const std::string out = dir / "take.wav";
    ASSERT_TRUE(WriteFile(out, "an earlier file of that name"));
    const CliResult result = RunCli({"--program-folder", dir.Path(), "record", out, "--seconds", "2", "--monitor"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("s recorded"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("\r"), std::string::npos) << "no meter when stdout is not a terminal";

    const std::string wave = ReadFile(out);
    ASSERT_GE(wave.size(), 44u);
    EXPECT_EQ(wave.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(wave.compare(8, 8, "WAVEfmt "), 0);
    EXPECT_EQ(Le32(wave, 24), 44100u);
    EXPECT_EQ(wave.compare(36, 4, "data"), 0);
    const uint32_t dataBytes = Le32(wave, 40);
    EXPECT_EQ(wave.size(), 44u + dataBytes);
    EXPECT_EQ(Le32(wave, 4), 36u + dataBytes);
    EXPECT_GE(dataBytes, 2 * kSecondBytes);
    EXPECT_LE(dataBytes, 4 * kSecondBytes);
    EXPECT_EQ(dataBytes % 17640, 0u) << "whole input buffers";

    std::vector<int16_t> data(dataBytes / 2);
    std::memcpy(data.data(), wave.data() + 44, dataBytes);
    const auto at = std::search(input.begin(), input.end(), data.begin(), data.begin() + 64);
    ASSERT_NE(at, input.end()) << "the take begins inside the input";
    ASSERT_LE(size_t(at - input.begin()) + data.size(), input.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), at)) << "one unbroken run of the input";
    // The take stays in the temporary folder, and the output is its copy.
    EXPECT_TRUE(ReadFile(dir / "TEMP/rec_0000.wav") == wave);
}

TEST(RecordCli, FailsWithTheReasonWhenTheInputCannotBeOpenedOrTheCallIsWrong)
{
    TempDir dir;
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv source("SDL_DISKAUDIOFILEIN", dir / "missing.raw");
    const std::string out = dir / "take.wav";
    const CliResult failed = RunCli({"--program-folder", dir.Path(), "record", out, "--seconds", "1"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("input could not be opened"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    EXPECT_EQ(RunCli({"--program-folder", dir.Path(), "record", out}).status, 2) << "--seconds is required";
    EXPECT_EQ(RunCli({"--program-folder", dir.Path(), "record", out, "--seconds", "0"}).status, 2);
    const CliResult noFolder =
        RunCli({"--program-folder", dir.Path(), "record", dir / "no/such/take.wav", "--seconds", "1"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("folder does not exist"), std::string::npos) << noFolder.err;
}

} // namespace
} // namespace bm::test
