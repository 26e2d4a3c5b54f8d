#include "engine/audiofile/MpegFixture.h"
#include "engine/audiofile/WaveFixture.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bm {
namespace {

using test::Bytes;
using test::CliResult;
using test::RunCli;

class AudioFileCli : public testing::Test {
protected:
    void SetUp() override
    {
        if (test::CliPath().empty())
            GTEST_SKIP() << "BM_CLI is not set";
    }
    std::string Write(const std::string& name, const Bytes& image)
    {
        EXPECT_TRUE(test::WriteFile(m_dir / name, test::AsString(image)));
        return m_dir / name;
    }
    // Samples of a wave file the tool wrote, after checking its header is
    // canonical and its sizes match the file.
    std::vector<int16_t> CanonicalOutput(const std::string& path)
    {
        const std::string bytes = test::ReadFile(path);
        std::vector<int16_t> samples;
        if (bytes.size() < 44)
            return samples;
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_EQ(ReadLE16(p + 22), 2);
        EXPECT_EQ(ReadLE32(p + 24), 44100u);
        EXPECT_EQ(ReadLE16(p + 34), 16);
        EXPECT_EQ(ReadLE32(p + 40), bytes.size() - 44);
        EXPECT_EQ(ReadLE32(p + 4), bytes.size() - 8);
        for (size_t i = 44; i + 1 < bytes.size(); i += 2)
            samples.push_back(ReadLE16s(p + i));
        return samples;
    }
    test::TempDir m_dir;
};

TEST_F(AudioFileCli, InfoShowsTheHeaderOfAnAcceptedFile)
{
    const Bytes image = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 22050, 16)},
                                         {"loop", test::Words32({10, 100, 5, 300})},
                                         {"m2st", test::Words32({0, 1, 1, 16384, 20, 0, 32768, -1, 0, 0})},
                                         {"data", Bytes(4000)}});
    const std::string path = Write("a.wav", image);
    const CliResult json = RunCli({"audio", "info", path, "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "{\"result\":1,\"format_tag\":1,\"channels\":2,\"rate\":22050,\"block\":4,\"bits\":16,"
              "\"data_size\":4000,\"data_offset\":116,\"loop\":[40,400,20,1200],"
              "\"tracks\":[{\"enable\":0,\"taps\":[[16384,20]],\"envelope\":[[0,32768],[300,0]]},"
              "{\"enable\":-1,\"taps\":[],\"envelope\":[]}],\"canonical_length\":1200,\"decodable\":true}\n");

    const CliResult text = RunCli({"audio", "info", path});
    ASSERT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("result: 1 (accepted PCM)"), std::string::npos);
    EXPECT_NE(text.out.find("canonical length: 1200 bytes (300 frames)"), std::string::npos);
}

// The sound library and the desktop client libraries it brings are loaded
// only by commands that open a device; file commands start without them.
TEST_F(AudioFileCli, FileCommandsDoNotLoadTheSoundLibrary)
{
    const std::string path = Write("a.wav", test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16)},
                                                             {"data", Bytes(400)}}));
    // The dynamic loader names every library it opens on standard error.
    test::ScopedEnv trace("LD_DEBUG", "files");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"audio", "info", path}}) {
        const CliResult r = RunCli(args);
        ASSERT_EQ(r.status, 0) << args.back();
        ASSERT_NE(r.err.find("libc.so"), std::string::npos) << "the loader reported nothing";
        EXPECT_EQ(r.err.find("libSDL2"), std::string::npos) << args.back();
    }
}

TEST_F(AudioFileCli, InfoOfConvertedAndUnreadableFiles)
{
    // MPEG, named in capitals: result 2, the format record and the scan.
    const std::string mp3 = Write("LOOP.MP3", test::SilentMpegFrames(2));
    CliResult r = RunCli({"audio", "info", mp3, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"result\":2,\"format_tag\":85,\"channels\":2,\"rate\":44100,\"block\":1,\"bits\":0,"
              "\"data_size\":834,\"data_offset\":0,\"loop\":[0,0,0,0],"
              "\"tracks\":[{\"enable\":-1,\"taps\":[],\"envelope\":[]},{\"enable\":-1,\"taps\":[],\"envelope\":[]}],"
              "\"decodable\":true,\"mpeg\":{\"version\":\"1\",\"layer\":3,\"rate\":44100,\"channels\":2,"
              "\"bitrate_kbps\":128,\"first_frame\":0,\"frames\":2,\"damaged_frames\":0}}\n");

    // PCM at 48 000 Hz is converted; its loop stays in frames.
    const Bytes pcm48 = test::RiffImage({{"fmt ", test::FmtBody(1, 1, 48000, 16)},
                                         {"loop", test::Words32({1, 2, 3, 4})},
                                         {"data", Bytes(8)}});
    r = RunCli({"audio", "info", Write("b.wav", pcm48), "--json"});
    EXPECT_NE(r.out.find("\"result\":2,"), std::string::npos);
    EXPECT_NE(r.out.find("\"loop\":[1,2,3,4]"), std::string::npos);
    EXPECT_EQ(r.out.find("canonical_length"), std::string::npos);

    r = RunCli({"audio", "info", Write("c.wav", Bytes{'R', 'I', 'F', 'F'})});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "result: 0 (unreadable)\n");
    r = RunCli({"audio", "info", m_dir / "missing.mp3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos);
    EXPECT_EQ(RunCli({"audio", "info"}).status, 2);
}

// Files the decoder refuses: `audio info` says so with the same reason that
// `audio decode` fails with, and no output file is left.
TEST_F(AudioFileCli, InfoAndDecodeGiveTheSameReasonForARefusal)
{
    // Every frame header has the reserved rate index 3.
    Bytes reservedRate = test::SilentMpegFrames(6);
    for (size_t at = 0; at < reservedRate.size(); at += 417)
        reservedRate[at + 2] = 0x9C;
    // An IMA block whose step index is 90, at byte 44 + 8 + 2.
    Bytes ima(16, 0);
    ima[10] = 90;
    // 24 bits in 3-byte containers declared with a block size of 5.
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"reserved.mp3", reservedRate},
        {"ima.wav", test::RiffImage({{"fmt ", test::FmtBody(0x11, 1, 22050, 4, 8)}, {"data", ima}})},
        {"block.wav", test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 24, 5)}, {"data", Bytes(20)}})},
    };
    const std::vector<std::string> reasons = {"damaged: no MPEG audio", "damaged at byte 54: an IMA ADPCM block",
                                              "damaged: the block size of 5 bytes"};
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].first);
        const std::string path = Write(files[i].first, files[i].second);
        const CliResult info = RunCli({"audio", "info", path});
        ASSERT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("refused: " + reasons[i]), std::string::npos) << info.out;
        EXPECT_EQ(info.out.find(" 0 Hz"), std::string::npos) << info.out;
        const CliResult json = RunCli({"audio", "info", path, "--json"});
        EXPECT_NE(json.out.find("\"decodable\":false,\"refusal\":{\"category\":\"damaged\""), std::string::npos)
            << json.out;
        const CliResult decode = RunCli({"audio", "decode", path, m_dir / "out.wav"});
        EXPECT_EQ(decode.status, 1);
        EXPECT_NE(decode.err.find(reasons[i]), std::string::npos) << decode.err;
        EXPECT_TRUE(test::ReadFile(m_dir / "out.wav").empty());
    }
}

TEST_F(AudioFileCli, DecodeWritesCanonicalFrames)
{
    // 22 050 Hz mono: each frame twice, on both channels.
    const std::string mono = Write("m.wav", test::PcmWave(1, 22050, 16, test::Words32({0x00020001})));
    const CliResult r = RunCli({"audio", "decode", mono, m_dir / "out.wav", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"frames\":4,\"bytes\":16}\n");
    EXPECT_EQ(CanonicalOutput(m_dir / "out.wav"), (std::vector<int16_t>{1, 1, 1, 1, 2, 2, 2, 2}));

    // A looped file gives its loop's length (300 frames here).
    const Bytes looped = test::RiffImage({{"fmt ", test::FmtBody(1, 2, 44100, 16)},
                                          {"loop", test::Words32({0, 100, 0, 300})},
                                          {"data", Bytes(4000, 0x01)}});
    ASSERT_EQ(RunCli({"audio", "decode", Write("l.wav", looped), m_dir / "l.out.wav"}).status, 0);
    EXPECT_EQ(CanonicalOutput(m_dir / "l.out.wav").size(), 600u);

    // 48 000 Hz is resampled to 44 100 Hz.
    ASSERT_EQ(RunCli({"audio", "decode", Write("t.wav", test::SineWave(2, 48000, 4800, 441)), m_dir / "t.out.wav"})
                  .status,
              0);
    EXPECT_NEAR(double(CanonicalOutput(m_dir / "t.out.wav").size()) / 2, 4410.0, 1.0);

    // Silent MPEG frames: nothing to trim, 1152 frames each.
    ASSERT_EQ(RunCli({"audio", "decode", Write("s.mp3", test::SilentMpegFrames(3)), m_dir / "s.out.wav"}).status, 0);
    EXPECT_EQ(CanonicalOutput(m_dir / "s.out.wav").size(), 3u * 1152u * 2u);
}

TEST_F(AudioFileCli, DecodeFailsClearlyAndLeavesNoFile)
{
    const Bytes gsm = test::RiffImage({{"fmt ", test::FmtBody(0x31, 1, 8000, 0, 65)}, {"data", Bytes(65)}});
    CliResult r = RunCli({"audio", "decode", Write("g.wav", gsm), m_dir / "out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot decode"), std::string::npos);
    EXPECT_TRUE(test::ReadFile(m_dir / "out.wav").empty());
    r = RunCli({"audio", "decode", Write("ok.wav", test::PcmWave(1, 44100, 16, Bytes(4))), m_dir / "no/such/out.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(RunCli({"audio", "decode", "only-one"}).status, 2);
}

// Every command that makes a new file from a sample refuses to write over
// that sample, however the two names are spelled.
TEST_F(AudioFileCli, CommandsNeverWriteOverTheirInput)
{
    const std::string path = Write("in.wav", test::PcmWave(2, 44100, 16, Bytes(40000)));
    const std::string before = test::ReadFile(path);
    const std::string sameFile = m_dir / "./in.wav";
    const std::vector<std::vector<std::string>> commands = {
        {"audio", "decode", path, sameFile},
        {"audio", "stretch", path, sameFile, "--factor", "1.5", "--grain", "1024"},
        {"audio", "resample", path, sameFile, "--ratio", "0.5"},
        {"stream", "read", path, sameFile},
        {"stream", "pan", path, sameFile, "--at", "0", "--envelope", "0:0"},
        {"pitch-copy", path, sameFile, "--semitones", "1"},
        {"wad", "add", sameFile, "entry", path},
    };
    for (const auto& command : commands) {
        const CliResult r = RunCli(command);
        EXPECT_EQ(r.status, 1) << command[0] << ' ' << command[1];
        EXPECT_NE(r.err.find("it is the input"), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadFile(path), before) << command[0] << ' ' << command[1];
    }
}

} // namespace
} // namespace bm
