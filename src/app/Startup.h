#pragma once

// The program's whole life in one call, on the main thread:
//   start-up   program folder; read the options (a missing file gives the
//              defaults and creates the temporary and user folders); the
//              current news headline; the start song from the command line;
//              the single-copy test on the archive file; open the archive;
//              start the engine worker;
//   run        construct the main window, listen for later copies, run the
//              window modally;
//   tear-down  stop listening, destroy the window, close the archive, write
//              the options, empty the sample folder list.
// When the archive file is held by another copy, this copy hands its start
// song over and ends. When there is no archive file to hold (missing or not
// readable) or it is not an archive, there is no copy to hand over to: this
// copy ends, and the caller says why (ReportStartupOutcome).

#include "app/AppContext.h"
#include "app/ArchiveOpener.h"
#include "app/EngineWorker.h"
#include "app/ProgramWindow.h"
#include "platform/InstanceLink.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace bm::app {

// Builds the main window once the engine worker runs; the window may post to
// the engine from its first moment on.
using WindowFactory = std::function<std::unique_ptr<ProgramWindow>(AppContext&, EngineWorker&)>;

struct StartupPieces {
    ArchiveOpener& archives;
    platform::InstanceLink& instances;
    EngineWorker& engine;
    WindowFactory createWindow;
    MachineFacts machine;
    std::chrono::milliseconds handshakeTimeout = platform::kHandshakeTimeout;
};

enum class StartupOutcome {
    MainWindowRan,
    HandedToRunningCopy, // the archive file was held by another copy
    ArchiveMissing,      // there is no archive file
    ArchiveCannotOpen,   // the archive file cannot be opened for reading
    ArchiveUnreadable,   // the file is not a resource archive, or is damaged
};

StartupOutcome RunProgram(AppContext& context, const std::string& programPath, std::string_view commandLine,
                          StartupPieces& pieces);

} // namespace bm::app
