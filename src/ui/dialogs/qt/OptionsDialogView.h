#pragma once

// The options dialog's window: the page list beside a stack of four pages.
// Controls: "pages", "stack", "prev", "next", the switches "switch0" ...
// "switch7", "temporaryFolder", "browseTemporary", "diskCache", "memory",
// "flush", "folders", "add", "edit", "remove", "start0" ... "start2",
// "splash", "ok", "cancel", "help".

#include "ui/dialogs/OptionsDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace bm::dialogs {

class OptionsDialogView : public DialogView {
public:
    OptionsDialogView(OptionsDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();

private:
    OptionsDialogModel& m_model;
    QtDialogEnvironment m_environment;
    QListWidget* m_pages;
    QStackedWidget* m_stack;
    std::array<QCheckBox*, OptionsDialogModel::SwitchCount> m_switches{};
    QLineEdit* m_temporaryFolder;
    QLineEdit* m_diskCache;
    QLineEdit* m_memory;
    QListWidget* m_folders;
    QPushButton* m_edit;
    QPushButton* m_remove;
    std::array<QRadioButton*, 3> m_start{};
    QCheckBox* m_splash;
};

class QtOptionsDialog : public OptionsDialog {
public:
    explicit QtOptionsDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<OptionsResult> Run(const app::OptionsFile& options, const std::vector<std::string>& folders) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
