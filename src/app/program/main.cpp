// The Brickmelody program: runs the start-up order, the main window and the
// tear-down. Until the real main window and audio engine exist, a plain
// window that says so and an idle engine worker stand in for them.
#include "PlaceholderWindow.h"

#include "app/AppContext.h"
#include "app/ArchiveOpener.h"
#include "app/CommandLine.h"
#include "app/IdleEngineWorker.h"
#include "app/Startup.h"
#include "app/StartupReport.h"
#include "core/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/qt/LocalInstanceLink.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

std::vector<std::string> Arguments(const QStringList& words)
{
    std::vector<std::string> out;
    for (qsizetype i = 1; i < words.size(); ++i)
        out.push_back(words[i].toStdString());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    // run.sh asks whether the program window exists before it starts it.
    if (argc == 2 && std::strcmp(argv[1], "--has-window") == 0) {
        std::fprintf(stderr, "brickmelody: the program window is not built yet\n");
        return 1;
    }
    if (const auto status = bm::app::RunInformationOption({argv + 1, argv + argc}, std::cout))
        return *status;
    bm::platform::KeepFreedMemoryForReuse();

    using bm::app::PlaceholderWindow;
    const bool display = HasDisplay();
    std::unique_ptr<QCoreApplication> application;
    if (display)
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    const std::string commandLine = bm::app::CommandLineText(Arguments(QCoreApplication::arguments()));

    bm::app::AppContext context;
    const std::string programPath = bm::ProgramPath();
    bm::app::FileArchiveOpener archives;
    bm::platform::LocalInstanceLink instances(bm::platform::InstanceSocketName(bm::FolderPart(programPath)));
    bm::app::IdleEngineWorker engine;
    bm::app::StartupPieces pieces{
        archives,
        instances,
        engine,
        [display](bm::app::AppContext& app, bm::app::EngineWorker& worker) {
            return std::make_unique<PlaceholderWindow>(
                app, worker, display ? PlaceholderWindow::Display::Screen : PlaceholderWindow::Display::None);
        },
        bm::app::ProbeMachine(),
    };
    return bm::app::ReportStartupOutcome(bm::app::RunProgram(context, programPath, commandLine, pieces), context,
                                         std::cerr);
}
