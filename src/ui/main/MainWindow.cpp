#include "ui/main/MainWindow.h"

#include "core/Paths.h"
#include "library/LibraryWriter.h"
#include "song/WorkFiles.h"
#include "ui/main/ArrangementAreas.h"
#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/SplashWindow.h"
#include "ui/main/ToolWindow.h"
#include "ui/main/Selection.h"
#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/PopupMenu.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinScrollBar.h"

#include <algorithm>
#include <cstdio>

namespace bm::ui {

using layout::ControlId;

namespace {

constexpr int32_t kVolumeStep = 5;
constexpr uint32_t kAnimationMs = 20;
constexpr uint32_t kSplashMs = 30000;
constexpr uint32_t kNewsFirstMs = 60000;
constexpr uint32_t kNewsMs = 3600000;
constexpr uint32_t kRepeatFirstMs = 1200;
constexpr uint32_t kRepeatMs = 200;
// The power lamp blinks this many ticks before the window closes.
constexpr int32_t kPowerOffTicks = 12;
// Ticker slots of the volume buttons.
constexpr int kVolumeDownSlot = 1;
constexpr int kVolumeUpSlot = 2;
// The value of the idle probe a headless start sends (any value but 0).
constexpr int32_t kSettleProbe = 0x5E77;

MainServices ControllerServices(MainWindowServices& s)
{
    return MainServices{s.app,   s.engine.Client(), s.readings, s.dialogs,          s.shell,
                        s.dialogSet, s.files,  s.samples,  s.packageQuestions, s.newsPage};
}

bool IsChannelSwitch(ControlId id)
{
    return id >= ControlId::ChannelSwitch0 && id <= ControlId::ChannelSwitch11;
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, std::unique_ptr<platform::WindowHost> host)
    : SkinWindow(*services.app.archive, std::move(host)),
      m_services(services),
      m_controller(ControllerServices(m_services), *this),
      m_state(m_controller.State()),
      m_hints(*services.app.archive)
{
    m_services.app.mainWindow = this;
}

MainWindow::~MainWindow()
{
    m_areas.reset();
    if (m_services.attachPort)
        m_services.attachPort(nullptr);
    if (m_services.app.mainWindow == this)
        m_services.app.mainWindow = nullptr;
}

// ---- Initialisation ----

bool MainWindow::Initialise(const MainWindowStart& start)
{
    const app::OptionsFile& options = m_services.app.options;
    if (m_services.attachPort)
        m_services.attachPort(&Host().Port());

    // 1. The tempo to the engine; no start song: the work files go.
    m_controller.PostTempo();
    if (start.startSong.empty() && !start.keepFiles)
        DeleteAllWorkFiles(options.temporaryFolder);

    // 2. The note order list.
    std::string notes;
    if (ReadTextEntry(Archive(), "note_order.dat", notes))
        m_state.doc.noteOrder = NoteOrder::FromText(notes);

    // 3. Skin, move bar, fonts, border pieces.
    if (!LoadSkin(layout::kSkinEntry))
        return false;
    LoadMoveBar(layout::kMoveBarEntry, layout::kMoveBar);
    for (size_t i = 0; i < layout::kFonts.size(); ++i) {
        const layout::FontSpec& f = layout::kFonts[i];
        m_fonts[i].LoadFont(Archive(), f.entry, f.cellWidth, f.cellHeight, f.firstChar, f.lastChar, f.spaceWidth,
                            f.spacing);
    }
    SetFont(&m_fonts[0]);
    for (const layout::Piece& piece : layout::kPieces)
        AddPiece(piece.entry, piece.x, piece.y, static_cast<int32_t>(piece.kind));

    // 4. The fixed text records; 5. the controls with their hints, the menu pictures.
    LoadFixedTexts();
    CreateControls();
    LoadMenuImages();
    m_hintDisplay = std::make_unique<HintDisplay>(*this, m_hints, m_fonts[0], layout::kHintArea);
    m_areas = std::make_unique<ArrangementAreas>(m_controller, *this);
    m_hintDisplay->SetAnimation(options.windowAnimation != 0);

    // 6. The library, the document, the displays, the cursor, the clock.
    m_controller.LoadLibrary();
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_controller.SetDocumentName("");
    if (!start.startSong.empty())
        m_controller.OpenStartSong(start.startSong);
    m_controller.SetCursor(0);
    if (m_services.ticker)
        m_services.ticker->Start();
    UpdateControlStates();
    RedrawAll();

    // A headless start asks when the engine has loaded the song.
    if (!start.timers) {
        m_probing = true;
        m_services.engine.Client().Post(engine::IdleReport{kSettleProbe});
    }

    // 7. Timers, the window, the splash.
    if (start.timers) {
        Host().StartTimer(timer::kAnimation, kAnimationMs);
        Host().StartTimer(timer::kSplash, kSplashMs);
        Host().StartTimer(timer::kNews, kNewsFirstMs);
    }
    if (start.showWindow) {
        CentreOnScreen();
        Host().Show();
        Host().Raise();
        if (options.showSplash != 0) {
            m_splash = std::make_unique<SplashWindow>(Archive(), m_services.system, Host(), m_services.shell,
                                                      m_services.playSound, m_services.newsPage);
            if (!m_splash->Open())
                m_splash.reset();
        }
    }
    return true;
}

void MainWindow::LoadFixedTexts()
{
    WindowTexts& t = m_controller.Texts();
    const std::pair<const char*, TextRecord*> fixed[] = {
        {"%ADD_SAMPLES ", &t.addSamples},         {"%MB_HEADER ", &t.mbHeader},
        {"%WAVE_OPEN_ERR ", &t.waveOpenErr},      {"%MAKE_SWAP_ERR ", &t.makeSwapErr},
        {"%DEL_SWAP_ERR ", &t.delSwapErr},        {"%LINK_LOST_ERR ", &t.linkLostErr},
        {"%RESTORE_ERR ", &t.restoreErr},         {"%SAVE_ERROR ", &t.saveError},
        {"%SAVE_CHANGES ", &t.saveChanges},       {"%SAVE_CHANGES_AT ", &t.saveChangesAt},
        {"%REM_FILES ", &t.remFiles},             {"%SAME_NAME_WARN ", &t.sameNameWarn},
        {"%SAME_FILE_WARN ", &t.sameFileWarn},    {"%OVERWRITE_PROMPT ", &t.overwritePrompt},
        {"%DATA_LOSS_WARN ", &t.dataLossWarn},    {"%CHANNEL_SWITCH ", &t.channelSwitch},
        {"%CHANNEL_VOL ", &t.channelVol},         {"%CHANNEL_VALUE ", &t.channelValue},
        {"%EXT_STR_WAV ", &t.extWav},             {"%EXT_STR_NCP ", &t.extNcp},
        {"%EXT_STR_WCP ", &t.extWcp},             {"%EXT_STR_KNOWN ", &t.extKnown},
        {"%EXT_STR_ALL ", &t.extAll},
    };
    for (const auto& [key, record] : fixed)
        m_hints.LookUpText(key, *record);
}

void MainWindow::CreateControls()
{
    for (const layout::Control& c : layout::kControls) {
        if (c.id == ControlId::LibraryRowUp || c.id == ControlId::LibraryRowDown)
            continue; // the library scroll bar's arrows, made with the bar
        if (c.id == ControlId::VolumeKnob)
            continue; // the areas draw the knob and take its gestures
        SkinButton& button = AddButton(c.rect, c.strip, c.layout, true);
        m_buttons[static_cast<size_t>(c.id)] = &button;
    }
    // The library's scroll bar with its arrows, and the arrangement's.
    auto library = std::make_unique<SkinScrollBar>(*this, layout::kLibraryScroll.rect, ScrollAxis::Vertical);
    library->LoadTrack(layout::kLibraryScroll.track);
    library->LoadThumb(layout::kLibraryScroll.thumb, layout::kScrollThumbEnd);
    const layout::Control& up = layout::ControlOf(ControlId::LibraryRowUp);
    const layout::Control& down = layout::ControlOf(ControlId::LibraryRowDown);
    m_buttons[static_cast<size_t>(ControlId::LibraryRowUp)] = &library->SetFirstArrow(up.rect, up.strip, up.layout);
    m_buttons[static_cast<size_t>(ControlId::LibraryRowDown)] =
        &library->SetSecondArrow(down.rect, down.strip, down.layout);
    m_libraryBar = &AddScrollBar(std::move(library));
    auto arrangement =
        std::make_unique<SkinScrollBar>(*this, layout::kArrangementScroll.rect, ScrollAxis::Horizontal);
    arrangement->LoadTrack(layout::kArrangementScroll.track);
    arrangement->LoadThumb(layout::kArrangementScroll.thumb, layout::kScrollThumbEnd);
    m_arrangementBar = &AddScrollBar(std::move(arrangement));

    // The control hints, in the order the hint display searches them.
    for (const layout::HintSpot& spot : layout::kHintSpots)
        m_hints.LookUpHint(spot.key, spot.rect, spot.shownAtStart ? 1 : 0);
    // The readout records the text displays take their texts and colours from.
    for (const layout::TextArea& area : layout::kTextAreas) {
        if (!area.key.empty())
            m_hints.LookUpText(area.key, m_readouts[static_cast<size_t>(area.id)]);
    }
    m_hints.LookUpText("%STYLE_NAME ", m_controller.Texts().styleName);
    m_hints.LookUpText("%GROUP_NAME ", m_controller.Texts().groupName);
    m_hints.LookUpText("%VOLUME_VALUE ", m_controller.Texts().volumeValue);
    m_hints.LookUpText("%BPM_VALUE ", m_controller.Texts().bpmValue);
    m_hints.LookUpText("%TIME ", m_controller.Texts().time);
    m_hints.LookUpText("%SONG_NAME ", m_controller.Texts().songName);
    m_hints.LookUpText("%CHORD_NAME ", m_controller.Texts().chordName);
}

void MainWindow::LoadMenuImages()
{
    auto tile = std::make_shared<Image8>();
    if (LoadBitmap8(Archive(), "popup_tile.bmp", &tile->pixels, &tile->width, &tile->height))
        m_menuImages.tile = tile;
    auto right = std::make_shared<Image8>();
    if (LoadBitmap8(Archive(), "popup_right.bmp", &right->pixels, &right->width, &right->height))
        m_menuImages.right = right;
    auto icons = std::make_shared<Image24>();
    if (LoadBitmap24(Archive(), "icon19.bmp", &icons->pixels, &icons->width, &icons->height)) {
        m_menuImages.icons = icons;
        m_menuImages.iconCellWidth = 19;
        m_menuImages.iconCellHeight = 19;
    }
    LoadBitmap24(Archive(), "icon32.bmp", &m_icons32.pixels, &m_icons32.width, &m_icons32.height);
    LoadBitmap24(Archive(), std::string(layout::kMeterEntry), &m_meterMarks.pixels, &m_meterMarks.width,
                 &m_meterMarks.height);
}

// ---- ProgramWindow ----

void MainWindow::Run()
{
    if (m_quit)
        return;
    Host().RunModal();
}

void MainWindow::OpenFromOtherCopy(const std::string& path)
{
    if (!path.empty())
        m_controller.OpenFromOtherCopy(path);
}

void MainWindow::BringToFront()
{
    Host().Minimise();
    Host().Restore();
    Host().Raise();
}

bool MainWindow::SplashShown() const
{
    return m_splash && m_splash->IsOpen();
}

void MainWindow::CloseSplash()
{
    if (m_splash)
        m_splash->Close();
    m_splash.reset();
    Host().StopTimer(timer::kSplash);
}

// ---- Closing ----

void MainWindow::BeginClosing()
{
    if (m_powerCountdown >= 0 || m_state.view.closing)
        return;
    // The lamp blinks for a moment; the power-off order follows on the
    // animation timer (at once when the timer does not run).
    m_powerCountdown = kPowerOffTicks;
    if (!Host().IsVisible())
        m_powerCountdown = 0;
    if (m_powerCountdown == 0)
        app::RunShutdownOrder(*this, m_services.engine);
}

void MainWindow::SetClosing()
{
    m_state.view.closing = true;
    CloseSplash();
}

void MainWindow::WriteLibrary()
{
    Error error;
    WriteLibraryFile(m_services.app.programFolder + "library.dat", m_state.doc.library, &error);
}

void MainWindow::StopPlaybackClock()
{
    if (m_services.ticker)
        m_services.ticker->Stop();
}

void MainWindow::PostQuit()
{
    m_quit = true;
    Host().StopTimer(timer::kAnimation);
    Host().StopTimer(timer::kNews);
    if (Host().InModalLoop())
        Host().EndModal(0);
    Host().Hide();
}

// ---- Menus ----

bool MainWindow::Filter(std::string_view entry, MenuItem& item) const
{
    MenuItemState state{item.commandId, item.enabled, item.checked, item.text};
    const int32_t written = item.enabled;
    if (!m_controller.FilterMenuItem(entry, state, written))
        return false;
    item.enabled = state.enabled;
    item.checked = state.checked;
    item.text = state.text;
    return true;
}

int32_t MainWindow::OpenMenuAt(std::string_view entry, platform::Point screen)
{
    if (m_openMenu)
        m_openMenu->Cancel();
    MainController::BusyScope busy(m_controller);
    PopupMenu menu(Archive(), m_services.system, &Host(), Host().Port(), m_fonts[0]);
    MenuImages images = m_menuImages;
    if (entry == "main_menu.res" && !m_icons32.Empty()) {
        images.icons = std::make_shared<Image24>(m_icons32);
        images.iconCellWidth = 32;
        images.iconCellHeight = 32;
    }
    menu.SetImages(images);
    if (!menu.Load(entry, *this))
        return cmd::kMenuCancelled;
    menu.Layout();
    m_openMenu = &menu;
    const int32_t result = menu.Show(screen);
    m_openMenu = nullptr;
    return result;
}

void MainWindow::OpenMenu(const std::string& entry, MenuAnchor anchor)
{
    ControlId id = ControlId::MainMenu;
    switch (anchor) {
    case MenuAnchor::AtPointer: OpenMenuAt(entry, m_services.system.PointerPosition()); return;
    case MenuAnchor::MainMenuButton: id = ControlId::MainMenu; break;
    case MenuAnchor::EditButton: id = ControlId::Edit; break;
    case MenuAnchor::StyleButton: id = ControlId::StyleMenu; break;
    case MenuAnchor::GroupButton: id = ControlId::GroupMenu; break;
    case MenuAnchor::ChordButton: id = ControlId::ChordMenu; break;
    }
    const platform::Rect& r = layout::ControlOf(id).rect;
    platform::Point below = Host().ClientToScreen({r.left, r.bottom + 1});
    if (id == ControlId::MainMenu) {
        // The main menu button sits at the window's bottom edge: the menu
        // opens above it when there is no room below (the menu keeps itself
        // on the screen).
        below = Host().ClientToScreen({r.left, r.top});
    }
    OpenMenuAt(entry, below);
    if (SkinButton* button = Button(id)) {
        button->SetBits(button::kPressed, false);
        button->Draw();
    }
}

void MainWindow::OpenMenu(std::string_view entry, platform::Point screen)
{
    OpenMenuAt(entry, screen);
}

void MainWindow::OpenTimeWindow(int32_t area)
{
    const platform::Rect& r = layout::kTimeHotAreas[static_cast<size_t>(std::clamp(area, 0, 1))];
    OpenMenuAt("time_menu.res", Host().ClientToScreen({r.left, r.bottom + 2}));
}

std::unique_ptr<platform::WindowHost> MainWindow::CreateFloatingWindow()
{
    return m_services.system.CreateWindow(platform::WindowKind::Tool, &Host());
}

void MainWindow::StartPlacementDrag()
{
    if (m_areas)
        m_areas->StartPlacementDrag();
}

void MainWindow::OpenValueSlider(const ValueSliderRequest& request)
{
    if (m_areas)
        m_areas->OpenValueSlider(request);
}

void MainWindow::CloseChannelPopup(bool apply)
{
    if (!m_channelPopup || !m_channelPopup->IsOpen())
        return;
    if (apply)
        m_controller.SetChannel(m_channelPopup->Channel(), m_channelPopup->On() ? 1 : 0, m_channelPopup->Volume());
    m_channelPopup->Close();
    UpdateControlStates();
}

void MainWindow::OpenChannelPopup(int32_t channel)
{
    if (!m_channelPopup)
        m_channelPopup = std::make_unique<ChannelPopup>(
            Archive(), m_services.system, Host(), m_fonts[0], [this](int32_t command) { m_controller.OnCommand(command); });
    const platform::Rect& indicator = layout::ChannelVolumeRect(channel);
    const Song& song = m_state.doc.song;
    m_channelPopup->Open(channel, song.channelOn[channel], song.channelVolume[channel],
                         Host().ClientToScreen({indicator.left + 3, 25 * channel + 31}));
    m_state.view.channelPopupOpen = true;
}

void MainWindow::ToggleToolWindow(ControlId id)
{
    const bool zoom = id == ControlId::ZoomWindow;
    std::unique_ptr<ToolWindow>& window = zoom ? m_zoomWindow : m_measureWindow;
    if (window && window->IsOpen()) {
        window->Close();
    } else {
        if (!window)
            window = std::make_unique<ToolWindow>(Archive(), m_services.system, Host(),
                                                  [this](int32_t command) { m_controller.OnCommand(command); });
        ToolWindow::Setup setup;
        if (zoom) {
            const auto at = std::find(kMeasureWidths.begin(), kMeasureWidths.end(), m_state.view.measureWidth);
            const int32_t index = at == kMeasureWidths.end() ? 4 : static_cast<int32_t>(at - kMeasureWidths.begin());
            setup = {&layout::kZoomWindow, cmd::kZoomOut, cmd::kZoomIn, index,
                     static_cast<int32_t>(kMeasureWidths.size()) - 1 - index};
        } else {
            const int32_t measures = m_state.Measures();
            setup = {&layout::kMeasureWindow, cmd::kRemoveLastFour, cmd::kAppendFour, (measures + 3) / 4,
                     std::max(0, kMaxEditableMeasures - measures) / 4};
        }
        const platform::Rect& button = layout::ControlOf(id).rect;
        const layout::ToolWindowSpec& look = *setup.look;
        const int32_t left = zoom ? button.left : button.right + 1 - look.width;
        window->Open(setup, Host().ClientToScreen({left, button.bottom + 2}));
    }
    if (SkinButton* b = Button(id)) {
        b->SetBits(button::kOn, window->IsOpen());
        RestoreBackground(b->GetRect());
        b->Draw();
    }
}

// ---- Events ----

std::optional<ControlId> MainWindow::IdOf(const SkinButton& button) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i] == &button)
            return static_cast<ControlId>(i);
    }
    return std::nullopt;
}

void MainWindow::HandleEvent(const platform::WindowEvent& e)
{
    using platform::EventType;
    switch (e.type) {
    case EventType::LeftDown:
    case EventType::RightDown:
        // A press while the splash is up only closes it.
        if (SplashShown()) {
            CloseSplash();
            return;
        }
        if (m_areas && m_areas->OnEvent(e))
            return;
        break;
    case EventType::LeftUp:
    case EventType::RightUp:
    case EventType::LeftDoubleClick:
    case EventType::Wheel:
        if (m_areas && m_areas->OnEvent(e))
            return;
        break;
    case EventType::KeyDown:
        if (SplashShown()) {
            CloseSplash();
            return;
        }
        if (m_controller.OnKey(e.key, e.modifiers, e.repeat) == 0 && m_areas)
            m_areas->OnKey(e.key, e.modifiers, e.repeat);
        return;
    case EventType::FocusLost:
        if (m_areas)
            m_areas->OnFocusLost();
        break;
    case EventType::MouseMove:
        m_pointer = platform::Point{e.x, e.y};
        if (m_areas && m_areas->OnEvent(e))
            return;
        break;
    case EventType::Timer:
        switch (e.timerId) {
        case timer::kAnimation: AnimationTick(); return;
        case timer::kHover:
            if (m_areas)
                m_areas->OnTimer(e.timerId);
            return;
        case timer::kSplash:
            CloseSplash();
            return;
        case timer::kTempoRepeat:
            if (m_tempoRepeat != 0) {
                m_controller.OnCommand(m_tempoRepeat);
                Host().StartTimer(timer::kTempoRepeat, kRepeatMs);
            } else {
                Host().StopTimer(timer::kTempoRepeat);
            }
            return;
        case timer::kNews:
            Host().StartTimer(timer::kNews, kNewsMs);
            if (m_services.startNewsCheck)
                m_services.startNewsCheck(Host().Port());
            return;
        default: break;
        }
        break;
    case EventType::Message:
        if (e.message.number == platform::msg::kCommand) {
            m_controller.OnCommand(static_cast<int32_t>(e.message.wParam), e.message.lParam);
            return;
        }
        OnEngineMessage(e.message);
        return;
    case EventType::Close:
        m_controller.OnCommand(cmd::kExit);
        return;
    default: break;
    }
    SkinWindow::HandleEvent(e);
}

void MainWindow::OnEngineMessage(const platform::Message& message)
{
    namespace msg = platform::msg;
    if (m_state.view.closing)
        return;
    switch (message.number) {
    case msg::kVolumeDownTick:
    case msg::kVolumeUpTick:
        if (m_volumeRepeat != 0)
            SetMasterVolume(m_state.view.masterVolume + m_volumeRepeat * kVolumeStep);
        if (m_services.ticker)
            m_services.ticker->Acknowledge(message.number == msg::kVolumeDownTick ? kVolumeDownSlot : kVolumeUpSlot);
        return;
    case msg::kTick0:
    case msg::kTick3:
    case msg::kTick4:
    case msg::kTick:
        return;
    case msg::kIdleReport:
        // The answers to the start's probe: the value at once, then 0 once
        // the worker has handled everything sent before it and is idle.
        if (m_probing) {
            if (message.wParam == 0) {
                m_probing = false;
                m_engineIdle = true;
            }
            return;
        }
        break;
    case msg::kNewsDone:
        if (std::holds_alternative<std::monostate>(message.payload) && m_services.newsText) {
            platform::Message withText = message;
            withText.payload = m_services.newsText();
            m_controller.OnEngineMessage(withText);
            return;
        }
        break;
    default: break;
    }
    m_controller.OnEngineMessage(message);
    UpdateControlStates();
}

void MainWindow::SetMasterVolume(int32_t volume)
{
    const int32_t target = std::clamp(volume, 0, 255);
    if (m_areas)
        m_areas->StepMasterVolume(target - m_state.view.masterVolume);
    else
        m_state.view.masterVolume = target;
    DrawTextArea(layout::TextId::VolumeValue);
}

void MainWindow::AnimationTick()
{
    ++m_tick;
    if (m_powerCountdown > 0) {
        DrawPicture(ControlId::PowerLamp, (m_powerCountdown / 2) % 2);
        if (--m_powerCountdown == 0) {
            app::RunShutdownOrder(*this, m_services.engine);
            return;
        }
    }
    if (m_areas)
        m_areas->OnTick();
    const app::OptionsFile& options = m_services.app.options;
    if (m_state.Playing() && (options.windowAnimation != 0 || m_tick % 25 == 0))
        DrawTextArea(layout::TextId::Time);
    if (m_hintDisplay) {
        const bool hints = options.buttonHints != 0 || options.sampleHints != 0;
        std::optional<platform::Point> pointer = hints ? m_pointer : std::nullopt;
        m_hintDisplay->Tick(pointer, pointer ? ChannelHint(*pointer) : nullptr);
    }
}

const HintRecord* MainWindow::ChannelHint(platform::Point pointer)
{
    const WindowTexts& t = m_controller.Texts();
    for (int32_t c = 0; c < layout::kChannels; ++c) {
        const bool onSwitch = layout::ChannelSwitchRect(c).Contains(pointer);
        const bool onVolume = layout::ChannelVolumeRect(c).Contains(pointer);
        if (!onSwitch && !onVolume)
            continue;
        char number[4];
        std::snprintf(number, sizeof number, "%02d", c + 1);
        const Song& song = m_state.doc.song;
        if (onSwitch) {
            m_channelHint = t.channelSwitch;
            m_channelHint.text = FillHintText(t.channelSwitch.text, number, song.channelOn[c] ? 1 : 0);
        } else {
            m_channelHint = t.channelVol;
            std::string value = FillHintText(t.channelValue.text, std::to_string(song.channelVolume[c]), 0);
            m_channelHint.text = FillHintText(t.channelVol.text, number, song.channelOn[c] ? 1 : 0) + " " + value;
        }
        m_channelHint.rect = onSwitch ? layout::ChannelSwitchRect(c) : layout::ChannelVolumeRect(c);
        return &m_channelHint;
    }
    return nullptr;
}

// ---- Buttons ----

void MainWindow::ButtonPressed(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    if (!PressIfHit(button, x, y))
        return;
    const std::optional<ControlId> id = IdOf(button);
    if (!id)
        return;
    switch (*id) {
    case ControlId::VolumeDown:
    case ControlId::VolumeUp:
        m_volumeRepeat = *id == ControlId::VolumeDown ? -1 : 1;
        SetMasterVolume(m_state.view.masterVolume + m_volumeRepeat * kVolumeStep);
        if (m_services.ticker)
            m_services.ticker->Enable(*id == ControlId::VolumeDown ? kVolumeDownSlot : kVolumeUpSlot, true);
        break;
    case ControlId::Edit:
        m_state.view.pointedChannel = -1;
        OpenMenu("edit_menu.res", MenuAnchor::EditButton);
        break;
    case ControlId::StyleMenu: OpenMenu("group_menu.res", MenuAnchor::StyleButton); break;
    case ControlId::GroupMenu: OpenMenu("group_menu.res", MenuAnchor::GroupButton); break;
    case ControlId::ChordMenu: OpenMenu("cpart_menu.res", MenuAnchor::ChordButton); break;
    case ControlId::MainMenu: m_controller.OnCommand(cmd::kMainMenu); break;
    case ControlId::TempoFaster:
    case ControlId::TempoSlower:
    case ControlId::Rewind:
    case ControlId::FastForward:
    case ControlId::LibraryPageUp:
    case ControlId::LibraryPageDown: {
        int32_t command = layout::ControlOf(*id).command;
        if (*id == ControlId::Rewind)
            command = cmd::kMeasureBack;
        else if (*id == ControlId::FastForward)
            command = cmd::kMeasureOn;
        m_tempoRepeat = command;
        m_controller.OnCommand(command);
        Host().StartTimer(timer::kTempoRepeat, kRepeatFirstMs);
        break;
    }
    case ControlId::SelectorLeft:
    case ControlId::SelectorRight:
        m_state.view.displaySelector =
            std::clamp(m_state.view.displaySelector + (*id == ControlId::SelectorLeft ? -1 : 1), 0,
                       layout::kSelectorFrames - 1);
        DrawPicture(ControlId::SelectorDisplay, m_state.view.displaySelector);
        DrawPicture(ControlId::SelectorDots, m_state.view.displaySelector);
        Repaint(Area::Library);
        break;
    case ControlId::SwapUp: OnSwapPress(true); break;
    case ControlId::SwapDown: OnSwapPress(false); break;
    default: break;
    }
}

void MainWindow::ButtonReleased(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    const bool onButton = ReleasePressed(button, x, y);
    if (const std::optional<ControlId> id = IdOf(button))
        RouteRelease(*id, onButton);
    UpdateControlStates();
}

void MainWindow::ButtonRightPressed(uint32_t, int32_t, int32_t, SkinButton&) {}

void MainWindow::ButtonRightReleased(uint32_t, int32_t, int32_t, SkinButton&) {}

void MainWindow::RouteRelease(ControlId id, bool onButton)
{
    if (id >= ControlId::ChannelVolume0 && id <= ControlId::ChannelVolume11) {
        if (onButton)
            OpenChannelPopup(static_cast<int32_t>(id) - static_cast<int32_t>(ControlId::ChannelVolume0));
        return;
    }
    if (IsChannelSwitch(id)) {
        if (onButton) {
            const int32_t c = static_cast<int32_t>(id) - static_cast<int32_t>(ControlId::ChannelSwitch0);
            m_controller.SetChannel(c, m_state.doc.song.channelOn[c] ? 0 : 1, -1);
        }
        return;
    }
    switch (id) {
    case ControlId::VolumeDown:
    case ControlId::VolumeUp:
        m_volumeRepeat = 0;
        if (m_services.ticker) {
            m_services.ticker->Enable(kVolumeDownSlot, false);
            m_services.ticker->Enable(kVolumeUpSlot, false);
        }
        return;
    case ControlId::TempoFaster:
    case ControlId::TempoSlower:
    case ControlId::Rewind:
    case ControlId::FastForward:
    case ControlId::LibraryPageUp:
    case ControlId::LibraryPageDown:
        m_tempoRepeat = 0;
        Host().StopTimer(timer::kTempoRepeat);
        return;
    case ControlId::SwapUp: OnSwapRelease(true, onButton); return;
    case ControlId::SwapDown: OnSwapRelease(false, onButton); return;
    default: break;
    }
    if (!onButton)
        return;
    switch (id) {
    case ControlId::Loop: m_controller.OnCommand(cmd::kLoop); break;
    case ControlId::Play:
        if (m_state.Playing())
            m_controller.OnCommand(cmd::kPlayStop);
        m_controller.OnCommand(cmd::kPlayStop);
        break;
    case ControlId::Stop:
        if (m_state.view.transport != Transport::Stopped)
            m_controller.OnCommand(cmd::kPlayStop);
        break;
    case ControlId::ToStart: m_controller.OnCommand(cmd::kToStart); break;
    case ControlId::ToEnd: m_controller.OnCommand(cmd::kToEnd); break;
    case ControlId::Power:
    case ControlId::Close: m_controller.OnCommand(cmd::kExit); break;
    case ControlId::Minimize: Host().Minimise(); break;
    case ControlId::Region: {
        const int32_t region = RegionAt(m_state.doc.song, m_state.view.cursorMeasure);
        if (region < 0) {
            m_controller.OnCommand(cmd::kCreateRegion);
        } else {
            m_state.view.currentRegion = region;
            m_controller.OnCommand(cmd::kRemoveRegion);
        }
        break;
    }
    case ControlId::RegionPlay: m_controller.OnCommand(cmd::kRegionPlaySwitch); break;
    case ControlId::ZoomWindow:
    case ControlId::MeasureWindow: ToggleToolWindow(id); break;
    case ControlId::Tempo: m_controller.OnCommand(cmd::kTempo); break;
    case ControlId::TimeFormat:
        m_controller.OnCommand(cmd::kTimeFormat0 + (m_state.view.timeFormat + 1) % kTimeFormats);
        break;
    default: break;
    }
}

void MainWindow::OnSwapPress(bool up)
{
    int32_t& position = m_state.view.swapPosition;
    if (up && position < 4)
        ++position;
    else if (!up && position > 0)
        --position;
    DrawPicture(ControlId::SwapLever, position);
}

void MainWindow::OnSwapRelease(bool up, bool onButton)
{
    int32_t& position = m_state.view.swapPosition;
    if (up && !onButton && position != 4)
        --position;
    if (up && onButton && position == 3)
        position = 4;
    position = std::clamp(position, 0, 4);
    DrawPicture(ControlId::SwapLever, position);
    if (!onButton)
        return;
    engine::EngineClient& engine = m_services.engine.Client();
    switch (position) {
    case 1:
        engine.Post(engine::SwitchSwap{up ? 1 : 0});
        m_state.view.swapPending = true;
        break;
    case 2: engine.Post(engine::IdleReport{0}); break;
    case 4: engine.Post(engine::IdleReport{1}); break;
    default: break;
    }
}

void MainWindow::ArrowPressed(uint32_t, int32_t x, int32_t y, SkinScrollBar& bar, SkinButton& arrow)
{
    if (!arrow.HitTest(x, y))
        return;
    if (&bar == m_libraryBar) {
        const bool up = &arrow == bar.FirstArrow();
        m_controller.OnCommand(up ? cmd::kLibraryUp : cmd::kLibraryDown);
        StartRepeat(&bar, up ? -1 : 1, kRepeatMs);
    }
}

void MainWindow::RepeatEnded(uint32_t, int32_t, int32_t, SkinScrollBar*, int32_t) {}

void MainWindow::Repeat(int32_t count, SkinScrollBar* bar, int32_t flag)
{
    if (bar == m_libraryBar && count > 1)
        m_controller.OnCommand(flag < 0 ? cmd::kLibraryUp : cmd::kLibraryDown);
}

void MainWindow::ThumbMoved(int32_t newPos, int32_t oldPos, SkinScrollBar& bar)
{
    SkinWindow::ThumbMoved(newPos, oldPos, bar);
    if (&bar == m_libraryBar) {
        m_state.view.libraryFirstRow = newPos;
        Repaint(Area::Library);
    } else if (&bar == m_arrangementBar) {
        m_controller.ScrollTo(newPos);
    }
}

void MainWindow::SyncScrollBars()
{
    if (m_libraryBar) {
        m_libraryBar->SetRange(0, LastLibraryFirstRow(m_state.doc.library, layout::kLibraryVisibleRows));
        m_libraryBar->SetPos(m_state.view.libraryFirstRow);
    }
    if (m_arrangementBar) {
        m_arrangementBar->SetRange(0, m_controller.ScrollMax());
        m_arrangementBar->SetPos(m_state.view.scrollX);
    }
}

} // namespace bm::ui
