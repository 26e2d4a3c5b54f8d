// The built program as processes: a first copy runs its window offscreen on
// a song, a second copy hands it another song and ends, and the first ends
// on SIGTERM as the power button would, keeping its song in "last.ncp" and
// writing its options.

#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

extern char** environ;

namespace bm::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A program folder of its own: the program, its archive and library copied,
// the shipped samples and demo songs linked.
bool MakeProgramFolder(const std::string& dist, const test::TempDir& folder)
{
    std::error_code ec;
    for (const char* name : {"brickmelody", "Brickmelody.wad", "library.dat"})
        fs::copy_file(dist + "/" + name, folder / name, ec);
    for (const char* name : {"SMPLDATA", "DEMOSONGS"})
        fs::create_directory_symlink(dist + "/" + name, folder / name, ec);
    return fs::exists(folder / "brickmelody") && fs::exists(folder / "Brickmelody.wad");
}

bool ArchiveHeld(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// Waits for the child; its exit status, or -1 when it did not end in time.
int WaitFor(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

TEST(ProgramProcess, SecondCopyHandsOverItsSongAndSigtermKeepsTheSong)
{
    const char* dist = std::getenv("BM_DIST_DIR");
    if (!dist || !fs::exists(std::string(dist) + "/Brickmelody.wad") ||
        !fs::exists(std::string(dist) + "/DEMOSONGS/Intro.ncp"))
        GTEST_SKIP() << "the program folder is not built";
    test::TempDir folder;
    ASSERT_TRUE(MakeProgramFolder(dist, folder));
    const std::string first = folder / "first.ncp";
    const std::string second = folder / "second.ncp";
    fs::copy_file(std::string(dist) + "/DEMOSONGS/Intro.ncp", first);
    fs::copy_file(std::string(dist) + "/DEMOSONGS/Sunrise.ncp", second);

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string program = folder / "brickmelody";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(first.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);

    // The first copy runs once it holds its archive.
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!ArchiveHeld(folder / "Brickmelody.wad") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(ArchiveHeld(folder / "Brickmelody.wad")) << "the first copy did not start";

    const test::CliResult handed = test::RunCommand({program, second});
    EXPECT_EQ(handed.status, 0) << handed.err;
    // The record travels over a local socket the first copy reads in its
    // event loop; give it that moment before the signal arrives.
    std::this_thread::sleep_for(1s);

    ::kill(pid, SIGTERM);
    const int status = WaitFor(pid, 20s);
    if (status < 0)
        ::kill(pid, SIGKILL);
    ASSERT_EQ(status, 0);

    EXPECT_TRUE(fs::exists(folder / "Brickmelody.opt"));
    const std::string last = test::ReadFile(folder / "last.ncp");
    ASSERT_FALSE(last.empty()) << "the song is kept on the way out";
    EXPECT_NE(last.find("second.ncp"), std::string::npos) << "the handed-over song was open";
    EXPECT_TRUE(fs::exists(folder / "library.dat"));
}

} // namespace
} // namespace bm::app
