// Power off: the button closes the window well within the engine's 10 s,
// and the program leaves the library, the options and the song in
// "last.ncp" behind; the next start opens that song.

#include "ProgramUnderTest.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

// The song info of a file without the line that names the file.
std::string SongInfo(const ProgramFolder& folder, const std::string& song)
{
    std::string info = RunCliIn(folder.Path(), {"song", "info", song, "--json"}).out;
    const size_t path = info.find("\"path\":\"");
    if (path != std::string::npos)
        info.erase(path, info.find('"', path + 8) + 2 - path);
    return info;
}

TEST(PowerOff, ClosesWithinTheEnginesTimeAndKeepsLibraryOptionsAndTheSong)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const auto libraryBefore = fs::last_write_time(folder / "library.dat");

    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->DismissSplash());
    // One change the song file does not have: channel 3 switched off.
    const ClientPoint channel = CentreOf(layout::ChannelSwitchRect(2));
    ASSERT_TRUE(x.Click(run->Main(), channel.x, channel.y));
    EXPECT_TRUE(run->WaitTitle("Brickmelody - [Intro.ncp *]")) << run->Title();
    // Playing while it goes off.
    ASSERT_TRUE(x.Key({"space"}));

    // The song has changed: the program asks whether to save it first; no.
    ASSERT_TRUE(run->ClickPower());
    const std::optional<Window> question = run->WaitMessageBox();
    ASSERT_TRUE(question.has_value()) << "no question about the changed song";
    x.Activate(*question);
    const auto pressed = Clock::now();
    ASSERT_TRUE(x.Key({"alt+n"}));
    const std::optional<int> status = run->WaitExit(12s);
    const auto took = Clock::now() - pressed;
    ASSERT_EQ(status, std::optional<int>(0)) << run->Log();
    EXPECT_LT(took, 10s);

    EXPECT_TRUE(fs::exists(folder / "Brickmelody.opt"));
    EXPECT_GT(fs::last_write_time(folder / "library.dat"), libraryBefore);
    ASSERT_TRUE(fs::exists(folder / "last.ncp"));
    const std::string kept = SongInfo(folder, folder / "last.ncp");
    const std::string original = SongInfo(folder, folder / "DEMOSONGS/Intro.ncp");
    EXPECT_NE(kept.find("{\"volume\":40,\"on\":false}"), std::string::npos) << kept;
    EXPECT_NE(kept, original);

    // The next start opens the kept song, with its change, under the name
    // of the document it came from.
    ProgramRun* again = session.Launch({});
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Title(), "Brickmelody - [Intro.ncp]");
    ASSERT_TRUE(again->DismissSplash());
    ASSERT_EQ(again->PowerOff(), 0);
    EXPECT_EQ(SongInfo(folder, folder / "last.ncp"), kept);
}

} // namespace
} // namespace bm::e2e
