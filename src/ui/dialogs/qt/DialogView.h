#pragma once

// What every dialog view shares: the conversion of the models' UTF-8 texts,
// F1 and the Help button opening the dialog's help page, and the helpers
// that show a model's value in a control without echoing it back as a
// change.

#include "platform/Shell.h"
#include "ui/services/HelpPages.h"

#include <QDialog>
#include <QString>

#include <string>

class QAbstractButton;
class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QLabel;

namespace bm::dialogs {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

// Texts kept for message boxes hold CR LF; labels want LF only.
QString LabelText(const std::string& text);

class DialogView : public QDialog {
public:
    DialogView(QWidget* parent, platform::Shell* shell, std::string programFolder, services::HelpPage page);

    void OpenHelp();
    void SetHelpPage(services::HelpPage page) { m_page = page; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // Sets a field's text only when it differs, so the cursor stays where
    // the person is typing; signals are held back.
    static void ShowText(QLineEdit* field, const std::string& text);
    static void ShowCheck(QCheckBox* box, bool on);

private:
    platform::Shell* m_shell;
    std::string m_programFolder;
    services::HelpPage m_page;
};

} // namespace bm::dialogs
