#pragma once

// Program-wide state: made before start-up, living until the process ends,
// and passed to whoever needs it (there are no free globals). The main
// thread owns it; the sample folder list is the one part other threads may
// reach, through its own lock.

#include "app/OptionsFile.h"
#include "core/Paths.h"
#include "ui/skin/ResourceArchive.h"

#include <memory>
#include <string>
#include <string_view>

namespace bm::app {

class ProgramWindow;

class AppContext {
public:
    static constexpr std::string_view kArchiveFileName = "Brickmelody.wad";
    static constexpr std::string_view kOptionsFileName = "Brickmelody.opt";
    static constexpr std::string_view kVersionText = "1.2.24";
    // Song packages are unpacked into this folder below the temporary folder.
    static constexpr std::string_view kPackageWorkFolderName = "WCPTEMPS/";
    static constexpr std::string_view kPackageIndexName = "wcp.inf";
    static constexpr std::string_view kPackageSongName = "wcp.ncp";
    static constexpr std::string_view kRecordingFileName = "rec_0000.wav";

    AppContext() = default;
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Sets the full path of the running executable and the program folder:
    // the path up to and including its last '/'.
    void SetProgramPath(std::string path);

    std::string ArchivePath() const { return programFolder + std::string(kArchiveFileName); }
    std::string OptionsPath() const { return programFolder + std::string(kOptionsFileName); }

    std::string programPath;
    std::string programFolder;

    // The settings. Their start song (line 22) is the song that the main
    // window opens when it starts; the command line replaces it.
    OptionsFile options;
    // The sample folder list: the saved folders, then the three built-in ones.
    FolderList folders;

    // The headline that the news check compares a fetched one against; it
    // starts as the last headline seen.
    std::string currentNewsHeadline;

    // The program's resource archive, open from start-up to tear-down; none
    // before and after.
    std::unique_ptr<ResourceArchive> archive;

    // The main window while it exists; dialogs and controls reach the song,
    // the library and the window through it.
    ProgramWindow* mainWindow = nullptr;
};

} // namespace bm::app
