#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace bm::platform {

QStringList QtNameFilters(std::string_view filter)
{
    QStringList out;
    for (const auto& [description, patterns] : SplitFileFilter(filter)) {
        QString list = QString::fromStdString(patterns);
        list.replace(';', ' ');
        out << QString::fromStdString(description) + " (" + list.simplified() + ")";
    }
    return out;
}

QString QtDefaultSuffix(std::string_view extension)
{
    QString first = QString::fromStdString(std::string(extension)).section(';', 0, 0).trimmed();
    if (first.startsWith("*."))
        first = first.mid(2);
    else if (first.startsWith('.'))
        first = first.mid(1);
    if (first.contains('*') || first.contains('?'))
        return {};
    return first;
}

QWidget* QtDialogs::Parent() const
{
    return m_parent ? m_parent : QApplication::activeWindow();
}

MessageAnswer QtDialogs::ShowMessage(const MessageRequest& request)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.icon) {
    case MessageIcon::Information: icon = QMessageBox::Information; break;
    case MessageIcon::Exclamation: icon = QMessageBox::Warning; break;
    case MessageIcon::Question: icon = QMessageBox::Question; break;
    case MessageIcon::Stop: icon = QMessageBox::Critical; break;
    case MessageIcon::None: break;
    }
    std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> buttons;
    switch (request.buttons) {
    case MessageButtons::Ok: buttons = {{QMessageBox::Ok, MessageAnswer::Ok}}; break;
    case MessageButtons::OkCancel: buttons = {{QMessageBox::Ok, MessageAnswer::Ok}, {QMessageBox::Cancel, MessageAnswer::Cancel}}; break;
    case MessageButtons::YesNo: buttons = {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}}; break;
    case MessageButtons::YesNoCancel:
        buttons = {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
        break;
    }
    QMessageBox box(icon, QString::fromStdString(request.caption), QString::fromStdString(request.text), QMessageBox::NoButton, Parent());
    for (const auto& [button, answer] : buttons)
        box.addButton(button);
    const size_t index = request.defaultButton >= 0 && static_cast<size_t>(request.defaultButton) < buttons.size()
                             ? static_cast<size_t>(request.defaultButton) : 0;
    box.setDefaultButton(buttons[index].first);
    // Escape chooses Cancel, else No, else OK, as the message boxes of the program expect.
    box.setEscapeButton(buttons.back().first);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : buttons) {
        if (clicked == box.button(button))
            return answer;
    }
    return buttons.back().second;
}

namespace {

void Prepare(QFileDialog& dialog, const std::string& filter, const std::string& extension, const std::string& folder,
             const std::string& name)
{
    const QStringList filters = QtNameFilters(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QtDefaultSuffix(extension));
    if (!folder.empty())
        dialog.setDirectory(QString::fromStdString(folder));
    if (!name.empty())
        dialog.selectFile(QString::fromStdString(name));
}

} // namespace

bool QtDialogs::OpenFiles(const OpenFileRequest& request, std::vector<std::string>& chosen)
{
    QFileDialog dialog(Parent(), QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles
                                        : request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    Prepare(dialog, request.filter, request.defaultExtension, request.initialFolder, request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosen.clear();
    for (const QString& file : dialog.selectedFiles())
        chosen.push_back(file.toStdString());
    return true;
}

bool QtDialogs::SaveFile(const SaveFileRequest& request, std::string& chosen)
{
    QFileDialog dialog(Parent(), QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    Prepare(dialog, request.filter, request.defaultExtension, request.initialFolder, request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosen = dialog.selectedFiles().front().toStdString();
    return true;
}

bool QtDialogs::ChooseFolder(const FolderRequest& request, std::string& chosen)
{
    QFileDialog dialog(Parent(), QString::fromStdString(request.title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!request.initialFolder.empty())
        dialog.setDirectory(QString::fromStdString(request.initialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosen = dialog.selectedFiles().front().toStdString();
    if (chosen.empty() || chosen.back() != '/')
        chosen += '/';
    return true;
}

} // namespace bm::platform
