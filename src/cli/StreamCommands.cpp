// Sample streams as the engine opens them, pitched copies, the import size
// estimate and the disk cache of converted samples, against the program
// folder's settings (options file, sample folder list, library.dat).

#include "cli/Cli.h"
#include "cli/Json.h"
#include "cli/LibraryCommands.h"

#include "app/OptionsFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "engine/SongSampleRenderPath.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/stream/PitchedCopy.h"
#include "engine/stream/SampleStream.h"

#include <filesystem>
#include <memory>
#include <ostream>

namespace bm::cli {

namespace {

using namespace bm::stream;

struct StreamSetup {
    Installation installation;
    FolderList folders;
    CatalogueView catalogue;
    std::unique_ptr<SampleCache> cache;
    std::unique_ptr<engine::SongSampleRenderPath> songs; // songs used as samples
    StreamEnvironment env;
    int64_t barSpan = 0;
};

// Commands that fill the disk cache make the temporary folder, as the
// program does at start; the others only look.
enum class TemporaryFolder { Create, Leave };

std::unique_ptr<StreamSetup> LoadSetup(const std::string& programFolder,
                                       TemporaryFolder temporary = TemporaryFolder::Leave)
{
    auto setup = std::make_unique<StreamSetup>();
    setup->installation = LoadInstallation(programFolder, InstallationUse::Look);
    app::OptionsFile options;
    options.temporaryFolder = AsFolder(programFolder);
    FolderList ignored;
    app::ReadOptionsFile(AsFolder(programFolder), options, ignored, app::ProbeMachine(), app::FolderCreation::Skip);
    if (temporary == TemporaryFolder::Create) {
        std::error_code ec;
        std::filesystem::create_directories(setup->installation.folders.temporaryFolder, ec);
    }
    setup->folders.Assign(setup->installation.folders.sampleFolders);
    setup->catalogue.Publish(setup->installation.library);
    setup->cache = std::make_unique<SampleCache>(setup->installation.folders.temporaryFolder, options.diskCacheMegabytes);
    const int64_t m = options.samplesPerMeasure > 0 ? options.samplesPerMeasure : kDefaultSamplesPerMeasure;
    const int64_t d = options.measuresPerBar > 0 ? options.measuresPerBar : kDefaultMeasuresPerBar;
    setup->barSpan = m * d;
    setup->env = {&setup->folders, &setup->catalogue, setup->cache.get(), nullptr, nullptr};
    setup->songs = std::make_unique<engine::SongSampleRenderPath>(
        engine::SongSampleSettings{setup->env, AsFolder(programFolder), nullptr});
    setup->env.songs = setup->songs.get();
    return setup;
}

// A file named on the command line that exists as given is used by its full
// path; anything else is looked up as a stored sample path.
std::string SamplePathArg(const std::string& arg) { return FileExists(arg) ? MakeAbsolute(arg) : arg; }

bool ParseRef(Invocation& in, SampleRef& key)
{
    const auto text = in.Value("ref");
    if (!text)
        return true;
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma; (comma = text->find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text->substr(start, comma - start));
    parts.push_back(text->substr(start));
    if (parts.size() != 6) {
        in.Usage("--ref takes six comma-separated numbers");
        return false;
    }
    for (size_t i = 0; i < 6; ++i)
        key.words[i] = ParseDecimal(parts[i]);
    return true;
}

const char* OutcomeText(OpenOutcome outcome)
{
    switch (outcome) {
    case OpenOutcome::Memory: return "memory";
    case OpenOutcome::Direct: return "direct (no cache)";
    case OpenOutcome::CacheReused: return "cache used";
    case OpenOutcome::CacheFilled: return "cache filled";
    case OpenOutcome::Converted: return "converted (not cached)";
    case OpenOutcome::Song: return "song";
    case OpenOutcome::Written: return "written";
    case OpenOutcome::None: break;
    }
    return "none";
}

bool WriteCanonical(Invocation& in, const std::string& path, const std::vector<int16_t>& samples)
{
    Error error;
    if (!WriteWavFile(path, samples, 2, 44100, &error, ReplaceMode::Unflushed)) {
        in.Failed("cannot write " + path + ": " + error.message);
        return false;
    }
    return true;
}

int RunStreamRead(Invocation& in)
{
    if (!in.Expect(2, 2, {"json"}, {"span", "ref"}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    auto setup = LoadSetup(in.ProgramFolder(), TemporaryFolder::Create);
    int64_t span = setup->barSpan;
    if (in.Value("span") && !in.IntValue("span", 0, int64_t(1) << 30, span))
        return kExitUsage;
    SampleRef key;
    if (!ParseRef(in, key))
        return kExitUsage;
    SampleStream stream(setup->env);
    Error error;
    if (!stream.OpenRead(SamplePathArg(in.Arg(0)), span, key, &error))
        return in.Failed(error.message);
    const int64_t length = stream.Length();
    if (length > (int64_t(1) << 31))
        return in.Failed("stream too long to write whole");
    std::vector<int16_t> all(size_t(length / 2));
    const int64_t got = stream.Read(all.data(), length);
    all.resize(size_t(got / 2));
    if (!WriteCanonical(in, in.Arg(1), all))
        return kExitFailed;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("file", stream.FilePath());
        json.Field("outcome", OutcomeText(stream.Outcome()));
        json.Field("span", span);
        json.Field("bytes", got);
        json.EndObject();
        in.Out() << json.Text() << "\n";
    } else {
        in.Out() << OutcomeText(stream.Outcome()) << ": " << stream.FilePath() << "\n"
                 << got << " bytes at span " << span << "\n";
    }
    return kExitOk;
}

bool ParseEnvelope(Invocation& in, engine::EnvelopeNodes& nodes)
{
    const std::string text = in.Value("envelope").value_or("");
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string point = text.substr(start, comma - start);
        const size_t colon = point.find(':');
        if (colon == std::string::npos) {
            in.Usage("--envelope takes POSITION:VALUE pairs separated by commas");
            return false;
        }
        nodes.push_back({ParseDecimal(point.substr(0, colon)),
                         std::clamp(ParseDecimal(point.substr(colon + 1)), -32768, 32767)});
        start = comma + 1;
    }
    return true;
}

int RunStreamPan(Invocation& in)
{
    if (!in.Expect(2, 2, {"reverse"}, {"at", "envelope", "frames"}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    auto setup = LoadSetup(in.ProgramFolder());
    int64_t at = 0;
    if (in.Value("at") && !in.IntValue("at", 0, int64_t(1) << 31, at))
        return kExitUsage;
    engine::EnvelopeNodes pan;
    if (!ParseEnvelope(in, pan))
        return kExitUsage;
    SampleStream stream(setup->env);
    Error error;
    if (!stream.OpenRead(SamplePathArg(in.Arg(0)), setup->barSpan, SampleRef::Empty(), &error))
        return in.Failed(error.message);
    int64_t frames = stream.Length() / 4;
    if (in.Value("frames") && !in.IntValue("frames", 0, int64_t(1) << 28, frames))
        return kExitUsage;
    if (frames > (int64_t(1) << 28))
        return in.Failed("stream too long");
    std::vector<int16_t> out(size_t(frames) * 2);
    stream.ReadWithPanDelay(out.data(), frames * 4, at, 0, pan, in.Flag("reverse"));
    if (!WriteCanonical(in, in.Arg(1), out))
        return kExitFailed;
    in.Out() << frames << " frames\n";
    return kExitOk;
}

int RunPitchCopy(Invocation& in)
{
    if (!in.Expect(2, 2, {}, {"semitones", "ref", "span"}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    auto setup = LoadSetup(in.ProgramFolder(), TemporaryFolder::Create);
    double semitones = 0;
    if (!in.Value("semitones"))
        return in.Usage("--semitones is required");
    if (!in.DoubleValue("semitones", semitones))
        return kExitUsage;
    int64_t span = setup->barSpan;
    if (in.Value("span") && !in.IntValue("span", 1, int64_t(1) << 30, span))
        return kExitUsage;
    SampleRef key;
    if (!ParseRef(in, key))
        return kExitUsage;
    SampleDescriptor descriptor;
    if (auto found = setup->catalogue.Find(key))
        descriptor = *found;
    else if (!key.IsEmpty())
        return in.Failed("--ref names no sample in library.dat");
    descriptor.path = SamplePathArg(in.Arg(0));
    Error error;
    if (!MakePitchedCopy(descriptor, key, semitones, span, in.Arg(1), setup->env, &error))
        return in.Failed(error.message);
    in.Out() << "wrote " << in.Arg(1) << "\n";
    return kExitOk;
}

int RunAudioEstimate(Invocation& in)
{
    if (!in.Expect(1, 1, {"json"}, {}))
        return kExitUsage;
    auto setup = LoadSetup(in.ProgramFolder());
    const int64_t bytes = EstimateImportBytes(SamplePathArg(in.Arg(0)), setup->env);
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("bytes", bytes);
        json.EndObject();
        in.Out() << json.Text() << "\n";
    } else {
        in.Out() << bytes << "\n";
    }
    return kExitOk;
}

int RunCacheList(Invocation& in)
{
    if (!in.Expect(0, 0, {"json"}, {}))
        return kExitUsage;
    auto setup = LoadSetup(in.ProgramFolder());
    const auto files = setup->cache->List();
    int64_t total = 0;
    for (const auto& f : files)
        total += f.sizeKb;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("folder", setup->cache->Folder());
        json.Field("limit_megabytes", setup->cache->LimitMegabytes());
        json.Field("total_kb", total);
        json.Key("files");
        json.BeginArray();
        for (const auto& f : files) {
            json.BeginObject();
            json.Field("name", f.name);
            json.Field("size_kb", f.sizeKb);
            json.Field("write_time_ns", f.writeTime);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << "\n";
    } else {
        for (const auto& f : files)
            in.Out() << f.sizeKb << " KB  " << f.name << "\n";
        in.Out() << files.size() << " files, " << total << " KB in " << setup->cache->Folder() << " (limit "
                 << setup->cache->LimitMegabytes() << " MB)\n";
    }
    return kExitOk;
}

int RunCacheFlush(Invocation& in)
{
    if (!in.Expect(0, 0, {}, {}))
        return kExitUsage;
    auto setup = LoadSetup(in.ProgramFolder());
    setup->cache->MakeRoom(SampleCache::kFlushAll);
    in.Out() << setup->cache->List().size() << " files left\n";
    return kExitOk;
}

int RunCacheMakeRoom(Invocation& in)
{
    if (!in.Expect(1, 1, {}, {}))
        return kExitUsage;
    auto setup = LoadSetup(in.ProgramFolder());
    const int64_t bytes = ParseDecimal64(in.Arg(0));
    if (bytes < 0)
        return in.Usage("BYTES must not be negative");
    if (!setup->cache->MakeRoom(bytes))
        return in.Failed("no room for " + std::to_string(bytes) + " bytes in the sample cache");
    in.Out() << "room for " << bytes << " bytes\n";
    return kExitOk;
}

const Registrar kStreamRead{{"stream read", "FILE OUT.wav [--span FRAMES] [--ref S,G,P,C,V,E] [--json]",
                             "Reads a sample as the engine would (loop, taps, envelope) into a canonical WAV.",
                             RunStreamRead}};
const Registrar kStreamPan{{"stream pan", "FILE OUT.wav --at SONG_FRAME --envelope P:V,... [--reverse] [--frames N]",
                            "Reads a sample through the pan delay.", RunStreamPan}};
const Registrar kPitchCopy{{"pitch-copy", "FILE OUT.wav --semitones S [--ref S,G,P,C,V,E] [--span FRAMES]",
                            "Writes a pitched copy of a sample.", RunPitchCopy}};
const Registrar kAudioEstimate{{"audio estimate", "FILE [--json]",
                                "Canonical bytes a file takes once imported.", RunAudioEstimate}};
const Registrar kCacheList{{"cache list", "[--json]", "Lists the sample cache files.", RunCacheList}};
const Registrar kCacheFlush{{"cache flush", "", "Deletes every sample cache file.", RunCacheFlush}};
const Registrar kCacheMakeRoom{{"cache make-room", "BYTES", "Makes room in the sample cache.", RunCacheMakeRoom}};

} // namespace

} // namespace bm::cli
