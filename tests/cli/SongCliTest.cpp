// song info | resave | retime through the built tool.

#include "library/LibraryWriter.h"
#include "song/SongFixtures.h"
#include "song/SongWriter.h"
#include "support/RunCli.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::CliResult;

class SongCliTest : public ::testing::Test {
protected:
    test::ProgramSetup setup; // library.dat and SMPLDATA/ samples in a program folder

    void SetUp() override
    {
        ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set";
        SampleLibrary library = setup.library;
        ASSERT_TRUE(WriteLibraryFile(setup.programFolder + "library.dat", library));
    }

    CliResult Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--program-folder", setup.programFolder});
        return test::RunCli(args);
    }

    std::string WriteSong(const Song& song, const std::string& name) const
    {
        const std::string path = setup.dir / name;
        SongWriter writer(setup.library, setup.folders, setup.programFolder);
        EXPECT_TRUE(writer.Write(song, path, SongWriteMode::Plain));
        return path;
    }
};

TEST_F(SongCliTest, InfoDescribesTheSongAsJson)
{
    Song song = test::MakeSong(2, 20352, 8);
    song.channelVolume[1] = 120;
    song.channelOn[1] = false;
    song.regions = {{0, 1, true}};
    song.measures[1].slots[3] = test::Slot(test::Kick(1), 15000, 1, 1);
    const std::string path = WriteSong(song, "a.ncp");

    CliResult r = Run({"song", "info", path, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"version\":\"1.0\",\"measures\":2,\"samples_per_measure\":20352,\"measures_per_bar\":8,"
                          "\"bpm\":130.0117925",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("\"path\":\"" + path + "\",\"channels\":[{\"volume\":50,\"on\":true},"
                                                "{\"volume\":120,\"on\":false},"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"regions\":[{\"start\":0,\"end\":1,\"on\":true}],\"envelopes\":{\"volume\":[[[0,32767,0],"
                         "[40703,32767,0]],"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"pan\":[[[0,0,0],[40703,0,0]],"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"slots\":[{\"measure\":1,\"channel\":3,\"ref\":[0,0,0,0,1,0],\"selected\":1,"
                         "\"start\":15000,\"reverse\":1,\"resolved\":true,\"sample\":\"drums/kick2.wav\"}]}"),
              std::string::npos)
        << r.out;

    CliResult text = Run({"song", "info", path});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("slots              1 (0 without a sample)"), std::string::npos) << text.out;
}

TEST_F(SongCliTest, UnknownSamplesAreShownUnresolvedAndResavedUnchanged)
{
    const std::string line = "\"Rock\"  \"Guitar\"  \"Riff\"  \"A\"  \"gone\"  \"7\"  \"C:\\old\\gone.wav\"  \"x\"  "
                             "\"0\"  \"40\"  \"0\"  ";
    Song song = test::MakeSong(1);
    std::string text = SongWriter(setup.library, setup.folders, setup.programFolder).Format(song, SongWriteMode::Plain);
    text.insert(text.find("%COL\r\n") + 6, line + "\r\n");
    const std::string path = setup.dir / "gone.ncp";
    ASSERT_TRUE(test::WriteFile(path, text));

    CliResult r = Run({"song", "info", path, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"ref\":[-2,0,0,0,0,0],\"selected\":0,\"start\":40,\"reverse\":0,\"resolved\":false,"
                         "\"sample\":\"\""),
              std::string::npos)
        << r.out;

    const std::string copy = setup.dir / "copy.ncp";
    r = Run({"song", "resave", path, copy});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadFile(copy), text);
    r = Run({"song", "resave", path, copy, "--as-document"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(test::ReadFile(copy).find("%PATH \"" + path + "\"\r\n"), std::string::npos);
}

TEST_F(SongCliTest, RetimeKeepsSamplesAtTheirTime)
{
    Song song = test::MakeSong(3, 20352, 8);
    song.measures[0].slots[4] = test::Slot(test::Kick(0), 15000);
    const std::string path = WriteSong(song, "a.ncp");
    const std::string out = setup.dir / "b.ncp";

    CliResult r = Run({"song", "retime", path, out, "--samples-per-measure", "10176", "--measures-per-bar", "8",
                       "--mode", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");
    r = Run({"song", "info", out, "--json"});
    EXPECT_NE(r.out.find("\"measures\":6,\"samples_per_measure\":10176"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"measure\":1,\"channel\":4,\"ref\":[0,0,0,0,0,0],\"selected\":0,\"start\":4824,"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("[61055,32767,0]"), std::string::npos) << "the last point moved to the song's end";

    r = Run({"song", "retime", path, out, "--samples-per-measure", "20352", "--measures-per-bar", "4", "--mode", "1",
             "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"bits\":0,\"overwrote\":false,\"dropped\":false,\"old_measures\":3,\"new_measures\":4}\n");
}

TEST_F(SongCliTest, ReportsUsageAndFailures)
{
    const std::string path = WriteSong(test::MakeSong(1), "a.ncp");
    EXPECT_EQ(Run({"song", "retime", path, "b.ncp", "--samples-per-measure", "1", "--measures-per-bar", "1"}).status,
              2);
    EXPECT_EQ(Run({"song", "retime", path, "b.ncp", "--samples-per-measure", "0", "--measures-per-bar", "1",
                   "--mode", "1"})
                  .status,
              2);
    EXPECT_EQ(Run({"song", "retime", path, "b.ncp", "--samples-per-measure", "9", "--measures-per-bar", "1",
                   "--mode", "3"})
                  .status,
              2);
    EXPECT_EQ(Run({"song", "info"}).status, 2);
    CliResult missing = Run({"song", "info", setup.dir / "missing.ncp"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("brickmelody-cli: cannot read ", 0), 0u) << missing.err;
    ASSERT_TRUE(test::WriteFile(setup.dir / "new.ncp", "%VER 1.1\r\n"));
    EXPECT_EQ(Run({"song", "resave", setup.dir / "new.ncp", setup.dir / "out.ncp"}).status, 1);
    EXPECT_EQ(Run({"song", "resave", path, setup.dir / "no/such/folder/out.ncp"}).status, 1);
}

} // namespace
} // namespace bm
