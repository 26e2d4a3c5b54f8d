#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

namespace bm::platform {

QUrl ShellUrl(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    // A scheme of two letters or more: one letter would be a drive.
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
    if (scheme.match(text).hasMatch() && !text.startsWith('/'))
        return QUrl(text);
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(text));
}

bool QtShell::Open(const std::string& target)
{
    const QUrl url = ShellUrl(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace bm::platform
