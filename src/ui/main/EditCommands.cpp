// Editing commands: undo, the clipboard, the selection, reverse flags, the
// view toggles, and the commands of the arrangement's context menus that act
// on the pointed slot or envelope point.

#include "ui/main/CommandIds.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/main/MainController.h"
#include "ui/main/Selection.h"

#include "song/SongEditing.h"
#include "song/SongModel.h"

#include <algorithm>

namespace bm::ui {

namespace {

// Points of envelope lists the arrangement shows; hidden lists are never
// edited through a selection the person cannot see.
bool Shown(const MainState& state, int kind) { return state.view.envelopeShown[kind]; }

} // namespace

int32_t MainController::Undo(int32_t, int64_t)
{
    const UndoResult result = SwapWithUndo(m_state.doc.song, m_state.doc.undo, m_state.doc.library, &m_services.engine);
    if (!result.swapped)
        return 0;
    // What undo brings back differs from the saved file as far as anyone
    // knows, so closing asks to save it.
    m_state.doc.song.unchanged = false;
    UpdateScrollRange();
    SetCursor(m_state.view.cursorMeasure);
    m_view.SetWindowTitle(WindowTitle(m_state.doc, Caption()));
    m_view.Repaint(Area::All);
    return 1;
}

int32_t MainController::Copy(int32_t, int64_t)
{
    return CopySelectionToClipboard(m_state.doc.song, m_state.doc.clipboard) >= 0 ? 1 : 0;
}

int32_t MainController::Cut(int32_t, int64_t)
{
    OnCommand(cmd::kCopy);
    return OnCommand(cmd::kDelete);
}

int32_t MainController::Paste(int32_t, int64_t)
{
    if (m_state.view.dragState != kDragIdle && m_state.view.dragState != kDragButtonDown)
        return 0;
    PreparePlacementFromClipboard(m_state.doc.song, m_state.doc.clipboard, m_state.doc.placement);
    if (m_state.doc.placement.measures.empty())
        return 0;
    Snapshot();
    m_view.StartPlacementDrag();
    return 1;
}

int32_t MainController::Delete(int32_t, int64_t param)
{
    if (param == 0)
        Snapshot();
    Song& song = m_state.doc.song;
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        if (!Shown(m_state, k))
            continue;
        for (int c = 0; c < kChannels; ++c) {
            Envelope& list = song.envelopes[c][k];
            // From the end, so the indices the engine is told stay valid.
            for (int32_t i = static_cast<int32_t>(list.size()) - 2; i >= 1; --i) {
                if (!list[i].selected)
                    continue;
                list.erase(list.begin() + i);
                m_services.engine.Post(engine::DeleteEnvelopePoint{c, k, i});
            }
        }
    }
    for (int32_t m = 0; m < m_state.Measures(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = song.measures[m].slots[c];
            if (slot.IsEmpty() || !slot.selected)
                continue;
            slot = ChannelSlot{};
            NotifySlotChanged(m, c);
        }
    }
    OnCommand(cmd::kSelectNone, 1);
    if (param == 0)
        m_view.Repaint(Area::Arrangement);
    return 1;
}

void MainController::SetSelection(int32_t channel, bool selected, bool allExceptEnds)
{
    Song& song = m_state.doc.song;
    for (int c = 0; c < kChannels; ++c) {
        if (channel >= 0 && c != channel)
            continue;
        for (Measure& m : song.measures) {
            if (!m.slots[c].IsEmpty() || !selected)
                m.slots[c].selected = selected ? 1 : 0;
        }
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            Envelope& list = song.envelopes[c][k];
            for (size_t i = 0; i < list.size(); ++i) {
                if (!selected) {
                    list[i].selected = 0;
                } else if (Shown(m_state, k) && (!allExceptEnds || (i > 0 && i + 1 < list.size()))) {
                    list[i].selected = 1;
                }
            }
        }
    }
}

int32_t MainController::SelectAll(int32_t, int64_t)
{
    OnCommand(cmd::kSelectNone, 1);
    SetSelection(-1, true, true);
    m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::SelectNone(int32_t, int64_t param)
{
    SetSelection(-1, false, false);
    if (param == 0)
        m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::SelectChannel(int32_t, int64_t)
{
    const int32_t channel = m_state.view.pointedChannel;
    SetSelection(channel, false, false);
    SetSelection(channel, true, true);
    m_view.RepaintChannel(channel);
    return 1;
}

int32_t MainController::DeselectChannel(int32_t, int64_t)
{
    SetSelection(m_state.view.pointedChannel, false, false);
    m_view.RepaintChannel(m_state.view.pointedChannel);
    return 1;
}

int32_t MainController::Reverse(int32_t command, int64_t)
{
    Snapshot();
    Song& song = m_state.doc.song;
    for (int32_t m = 0; m < m_state.Measures(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = song.measures[m].slots[c];
            if (slot.IsEmpty() || !slot.selected)
                continue;
            if (command == cmd::kReverseToggle)
                slot.reverse = slot.reverse == 0 ? 1 : 0;
            else
                slot.reverse = command == cmd::kReverseOn ? 1 : 0;
            NotifySlotChanged(m, c);
        }
    }
    m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::ToggleFollow(int32_t, int64_t)
{
    ViewState& v = m_state.view;
    v.followFlag = !v.followFlag;
    v.followMode = v.followFlag ? FollowMode::Page : FollowMode::Off;
    m_services.app.options.followFlag = v.followFlag ? 1 : 0;
    return 1;
}

int32_t MainController::ToggleSmooth(int32_t, int64_t)
{
    m_state.view.smoothFlag = !m_state.view.smoothFlag;
    m_services.app.options.smoothFlag = m_state.view.smoothFlag ? 1 : 0;
    return 1;
}

int32_t MainController::ToggleEnvelope(int32_t command, int64_t)
{
    const int kind = command - cmd::kEnvelopeKind0;
    m_state.view.envelopeShown[kind] = !m_state.view.envelopeShown[kind];
    m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::ValueSlider(int32_t, int64_t)
{
    Snapshot();
    ValueSliderRequest request;
    if (const EnvelopePoint* point = PointedEnvelopePoint(m_state)) {
        const int32_t value = std::clamp(point->value, -32768, 32767);
        request.vertical = true;
        request.minimum = 0;
        request.maximum = 65535;
        request.position = int32_t(int64_t(request.maximum) * (32767 - value) / 65535);
        m_sliderTarget = SliderTarget::Point;
    } else {
        const ChannelSlot* slot = PointedSlot(m_state);
        const int32_t b = m_state.doc.song.measuresPerBar;
        request.vertical = false;
        request.minimum = 0;
        request.maximum = std::max(0, m_state.doc.song.samplesPerMeasure - 1);
        request.position = std::clamp(slot->start, 0, request.maximum);
        request.ticks = b > 0 && b <= 128 ? 128 / b : 1;
        m_sliderTarget = SliderTarget::Slot;
    }
    m_view.OpenValueSlider(request);
    return 1;
}

void MainController::ApplySliderValue(int32_t position)
{
    if (m_sliderTarget == SliderTarget::Point) {
        const PointedPoint& p = m_state.view.pointedPoint;
        if (!PointedEnvelopePoint(m_state))
            return;
        EnvelopePoint& point = m_state.doc.song.envelopes[p.channel][p.kind][p.index];
        point.value = std::clamp(32767 - int32_t(int64_t(std::clamp(position, 0, 65535)) * 65535 / 65535), -32768,
                                 32767);
        m_services.engine.Post(engine::SetEnvelopePoint{p.channel, p.kind, p.index, point.position, point.value});
        m_view.RepaintChannel(p.channel);
    } else if (m_sliderTarget == SliderTarget::Slot) {
        if (!PointedSlot(m_state))
            return;
        const int32_t m = m_state.view.pointedMeasure;
        const int32_t c = m_state.view.pointedChannel;
        ChannelSlot& slot = m_state.doc.song.measures[m].slots[c];
        slot.start = std::clamp(position, 0, std::max(0, m_state.doc.song.samplesPerMeasure - 1));
        NotifySlotChanged(m, c);
        m_view.RepaintChannel(c);
    }
}

int32_t MainController::DeletePointed(int32_t, int64_t)
{
    if (m_state.view.dragState != kDragIdle && m_state.view.dragState != kDragButtonDown)
        return 0;
    if (const EnvelopePoint* point = PointedEnvelopePoint(m_state)) {
        if (point->selected)
            return OnCommand(cmd::kDelete);
        const PointedPoint p = m_state.view.pointedPoint;
        Envelope& list = m_state.doc.song.envelopes[p.channel][p.kind];
        // An envelope keeps both of its ends.
        if (p.index == 0 || p.index + 1 >= static_cast<int32_t>(list.size()))
            return 0;
        Snapshot();
        list.erase(list.begin() + p.index);
        m_services.engine.Post(engine::DeleteEnvelopePoint{p.channel, p.kind, p.index});
        m_state.view.pointedPoint = {};
        m_view.RepaintChannel(p.channel);
        return 1;
    }
    const ChannelSlot* slot = PointedSlot(m_state);
    if (!slot)
        return 0;
    if (slot->selected)
        return OnCommand(cmd::kDelete);
    Snapshot();
    const int32_t m = m_state.view.pointedMeasure;
    const int32_t c = m_state.view.pointedChannel;
    m_state.doc.song.measures[m].slots[c] = ChannelSlot{};
    NotifySlotChanged(m, c);
    m_view.RepaintChannel(c);
    return 1;
}

int32_t MainController::CutPointed(int32_t, int64_t) { return OnCommand(cmd::kCut); }

int32_t MainController::CopyPointed(int32_t, int64_t) { return OnCommand(cmd::kCopy); }

int32_t MainController::PreviewSlot(int32_t, int64_t)
{
    const ChannelSlot* slot = PointedSlot(m_state);
    m_state.view.librarySelection = slot->ref;
    return OnCommand(slot->reverse ? cmd::kPreviewVariantReversed : cmd::kPreviewVariant);
}

int32_t MainController::PointedSelection(int32_t command, int64_t param)
{
    const ChannelSlot* slot = PointedSlot(m_state);
    m_state.view.pointedSlotFlag = slot->selected ? 0 : 1;
    m_state.view.librarySelection = slot->ref;
    int32_t next = static_cast<int32_t>(param);
    if (next == 0)
        next = command <= cmd::kPointedSelection1 + 1 ? cmd::kSelectAlike : cmd::kSelectAlikeByName;
    return OnCommand(next);
}

int32_t MainController::SlotReverse(int32_t, int64_t)
{
    const ChannelSlot* slot = PointedSlot(m_state);
    if (slot->selected)
        return OnCommand(cmd::kReverseToggle);
    Snapshot();
    const int32_t m = m_state.view.pointedMeasure;
    const int32_t c = m_state.view.pointedChannel;
    ChannelSlot& target = m_state.doc.song.measures[m].slots[c];
    target.reverse = target.reverse ? 0 : 1;
    NotifySlotChanged(m, c);
    m_view.RepaintChannel(c);
    return 1;
}

int32_t MainController::ShowInLibrary(int32_t, int64_t)
{
    const SampleRef ref = PointedSlot(m_state)->ref;
    if (!m_state.doc.library.FindChord(ref))
        return 0;
    SelectLibraryPlace(ref.Style(), ref.Group(), ref.Part(), ref.Chord());
    // The entry's row: the parts up to the open one, then its entries.
    const int32_t row = ref.Part() + 1 + ref.Entry();
    const int32_t visible = m_view.LibraryVisibleRows();
    m_state.view.libraryFirstRow = std::max(0, row - visible / 2);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::DropChoice(int32_t command, int64_t)
{
    if (m_state.view.dragState != kDragIdle && m_state.view.dragState != kDragButtonDown)
        return 0;
    int32_t state = 0;
    switch (command) {
    case cmd::kDropMove: state = 9; break;
    case cmd::kDropCopy: state = 10; break;
    case cmd::kDropPlace: state = 3; break;
    case cmd::kDropPlaceReversed:
        state = 3;
        for (Measure& m : m_state.doc.placement.measures) {
            for (ChannelSlot& slot : m.slots) {
                if (!slot.IsEmpty())
                    slot.reverse = 1;
            }
        }
        break;
    case cmd::kDropReplace: state = 5; break;
    case cmd::kDropReplaceByName: state = 6; break;
    default: state = 7; break;
    }
    const PendingDrop drop = m_drop;
    m_drop = {};
    return finishDrop ? finishDrop(state, drop) : 0;
}

} // namespace bm::ui
