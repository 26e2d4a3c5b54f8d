#pragma once

// The main window as the program runs it on a real (or offscreen) display:
// the Qt window system, message boxes, file choosers and shell, the Qt
// dialogs over the window, the news check, and the main window itself.

#include "ProgramEngine.h"

#include "app/AppContext.h"
#include "app/ProgramWindow.h"

#include <QObject>

#include <memory>
#include <string>

namespace bm::app {

// The standard dialogs in the window's own colours (Qt's Fusion style with
// the skin's palette), so they read as part of one program.
void ApplyProgramLook();

class QtProgramWindow final : public ProgramWindow {
public:
    struct Options {
        bool showWindow = true;
        bool timers = true;
    };
    QtProgramWindow(AppContext& context, ProgramEngine& engine, Options options);
    ~QtProgramWindow() override;

    // False when the window could not be made (its skin is missing).
    bool Ready() const;
    void Run() override;
    void OpenFromOtherCopy(const std::string& path) override;
    void BringToFront() override;
    // The program is ended from outside (SIGTERM): keep the song and close.
    void EndFromOutside();

    // Waits (running the event loop) until the engine has loaded the song's
    // samples or `timeoutMs` passed, then writes the window's canvas as PNG.
    bool Screenshot(const std::string& path, int timeoutMs);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;

public:
    // Something that watches for the window (a signal notifier) and must go
    // before it does.
    void KeepWatcher(std::unique_ptr<QObject> watcher) { m_watcher = std::move(watcher); }

private:
    std::unique_ptr<QObject> m_watcher;
};

} // namespace bm::app
