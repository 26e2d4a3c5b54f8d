#pragma once

// The library browser's rows: one row per part of the current group and,
// below the open part, one row per entry of its current chord (six cells of
// sample variants each; the chord's last entry is the free place where new
// samples go). The view shows a fixed number of rows scrolled by whole rows.

#include "library/SampleLibrary.h"

#include <cstdint>
#include <vector>

namespace bm::ui {

struct LibraryRow {
    enum class Kind { Part, Entry } kind = Kind::Part;
    int32_t part = -1;
    int32_t entry = -1; // entry rows only
    bool operator==(const LibraryRow&) const = default;
};

// The current group of the browser selection, or nullptr.
const LibraryGroup* CurrentGroup(const SampleLibrary& library);
const LibraryPart* OpenPart(const SampleLibrary& library);
const LibraryChord* OpenChord(const SampleLibrary& library);

std::vector<LibraryRow> LibraryRows(const SampleLibrary& library);
int32_t LibraryRowCount(const SampleLibrary& library);

// Scrolling by one row is possible while the open part's list is longer than
// the view and the view is not at that end.
bool CanScrollLibraryUp(const SampleLibrary& library, int32_t firstRow, int32_t visibleRows);
bool CanScrollLibraryDown(const SampleLibrary& library, int32_t firstRow, int32_t visibleRows);
// The last first row that scrolling reaches.
int32_t LastLibraryFirstRow(const SampleLibrary& library, int32_t visibleRows);

} // namespace bm::ui
