#include "ui/dialogs/qt/DialogView.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace bm::dialogs {

QString LabelText(const std::string& text)
{
    QString out = Q(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

DialogView::DialogView(QWidget* parent, platform::Shell* shell, std::string programFolder, services::HelpPage page)
    : QDialog(parent), m_shell(shell), m_programFolder(std::move(programFolder)), m_page(page)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void DialogView::OpenHelp()
{
    if (m_shell)
        services::OpenHelpPage(*m_shell, m_programFolder, m_page);
}

void DialogView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OpenHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogView::ShowText(QLineEdit* field, const std::string& text)
{
    const QString q = Q(text);
    if (field->text() == q)
        return;
    const QSignalBlocker block(field);
    field->setText(q);
}

void DialogView::ShowCheck(QCheckBox* box, bool on)
{
    const QSignalBlocker block(box);
    box->setChecked(on);
}

} // namespace bm::dialogs
