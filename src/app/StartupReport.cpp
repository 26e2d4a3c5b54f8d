#include "app/StartupReport.h"

#include <ostream>

namespace bm::app {

namespace {

constexpr const char* kUsage =
    "Usage: brickmelody [SONG]\n"
    "\n"
    "Starts Brickmelody, the loop composer, and opens SONG (an .ncp song file), or\n"
    "the start song that the settings name. The program folder is the folder of\n"
    "this executable: it holds Brickmelody.wad, library.dat, the factory samples\n"
    "and demo songs, and Brickmelody.opt with the settings (made on the first run).\n"
    "\n"
    "When a copy started from the same folder already runs for you, that copy\n"
    "comes to the front and opens SONG, and this one ends.\n"
    "\n"
    "  -h, --help     print this and end\n"
    "      --version  print the version and end\n"
    "      --screenshot OUT.png [SONG]\n"
    "                 draw the window without a display, on SONG or the start song,\n"
    "                 once its samples are loaded, into OUT.png; nothing else changes\n"
    "\n"
    "Exit status: 0 when the program ran or handed SONG to the running copy; 1 when\n"
    "Brickmelody.wad is missing, cannot be read or is damaged.\n"
    "brickmelody-cli in the same folder reaches songs, samples and export without\n"
    "a window.\n";

} // namespace

std::optional<int> RunInformationOption(const std::vector<std::string>& arguments, std::ostream& out)
{
    if (arguments.empty())
        return std::nullopt;
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h") {
        out << kUsage;
        return 0;
    }
    if (first == "--version") {
        out << "Brickmelody " << AppContext::kVersionText << "\n";
        return 0;
    }
    return std::nullopt;
}

int ReportStartupOutcome(StartupOutcome outcome, const AppContext& context, std::ostream& err)
{
    const std::string archive(AppContext::kArchiveFileName);
    switch (outcome) {
    case StartupOutcome::MainWindowRan:
    case StartupOutcome::HandedToRunningCopy:
        return 0;
    case StartupOutcome::ArchiveMissing:
        err << "brickmelody: " << archive << " is missing from " << context.programFolder << "; the build makes it\n";
        break;
    case StartupOutcome::ArchiveCannotOpen:
        err << "brickmelody: " << archive << " in " << context.programFolder
            << " cannot be opened for reading; check its permissions\n";
        break;
    case StartupOutcome::ArchiveUnreadable:
        err << "brickmelody: " << archive << " in " << context.programFolder
            << " is not a resource archive or is damaged; the build makes it again\n";
        break;
    }
    return 1;
}

} // namespace bm::app
