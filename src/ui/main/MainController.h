#pragma once

// The main window's document and commands, without the window: it owns the
// document and view state, runs every numbered command through one table
// (availability rule, handler, menu rule), turns keys into commands through
// the keyboard table, and handles the engine's messages. It reaches the
// engine, the person, the shell and the view only through MainServices, so
// it is driven headless in tests.
//
// Example:
//     MainController controller(context, services, view);
//     controller.LoadTexts(archive);
//     controller.OnCommand(cmd::kPlayStop);
//     controller.OnKey(platform::vk::kSpace, 0, false);
//
// Main thread only.

#include "app/AppContext.h"
#include "engine/EngineCommand.h"
#include "platform/Dialogs.h"
#include "platform/MessagePort.h"
#include "platform/Shell.h"
#include "song/PackageQuestions.h"
#include "song/TempoChange.h"
#include "ui/dialogs/DialogSet.h"
#include "ui/main/MainServices.h"
#include "ui/main/MainState.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace bm {
class SongReader;
class SongWriter;
}

namespace bm::ui {

// The parameter of command 1162 that closes without any question (the
// program is being ended from outside; the song is kept in "last.ncp").
constexpr int64_t kExitWithoutQuestions = 2;

// How the menu item filter treats a command's items.
enum class MenuRule {
    AsWritten,             // kept as the description writes it
    EnabledByAvailability, // kept; enabled while available
    KeptWhenAvailable,     // kept only while available (then enabled)
    CheckedByFlag,         // enabled by availability, checked by the flag it toggles
    NewsMark,              // checked while there is unread news
    RegionOnOff,           // of the two items, only the one matching the region's flag
    TimeFormat,            // checked for the current time format
    GroupName,             // labelled with a group of the current style
    ChordName,             // labelled with a chord of the current group
};

// A menu item as the filter sees it.
struct MenuItemState {
    int32_t command = 0;
    int32_t enabled = 1;
    int32_t checked = -1;
    std::string text;
};

struct MainServices {
    app::AppContext& app;
    engine::EngineClient& engine;
    EngineReadings& readings;
    platform::Dialogs& dialogs;
    platform::Shell& shell;
    dialogs::DialogSet& dialogSet;
    FileFacts& files;
    SampleTools& samples;
    PackageQuestions* packageQuestions = nullptr; // the package import's questions; none: keep every local file
    std::string newsPage;                         // the news page's address; empty: none
};

class MainController {
public:
    using Handler = int32_t (MainController::*)(int32_t command, int64_t param);
    struct CommandRow {
        int32_t first = 0;
        int32_t last = 0;
        bool (*available)(const MainController&, int32_t command) = nullptr;
        Handler handler = nullptr;
        MenuRule menu = MenuRule::AsWritten;
    };

    MainController(MainServices services, MainView& view);
    ~MainController();
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;

    MainState& State() { return m_state; }
    const MainState& State() const { return m_state; }
    WindowTexts& Texts() { return m_texts; }
    const WindowTexts& Texts() const { return m_texts; }
    const MainServices& Services() const { return m_services; }
    // The view the commands repaint through (the window's areas use it for
    // the parts of the window they do not draw themselves).
    MainView& View() { return m_view; }
    int32_t LibraryVisibleRows() const { return m_view.LibraryVisibleRows(); }

    // Runs a command: 0 when it is not available or was refused, cancelled
    // or failed; 1 when it was carried out. A non-zero parameter marks a
    // sub-step of another command.
    int32_t OnCommand(int32_t command, int64_t param = 0);
    bool IsCommandAvailable(int32_t command) const;
    // The table row of a command, or nullptr (unknown commands).
    static const CommandRow* FindCommand(int32_t command);
    static std::span<const CommandRow> Commands();

    // Opens a song handed over by another copy of the program (command 1155
    // with that path). While a modal dialog or menu is up it waits until the
    // window is free again (RunPendingOpen).
    void OpenFromOtherCopy(const std::string& path);
    void RunPendingOpen();

    // The keyboard: each matching row of the keyboard table runs, in order.
    // Returns the number of commands sent.
    int OnKey(int32_t key, uint32_t modifiers, bool repeat);

    // The menu item filter: false drops the item; otherwise the item's
    // enabled, checked and text may have been changed.
    bool FilterMenuItem(std::string_view entry, MenuItemState& item, int32_t writtenEnabled) const;

    // The engine's messages to the main window; nothing once closing.
    void OnEngineMessage(const platform::Message& message);

    // The news check's result (message 1046): the first line of the text.
    void OnNews(const std::string& text);

    // Start-up pieces (the window calls them in its initialisation order).
    void PostTempo();
    void LoadLibrary();
    void SetDocumentName(std::string_view name);
    void RefreshTitle();
    // Opens the start song, when there is one; true when a song was read.
    bool OpenStartSong(const std::string& path);

    // A channel switch or the channel volume popup: sets channel `channel`
    // on (1), off (0) or as it is (-1), and its volume (-1: as it is); marks
    // the song changed.
    void SetChannel(int32_t channel, int on, int volume);

    // The busy counter, raised while a modal dialog, box or menu runs.
    struct BusyScope {
        explicit BusyScope(MainController& c) : controller(c) { ++controller.m_state.view.busy; }
        ~BusyScope();
        MainController& controller;
    };

    // Shared by commands and the arrangement.
    void Snapshot();
    void NotifySlotChanged(int32_t measure, int32_t channel);
    void SetCursor(int32_t measure);
    void ScrollTo(int64_t x);
    void ScrollCursorIntoView(bool atLeft);
    void UpdateScrollRange();
    int32_t ScrollMax() const;
    int32_t ViewWidth() const;
    platform::MessageAnswer Ask(const TextRecord& text, platform::MessageButtons buttons, platform::MessageIcon icon,
                                int defaultButton = 0, const std::string* textOverride = nullptr);
    void Status(const TextRecord& record, const std::string& text);
    void SendRegions();
    void PreviewCells(const SampleRef& ref, bool wholeEntry, bool reverse);
    void SelectLibraryPlace(int32_t style, int32_t group, int32_t part, int32_t chord);
    // A drop-menu choice waiting for its command: the drag state that ended
    // and the point it ended at.
    struct PendingDrop {
        int32_t dragState = 0;
        platform::Point point;
        uint32_t modifiers = 0;
    };
    PendingDrop& Drop() { return m_drop; }
    const PendingDrop& Drop() const { return m_drop; }
    // The value slider window moved its thumb (command 1262's slider).
    void ApplySliderValue(int32_t position);
    // Runs the drop that a drop menu chose (the arrangement fills it in).
    std::function<int32_t(int32_t dragState, const PendingDrop& drop)> finishDrop;

private:
    // Files.
    int32_t NewSong(int32_t, int64_t param);
    int32_t Open(int32_t, int64_t param);
    int32_t InsertSong(int32_t, int64_t param);
    int32_t CloseSong(int32_t, int64_t param);
    int32_t Save(int32_t, int64_t param);
    int32_t SaveAs(int32_t, int64_t param);
    int32_t ExportWave(int32_t, int64_t param);
    int32_t Exit(int32_t, int64_t param);
    int32_t RestoreWorkFile(int32_t, int64_t param);
    int32_t OpenOrInsert(bool open, int64_t param);
    bool OpenPackage(const std::string& path);
    bool ReadSongReplacing(const std::string& path);
    void AfterOpen();

    // Editing.
    int32_t Undo(int32_t, int64_t param);
    int32_t Cut(int32_t, int64_t param);
    int32_t Copy(int32_t, int64_t param);
    int32_t Paste(int32_t, int64_t param);
    int32_t Delete(int32_t, int64_t param);
    int32_t SelectAll(int32_t, int64_t param);
    int32_t SelectNone(int32_t, int64_t param);
    int32_t SelectChannel(int32_t, int64_t param);
    int32_t DeselectChannel(int32_t, int64_t param);
    int32_t Reverse(int32_t command, int64_t param);
    int32_t ToggleFollow(int32_t, int64_t param);
    int32_t ToggleSmooth(int32_t, int64_t param);
    int32_t ToggleEnvelope(int32_t command, int64_t param);
    int32_t ValueSlider(int32_t, int64_t param);
    int32_t DeletePointed(int32_t, int64_t param);
    int32_t CutPointed(int32_t, int64_t param);
    int32_t CopyPointed(int32_t, int64_t param);
    int32_t PreviewSlot(int32_t, int64_t param);
    int32_t PointedSelection(int32_t, int64_t param);
    int32_t SlotReverse(int32_t, int64_t param);
    int32_t ShowInLibrary(int32_t, int64_t param);
    int32_t DropChoice(int32_t command, int64_t param);
    void SetSelection(int32_t channel, bool selected, bool allExceptEnds);

    // Measures and tempo.
    int32_t InsertMeasuresCommand(int32_t, int64_t param);
    int32_t RemoveMeasuresCommand(int32_t, int64_t param);
    int32_t AppendFour(int32_t, int64_t param);
    int32_t RemoveLastFour(int32_t, int64_t param);
    int32_t TempoDialog(int32_t, int64_t param);
    int32_t TempoStep(int32_t command, int64_t param);
    int32_t MeasureGrid(int32_t command, int64_t param);
    void RequestInsertion(int32_t first, int32_t count);
    void InsertPendingMeasures();
    void RemoveMeasuresAt(int32_t first, int32_t count);
    int32_t ApplyTempo(const TempoChange& change, bool askDataLoss);

    // Transport and navigation.
    int32_t PlayStop(int32_t, int64_t param);
    int32_t RegionPlaySwitch(int32_t, int64_t param);
    int32_t SendRegionsCommand(int32_t, int64_t param);
    int32_t ToStart(int32_t, int64_t param);
    int32_t ToEnd(int32_t, int64_t param);
    int32_t MeasureStep(int32_t command, int64_t param);
    int32_t RegionEdgeStep(int32_t command, int64_t param);
    int32_t StopAtPosition(int32_t, int64_t param);
    int32_t Loop(int32_t, int64_t param);
    int32_t LibraryScroll(int32_t command, int64_t param);
    int32_t Zoom(int32_t command, int64_t param);
    int32_t TimeFormat(int32_t command, int64_t param);
    int32_t ChooseGroup(int32_t command, int64_t param);
    int32_t ChooseChord(int32_t command, int64_t param);

    // Regions.
    int32_t CreateRegion(int32_t, int64_t param);
    int32_t RemoveRegion(int32_t, int64_t param);
    int32_t RegionOnOff(int32_t, int64_t param);
    int32_t JoinRegions(int32_t, int64_t param);

    // Library entries.
    int32_t PreviewCommand(int32_t command, int64_t param);
    int32_t SampleProperties(int32_t, int64_t param);
    int32_t RemoveSamples(int32_t, int64_t param);
    int32_t SampleFile(int32_t, int64_t param);
    int32_t AddFileToCell(int32_t, int64_t param);
    int32_t EditLibrarySong(int32_t, int64_t param);
    int32_t CopyToSampleFolder(int32_t, int64_t param);
    int32_t PitchedCopy(int32_t, int64_t param);
    int32_t RecordIntoEntry(int32_t, int64_t param);
    int32_t InsertEmptyEntry(int32_t, int64_t param);
    int32_t AddSamples(int32_t, int64_t param);
    int32_t DragEntry(int32_t, int64_t param);
    int32_t SelectAlike(int32_t command, int64_t param);
    int32_t AddSampleFiles(bool intoCell);
    void RenumberEntries(const SampleRef& chordRef, int32_t fromEntry, int32_t toEntry);

    // Others.
    int32_t MenuCancelled(int32_t, int64_t param);
    int32_t SubMenuValue(int32_t, int64_t param);
    int32_t OptionsCommand(int32_t, int64_t param);
    int32_t Help(int32_t, int64_t param);
    int32_t MainMenu(int32_t, int64_t param);
    int32_t News(int32_t, int64_t param);
    int32_t TimeMenu(int32_t, int64_t param);
    int32_t ChannelPopup(int32_t command, int64_t param);

    SongReader MakeReader();
    SongWriter MakeWriter();
    std::string Caption() const { return m_texts.mbHeader.text; }

    MainServices m_services;
    MainView& m_view;
    MainState m_state;
    WindowTexts m_texts;
    PendingDrop m_drop;
    // The insertion waiting for the engine's swap file answer.
    std::optional<std::pair<int32_t, int32_t>> m_pendingInsertion;
    // A path handed over by another copy while the window was busy.
    std::optional<std::string> m_pendingOpen;
    // A path given to 1155 / 1163 / 1164 instead of the file dialog.
    std::optional<std::string> m_commandPath;
    enum class SliderTarget { None, Point, Slot } m_sliderTarget = SliderTarget::None;
    bool m_exportRunning = false;
    bool m_recordOpen = false;
    // Where 1240 reports a skipped file (adding sample files).
    bool* m_skipFlag = nullptr;
};

} // namespace bm::ui
