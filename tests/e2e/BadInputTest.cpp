// Bad files opened through the window (Ctrl+O, the file dialog driven by
// keys): a song cut short opens with what it holds and the status line says
// so; a package whose index names an entry outside the package is refused
// with its reason and the song on screen stays. Neither changes anything on
// disk.

#include "DialogGestures.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

// Ctrl+O, the path typed into the open dialog, Return.
void OpenThroughTheDialog(const XDisplay& x, ProgramRun& run, const std::string& path)
{
    ASSERT_TRUE(x.Key({"ctrl+o"}));
    AnswerFileDialog(x, run, path);
}

TEST(BadInput, ACutSongAndAPackageReachingOutsideGiveTheirMessagesAndChangeNothing)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const std::string bad = session.Root() + "/bad/";
    fs::create_directories(bad);

    // The demo song cut in the middle of a measure.
    std::ifstream song(folder / "DEMOSONGS/Intro.ncp", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(song)), std::istreambuf_iterator<char>());
    // Cut a little way into measure 95, whatever the length of the sample
    // paths the file names (they hold the program folder's path).
    size_t at = 0;
    for (int i = 0; i < 95 && at != std::string::npos; ++i)
        at = text.find("%COL", at + 1);
    ASSERT_NE(at, std::string::npos);
    ASSERT_TRUE(WriteText(bad + "cut.ncp", text.substr(0, at + 12)));
    // A package of the demo song whose index names "../../evil.smp".
    ASSERT_TRUE(RunCliIn(folder.Path(), {"pack", folder / "DEMOSONGS/Intro.ncp", bad + "evil.wcp"}).ok());
    ASSERT_TRUE(WriteText(bad + "index", "\r\n\"../../evil.smp\"  \"Electro\"  \"Drums\"  \"p1\"  \"c1\"  \"Evil\"  \"\"  "
                                         "\"x/evil.wav\"  \"\"\r\n"));
    ASSERT_TRUE(WriteText(bad + "evil", "RIFF"));
    ASSERT_TRUE(RunCliIn(folder.Path(), {"wad", "add", bad + "evil.wcp", "wcp.inf", bad + "index", "--magic", "WCPn"}).ok());
    ASSERT_TRUE(
        RunCliIn(folder.Path(), {"wad", "add", bad + "evil.wcp", "../../evil.smp", bad + "evil", "--magic", "WCPn"}).ok());

    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->DismissSplash());
    x.MoveTo(run->Main(), 400, 200);
    const Image quiet = run->StatusLine();
    auto programBefore = FolderState(folder.Path());
    const auto badBefore = FolderState(bad);

    OpenThroughTheDialog(x, *run, bad + "evil.wcp");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([&] { return Compare(run->StatusLine(), quiet, 0).pixels > 0; }, 5s))
        << "no message for the package";
    const ReferenceCheck refused =
        WaitForReference([&] { return run->StatusLine(); }, "status-package-refused", {16, 40});
    EXPECT_TRUE(refused.ok) << refused.message;
    EXPECT_EQ(run->Title(), "Brickmelody - [Intro.ncp]");
    EXPECT_FALSE(fs::exists(session.Root() + "/evil.smp"));
    EXPECT_FALSE(fs::exists(folder / "../evil.smp"));

    OpenThroughTheDialog(x, *run, bad + "cut.ncp");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(run->WaitTitle("Brickmelody - [cut.ncp]")) << run->Title();
    const ReferenceCheck cut = WaitForReference([&] { return run->StatusLine(); }, "status-song-cut-short", {16, 40});
    EXPECT_TRUE(cut.ok) << cut.message;

    // Nothing written anywhere: not in the program folder (the options and
    // the library are written only at power-off; the sample cache in TEMP/
    // is the program's own and is refreshed whenever a song opens), not
    // beside the files.
    auto programAfter = FolderState(folder.Path());
    std::erase_if(programAfter, [](const auto& e) { return e.first.rfind("TEMP/", 0) == 0; });
    std::erase_if(programBefore, [](const auto& e) { return e.first.rfind("TEMP/", 0) == 0; });
    EXPECT_EQ(StateChanges(programBefore, programAfter), "");
    EXPECT_EQ(StateChanges(badBefore, FolderState(bad)), "");
    run->Proc().Signal(SIGKILL);
    run->WaitExit(5s);
}

} // namespace
} // namespace bm::e2e
