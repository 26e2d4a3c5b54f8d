#pragma once

// Message boxes and file choosers answered from per-test queues; every
// request is kept. Empty queues answer as a cancelled chooser or the
// message box's last button.

#include "platform/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace bm::test {

class FakePlatformDialogs : public platform::Dialogs {
public:
    platform::MessageAnswer ShowMessage(const platform::MessageRequest& request) override
    {
        messages.push_back(request);
        if (!messageAnswers.empty()) {
            const platform::MessageAnswer answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        switch (request.buttons) {
        case platform::MessageButtons::Ok: return platform::MessageAnswer::Ok;
        case platform::MessageButtons::OkCancel: return platform::MessageAnswer::Cancel;
        case platform::MessageButtons::YesNo: return platform::MessageAnswer::No;
        case platform::MessageButtons::YesNoCancel: return platform::MessageAnswer::Cancel;
        }
        return platform::MessageAnswer::Cancel;
    }
    bool OpenFiles(const platform::OpenFileRequest& request, std::vector<std::string>& chosen) override
    {
        opens.push_back(request);
        return Answer(chosen);
    }
    bool SaveFile(const platform::SaveFileRequest& request, std::string& chosen) override
    {
        saves.push_back(request);
        std::vector<std::string> files;
        if (!Answer(files))
            return false;
        chosen = files.front();
        return true;
    }
    bool ChooseFolder(const platform::FolderRequest& request, std::string& chosen) override
    {
        folders.push_back(request);
        std::vector<std::string> files;
        if (!Answer(files))
            return false;
        chosen = files.front();
        return true;
    }

    std::deque<platform::MessageAnswer> messageAnswers;
    // One entry per chooser shown: the chosen paths, or nothing (cancelled).
    std::deque<std::optional<std::vector<std::string>>> choices;

    std::vector<platform::MessageRequest> messages;
    std::vector<platform::OpenFileRequest> opens;
    std::vector<platform::SaveFileRequest> saves;
    std::vector<platform::FolderRequest> folders;

private:
    bool Answer(std::vector<std::string>& chosen)
    {
        if (choices.empty())
            return false;
        std::optional<std::vector<std::string>> next = choices.front();
        choices.pop_front();
        if (!next || next->empty())
            return false;
        chosen = *next;
        return true;
    }
};

} // namespace bm::test
