#pragma once

// The help pages: HTML files in the program folder's "HTMLHelp/" folder,
// one per dialog, opened with the desktop's handler for them. Whether the
// page exists is the handler's business; the program does not check.
//
//     OpenHelpPage(shell, programFolder, HelpPage::Options);

#include "platform/Shell.h"

#include <string>
#include <string_view>

namespace bm::services {

enum class HelpPage {
    BpmSelect,          // tempo dialog
    InsertMeasure,      // insert and remove measure dialogs
    ShiftNotes,         // shift notes dialog
    Export,             // export dialog
    ExportProgress,     // export progress dialog
    Options,            // options dialog
    Record,             // record dialog
    RemoveSample,       // sample dialog, remove mode
    SaveSampleCopy,     // sample dialog, pitched-copy mode
    SaveRecordedSample, // sample dialog, recorded-sample mode
    FileProperties,     // sample dialog, properties modes
    Introducing,        // the general help (F1 in the main window and its tool window)
};

inline constexpr std::string_view kHelpFolderName = "HTMLHelp/";

// The page's path below the program folder ("HTMLHelp/The Options Dialog.htm").
std::string HelpPagePath(HelpPage page);

// Asks the shell to open program folder + the page's path; false when the
// shell could not.
bool OpenHelpPage(platform::Shell& shell, const std::string& programFolder, HelpPage page);

} // namespace bm::services
