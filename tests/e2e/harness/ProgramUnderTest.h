#pragma once

// The built program as a person starts it, on a private X display, in a
// program folder of its own: build/dist copied to a temporary folder without
// what earlier runs left there (options, work and user folders, last.ncp), so
// nothing a test does touches build/dist and tests run in any order.
//
//     E2eSession session;                     // display + folder; skips when there is no Xvfb
//     ProgramRun& run = session.Launch({});   // SDL's disk driver writes what it plays
//     const Window w = run.Main();
//     session.X().Key({"space"});
//     ...
//     run.PowerOff();

#include "Image.h"
#include "Process.h"
#include "XDisplay.h"

#include "platform/Geometry.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bm::e2e {

// The middle of a rectangle of the window's layout, in client pixels.
struct ClientPoint {
    int32_t x = 0;
    int32_t y = 0;
};
constexpr ClientPoint CentreOf(const platform::Rect& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The built program folder (BM_DIST_DIR).
std::string DistFolder();
// The command-line tool of a program folder, run with its arguments.
ToolResult RunCliIn(const std::string& programFolder, const std::vector<std::string>& args,
                    std::chrono::milliseconds timeout = 120s);

// A fresh copy of the program folder under `root`.
class ProgramFolder {
public:
    ProgramFolder(const std::string& root, const std::string& name);
    bool Ready() const { return m_ready; }
    // Ends with '/'.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
    bool m_ready = false;
};

class ProgramRun {
public:
    ProgramRun(const XDisplay& display, const ProgramFolder& folder, std::string root, int index);
    ~ProgramRun();

    // Starts brickmelody with `args`; its sound goes to SoundFile().
    bool Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra = {});
    // Waits for the main window (title "Brickmelody ...") and makes it the
    // active window.
    std::optional<Window> WaitMainWindow(std::chrono::milliseconds timeout = 30s);
    Window Main() const { return m_main; }
    // Closes the splash with a key (which does nothing else then) and waits
    // until the main window is the program's only visible one.
    bool DismissSplash();
    Process& Proc() { return m_process; }
    int Pid() const { return m_process.Pid(); }

    std::string Title() const;
    bool WaitTitle(const std::string& expected, std::chrono::milliseconds timeout = 10s) const;
    Image Face() const;
    // The status line's picture (the strip under the library header).
    Image StatusLine() const;
    // Waits until the program has ended; its exit status.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);
    // Presses the power button and waits for the window to close and the
    // process to end; the exit status, or nothing.
    std::optional<int> PowerOff(std::chrono::milliseconds timeout = 15s);
    bool ClickPower();
    // The program's message box (its caption is the program's name alone).
    std::optional<Window> WaitMessageBox(std::chrono::milliseconds timeout = 10s) const;

    std::string SoundFile() const { return m_sound; }
    std::string Log() const;
    const ProgramFolder& Folder() const { return m_folder; }

private:
    const XDisplay& m_display;
    const ProgramFolder& m_folder;
    std::string m_root;
    std::string m_sound;
    std::string m_log;
    Process m_process;
    Window m_main = 0;
};

// One test's world: a temporary root with its display, a program folder
// and the runs started in it. Ready() is false (and Why() says why) when the
// display cannot be had; the tests skip then, unless BM_E2E_REQUIRED=1
// (the e2e stage of test.sh) makes that a failure.
class E2eSession {
public:
    E2eSession();
    ~E2eSession();

    bool Ready() const { return m_display && m_folder && m_folder->Ready(); }
    const std::string& Why() const { return m_why; }
    static bool Required();

    const XDisplay& X() const { return *m_display; }
    const ProgramFolder& Folder() const { return *m_folder; }
    const std::string& Root() const { return m_root; }
    // A further clean program folder (a second machine, say).
    const ProgramFolder& AnotherFolder(const std::string& name);

    // Starts the program in `folder` (the session's own by default) and
    // waits for its main window; null when it does not appear.
    ProgramRun* Launch(const std::vector<std::string>& args, const ProgramFolder* folder = nullptr,
                       const std::map<std::string, std::string>& extra = {});
    // Starts a run without waiting for any window.
    ProgramRun* StartOnly(const std::vector<std::string>& args, const ProgramFolder* folder = nullptr);

private:
    std::string m_root;
    std::string m_why;
    std::unique_ptr<XDisplay> m_display;
    std::unique_ptr<ProgramFolder> m_folder;
    std::vector<std::unique_ptr<ProgramFolder>> m_others;
    std::vector<std::unique_ptr<ProgramRun>> m_runs;
};

// Checks a picture that may still be changing (a status message being
// drawn, a window settling) against a reference: grabs it until it matches
// or `timeout` has passed, and gives the last check. While references are
// being rewritten it waits instead until the picture holds still.
ReferenceCheck WaitForReference(const std::function<Image()>& grab, const std::string& name,
                                const Tolerance& tolerance, std::chrono::milliseconds timeout = 5s);

// A snapshot of a folder tree: every file with its size and modification
// time, to show that something changed nothing on disk.
std::map<std::string, std::string> FolderState(const std::string& folder);
// The entries that differ between two snapshots, one per line.
std::string StateChanges(const std::map<std::string, std::string>& before,
                         const std::map<std::string, std::string>& after);

} // namespace bm::e2e

// Skips (or, where the e2e stage requires a display, fails) a test whose
// session could not be set up.
#define BM_E2E_REQUIRE_SESSION(session)                                            \
    do {                                                                           \
        if (!(session).Ready()) {                                                  \
            if (::bm::e2e::E2eSession::Required())                                 \
                FAIL() << "no X display for the end-to-end test: " << (session).Why(); \
            GTEST_SKIP() << (session).Why();                                       \
        }                                                                          \
    } while (false)
