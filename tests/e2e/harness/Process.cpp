#include "Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace bm::e2e {

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& words)
{
    std::vector<char*> out;
    for (const std::string& w : words)
        out.push_back(const_cast<char*>(w.c_str()));
    out.push_back(nullptr);
    return out;
}

int StatusOf(int raw)
{
    if (WIFEXITED(raw))
        return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw))
        return 128 + WTERMSIG(raw);
    return -1;
}

} // namespace

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes)
{
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.count(name))
            out.push_back(entry);
    }
    for (const auto& [name, value] : changes) {
        if (!value.empty())
            out.push_back(name + "=" + value);
    }
    return out;
}

Process::~Process()
{
    if (m_pid > 0 && !m_status)
        Stop(2s);
}

Process::Process(Process&& other) noexcept : m_pid(other.m_pid), m_status(other.m_status)
{
    other.m_pid = -1;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        if (m_pid > 0 && !m_status)
            Stop(2s);
        m_pid = other.m_pid;
        m_status = other.m_status;
        other.m_pid = -1;
    }
    return *this;
}

bool Process::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                    const std::string& logPath, const std::string& workingFolder)
{
    if (argv.empty())
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env = Pointers(environment);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    m_pid = pid;
    m_status.reset();
    return true;
}

bool Process::Running()
{
    return m_pid > 0 && !Wait(0ms);
}

std::optional<int> Process::Wait(std::chrono::milliseconds timeout)
{
    if (m_status || m_pid <= 0)
        return m_status;
    const auto end = Clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t got = ::waitpid(m_pid, &raw, WNOHANG);
        if (got == m_pid) {
            m_status = StatusOf(raw);
            return m_status;
        }
        if (got < 0 && errno != EINTR) {
            m_status = -1;
            return m_status;
        }
        if (Clock::now() >= end)
            return std::nullopt;
        PollPause(5ms);
    }
}

void Process::Signal(int signal)
{
    if (m_pid > 0 && !m_status)
        ::kill(m_pid, signal);
}

int Process::Stop(std::chrono::milliseconds grace)
{
    if (m_pid <= 0)
        return -1;
    if (m_status)
        return *m_status;
    ::kill(m_pid, SIGTERM);
    if (const auto status = Wait(grace))
        return *status;
    ::kill(m_pid, SIGKILL);
    return Wait(5s).value_or(-1);
}

ToolResult RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   std::chrono::milliseconds timeout)
{
    ToolResult result;
    int pipeFds[2];
    if (argv.empty() || ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env = Pointers(environment);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return result;
    }
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    const auto end = Clock::now() + timeout;
    char buffer[65536];
    bool open = true;
    int raw = 0;
    bool ended = false;
    while (!ended) {
        while (open) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0)
                result.out.append(buffer, static_cast<size_t>(n));
            else if (n == 0)
                open = false;
            else
                break;
        }
        const pid_t got = ::waitpid(pid, &raw, WNOHANG);
        if (got == pid) {
            ended = true;
            break;
        }
        if (Clock::now() >= end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            ::close(pipeFds[0]);
            result.status = -1;
            return result;
        }
        PollPause(2ms);
    }
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.out.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    result.status = StatusOf(raw);
    return result;
}

void PollPause(std::chrono::milliseconds poll)
{
    std::this_thread::sleep_for(poll);
}

} // namespace bm::e2e
