// Measures and tempo: inserting and removing measures (through the engine's
// swap file handshake for insertions), the tempo dialog, the tempo steps and
// the finer or coarser measure grid. Each re-times the whole song when it
// holds measures.

#include "ui/main/CommandIds.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/main/MainController.h"
#include "ui/main/Selection.h"

#include "song/MeasureEditing.h"
#include "song/TempoChange.h"

#include <algorithm>
#include <limits>

namespace bm::ui {

namespace {

constexpr int64_t kBeatsPerMinuteFactor = 21168000;
// The insert dialog's limit and its first count.
constexpr int32_t kMaxInsertedMeasures = 1500;
constexpr int32_t kInitialInsertedMeasures = 32;

} // namespace

void MainController::RequestInsertion(int32_t first, int32_t count)
{
    m_pendingInsertion = {first, count};
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    // The swap file is sized for the song as it will be.
    const int64_t bytes = (int64_t(m_state.Measures()) + count) * m_state.doc.song.samplesPerMeasure * 4;
    m_services.engine.Post(engine::SetSwapSize{
        static_cast<int32_t>(std::min<int64_t>(bytes, std::numeric_limits<int32_t>::max())), 1});
}

void MainController::InsertPendingMeasures()
{
    if (!m_pendingInsertion)
        return;
    const auto [first, count] = *m_pendingInsertion;
    m_pendingInsertion.reset();
    InsertMeasures(m_state.doc.song, first, count, &m_services.engine);
    UpdateScrollRange();
    SetCursor(m_state.view.cursorMeasure);
    if (m_state.doc.song.path.empty()) {
        SetDocumentName(UntitledName(m_state.doc));
        ++m_state.doc.untitledCounter;
    }
    m_view.Repaint(Area::All);
}

int32_t MainController::InsertMeasuresCommand(int32_t, int64_t param)
{
    dialogs::MeasureRequest request;
    request.mode = dialogs::MeasureMode::Insert;
    request.stepLength = m_state.doc.song.samplesPerMeasure;
    request.unitsPerTwoMeasures = m_state.doc.song.measuresPerBar;
    request.maximum = kMaxInsertedMeasures;
    request.initial = kInitialInsertedMeasures;
    // A new song has no cursor and no end to choose from.
    request.askPosition = param == 0 && m_state.Measures() > 0;
    std::optional<dialogs::MeasureResult> result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.measures->Run(request);
    }
    if (!result || result->count <= 0)
        return 0;
    if (param) {
        // A new song: the song is closed already unless it still holds measures.
        if (m_state.Measures() > 0 && OnCommand(cmd::kCloseSong, 1) == 0)
            return 0;
    } else {
        Snapshot();
    }
    int32_t first = 0;
    switch (result->position) {
    case dialogs::MeasurePosition::SongStart: first = 0; break;
    case dialogs::MeasurePosition::SongEnd: first = m_state.Measures(); break;
    case dialogs::MeasurePosition::Cursor: first = m_state.view.cursorMeasure; break;
    }
    const int32_t room = kMaxEditableMeasures - m_state.Measures();
    RequestInsertion(first, std::min(result->count, std::max(room, 0)));
    return 1;
}

void MainController::RemoveMeasuresAt(int32_t first, int32_t count)
{
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    RemoveMeasures(m_state.doc.song, first, count, &m_services.engine);
    UpdateScrollRange();
    SetCursor(m_state.view.cursorMeasure);
    if (CurrentRegionExists(m_state) == false)
        m_state.view.currentRegion = -1;
    m_view.Repaint(Area::All);
}

int32_t MainController::RemoveMeasuresCommand(int32_t, int64_t param)
{
    dialogs::MeasureRequest request;
    request.mode = dialogs::MeasureMode::Remove;
    request.stepLength = m_state.doc.song.samplesPerMeasure;
    request.unitsPerTwoMeasures = m_state.doc.song.measuresPerBar;
    request.maximum = m_state.Measures();
    request.initial = std::min(kInitialInsertedMeasures, m_state.Measures() - m_state.view.cursorMeasure);
    std::optional<dialogs::MeasureResult> result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.measures->Run(request);
    }
    if (!result || result->count <= 0)
        return 0;
    if (param == 0)
        Snapshot();
    const int32_t measures = m_state.Measures();
    const int32_t count = std::min(result->count, measures);
    int32_t first = 0;
    switch (result->position) {
    case dialogs::MeasurePosition::SongStart: first = 0; break;
    case dialogs::MeasurePosition::SongEnd: first = measures - count; break;
    case dialogs::MeasurePosition::Cursor: first = std::min(m_state.view.cursorMeasure, measures - count); break;
    }
    RemoveMeasuresAt(first, count);
    return 1;
}

int32_t MainController::AppendFour(int32_t, int64_t)
{
    if (m_state.Measures() >= kMaxEditableMeasures)
        return 0;
    Snapshot();
    RequestInsertion(m_state.Measures(), 4);
    return 1;
}

int32_t MainController::RemoveLastFour(int32_t, int64_t)
{
    Snapshot();
    const int32_t measures = m_state.Measures();
    const int32_t count = std::min(4, measures);
    RemoveMeasuresAt(measures - count, count);
    return 1;
}

int32_t MainController::ApplyTempo(const TempoChange& change, bool askDataLoss)
{
    Song& song = m_state.doc.song;
    if (!ChangesTempo(song, change))
        return 1;
    if (song.measures.empty()) {
        m_services.engine.Post(engine::Stop{});
        m_state.view.transport = Transport::Stopped;
        ApplyTempoChange(song, change, m_state.doc.library, &m_services.engine);
        m_view.Repaint(Area::Displays);
        return 1;
    }
    if (askDataLoss && RisksDataLoss(song, change) &&
        Ask(m_texts.dataLossWarn, platform::MessageButtons::OkCancel, platform::MessageIcon::Exclamation) !=
            platform::MessageAnswer::Ok)
        return 0;
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    Snapshot();
    ApplyTempoChange(song, change, m_state.doc.library, &m_services.engine);
    UpdateScrollRange();
    SetCursor(m_state.view.cursorMeasure);
    m_state.view.currentRegion = -1;
    m_view.Repaint(Area::All);
    return 1;
}

int32_t MainController::TempoDialog(int32_t, int64_t)
{
    std::optional<dialogs::TempoResult> result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.tempo->Run(
            {m_state.doc.song.samplesPerMeasure, m_state.doc.song.measuresPerBar, m_state.Measures() > 0});
    }
    if (!result)
        return 0;
    if (result->setDefault) {
        m_services.app.options.samplesPerMeasure = result->samplesPerMeasure;
        m_services.app.options.measuresPerBar = result->measuresPerBar;
    }
    TempoChange change;
    change.samplesPerMeasure = result->samplesPerMeasure;
    change.measuresPerBar = result->measuresPerBar;
    change.barScale = result->factorIndex;
    change.keepTime = result->leaveData;
    return ApplyTempo(change, true);
}

int32_t MainController::TempoStep(int32_t command, int64_t)
{
    const int64_t s = m_state.doc.song.samplesPerMeasure;
    const int64_t b = m_state.doc.song.measuresPerBar;
    if (s <= 0 || b <= 0)
        return 0;
    const int64_t tempo = kBeatsPerMinuteFactor / (b * s);
    const int64_t next = command == cmd::kTempoFaster ? tempo + 1 : tempo - 1;
    if (next < 1)
        return 0;
    const int64_t samples = ((b * (kBeatsPerMinuteFactor / (b * next))) / 128 * 128) / b;
    if (samples <= 0 || samples > std::numeric_limits<int32_t>::max())
        return 0;
    TempoChange change;
    change.samplesPerMeasure = static_cast<int32_t>(samples);
    change.measuresPerBar = static_cast<int32_t>(b);
    return ApplyTempo(change, true);
}

int32_t MainController::MeasureGrid(int32_t command, int64_t)
{
    const int64_t s = m_state.doc.song.samplesPerMeasure;
    const int64_t b = m_state.doc.song.measuresPerBar;
    TempoChange change;
    if (command == cmd::kFinerMeasures) {
        change.measuresPerBar = static_cast<int32_t>(std::min<int64_t>(b * 2, std::numeric_limits<int32_t>::max()));
        change.samplesPerMeasure = static_cast<int32_t>(s / 2);
    } else {
        change.measuresPerBar = static_cast<int32_t>(b / 2);
        change.samplesPerMeasure = static_cast<int32_t>(std::min<int64_t>(s * 2, std::numeric_limits<int32_t>::max()));
    }
    // A grid that would lose its bar or its measure length is not offered.
    if (change.measuresPerBar < 1 || change.samplesPerMeasure < 1)
        return 0;
    return ApplyTempo(change, true);
}

} // namespace bm::ui
