// record: the sound card's input into a wave file through the real engine
// worker, as the record dialog drives it: monitoring starts (0x30008),
// writing starts (0x3000A) into the temporary folder's "rec_0000.wav", and
// once the file holds the requested seconds (or on Ctrl-C) writing stops
// (0x3000B) and monitoring ends (0x30009). The take is then copied to the
// output, replacing an earlier file of that name only once the copy is
// complete. Nothing is played: the worker gets an output device without a
// sound card. With SDL_AUDIODRIVER=disk, SDL reads the input from
// SDL_DISKAUDIOFILEIN.

#include "cli/Cli.h"
#include "cli/InterruptGuard.h"
#include "cli/EngineSession.h"

#include "core/File.h"
#include "core/FileCopy.h"
#include "core/Paths.h"
#include "engine/EngineWorker.h"
#include "engine/RecordingReadings.h"
#include "engine/device/SdlWaveIn.h"
#include "engine/device/VirtualWaveOut.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>

namespace bm::cli {

namespace {

constexpr int64_t kBytesPerSecond = 176400;
constexpr int64_t kWaveHeaderBytes = 44;
// Six hours stay well inside a wave file's 4 GB.
constexpr int64_t kMaxSeconds = 6 * 3600;
// How much longer than asked the input may take before the take is ended
// with what arrived (a stalled input delivers nothing).
constexpr std::chrono::seconds kGrace{10};
constexpr std::chrono::milliseconds kWorkerWait{10000};

std::string ClockText(const engine::ClockTime& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d.%03d", static_cast<long long>(t.hours), t.minutes, t.seconds,
                  t.milliseconds);
    return text;
}

// "L ########----  -12.3  R ...": a 12-step bar over the 90 dB range, then
// the level as the record display writes it.
std::string MeterText(const char* channel, int32_t sample)
{
    const int32_t tenths = engine::InputLevelTenths(sample);
    constexpr int kSteps = 12;
    const int filled = engine::MeterTenths(tenths) * kSteps / engine::kMeterRangeTenths;
    std::string text = std::string(channel) + " ";
    for (int i = 0; i < kSteps; ++i)
        text += i < filled ? '#' : '-';
    char level[16];
    std::snprintf(level, sizeof level, " %6s", engine::LevelText(tenths).c_str());
    return text + level;
}

int RunRecord(Invocation& in)
{
    if (!in.Expect(1, 1, {"monitor"}, {"seconds"}))
        return kExitUsage;
    if (!in.Value("seconds"))
        return in.Usage("--seconds is required");
    int64_t seconds = 0;
    if (!in.IntValue("seconds", 1, kMaxSeconds, seconds))
        return kExitUsage;
    const std::string output = in.Arg(0);
    const std::string folder = FolderPart(output);
    if (FileNamePart(output).empty() || (!folder.empty() && !FolderExists(folder)))
        return in.Failed("cannot write " + output + ": its folder does not exist");

    std::mutex deviceLock;
    // The worker opens an output beside the input; recording plays nothing.
    device::VirtualWaveOut silentOutput(deviceLock, device::VirtualClock::Immediate);
    device::SdlWaveIn input(deviceLock);
    EngineSession session(in.ProgramFolder(), silentOutput, &input);
    engine::EngineWorker& worker = session.Worker();
    const std::string take = session.TemporaryFolder() + "rec_0000.wav";

    worker.Post(engine::StartRecording{});
    session.WaitIdle(kWorkerWait);
    if ((worker.Mode() & engine::kModeRecording) == 0)
        return in.Failed("the sound card's input could not be opened");
    worker.Post(engine::OpenRecordingFile{});
    session.WaitIdle(kWorkerWait);
    if (FileSize(take) < kWaveHeaderBytes)
        return in.Failed("cannot create the recording file " + take);

    // The worker appends each tenth of a second as it arrives; the file's
    // size tells how much is in.
    const int64_t wanted = seconds * kBytesPerSecond;
    const bool meter = in.Flag("monitor") && isatty(STDOUT_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(seconds) + kGrace;
    auto shown = std::chrono::steady_clock::time_point{};
    {
        InterruptGuard guard;
        while (!InterruptGuard::Interrupted() && FileSize(take) - kWaveHeaderBytes < wanted &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const auto now = std::chrono::steady_clock::now();
            if (meter && now - shown >= std::chrono::milliseconds(100)) {
                shown = now;
                in.Out() << "\r" << MeterText("L", worker.InputLeft()) << "  " << MeterText("R", worker.InputRight())
                         << "  " << ClockText(engine::RecordedTime(worker.RecordedBytes())) << "  left "
                         << ClockText(engine::RecordingTimeLeft(worker.FreeSpace())) << "  " << std::flush;
            }
        }
        worker.Post(engine::CloseRecordingFile{});
        worker.Post(engine::EndRecording{});
        session.WaitIdle(kWorkerWait);
    }
    if (meter)
        in.Out() << "\n";
    session.Finish();

    const int64_t recorded = std::max<int64_t>(0, FileSize(take) - kWaveHeaderBytes);
    Error error;
    if (!CopyFileDurably(take, output, &error))
        return in.Failed("cannot save the recording: " + error.message);
    char summary[96];
    std::snprintf(summary, sizeof summary, "%.3f s recorded (%lld bytes)", double(recorded) / kBytesPerSecond,
                  static_cast<long long>(recorded));
    in.Out() << output << ": " << summary << "\n";
    if (recorded < wanted && !InterruptGuard::Interrupted())
        in.Err() << "brickmelody-cli: the input delivered only " << recorded / kBytesPerSecond << " of " << seconds
                 << " seconds\n";
    return kExitOk;
}

Registrar record{{"record", "OUT.wav --seconds N [--monitor]",
                  "Records N seconds from the sound card's input into a wave file.", RunRecord}};

} // namespace

} // namespace bm::cli
