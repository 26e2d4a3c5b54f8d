#include "platform/ScriptedDialogs.h"

namespace bm::platform {

MessageAnswer CancelAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

void ScriptedDialogs::Missing(const std::string& what)
{
    missing.push_back(what);
    if (m_onMissing)
        m_onMissing(what);
}

MessageAnswer ScriptedDialogs::ShowMessage(const MessageRequest& request)
{
    messages.push_back(request);
    if (m_messageAnswers.empty()) {
        Missing("no scripted answer for the message box \"" + request.text + "\"");
        return CancelAnswer(request.buttons);
    }
    MessageAnswer answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::OpenFiles(const OpenFileRequest& request, std::vector<std::string>& chosen)
{
    opens.push_back(request);
    if (m_openAnswers.empty()) {
        Missing("no scripted answer for the open-file dialog \"" + request.title + "\"");
        return false;
    }
    auto answer = std::move(m_openAnswers.front());
    m_openAnswers.pop_front();
    if (!answer || answer->empty())
        return false;
    chosen = std::move(*answer);
    return true;
}

bool ScriptedDialogs::SaveFile(const SaveFileRequest& request, std::string& chosen)
{
    saves.push_back(request);
    if (m_saveAnswers.empty()) {
        Missing("no scripted answer for the save-file dialog \"" + request.title + "\"");
        return false;
    }
    auto answer = std::move(m_saveAnswers.front());
    m_saveAnswers.pop_front();
    if (!answer)
        return false;
    chosen = std::move(*answer);
    return true;
}

bool ScriptedDialogs::ChooseFolder(const FolderRequest& request, std::string& chosen)
{
    folders.push_back(request);
    if (m_folderAnswers.empty()) {
        Missing("no scripted answer for the folder chooser \"" + request.title + "\"");
        return false;
    }
    auto answer = std::move(m_folderAnswers.front());
    m_folderAnswers.pop_front();
    if (!answer)
        return false;
    chosen = std::move(*answer);
    if (chosen.empty() || chosen.back() != '/')
        chosen += '/';
    return true;
}

size_t ScriptedDialogs::Unused() const
{
    return m_messageAnswers.size() + m_openAnswers.size() + m_saveAnswers.size() + m_folderAnswers.size();
}

} // namespace bm::platform
