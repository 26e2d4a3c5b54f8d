// play: a song through the sound card with the real engine worker, as the
// program plays it. The song is read against the program folder's library
// and sample folders, mirrored into the engine, the engine's memory cache
// is built, then playback starts; the playing measure and time are shown on
// one line while stdout is a terminal. Ends at the song's end (unless
// looping) or on Ctrl-C, closing the device cleanly. With
// SDL_AUDIODRIVER=disk, SDL writes what it plays to SDL_DISKAUDIOFILE.

#include "cli/Cli.h"
#include "cli/LibraryCommands.h"

#include "app/OptionsFile.h"
#include "core/Paths.h"
#include "engine/EngineWorker.h"
#include "engine/device/SdlWaveOut.h"
#include "engine/stream/CatalogueView.h"
#include "engine/stream/SampleCache.h"
#include "engine/stream/StreamSampleSource.h"
#include "song/SongReader.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <ostream>

namespace bm::cli {

namespace {

namespace msg = platform::msg;

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

// Ctrl-C ends playback instead of the process while it is installed.
class InterruptGuard {
public:
    InterruptGuard()
    {
        g_interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = &OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_old);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &m_old, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }

private:
    struct sigaction m_old {};
    struct sigaction m_oldTerm {};
};

// What the worker tells the main window, as far as playing needs it.
class PlayPort final : public platform::MessagePort {
public:
    void Post(platform::Message message) override
    {
        std::lock_guard lock(m_mutex);
        if (message.number == msg::kPlaybackStarted) {
            m_started = true;
        } else if (message.number == msg::kPlaybackStopped && (m_started || message.lParam != 0)) {
            // A stop before the start is the song reader's; a failed start
            // carries lParam 256.
            m_stopped = true;
            m_deviceFailed = message.lParam != 0 && !m_started;
        } else if (message.number == msg::kIdleReport && message.wParam == 0) {
            m_idle = true;
        }
        m_changed.notify_all();
    }
    // Waits up to `timeout` for the end; true once playback has stopped.
    bool WaitStopped(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_stopped; });
    }
    bool WaitIdle(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_idle; });
    }
    bool DeviceFailed()
    {
        std::lock_guard lock(m_mutex);
        return m_deviceFailed;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_stopped = false;
    bool m_deviceFailed = false;
    bool m_idle = false;
};

// Region play as the main window sends it: the start measure (the given one
// when it lies in an on region, else the start of the first on region after
// it, else of the first on region), and for each on region from the last to
// the first the pair (its last measure, where to continue: the next on
// region's start, or the song's length after the last). Empty when no region
// is on.
std::vector<engine::JumpPair> RegionJumps(const Song& song, int32_t& start)
{
    std::vector<Region> on;
    for (const auto& region : song.regions) {
        if (region.on && region.start <= region.end)
            on.push_back(region);
    }
    std::sort(on.begin(), on.end(), [](const Region& a, const Region& b) { return a.start < b.start; });
    if (on.empty())
        return {};
    const int32_t length = int32_t(song.measures.size());
    int32_t chosen = -1;
    for (const auto& region : on) {
        if (start >= region.start && start <= region.end)
            chosen = start;
    }
    for (size_t i = 0; chosen < 0 && i < on.size(); ++i) {
        if (on[i].start > start)
            chosen = on[i].start;
    }
    start = chosen >= 0 ? chosen : on.front().start;
    std::vector<engine::JumpPair> pairs;
    for (size_t i = on.size(); i-- > 0;)
        pairs.emplace_back(on[i].end, i + 1 < on.size() ? on[i + 1].start : length);
    return pairs;
}

std::string TimeText(int64_t frames)
{
    const int64_t tenths = frames * 10 / 44100;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

int RunPlay(Invocation& in)
{
    if (!in.Expect(1, 1, {"loop", "regions"}, {"from", "volume"}))
        return kExitUsage;
    int64_t from = 0;
    int64_t volume = 255;
    if (in.Value("from") && !in.IntValue("from", 0, kMaxSongMeasures - 1, from))
        return kExitUsage;
    if (in.Value("volume") && !in.IntValue("volume", 0, 255, volume))
        return kExitUsage;

    const std::string program = AsFolder(in.ProgramFolder());
    Installation installation = LoadInstallation(program, InstallationUse::Look);
    app::OptionsFile options;
    options.temporaryFolder = program;
    FolderList ignored;
    app::ReadOptionsFile(program, options, ignored, app::ProbeMachine(), app::FolderCreation::Skip);
    const std::string temporary = installation.folders.temporaryFolder;
    std::error_code ec;
    std::filesystem::create_directories(temporary, ec); // the disk cache lives there

    FolderList folders;
    folders.Assign(installation.folders.sampleFolders);
    stream::CatalogueView catalogue;
    catalogue.Publish(installation.library);
    stream::SampleCache cache(temporary, options.diskCacheMegabytes);
    stream::UnavailableSongPath songs;
    engine::EngineSampleContext context;
    stream::StreamSampleSource source({&folders, &catalogue, &cache, &context, &songs});

    std::mutex deviceLock;
    device::SdlWaveOut output(deviceLock);
    PlayPort port;
    engine::EngineSettings settings;
    settings.temporaryFolder = temporary;
    settings.memoryLimit = options.memoryCacheBytes;
    settings.folders = &folders;
    engine::EngineWorker worker(port, source, context, output, nullptr, std::move(settings));
    worker.Start();
    auto finish = [&] {
        worker.Post(engine::Stop{});
        worker.Post(engine::End{});
        worker.WaitFinished(std::chrono::milliseconds(10000));
    };

    Song song;
    SongReader reader(installation.library, folders.Snapshot(), program, {.engine = &worker});
    Error error;
    if (!reader.ReadSong(in.Arg(0), song, &error)) {
        finish();
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);
    }
    if (song.measures.empty()) {
        finish();
        return in.Failed(in.Arg(0) + " has no measures");
    }
    if (from >= int64_t(song.measures.size())) {
        finish();
        return in.Failed("--from " + std::to_string(from) + " is beyond the song's " +
                         std::to_string(song.measures.size()) + " measures");
    }
    int32_t start = int32_t(from);
    std::vector<engine::JumpPair> jumps;
    if (in.Flag("regions")) {
        jumps = RegionJumps(song, start);
        if (jumps.empty()) {
            finish();
            return in.Failed(in.Arg(0) + " has no region that is on");
        }
    }

    // Let the worker load the song's samples into memory before it plays.
    worker.Post(engine::IdleReport{1});
    port.WaitIdle(std::chrono::minutes(10));

    InterruptGuard guard;
    if (in.Flag("loop"))
        worker.Post(engine::LoopOn{});
    if (in.Flag("regions"))
        worker.Post(engine::PlaySongWithJumps{int32_t(volume), start, jumps});
    else
        worker.Post(engine::PlaySong{int32_t(volume), start});

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    const int64_t m = song.samplesPerMeasure > 0 ? song.samplesPerMeasure : kDefaultSamplesPerMeasure;
    bool stopped = false;
    while (!stopped && !g_interrupted.load()) {
        stopped = port.WaitStopped(std::chrono::milliseconds(100));
        if (terminal && !stopped) {
            const int64_t position = worker.Position();
            if (position >= 0)
                in.Out() << "\rmeasure " << position / m + 1 << " of " << song.measures.size() << "  "
                         << TimeText(position) << "    " << std::flush;
        }
    }
    if (terminal)
        in.Out() << "\n";
    finish();
    if (port.DeviceFailed())
        return in.Failed("the sound device could not be opened");
    return kExitOk;
}

Registrar play{{"play", "SONG [--from MEASURE] [--loop] [--regions] [--volume 0-255]",
                "Plays a song through the sound card (Ctrl-C stops it).", RunPlay}};

} // namespace

} // namespace bm::cli
