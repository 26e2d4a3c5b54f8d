#pragma once

// Dialogs that answer from a script a test writes beforehand, one queue per
// kind of request, and record every request they were asked. A request with
// no answer left is reported through the missing-answer hook (tests make it
// a failure) and answered as cancelled, so nothing ever waits.
//
//     platform::ScriptedDialogs dialogs([](const std::string& what) { ADD_FAILURE() << what; });
//     dialogs.AnswerMessage(platform::MessageAnswer::Yes);
//     dialogs.AnswerSave("/tmp/song.ncp");
//     window.Run(...);
//     EXPECT_EQ(dialogs.messages.at(0).caption, "Brickmelody");
//     EXPECT_EQ(dialogs.Unused(), 0u);

#include "platform/Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bm::platform {

class ScriptedDialogs : public Dialogs {
public:
    using MissingHook = std::function<void(const std::string& what)>;

    explicit ScriptedDialogs(MissingHook onMissing = {}) : m_onMissing(std::move(onMissing)) {}

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    bool OpenFiles(const OpenFileRequest& request, std::vector<std::string>& chosen) override;
    bool SaveFile(const SaveFileRequest& request, std::string& chosen) override;
    bool ChooseFolder(const FolderRequest& request, std::string& chosen) override;

    // The script: answers are used in the order they were given.
    void AnswerMessage(MessageAnswer answer) { m_messageAnswers.push_back(answer); }
    void AnswerOpen(std::vector<std::string> files) { m_openAnswers.emplace_back(std::move(files)); }
    void CancelOpen() { m_openAnswers.emplace_back(std::nullopt); }
    void AnswerSave(std::string path) { m_saveAnswers.emplace_back(std::move(path)); }
    void CancelSave() { m_saveAnswers.emplace_back(std::nullopt); }
    void AnswerFolder(std::string folder) { m_folderAnswers.emplace_back(std::move(folder)); }
    void CancelFolder() { m_folderAnswers.emplace_back(std::nullopt); }

    // Answers not asked for yet.
    size_t Unused() const;

    // What was asked, in order.
    std::vector<MessageRequest> messages;
    std::vector<OpenFileRequest> opens;
    std::vector<SaveFileRequest> saves;
    std::vector<FolderRequest> folders;
    // One line per request that found no answer.
    std::vector<std::string> missing;

private:
    void Missing(const std::string& what);

    MissingHook m_onMissing;
    std::deque<MessageAnswer> m_messageAnswers;
    std::deque<std::optional<std::vector<std::string>>> m_openAnswers;
    std::deque<std::optional<std::string>> m_saveAnswers;
    std::deque<std::optional<std::string>> m_folderAnswers;
};

// The answer a cancelled message box gives for its buttons: Cancel where
// there is one, else No, else OK (what Escape chooses).
MessageAnswer CancelAnswer(MessageButtons buttons);

} // namespace bm::platform
