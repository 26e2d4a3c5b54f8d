// A second copy started with a song hands the song to the running copy and
// ends; the running copy comes back from the task bar and opens it.

#include "ProgramUnderTest.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

TEST(SecondCopy, HandsItsSongToTheRunningWindowWhichComesBackAndOpensIt)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const std::string first = session.Root() + "/first.ncp";
    const std::string second = session.Root() + "/second song.ncp";
    fs::copy_file(folder / "DEMOSONGS/Intro.ncp", first);
    fs::copy_file(folder / "DEMOSONGS/Sunrise.ncp", second);

    ProgramRun* running = session.Launch({first});
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->Title(), "Brickmelody - [first.ncp]");
    ASSERT_TRUE(running->DismissSplash());
    // Out of sight: the window's own minimise button.
    const ClientPoint minimise = CentreOf(layout::ControlOf(layout::ControlId::Minimize).rect);
    ASSERT_TRUE(x.Click(running->Main(), minimise.x, minimise.y));
    ASSERT_TRUE(WaitUntil([&] { return !x.Visible(running->Main()); }, 5s)) << "the window did not minimise";

    ProgramRun* later = session.StartOnly({second});
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->WaitExit(10s), std::optional<int>(0)) << later->Log();
    EXPECT_TRUE(running->WaitTitle("Brickmelody - [second song.ncp]")) << running->Title();
    EXPECT_TRUE(WaitUntil([&] { return x.Visible(running->Main()); }, 5s)) << "the window stayed minimised";
    // The second copy showed no window of its own and left no trace.
    EXPECT_TRUE(x.Windows("^Brickmelody", later->Pid()).empty());
    EXPECT_TRUE(running->Proc().Running());

    ASSERT_EQ(running->PowerOff(), 0);
}

} // namespace
} // namespace bm::e2e
