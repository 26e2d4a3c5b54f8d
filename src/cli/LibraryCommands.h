#pragma once

// What the library and package commands work against: the program folder's
// settings, sample folder list and library catalogue, as the program itself
// reads them at start-up.

#include "library/SampleLibrary.h"
#include "song/PackageFolders.h"

#include <string>

namespace bm::cli {

struct Installation {
    PackageFolders folders;   // program, user and temporary folders, sample folder list
    std::string libraryPath;  // program folder + "library.dat"
    bool libraryFound = false;
    SampleLibrary library;
};

enum class InstallationUse {
    Look,   // nothing is created
    Change, // like the program: missing temporary, user and chord folders are created
};

Installation LoadInstallation(const std::string& programFolder, InstallationUse use);

} // namespace bm::cli
