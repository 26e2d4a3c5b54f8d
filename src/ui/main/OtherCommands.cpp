// The remaining commands: menus closing, the options dialog, help, the main
// menu, news, the time window and the channel volume popup.

#include "ui/main/CommandIds.h"
#include "ui/main/MainController.h"

#include "ui/dialogs/OptionsDialog.h"

namespace bm::ui {

int32_t MainController::MenuCancelled(int32_t, int64_t)
{
    m_drop = {};
    return 1;
}

int32_t MainController::SubMenuValue(int32_t, int64_t) { return 1; }

int32_t MainController::OptionsCommand(int32_t, int64_t)
{
    std::optional<dialogs::OptionsResult> result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.options->Run(m_services.app.options, m_services.app.folders.Snapshot());
    }
    if (!result)
        return 0;
    Error error;
    if (!dialogs::CommitOptions(*result, m_services.app.options, m_services.app.folders, m_services.app.programFolder,
                                &error))
        Status(m_texts.saveError, error.message);
    m_view.ClearStatus();
    m_view.Repaint(Area::All);
    m_services.engine.Post(engine::FreeMemoryCache{});
    return 1;
}

int32_t MainController::Help(int32_t, int64_t)
{
    return m_services.shell.Open(m_services.app.programFolder + "HTMLHelp/Introducing.htm") ? 1 : 0;
}

int32_t MainController::MainMenu(int32_t, int64_t)
{
    m_view.OpenMenu("main_menu.res", MenuAnchor::MainMenuButton);
    return 1;
}

int32_t MainController::News(int32_t, int64_t)
{
    m_state.view.newsUnread = false;
    m_services.app.options.lastNewsHeadline = m_services.app.currentNewsHeadline;
    if (m_services.newsPage.empty())
        return 1;
    return m_services.shell.Open(m_services.newsPage) ? 1 : 0;
}

void MainController::OnNews(const std::string& text)
{
    const size_t end = text.find('\n');
    std::string headline = text.substr(0, end);
    if (!headline.empty() && headline.back() == '\r')
        headline.pop_back();
    if (headline.empty())
        headline = m_services.app.options.lastNewsHeadline;
    m_services.app.currentNewsHeadline = headline;
    m_state.view.newsUnread = headline != m_services.app.options.lastNewsHeadline;
}

int32_t MainController::TimeMenu(int32_t, int64_t param)
{
    m_view.OpenTimeWindow(param != 0 ? 1 : 0);
    return 1;
}

int32_t MainController::ChannelPopup(int32_t command, int64_t)
{
    m_view.CloseChannelPopup(command == cmd::kChannelPopupApply);
    m_state.view.channelPopupOpen = false;
    return 1;
}

} // namespace bm::ui
