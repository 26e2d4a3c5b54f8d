// The first start on a clean program folder, as a new user sees it: the
// window on the demo song with the splash and its chime, nothing in the
// status line; a click closes the splash; the temporary and user folders
// exist at once, and the options file is written when the program ends.

#include "ProgramUnderTest.h"
#include "Sound.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

TEST(FirstStart, SplashWithItsChimeOverTheDemoSongClosesOnAClickAndTheFoldersAppear)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const ProgramFolder& folder = session.Folder();
    ASSERT_FALSE(fs::exists(folder / "Brickmelody.opt"));

    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr) << "no main window";
    EXPECT_EQ(run->Title(), "Brickmelody - [Intro.ncp]");
    // The folders of a first run exist from the start.
    EXPECT_TRUE(fs::is_directory(folder / "TEMP"));
    EXPECT_TRUE(fs::is_directory(folder / "USERDATA"));

    // The splash: the program's other visible window, centred on the main one.
    const XDisplay& x = session.X();
    std::optional<Window> splash;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (Window w : x.Windows(".*", run->Pid())) {
                if (w != run->Main())
                    splash = w;
            }
            return splash.has_value();
        },
        10s));
    const std::optional<WindowGeometry> main = x.Geometry(run->Main());
    const std::optional<WindowGeometry> box = x.Geometry(*splash);
    ASSERT_TRUE(main && box);
    EXPECT_EQ(box->width, layout::kSplashWidth);
    EXPECT_EQ(box->height, layout::kSplashHeight);
    EXPECT_NEAR(box->x + box->width / 2, main->x + main->width / 2, 2);
    EXPECT_NEAR(box->y + box->height / 2, main->y + main->height / 2, 2);
    // Its face, once the program has painted it.
    Image splashFace;
    EXPECT_TRUE(WaitUntil(
        [&] {
            splashFace = x.Capture(*splash);
            return !splashFace.Empty() && !splashFace.Uniform();
        },
        10s));
    const ReferenceCheck face = CheckAgainstReference(splashFace, "splash", {24, 200});
    EXPECT_TRUE(face.ok) << face.message;

    // Its chime, as the disk driver wrote it, is the archive's splash.wav
    // (taken from the built folder's archive: the running copy holds its own).
    const std::string chimeFile = session.Root() + "/splash.wav";
    ASSERT_TRUE(
        RunCliIn(folder.Path(), {"wad", "extract", DistFolder() + "/Brickmelody.wad", "splash.wav", chimeFile}).ok());
    const Samples chime = ReadWaveSound(chimeFile);
    ASSERT_GT(chime.size(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return FrameCount(ReadRawSound(run->SoundFile())) >= FrameCount(chime); }, 15s))
        << "the chime was not played";
    const SoundMatch heard = MatchSound(ReadRawSound(run->SoundFile()), chime, 4410);
    EXPECT_TRUE(heard.found) << heard.Describe();
    EXPECT_LT(heard.residual, 1e-4) << heard.Describe();
    EXPECT_NEAR(heard.gain, 1.0, 0.01) << heard.Describe();
    EXPECT_EQ(heard.silentGaps, 0) << heard.Describe();

    // A click anywhere on it (but its link button) closes it.
    ASSERT_TRUE(x.Click(*splash, 20, 20));
    EXPECT_TRUE(WaitUntil([&] { return !x.Visible(*splash); }, 5s)) << "the splash stayed open";

    // Nothing in the status line, and the window is the picture the program
    // draws of the demo song.
    x.MoveTo(run->Main(), 400, 200);
    const ReferenceCheck status = CheckAgainstReference(run->StatusLine(), "status-line-empty", {16, 0});
    EXPECT_TRUE(status.ok) << status.message;
    const Image window = run->Face();

    ASSERT_EQ(run->PowerOff(), 0);
    // The options of a first run: the 23 values and the one sample folder.
    const std::vector<std::string> options = Lines(folder / "Brickmelody.opt");
    ASSERT_EQ(options.size(), 24u);
    EXPECT_EQ(options[9], folder / "TEMP/");
    EXPECT_EQ(options[20], folder / "USERDATA/");
    EXPECT_EQ(options[21], folder / "last.ncp");
    EXPECT_EQ(options[23], folder / "SMPLDATA/");

    // What the window showed is what the program draws of the song.
    const std::string drawn = session.Root() + "/drawn.png";
    ASSERT_EQ(RunTool({folder / "brickmelody", "--screenshot", drawn, folder / "DEMOSONGS/Intro.ncp"},
                      EnvironmentWith({{"QT_QPA_PLATFORM", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}}))
                  .status,
              0);
    const Image expected = LoadPng(drawn);
    const Difference d = Compare(window, expected, 16);
    EXPECT_LE(d.pixels, 0) << d.Describe();
    if (d.pixels > 0) {
        SavePng(window, OutputFolder() + "/first-start/actual.png");
        SavePng(expected, OutputFolder() + "/first-start/expected.png");
        SavePng(DifferenceImage(window, expected, 16), OutputFolder() + "/first-start/difference.png");
    }
}

} // namespace
} // namespace bm::e2e
