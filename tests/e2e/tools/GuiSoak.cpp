// A long run of the program window: the demo song plays in a loop on a
// private Xvfb (SDL's disk driver writes what is played) while a script
// scrolls, zooms and opens and closes menus. At the end the written sound
// must have no silent gap where the song's render has sound, the resident
// memory must have grown by less than 5 % since the first minute, and the
// status line must show no message.
//
//     gui_soak MINUTES        (scripts/soak-gui.sh builds and runs it)
//
// Exit status 0 when every check holds, 1 otherwise.

#include "ProgramUnderTest.h"
#include "Sound.h"

#include "ui/main/Layout.h"

#include <csignal>
#include <cstdio>
#include <fstream>

namespace bm::e2e {
namespace {

int64_t ResidentKilobytes(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    }
    return -1;
}

// Song frames that sound in the render, by 10 ms block.
std::vector<bool> SoundingBlocks(const Samples& song)
{
    constexpr int64_t kBlock = kFramesPerSecond / 100;
    std::vector<bool> out(static_cast<size_t>(FrameCount(song) / kBlock + 1), false);
    for (size_t i = 0; i < song.size(); ++i) {
        if (std::abs(int32_t{song[i]}) > 256)
            out[i / 2 / kBlock] = true;
    }
    return out;
}

int Soak(double minutes)
{
    E2eSession session;
    if (!session.Ready()) {
        std::fprintf(stderr, "gui_soak: %s\n", session.Why().c_str());
        return 1;
    }
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const std::string rendered = session.Root() + "/render.wav";
    if (!RunCliIn(folder.Path(), {"render", folder / "DEMOSONGS/Intro.ncp", rendered}).ok()) {
        std::fprintf(stderr, "gui_soak: the render failed\n");
        return 1;
    }
    const Samples song = ReadWaveSound(rendered);

    ProgramRun* run = session.Launch({});
    if (!run || !run->DismissSplash()) {
        std::fprintf(stderr, "gui_soak: no window\n");
        return 1;
    }
    const Window w = run->Main();
    x.MoveTo(w, 400, 200);
    const Image quiet = run->StatusLine();
    // Loop on, then play.
    x.Key({"ctrl+space"});
    x.Key({"space"});

    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(minutes * 60));
    int64_t firstMinuteMemory = -1;
    int64_t actions = 0;
    const ClientPoint arrangement = CentreOf(layout::kArrangement);
    while (Clock::now() < end) {
        switch (actions % 6) {
        case 0: x.Tool({"xdotool", "mousemove", "--window", std::to_string(w), std::to_string(arrangement.x),
                        std::to_string(arrangement.y), "click", "--repeat", "3", "5"});
            break;
        case 1: x.Tool({"xdotool", "click", "--repeat", "3", "4"}); break;
        case 2: x.Key({"shift+Up"}); break;
        case 3: x.Key({"shift+Down"}); break;
        case 4: x.Key({"Escape"}); break; // the main menu opens
        case 5: x.Key({"Escape"}); break; // and closes
        }
        ++actions;
        if (firstMinuteMemory < 0 && Clock::now() - start > 60s)
            firstMinuteMemory = ResidentKilobytes(run->Pid());
        PollPause(250ms);
    }
    if (firstMinuteMemory < 0)
        firstMinuteMemory = ResidentKilobytes(run->Pid());
    const int64_t lastMemory = ResidentKilobytes(run->Pid());
    x.MoveTo(w, 400, 200);
    const bool statusQuiet = WaitUntil([&] { return Compare(run->StatusLine(), quiet, 16).pixels == 0; }, 8s);
    x.Key({"space"});
    const Samples played = ReadRawSound(run->SoundFile());
    run->Proc().Signal(SIGTERM);
    run->WaitExit(15s);

    // Where the played sound starts in the song; from there on it runs
    // through the song again and again.
    const SoundMatch m = MatchSound(played, song, kFramesPerSecond, 10 * kFramesPerSecond);
    int64_t gaps = 0;
    int64_t checked = 0;
    if (m.found) {
        constexpr int64_t kBlock = kFramesPerSecond / 100;
        const std::vector<bool> sounding = SoundingBlocks(song);
        const int64_t songFrames = FrameCount(song);
        // The last half second before the stop may be cut.
        const int64_t last = FrameCount(played) - kFramesPerSecond / 2;
        for (int64_t p = m.playedStart; p + kBlock <= last; p += kBlock) {
            const int64_t s = (m.referenceStart + (p - m.playedStart)) % songFrames;
            if (!sounding[static_cast<size_t>(s / kBlock)])
                continue;
            int32_t peak = 0;
            for (int64_t i = 0; i < kBlock * 2; ++i)
                peak = std::max(peak, std::abs(int32_t{played[static_cast<size_t>(p * 2 + i)]}));
            ++checked;
            gaps += peak <= 2;
        }
    }
    const double growth = firstMinuteMemory > 0 ? double(lastMemory - firstMinuteMemory) / firstMinuteMemory : 1;
    std::printf("gui_soak: %.1f minutes, %lld actions, %.1f s of sound written\n", minutes,
                static_cast<long long>(actions), double(FrameCount(played)) / kFramesPerSecond);
    std::printf("gui_soak: sound %s; %lld of %lld sounding 10 ms blocks silent\n", m.Describe().c_str(),
                static_cast<long long>(gaps), static_cast<long long>(checked));
    std::printf("gui_soak: resident memory %.1f MB after the first minute, %.1f MB at the end (%+.2f %%)\n",
                firstMinuteMemory / 1024.0, lastMemory / 1024.0, 100 * growth);
    std::printf("gui_soak: status line %s\n", statusQuiet ? "empty" : "shows a message");
    const bool ok = m.found && gaps == 0 && checked > 0 && growth < 0.05 && statusQuiet;
    std::printf("gui_soak: %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}

} // namespace
} // namespace bm::e2e

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 5.0;
    if (minutes <= 0) {
        std::fprintf(stderr, "usage: gui_soak MINUTES\n");
        return 2;
    }
    return bm::e2e::Soak(minutes);
}
