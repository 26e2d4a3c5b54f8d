// The context menus of the areas (which description opens where, and what
// is remembered first so that the chosen command knows what was pointed
// at), the value slider window, and the library's keyboard access.

#include "ui/main/ArrangementAreas.h"

#include "ui/main/CommandIds.h"
#include "ui/main/KeyboardTable.h"
#include "ui/main/LibraryRows.h"

#include <algorithm>

namespace bm::ui {

using platform::Point;
using platform::Rect;
namespace mods = platform::mods;

void ArrangementAreas::OpenMenuAt(std::string_view entry, Point at)
{
    MainController::BusyScope busy(m_controller);
    m_host.OpenMenu(entry, m_host.ToScreen(at));
}

void ArrangementAreas::RightClick(Point at, uint32_t m)
{
    MainState& s = S();
    ViewState& v = s.view;
    const uint32_t keys = m & mods::kKeys;
    switch (PlaceAt(at.x, at.y)) {
    case AreaPlace::TimeArea0:
        m_controller.OnCommand(cmd::kTimeMenu, 0);
        break;
    case AreaPlace::TimeArea1:
        m_controller.OnCommand(cmd::kTimeMenu, 1);
        break;
    case AreaPlace::Arrangement: {
        if (keys != 0)
            break;
        const geometry::Frame f = Frame();
        const Song& song = s.doc.song;
        const EnvelopeHit point = HitEnvelope(song, f, v.envelopeShown, at.x, at.y);
        const SlotHit slot = HitSlot(song, s.doc.library, f, at.x, at.y);
        const HandleHit handle = HitRegionHandle(song, f, at.x, at.y);
        const int32_t row = geometry::RowUnder(f, at.y);
        // A point before a slot before a region handle before the row.
        if (point.point.Valid() && point.point.channel < kChannels) {
            v.pointedPoint = point.point;
            v.pointedChannel = point.point.channel;
            v.librarySelection = SampleRef::Empty();
            OpenMenuAt("work_menu.res", at);
        } else if (slot.Valid()) {
            v.pointedMeasure = slot.measure;
            v.pointedChannel = slot.channel;
            v.librarySelection = song.measures[slot.measure].slots[slot.channel].ref;
            v.pointedPoint = {};
            OpenMenuAt("work_menu.res", at);
        } else if (handle.Valid()) {
            v.currentRegion = handle.region;
            v.regionSide = handle.side;
            OpenMenuAt("reg_menu.res", at);
        } else if (row >= 0 && row < kChannels) {
            v.pointedChannel = row;
            OpenMenuAt("edit_menu.res", at);
        }
        break;
    }
    case AreaPlace::Library: {
        if (keys != 0)
            break;
        const LibraryHit hit = HitLibrary(s.doc.library, v.libraryFirstRow, at.x, at.y);
        if (hit.kind != LibraryHit::Kind::Cell && hit.kind != LibraryHit::Kind::AddButton)
            break;
        v.librarySelection = CellRef(s.doc.library, hit.part, hit.entry, hit.variant);
        PaintLibrary();
        OpenMenuAt("lib_menu.res", at);
        break;
    }
    default:
        break;
    }
}

void ArrangementAreas::OpenValueSlider(const ValueSliderRequest& request)
{
    m_slider.reset();
    std::unique_ptr<platform::WindowHost> window = m_host.CreateFloatingWindow();
    if (!window)
        return;
    const Point mouse = m_lastMouse.x < 0 ? Point{layout::kArrangement.left, layout::kArrangement.top} : m_lastMouse;
    const int32_t half = (ValueSliderWindow::kLength + 2 * ValueSliderWindow::kMargin) / 2;
    const Point near = request.vertical ? Point{mouse.x + 12, mouse.y - half}
                                        : Point{mouse.x - half, mouse.y + 12};
    m_slider = std::make_unique<ValueSliderWindow>(std::move(window), request, m_host.ToScreen(near),
                                                   [this](int32_t position) {
                                                       m_controller.ApplySliderValue(position);
                                                   });
}

// ---- Keyboard access to the library ----

void ArrangementAreas::KeepFocusVisible()
{
    ViewState& v = S().view;
    const int32_t visible = layout::kLibraryVisibleRows;
    const int32_t first = ClampedFirstRow(S().doc.library, v.libraryFirstRow);
    if (m_focus.row < first)
        v.libraryFirstRow = m_focus.row;
    else if (m_focus.row >= first + visible)
        v.libraryFirstRow = m_focus.row - visible + 1;
    v.libraryFirstRow = ClampedFirstRow(S().doc.library, v.libraryFirstRow);
}

void ArrangementAreas::MoveFocus(int32_t step)
{
    const std::vector<LibraryRow> rows = LibraryRows(S().doc.library);
    if (rows.empty()) {
        m_focus = {};
        PaintLibrary();
        return;
    }
    const int32_t count = static_cast<int32_t>(rows.size());
    if (!m_focus.shown) {
        m_focus.shown = true;
        m_focus.row = std::clamp(ClampedFirstRow(S().doc.library, S().view.libraryFirstRow), 0, count - 1);
        m_focus.column = 0;
    } else {
        m_focus.row = std::clamp(m_focus.row, 0, count - 1);
        // Entry rows are six stops, part rows one.
        const auto stops = [&](int32_t row) { return rows[row].kind == LibraryRow::Kind::Entry ? kVariantsPerEntry : 1; };
        int32_t column = std::clamp(m_focus.column, 0, stops(m_focus.row) - 1) + step;
        int32_t row = m_focus.row;
        if (column >= stops(row)) {
            row = (row + 1) % count;
            column = 0;
        } else if (column < 0) {
            row = (row - 1 + count) % count;
            column = stops(row) - 1;
        }
        m_focus.row = row;
        m_focus.column = column;
    }
    KeepFocusVisible();
    PaintLibrary();
}

bool ArrangementAreas::OnKey(int32_t key, uint32_t m, bool repeat)
{
    if (Busy() || !CommandsForKey(key, m, repeat).empty())
        return false;
    const uint32_t keys = m & mods::kKeys;
    if (key == platform::vk::kTab && (keys == 0 || keys == mods::kShift)) {
        MoveFocus(keys == mods::kShift ? -1 : 1);
        return true;
    }
    const bool enter = key == platform::vk::kReturn;
    const bool menu = key == platform::vk::kApps || (key == platform::vk::kF10 && keys == mods::kShift);
    if ((!enter && !menu) || !m_focus.shown)
        return false;
    MainState& s = S();
    const std::vector<LibraryRow> rows = LibraryRows(s.doc.library);
    if (m_focus.row < 0 || m_focus.row >= static_cast<int32_t>(rows.size()))
        return false;
    const LibraryRow& row = rows[m_focus.row];
    if (row.kind == LibraryRow::Kind::Part) {
        if (enter && !repeat)
            OpenOrClosePart(row.part);
        return true;
    }
    const int32_t column = std::clamp(m_focus.column, 0, kVariantsPerEntry - 1);
    s.view.librarySelection = CellRef(s.doc.library, row.part, row.entry, column);
    KeepFocusVisible();
    PaintLibrary();
    if (enter) {
        if (repeat)
            return true;
        const bool alt = keys & mods::kAlt;
        if (keys & mods::kCtrl)
            m_controller.OnCommand(alt ? cmd::kPreviewEntryReversed : cmd::kPreviewEntry);
        else
            m_controller.OnCommand(alt ? cmd::kPreviewVariantReversed : cmd::kPreviewVariant);
        return true;
    }
    const int32_t visible = VisibleRowOfEntry(s.doc.library, s.view.libraryFirstRow, row.entry);
    const Rect cell = layout::LibraryCellRect(std::max(0, visible), column);
    OpenMenuAt("lib_menu.res", {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    return true;
}

} // namespace bm::ui
