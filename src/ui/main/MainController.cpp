#include "ui/main/MainController.h"

#include "core/Paths.h"
#include "library/LibraryReader.h"
#include "song/SongModel.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "ui/main/ArrangementGeometry.h"
#include "ui/main/CommandIds.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/main/KeyboardTable.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/Selection.h"

#include <algorithm>

namespace bm::ui {

MainController::MainController(MainServices services, MainView& view) : m_services(services), m_view(view)
{
    const app::OptionsFile& options = m_services.app.options;
    m_state.view.timeFormat = std::clamp(options.timeFormat, 0, kTimeFormats - 1);
    m_state.view.followFlag = options.followFlag != 0;
    m_state.view.smoothFlag = options.smoothFlag != 0;
    m_state.view.followMode = m_state.view.followFlag ? FollowMode::Page : FollowMode::Off;
    if (options.samplesPerMeasure > 0 && options.measuresPerBar > 0) {
        m_state.doc.song.samplesPerMeasure = options.samplesPerMeasure;
        m_state.doc.song.measuresPerBar = options.measuresPerBar;
    }
    for (int c = 0; c < kChannels; ++c) {
        m_state.doc.song.channelOn[c] = true;
        m_state.doc.song.channelVolume[c] = kDefaultChannelVolume;
    }
}

MainController::~MainController() = default;

MainController::BusyScope::~BusyScope()
{
    --controller.m_state.view.busy;
    if (controller.m_state.view.busy == 0)
        controller.RunPendingOpen();
}

// ---- Start-up pieces ----

void MainController::PostTempo()
{
    m_services.engine.Post(engine::SetTempo{m_state.doc.song.samplesPerMeasure, m_state.doc.song.measuresPerBar});
}

void MainController::LoadLibrary()
{
    ReadLibraryFile(m_services.app.programFolder + "library.dat", m_state.doc.library, m_services.app.options.userFolder);
    // The browser opens on the first style.
    LibrarySelection& s = m_state.doc.library.selection;
    if (!m_state.doc.library.styles.empty() && s.style < 0)
        s.style = 0;
}

void MainController::SetDocumentName(std::string_view name)
{
    m_view.SetWindowTitle(ui::SetDocumentName(m_state.doc, name, Caption()));
    m_view.Repaint(Area::Displays);
}

void MainController::RefreshTitle()
{
    m_view.SetWindowTitle(WindowTitle(m_state.doc, Caption()));
}

bool MainController::OpenStartSong(const std::string& path)
{
    if (path.empty())
        return false;
    m_commandPath = path;
    const bool opened = OpenOrInsert(true, 1) == 1;
    m_commandPath.reset();
    return opened;
}

void MainController::OpenFromOtherCopy(const std::string& path)
{
    if (m_state.view.busy > 0) {
        m_pendingOpen = path;
        return;
    }
    m_commandPath = path;
    OnCommand(cmd::kOpen, 1);
    m_commandPath.reset();
}

void MainController::RunPendingOpen()
{
    if (!m_pendingOpen || m_state.view.busy > 0 || m_state.view.closing)
        return;
    std::string path = std::move(*m_pendingOpen);
    m_pendingOpen.reset();
    OpenFromOtherCopy(path);
}

// ---- Keys ----

int MainController::OnKey(int32_t key, uint32_t modifiers, bool repeat)
{
    int sent = 0;
    for (int32_t command : CommandsForKey(key, modifiers, repeat)) {
        OnCommand(command, 0);
        ++sent;
    }
    return sent;
}

// ---- Menus ----

bool MainController::FilterMenuItem(std::string_view, MenuItemState& item, int32_t writtenEnabled) const
{
    const CommandRow* row = FindCommand(item.command);
    if (!row)
        return true;
    const bool available = row->available(*this, item.command);
    const ViewState& v = m_state.view;
    switch (row->menu) {
    case MenuRule::AsWritten:
        return true;
    case MenuRule::EnabledByAvailability:
        item.enabled = available ? 1 : 0;
        return true;
    case MenuRule::KeptWhenAvailable:
        item.enabled = 1;
        return available;
    case MenuRule::CheckedByFlag: {
        item.enabled = available ? 1 : 0;
        bool flag = false;
        switch (item.command) {
        case cmd::kFollowFlag: flag = v.followFlag; break;
        case cmd::kSmoothFlag: flag = v.smoothFlag; break;
        case cmd::kEnvelopeKind0: flag = v.envelopeShown[0]; break;
        default: flag = v.envelopeShown[1]; break;
        }
        item.checked = flag ? 1 : 0;
        return true;
    }
    case MenuRule::NewsMark:
        item.checked = v.newsUnread ? 1 : 0;
        return true;
    case MenuRule::RegionOnOff: {
        if (!available)
            return false;
        const bool on = m_state.doc.song.regions[v.currentRegion].on;
        if ((writtenEnabled != 0) != on)
            return false;
        item.enabled = 1;
        return true;
    }
    case MenuRule::TimeFormat:
        item.checked = item.command - cmd::kTimeFormat0 == v.timeFormat ? 1 : 0;
        return true;
    case MenuRule::GroupName: {
        const SampleLibrary& lib = m_state.doc.library;
        const int32_t style = lib.selection.style;
        const int32_t group = item.command - cmd::kChooseGroup0;
        if (style < 0 || style >= static_cast<int32_t>(lib.styles.size()) ||
            group >= static_cast<int32_t>(lib.styles[style].groups.size()))
            return false;
        item.text = lib.styles[style].groups[group].name;
        item.checked = group == lib.selection.group ? 1 : 0;
        return true;
    }
    case MenuRule::ChordName: {
        const LibraryGroup* group = CurrentGroup(m_state.doc.library);
        if (!group)
            return false;
        int32_t number = item.command - cmd::kChooseChord0;
        for (int32_t p = 0; p < static_cast<int32_t>(group->parts.size()); ++p) {
            const auto& chords = group->parts[p].chords;
            if (number < static_cast<int32_t>(chords.size())) {
                item.text = chords[number].name;
                const LibrarySelection& s = m_state.doc.library.selection;
                item.checked = (p == s.part && number == s.chord) ? 1 : 0;
                return true;
            }
            number -= static_cast<int32_t>(chords.size());
        }
        return false;
    }
    }
    return true;
}

// ---- Shared helpers ----

SongReader MainController::MakeReader()
{
    SongObservers observers;
    observers.engine = &m_services.engine;
    observers.refreshStatus = [this] { m_view.Repaint(Area::Displays); };
    observers.startSong = &m_services.app.options.startSong;
    return SongReader(m_state.doc.library, m_services.app.folders.Snapshot(), m_services.app.programFolder,
                      observers);
}

SongWriter MainController::MakeWriter()
{
    SongObservers observers;
    observers.startSong = &m_services.app.options.startSong;
    return SongWriter(m_state.doc.library, m_services.app.folders.Snapshot(), m_services.app.programFolder,
                      observers);
}

void MainController::SetChannel(int32_t channel, int on, int volume)
{
    if (channel < 0 || channel >= kChannels)
        return;
    if (MarkChanged(m_state.doc))
        RefreshTitle();
    SetChannelState(m_state.doc.song, channel, on, volume, &m_services.engine);
    m_view.RepaintChannel(channel);
}

void MainController::Snapshot()
{
    if (TakeUndoSnapshot(m_state.doc.song, m_state.doc.undo) == TitleChange::ShowChangeMark)
        RefreshTitle();
}

void MainController::NotifySlotChanged(int32_t measure, int32_t channel)
{
    NotifySlot(m_state.doc.song, m_state.doc.library, measure, channel, m_services.engine);
}

int32_t MainController::ViewWidth() const
{
    return m_view.ArrangementRight() - m_view.ArrangementLeft() + 1;
}

int32_t MainController::ScrollMax() const
{
    return geometry::ScrollMax(m_state.Measures(), m_state.view.measureWidth, m_view.ArrangementLeft(),
                               m_view.ArrangementRight());
}

void MainController::UpdateScrollRange()
{
    m_state.view.scrollX = std::clamp(m_state.view.scrollX, 0, ScrollMax());
}

void MainController::ScrollTo(int64_t x)
{
    const int32_t clamped = static_cast<int32_t>(std::clamp<int64_t>(x, 0, ScrollMax()));
    if (clamped == m_state.view.scrollX)
        return;
    m_state.view.scrollX = clamped;
    m_view.Repaint(Area::Arrangement);
}

void MainController::SetCursor(int32_t measure)
{
    const int32_t last = std::max(0, m_state.Measures() - 1);
    m_state.view.cursorMeasure = std::clamp(measure, 0, last);
    m_view.Repaint(Area::Cursor);
    m_view.Repaint(Area::TimeDisplay);
}

void MainController::ScrollCursorIntoView(bool atLeft)
{
    const int64_t w = m_state.view.measureWidth;
    const int64_t x = m_state.view.cursorMeasure * w;
    if (atLeft) {
        ScrollTo(x);
        return;
    }
    const int64_t width = ViewWidth();
    if (x < m_state.view.scrollX)
        ScrollTo(x);
    else if (x + w > m_state.view.scrollX + width)
        ScrollTo(x + w - width);
}

platform::MessageAnswer MainController::Ask(const TextRecord& text, platform::MessageButtons buttons,
                                            platform::MessageIcon icon, int defaultButton,
                                            const std::string* textOverride)
{
    BusyScope busy(*this);
    platform::MessageRequest request;
    request.text = textOverride ? *textOverride : text.text;
    request.caption = Caption();
    request.buttons = buttons;
    request.icon = icon;
    request.defaultButton = defaultButton;
    return m_services.dialogs.ShowMessage(request);
}

void MainController::Status(const TextRecord& record, const std::string& text)
{
    m_view.ShowStatus(record, text);
}

void MainController::SelectLibraryPlace(int32_t style, int32_t group, int32_t part, int32_t chord)
{
    SampleLibrary& lib = m_state.doc.library;
    lib.StoreSelection();
    lib.selection.style = style;
    lib.selection.group = group;
    lib.selection.part = part;
    lib.selection.chord = chord;
    if (const LibraryChord* c = OpenChord(lib))
        lib.selection.position = c->storedPosition;
    m_state.view.libraryFirstRow = 0;
    m_view.Repaint(Area::Library);
    m_view.Repaint(Area::Displays);
}

} // namespace bm::ui
