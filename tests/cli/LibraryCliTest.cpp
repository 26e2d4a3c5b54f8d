// library show | resolve, pack, unpack through the built tool.

#include "library/LibraryFixture.h"
#include "library/LibraryReader.h"
#include "library/LibraryWriter.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm {
namespace {

using test::CliResult;
using test::ReadFile;
using test::RunCli;
using test::WriteFile;

// A program folder with a library of one user chord holding "kick".
struct ProgramFolder {
    test::TempDir dir;
    std::string path = dir.Path();

    explicit ProgramFolder(bool withKick)
    {
        std::filesystem::create_directories(path + "USERDATA/Pop/C");
        SampleLibrary library;
        auto& chord = test::AddChord(test::AddPart(test::AddGroup(test::AddStyle(library, "Pop"), "Drums"), "User"),
                                     "C", "Pop/C");
        if (withKick) {
            test::AddEntry(chord, test::Sample("kick", "x", "USERDATA/Pop/C/kick.wav", "k"));
            WriteFile(path + "USERDATA/Pop/C/kick.wav", "KICK");
        }
        NormaliseAllEntries(library);
        EXPECT_TRUE(WriteLibraryFile(path + "library.dat", library));
    }

    CliResult Run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--program-folder", path});
        return RunCli(args);
    }
};

class LibraryCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set"; }
};

TEST_F(LibraryCliTest, ShowGivesTheTreeWithCounts)
{
    ProgramFolder program(true);
    CliResult r = program.Run({"library", "show", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"found\":true,\"samples\":1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"folder\":\"Pop/C\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"entries\":1,\"samples\":1"), std::string::npos) << r.out;

    std::filesystem::remove(program.path + "library.dat");
    r = program.Run({"library", "show"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("missing"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("0 styles, 0 samples"), std::string::npos) << r.out;
}

TEST_F(LibraryCliTest, ResolveGivesReferenceAndScore)
{
    ProgramFolder program(true);
    const std::string kick = program.path + "USERDATA/Pop/C/kick.wav";
    CliResult r = program.Run({"library", "resolve", "Pop", "Drums", "User", "C", "kick", "x", kick, "k", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"ref\":[0,0,0,0,0,0],\"score\":120,\"sample\":\"USERDATA/Pop/C/kick.wav\"}\n");

    r = program.Run({"library", "resolve", "Pop", "Drums", "Other", "D", "kick", "x", "disabled^2301", "k", "--json"});
    EXPECT_NE(r.out.find("\"score\":100"), std::string::npos) << r.out;

    r = program.Run({"library", "resolve", "Jazz", "Drums", "User", "C", "kick", "x", kick, "k", "--no-fuzzy", "--json"});
    EXPECT_NE(r.out.find("\"score\":0"), std::string::npos) << r.out;

    r = program.Run({"library", "resolve", "Pop", "Drums", "User", "C", "kick", "x", kick});
    EXPECT_EQ(r.status, 2);
}

TEST_F(LibraryCliTest, PackAndUnpackCarrySamplesToAnotherProgramFolder)
{
    ProgramFolder source(true);
    const std::string song = source.path + "song.ncp";
    WriteFile(song, "%VER 1.0\r\n%SIZE 1\r\n%SPC 20352\r\n%CPT 8\r\n\r\n%COL\r\n+2\r\n"
                    "\"Pop\"  \"Drums\"  \"User\"  \"C\"  \"kick\"  \"x\"  \"USERDATA/Pop/C/kick.wav\"  \"k\"  \"0\"  \"0\"  \"0\"  \r\n");
    const std::string package = source.path + "tune.wcp";
    CliResult r = source.Run({"pack", song, package});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("packed 1 samples"), std::string::npos) << r.out;

    ProgramFolder target(false);
    r = target.Run({"unpack", package, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"action\":\"added\""), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(target.path + "USERDATA/Pop/C/kick.wav"), "KICK");
    const std::string songPath = target.path + "TEMP/WCPTEMPS/tune.ncp";
    EXPECT_NE(r.out.find("\"song\":\"" + songPath + "\""), std::string::npos) << r.out;
    EXPECT_NE(ReadFile(songPath).find("\"kick\"  \"x\"  \"" + target.path + "USERDATA/Pop/C/kick.wav\""),
              std::string::npos);
    SampleLibrary library;
    ASSERT_TRUE(ReadLibraryFile(target.path + "library.dat", library, {}));
    EXPECT_EQ(library.styles[0].groups[0].parts[0].chords[0].entries.at(0).variants[0].path, "USERDATA/Pop/C/kick.wav");

    // The second time every sample is found; without a flag it is kept.
    WriteFile(target.path + "USERDATA/Pop/C/kick.wav", "CHANGED");
    r = target.Run({"unpack", package});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("note: \"kick\" is already in the library", 0), 0u) << r.out;
    EXPECT_EQ(ReadFile(target.path + "USERDATA/Pop/C/kick.wav"), "CHANGED");
    r = target.Run({"unpack", package, "--replace-all"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("replaced\t0.smp\tkick", 0), 0u) << r.out;
    EXPECT_EQ(ReadFile(target.path + "USERDATA/Pop/C/kick.wav"), "KICK");
}

TEST_F(LibraryCliTest, UnpackRefusesBadPackagesAndFlags)
{
    ProgramFolder program(true);
    WriteFile(program.path + "bad.wcp", "WCPn garbage");
    CliResult r = program.Run({"unpack", program.path + "bad.wcp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("brickmelody-cli: cannot unpack", 0), 0u) << r.err;
    EXPECT_TRUE(r.out.empty());

    r = program.Run({"unpack", program.path + "bad.wcp", "--replace-all", "--keep-all"});
    EXPECT_EQ(r.status, 2);
    r = program.Run({"pack", program.path + "missing.ncp", program.path + "x.wcp"});
    EXPECT_EQ(r.status, 1);
}

} // namespace
} // namespace bm
