// play: a song through the sound card with the real engine worker, as the
// program plays it. The song is read against the program folder's library
// and sample folders, mirrored into the engine, the engine's memory cache
// is built, then playback starts; the playing measure and time are shown on
// one line while stdout is a terminal. Ends at the song's end (unless
// looping) or on Ctrl-C, closing the device cleanly. With
// SDL_AUDIODRIVER=disk, SDL writes what it plays to SDL_DISKAUDIOFILE.

#include "cli/Cli.h"
#include "cli/EngineSession.h"
#include "cli/InterruptGuard.h"

#include "core/Paths.h"
#include "engine/EngineWorker.h"
#include "engine/device/SdlWaveOut.h"
#include "song/RegionPlay.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <ostream>

namespace bm::cli {

namespace {

namespace msg = platform::msg;

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

    std::mutex deviceLock;
    device::SdlWaveOut output(deviceLock);
    EngineSession session(in.ProgramFolder(), output, nullptr);

    Song song;
    if (const int failed = ReadCommandSong(in, session, song); failed != kExitOk)
        return failed;
    if (from >= int64_t(song.measures.size()))
        return in.Failed("--from " + std::to_string(from) + " is beyond the song's " +
                         std::to_string(song.measures.size()) + " measures");
    int32_t start = int32_t(from);
    std::vector<engine::JumpPair> jumps;
    if (in.Flag("regions")) {
        RegionPlay play = MakeRegionPlay(song, start);
        if (play.jumps.empty())
            return in.Failed(in.Arg(0) + " has no region that is on");
        start = play.startMeasure;
        jumps = std::move(play.jumps);
    }

    // Let the worker load the song's samples into memory before it plays.
    session.WaitIdle(std::chrono::minutes(10));
    engine::EngineWorker& worker = session.Worker();

    InterruptGuard guard;
    if (in.Flag("loop"))
        worker.Post(engine::LoopOn{});
    if (in.Flag("regions"))
        worker.Post(engine::PlaySongWithJumps{int32_t(volume), start, jumps});
    else
        worker.Post(engine::PlaySong{int32_t(volume), start});

    const bool terminal = isatty(STDOUT_FILENO) != 0;
    const int64_t m = song.samplesPerMeasure > 0 ? song.samplesPerMeasure : kDefaultSamplesPerMeasure;
    bool started = false;
    bool stopped = false;
    bool deviceFailed = false;
    auto shown = std::chrono::steady_clock::time_point{};
    while (!stopped && !InterruptGuard::Interrupted()) {
        if (auto message = session.NextMessage(std::chrono::milliseconds(100))) {
            if (message->number == msg::kPlaybackStarted) {
                started = true;
            } else if (message->number == msg::kPlaybackStopped && (started || message->lParam != 0)) {
                // A stop before the start is the song reader's; a failed
                // start carries lParam 256.
                stopped = true;
                deviceFailed = message->lParam != 0 && !started;
            }
        }
        const auto now = std::chrono::steady_clock::now();
        if (terminal && !stopped && now - shown >= std::chrono::milliseconds(100)) {
            shown = now;
            const int64_t position = worker.Position();
            if (position >= 0)
                in.Out() << "\rmeasure " << position / m + 1 << " of " << song.measures.size() << "  "
                         << TimeText(position) << "    " << std::flush;
        }
    }
    if (terminal)
        in.Out() << "\n";
    session.Finish();
    if (deviceFailed)
        return in.Failed("the sound device could not be opened");
    return kExitOk;
}

Registrar play{{"play", "SONG [--from MEASURE] [--loop] [--regions] [--volume 0-255]",
                "Plays a song through the sound card (Ctrl-C stops it).", RunPlay}};

} // namespace

} // namespace bm::cli
