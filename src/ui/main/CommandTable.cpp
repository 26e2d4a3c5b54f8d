// The one command table: for every command number its availability rule,
// its handler and how menus treat its items. OnCommand and
// IsCommandAvailable are its two look-ups.

#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/MainController.h"
#include "ui/main/Selection.h"

#include "core/Text.h"

#include <algorithm>
#include <array>

namespace bm::ui {

namespace {

using C = MainController;

bool Always(const C&, int32_t) { return true; }
bool HasMeasures(const C& c, int32_t) { return c.State().Measures() > 0; }
bool Stopped(const C& c, int32_t) { return c.State().view.transport == Transport::Stopped; }
bool DragFree(const C& c) { return c.State().view.dragState == kDragIdle || c.State().view.dragState == kDragButtonDown; }

bool UndoHoldsSong(const C& c, int32_t) { return c.State().doc.undo.HoldsSong(); }
bool SelectionExists(const C& c, int32_t) { return AnySelected(c.State()); }
bool SlotSelected(const C& c, int32_t) { return AnySelectedSlot(c.State()); }
bool CanPaste(const C& c, int32_t)
{
    return c.State().Measures() > 0 && !c.State().doc.clipboard.measures.empty();
}
bool CanSelectAll(const C& c, int32_t) { return AnyUnselected(c.State()); }
bool ChannelHasUnselected(const C& c, int32_t)
{
    const int32_t ch = c.State().view.pointedChannel;
    return ch >= 0 && ch < kChannels && AnyUnselected(c.State(), ch);
}
bool ChannelHasSelected(const C& c, int32_t)
{
    const int32_t ch = c.State().view.pointedChannel;
    return ch >= 0 && ch < kChannels && AnySelected(c.State(), ch);
}
bool CanInsertMeasures(const C& c, int32_t) { return c.State().Measures() < kMaxEditableMeasures; }
bool FollowSet(const C& c, int32_t) { return c.State().view.followFlag; }
bool WorkFileExists(const C& c, int32_t) { return c.Services().files.WorkFileExists(); }

bool PointOrFilledSlotPointed(const C& c, int32_t)
{
    return PointedEnvelopePoint(c.State()) != nullptr || PointedSlot(c.State()) != nullptr;
}
bool ValueSliderAvailable(const C& c, int32_t command) { return DragFree(c) && PointOrFilledSlotPointed(c, command); }
bool PointedIsSelected(const C& c, int32_t)
{
    if (const EnvelopePoint* p = PointedEnvelopePoint(c.State()))
        return p->selected != 0;
    const ChannelSlot* slot = PointedSlot(c.State());
    return slot && slot->selected != 0;
}
bool SlotPointed(const C& c, int32_t) { return PointedSlot(c.State()) != nullptr; }
bool PointedSelectionAvailable(const C& c, int32_t command)
{
    const ChannelSlot* slot = PointedSlot(c.State());
    if (!slot)
        return false;
    const bool wantsSelected = command == cmd::kPointedSelection1 + 1 || command == cmd::kPointedSelection4;
    return (slot->selected != 0) == wantsSelected;
}
bool DropMoveAvailable(const C& c, int32_t) { return c.Drop().dragState == 11; }
bool DropPlaceAvailable(const C& c, int32_t) { return c.Drop().dragState == 8; }

bool LibraryUp(const C& c, int32_t)
{
    return CanScrollLibraryUp(c.State().doc.library, c.State().view.libraryFirstRow, c.LibraryVisibleRows());
}
bool LibraryDown(const C& c, int32_t)
{
    return CanScrollLibraryDown(c.State().doc.library, c.State().view.libraryFirstRow, c.LibraryVisibleRows());
}
bool LibraryScrollAvailable(const C& c, int32_t command)
{
    switch (command) {
    case cmd::kLibraryUp:
    case cmd::kLibraryUpFive:
    case cmd::kLibraryTop: return LibraryUp(c, command);
    default: return LibraryDown(c, command);
    }
}

bool RegionPlayAvailable(const C& c, int32_t) { return c.State().Measures() > 0 && AnyRegionOn(c.State().doc.song); }
bool CursorOutsideRegions(const C& c, int32_t)
{
    return c.State().Measures() > 0 && RegionAt(c.State().doc.song, c.State().view.cursorMeasure) < 0;
}
bool RegionCurrent(const C& c, int32_t) { return CurrentRegionExists(c.State()); }
bool RegionTouches(const C& c, int32_t) { return TouchingNeighbour(c.State()) >= 0; }

bool VariantHoldsSample(const C& c, int32_t) { return SelectedFilledCell(c.State()) != nullptr; }
bool EntryHoldsSample(const C& c, int32_t) { return SelectedEntryHasSample(c.State()); }
bool FilledUserCell(const C& c, int32_t)
{
    return SelectedFilledCell(c.State()) && SelectedInUserPart(c.State());
}
bool UserEntryNotFree(const C& c, int32_t) { return SelectedInUserPart(c.State()) && !SelectedIsFreeEntry(c.State()); }
bool UserEntry(const C& c, int32_t) { return SelectedInUserPart(c.State()); }
bool EmptyUserCell(const C& c, int32_t)
{
    const SampleDescriptor* d = SelectedCell(c.State());
    return d && d->IsEmpty() && SelectedInUserPart(c.State());
}
// A library song: the cell's file ends in the extension that a style of
// the library is named by (songs used as samples live in such a style).
bool LibrarySongCell(const C& c, int32_t)
{
    const SampleDescriptor* d = SelectedFilledCell(c.State());
    if (!d)
        return false;
    const size_t dot = d->path.rfind('.');
    if (dot == std::string::npos || d->path.size() - dot != 4)
        return false;
    const std::string extension = d->path.substr(dot + 1);
    for (const LibraryStyle& style : c.State().doc.library.styles) {
        if (style.name.size() == 3 && EqualsIgnoreCase(style.name, extension))
            return true;
    }
    return false;
}
bool ShippedCellElsewhere(const C& c, int32_t)
{
    const SampleDescriptor* d = SelectedFilledCell(c.State());
    const LibraryPart* part = SelectedPart(c.State());
    return d && part && part->factory != 0 && c.Services().files.OnOtherFileSystem(d->path);
}
bool UserPartOpen(const C& c, int32_t)
{
    const LibraryPart* part = OpenPart(c.State().doc.library);
    return part && part->factory == 0;
}
bool CanDragEntry(const C& c, int32_t)
{
    const LibraryPart* part = SelectedPart(c.State());
    return DragFree(c) && SelectedFilledCell(c.State()) && part && part->factory == 0;
}
bool LibrarySelectionExists(const C& c, int32_t) { return !c.State().view.librarySelection.IsEmpty(); }
bool ChannelPopupOpen(const C& c, int32_t) { return c.State().view.channelPopupOpen; }

} // namespace

std::span<const MainController::CommandRow> MainController::Commands()
{
    using M = MenuRule;
    // Rows in command order; a range row covers first ... last.
    static const std::array kTable{
        C::CommandRow{cmd::kMenuCancelled, cmd::kMenuCancelled, Always, &C::MenuCancelled, M::EnabledByAvailability},
        C::CommandRow{cmd::kSubMenuValue, cmd::kSubMenuValue, Always, &C::SubMenuValue, M::AsWritten},
        C::CommandRow{cmd::kUndo, cmd::kUndo, UndoHoldsSong, &C::Undo, M::EnabledByAvailability},
        C::CommandRow{cmd::kCut, cmd::kCut, SelectionExists, &C::Cut, M::EnabledByAvailability},
        C::CommandRow{cmd::kCopy, cmd::kCopy, SelectionExists, &C::Copy, M::EnabledByAvailability},
        C::CommandRow{cmd::kPaste, cmd::kPaste, CanPaste, &C::Paste, M::EnabledByAvailability},
        C::CommandRow{cmd::kDelete, cmd::kDelete, SelectionExists, &C::Delete, M::EnabledByAvailability},
        C::CommandRow{cmd::kSelectAll, cmd::kSelectAll, CanSelectAll, &C::SelectAll, M::EnabledByAvailability},
        C::CommandRow{cmd::kSelectNone, cmd::kSelectNone, SelectionExists, &C::SelectNone, M::EnabledByAvailability},
        C::CommandRow{cmd::kInsertMeasures, cmd::kInsertMeasures, CanInsertMeasures, &C::InsertMeasuresCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kRemoveMeasures, cmd::kRemoveMeasures, HasMeasures, &C::RemoveMeasuresCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kReverseToggle, cmd::kReverseOn, SlotSelected, &C::Reverse, M::EnabledByAvailability},
        C::CommandRow{cmd::kFollowFlag, cmd::kFollowFlag, Always, &C::ToggleFollow, M::CheckedByFlag},
        C::CommandRow{cmd::kSmoothFlag, cmd::kSmoothFlag, FollowSet, &C::ToggleSmooth, M::CheckedByFlag},
        C::CommandRow{cmd::kEnvelopeKind0, cmd::kEnvelopeKind1, HasMeasures, &C::ToggleEnvelope, M::CheckedByFlag},
        C::CommandRow{cmd::kSelectChannel, cmd::kSelectChannel, ChannelHasUnselected, &C::SelectChannel,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kDeselectChannel, cmd::kDeselectChannel, ChannelHasSelected, &C::DeselectChannel,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kNewSong, cmd::kNewSong, Always, &C::NewSong, M::EnabledByAvailability},
        C::CommandRow{cmd::kOpen, cmd::kOpen, Always, &C::Open, M::EnabledByAvailability},
        C::CommandRow{cmd::kCloseSong, cmd::kCloseSong, Always, &C::CloseSong, M::EnabledByAvailability},
        C::CommandRow{cmd::kSave, cmd::kSave, HasMeasures, &C::Save, M::EnabledByAvailability},
        C::CommandRow{cmd::kSaveAs, cmd::kSaveAs, HasMeasures, &C::SaveAs, M::EnabledByAvailability},
        C::CommandRow{cmd::kExport, cmd::kExport, HasMeasures, &C::ExportWave, M::EnabledByAvailability},
        C::CommandRow{cmd::kOptions, cmd::kOptions, Always, &C::OptionsCommand, M::EnabledByAvailability},
        C::CommandRow{cmd::kHelp, cmd::kHelp, Always, &C::Help, M::EnabledByAvailability},
        C::CommandRow{cmd::kExit, cmd::kExit, Always, &C::Exit, M::EnabledByAvailability},
        C::CommandRow{cmd::kInsertSong, cmd::kInsertSong, HasMeasures, &C::InsertSong, M::EnabledByAvailability},
        C::CommandRow{cmd::kRestoreWorkFile, cmd::kRestoreWorkFile, WorkFileExists, &C::RestoreWorkFile,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kTempo, cmd::kTempo, Stopped, &C::TempoDialog, M::EnabledByAvailability},
        C::CommandRow{cmd::kMainMenu, cmd::kMainMenu, Always, &C::MainMenu, M::AsWritten},
        C::CommandRow{cmd::kNews, cmd::kNews, Always, &C::News, M::NewsMark},
        C::CommandRow{cmd::kLibraryUp, cmd::kLibraryBottom, LibraryScrollAvailable, &C::LibraryScroll,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kSendRegions, cmd::kSendRegions, Always, &C::SendRegionsCommand, M::AsWritten},
        C::CommandRow{cmd::kPlayStop, cmd::kPlayStop, Always, &C::PlayStop, M::AsWritten},
        C::CommandRow{cmd::kRegionPlaySwitch, cmd::kRegionPlaySwitch, RegionPlayAvailable, &C::RegionPlaySwitch,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kToStart, cmd::kToStart, HasMeasures, &C::ToStart, M::EnabledByAvailability},
        C::CommandRow{cmd::kToEnd, cmd::kToEnd, HasMeasures, &C::ToEnd, M::EnabledByAvailability},
        C::CommandRow{cmd::kMeasureBack, cmd::kMeasureBack, HasMeasures, &C::MeasureStep, M::EnabledByAvailability},
        C::CommandRow{cmd::kPreviousRegionEdge, cmd::kPreviousRegionEdge, HasMeasures, &C::RegionEdgeStep,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kMeasureOn, cmd::kMeasureOn, HasMeasures, &C::MeasureStep, M::EnabledByAvailability},
        C::CommandRow{cmd::kNextRegionEdge, cmd::kNextRegionEdge, HasMeasures, &C::RegionEdgeStep,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kStopAtPosition, cmd::kStopAtPosition, HasMeasures, &C::StopAtPosition,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kLoop, cmd::kLoop, Always, &C::Loop, M::AsWritten},
        C::CommandRow{cmd::kPreviewVariant, cmd::kPreviewVariant, VariantHoldsSample, &C::PreviewCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kPreviewEntry, cmd::kPreviewEntry, EntryHoldsSample, &C::PreviewCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kPreviewVariantReversed, cmd::kPreviewVariantReversed, VariantHoldsSample, &C::PreviewCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kPreviewEntryReversed, cmd::kPreviewEntryReversed, EntryHoldsSample, &C::PreviewCommand,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kSampleProperties, cmd::kSampleProperties, FilledUserCell, &C::SampleProperties,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kRemoveSamples, cmd::kRemoveSamples, UserEntryNotFree, &C::RemoveSamples,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kSampleFile, cmd::kSampleFile, VariantHoldsSample, &C::SampleFile, M::EnabledByAvailability},
        C::CommandRow{cmd::kEditLibrarySong, cmd::kEditLibrarySong, LibrarySongCell, &C::EditLibrarySong,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kCopyToSampleFolder, cmd::kCopyToSampleFolder, ShippedCellElsewhere, &C::CopyToSampleFolder,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kPitchedCopy, cmd::kPitchedCopy, VariantHoldsSample, &C::PitchedCopy, M::KeptWhenAvailable},
        C::CommandRow{cmd::kRemoveRegion, cmd::kRemoveRegion, RegionCurrent, &C::RemoveRegion, M::EnabledByAvailability},
        C::CommandRow{cmd::kRegionOnOff, cmd::kRegionOnOff, RegionCurrent, &C::RegionOnOff, M::RegionOnOff},
        C::CommandRow{cmd::kJoinRegions, cmd::kJoinRegions, RegionTouches, &C::JoinRegions, M::EnabledByAvailability},
        C::CommandRow{cmd::kRecordIntoEntry, cmd::kRecordIntoEntry, UserEntry, &C::RecordIntoEntry,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kCreateRegion, cmd::kCreateRegion, CursorOutsideRegions, &C::CreateRegion,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kInsertEmptyEntry, cmd::kInsertEmptyEntry, UserEntryNotFree, &C::InsertEmptyEntry,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kAddFileToCell, cmd::kAddFileToCell, EmptyUserCell, &C::AddFileToCell, M::KeptWhenAvailable},
        C::CommandRow{cmd::kAddSamples, cmd::kAddSamples, UserPartOpen, &C::AddSamples, M::KeptWhenAvailable},
        C::CommandRow{cmd::kDragEntry, cmd::kDragEntry, CanDragEntry, &C::DragEntry, M::KeptWhenAvailable},
        C::CommandRow{cmd::kSelectAlike, cmd::kSelectAlikeByName, LibrarySelectionExists, &C::SelectAlike,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kValueSlider, cmd::kValueSlider, ValueSliderAvailable, &C::ValueSlider, M::KeptWhenAvailable},
        C::CommandRow{cmd::kCutPointed, cmd::kCutPointed, PointedIsSelected, &C::CutPointed, M::KeptWhenAvailable},
        C::CommandRow{cmd::kPreviewSlot, cmd::kPreviewSlot, SlotPointed, &C::PreviewSlot, M::KeptWhenAvailable},
        C::CommandRow{cmd::kPointedSelection1, cmd::kPointedSelection4, PointedSelectionAvailable, &C::PointedSelection,
                      M::KeptWhenAvailable},
        C::CommandRow{cmd::kSlotReverse, cmd::kSlotReverse, SlotPointed, &C::SlotReverse, M::KeptWhenAvailable},
        C::CommandRow{cmd::kDeletePointed, cmd::kDeletePointed, PointOrFilledSlotPointed, &C::DeletePointed,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kShowInLibrary, cmd::kShowInLibrary, SlotPointed, &C::ShowInLibrary, M::KeptWhenAvailable},
        C::CommandRow{cmd::kCopyPointed, cmd::kCopyPointed, PointedIsSelected, &C::CopyPointed, M::KeptWhenAvailable},
        C::CommandRow{cmd::kDropMove, cmd::kDropCopy, DropMoveAvailable, &C::DropChoice, M::EnabledByAvailability},
        C::CommandRow{cmd::kDropPlace, cmd::kDropReplaceShifted, DropPlaceAvailable, &C::DropChoice,
                      M::EnabledByAvailability},
        C::CommandRow{cmd::kTimeFormat0, cmd::kTimeFormat3, Always, &C::TimeFormat, M::TimeFormat},
        C::CommandRow{cmd::kChooseGroup0, cmd::kChooseGroupLast, Always, &C::ChooseGroup, M::GroupName},
        C::CommandRow{cmd::kChooseChord0, cmd::kChooseChordLast, Always, &C::ChooseChord, M::ChordName},
        C::CommandRow{cmd::kZoomIn, cmd::kZoomOut, Always, &C::Zoom, M::KeptWhenAvailable},
        C::CommandRow{cmd::kAppendFour, cmd::kAppendFour, Always, &C::AppendFour, M::KeptWhenAvailable},
        C::CommandRow{cmd::kRemoveLastFour, cmd::kRemoveLastFour, HasMeasures, &C::RemoveLastFour, M::KeptWhenAvailable},
        C::CommandRow{cmd::kTempoFaster, cmd::kTempoSlower, Always, &C::TempoStep, M::KeptWhenAvailable},
        C::CommandRow{cmd::kTimeMenu, cmd::kTimeMenu, Always, &C::TimeMenu, M::AsWritten},
        C::CommandRow{cmd::kFinerMeasures, cmd::kCoarserMeasures, Always, &C::MeasureGrid, M::KeptWhenAvailable},
        C::CommandRow{cmd::kChannelPopupClose, cmd::kChannelPopupApply, ChannelPopupOpen, &C::ChannelPopup,
                      M::AsWritten},
    };
    return kTable;
}

const MainController::CommandRow* MainController::FindCommand(int32_t command)
{
    for (const CommandRow& row : Commands()) {
        if (command >= row.first && command <= row.last)
            return &row;
    }
    return nullptr;
}

bool MainController::IsCommandAvailable(int32_t command) const
{
    const CommandRow* row = FindCommand(command);
    return row && row->available(*this, command);
}

int32_t MainController::OnCommand(int32_t command, int64_t param)
{
    const CommandRow* row = FindCommand(command);
    if (!row || !row->available(*this, command))
        return 0;
    return (this->*(row->handler))(command, param);
}

} // namespace bm::ui
