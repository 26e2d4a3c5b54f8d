#pragma once

// Child processes for the end-to-end tests: started with an environment of
// their own and their output in files, waited for with a deadline, and
// ended by their own process id only.
//
//     Process xvfb;
//     xvfb.Start({"Xvfb", ":95"}, env, "xvfb.log");
//     ...
//     xvfb.Stop(2s);   // SIGTERM, then SIGKILL when it does not end in time

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace bm::e2e {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The environment of this process with `changes` applied; an empty value
// removes the variable.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes);

class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts argv (looked up in PATH) with `environment`; standard output and
    // error go to `logPath` (appended), standard input reads nothing.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& logPath, const std::string& workingFolder = {});

    pid_t Pid() const { return m_pid; }
    bool Running();
    // The exit status (128 + signal when killed), or nothing when the
    // process has not ended within `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // SIGTERM, and SIGKILL after `grace`; the exit status.
    int Stop(std::chrono::milliseconds grace);
    void Signal(int signal);

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// What a short tool run gave: exit status (-1: could not start, or killed
// after its deadline) and standard output.
struct ToolResult {
    int status = -1;
    std::string out;
    bool ok() const { return status == 0; }
};

// Runs a tool to its end, at most `timeout`; its standard error is dropped.
ToolResult RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   std::chrono::milliseconds timeout = 20s);

// Calls `done` until it holds or `timeout` has passed, `poll` apart; true
// when it held. For results that have no event to wait on (a file, a pixel).
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds timeout, std::chrono::milliseconds poll = 20ms);

// The sleep between polls, in one place.
void PollPause(std::chrono::milliseconds poll);

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds timeout, std::chrono::milliseconds poll)
{
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (Clock::now() >= end)
            return false;
        PollPause(poll);
    }
}

} // namespace bm::e2e
