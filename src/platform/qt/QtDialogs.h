#pragma once

// Message boxes and file choosers on Qt Widgets: QMessageBox with the
// buttons, icon and default button mapped one to one, QFileDialog with the
// program's "description|*.a;*.b|...||" filters turned into Qt's form.

#include "platform/Dialogs.h"

#include <QStringList>

class QWidget;

namespace bm::platform {

class QtDialogs : public Dialogs {
public:
    // Dialogs belong to `parent` (may be null: the active window then).
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    bool OpenFiles(const OpenFileRequest& request, std::vector<std::string>& chosen) override;
    bool SaveFile(const SaveFileRequest& request, std::string& chosen) override;
    bool ChooseFolder(const FolderRequest& request, std::string& chosen) override;

private:
    QWidget* Parent() const;
    QWidget* m_parent;
};

// "Songs|*.ncp;*.wcp|All files|*.*||" -> {"Songs (*.ncp *.wcp)", "All files (*.*)"}.
QStringList QtNameFilters(std::string_view filter);
// "ncp", "*.ncp" or "*.wav;*.mp3" -> "ncp" / "wav": what a typed name without
// an extension gets.
QString QtDefaultSuffix(std::string_view extension);

} // namespace bm::platform
