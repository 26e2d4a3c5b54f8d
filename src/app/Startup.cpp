#include "app/Startup.h"

#include "app/CommandLine.h"

namespace bm::app {

StartupOutcome RunProgram(AppContext& context, const std::string& programPath, std::string_view commandLine,
                          StartupPieces& pieces)
{
    // Hosting controls in dialogs needs no call here: the window layer's
    // application object exists before this routine runs.
    context.SetProgramPath(programPath);
    // An options file that opens but is short leaves the temporary folder at
    // this value.
    context.options.temporaryFolder = context.programFolder;
    ReadOptionsFile(context.programFolder, context.options, context.folders, pieces.machine, FolderCreation::Create);
    context.currentNewsHeadline = context.options.lastNewsHeadline;
    context.options.startSong =
        StartSongFromCommandLine(commandLine, context.options.openAtStart, context.options.startSong);

    // The copy that holds the archive file is the running one. A file that
    // is not there, or cannot be opened at all, is held by no one: waiting
    // for a running copy to answer would only delay the end.
    const std::string archivePath = context.ArchivePath();
    switch (pieces.archives.Probe(archivePath)) {
    case platform::ExclusiveAccess::Granted:
        break;
    case platform::ExclusiveAccess::InUse:
        pieces.instances.SendToRunningCopy(platform::MakeStartSongRecord(context.options.startSong),
                                           pieces.handshakeTimeout);
        return StartupOutcome::HandedToRunningCopy;
    case platform::ExclusiveAccess::Missing:
        return StartupOutcome::ArchiveMissing;
    case platform::ExclusiveAccess::CannotOpen:
        return StartupOutcome::ArchiveCannotOpen;
    }
    context.archive = pieces.archives.Open(archivePath);
    if (!context.archive)
        return StartupOutcome::ArchiveUnreadable;

    pieces.engine.Start();

    std::unique_ptr<ProgramWindow> window = pieces.createWindow(context, pieces.engine);
    if (window) {
        context.mainWindow = window.get();
        ProgramWindow& target = *window;
        // Without a listener the program still runs; later copies then time
        // out and end by themselves.
        pieces.instances.Listen([&target](const platform::CopyDataRecord& record) {
            DeliverFromOtherCopy(record, target);
        });
        window->Run();
        pieces.instances.StopListening();
        context.mainWindow = nullptr;
        window.reset();
    }

    context.archive.reset();
    WriteOptionsFile(context.programFolder, context.options, context.folders);
    context.folders.Clear();
    return StartupOutcome::MainWindowRan;
}

} // namespace bm::app
