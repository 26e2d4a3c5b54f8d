#include "ui/main/LibraryBrowser.h"

#include "core/Paths.h"
#include "ui/main/AreaDrawing.h"
#include "ui/main/Layout.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"

#include <algorithm>
#include <cstdio>

namespace bm::ui {

using platform::Rect;

namespace {

constexpr int32_t kVisibleRows = layout::kLibraryVisibleRows;

std::array<uint32_t, 4> GroupColours(const SampleLibrary& library)
{
    if (const LibraryGroup* group = CurrentGroup(library))
        return group->colours;
    return {};
}

uint32_t OrDefault(uint32_t bgr, uint32_t fallback) { return bgr ? SwapRedBlue(bgr) : fallback; }

} // namespace

int32_t ClampedFirstRow(const SampleLibrary& library, int32_t firstRow)
{
    return std::clamp(firstRow, 0, LastLibraryFirstRow(library, kVisibleRows));
}

SampleRef CellRef(const SampleLibrary& library, int32_t part, int32_t entry, int32_t variant)
{
    const LibrarySelection& s = library.selection;
    return SampleRef::Make(s.style, s.group, part, s.chord, variant, entry);
}

bool ShowsAddRow(const SampleLibrary& library, int32_t part)
{
    const LibraryGroup* group = CurrentGroup(library);
    return group && part >= 0 && part < static_cast<int32_t>(group->parts.size()) && group->parts[part].factory == 0;
}

int32_t VisibleRowOfEntry(const SampleLibrary& library, int32_t firstRow, int32_t entry)
{
    const std::vector<LibraryRow> rows = LibraryRows(library);
    const int32_t first = ClampedFirstRow(library, firstRow);
    for (int32_t v = 0; v < kVisibleRows && first + v < static_cast<int32_t>(rows.size()); ++v) {
        const LibraryRow& row = rows[first + v];
        if (row.kind == LibraryRow::Kind::Entry && row.entry == entry)
            return v;
    }
    return -1;
}

LibraryHit HitLibrary(const SampleLibrary& library, int32_t firstRow, int32_t x, int32_t y)
{
    LibraryHit hit;
    const int32_t visible = layout::LibraryRowAt(x, y);
    if (visible < 0)
        return hit;
    const std::vector<LibraryRow> rows = LibraryRows(library);
    const int32_t index = ClampedFirstRow(library, firstRow) + visible;
    if (index >= static_cast<int32_t>(rows.size()))
        return hit;
    const LibraryRow& row = rows[index];
    hit.visibleRow = visible;
    hit.part = row.part;
    if (row.kind == LibraryRow::Kind::Part) {
        hit.kind = LibraryHit::Kind::Part;
        return hit;
    }
    const LibraryChord* chord = OpenChord(library);
    hit.entry = row.entry;
    hit.variant = std::clamp((x - layout::kLibrary.left) / layout::kLibraryCellWidth, 0, kVariantsPerEntry - 1);
    hit.freeEntry = chord && row.entry + 1 == static_cast<int32_t>(chord->entries.size()) &&
                    chord->entries[row.entry].IsEmpty();
    hit.filled = chord && !chord->entries[row.entry].variants[hit.variant].IsEmpty();
    hit.kind = LibraryHit::Kind::Cell;
    if (hit.freeEntry && ShowsAddRow(library, row.part) && layout::LibraryAddRect(visible).Contains(x, y))
        hit.kind = LibraryHit::Kind::AddButton;
    return hit;
}

std::string CellText(const SampleDescriptor& d, const LibraryChord& chord, int32_t selector)
{
    char buffer[32];
    switch (selector) {
    case 1:
        return chord.name;
    case 2:
        if (d.nominalLength <= 0)
            return "-";
        std::snprintf(buffer, sizeof buffer, "%.1f", 21168000.0 / d.nominalLength);
        return buffer;
    case 3:
        std::snprintf(buffer, sizeof buffer, "%.2fs", d.length / 44100.0);
        return buffer;
    case 4: {
        std::string path = d.path;
        std::replace(path.begin(), path.end(), '\\', '/');
        return FileNamePart(path);
    }
    default:
        return d.firstText;
    }
}

void LibraryBrowser::LoadPictures(const ResourceArchive& archive)
{
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    if (LoadBitmap24(archive, layout::kLibraryAddStrip, &pixels, &width, &height) &&
        width >= 3 * layout::kLibraryAddWidth && height >= layout::kLibraryAddHeight) {
        m_addButton.pixels = std::move(pixels);
        m_addButton.width = width;
        m_addButton.height = height;
    }
}

void LibraryBrowser::PaintCell(Pixels24 canvas, const Rect& clip, const Rect& cell, const MainState& state,
                               const SampleRef& ref) const
{
    const SampleLibrary& library = state.doc.library;
    const SampleDescriptor* d = library.Find(ref);
    const LibraryChord* chord = library.FindChord(ref);
    const std::array<uint32_t, 4> group = GroupColours(library);
    const bool selected = state.view.librarySelection == ref;
    if (!d || d->IsEmpty() || !chord) {
        draw::Fill(canvas, clip, cell, library_colours::kEmptyCell);
    } else {
        const uint32_t fill = selected ? OrDefault(group[1], 0x8AA8C8) : OrDefault(group[0], 0x5C7FA3);
        draw::Fill(canvas, clip, cell, fill);
        if (state.view.progressPercent < 100 && state.view.progressRef == ref) {
            const int32_t done = cell.Width() * std::clamp(state.view.progressPercent, 0, 100) / 100;
            if (done > 0)
                draw::Fill(canvas, clip, {cell.left, cell.top, cell.left + done - 1, cell.bottom},
                           library_colours::kProgress);
        }
        if (m_font) {
            const Rect inside{cell.left + 3, cell.top + 1, cell.right - 3, cell.bottom - 1};
            draw::Text(canvas, clip.Intersected(inside), *m_font, inside.left, cell.top + 4,
                       CellText(*d, *chord, state.view.displaySelector), OrDefault(group[3], 0xF0F0F0));
        }
    }
    if (selected)
        draw::Outline(canvas, clip, {cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1},
                      library_colours::kSelection);
}

void LibraryBrowser::Paint(Pixels24 canvas, ConstPixels24 background, const MainState& state,
                           const LibraryFocus& focus, const Rect* dropTarget, bool addPressed) const
{
    const Rect clip = layout::kLibrary;
    draw::Restore(canvas, clip, background, clip);
    const SampleLibrary& library = state.doc.library;
    const std::vector<LibraryRow> rows = LibraryRows(library);
    const int32_t first = ClampedFirstRow(library, state.view.libraryFirstRow);
    const LibraryGroup* group = CurrentGroup(library);
    const LibraryChord* chord = OpenChord(library);
    const std::array<uint32_t, 4> colours = GroupColours(library);

    for (int32_t v = 0; v < kVisibleRows && first + v < static_cast<int32_t>(rows.size()); ++v) {
        const LibraryRow& row = rows[first + v];
        const Rect rect = layout::LibraryRowRect(v);
        if (row.kind == LibraryRow::Kind::Part) {
            const bool open = row.part == library.selection.part;
            draw::Fill(canvas, clip, rect, open ? library_colours::kOpenPartRow : library_colours::kPartRow);
            const Rect icon{rect.left + 2, rect.top + 2, rect.left + layout::kLibraryPartIconWidth - 3,
                            rect.bottom - 2};
            const LibraryPart& part = group->parts[row.part];
            draw::Fill(canvas, clip, icon, OrDefault(part.displayValue, OrDefault(colours[0], 0x5C7FA3)));
            draw::Outline(canvas, clip, icon, OrDefault(colours[2], 0x303030));
            // An open part's icon carries a bar, a closed one's a plus.
            const int32_t cx = (icon.left + icon.right) / 2;
            const int32_t cy = (icon.top + icon.bottom) / 2;
            draw::Fill(canvas, clip, {cx - 4, cy, cx + 4, cy}, library_colours::kPartText);
            if (!open)
                draw::Fill(canvas, clip, {cx, cy - 4, cx, cy + 4}, library_colours::kPartText);
            if (m_font)
                draw::Text(canvas, rect, *m_font, rect.left + layout::kLibraryPartIconWidth + 4, rect.top + 4,
                           part.name, library_colours::kPartText);
        } else if (chord) {
            const bool freeRow = row.entry + 1 == static_cast<int32_t>(chord->entries.size()) &&
                                 chord->entries[row.entry].IsEmpty();
            if (freeRow && ShowsAddRow(library, row.part)) {
                draw::Fill(canvas, clip, rect, library_colours::kEmptyCell);
                if (m_font)
                    draw::Text(canvas, rect, *m_font, rect.left + 6, rect.top + 4, m_addText,
                               library_colours::kFreeText);
                const Rect button = layout::LibraryAddRect(v);
                if (!m_addButton.Empty()) {
                    // Layout 6: the shape cell, then the normal and the pressed look.
                    const int32_t cellIndex = addPressed ? 2 : 1;
                    const Rect from{cellIndex * button.Width(), 0, cellIndex * button.Width() + button.Width() - 1,
                                    button.Height() - 1};
                    draw::Picture(canvas, clip, m_addButton.View(), from, button.left, button.top);
                } else {
                    draw::Fill(canvas, clip, button, addPressed ? 0x505860 : 0x707880);
                    draw::Outline(canvas, clip, button, 0xC0C8D0);
                    const int32_t cx = (button.left + button.right) / 2;
                    const int32_t cy = (button.top + button.bottom) / 2;
                    draw::Fill(canvas, clip, {cx - 4, cy, cx + 4, cy}, 0xFFFFFF);
                    draw::Fill(canvas, clip, {cx, cy - 4, cx, cy + 4}, 0xFFFFFF);
                }
            } else {
                for (int32_t col = 0; col < layout::kLibraryColumns; ++col)
                    PaintCell(canvas, clip, layout::LibraryCellRect(v, col), state,
                              CellRef(library, row.part, row.entry, col));
                for (int32_t col = 1; col < layout::kLibraryColumns; ++col) {
                    const int32_t x = layout::LibraryCellRect(v, col).left;
                    draw::Fill(canvas, clip, {x, rect.top, x, rect.bottom}, library_colours::kColumnLine);
                }
            }
        }
        draw::Fill(canvas, clip, {rect.left, rect.bottom, rect.right, rect.bottom}, library_colours::kRowLine);

        if (focus.shown && focus.row == first + v) {
            const Rect ring = row.kind == LibraryRow::Kind::Part ? rect : layout::LibraryCellRect(v, focus.column);
            draw::DottedOutline(canvas, clip, {ring.left + 2, ring.top + 2, ring.right - 2, ring.bottom - 2},
                                library_colours::kFocus);
        }
    }
    if (dropTarget)
        draw::Outline(canvas, clip, *dropTarget, library_colours::kDropTarget);
}

Image24 LibraryBrowser::CellImage(const MainState& state, const SampleRef& ref) const
{
    Image24 image(layout::kLibraryCellWidth, layout::kLibraryRowHeight, 0);
    const Rect cell{0, 0, layout::kLibraryCellWidth - 1, layout::kLibraryRowHeight - 1};
    // The cell as carried: the group's colour in a light frame.
    const SampleLibrary& library = state.doc.library;
    const SampleDescriptor* d = library.Find(ref);
    const LibraryChord* chord = library.FindChord(ref);
    std::array<uint32_t, 4> group{};
    if (ref.Style() >= 0 && ref.Style() < static_cast<int32_t>(library.styles.size())) {
        const auto& groups = library.styles[ref.Style()].groups;
        if (ref.Group() >= 0 && ref.Group() < static_cast<int32_t>(groups.size()))
            group = groups[ref.Group()].colours;
    }
    draw::Fill(image.View(), cell, cell, OrDefault(group[0], 0x5C7FA3));
    draw::Outline(image.View(), cell, cell, OrDefault(group[1], 0xFFFFFF));
    if (m_font && d && chord) {
        const Rect inside{3, 1, cell.right - 3, cell.bottom - 1};
        draw::Text(image.View(), inside, *m_font, 3, 4, CellText(*d, *chord, state.view.displaySelector),
                   OrDefault(group[3], 0xF0F0F0));
    }
    return image;
}

} // namespace bm::ui
