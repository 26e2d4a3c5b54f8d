#pragma once

// Message boxes and the standard file and folder choosers, as the program's
// windows ask for them. The Qt layer shows QMessageBox and QFileDialog;
// tests answer with ScriptedDialogs, which also records what was asked.
//
// File filters are written as the program's texts write them: pairs of a
// description and its patterns, each followed by '|', the list ended by a
// second '|':  "Songs|*.ncp|Packages|*.wcp|All files|*.*||".

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bm::platform {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Exclamation, Question, Stop };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // Index of the default button in the order the buttons are named (Yes,
    // No, Cancel / OK, Cancel).
    int defaultButton = 0;
};

struct OpenFileRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension; // "ncp" or "*.ncp"; added to a name typed without one
    std::string initialFolder;
    std::string initialName;
    bool mustExist = true;
    bool multiple = false;
};

struct SaveFileRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string initialFolder;
    std::string initialName;
    bool overwritePrompt = true;
};

struct FolderRequest {
    std::string title;
    std::string initialFolder;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;
    // True and at least one absolute path when the user chose; false when
    // cancelled.
    virtual bool OpenFiles(const OpenFileRequest& request, std::vector<std::string>& chosen) = 0;
    virtual bool SaveFile(const SaveFileRequest& request, std::string& chosen) = 0;
    // The chosen folder ends with '/'.
    virtual bool ChooseFolder(const FolderRequest& request, std::string& chosen) = 0;
};

// The filter string cut into (description, patterns) pairs; patterns keep
// their ';' separators. Stops at the empty field that ends the list, or at a
// description without patterns.
std::vector<std::pair<std::string, std::string>> SplitFileFilter(std::string_view filter);

} // namespace bm::platform
