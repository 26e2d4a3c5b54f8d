#include "ProgramUnderTest.h"

#include "ui/main/Layout.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <sys/stat.h>

namespace bm::e2e {

namespace fs = std::filesystem;

namespace {

// What a run of the program leaves in its folder; a clean folder has none.
const std::set<std::string> kLeftByRuns{"Brickmelody.opt", "TEMP", "USERDATA", "last.ncp"};

std::string MakeRoot()
{
    std::string pattern = (fs::temp_directory_path() / "bm-e2e-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    return made ? std::string(made) : std::string();
}

} // namespace

std::string DistFolder()
{
    const char* dist = std::getenv("BM_DIST_DIR");
    return dist ? dist : "build/dist";
}

ToolResult RunCliIn(const std::string& programFolder, const std::vector<std::string>& args,
                    std::chrono::milliseconds timeout)
{
    std::vector<std::string> argv{programFolder + "/brickmelody-cli", "--program-folder", programFolder};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunTool(argv, EnvironmentWith({{"SDL_AUDIODRIVER", "dummy"}}), timeout);
}

ProgramFolder::ProgramFolder(const std::string& root, const std::string& name) : m_path(root + "/" + name + "/")
{
    const fs::path dist = DistFolder();
    if (!fs::exists(dist / "brickmelody") || !fs::exists(dist / "Brickmelody.wad"))
        return;
    std::error_code ec;
    fs::create_directories(m_path, ec);
    for (const fs::directory_entry& entry : fs::directory_iterator(dist, ec)) {
        const std::string base = entry.path().filename().string();
        if (kLeftByRuns.count(base) || entry.path().extension() == ".wav")
            continue;
        fs::copy(entry.path(), m_path + base, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
        if (ec)
            return;
    }
    m_ready = fs::exists(m_path + "brickmelody");
}

ProgramRun::ProgramRun(const XDisplay& display, const ProgramFolder& folder, std::string root, int index)
    : m_display(display),
      m_folder(folder),
      m_root(std::move(root)),
      m_sound(m_root + "/sound-" + std::to_string(index) + ".raw"),
      m_log(m_root + "/program-" + std::to_string(index) + ".log")
{
}

ProgramRun::~ProgramRun()
{
    // A run the test did not end is ended like a session's close.
    if (m_process.Pid() > 0 && m_process.Running()) {
        m_process.Signal(SIGTERM);
        if (!m_process.Wait(12s))
            m_process.Stop(1s);
    }
}

bool ProgramRun::Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra)
{
    const std::string runtime = m_root + "/runtime";
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    std::map<std::string, std::string> variables = m_display.ClientVariables();
    variables["QT_QPA_PLATFORM"] = "xcb";
    variables["SDL_AUDIODRIVER"] = "disk";
    variables["SDL_DISKAUDIOFILE"] = m_sound;
    variables["XDG_RUNTIME_DIR"] = runtime;
    // The file dialogs remember folders in the home folder: one per test.
    variables["HOME"] = m_root + "/home";
    fs::create_directories(m_root + "/home");
    for (const auto& [name, value] : extra)
        variables[name] = value;
    std::vector<std::string> argv{m_folder / "brickmelody"};
    argv.insert(argv.end(), args.begin(), args.end());
    return m_process.Start(argv, EnvironmentWith(variables), m_log, m_folder.Path());
}

std::optional<Window> ProgramRun::WaitMainWindow(std::chrono::milliseconds timeout)
{
    const std::optional<Window> window = m_display.WaitWindow(m_process.Pid(), "^Brickmelody", timeout);
    if (!window)
        return std::nullopt;
    m_main = *window;
    m_display.Activate(m_main);
    return window;
}

bool ProgramRun::DismissSplash()
{
    m_display.Activate(m_main);
    if (!m_display.Key({"shift"}))
        return false;
    const bool closed = WaitUntil(
        [&] {
            const std::vector<Window> shown = m_display.Windows(".*", m_process.Pid());
            return shown.size() == 1 && shown.front() == m_main;
        },
        5s);
    // The window manager hands the focus back to the main window.
    m_display.Activate(m_main);
    return closed && WaitUntil([&] { return m_display.Focused() == m_main; }, 5s);
}

std::string ProgramRun::Title() const
{
    return m_display.WindowName(m_main);
}

bool ProgramRun::WaitTitle(const std::string& expected, std::chrono::milliseconds timeout) const
{
    return WaitUntil([&] { return Title() == expected; }, timeout, 20ms);
}

Image ProgramRun::Face() const
{
    return m_display.Capture(m_main);
}

Image ProgramRun::StatusLine() const
{
    const platform::Rect& r = layout::kStatusLine;
    return Face().Crop(r.left, r.top, r.right, r.bottom);
}

std::optional<int> ProgramRun::WaitExit(std::chrono::milliseconds timeout)
{
    return m_process.Wait(timeout);
}

bool ProgramRun::ClickPower()
{
    const ClientPoint power = CentreOf(layout::ControlOf(layout::ControlId::Power).rect);
    m_display.Activate(m_main);
    return m_display.Click(m_main, power.x, power.y);
}

std::optional<int> ProgramRun::PowerOff(std::chrono::milliseconds timeout)
{
    if (!ClickPower())
        return std::nullopt;
    return m_process.Wait(timeout);
}

std::optional<Window> ProgramRun::WaitMessageBox(std::chrono::milliseconds timeout) const
{
    return m_display.WaitWindow(m_process.Pid(), "^Brickmelody$", timeout);
}

std::string ProgramRun::Log() const
{
    std::ifstream in(m_log, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

E2eSession::E2eSession() : m_root(MakeRoot())
{
    if (m_root.empty()) {
        m_why = "no temporary folder";
        return;
    }
    m_display = XDisplay::Start(m_root, m_why);
    if (!m_display)
        return;
    m_folder = std::make_unique<ProgramFolder>(m_root, "program");
    if (!m_folder->Ready())
        m_why = "the program folder " + DistFolder() + " is not built (target bm_dist)";
}

E2eSession::~E2eSession()
{
    m_runs.clear();
    m_display.reset();
    const char* keep = std::getenv("BM_E2E_KEEP");
    if (!m_root.empty() && !(keep && std::string(keep) == "1")) {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
}

bool E2eSession::Required()
{
    const char* required = std::getenv("BM_E2E_REQUIRED");
    return required && std::string(required) == "1";
}

const ProgramFolder& E2eSession::AnotherFolder(const std::string& name)
{
    m_others.push_back(std::make_unique<ProgramFolder>(m_root, name));
    return *m_others.back();
}

ProgramRun* E2eSession::StartOnly(const std::vector<std::string>& args, const ProgramFolder* folder)
{
    const ProgramFolder& where = folder ? *folder : *m_folder;
    auto run = std::make_unique<ProgramRun>(*m_display, where, m_root, static_cast<int>(m_runs.size()));
    if (!run->Start(args))
        return nullptr;
    m_runs.push_back(std::move(run));
    return m_runs.back().get();
}

ProgramRun* E2eSession::Launch(const std::vector<std::string>& args, const ProgramFolder* folder,
                               const std::map<std::string, std::string>& extra)
{
    const ProgramFolder& where = folder ? *folder : *m_folder;
    auto run = std::make_unique<ProgramRun>(*m_display, where, m_root, static_cast<int>(m_runs.size()));
    if (!run->Start(args, extra))
        return nullptr;
    m_runs.push_back(std::move(run));
    ProgramRun* started = m_runs.back().get();
    return started->WaitMainWindow() ? started : nullptr;
}

ReferenceCheck WaitForReference(const std::function<Image()>& grab, const std::string& name,
                                const Tolerance& tolerance, std::chrono::milliseconds timeout)
{
    const char* update = std::getenv("BM_E2E_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        Image last = grab();
        WaitUntil(
            [&] {
                PollPause(300ms);
                Image now = grab();
                const Difference d = Compare(now, last, 0);
                last = std::move(now);
                return !d.sizesDiffer && d.pixels == 0;
            },
            timeout);
        return CheckAgainstReference(last, name, tolerance);
    }
    ReferenceCheck check;
    WaitUntil(
        [&] {
            check = CheckAgainstReference(grab(), name, tolerance);
            return check.ok;
        },
        timeout, 100ms);
    return check;
}

std::map<std::string, std::string> FolderState(const std::string& folder)
{
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (ec)
            break;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0)
            continue;
        const std::string name = fs::relative(it->path(), folder, ec).string();
        if (S_ISDIR(info.st_mode)) {
            out[name + "/"] = "folder";
            continue;
        }
        out[name] = std::to_string(info.st_size) + " bytes, changed " + std::to_string(info.st_mtim.tv_sec) + "." +
                    std::to_string(info.st_mtim.tv_nsec);
    }
    return out;
}

std::string StateChanges(const std::map<std::string, std::string>& before,
                         const std::map<std::string, std::string>& after)
{
    std::string out;
    for (const auto& [name, state] : before) {
        const auto it = after.find(name);
        if (it == after.end())
            out += "removed " + name + "\n";
        else if (it->second != state)
            out += "changed " + name + ": " + state + " -> " + it->second + "\n";
    }
    for (const auto& [name, state] : after) {
        if (!before.count(name))
            out += "added " + name + "\n";
    }
    return out;
}

} // namespace bm::e2e
