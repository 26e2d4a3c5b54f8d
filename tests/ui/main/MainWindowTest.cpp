#include "ControllerFixture.h"

#include "platform/HeadlessWindowSystem.h"
#include "song/MeasureEditing.h"
#include "song/SongWriter.h"
#include "ui/main/MainWindow.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/SkinButton.h"

#include "support/ArchiveImage.h"

#include <filesystem>

namespace bm::ui::test {
namespace {

using layout::ControlId;
using platform::HeadlessWindowHost;
using platform::HeadlessWindowSystem;
namespace vk = platform::vk;

constexpr uint32_t kSkinColour = 0x203040;

// An engine that only records what it is sent and ends at once.
class RecordingWorker : public app::EngineWorker {
public:
    void Start() override {}
    engine::EngineClient& Client() override { return client; }
    bool WaitFinished(std::chrono::milliseconds) override { return true; }
    engine::RecordingEngineClient client;
};

// A small archive: the 800 x 600 skin (black outside a left margin), a
// strip for the play button, hint texts and a menu.
std::string TestArchive()
{
    std::vector<bm::test::ImageEntry> entries;
    entries.push_back({"IF8060.bmp", bm::test::BitmapImage({800, 600, 24, true, false, [](int32_t x, int32_t) {
                                                                return x < 2 ? 0u : kSkinColour;
                                                            }})});
    const layout::Control& play = layout::ControlOf(ControlId::Play);
    const int32_t w = play.rect.Width();
    const int32_t h = play.rect.Height();
    // Layout 7 has six cells: shape, normal, pressed, disabled, on, on+over.
    entries.push_back({std::string(play.strip), bm::test::BitmapImage({w * 6, h, 24, true, false, [w](int32_t x, int32_t) {
                                                                            const uint32_t cell = uint32_t(x / w);
                                                                            return cell == 0 ? 0xFFFFFFu : 0x101010u * (cell + 1);
                                                                        }})});
    entries.push_back({"hints.dat", "%MB_HEADER  0x0 0x0 0x0 \"Brickmelody\" 0\r\n"
                                    "%SONG_NAME  0xFFFFFF 0x0 0x0 \"Song: #\" 0\r\n"
                                    "%TRANS_PLAY  0xFFFFFF 0x0 0x0 \"Play the song\" 1\r\n"
                                    "%CHANNEL_SWITCH  0xFFFFFF 0x0 0x0 \"Channel # is on~Channel # is off\" 0\r\n"});
    entries.push_back({"main_menu.res", "MENUITEM \"Open...\", \"Ctrl+O\", 131, 1, -1, 0\r\n"});
    entries.push_back({"note_order.dat", "C\r\nC#\r\nD\r\n"});
    entries.push_back({"sp_01.bmp", bm::test::BitmapImage({420, 220, 24, true, false, [](int32_t, int32_t) {
                                                               return 0x405060u;
                                                           }})});
    return bm::test::ArchiveImage("WADn", entries);
}

class MainWindowTest : public ControllerTest {
protected:
    MainWindowTest()
    {
        const std::string path = dir / "Brickmelody.wad";
        EXPECT_TRUE(bm::test::WriteFile(path, TestArchive()));
        app.archive = std::make_unique<ResourceArchive>();
        EXPECT_TRUE(app.archive->Open(path, ArchiveAccess::ReadOnly));
    }

    void Make(MainWindowStart start = {})
    {
        start.showWindow = true;
        MainWindowServices services(app, system, dialogs, shell, set, worker, readings, samples, files);
        window = std::make_unique<MainWindow>(services, system.CreateWindow(platform::WindowKind::Main, nullptr));
        host = system.Last(platform::WindowKind::Main);
        ASSERT_TRUE(window->Initialise(start));
    }
    std::vector<engine::CommandCode> Codes()
    {
        std::vector<engine::CommandCode> codes;
        for (const auto& c : std::exchange(worker.client.posted, {}))
            codes.push_back(engine::CodeOf(c));
        return codes;
    }
    platform::Point Centre(ControlId id) const
    {
        const platform::Rect& r = layout::ControlOf(id).rect;
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void ClickOn(ControlId id)
    {
        const platform::Point p = Centre(id);
        host->Click(p.x, p.y);
    }
    std::string WriteSong(const std::string& name, int measures)
    {
        Song song;
        song.channelOn.fill(true);
        song.channelVolume.fill(kDefaultChannelVolume);
        InsertMeasures(song, 0, measures, nullptr);
        const std::string path = dir / name;
        EXPECT_TRUE(SongWriter(SampleLibrary{}, {}, dir.Path()).Write(song, path, SongWriteMode::Plain));
        return path;
    }

    // The window's own document and view state.
    MainState& W() { return window->Controller().State(); }

    HeadlessWindowSystem system;
    RecordingWorker worker;
    std::unique_ptr<MainWindow> window;
    HeadlessWindowHost* host = nullptr;
};

TEST_F(MainWindowTest, InitialisesInOrderAndShowsTheSkin)
{
    Make();
    EXPECT_TRUE(host->IsVisible());
    EXPECT_EQ(host->ClientWidth(), 800);
    EXPECT_EQ(host->ScreenPixel(400, 200), kSkinColour) << "the skin is presented";
    EXPECT_EQ(host->Shape().empty(), false) << "shaped from the skin's black columns";
    EXPECT_EQ(host->Title(), "Brickmelody");
    // The tempo went to the engine first; the clock's timers run.
    ASSERT_FALSE(worker.client.posted.empty());
    EXPECT_EQ(engine::CodeOf(worker.client.posted[0]), engine::CommandCode::SetTempo);
    EXPECT_TRUE(host->TimerRunning(timer::kAnimation));
    EXPECT_EQ(host->TimerPeriod(timer::kAnimation), 20u);
    EXPECT_TRUE(host->TimerRunning(timer::kSplash));
    EXPECT_TRUE(host->TimerRunning(timer::kNews));
    // Every hint of the layout, in order; the region removal hint is not offered yet.
    const auto& records = window->Hints().Records();
    ASSERT_EQ(records.size(), layout::kHintSpots.size());
    EXPECT_EQ(records[0].key, "%TRANS_HOME ");
    EXPECT_EQ(records[5].text, "Play the song");
    EXPECT_EQ(records[13].key, "%REG_REMOVE ");
    EXPECT_EQ(records[13].shown, 0);
    EXPECT_EQ(W().doc.noteOrder.Names().size(), 3u);
}

TEST_F(MainWindowTest, TheStartSongOpensAndNamesTheDocument)
{
    MainWindowStart start;
    start.startSong = WriteSong("Intro.ncp", 6);
    Make(start);
    EXPECT_EQ(W().Measures(), 6);
    EXPECT_EQ(host->Title(), "Brickmelody - [Intro.ncp]");
    EXPECT_EQ(window->DisplayText(layout::TextId::SongName), "Song: Intro.ncp");
}

TEST_F(MainWindowTest, PlayButtonPlaysAndRestartsWhilePlaying)
{
    MainWindowStart start;
    start.startSong = WriteSong("Intro.ncp", 6);
    Make(start);
    Codes();
    ClickOn(ControlId::Play);
    EXPECT_EQ(Codes(), std::vector<engine::CommandCode>{engine::CommandCode::PlaySong});
    EXPECT_TRUE(window->Button(ControlId::Play)->Has(button::kOn));
    ClickOn(ControlId::Play);
    EXPECT_EQ(Codes(), (std::vector<engine::CommandCode>{engine::CommandCode::Stop, engine::CommandCode::PlaySong}));
    ClickOn(ControlId::Stop);
    EXPECT_EQ(Codes(), std::vector<engine::CommandCode>{engine::CommandCode::Stop});
    EXPECT_FALSE(window->Button(ControlId::Play)->Has(button::kOn));
}

TEST_F(MainWindowTest, TimeFormatButtonCyclesThroughFourFormats)
{
    Make();
    for (int i = 1; i <= 4; ++i) {
        ClickOn(ControlId::TimeFormat);
        EXPECT_EQ(W().view.timeFormat, i % 4);
    }
}

TEST_F(MainWindowTest, SwapSwitchMovesTheLeverAndFollowsTheEngine)
{
    Make();
    Codes();
    ClickOn(ControlId::SwapUp);
    EXPECT_EQ(W().view.swapPosition, 1);
    auto posted = std::exchange(worker.client.posted, {});
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(std::get<engine::SwitchSwap>(posted[0]).on, 1);
    platform::Message answer;
    answer.number = platform::msg::kSwapSwitched;
    answer.wParam = 1;
    answer.lParam = 0;
    host->Port().Post(answer);
    host->DeliverPosted();
    EXPECT_EQ(W().view.swapPosition, 2);
    // A press and a release outside the button: the lever goes back.
    const platform::Point p = Centre(ControlId::SwapUp);
    host->Press(p.x, p.y);
    EXPECT_EQ(W().view.swapPosition, 3);
    host->Release(5, 5);
    EXPECT_EQ(W().view.swapPosition, 2);
    EXPECT_TRUE(worker.client.posted.empty());
}

TEST_F(MainWindowTest, ChannelSwitchTurnsTheChannelOffAndMarksTheSong)
{
    MainWindowStart start;
    start.startSong = WriteSong("Intro.ncp", 2);
    Make(start);
    Codes();
    ClickOn(ControlId::ChannelSwitch0 /* channel 1 */);
    EXPECT_FALSE(W().doc.song.channelOn[0]);
    const auto posted = std::exchange(worker.client.posted, {});
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(std::get<engine::SetChannelGain>(posted[0]).gain, 0);
    EXPECT_EQ(host->Title(), "Brickmelody - [Intro.ncp *]");
}

TEST_F(MainWindowTest, KeysReachTheKeyboardTableAndF1OpensHelp)
{
    Make();
    host->Key(vk::kF1);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], dir / "HTMLHelp/Introducing.htm");
}

TEST_F(MainWindowTest, MenuChoicesArriveAsCommands)
{
    Make();
    system.OnModal([](HeadlessWindowHost& menu) {
        if (menu.Kind() == platform::WindowKind::Popup) {
            menu.Key(vk::kDown);
            menu.Key(vk::kReturn);
        }
    });
    dialogs.openAnswers.push_back({}); // the open dialog is cancelled
    host->Key(vk::kEscape);           // the main menu
    host->DeliverPosted();
    EXPECT_EQ(dialogs.opens.size(), 1u) << "Open... ran through the command handler";
    EXPECT_EQ(W().view.busy, 0);
}

TEST_F(MainWindowTest, StatusLineCountsDown)
{
    Make();
    window->ShowStatus(TextRecord{}, "Could not save");
    ASSERT_NE(window->HintArea(), nullptr);
    EXPECT_EQ(window->HintArea()->StatusTicksLeft(), 300);
    for (int i = 0; i < 300; ++i)
        window->AnimationTick();
    EXPECT_EQ(window->HintArea()->StatusTicksLeft(), 0);
}

TEST_F(MainWindowTest, PowerOffRunsTheShutdownOrder)
{
    Make();
    Codes();
    ClickOn(ControlId::Power);
    for (int i = 0; i < 20 && host->IsVisible(); ++i)
        window->AnimationTick();
    EXPECT_FALSE(host->IsVisible());
    EXPECT_TRUE(window->Closing());
    const auto codes = Codes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes[codes.size() - 3], engine::CommandCode::Stop);
    EXPECT_EQ(codes[codes.size() - 2], engine::CommandCode::SwitchSwap);
    EXPECT_EQ(codes.back(), engine::CommandCode::End);
    EXPECT_TRUE(std::filesystem::exists(dir / "library.dat"));
    // Messages after closing change nothing.
    platform::Message started;
    started.number = platform::msg::kPlaybackStarted;
    started.wParam = 1;
    host->Port().Post(started);
    host->DeliverPosted();
    EXPECT_EQ(W().view.transport, Transport::Stopped);
}

TEST_F(MainWindowTest, SplashClosesOnTheFirstKeyWhichDoesNothingElse)
{
    app.options.showSplash = 1;
    Make();
    ASSERT_TRUE(window->SplashShown());
    HeadlessWindowHost* splash = system.Last(platform::WindowKind::Splash);
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->IsVisible());
    host->Key(vk::kF1);
    EXPECT_FALSE(window->SplashShown());
    EXPECT_TRUE(shell.opened.empty()) << "the key only closed the splash";
    host->Key(vk::kF1);
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(MainWindowTest, SplashClosesAfterItsTimer)
{
    app.options.showSplash = 1;
    Make();
    ASSERT_TRUE(window->SplashShown());
    EXPECT_TRUE(host->FireTimer(timer::kSplash));
    EXPECT_FALSE(window->SplashShown());
    EXPECT_FALSE(host->TimerRunning(timer::kSplash));
}

} // namespace
} // namespace bm::ui::test
