// render: a song exported to a wave file by the real engine worker, as the
// export dialog's job has it exported: the whole song or its active
// regions, normalised to a peak level, optionally faded in and out. The
// worker runs with a virtual output device, so no sound card is needed. On
// a terminal the scan and write progress are shown on one line; Ctrl-C
// cancels the export (the target is left as it was).

#include "cli/Cli.h"
#include "cli/InterruptGuard.h"
#include "cli/EngineSession.h"
#include "cli/Json.h"

#include "core/Paths.h"
#include "engine/ExportAudio.h"
#include "engine/device/VirtualWaveOut.h"
#include "song/ExportRange.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <ostream>

namespace bm::cli {

namespace {

namespace msg = platform::msg;

// The receiver named in the job; the session's port gets every message.
constexpr engine::ExportReceiver kReceiver = 1;
// The export dialog's level range: 10 % ... 1000 %, -20 ... +20 dB.
constexpr int64_t kMinLevel = 100;
constexpr int64_t kMaxLevel = 10000;
constexpr double kMaxDecibels = 20.0;
// The dialog's decibel ratio.
constexpr double kDecibelRatio = 1.122022;

// The level in thousandths as the dialog's percentage field gives it for
// g decibels: 1.122022 to the power g, in hundredths of a percent
// (truncated), then in thousandths.
int64_t LevelFromDecibels(double g) { return int64_t(std::trunc(10000.0 * std::pow(kDecibelRatio, g))) / 10; }

// A whole number with its digits in groups of three: 27 429.
std::string Grouped(int64_t value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, " ");
    return value < 0 ? "-" + digits : digits;
}

std::string WithWaveExtension(const std::string& path)
{
    const std::string name = FileNamePart(path);
    return name.find('.') == std::string::npos ? path + ".wav" : path;
}

int RunRender(Invocation& in)
{
    if (!in.Expect(2, 2, {"regions-only", "fade-in", "fade-out", "json"}, {"level", "level-db"}))
        return kExitUsage;
    if (in.Value("level") && in.Value("level-db"))
        return in.Usage("give --level or --level-db, not both");
    int64_t level = 1000;
    if (in.Value("level") && !in.IntValue("level", kMinLevel, kMaxLevel, level))
        return kExitUsage;
    if (in.Value("level-db")) {
        double g = 0;
        if (!in.DoubleValue("level-db", g))
            return kExitUsage;
        if (!(g >= -kMaxDecibels && g <= kMaxDecibels))
            return in.Usage("--level-db must lie in -20 ... 20");
        level = LevelFromDecibels(g);
    }
    const std::string target = WithWaveExtension(in.Arg(1));
    const std::string folder = FolderPart(target);
    if (!folder.empty() && !FolderExists(folder))
        return in.Failed("cannot create " + target + ": there is no folder " + folder);
    if (in.ReplacesInput(in.Arg(0), target))
        return kExitFailed;

    std::mutex deviceLock;
    device::VirtualWaveOut output(deviceLock);
    EngineSession session(in.ProgramFolder(), output, nullptr);
    Song song;
    if (const int failed = ReadCommandSong(in, session, song); failed != kExitOk)
        return failed;
    const ExportRange range =
        MakeExportRange(song, in.Flag("regions-only") ? ExportScope::ActiveRegions : ExportScope::WholeSong);
    if (range.count <= 0)
        return in.Failed(in.Arg(0) + " has no region that is on");

    // The samples are loaded into the engine's memory first, as they are
    // before the user can open the export dialog.
    session.WaitIdle(std::chrono::minutes(10));

    engine::ExportJob job;
    job.receiver = kReceiver;
    job.outputPath = target;
    job.fadeIn = in.Flag("fade-in") ? 1 : 0;
    job.fadeOut = in.Flag("fade-out") ? 1 : 0;
    job.level = int32_t(level);
    job.firstMeasure = range.firstMeasure;
    job.count = range.count;
    job.jumps = range.jumps;

    InterruptGuard guard; // Ctrl-C cancels the export
    session.Worker().Post(engine::StartExport{std::move(job)});
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    int64_t scan = 0;
    int64_t write = 0;
    int64_t outcome = 0;
    bool cancelSent = false;
    engine::ExportSummary summary;
    auto shown = std::chrono::steady_clock::time_point{};
    while (outcome == 0) {
        if (InterruptGuard::Interrupted() && !cancelSent) {
            session.Worker().Post(engine::CancelExport{});
            cancelSent = true;
        }
        auto message = session.NextMessage(std::chrono::milliseconds(100));
        if (!message || message->number != msg::kExportProgress || message->receiver != kReceiver)
            continue;
        switch (message->wParam) {
        case 1:
            scan = message->lParam;
            break;
        case 2:
            write = message->lParam;
            break;
        default:
            outcome = message->wParam;
            if (const auto* text = std::get_if<std::string>(&message->payload))
                summary = engine::ParseExportSummary(*text).value_or(engine::ExportSummary{});
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (terminal && (now - shown >= std::chrono::milliseconds(100) || outcome != 0)) {
            shown = now;
            char line[64];
            std::snprintf(line, sizeof line, "\rscan %5.1f %%   write %5.1f %%", double(scan) / 10, double(write) / 10);
            in.Out() << line << std::flush;
        }
    }
    if (terminal)
        in.Out() << "\n";
    session.Finish();
    if (outcome == 4)
        return in.Failed("the export was cancelled; " + target + " was left as it was");
    if (outcome != 5)
        return in.Failed("the export to " + target + " failed (the file could not be written)");

    const double seconds = double(summary.frames) / 44100.0;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("measures", summary.measures);
        json.Field("frames", summary.frames);
        json.Field("peak", summary.peak);
        json.Field("gain", summary.gain);
        json.Field("written_peak", summary.writtenPeak);
        json.Field("seconds", seconds);
        json.EndObject();
        in.Out() << json.Text() << "\n";
    } else {
        // Three different numbers, each named: the loudest measure at unit
        // gain (what the gain is computed from), the gain in thousandths, and
        // the loudest sample of the file as written, fades applied.
        char line[192];
        std::snprintf(line, sizeof line, "%s measures, %s frames (%.1f s); loudest measure before normalising %s; "
                                         "gain %lld.%03lld; written peak %s\n",
                      Grouped(summary.measures).c_str(), Grouped(summary.frames).c_str(), seconds,
                      Grouped(summary.peak).c_str(), static_cast<long long>(summary.gain / 1000),
                      static_cast<long long>(summary.gain % 1000), Grouped(summary.writtenPeak).c_str());
        in.Out() << "wrote " << target << ": " << line;
    }
    return kExitOk;
}

Registrar render{{"render",
                  "SONG OUT.wav [--regions-only] [--level 100-10000 | --level-db -20..20] [--fade-in] [--fade-out] "
                  "[--json]",
                  "Exports a song (or its active regions) to a normalised wave file, as the export dialog does.",
                  RunRender}};

} // namespace

} // namespace bm::cli
