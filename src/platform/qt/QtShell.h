#pragma once

// Opens help pages and web addresses with the desktop's handler
// (QDesktopServices::openUrl).

#include "platform/Shell.h"

#include <QUrl>

namespace bm::platform {

class QtShell : public Shell {
public:
    bool Open(const std::string& target) override;
};

// An address with a scheme ("https://...", "file:...", "mailto:...") as it
// is; anything else as a local file (relative paths from the working folder).
QUrl ShellUrl(const std::string& target);

} // namespace bm::platform
