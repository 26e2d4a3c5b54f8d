#pragma once

// Where the dialogs' texts come from. Each dialog has a text list in the
// archive (one text per line, in the dialog's fixed order) and built-in
// English texts in the same order for when the list is missing or short.
// Message-box texts that are not the dialog's own (the caption of every
// message box, the overwrite question, the file-type names of the file
// choosers) come from the string table; the main window passes them in.

#include <string>
#include <string_view>
#include <vector>

namespace bm {
class ResourceArchive;
}

namespace bm::dialogs {

// The built-in texts with as many lines of the entry as there are texts
// laid over them in turn. No archive, or no such entry, keeps the built-in
// texts; surplus lines are not read.
std::vector<std::string> LoadDialogTexts(const ResourceArchive* archive, std::string_view entry,
                                         std::vector<std::string> builtIn);

// Texts of the string table that the dialogs use.
struct MessageTexts {
    std::string messageCaption = "Brickmelody";                                     // %MB_HEADER
    std::string overwritePrompt = "The file already exists.\r\nDo you want to replace it?"; // %OVERWRITE_PROMPT
    std::string waveFiles = "Wave files (*.wav)";                                   // %EXT_STR_WAV
    std::string knownFiles = "Known files (*.wav, *.mp3, *.ncp)";                   // %EXT_STR_KNOWN
    std::string allFiles = "All files (*.*)";                                       // %EXT_STR_ALL
};

// Every dialog text list by entry name with its built-in texts, for checks
// that walk all of them.
struct TextListInfo {
    std::string_view entry;
    std::vector<std::string> builtIn;
};
std::vector<TextListInfo> AllTextLists();

} // namespace bm::dialogs
