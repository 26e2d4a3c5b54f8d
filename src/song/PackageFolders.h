#pragma once

// The folders a song package is written and read through.

#include "core/Paths.h"
#include "song/PackageIndex.h"

#include <string>
#include <vector>

namespace bm {

struct PackageFolders {
    std::string programFolder;              // ends with '/'
    std::string userFolder;                 // the user's samples; ends with '/'
    std::string temporaryFolder;            // ends with '/'
    std::vector<std::string> sampleFolders; // a snapshot of the sample folder list

    // Temporary folder + "WCPTEMPS/": the package's song and index pass
    // through it; it is made when needed and not emptied afterwards.
    std::string WorkFolder() const { return AsFolder(temporaryFolder) + kPackageWorkFolderName; }
};

} // namespace bm
