#pragma once

// The program's main window until the real one is built: a plain Qt window
// that says so, runs the real shut-down order when it is closed, and shows
// what other copies of the program hand over. Without a display it prints
// the same and its run ends at once.

#include "app/AppContext.h"
#include "app/EngineWorker.h"
#include "app/ProgramWindow.h"
#include "app/ShutdownOrder.h"

#include <memory>
#include <string>

class QLabel;
class QWidget;

namespace bm::app {

class PlaceholderWindow : public ProgramWindow, private ShutdownSteps {
public:
    enum class Display { Screen, None };

    PlaceholderWindow(AppContext& context, EngineWorker& engine, Display display);
    ~PlaceholderWindow() override;

    void Run() override;
    void OpenFromOtherCopy(const std::string& path) override;
    void BringToFront() override;

    // The shut-down order, run when the window is closed.
    void PowerOff();

private:
    void SetClosing() override { m_closing = true; }
    void WriteLibrary() override {}      // there is no sample library to write yet
    void StopPlaybackClock() override {} // nor a playback clock to stop
    void PostQuit() override;
    void Say(const std::string& line);

    AppContext& m_context;
    EngineWorker& m_engine;
    Display m_display;
    bool m_closing = false;
    std::unique_ptr<QWidget> m_widget;
    QLabel* m_news = nullptr;
};

} // namespace bm::app
