#include "ui/main/LibraryRows.h"

#include <algorithm>

namespace bm::ui {

const LibraryGroup* CurrentGroup(const SampleLibrary& library)
{
    const LibrarySelection& s = library.selection;
    if (s.style < 0 || s.style >= static_cast<int32_t>(library.styles.size()))
        return nullptr;
    const LibraryStyle& style = library.styles[s.style];
    if (s.group < 0 || s.group >= static_cast<int32_t>(style.groups.size()))
        return nullptr;
    return &style.groups[s.group];
}

const LibraryPart* OpenPart(const SampleLibrary& library)
{
    const LibraryGroup* group = CurrentGroup(library);
    const int32_t part = library.selection.part;
    if (!group || part < 0 || part >= static_cast<int32_t>(group->parts.size()))
        return nullptr;
    return &group->parts[part];
}

const LibraryChord* OpenChord(const SampleLibrary& library)
{
    const LibraryPart* part = OpenPart(library);
    const int32_t chord = library.selection.chord;
    if (!part || chord < 0 || chord >= static_cast<int32_t>(part->chords.size()))
        return nullptr;
    return &part->chords[chord];
}

std::vector<LibraryRow> LibraryRows(const SampleLibrary& library)
{
    std::vector<LibraryRow> rows;
    const LibraryGroup* group = CurrentGroup(library);
    if (!group)
        return rows;
    const LibraryChord* chord = OpenChord(library);
    for (int32_t p = 0; p < static_cast<int32_t>(group->parts.size()); ++p) {
        rows.push_back({LibraryRow::Kind::Part, p, -1});
        if (p == library.selection.part && chord) {
            for (int32_t e = 0; e < static_cast<int32_t>(chord->entries.size()); ++e)
                rows.push_back({LibraryRow::Kind::Entry, p, e});
        }
    }
    return rows;
}

int32_t LibraryRowCount(const SampleLibrary& library)
{
    const LibraryGroup* group = CurrentGroup(library);
    if (!group)
        return 0;
    int32_t count = static_cast<int32_t>(group->parts.size());
    if (const LibraryChord* chord = OpenChord(library))
        count += static_cast<int32_t>(chord->entries.size());
    return count;
}

bool CanScrollLibraryUp(const SampleLibrary& library, int32_t firstRow, int32_t visibleRows)
{
    return OpenPart(library) && LibraryRowCount(library) >= visibleRows && firstRow > 0;
}

bool CanScrollLibraryDown(const SampleLibrary& library, int32_t firstRow, int32_t visibleRows)
{
    const int32_t rows = LibraryRowCount(library);
    return OpenPart(library) && rows >= visibleRows && firstRow < rows - (visibleRows - 1);
}

int32_t LastLibraryFirstRow(const SampleLibrary& library, int32_t visibleRows)
{
    return std::max(0, LibraryRowCount(library) - visibleRows);
}

} // namespace bm::ui
