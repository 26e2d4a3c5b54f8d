#pragma once

// Reads the library catalogue "library.dat": records of styles, groups,
// parts and chords in tree order, each followed by its children, and six
// variant lines per entry of a chord. See LibraryWriter for the layout.
//
// The file is read whole; every line is bounded by the file, so nothing is
// allocated from a number in the file. Lines that cannot be placed (variant
// lines before the first chord, a group before any style) are ignored.

#include "core/Error.h"
#include "library/SampleLibrary.h"

#include <string>
#include <string_view>

namespace bm {

// Parses catalogue text into `library` (which is emptied first), normalises
// every chord's entry list and restores the browser selection. Creates no
// folders.
void ParseLibrary(std::string_view text, SampleLibrary& library);

// Reads the catalogue file. When it cannot be read the library is left empty
// and false is returned. Otherwise the folder of every chord is created
// below `userFolder` (when that is not empty).
bool ReadLibraryFile(const std::string& path, SampleLibrary& library, const std::string& userFolder,
                     Error* error = nullptr);

// True when a chord's folder name stays inside the user folder: relative, no
// ".." component, no control characters. Either separator is accepted.
bool IsSafeChordFolder(std::string_view folder);

// Creates user folder + folder name, with its parents, for every chord whose
// folder name is safe. Returns the number of chords whose folder was refused.
int CreateChordFolders(const SampleLibrary& library, const std::string& userFolder);

// Defaults for a variant line written with only six fields: songs used as
// samples (".ncp") get a nominal length and a kind that depend on where they
// sit in the tree.
int32_t DefaultNominalLength(const std::string& path, size_t styleIndex);
int32_t DefaultKind(const std::string& path, size_t styleIndex, size_t groupIndex);

} // namespace bm
