#include "support/RunCli.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bm::test {
namespace {

// Both ends of a pipe, closed on scope exit unless released.
struct Pipe {
    int fd[2] = {-1, -1};
    bool Open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
    void Close(int end)
    {
        if (fd[end] >= 0)
            ::close(fd[end]);
        fd[end] = -1;
    }
    ~Pipe()
    {
        Close(0);
        Close(1);
    }
};

} // namespace

CliResult RunCommand(const std::vector<std::string>& argv, const std::string& stdinText)
{
    CliResult result;
    if (argv.empty())
        return result;

    Pipe in, out, err;
    if (!in.Open() || !out.Open() || !err.Open())
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);

    std::vector<char*> args;
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    in.Close(0);
    out.Close(1);
    err.Close(1);
    if (spawned != 0)
        return result;

    // A child that exits without reading its input must not kill us.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);

    // Feed stdin and drain both outputs together so that no pipe fills up
    // and blocks the child.
    size_t written = 0;
    if (stdinText.empty())
        in.Close(1);
    else
        ::fcntl(in.fd[1], F_SETFL, O_NONBLOCK);
    char buffer[65536];
    while (out.fd[0] >= 0 || err.fd[0] >= 0 || in.fd[1] >= 0) {
        pollfd fds[3];
        nfds_t count = 0;
        if (out.fd[0] >= 0)
            fds[count++] = {out.fd[0], POLLIN, 0};
        if (err.fd[0] >= 0)
            fds[count++] = {err.fd[0], POLLIN, 0};
        if (in.fd[1] >= 0)
            fds[count++] = {in.fd[1], POLLOUT, 0};
        if (::poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == in.fd[1]) {
                ssize_t n = ::write(in.fd[1], stdinText.data() + written, stdinText.size() - written);
                if (n > 0)
                    written += static_cast<size_t>(n);
                if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == stdinText.size())
                    in.Close(1);
                continue;
            }
            Pipe& source = fds[i].fd == out.fd[0] ? out : err;
            std::string& target = fds[i].fd == out.fd[0] ? result.out : result.err;
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                target.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                source.Close(0);
        }
    }
    ::sigaction(SIGPIPE, &previous, nullptr);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return result;
    }
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.status = 128 + WTERMSIG(status);
    return result;
}

std::string CliPath()
{
    if (const char* path = std::getenv("BM_CLI"); path && *path)
        return path;
    // Without the variable (a test run by hand): the program folder that the
    // build lays out, named by BM_DIST_DIR or beside the tests' own folder
    // (build/tests/ and build/dist/).
    std::vector<std::string> candidates;
    if (const char* dist = std::getenv("BM_DIST_DIR"); dist && *dist)
        candidates.push_back(std::string(dist) + "/brickmelody-cli");
    char self[4096];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string exe(self, static_cast<size_t>(length));
        candidates.push_back(exe.substr(0, exe.rfind('/')) + "/../dist/brickmelody-cli");
    }
    for (const std::string& candidate : candidates) {
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& stdinText)
{
    std::vector<std::string> argv{CliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, stdinText);
}

} // namespace bm::test
