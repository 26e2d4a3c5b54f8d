#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace bm::app {
namespace {

struct CommandLineCase {
    const char* commandLine;
    int32_t openAtStart;
    const char* expected;
};

class StartSong : public testing::TestWithParam<CommandLineCase> {};

TEST_P(StartSong, ComesFromTheCommandLineOrTheOptions)
{
    const auto& c = GetParam();
    EXPECT_EQ(StartSongFromCommandLine(c.commandLine, c.openAtStart, "/p/DEMOSONGS/Intro.ncp"), c.expected)
        << "command line [" << c.commandLine << "], open at start " << c.openAtStart;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSong,
    testing::Values(CommandLineCase{"", 2, "/p/DEMOSONGS/Intro.ncp"}, CommandLineCase{"  \t ", 2, "/p/DEMOSONGS/Intro.ncp"},
                    CommandLineCase{"", 0, ""}, CommandLineCase{"", 1, ""},
                    CommandLineCase{"/songs/a.ncp", 0, "/songs/a.ncp"},
                    CommandLineCase{"  /songs/with blank.ncp  ", 2, "/songs/with blank.ncp"},
                    CommandLineCase{"\"/songs/my song.ncp\" --more text", 2, "/songs/my song.ncp"},
                    CommandLineCase{" \"/songs/a.ncp\"", 1, "/songs/a.ncp"},
                    CommandLineCase{"\"/songs/unclosed.ncp", 2, ""}, CommandLineCase{"\"", 2, ""},
                    CommandLineCase{"\"\"", 2, ""},
                    CommandLineCase{"/songs/a\"b.ncp", 2, "/songs/a\"b.ncp"}));

TEST(CommandLineText, JoinsTheArgumentsWithSingleBlanks)
{
    EXPECT_EQ(CommandLineText({}), "");
    EXPECT_EQ(CommandLineText({"/songs/with blank.ncp"}), "/songs/with blank.ncp");
    EXPECT_EQ(CommandLineText({"\"/a b.ncp\"", "rest"}), "\"/a b.ncp\" rest");
}

} // namespace
} // namespace bm::app
