// The program window's start-up timed from outside, on a private Xvfb with
// openbox: from the process start to the first painted frame of the main
// window on the demo song, and the memory the process holds once the largest
// demo song is loaded. scripts/bench-gui.sh runs it.
//
// The first frame is the first window dump (xwd) of the mapped window that
// is not one flat colour, so the figure includes up to one dump's time
// (a few milliseconds at 800 × 600).

#include "ProgramUnderTest.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

// Kilobytes of a "/proc/PID/status" line ("VmRSS:", "VmHWM:").
int64_t StatusKilobytes(int pid, const std::string& key)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atoll(line.c_str() + key.size());
    }
    return -1;
}

E2eSession& Session()
{
    static E2eSession session;
    return session;
}

void StartToFirstFrame(benchmark::State& state)
{
    E2eSession& session = Session();
    if (!session.Ready()) {
        state.SkipWithError(session.Why().c_str());
        return;
    }
    const XDisplay& x = session.X();
    for (auto _ : state) {
        const auto started = Clock::now();
        ProgramRun* run = session.StartOnly({});
        if (!run) {
            state.SkipWithError("the program did not start");
            return;
        }
        std::optional<Window> main;
        Image face;
        const bool drawn = WaitUntil(
            [&] {
                if (!main) {
                    const std::vector<Window> w = x.Windows("^Brickmelody", run->Pid());
                    if (w.empty())
                        return false;
                    main = w.front();
                }
                face = x.Capture(*main);
                return !face.Empty() && !face.Uniform();
            },
            20s, 1ms);
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        if (!drawn) {
            state.SkipWithError("no frame within 20 s");
            return;
        }
        state.SetIterationTime(seconds);
        run->Proc().Signal(SIGTERM);
        run->WaitExit(15s);
    }
}
BENCHMARK(StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void MemoryWithTheLargestDemoSong(benchmark::State& state)
{
    E2eSession& session = Session();
    if (!session.Ready()) {
        state.SkipWithError(session.Why().c_str());
        return;
    }
    // The largest demo song file.
    std::string largest;
    uintmax_t size = 0;
    for (const auto& entry : fs::directory_iterator(session.Folder() / "DEMOSONGS")) {
        if (entry.file_size() > size) {
            size = entry.file_size();
            largest = entry.path().string();
        }
    }
    for (auto _ : state) {
        ProgramRun* run = session.Launch({largest});
        if (!run) {
            state.SkipWithError("no window");
            return;
        }
        // Loaded: the resident size stops growing for a second.
        int64_t previous = -1;
        WaitUntil(
            [&] {
                const int64_t now = StatusKilobytes(run->Pid(), "VmRSS:");
                const bool steady = now == previous;
                previous = now;
                return steady;
            },
            20s, 1000ms);
        state.counters["rss_MB"] = double(StatusKilobytes(run->Pid(), "VmRSS:")) / 1024.0;
        state.counters["peak_MB"] = double(StatusKilobytes(run->Pid(), "VmHWM:")) / 1024.0;
        state.SetLabel(fs::path(largest).filename().string());
        run->Proc().Signal(SIGTERM);
        run->WaitExit(15s);
    }
}
BENCHMARK(MemoryWithTheLargestDemoSong)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace bm::e2e

BENCHMARK_MAIN();
