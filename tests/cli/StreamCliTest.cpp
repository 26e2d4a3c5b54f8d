#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::test {
namespace {

// A 48 kHz stereo file (always converted, so it goes through the cache).
std::string Wave48k()
{
    std::string data;
    for (int i = 0; i < 9600; ++i) {
        const int v = (i * 13) % 3000;
        data += char(v & 0xFF);
        data += char(v >> 8);
    }
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string fmt = std::string("\x01\x00\x02\x00", 4) + le32(48000) + le32(192000) + std::string("\x04\x00\x10\x00", 4);
    const std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(uint32_t(data.size())) + data;
    return "RIFF" + le32(uint32_t(body.size())) + body;
}

TEST(StreamCli, ReadFillsThenUsesCacheAndCacheCommandsManageIt)
{
    TempDir program;
    std::filesystem::create_directories(program / "SMPLDATA");
    ASSERT_TRUE(WriteFile(program / "SMPLDATA/a48.wav", Wave48k()));
    const std::vector<std::string> folder{"--program-folder", program.Path()};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), folder.begin(), folder.end());
        return RunCli(args);
    };

    CliResult first = run({"stream", "read", "a48.wav", program / "out.wav"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("cache filled"), std::string::npos);
    CliResult second = run({"stream", "read", "a48.wav", program / "out.wav", "--json"});
    EXPECT_NE(second.out.find("\"outcome\":\"cache used\""), std::string::npos);
    EXPECT_NE(second.out.find("\"bytes\":17640"), std::string::npos);

    EXPECT_NE(run({"cache", "list"}).out.find("a48.wav.wav"), std::string::npos);
    EXPECT_EQ(run({"cache", "make-room", "999999999"}).status, 1);
    EXPECT_EQ(run({"cache", "flush"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(program / "TEMP/a48.wav.wav"));

    EXPECT_EQ(run({"pitch-copy", "a48.wav", program / "up.wav", "--semitones", "12"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(program / "up.wav"));
    EXPECT_EQ(run({"stream", "read", "missing.wav", program / "x.wav"}).status, 1);
}

} // namespace
} // namespace bm::test
