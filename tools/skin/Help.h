#pragma once

// The help pages: the HTML pages and their stylesheet from the assets,
// copied into the program folder's HTMLHelp/, with pictures of the window
// drawn from the same art as the archive.

#include "Art.h"
#include "Fonts.h"

#include <string>

namespace bm::art {

// Writes `folder` (ending in '/') afresh; false with the reason on failure.
bool WriteHelp(const std::string& assetFolder, const std::string& folder, const Output& out, const Image& preview,
               std::string& failure);

} // namespace bm::art
