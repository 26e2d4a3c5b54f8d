// Transport and navigation: play, stop, loop and region play, the cursor's
// steps, the library browser's scrolling, zoom, the time format, and
// choosing a group or chord in the library browser. Also the previews of
// library cells, which play through the same transport.

#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/MainController.h"
#include "ui/main/Selection.h"

#include "song/RegionPlay.h"

#include <algorithm>

namespace bm::ui {

int32_t MainController::PlayStop(int32_t, int64_t)
{
    ViewState& v = m_state.view;
    if (v.transport == Transport::Recording) {
        m_services.engine.Post(engine::Stop{});
        v.transport = Transport::Stopped;
    } else if (v.transport == Transport::Stopped) {
        if (m_state.Measures() == 0)
            return 0;
        v.followMode = v.followFlag ? FollowMode::Page : FollowMode::Off;
        if (v.regionPlaySwitch && IsCommandAvailable(cmd::kRegionPlaySwitch)) {
            RegionPlay play = MakeRegionPlay(m_state.doc.song, v.cursorMeasure);
            m_services.engine.Post(engine::PlaySongWithJumps{v.masterVolume, play.startMeasure, std::move(play.jumps)});
        } else {
            m_services.engine.Post(engine::PlaySong{v.masterVolume, v.cursorMeasure});
        }
        v.transport = Transport::Playing;
    } else {
        m_services.engine.Post(engine::Stop{});
        v.transport = Transport::Stopped;
    }
    m_view.Repaint(Area::Transport);
    return 1;
}

void MainController::SendRegions()
{
    const Song& song = m_state.doc.song;
    engine::SetJumps request;
    request.unused = static_cast<int32_t>(song.measures.size());
    if (m_state.view.regionPlaySwitch) {
        RegionPlay play = MakeRegionPlay(song, 0);
        if (!play.jumps.empty())
            request.unused = play.startMeasure;
        request.jumps = std::move(play.jumps);
    }
    m_services.engine.Post(std::move(request));
}

int32_t MainController::SendRegionsCommand(int32_t, int64_t)
{
    SendRegions();
    return 1;
}

int32_t MainController::RegionPlaySwitch(int32_t, int64_t)
{
    m_state.view.regionPlaySwitch = !m_state.view.regionPlaySwitch;
    m_view.Repaint(Area::Transport);
    SendRegions();
    return 1;
}

int32_t MainController::Loop(int32_t, int64_t)
{
    m_state.view.loop = !m_state.view.loop;
    if (m_state.view.loop)
        m_services.engine.Post(engine::LoopOn{});
    else
        m_services.engine.Post(engine::LoopOff{});
    m_view.Repaint(Area::Transport);
    return 1;
}

int32_t MainController::ToStart(int32_t, int64_t)
{
    if (!m_state.Playing())
        SetCursor(0);
    ScrollTo(0);
    return 1;
}

int32_t MainController::ToEnd(int32_t, int64_t)
{
    if (!m_state.Playing())
        SetCursor(m_state.Measures() - 1);
    ScrollTo(ScrollMax());
    return 1;
}

int32_t MainController::MeasureStep(int32_t command, int64_t)
{
    const bool back = command == cmd::kMeasureBack;
    const int32_t w = m_state.view.measureWidth;
    if (m_state.Playing()) {
        ScrollTo(int64_t(m_state.view.scrollX) + (back ? -w : w));
        return 1;
    }
    SetCursor(m_state.view.cursorMeasure + (back ? -1 : 1));
    ScrollCursorIntoView(back);
    return 1;
}

int32_t MainController::RegionEdgeStep(int32_t command, int64_t)
{
    const bool back = command == cmd::kPreviousRegionEdge;
    const int32_t w = m_state.view.measureWidth;
    if (m_state.Playing()) {
        ScrollTo(int64_t(m_state.view.scrollX) + (back ? -4 * w : 4 * w));
        return 1;
    }
    const int32_t cursor = m_state.view.cursorMeasure;
    const auto& regions = m_state.doc.song.regions;
    int32_t target = back ? cursor - 4 : cursor + 4;
    bool found = false;
    for (size_t i = regions.size(); i-- > 0;) {
        for (int32_t edge : {regions[i].start, regions[i].end + 1}) {
            if (back && edge < cursor && (!found || edge > target)) {
                target = edge;
                found = true;
            } else if (!back && edge > cursor && (!found || edge < target)) {
                target = edge;
                found = true;
            }
        }
    }
    SetCursor(std::clamp(target, 0, std::max(0, m_state.Measures() - 1)));
    ScrollCursorIntoView(back);
    return 1;
}

int32_t MainController::StopAtPosition(int32_t, int64_t)
{
    if (m_state.Playing()) {
        const int64_t position = m_services.readings.Position();
        if (position >= 0 && m_state.doc.song.samplesPerMeasure > 0)
            SetCursor(static_cast<int32_t>(position / m_state.doc.song.samplesPerMeasure));
    }
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    m_view.Repaint(Area::Transport);
    return 1;
}

int32_t MainController::LibraryScroll(int32_t command, int64_t)
{
    const SampleLibrary& lib = m_state.doc.library;
    const int32_t visible = m_view.LibraryVisibleRows();
    const int32_t last = std::max(0, LibraryRowCount(lib) - (visible - 1));
    int32_t& first = m_state.view.libraryFirstRow;
    switch (command) {
    case cmd::kLibraryUp: first -= 1; break;
    case cmd::kLibraryDown: first += 1; break;
    case cmd::kLibraryUpFive: first -= 5; break;
    case cmd::kLibraryDownFive: first += 5; break;
    case cmd::kLibraryTop: first = 0; break;
    default: first = LastLibraryFirstRow(lib, visible); break;
    }
    first = std::clamp(first, 0, last);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::Zoom(int32_t command, int64_t)
{
    auto at = std::find(kMeasureWidths.begin(), kMeasureWidths.end(), m_state.view.measureWidth);
    size_t index = at == kMeasureWidths.end() ? 4 : size_t(at - kMeasureWidths.begin());
    if (command == cmd::kZoomIn && index + 1 < kMeasureWidths.size())
        ++index;
    else if (command == cmd::kZoomOut && index > 0)
        --index;
    m_state.view.measureWidth = kMeasureWidths[index];
    int64_t measure = m_state.view.cursorMeasure;
    if (m_state.Playing()) {
        const int64_t position = m_services.readings.Position();
        if (position >= 0 && m_state.doc.song.samplesPerMeasure > 0)
            measure = position / m_state.doc.song.samplesPerMeasure;
    }
    UpdateScrollRange();
    m_state.view.scrollX = -1; // repaint whatever the new position
    ScrollTo(measure * m_state.view.measureWidth - ViewWidth() / 2);
    m_view.Repaint(Area::All);
    return 1;
}

int32_t MainController::TimeFormat(int32_t command, int64_t)
{
    m_state.view.timeFormat = command - cmd::kTimeFormat0;
    m_services.app.options.timeFormat = m_state.view.timeFormat;
    m_view.Repaint(Area::TimeDisplay);
    return 1;
}

int32_t MainController::ChooseGroup(int32_t command, int64_t)
{
    SampleLibrary& lib = m_state.doc.library;
    const int32_t style = lib.selection.style;
    const int32_t group = command - cmd::kChooseGroup0;
    if (style < 0 || style >= static_cast<int32_t>(lib.styles.size()) ||
        group >= static_cast<int32_t>(lib.styles[style].groups.size()))
        return 0;
    lib.StoreSelection();
    const LibraryGroup& g = lib.styles[style].groups[group];
    int32_t chord = -1;
    if (g.selectedPart >= 0 && g.selectedPart < static_cast<int32_t>(g.parts.size()))
        chord = g.parts[g.selectedPart].selectedChord;
    SelectLibraryPlace(style, group, g.selectedPart, chord);
    return 1;
}

int32_t MainController::ChooseChord(int32_t command, int64_t)
{
    const LibraryGroup* group = CurrentGroup(m_state.doc.library);
    if (!group)
        return 0;
    int32_t number = command - cmd::kChooseChord0;
    for (int32_t p = 0; p < static_cast<int32_t>(group->parts.size()); ++p) {
        const int32_t chords = static_cast<int32_t>(group->parts[p].chords.size());
        if (number < chords) {
            const LibrarySelection& s = m_state.doc.library.selection;
            SelectLibraryPlace(s.style, s.group, p, number);
            return 1;
        }
        number -= chords;
    }
    return 0;
}

void MainController::PreviewCells(const SampleRef& ref, bool wholeEntry, bool reverse)
{
    m_services.engine.Post(engine::Stop{});
    engine::Preview preview;
    preview.volume = m_state.view.masterVolume;
    preview.reverse = reverse ? 1 : 0;
    const LibraryChord* chord = m_state.doc.library.FindChord(ref);
    if (!chord || ref.Entry() < 0 || ref.Entry() >= static_cast<int32_t>(chord->entries.size()))
        return;
    const LibraryEntry& entry = chord->entries[ref.Entry()];
    for (int v = 0; v < kVariantsPerEntry; ++v) {
        if (!wholeEntry && v != ref.Variant())
            continue;
        const SampleDescriptor& d = entry.variants[v];
        if (d.IsEmpty())
            continue;
        SampleRef cell = ref;
        cell.words[4] = v;
        preview.entries.push_back({d.path, d.length, cell});
    }
    if (preview.entries.empty())
        return;
    m_services.engine.Post(std::move(preview));
}

int32_t MainController::PreviewCommand(int32_t command, int64_t)
{
    const bool whole = command == cmd::kPreviewEntry || command == cmd::kPreviewEntryReversed;
    const bool reverse = command == cmd::kPreviewVariantReversed || command == cmd::kPreviewEntryReversed;
    PreviewCells(m_state.view.librarySelection, whole, reverse);
    m_state.view.transport = Transport::Stopped;
    m_view.Repaint(Area::Transport);
    return 1;
}

} // namespace bm::ui
