#include "XDisplay.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <unistd.h>

namespace bm::e2e {

namespace fs = std::filesystem;

namespace {

bool InPath(const std::string& tool)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && ::access((folder + "/" + tool).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

std::string Cookie()
{
    std::random_device random;
    std::string out;
    char hex[9];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(hex, sizeof hex, "%08x", random());
        out += hex;
    }
    return out;
}

// A display number nobody holds: neither its lock file nor its socket exist.
bool DisplayFree(int number)
{
    const std::string n = std::to_string(number);
    return !fs::exists("/tmp/.X" + n + "-lock") && !fs::exists("/tmp/.X11-unix/X" + n);
}

std::vector<Window> ParseWindows(const std::string& text)
{
    std::vector<Window> out;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty())
            out.push_back(std::stoul(line));
    }
    return out;
}

} // namespace

std::vector<std::string> XDisplay::MissingTools()
{
    std::vector<std::string> missing;
    for (const char* tool : {"Xvfb", "xauth", "openbox", "xdotool", "xprop", "xwininfo", "xwd"}) {
        if (!InPath(tool))
            missing.emplace_back(tool);
    }
    return missing;
}

std::unique_ptr<XDisplay> XDisplay::Start(const std::string& folder, std::string& why, int32_t width, int32_t height)
{
    const std::vector<std::string> missing = MissingTools();
    if (!missing.empty()) {
        why = "missing tools:";
        for (const std::string& tool : missing)
            why += " " + tool;
        why += " (scripts/install-deps.sh installs them)";
        return nullptr;
    }
    std::unique_ptr<XDisplay> display(new XDisplay);
    display->m_cookieFile = folder + "/xauthority";
    const std::string cookie = Cookie();
    const std::vector<std::string> plain = EnvironmentWith({{"DISPLAY", ""}, {"XAUTHORITY", ""}});
    // Start somewhere that depends on the process, so tests run side by
    // side rarely try the same numbers.
    const int first = 100 + static_cast<int>(::getpid() % 400);
    for (int number = first; number < first + 60; ++number) {
        if (!DisplayFree(number))
            continue;
        const std::string name = ":" + std::to_string(number);
        std::error_code ec;
        fs::remove(display->m_cookieFile, ec);
        if (!RunTool({"xauth", "-f", display->m_cookieFile, "add", name, ".", cookie}, plain).ok()) {
            why = "xauth could not write " + display->m_cookieFile;
            return nullptr;
        }
        Process server;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        if (!server.Start({"Xvfb", name, "-screen", "0", screen, "-nolisten", "tcp", "-auth", display->m_cookieFile,
                           "-noreset"},
                          plain, folder + "/xvfb.log")) {
            why = "Xvfb could not be started";
            return nullptr;
        }
        display->m_name = name;
        // Ready once a client gets in; a server that lost the race for the
        // number ends by itself, and the next number is tried.
        const bool up = WaitUntil(
            [&] { return !server.Running() || display->Tool({"xprop", "-root", "-len", "0"}, 5s).ok(); }, 10s, 10ms);
        if (up && server.Running()) {
            display->m_server = std::move(server);
            break;
        }
        server.Stop(1s);
        display->m_name.clear();
    }
    if (display->m_name.empty()) {
        why = "no free display number for Xvfb (see " + folder + "/xvfb.log)";
        return nullptr;
    }
    const std::map<std::string, std::string> client = display->ClientVariables();
    std::map<std::string, std::string> managerVariables = client;
    managerVariables["HOME"] = folder;
    if (!display->m_manager.Start({"openbox", "--sm-disable"}, EnvironmentWith(managerVariables),
                                  folder + "/openbox.log")) {
        why = "openbox could not be started";
        return nullptr;
    }
    // The manager is in charge once it announces itself on the root window.
    const bool managing = WaitUntil(
        [&] {
            const ToolResult r = display->Tool({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, 5s);
            return r.ok() && r.out.find("window id") != std::string::npos;
        },
        10s, 10ms);
    if (!managing) {
        why = "openbox did not take over the display (see " + folder + "/openbox.log)";
        return nullptr;
    }
    return display;
}

XDisplay::~XDisplay()
{
    m_manager.Stop(2s);
    m_server.Stop(2s);
}

std::map<std::string, std::string> XDisplay::ClientVariables() const
{
    return {{"DISPLAY", m_name}, {"XAUTHORITY", m_cookieFile}};
}

ToolResult XDisplay::Tool(std::vector<std::string> argv, std::chrono::milliseconds timeout) const
{
    return RunTool(argv, EnvironmentWith(ClientVariables()), timeout);
}

std::optional<Window> XDisplay::WaitWindow(int pid, const std::string& nameRegex,
                                           std::chrono::milliseconds timeout) const
{
    const ToolResult r = Tool({"xdotool", "search", "--sync", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name",
                               nameRegex},
                              timeout);
    const std::vector<Window> found = ParseWindows(r.out);
    if (!r.ok() || found.empty())
        return std::nullopt;
    return found.front();
}

std::vector<Window> XDisplay::Windows(const std::string& nameRegex, int pid) const
{
    std::vector<std::string> argv{"xdotool", "search", "--all", "--onlyvisible"};
    if (pid != 0) {
        argv.push_back("--pid");
        argv.push_back(std::to_string(pid));
    }
    argv.push_back("--name");
    argv.push_back(nameRegex);
    return ParseWindows(Tool(argv, 5s).out);
}

std::string XDisplay::WindowName(Window window) const
{
    std::string name = Tool({"xdotool", "getwindowname", std::to_string(window)}, 5s).out;
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
        name.pop_back();
    return name;
}

std::optional<WindowGeometry> XDisplay::Geometry(Window window) const
{
    const ToolResult r = Tool({"xdotool", "getwindowgeometry", "--shell", std::to_string(window)}, 5s);
    if (!r.ok())
        return std::nullopt;
    WindowGeometry g;
    std::stringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const int32_t value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.x = value;
        else if (key == "Y")
            g.y = value;
        else if (key == "WIDTH")
            g.width = value;
        else if (key == "HEIGHT")
            g.height = value;
    }
    return g;
}

bool XDisplay::Visible(Window window) const
{
    const ToolResult r = Tool({"xwininfo", "-id", std::to_string(window)}, 5s);
    return r.ok() && r.out.find("IsViewable") != std::string::npos;
}

bool XDisplay::Activate(Window window) const
{
    return Tool({"xdotool", "windowactivate", "--sync", std::to_string(window)}, 10s).ok();
}

std::optional<Window> XDisplay::Focused() const
{
    const std::vector<Window> w = ParseWindows(Tool({"xdotool", "getwindowfocus", "-f"}, 5s).out);
    if (w.empty())
        return std::nullopt;
    return w.front();
}

bool XDisplay::MoveTo(Window window, int32_t x, int32_t y) const
{
    return Tool({"xdotool", "mousemove", "--sync", "--window", std::to_string(window), std::to_string(x),
                 std::to_string(y)},
                5s)
        .ok();
}

bool XDisplay::Click(Window window, int32_t x, int32_t y, int button) const
{
    // A hand comes from somewhere: a press without any motion into a window
    // that has just appeared under a resting pointer does not always reach
    // it, so the pointer arrives from a pixel away.
    return MoveTo(window, x + 1, y + 1) && MoveTo(window, x, y) &&
           Tool({"xdotool", "click", std::to_string(button)}, 5s).ok();
}

bool XDisplay::Press(int button) const
{
    return Tool({"xdotool", "mousedown", std::to_string(button)}, 5s).ok();
}

bool XDisplay::Release(int button) const
{
    return Tool({"xdotool", "mouseup", std::to_string(button)}, 5s).ok();
}

bool XDisplay::Drag(Window window, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps, int button) const
{
    if (!MoveTo(window, x0 + 1, y0 + 1) || !MoveTo(window, x0, y0) || !Press(button))
        return false;
    bool ok = true;
    for (int i = 1; i <= steps && ok; ++i)
        ok = MoveTo(window, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    return Release(button) && ok;
}

bool XDisplay::Key(const std::vector<std::string>& keys) const
{
    std::vector<std::string> argv{"xdotool", "key", "--delay", "30"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    return Tool(argv, 10s).ok();
}

bool XDisplay::KeyDown(const std::string& key) const
{
    return Tool({"xdotool", "keydown", key}, 5s).ok();
}

bool XDisplay::KeyUp(const std::string& key) const
{
    return Tool({"xdotool", "keyup", key}, 5s).ok();
}

bool XDisplay::Type(const std::string& text) const
{
    return Tool({"xdotool", "type", "--delay", "10", "--", text}, 30s).ok();
}

Image XDisplay::Capture(Window window) const
{
    const ToolResult r = Tool({"xwd", "-id", std::to_string(window), "-silent"}, 10s);
    if (!r.ok())
        return {};
    return ReadXwd(r.out);
}

} // namespace bm::e2e
