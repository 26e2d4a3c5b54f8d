#include "app/StartupReport.h"

#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace bm::app {
namespace {

TEST(StartupReport, HelpAndVersionEndTheProgramBeforeStartUp)
{
    for (const char* option : {"--help", "-h"}) {
        std::ostringstream out;
        EXPECT_EQ(RunInformationOption({option}, out), 0) << option;
        EXPECT_EQ(out.str().rfind("Usage: brickmelody [SONG]\n", 0), 0u) << out.str();
    }
    std::ostringstream out;
    EXPECT_EQ(RunInformationOption({"--version"}, out), 0);
    EXPECT_EQ(out.str(), "Brickmelody 1.2.24\n");

    // Anything else is the command line of start-up: a song path.
    std::ostringstream none;
    EXPECT_EQ(RunInformationOption({}, none), std::nullopt);
    EXPECT_EQ(RunInformationOption({"/songs/a.ncp"}, none), std::nullopt);
    EXPECT_EQ(RunInformationOption({"/songs/--help.ncp", "--help"}, none), std::nullopt);
    EXPECT_EQ(none.str(), "");
}

struct OutcomeCase {
    const char* name;
    StartupOutcome outcome;
    int status;
    const char* message; // after "brickmelody: Brickmelody.wad"; empty for none
};

class StartupReportOutcome : public testing::TestWithParam<OutcomeCase> {};

TEST_P(StartupReportOutcome, SaysWhatIsWrongWithTheArchiveAndFails)
{
    const OutcomeCase& c = GetParam();
    AppContext context;
    context.SetProgramPath("/opt/brickmelody/brickmelody");
    std::ostringstream err;
    EXPECT_EQ(ReportStartupOutcome(c.outcome, context, err), c.status);
    EXPECT_EQ(err.str(), *c.message ? std::string("brickmelody: Brickmelody.wad") + c.message + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Startup, StartupReportOutcome,
    testing::Values(
        OutcomeCase{"Ran", StartupOutcome::MainWindowRan, 0, ""},
        // Handing over is the normal end of a second copy and says nothing.
        OutcomeCase{"HandedOver", StartupOutcome::HandedToRunningCopy, 0, ""},
        OutcomeCase{"Missing", StartupOutcome::ArchiveMissing, 1,
                    " is missing from /opt/brickmelody/; the build makes it"},
        OutcomeCase{"CannotOpen", StartupOutcome::ArchiveCannotOpen, 1,
                    " in /opt/brickmelody/ cannot be opened for reading; check its permissions"},
        OutcomeCase{"Damaged", StartupOutcome::ArchiveUnreadable, 1,
                    " in /opt/brickmelody/ is not a resource archive or is damaged; the build makes it again"}),
    [](const auto& info) { return std::string(info.param.name); });

// The built program, copied into a folder of its own: that folder is its
// program folder, and it holds no archive.
TEST(Program, HelpAndAMissingArchiveAsTheUserSeesThem)
{
    const char* dist = std::getenv("BM_DIST_DIR");
    const std::string built = dist ? std::string(dist) + "/brickmelody" : std::string();
    if (built.empty() || !std::filesystem::exists(built))
        GTEST_SKIP() << "the program is not built (a build without the window layer)";
    test::TempDir folder;
    const std::string program = folder / "brickmelody";
    std::filesystem::copy_file(built, program);

    test::CliResult r = test::RunCommand({program, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: brickmelody [SONG]\n", 0), 0u) << r.out;

    r = test::RunCommand({program, folder / "song.ncp"});
    EXPECT_EQ(r.status, 1);
    // Qt may say something of its own first (where the session has no
    // runtime folder).
    const std::string message = "brickmelody: Brickmelody.wad is missing from " + folder.Path() + "; the build makes it\n";
    EXPECT_TRUE(r.err.ends_with(message)) << r.err;
    EXPECT_EQ(r.out, "");
}

} // namespace
} // namespace bm::app
