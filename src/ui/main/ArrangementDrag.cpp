// The gestures of the areas: which drag a press starts, what each drag does
// while the mouse moves and when the button is released, the drop, the
// replace operations, the rubber band, sliding slots, dragging envelope
// points, region edges and the knob.

#include "ui/main/ArrangementAreas.h"

#include "ui/dialogs/ShiftNotesDialog.h"

#include "app/AppContext.h"
#include "song/SongEditing.h"
#include "song/SongModel.h"
#include "ui/main/AreaDrawing.h"
#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinWindow.h"

#include <algorithm>
#include <set>

namespace bm::ui {

using geometry::FloorDiv;
using platform::Point;
using platform::Rect;
namespace mods = platform::mods;

namespace {

bool CarriesPlacement(int32_t state)
{
    return state == ArrangementAreas::kCarry || state == ArrangementAreas::kCarryForMenu ||
           state == ArrangementAreas::kMove || state == ArrangementAreas::kCopy ||
           state == ArrangementAreas::kMoveForMenu;
}

bool ShowsDropTarget(int32_t state)
{
    return CarriesPlacement(state) || state == ArrangementAreas::kReplace ||
           state == ArrangementAreas::kReplaceByName;
}

// Positions on the grid of sixteenths of a measure, measured from each
// measure's start (the grid need not divide the measure evenly).
int64_t SnapNearest(int64_t p, int64_t S, int64_t grid)
{
    const int64_t m = FloorDiv(p, S);
    const int64_t k = (p - m * S + grid / 2) / grid;
    return k * grid >= S ? (m + 1) * S : m * S + k * grid;
}
int64_t SnapDown(int64_t p, int64_t S, int64_t grid)
{
    const int64_t m = FloorDiv(p, S);
    return m * S + (p - m * S) / grid * grid;
}
int64_t SnapUp(int64_t p, int64_t S, int64_t grid)
{
    const int64_t m = FloorDiv(p, S);
    const int64_t k = (p - m * S + grid - 1) / grid;
    return k * grid >= S ? (m + 1) * S : m * S + k * grid;
}

} // namespace

int32_t ArrangementAreas::PressX() const { return m_press.at.x + m_pressScrollX - S().view.scrollX; }

Point ArrangementAreas::WindowScreen(Point at) const
{
    return m_host.ToScreen({at.x - m_grab.x, at.y - m_grab.y});
}

// ---- Choosing and starting a drag ----

int32_t ArrangementAreas::ChooseDrag(const Press& press) const
{
    const uint32_t keys = press.mods & mods::kKeys;
    const bool ctrl = keys & mods::kCtrl;
    const bool shift = keys & mods::kShift;
    switch (press.place) {
    case AreaPlace::Library:
        if (press.cell.kind != LibraryHit::Kind::Cell || !press.cell.filled)
            return kIdle;
        if (press.right)
            return ctrl ? kReplace : shift ? kReplaceByName : kCarryForMenu;
        if (shift && !ctrl)
            return ShowsAddRow(S().doc.library, press.cell.part) ? kSwapCells : kIdle;
        return ctrl ? kIdle : kCarry; // Alt places the sample backwards
    case AreaPlace::Silence:
        if (press.right)
            return ctrl ? kReplace : kIdle;
        return ctrl || shift ? kIdle : kCarry;
    case AreaPlace::Knob:
        return press.right ? kKnobGain : kKnobVolume;
    case AreaPlace::Arrangement:
        if (press.right)
            return keys == 0 && (press.envelope.point.Valid() || press.slot.Valid()) ? kMoveForMenu : kIdle;
        if (press.envelope.point.Valid())
            return ctrl ? kPoint : shift ? kCopy : kMove;
        if (press.slot.Valid()) {
            if (ctrl)
                return shift ? kSlide : kIdle;
            return shift ? kCopy : kMove;
        }
        if (press.handle.Valid())
            return keys == 0 ? kRegionEdge : kIdle;
        if (ctrl && shift)
            return kIdle;
        return ctrl ? kBandRemove : shift ? kBandAdd : kBand;
    default:
        return kIdle;
    }
}

bool ArrangementAreas::BeginDrag(int32_t state, Point at)
{
    MainState& s = S();
    (void)at;
    switch (state) {
    case kSwapCells: {
        const LibraryHit& cell = m_press.cell;
        m_carried = CellRef(s.doc.library, cell.part, cell.entry, cell.variant);
        m_grab = {m_press.at.x - cell.variant * layout::kLibraryCellWidth - layout::kLibrary.left,
                  (m_press.at.y - layout::kLibrary.top) % layout::kLibraryRowHeight};
        m_grabRows = 0;
        m_swapTarget = {};
        s.view.dragState = kSwapCells;
        ShowCellWindow(m_carried, nullptr);
        break;
    }
    case kCarry:
    case kCarryForMenu:
    case kReplace:
    case kReplaceByName:
        if (!BeginCarry(state))
            return false;
        break;
    case kMove:
    case kCopy:
    case kMoveForMenu:
        if (!BeginSelectionCarry())
            return false;
        s.view.dragState = state;
        break;
    case kRegionEdge:
        if (m_press.handle.region >= static_cast<int32_t>(s.doc.song.regions.size()))
            return false;
        m_edgeRegion = m_press.handle.region;
        m_edgeSide = m_press.handle.side;
        m_controller.Snapshot();
        s.view.dragState = kRegionEdge;
        break;
    case kBand:
    case kBandAdd:
    case kBandRemove:
        s.view.dragState = state;
        BeginBand();
        break;
    case kSlide:
        BeginSlide();
        if (m_sliding.empty())
            return false;
        s.view.dragState = kSlide;
        break;
    case kPoint: {
        const PointedPoint& p = m_press.envelope.point;
        const Envelope& list = s.doc.song.envelopes[p.channel][p.kind];
        if (p.index >= static_cast<int32_t>(list.size()))
            return false;
        m_point = p;
        m_pointPosition = list[p.index].position;
        m_pointValue = list[p.index].value;
        m_controller.Snapshot();
        s.view.dragState = kPoint;
        break;
    }
    case kKnobVolume:
        m_knob.Begin();
        s.view.dragState = kKnobVolume;
        break;
    case kKnobGain:
        m_controller.Snapshot();
        m_knob.Begin();
        m_baseVolumes = s.doc.song.channelVolume;
        s.view.channelGain = 256;
        s.view.dragState = kKnobGain;
        break;
    default:
        return false;
    }
    return true;
}

bool ArrangementAreas::BeginCarry(int32_t state)
{
    MainState& s = S();
    SampleRef ref;
    Image24 picture;
    if (m_press.place == AreaPlace::Silence) {
        const app::AppContext& app = m_controller.Services().app;
        const std::optional<SampleRef> silence =
            FindSilence(s.doc.library, app.folders.Snapshot(), app.programFolder);
        if (!silence)
            return false;
        ref = *silence;
        const Rect cell = layout::kSilenceCell;
        picture.Resize(cell.Width(), cell.Height());
        CopyRect24(m_host.Canvas().View(), cell, picture.View(), 0, 0);
        m_grab = {m_press.at.x - cell.left, m_press.at.y - cell.top};
    } else {
        const LibraryHit& cell = m_press.cell;
        ref = CellRef(s.doc.library, cell.part, cell.entry, cell.variant);
        m_grab = {m_press.at.x - cell.variant * layout::kLibraryCellWidth - layout::kLibrary.left,
                  (m_press.at.y - layout::kLibrary.top) % layout::kLibraryRowHeight};
    }
    m_grabRows = 0;
    if (state == kCarry || state == kCarryForMenu) {
        LibrarySelection where;
        where.style = ref.Style();
        where.group = ref.Group();
        where.part = ref.Part();
        where.chord = ref.Chord();
        const int32_t reverse = state == kCarry && (m_press.mods & mods::kAlt) ? 1 : 0;
        if (PreparePlacementFromLibrary(s.doc.song, s.doc.library, where, ref.Entry(), ref.Variant(), reverse,
                                        s.doc.placement) == 0)
            return false;
    }
    m_carried = ref;
    s.view.dragState = state;
    ShowCellWindow(ref, picture.Empty() ? nullptr : &picture);
    return true;
}

bool ArrangementAreas::BeginSelectionCarry()
{
    MainState& s = S();
    const int32_t base = PreparePlacementFromSelection(s.doc.song, s.doc.placement);
    if (base < 0)
        return false;
    const geometry::Frame f = Frame();
    m_grab = {m_press.at.x - geometry::MeasureX(f, base), m_press.at.y - geometry::RowTop(f, 0)};
    m_grabRows = std::clamp(geometry::RowUnder(f, m_press.at.y), 0, kChannels - 1);
    m_carried = {};
    ShowPlacementWindow();
    return true;
}

void ArrangementAreas::ShowCellWindow(const SampleRef& ref, const Image24* picture)
{
    Image24 image = picture ? *picture : m_browser.CellImage(S(), ref);
    m_dragWindow.Open(m_host, std::move(image), {}, WindowScreen(m_press.at));
}

void ArrangementAreas::ShowPlacementWindow()
{
    const MainState& s = S();
    const SongFragment& buffer = s.doc.placement;
    const geometry::Frame f = Frame();
    int64_t span = static_cast<int64_t>(buffer.measures.size());
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            if (buffer.inUse[c][k] && !buffer.envelopes[c][k].empty())
                span = std::max<int64_t>(span, buffer.envelopes[c][k].back().position / f.S + 1);
        }
    }
    const int32_t width = static_cast<int32_t>(
        std::clamp<int64_t>(span * f.W, int64_t(geometry::kMinBarMeasures) * f.W, layout::WidthOf(layout::kArrangement)));
    const int32_t height = geometry::kRowPitch * (kChannels - 1) + geometry::kRowHeight;
    Image24 image(width, height, 0);
    geometry::Frame local = f;
    local.X = 0;
    local.L = 0;
    local.T = -geometry::kRowOffset;
    const Rect all = image.Bounds();
    for (size_t i = 0; i < buffer.measures.size(); ++i) {
        for (int32_t c = 0; c < kChannels; ++c) {
            const ChannelSlot& slot = buffer.measures[i].slots[c];
            if (slot.IsEmpty())
                continue;
            int64_t nextX = INT32_MAX;
            for (size_t n = i + 1; n < buffer.measures.size(); ++n) {
                if (!buffer.measures[n].slots[c].IsEmpty()) {
                    nextX = geometry::SlotStartX(local, static_cast<int64_t>(n), buffer.measures[n].slots[c].start);
                    break;
                }
            }
            const int32_t left = geometry::SlotStartX(local, static_cast<int64_t>(i), slot.start);
            const int64_t w =
                geometry::CutBarWidth(left, geometry::SlotBarWidth(f.W, f.S, SlotLength(s.doc.library, slot)), nextX);
            const Rect bar{left, geometry::RowTop(local, c), geometry::ToPixel(left + w - 1),
                           geometry::RowBottom(local, c)};
            const ArrangementPainter::BarColours colour = ArrangementPainter::ColoursOf(s, c, slot);
            draw::Fill(image.View(), all, bar, colour.fill | 0x010101);
            draw::Outline(image.View(), all, bar, colour.frame | 0x010101);
        }
    }
    for (int32_t c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            if (!buffer.inUse[c][k])
                continue;
            for (const EnvelopePoint& p : buffer.envelopes[c][k]) {
                const int32_t x = geometry::SampleX(local, p.position);
                const int32_t y = geometry::EnvelopeY(local, c, p.value);
                draw::Fill(image.View(), all, {x - 2, y - 2, x + 2, y + 2}, colours::kSelectedPoint);
            }
        }
    }
    std::vector<Rect> shape = RegionFromSkin(image);
    if (shape.empty())
        return;
    m_dragWindow.Open(m_host, std::move(image), std::move(shape), WindowScreen(m_press.at));
}

void ArrangementAreas::StartPlacementDrag()
{
    MainState& s = S();
    if (s.view.dragState != kIdle && s.view.dragState != kButtonDown)
        return;
    const SongFragment& buffer = s.doc.placement;
    int32_t firstChannel = kChannels;
    for (const Measure& m : buffer.measures) {
        for (int32_t c = 0; c < kChannels; ++c) {
            if (!m.slots[c].IsEmpty())
                firstChannel = std::min(firstChannel, c);
        }
    }
    for (int32_t c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            if (buffer.inUse[c][k] && !buffer.envelopes[c][k].empty())
                firstChannel = std::min(firstChannel, c);
        }
    }
    if (firstChannel == kChannels)
        return;
    const Point at = m_lastMouse.x < 0 ? Point{layout::kArrangement.left, geometry::RowTop(Frame(), firstChannel)}
                                       : m_lastMouse;
    // The buffer keeps its channels while the pointer is on the row it was
    // on when the drag began; from outside the arrangement the first
    // carried channel lands on the row under the pointer.
    m_grab = {0, at.y - geometry::RowTop(Frame(), 0)};
    m_grabRows = PlaceAt(at.x, at.y) == AreaPlace::Arrangement
                     ? std::clamp(geometry::RowUnder(Frame(), at.y), 0, kChannels - 1)
                     : firstChannel;
    m_press = {};
    m_press.at = at;
    m_pressScrollX = s.view.scrollX;
    m_carried = {};
    m_placementWithoutButton = true;
    s.view.dragState = kCarry;
    ShowPlacementWindow();
    m_host.CaptureMouse();
    UpdateDrag(at, m_lastMods);
}

// ---- While moving ----

void ArrangementAreas::UpdateDrag(Point at, uint32_t m)
{
    const int32_t state = S().view.dragState;
    if (m_dragWindow.IsOpen())
        m_dragWindow.MoveTo(WindowScreen(at));
    switch (state) {
    case kSwapCells: {
        LibraryHit target = HitLibrary(S().doc.library, S().view.libraryFirstRow, at.x, at.y);
        const bool cell = target.kind == LibraryHit::Kind::Cell || target.kind == LibraryHit::Kind::AddButton;
        if (!cell || CellRef(S().doc.library, target.part, target.entry, target.variant) == m_carried)
            target = {};
        if (target.kind == LibraryHit::Kind::AddButton)
            target.kind = LibraryHit::Kind::Cell;
        if (target.visibleRow != m_swapTarget.visibleRow || target.variant != m_swapTarget.variant) {
            m_swapTarget = target;
            PaintLibrary();
        }
        break;
    }
    case kRegionEdge: MoveRegionEdge(at); break;
    case kBand:
    case kBandAdd:
    case kBandRemove: UpdateBand(at); break;
    case kSlide: UpdateSlide(at); break;
    case kPoint: UpdatePoint(at, m); break;
    case kKnobVolume:
    case kKnobGain: TurnKnob(at); break;
    default:
        if (ShowsDropTarget(state))
            UpdateOutline(at);
        break;
    }
}

DropPlace ArrangementAreas::DropPlaceAt(Point at) const
{
    const geometry::Frame f = Frame();
    const int32_t windowLeft = at.x - m_grab.x;
    return {geometry::MeasureUnder(f, windowLeft + f.W / 2), geometry::RowUnder(f, at.y) - m_grabRows};
}

void ArrangementAreas::UpdateOutline(Point at)
{
    const std::vector<Rect> before = m_overlay.dropOutline;
    m_overlay.dropOutline.clear();
    const int32_t state = S().view.dragState;
    const geometry::Frame f = Frame();
    const Song& song = S().doc.song;
    if (PlaceAt(at.x, at.y) == AreaPlace::Arrangement) {
        const DropPlace place = DropPlaceAt(at);
        if (state == kReplace || state == kReplaceByName) {
            const int32_t c = place.channelShift;
            if (place.measure >= 0 && place.measure < S().Measures() && c >= 0 && c < kChannels &&
                !song.measures[place.measure].slots[c].IsEmpty())
                m_overlay.dropOutline.push_back(
                    SlotBarRect(song, S().doc.library, f, static_cast<int32_t>(place.measure), c));
        } else {
            // The footprint of the buffer: its measures and the rows of its
            // first and last used channel.
            const SongFragment& buffer = S().doc.placement;
            int64_t span = static_cast<int64_t>(buffer.measures.size());
            int32_t low = kChannels;
            int32_t high = -1;
            for (const Measure& m : buffer.measures) {
                for (int32_t c = 0; c < kChannels; ++c) {
                    if (!m.slots[c].IsEmpty()) {
                        low = std::min(low, c);
                        high = std::max(high, c);
                    }
                }
            }
            for (int32_t c = 0; c < kChannels; ++c) {
                for (int k = 0; k < kEnvelopeKinds; ++k) {
                    if (buffer.inUse[c][k] && !buffer.envelopes[c][k].empty()) {
                        low = std::min(low, c);
                        high = std::max(high, c);
                        span = std::max<int64_t>(span, buffer.envelopes[c][k].back().position / f.S + 1);
                    }
                }
            }
            const int32_t top = std::clamp(low + place.channelShift, 0, kChannels - 1);
            const int32_t bottom = std::clamp(high + place.channelShift, 0, kChannels - 1);
            if (high >= 0 && span > 0 && high + place.channelShift >= 0 && low + place.channelShift < kChannels)
                m_overlay.dropOutline.push_back({geometry::MeasureX(f, place.measure), geometry::RowTop(f, top) - 1,
                                                 geometry::MeasureX(f, place.measure + span) - 1,
                                                 geometry::RowBottom(f, bottom) + 1});
        }
    }
    if (before != m_overlay.dropOutline)
        RepaintOutline(before);
}

void ArrangementAreas::RepaintOutline(const std::vector<Rect>& before)
{
    // Only the frames' own pixels change: repaint each side of the old and
    // the new outlines.
    auto sides = [this](const Rect& r) {
        PaintArrangement({r.left, r.top, r.right, r.top});
        PaintArrangement({r.left, r.bottom, r.right, r.bottom});
        PaintArrangement({r.left, r.top, r.left, r.bottom});
        PaintArrangement({r.right, r.top, r.right, r.bottom});
    };
    for (const Rect& r : before)
        sides(r);
    const std::vector<Rect> now = m_overlay.dropOutline;
    for (const Rect& r : now)
        sides(r);
}

void ArrangementAreas::MoveRegionEdge(Point at)
{
    Song& song = S().doc.song;
    if (m_edgeRegion < 0 || m_edgeRegion >= static_cast<int32_t>(song.regions.size()))
        return;
    const geometry::Frame f = Frame();
    Region& region = song.regions[m_edgeRegion];
    const int64_t measures = S().Measures();
    int64_t wanted = 0;
    int64_t low = 0;
    int64_t high = 0;
    if (m_edgeSide == RegionSide::Start) {
        wanted = geometry::StartEdgeMeasure(f, at.x);
        high = region.end;
        for (size_t i = 0; i < song.regions.size(); ++i) {
            if (static_cast<int32_t>(i) != m_edgeRegion && song.regions[i].end < region.start)
                low = std::max<int64_t>(low, song.regions[i].end + 1);
        }
    } else {
        wanted = geometry::EndEdgeMeasure(f, at.x);
        low = region.start;
        high = measures - 1;
        for (size_t i = 0; i < song.regions.size(); ++i) {
            if (static_cast<int32_t>(i) != m_edgeRegion && song.regions[i].start > region.end)
                high = std::min<int64_t>(high, song.regions[i].start - 1);
        }
    }
    if (high < low)
        return;
    const int32_t edge = static_cast<int32_t>(std::clamp(wanted, low, high));
    int32_t& value = m_edgeSide == RegionSide::Start ? region.start : region.end;
    if (edge == value)
        return;
    value = edge;
    m_controller.OnCommand(cmd::kSendRegions);
    PaintArrangement({layout::kArrangement.left, layout::kArrangement.top, layout::kArrangement.right,
                      layout::kArrangement.top + geometry::kHandleHeight});
}

void ArrangementAreas::BeginBand()
{
    const Song& song = S().doc.song;
    m_bandMeasureCount = S().Measures();
    m_bandSlots.assign(size_t(m_bandMeasureCount) * kChannels, 0);
    for (int32_t m = 0; m < m_bandMeasureCount; ++m) {
        for (int32_t c = 0; c < kChannels; ++c)
            m_bandSlots[size_t(m) * kChannels + c] = song.measures[m].slots[c].selected ? 1 : 0;
    }
    for (int32_t c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            const Envelope& list = song.envelopes[c][k];
            auto& flags = m_bandPoints[c][k];
            flags.resize(list.size());
            for (size_t i = 0; i < list.size(); ++i)
                flags[i] = list[i].selected ? 1 : 0;
        }
    }
    m_bandCells = {};
}

void ArrangementAreas::UpdateBand(Point at)
{
    MainState& s = S();
    Song& song = s.doc.song;
    const int32_t measures = s.Measures();
    if (measures != m_bandMeasureCount)
        return; // the song changed under the band; the selection stays as it is
    const geometry::Frame f = Frame();
    const int32_t downX = PressX();
    const int32_t x0 = std::min(downX, at.x);
    const int32_t x1 = std::max(downX, at.x);
    const int32_t y0 = std::min(m_press.at.y, at.y);
    const int32_t y1 = std::max(m_press.at.y, at.y);
    Rect cells;
    const int64_t mFirst = geometry::MeasureUnder(f, x0);
    const int64_t mLast = geometry::MeasureUnder(f, x1);
    const int32_t r0 = std::max(0, geometry::RowUnder(f, y0));
    const int32_t r1 = std::min(kChannels - 1, geometry::RowUnder(f, y1));
    if (mLast >= 0 && mFirst < measures && r0 <= r1)
        cells = {static_cast<int32_t>(std::max<int64_t>(0, mFirst)), r0,
                 static_cast<int32_t>(std::min<int64_t>(measures - 1, mLast)), r1};

    const int32_t state = s.view.dragState;
    auto decide = [state](bool before, bool inside) {
        if (state == kBandAdd)
            return before || inside;
        if (state == kBandRemove)
            return before && !inside;
        return inside;
    };
    const Rect touched = m_bandCells.United(cells);
    if (!touched.Empty()) {
        for (int32_t m = touched.left; m <= touched.right; ++m) {
            for (int32_t c = touched.top; c <= touched.bottom; ++c) {
                ChannelSlot& slot = song.measures[m].slots[c];
                if (slot.IsEmpty())
                    continue;
                slot.selected = decide(m_bandSlots[size_t(m) * kChannels + c] != 0, cells.Contains(m, c)) ? 1 : 0;
            }
        }
        const int64_t from = int64_t(touched.left) * f.S;
        const int64_t to = (int64_t(touched.right) + 1) * f.S;
        for (int32_t c = touched.top; c <= touched.bottom; ++c) {
            for (int k = 0; k < kEnvelopeKinds; ++k) {
                if (!s.view.envelopeShown[k])
                    continue;
                Envelope& list = song.envelopes[c][k];
                const auto& flags = m_bandPoints[c][k];
                if (flags.size() != list.size())
                    continue;
                // The ends of a list are never part of a selection.
                for (size_t i = 1; i + 1 < list.size(); ++i) {
                    const int64_t p = list[i].position;
                    if (p < from || p >= to)
                        continue;
                    const bool inside = !cells.Empty() && c >= cells.top && c <= cells.bottom &&
                                        p >= int64_t(cells.left) * f.S && p < (int64_t(cells.right) + 1) * f.S;
                    list[i].selected = decide(flags[i] != 0, inside) ? 1 : 0;
                }
            }
        }
    }
    const std::optional<Rect> oldBand = m_overlay.rubberBand;
    const Rect band = Rect{x0, y0, x1, y1}.Intersected(layout::kArrangement);
    m_overlay.rubberBand = band;
    auto pixels = [&](const Rect& r) {
        if (r.Empty())
            return Rect{};
        return Rect{geometry::MeasureX(f, r.left), geometry::RowTop(f, r.top) - 3,
                    geometry::MeasureX(f, int64_t(r.right) + 1) + 4 * f.W, geometry::RowBottom(f, r.bottom) + 3};
    };
    Rect repaint = pixels(m_bandCells).United(pixels(cells)).United(band);
    if (oldBand)
        repaint = repaint.United(*oldBand);
    m_bandCells = cells;
    PaintArrangement(repaint);
}

void ArrangementAreas::BeginSlide()
{
    m_sliding.clear();
    MainState& s = S();
    const Song& song = s.doc.song;
    if (!m_press.slot.Valid())
        return;
    const int32_t S = std::max(1, song.samplesPerMeasure);
    const int32_t measures = s.Measures();
    const ChannelSlot& hit = song.measures[m_press.slot.measure].slots[m_press.slot.channel];
    std::vector<uint8_t> moving(size_t(measures) * kChannels, 0);
    auto add = [&](int32_t m, int32_t c) {
        const ChannelSlot& slot = song.measures[m].slots[c];
        Sliding item;
        item.channel = c;
        item.fromMeasure = m;
        item.fromPosition = int64_t(m) * S + slot.start;
        item.slot = slot;
        item.measure = m;
        if (m == m_press.slot.measure && c == m_press.slot.channel)
            m_grabbed = m_sliding.size();
        m_sliding.push_back(item);
        moving[size_t(m) * kChannels + c] = 1;
    };
    if (hit.selected) {
        for (int32_t m = 0; m < measures; ++m) {
            for (int32_t c = 0; c < kChannels; ++c) {
                if (!song.measures[m].slots[c].IsEmpty() && song.measures[m].slots[c].selected)
                    add(m, c);
            }
        }
    } else {
        add(m_press.slot.measure, m_press.slot.channel);
    }
    // The slots that stay are the walls each moving slot slides between.
    for (Sliding& item : m_sliding) {
        item.prevFixed = -1;
        for (int32_t m = item.fromMeasure - 1; m >= 0; --m) {
            if (!song.measures[m].slots[item.channel].IsEmpty() && !moving[size_t(m) * kChannels + item.channel]) {
                item.prevFixed = m;
                break;
            }
        }
        item.nextFixed = measures;
        for (int32_t m = item.fromMeasure + 1; m < measures; ++m) {
            if (!song.measures[m].slots[item.channel].IsEmpty() && !moving[size_t(m) * kChannels + item.channel]) {
                item.nextFixed = m;
                break;
            }
        }
    }
    m_controller.Snapshot();
}

void ArrangementAreas::UpdateSlide(Point at)
{
    MainState& s = S();
    Song& song = s.doc.song;
    if (m_sliding.empty())
        return;
    // Something else changed the song under the slide: stop moving.
    for (const Sliding& item : m_sliding) {
        if (item.measure >= s.Measures() || !(song.measures[item.measure].slots[item.channel].ref == item.slot.ref))
            return;
    }
    if (at.y != m_press.at.y)
        m_host.SetPointer({at.x, m_press.at.y});
    const geometry::Frame f = Frame();
    const int64_t S = f.S;
    const int64_t grid = std::max<int64_t>(1, S / 16);
    const Sliding& grabbed = m_sliding[m_grabbed];
    const int64_t p0 = grabbed.fromPosition;
    const int64_t raw = p0 + FloorDiv((int64_t(at.x) - PressX()) * S, f.W);
    int64_t d = SnapNearest(raw, S, grid) - p0;

    // Every slot stays strictly between the slots that do not move.
    int64_t low = INT64_MIN;
    int64_t high = INT64_MAX;
    for (const Sliding& item : m_sliding) {
        low = std::max(low, (item.prevFixed + 1) * S - item.fromPosition);
        high = std::min(high, item.nextFixed * S - 1 - item.fromPosition);
    }
    if (d > high) {
        d = SnapDown(p0 + high, S, grid) - p0;
        if (d < low)
            d = high;
    }
    if (d < low) {
        d = SnapUp(p0 + low, S, grid) - p0;
        if (d > high)
            d = low;
    }
    // Two moving slots of a channel never share a measure.
    auto collides = [&](int64_t delta) {
        std::set<std::pair<int32_t, int64_t>> taken;
        for (const Sliding& item : m_sliding) {
            if (!taken.insert({item.channel, FloorDiv(item.fromPosition + delta, S)}).second)
                return true;
        }
        return false;
    };
    for (int tries = 0; d != 0 && collides(d) && tries < 64; ++tries) {
        const int64_t step = d > 0 ? -grid : grid;
        d = (d > 0) == (d + step > 0) ? d + step : 0;
    }
    if (d != 0 && collides(d))
        d = 0;

    std::set<int32_t> rows;
    for (const Sliding& item : m_sliding)
        song.measures[item.measure].slots[item.channel] = ChannelSlot{};
    for (Sliding& item : m_sliding) {
        const int64_t p = item.fromPosition + d;
        item.measure = static_cast<int32_t>(FloorDiv(p, S));
        ChannelSlot placed = item.slot;
        placed.start = static_cast<int32_t>(p - int64_t(item.measure) * S);
        song.measures[item.measure].slots[item.channel] = placed;
        rows.insert(item.channel);
    }
    for (int32_t c : rows)
        PaintChannel(c);
}

void ArrangementAreas::EndSlide()
{
    MainState& s = S();
    std::set<std::pair<int32_t, int32_t>> told;
    for (const Sliding& item : m_sliding) {
        const ChannelSlot& now = item.measure < s.Measures() ? s.doc.song.measures[item.measure].slots[item.channel]
                                                             : item.slot;
        if (item.measure == item.fromMeasure && now.start == item.slot.start)
            continue;
        for (int32_t m : {item.fromMeasure, item.measure}) {
            if (m < s.Measures() && told.insert({m, item.channel}).second)
                m_controller.NotifySlotChanged(m, item.channel);
        }
    }
    m_sliding.clear();
}

void ArrangementAreas::UpdatePoint(Point at, uint32_t m)
{
    MainState& s = S();
    if (m_point.channel < 0)
        return;
    Envelope& list = s.doc.song.envelopes[m_point.channel][m_point.kind];
    const int32_t i = m_point.index;
    if (i >= static_cast<int32_t>(list.size()))
        return;
    const geometry::Frame f = Frame();
    int64_t position = list[i].position;
    // The ends keep their places; Shift holds the position and changes only
    // the value.
    const bool end = i == 0 || i + 1 == static_cast<int32_t>(list.size());
    if (!end && !(m & mods::kShift)) {
        position = m_pointPosition + FloorDiv((int64_t(at.x) - PressX()) * f.S, f.W);
        int64_t low = list[i - 1].position;
        int64_t high = list[i + 1].position;
        if (low + 1 <= high - 1) {
            ++low;
            --high;
        }
        position = std::clamp(position, low, high);
    }
    const int32_t value =
        static_cast<int32_t>(std::clamp<int64_t>(m_pointValue + geometry::EnvelopeValueDelta(m_press.at.y - at.y),
                                                 -32768, 32767));
    if (position == list[i].position && value == list[i].value)
        return;
    list[i].position = static_cast<int32_t>(position);
    list[i].value = value;
    m_controller.Services().engine.Post(
        engine::SetEnvelopePoint{m_point.channel, m_point.kind, i, list[i].position, value});
    PaintChannel(m_point.channel);
}

void ArrangementAreas::TurnKnob(Point at)
{
    const Rect knob = layout::kVolumeKnobArea;
    const int32_t steps = m_knob.MoveTo(at.x - (knob.left + knob.right) / 2, at.y - (knob.top + knob.bottom) / 2);
    if (steps == 0)
        return;
    MainState& s = S();
    if (s.view.dragState == kKnobVolume) {
        s.view.masterVolume = std::clamp(s.view.masterVolume + steps, 0, 255);
    } else {
        // The channel gain scales every channel's volume from where the turn began.
        s.view.channelGain = std::clamp(s.view.channelGain + steps, 26, 2560);
        for (int c = 0; c < kChannels; ++c) {
            const int32_t volume = static_cast<int32_t>(
                std::clamp<int64_t>(int64_t(m_baseVolumes[c]) * s.view.channelGain / 256, 0, kMaxChannelVolume));
            if (volume != s.doc.song.channelVolume[c])
                SetChannelState(s.doc.song, c, -1, volume, &m_controller.Services().engine);
        }
    }
    m_knob.Turn(steps);
    PaintKnob();
    m_controller.View().Repaint(Area::Displays);
}

bool ArrangementAreas::AutoScroll()
{
    const int32_t state = S().view.dragState;
    const bool scrolls = ShowsDropTarget(state) || state == kRegionEdge || state == kBand || state == kBandAdd ||
                         state == kBandRemove || state == kSlide || state == kPoint;
    const Point at = m_lastMouse;
    if (!scrolls || at.y < layout::kArrangement.top || at.y > layout::kArrangement.bottom)
        return false;
    int32_t distance = 0;
    if (at.x < layout::kArrangement.left + kEdgeZone)
        distance = -(layout::kArrangement.left + kEdgeZone - at.x);
    else if (at.x > layout::kArrangement.right - kEdgeZone)
        distance = at.x - (layout::kArrangement.right - kEdgeZone);
    if (distance == 0)
        return false;
    // Faster the further past the edge the pointer is.
    const int32_t step = std::min(kMaxScrollStep, 1 + std::abs(distance) / 2);
    const int32_t before = S().view.scrollX;
    m_controller.ScrollTo(int64_t(before) + (distance < 0 ? -step : step));
    if (S().view.scrollX == before)
        return false;
    UpdateDrag(at, m_lastMods);
    return true;
}

// ---- Releasing ----

void ArrangementAreas::Click(Point at, uint32_t m)
{
    MainState& s = S();
    const uint32_t keys = m & mods::kKeys;
    const Press& press = m_press;
    switch (press.place) {
    case AreaPlace::TimeArea0:
    case AreaPlace::TimeArea1:
        m_controller.OnCommand(cmd::kTimeMenu, press.place == AreaPlace::TimeArea0 ? 0 : 1);
        break;
    case AreaPlace::Arrangement:
        if (keys & mods::kCtrl) {
            Song& song = s.doc.song;
            if (press.envelope.point.Valid()) {
                const PointedPoint& p = press.envelope.point;
                Envelope& list = song.envelopes[p.channel][p.kind];
                if (p.index < static_cast<int32_t>(list.size())) {
                    list[p.index].selected = list[p.index].selected ? 0 : 1;
                    PaintChannel(p.channel);
                }
            } else if (press.slot.Valid() && press.slot.measure < s.Measures()) {
                ChannelSlot& slot = song.measures[press.slot.measure].slots[press.slot.channel];
                if (!slot.IsEmpty()) {
                    slot.selected = slot.selected ? 0 : 1;
                    PaintChannel(press.slot.channel);
                }
            }
        } else if ((keys & (mods::kCtrl | mods::kShift)) == 0 && !s.Playing()) {
            const int64_t measure = geometry::NearestMeasure(Frame(), at.x);
            if (measure >= 0 && measure < s.Measures())
                m_controller.SetCursor(static_cast<int32_t>(measure));
        }
        break;
    case AreaPlace::Library: {
        const LibraryHit& cell = press.cell;
        if (cell.kind == LibraryHit::Kind::Part) {
            OpenOrClosePart(cell.part);
        } else if (cell.kind == LibraryHit::Kind::AddButton) {
            m_addPressed = false;
            PaintLibrary();
            m_controller.OnCommand(cmd::kAddSamples);
        } else if (cell.kind == LibraryHit::Kind::Cell) {
            s.view.librarySelection = CellRef(s.doc.library, cell.part, cell.entry, cell.variant);
            const std::vector<LibraryRow> rows = LibraryRows(s.doc.library);
            m_focus.row = ClampedFirstRow(s.doc.library, s.view.libraryFirstRow) + cell.visibleRow;
            m_focus.column = cell.variant;
            PaintLibrary();
            const bool alt = keys & mods::kAlt;
            if (keys & mods::kCtrl)
                m_controller.OnCommand(alt ? cmd::kPreviewEntryReversed : cmd::kPreviewEntry);
            else if (cell.filled)
                m_controller.OnCommand(alt ? cmd::kPreviewVariantReversed : cmd::kPreviewVariant);
        }
        break;
    }
    default:
        break;
    }
    if (m_addPressed) {
        m_addPressed = false;
        PaintLibrary();
    }
}

void ArrangementAreas::OpenOrClosePart(int32_t part)
{
    SampleLibrary& library = S().doc.library;
    const LibraryGroup* group = CurrentGroup(library);
    if (!group || part < 0 || part >= static_cast<int32_t>(group->parts.size()))
        return;
    library.StoreSelection();
    LibrarySelection& selection = library.selection;
    if (selection.part == part) {
        selection.part = -1;
        selection.chord = -1;
    } else {
        const LibraryPart& p = group->parts[part];
        selection.part = part;
        selection.chord = p.selectedChord >= 0 && p.selectedChord < static_cast<int32_t>(p.chords.size())
                              ? p.selectedChord
                              : (p.chords.empty() ? -1 : 0);
        if (const LibraryChord* chord = OpenChord(library))
            selection.position = chord->storedPosition;
    }
    S().view.libraryFirstRow = ClampedFirstRow(library, S().view.libraryFirstRow);
    PaintLibrary();
    m_controller.View().Repaint(Area::Displays);
}

void ArrangementAreas::EndDrag(Point at, uint32_t m, bool rightRelease)
{
    MainState& s = S();
    const int32_t state = s.view.dragState;
    const bool inside = PlaceAt(at.x, at.y) == AreaPlace::Arrangement && s.Measures() > 0;
    m_host.ReleaseMouse();
    switch (state) {
    case kSwapCells:
        s.view.dragState = kIdle;
        m_dragWindow.Close();
        if (m_swapTarget.Valid())
            SwapCells(m_swapTarget);
        m_swapTarget = {};
        PaintLibrary();
        break;
    case kCarry:
    case kMove:
    case kCopy:
        s.view.dragState = kIdle;
        m_placementWithoutButton = false;
        if (!inside) {
            EndPlacement();
            break;
        }
        m_controller.Snapshot();
        if (state == kMove)
            m_controller.OnCommand(cmd::kDelete, 1);
        else
            m_controller.OnCommand(cmd::kSelectNone, 1);
        PutDown(at);
        break;
    case kCarryForMenu:
    case kMoveForMenu:
        if (!OpenDropMenu(state, at, m))
            CancelDrag();
        break;
    case kReplace:
    case kReplaceByName:
        s.view.dragState = kIdle;
        if (rightRelease && inside)
            ReplaceAt(state, at, 0);
        EndPlacement();
        break;
    case kRegionEdge:
        s.view.dragState = kIdle;
        m_edgeRegion = -1;
        PaintCursor();
        break;
    case kBand:
    case kBandAdd:
    case kBandRemove: {
        s.view.dragState = kIdle;
        const std::optional<Rect> band = m_overlay.rubberBand;
        m_overlay.rubberBand.reset();
        m_bandCells = {};
        m_bandSlots.clear();
        if (band)
            PaintArrangement(*band);
        break;
    }
    case kSlide:
        s.view.dragState = kIdle;
        EndSlide();
        break;
    case kKnobGain:
        s.view.channelGain = 256;
        s.view.dragState = kIdle;
        break;
    default:
        s.view.dragState = kIdle;
        break;
    }
}

void ArrangementAreas::CancelDrag()
{
    MainState& s = S();
    const int32_t state = s.view.dragState;
    s.view.dragState = kIdle;
    m_host.ReleaseMouse();
    if (state == kSlide)
        EndSlide();
    if (state == kKnobGain)
        s.view.channelGain = 256;
    if (state == kSwapCells) {
        m_swapTarget = {};
        PaintLibrary();
    }
    if (m_overlay.rubberBand) {
        const Rect band = *m_overlay.rubberBand;
        m_overlay.rubberBand.reset();
        PaintArrangement(band);
    }
    m_bandCells = {};
    if (CarriesPlacement(state) || m_dragWindow.IsOpen() || !m_overlay.dropOutline.empty())
        EndPlacement();
}

void ArrangementAreas::EndPlacement()
{
    S().doc.placement.Clear();
    m_dragWindow.Close();
    m_overlay.dropOutline.clear();
    m_placementWithoutButton = false;
    PaintArrangement(layout::kArrangement);
}

void ArrangementAreas::PutDown(Point at)
{
    MainState& s = S();
    PutDownPlacement(s.doc.song, s.doc.library, s.doc.placement, DropPlaceAt(at), m_controller.Services().engine);
    EndPlacement();
}

bool ArrangementAreas::OpenDropMenu(int32_t state, Point at, uint32_t m)
{
    MainState& s = S();
    if (PlaceAt(at.x, at.y) != AreaPlace::Arrangement)
        return false;
    if (state == kCarryForMenu) {
        const DropPlace place = DropPlaceAt(at);
        const int32_t c = place.channelShift;
        if (place.measure < 0 || place.measure >= s.Measures() || c < 0 || c >= kChannels)
            return false;
        s.view.librarySelection = s.doc.song.measures[place.measure].slots[c].ref;
    }
    m_dragWindow.Close();
    m_controller.Drop() = {state, at, m};
    s.view.dragState = kIdle;
    OpenMenuAt(state == kCarryForMenu ? "place_menu.res" : "move_menu.res", at);
    // A chosen item has finished the drop; otherwise the menu was cancelled.
    if (m_controller.Drop().dragState == state) {
        m_controller.Drop() = {};
        EndPlacement();
    } else if (m_dragWindow.IsOpen() || !s.doc.placement.measures.empty() || !m_overlay.dropOutline.empty()) {
        EndPlacement();
    }
    return true;
}

int32_t ArrangementAreas::FinishDrop(int32_t dragState, const MainController::PendingDrop& drop)
{
    MainState& s = S();
    const Point at = drop.point;
    int32_t result = 1;
    switch (dragState) {
    case kMove:
    case kCopy:
    case kCarry:
        if (s.doc.placement.measures.empty() && s.doc.placement.inUse == EnvelopeFlags{}) {
            result = 0;
            break;
        }
        m_controller.Snapshot();
        m_controller.OnCommand(dragState == kMove ? cmd::kDelete : cmd::kSelectNone, 1);
        PutDownPlacement(s.doc.song, s.doc.library, s.doc.placement, DropPlaceAt(at), m_controller.Services().engine);
        break;
    case kReplace:
    case kReplaceByName:
        ReplaceAt(dragState, at, 0);
        break;
    case kReplaceShifted: {
        std::optional<dialogs::ShiftNotesValues> shift;
        {
            MainController::BusyScope busy(m_controller);
            shift = m_controller.Services().dialogSet.shiftNotes->Run(dialogs::ShiftNotesValues{});
        }
        if (!shift) {
            result = 0;
            break;
        }
        ReplaceAt(kReplaceShifted, at, shift->shift);
        break;
    }
    default:
        result = 0;
        break;
    }
    EndPlacement();
    return result;
}

void ArrangementAreas::ReplaceAt(int32_t state, Point at, int32_t semitones)
{
    MainState& s = S();
    Song& song = s.doc.song;
    const SampleLibrary& library = s.doc.library;
    const DropPlace place = DropPlaceAt(at);
    const int32_t channel = place.channelShift;
    if (place.measure < 0 || place.measure >= s.Measures() || channel < 0 || channel >= kChannels)
        return;
    const ChannelSlot target = song.measures[place.measure].slots[channel];
    if (target.IsEmpty() || m_carried.IsEmpty())
        return;
    const SampleDescriptor* carried = library.Find(m_carried);
    if (!carried || carried->IsEmpty())
        return;
    const SampleDescriptor* targetSample = library.Find(target.ref);
    const bool byName = state != kReplace;
    const LibraryPart* droppedPart = library.FindPart(m_carried);

    // By name: the slot takes the carried entry and variant from the chord
    // of the carried part that has its own chord's name (transposed by the
    // semitones for the shifted replace); a part of one chord serves every
    // chord. A slot whose chord has no counterpart keeps its sample.
    auto mapped = [&](const SampleRef& ref) -> std::optional<SampleRef> {
        const LibraryChord* own = library.FindChord(ref);
        if (!own || !droppedPart || droppedPart->chords.empty())
            return std::nullopt;
        const std::string name = semitones != 0 ? s.doc.noteOrder.Transpose(own->name, semitones) : own->name;
        int32_t chord = -1;
        for (size_t i = 0; i < droppedPart->chords.size(); ++i) {
            if (droppedPart->chords[i].name == name) {
                chord = static_cast<int32_t>(i);
                break;
            }
        }
        if (chord < 0 && droppedPart->chords.size() == 1)
            chord = 0;
        if (chord < 0)
            return std::nullopt;
        SampleRef out = m_carried;
        out.words[3] = chord;
        const SampleDescriptor* d = library.Find(out);
        if (!d || d->IsEmpty())
            return std::nullopt;
        return out;
    };

    m_controller.Snapshot();
    const bool onlySelected = target.selected != 0;
    for (int32_t m = 0; m < s.Measures(); ++m) {
        for (int32_t c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = song.measures[m].slots[c];
            if (slot.IsEmpty() || (onlySelected && !slot.selected))
                continue;
            std::optional<SampleRef> replacement;
            if (!byName) {
                if (slot.ref == target.ref)
                    replacement = m_carried;
            } else if (slot.ref.Style() == target.ref.Style() && slot.ref.Group() == target.ref.Group()) {
                const SampleDescriptor* d = library.Find(slot.ref);
                const bool alike = targetSample && d ? d->firstText == targetSample->firstText
                                                     : slot.ref == target.ref;
                if (alike)
                    replacement = mapped(slot.ref);
            }
            if (replacement && !(*replacement == slot.ref)) {
                slot.ref = *replacement;
                slot.storedNames.reset();
                m_controller.NotifySlotChanged(m, c);
            }
        }
    }
    PaintArrangement(layout::kArrangement);
}

void ArrangementAreas::SwapCells(const LibraryHit& target)
{
    MainState& s = S();
    SampleLibrary& library = s.doc.library;
    const SampleRef from = m_carried;
    const SampleRef to = CellRef(library, target.part, target.entry, target.variant);
    LibraryChord* chord = library.FindChord(from);
    if (from == to || !chord || chord != library.FindChord(to) || from.Entry() < 0 || to.Entry() < 0 ||
        from.Entry() >= static_cast<int32_t>(chord->entries.size()) ||
        to.Entry() >= static_cast<int32_t>(chord->entries.size()))
        return;
    std::swap(chord->entries[from.Entry()].variants[from.Variant()], chord->entries[to.Entry()].variants[to.Variant()]);
    auto renumber = [&](ChannelSlot& slot) {
        if (slot.ref == from)
            slot.ref = to;
        else if (slot.ref == to)
            slot.ref = from;
        else
            return false;
        return true;
    };
    for (int32_t m = 0; m < s.Measures(); ++m) {
        for (int32_t c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = s.doc.song.measures[m].slots[c];
            if (!slot.IsEmpty() && renumber(slot))
                m_controller.NotifySlotChanged(m, c);
        }
    }
    for (SongFragment* fragment : {&s.doc.clipboard, &s.doc.placement}) {
        for (Measure& m : fragment->measures) {
            for (ChannelSlot& slot : m.slots) {
                if (!slot.IsEmpty())
                    renumber(slot);
            }
        }
    }
    NormaliseEntries(*chord);
    m_controller.Services().samples.PublishLibrary(library);
    s.view.librarySelection = to;
    PaintArrangement(layout::kArrangement);
}

} // namespace bm::ui
