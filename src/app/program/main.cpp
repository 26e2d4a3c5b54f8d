// The Brickmelody program: runs the start-up order, the main window and the
// tear-down. `brickmelody --screenshot OUT.png [SONG]` instead draws the
// window on the offscreen platform, waits until the song's samples are
// loaded (at most 10 s), writes the window's picture and ends without
// touching the options, the library or the work files.
#include "ProgramEngine.h"
#include "QtProgram.h"

#include "app/AppContext.h"
#include "app/ArchiveOpener.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/StartupReport.h"
#include "core/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/qt/LocalInstanceLink.h"
#include "platform/qt/QtWindowSystem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>

#include <csignal>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kScreenshotTimeoutMs = 10000;

// SIGTERM and SIGINT reach the window through a pipe that the event loop
// watches: the handler only writes a byte.
int g_signalPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// Ends `window` like its power button, without questions, on SIGTERM or SIGINT.
std::unique_ptr<QSocketNotifier> WatchTermination(bm::app::QtProgramWindow& window)
{
    if (::pipe(g_signalPipe) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        window.EndFromOutside();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return notifier;
}

std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> out;
    for (int i = 1; i < argc; ++i)
        out.emplace_back(argv[i]);
    return out;
}

// The headless picture of the window: no single-copy test, no options or
// library written, no work files deleted.
int Screenshot(const std::string& out, const std::string& song)
{
    bm::app::AppContext context;
    context.SetProgramPath(bm::ProgramPath());
    context.options.temporaryFolder = context.programFolder;
    bm::app::ReadOptionsFile(context.programFolder, context.options, context.folders, bm::app::ProbeMachine(),
                             bm::app::FolderCreation::Skip);
    context.options.showSplash = 0;
    if (!song.empty())
        context.options.startSong = bm::MakeAbsolute(song);
    else if (context.options.startSong.empty())
        context.options.startSong = context.programFolder + "DEMOSONGS/Intro.ncp";
    context.archive = std::make_unique<bm::ResourceArchive>();
    bm::Error error;
    if (!context.archive->Open(context.ArchivePath(), bm::ArchiveAccess::ReadOnly, &error)) {
        std::fprintf(stderr, "brickmelody: %s: %s\n", context.ArchivePath().c_str(), error.message.c_str());
        return 1;
    }
    bm::app::ProgramEngine engine(context);
    engine.Start();
    int status = 1;
    {
        bm::app::QtProgramWindow window(context, engine, {.showWindow = false, .timers = false});
        if (!window.Ready()) {
            std::fprintf(stderr, "brickmelody: the archive has no window skin\n");
        } else if (window.Screenshot(out, kScreenshotTimeoutMs)) {
            status = 0;
        } else {
            std::fprintf(stderr, "brickmelody: could not write %s\n", out.c_str());
        }
    }
    engine.Client().Post(bm::engine::End{});
    engine.WaitFinished(std::chrono::milliseconds(10000));
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = Arguments(argc, argv);
    // run.sh asks whether the program window exists before it starts it.
    if (args.size() == 1 && args[0] == "--has-window")
        return 0;
    std::string screenshot;
    std::string screenshotSong;
    if (!args.empty() && args[0] == "--screenshot") {
        if (args.size() < 2 || args.size() > 3) {
            std::fprintf(stderr, "usage: brickmelody --screenshot OUT.png [SONG]\n");
            return 2;
        }
        screenshot = args[1];
        screenshotSong = args.size() == 3 ? args[2] : std::string();
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    if (const auto status = bm::app::RunInformationOption({argv + 1, argv + argc}, std::cout))
        return *status;
    bm::platform::KeepFreedMemoryForReuse();
    bm::platform::QtWindowSystem::PrepareApplication();
    QApplication application(argc, argv);
    bm::app::ApplyProgramLook();
    if (!screenshot.empty())
        return Screenshot(screenshot, screenshotSong);

    std::vector<std::string> words;
    for (qsizetype i = 1; i < QCoreApplication::arguments().size(); ++i)
        words.push_back(QCoreApplication::arguments()[i].toStdString());
    const std::string commandLine = bm::app::CommandLineText(words);

    bm::app::AppContext context;
    const std::string programPath = bm::ProgramPath();
    bm::app::FileArchiveOpener archives;
    bm::platform::LocalInstanceLink instances(bm::platform::InstanceSocketName(bm::FolderPart(programPath)));
    bm::app::ProgramEngine engine(context);
    bm::app::StartupPieces pieces{
        archives,
        instances,
        engine,
        [&engine](bm::app::AppContext& app,
                                bm::app::EngineWorker&) -> std::unique_ptr<bm::app::ProgramWindow> {
            auto window = std::make_unique<bm::app::QtProgramWindow>(app, engine, bm::app::QtProgramWindow::Options{});
            if (!window->Ready()) {
                std::fprintf(stderr, "brickmelody: %s has no window skin\n", app.ArchivePath().c_str());
                return nullptr;
            }
            window->KeepWatcher(WatchTermination(*window));
            return window;
        },
        bm::app::ProbeMachine(),
    };
    return bm::app::ReportStartupOutcome(bm::app::RunProgram(context, programPath, commandLine, pieces), context,
                                         std::cerr);
}
