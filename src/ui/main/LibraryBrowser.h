#pragma once

// The library browser's face and hit test: one row per part of the current
// group (a 25-pixel icon and the part's name), the open part's entries of
// its current chord below it as rows of six 73-pixel cells (variants 0 to
// 5), the free last entry of a user part with the %ADD_SAMPLES text and the
// add button. Cells show what the display selector picks (name, key, tempo,
// length, file), in the group's colours; the cell being processed is shaded
// grey up to its progress; the keyboard's focus ring is a dotted frame.

#include "ui/main/LibraryRows.h"
#include "ui/main/MainState.h"
#include "ui/skin/Image.h"

#include <cstdint>
#include <string>

namespace bm {
class BitmapFont;
class ResourceArchive;
}

namespace bm::ui {

namespace library_colours {
constexpr uint32_t kColumnLine = 0x3C3C3C;
constexpr uint32_t kRowLine = 0x454545;
constexpr uint32_t kEmptyCell = 0x1E2024;
constexpr uint32_t kPartRow = 0x2A2E34;
constexpr uint32_t kOpenPartRow = 0x3A4450;
constexpr uint32_t kPartText = 0xE0E0E0;
constexpr uint32_t kFreeText = 0xA8B0B8;
constexpr uint32_t kSelection = 0xFFFFFF;
constexpr uint32_t kFocus = 0xFFE040;
constexpr uint32_t kProgress = 0xCCCCCC; // 80 % grey
constexpr uint32_t kDropTarget = 0xFFE040;
} // namespace library_colours

struct LibraryHit {
    enum class Kind { None, Part, Cell, AddButton } kind = Kind::None;
    int32_t visibleRow = -1;
    int32_t part = -1;
    int32_t entry = -1;   // entry rows
    int32_t variant = -1; // the cell's column
    bool filled = false;  // the cell holds a sample
    bool freeEntry = false;
    bool Valid() const { return kind != Kind::None; }
};

// The first visible row as scrolling can reach it.
int32_t ClampedFirstRow(const SampleLibrary& library, int32_t firstRow);
LibraryHit HitLibrary(const SampleLibrary& library, int32_t firstRow, int32_t x, int32_t y);
// The reference of cell (part, entry, variant) of the browser's current
// style, group and chord.
SampleRef CellRef(const SampleLibrary& library, int32_t part, int32_t entry, int32_t variant);
// Whether the part shows the add row (the user's parts).
bool ShowsAddRow(const SampleLibrary& library, int32_t part);
// The visible row of an entry of the open part, -1 when it does not show.
int32_t VisibleRowOfEntry(const SampleLibrary& library, int32_t firstRow, int32_t entry);

// What a cell shows for the display selector (0 name, 1 key, 2 tempo,
// 3 length, 4 file).
std::string CellText(const SampleDescriptor& d, const LibraryChord& chord, int32_t selector);

struct LibraryFocus {
    bool shown = false;
    int32_t row = 0;    // index into LibraryRows
    int32_t column = 0; // cell column on entry rows
};

class LibraryBrowser {
public:
    void LoadPictures(const ResourceArchive& archive);
    void SetFont(const BitmapFont* font) { m_font = font; }
    void SetAddText(std::string text) { m_addText = std::move(text); }

    // Paints the whole browser area.
    void Paint(Pixels24 canvas, ConstPixels24 background, const MainState& state, const LibraryFocus& focus,
               const platform::Rect* dropTarget, bool addPressed) const;
    // A cell's picture as the floating drag window shows it (73 × 21).
    Image24 CellImage(const MainState& state, const SampleRef& ref) const;

private:
    void PaintCell(Pixels24 canvas, const platform::Rect& clip, const platform::Rect& cell, const MainState& state,
                   const SampleRef& ref) const;

    Image24 m_addButton;
    const BitmapFont* m_font = nullptr;
    std::string m_addText = "Add samples";
};

} // namespace bm::ui
