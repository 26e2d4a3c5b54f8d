#pragma once

// The program's main window: one fixed-size skinned window whose face comes
// from the archive. It initialises in a fixed order (tempo to the engine,
// note order list, skin, move bar, fonts, border pieces, the fixed texts,
// every control of the layout table with its hint, popup pictures, the
// library, the start song, the displays, the engine's clock, its timers and
// the splash), routes its buttons' presses and releases to commands, draws
// its text displays and status line, opens the popup menus, passes keys to
// the keyboard table and the engine's messages to the controller, and runs
// the power-off order when it closes.
//
// It reaches the screen only through its WindowHost, the person through
// platform::Dialogs and the program's dialogs, the engine through commands.
//
// UI thread only.

#include "app/AppContext.h"
#include "app/EngineWorker.h"
#include "app/ProgramWindow.h"
#include "app/ShutdownOrder.h"
#include "engine/UiTicker.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/WindowHost.h"
#include "ui/main/AreaHost.h"
#include "ui/dialogs/DialogSet.h"
#include "ui/main/Layout.h"
#include "ui/main/MainController.h"
#include "ui/main/MainServices.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/HintDisplay.h"
#include "ui/skin/MenuDescription.h"
#include "ui/skin/SkinWindow.h"
#include "ui/skin/StringTable.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace bm {
class PopupMenu;
class SkinScrollBar;
}

namespace bm::ui {

class ArrangementAreas;
class ChannelPopup;
class SplashWindow;
class ToolWindow;

// Timer ids of the main window.
namespace timer {
constexpr uint32_t kAnimation = 0;   // 20 ms
constexpr uint32_t kHover = 1;       // 1000 ms on the time display
constexpr uint32_t kSplash = 2;      // once after 30 000 ms
constexpr uint32_t kTempoRepeat = 3; // 1200 ms, then 200 ms
constexpr uint32_t kNews = 4;        // 60 000 ms, then hourly
} // namespace timer

struct MainWindowServices {
    MainWindowServices(app::AppContext& a, platform::WindowSystem& s, platform::Dialogs& d, platform::Shell& sh,
                       dialogs::DialogSet& cd, app::EngineWorker& e, EngineReadings& r, SampleTools& st, FileFacts& f)
        : app(a), system(s), dialogs(d), shell(sh), dialogSet(cd), engine(e), readings(r), samples(st), files(f)
    {
    }
    app::AppContext& app;
    platform::WindowSystem& system;
    platform::Dialogs& dialogs;
    platform::Shell& shell;
    dialogs::DialogSet& dialogSet;
    app::EngineWorker& engine;
    EngineReadings& readings;
    SampleTools& samples;
    FileFacts& files;
    engine::UiTicker* ticker = nullptr;          // the engine's clock; none in tests
    // Called once the window's message port exists, so the engine's posts
    // reach it (the program's forwarding port attaches it).
    std::function<void(platform::MessagePort*)> attachPort = {};
    PackageQuestions* packageQuestions = nullptr;
    std::string newsPage;
    // Starts the news check; its result arrives as message 1046, and the
    // text it fetched is read here.
    std::function<void(platform::MessagePort&)> startNewsCheck = {};
    std::function<std::string()> newsText = {};
    // Plays the splash sound from memory; returns a stopper. None: silent.
    std::function<std::function<void()>(std::string bytes)> playSound = {};
};

// How the window starts.
struct MainWindowStart {
    std::string startSong;   // empty: none
    bool showWindow = true;  // false for headless screenshots
    bool timers = true;      // start the periodic timers
    bool keepFiles = false;  // leave the work files alone (headless screenshots)
};

class MainWindow final : public SkinWindow,
                         public app::ProgramWindow,
                         public MainView,
                         public AreaHost,
                         private app::ShutdownSteps,
                         private MenuItemFilter {
public:
    MainWindow(MainWindowServices services, std::unique_ptr<platform::WindowHost> host);
    ~MainWindow() override;

    // The initialisation order; false when the skin could not be loaded
    // (the archive lacks the window's face).
    bool Initialise(const MainWindowStart& start);

    // ProgramWindow.
    void Run() override;
    void OpenFromOtherCopy(const std::string& path) override;
    void BringToFront() override;

    MainController& Controller() { return m_controller; }
    const MainController& Controller() const { return m_controller; }
    SkinButton* Button(layout::ControlId id) const { return m_buttons[static_cast<size_t>(id)]; }
    const StringTable& Hints() const { return m_hints; }
    HintDisplay* HintArea() { return m_hintDisplay.get(); }
    ArrangementAreas* Areas() { return m_areas.get(); }
    bool SplashShown() const;
    ToolWindow* ZoomWindow() const { return m_zoomWindow.get(); }
    ToolWindow* MeasureWindow() const { return m_measureWindow.get(); }
    ChannelPopup* ChannelVolumePopup() const { return m_channelPopup.get(); }
    bool Closing() const { return m_state.view.closing; }
    // The engine has reported being idle since the window started: the
    // song's samples are loaded.
    bool EngineSettled() const { return m_engineIdle; }
    // One tick of the 20 ms timer (tests step it).
    void AnimationTick();
    // Draws every display and area afresh and presents the whole window.
    void RedrawAll();
    // The text a display shows now (tests read them).
    std::string DisplayText(layout::TextId id) const;

    // MainView.
    void SetWindowTitle(const std::string& title) override;
    void Repaint(Area area) override;
    void RepaintChannel(int32_t channel) override;
    void RepaintMeasures(int32_t first, int32_t count) override;
    void ShowStatus(const TextRecord& record, const std::string& text) override;
    void ClearStatus() override;
    int32_t ArrangementLeft() const override { return layout::kArrangement.left; }
    int32_t ArrangementRight() const override { return layout::kArrangement.right; }
    int32_t LibraryVisibleRows() const override { return layout::kLibraryVisibleRows; }
    void OpenMenu(const std::string& entry, MenuAnchor anchor) override;
    void OpenTimeWindow(int32_t area) override;
    void StartPlacementDrag() override;
    void OpenValueSlider(const ValueSliderRequest& request) override;
    void CloseChannelPopup(bool apply) override;
    void BeginClosing() override;

    // AreaHost.
    Image24& Canvas() override { return SkinWindow::Canvas(); }
    const Image24& Background() const override { return SkinWindow::Background(); }
    void Present(const platform::Rect& rect) override { Blit(rect); }
    const BitmapFont& Font(layout::FontId id) const override { return m_fonts[static_cast<size_t>(id)]; }
    const ResourceArchive& Archive() const override { return SkinWindow::Archive(); }
    void CaptureMouse() override { Host().CaptureMouse(); }
    void ReleaseMouse() override { Host().ReleaseMouse(); }
    void SetPointer(platform::Point client) override { Host().SetPointerPosition(client); }
    platform::Point ToScreen(platform::Point client) const override { return Host().ClientToScreen(client); }
    void OpenMenu(std::string_view entry, platform::Point screen) override;
    std::unique_ptr<platform::WindowHost> CreateFloatingWindow() override;
    platform::WindowSystem& System() override { return m_services.system; }
    void StartTimer(uint32_t id, uint32_t periodMs) override { Host().StartTimer(id, periodMs); }
    void StopTimer(uint32_t id) override { Host().StopTimer(id); }

protected:
    void HandleEvent(const platform::WindowEvent& event) override;
    void ButtonPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ButtonReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ButtonRightPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ButtonRightReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ArrowPressed(uint32_t keys, int32_t x, int32_t y, SkinScrollBar& bar, SkinButton& arrow) override;
    void RepeatEnded(uint32_t keys, int32_t x, int32_t y, SkinScrollBar* bar, int32_t count) override;
    void Repeat(int32_t count, SkinScrollBar* bar, int32_t flag) override;
    void ThumbMoved(int32_t newPos, int32_t oldPos, SkinScrollBar& bar) override;

private:
    // ShutdownSteps.
    void SetClosing() override;
    void WriteLibrary() override;
    void StopPlaybackClock() override;
    void PostQuit() override;
    // MenuItemFilter.
    bool Filter(std::string_view entry, MenuItem& item) const override;

    void LoadFixedTexts();
    void CreateControls();
    void LoadMenuImages();
    void RouteRelease(layout::ControlId id, bool onButton);
    void ToggleToolWindow(layout::ControlId id);
    void OpenChannelPopup(int32_t channel);
    void OnSwapPress(bool up);
    void OnSwapRelease(bool up, bool onButton);
    void OnEngineMessage(const platform::Message& message);
    void CloseSplash();
    void UpdateControlStates();
    void DrawTextArea(layout::TextId id);
    void DrawDisplays();
    void DrawPicture(layout::ControlId id, int32_t frame);
    void DrawKnob();
    std::string TempoText() const;
    const HintRecord* ChannelHint(platform::Point pointer);
    int32_t OpenMenuAt(std::string_view entry, platform::Point screen);
    void SyncScrollBars();
    void SetMasterVolume(int32_t volume);
    std::optional<layout::ControlId> IdOf(const SkinButton& button) const;

    MainWindowServices m_services;
    MainController m_controller;
    MainState& m_state;
    StringTable m_hints;
    std::array<BitmapFont, 4> m_fonts;
    std::array<SkinButton*, static_cast<size_t>(layout::ControlId::Count)> m_buttons{};
    SkinScrollBar* m_libraryBar = nullptr;
    SkinScrollBar* m_arrangementBar = nullptr;
    std::unique_ptr<HintDisplay> m_hintDisplay;
    MenuImages m_menuImages;
    Image24 m_icons32;
    Image24 m_meterMarks;
    std::array<HintRecord, static_cast<size_t>(layout::TextId::Count)> m_readouts;
    std::array<int32_t, 12> m_meters{};
    std::unique_ptr<ArrangementAreas> m_areas;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<ToolWindow> m_zoomWindow;
    std::unique_ptr<ToolWindow> m_measureWindow;
    std::unique_ptr<ChannelPopup> m_channelPopup;
    PopupMenu* m_openMenu = nullptr;
    std::optional<std::string> m_status;
    int32_t m_tick = 0;
    int32_t m_volumeRepeat = 0; // -1 down, +1 up while a volume button is held
    int32_t m_tempoRepeat = 0;  // the tempo command repeating while its button is held
    int32_t m_powerCountdown = -1;
    bool m_hoverTime = false;
    std::optional<platform::Point> m_pointer;
    HintRecord m_channelHint;
    bool m_quit = false;
    bool m_engineIdle = false;
    bool m_probing = false;
};

} // namespace bm::ui
