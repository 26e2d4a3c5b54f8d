#pragma once

// A private X display for one end-to-end test: Xvfb on a free display
// number, reached only with a cookie of its own, and the openbox window
// manager on it, so that focus, activation and stacking behave as on a
// desktop. Input goes through the server as a person's would (xdotool's
// XTEST presses, moves and keys); pictures come from `xwd` window dumps.
//
//     std::string why;
//     auto x = XDisplay::Start(folder, why);      // null and `why` when a tool is missing
//     const Window w = x->WaitWindow(pid, "^Brickmelody", 20s).value();
//     x->Click(w, 470, 356);                      // client pixels of the window
//     Image face = x->Capture(w);
//
// Both processes end with the object, by their own process ids.

#include "Image.h"
#include "Process.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bm::e2e {

using Window = unsigned long;

struct WindowGeometry {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

class XDisplay {
public:
    // The programs the display needs, in PATH: Xvfb, xauth, openbox,
    // xdotool, xprop, xwininfo, xwd.
    static std::vector<std::string> MissingTools();

    // `folder` receives the cookie and the logs. Screen size in pixels.
    static std::unique_ptr<XDisplay> Start(const std::string& folder, std::string& why, int32_t width = 1280,
                                           int32_t height = 1024);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    const std::string& Name() const { return m_name; }
    // DISPLAY and XAUTHORITY for a client of this display.
    std::map<std::string, std::string> ClientVariables() const;
    ToolResult Tool(std::vector<std::string> argv, std::chrono::milliseconds timeout = 20s) const;

    // The first visible window of process `pid` whose name matches the
    // regular expression, waited for (xdotool search --sync).
    std::optional<Window> WaitWindow(int pid, const std::string& nameRegex, std::chrono::milliseconds timeout) const;
    // Every visible window whose name matches, now; of `pid` when it is not 0.
    std::vector<Window> Windows(const std::string& nameRegex, int pid = 0) const;
    std::string WindowName(Window window) const;
    std::optional<WindowGeometry> Geometry(Window window) const;
    bool Visible(Window window) const;
    bool Activate(Window window) const;
    // The window that has the keyboard focus.
    std::optional<Window> Focused() const;

    // Pointer and buttons; x and y are client pixels of `window`.
    bool MoveTo(Window window, int32_t x, int32_t y) const;
    bool Click(Window window, int32_t x, int32_t y, int button = 1) const;
    bool Press(int button = 1) const;
    bool Release(int button = 1) const;
    // A press at (x0, y0), moves in `steps` to (x1, y1), a release.
    bool Drag(Window window, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps = 8, int button = 1) const;
    // Keys by their X names ("space", "ctrl+s", "Return"), to the focused window.
    bool Key(const std::vector<std::string>& keys) const;
    bool KeyDown(const std::string& key) const;
    bool KeyUp(const std::string& key) const;
    bool Type(const std::string& text) const;

    // The window's face as the X server holds it.
    Image Capture(Window window) const;

private:
    XDisplay() = default;

    std::string m_name;
    std::string m_cookieFile;
    Process m_server;
    Process m_manager;
};

} // namespace bm::e2e
