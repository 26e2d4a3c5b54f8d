#pragma once

// Writes the library catalogue "library.dat" (CR LF line ends):
//
//   %STYLE <first text>          %GROUP <first text>
//   name                         name
//   value A                      colour 1 .. colour 4 ("0x" + upper-case hex)
//   value B                      selected part
//   selected group               <empty line>
//   <empty line>
//
//   %PART <first text>           %CHORD <first text>
//   name                         name
//   factory flag                 folder
//   display value (hex)          display value (hex)
//   selected chord               stored position
//   <empty line>                 <empty line>
//
// After each chord record, six lines per entry (variants 0 to 5): "-" for an
// empty variant, else eight quoted fields separated by two blanks: first,
// second, path, fourth, length, number 2, nominal length, kind. After each
// style's subtree, three empty lines.

#include "core/Error.h"
#include "core/File.h"
#include "library/SampleLibrary.h"

#include <string>

namespace bm {

// The catalogue text of the tree as it stands.
std::string FormatLibrary(const SampleLibrary& library);

// Stores the browser selection into the tree, then writes the catalogue
// durably (the old file survives any failure). False when it cannot be
// written.
bool WriteLibraryFile(const std::string& path, SampleLibrary& library, Error* error = nullptr,
                      DurableWriteFault fault = DurableWriteFault::None);

} // namespace bm
