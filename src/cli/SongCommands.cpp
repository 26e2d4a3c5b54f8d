// Song file commands: show what a song holds as read against the program
// folder's library, write it again (plain or as the document), and re-time a
// whole song as the tempo command does.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "app/OptionsFile.h"
#include "core/Paths.h"
#include "library/LibraryReader.h"
#include "song/SongModel.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "song/TempoChange.h"

#include <ostream>

namespace bm::cli {

namespace {

// What a song is read against: the program folder's library and sample
// folder list, as the program itself would have them.
struct SongSetting {
    SampleLibrary library;
    std::vector<std::string> folders;
    std::string programFolder;
};

SongSetting LoadSetting(const std::string& programFolder)
{
    SongSetting setting;
    setting.programFolder = AsFolder(programFolder);
    app::OptionsFile options;
    FolderList folders;
    app::ReadOptionsFile(setting.programFolder, options, folders, app::ProbeMachine(), app::FolderCreation::Skip);
    setting.folders = folders.Snapshot();
    // A missing catalogue is an empty library, as for the program. No chord
    // folders are created: these commands only read it.
    ReadLibraryFile(setting.programFolder + "library.dat", setting.library, std::string());
    return setting;
}

bool ReadSongFile(Invocation& in, const SongSetting& setting, const std::string& path, Song& song, int& exitCode)
{
    SongReader reader(setting.library, setting.folders, setting.programFolder);
    Error error;
    if (!reader.ReadSong(path, song, &error)) {
        exitCode = in.Failed("cannot read " + path + ": " + error.message);
        return false;
    }
    return true;
}

double BeatsPerMinute(const Song& song)
{
    return 21168000.0 / (double(song.samplesPerMeasure) * double(song.measuresPerBar));
}

void WriteEnvelopes(JsonWriter& j, const Song& song, int kind)
{
    j.BeginArray();
    for (int c = 0; c < kChannels; ++c) {
        j.BeginArray();
        for (const EnvelopePoint& p : song.envelopes[size_t(c)][size_t(kind)]) {
            j.BeginArray();
            j.Number(int64_t(p.position));
            j.Number(int64_t(p.value));
            j.Number(int64_t(p.selected));
            j.EndArray();
        }
        j.EndArray();
    }
    j.EndArray();
}

int RunSongInfo(Invocation& in)
{
    if (!in.Expect(1, 1, {}, {}))
        return kExitUsage;
    const SongSetting setting = LoadSetting(in.ProgramFolder());
    Song song;
    int exitCode = kExitOk;
    if (!ReadSongFile(in, setting, in.Arg(0), song, exitCode))
        return exitCode;

    int64_t slots = 0;
    int64_t unresolved = 0;
    for (const Measure& measure : song.measures) {
        for (const ChannelSlot& slot : measure.slots) {
            if (slot.IsEmpty())
                continue;
            ++slots;
            if (SlotSample(setting.library, slot) == nullptr)
                ++unresolved;
        }
    }

    if (!in.Json()) {
        std::ostream& out = in.Out();
        out << "version            " << kSongVersion << '\n'
            << "measures           " << song.measures.size() << '\n'
            << "samples/measure    " << song.samplesPerMeasure << '\n'
            << "measures/bar       " << song.measuresPerBar << '\n'
            << "bpm                " << BeatsPerMinute(song) << '\n'
            << "path               " << song.path << '\n'
            << "channels           ";
        for (int c = 0; c < kChannels; ++c)
            out << (c ? " " : "") << song.channelVolume[size_t(c)] << (song.channelOn[size_t(c)] ? "" : "(off)");
        out << '\n'
            << "regions            " << song.regions.size() << '\n'
            << "slots              " << slots << " (" << unresolved << " without a sample)\n";
        return kExitOk;
    }

    JsonWriter j;
    j.BeginObject();
    j.Field("version", kSongVersion);
    j.Field("measures", static_cast<int64_t>(song.measures.size()));
    j.Field("samples_per_measure", song.samplesPerMeasure);
    j.Field("measures_per_bar", song.measuresPerBar);
    j.Field("bpm", BeatsPerMinute(song));
    j.Field("path", song.path);
    j.Key("channels");
    j.BeginArray();
    for (int c = 0; c < kChannels; ++c) {
        j.BeginObject();
        j.Field("volume", song.channelVolume[size_t(c)]);
        j.Field("on", song.channelOn[size_t(c)]);
        j.EndObject();
    }
    j.EndArray();
    j.Key("regions");
    j.BeginArray();
    for (const Region& region : song.regions) {
        j.BeginObject();
        j.Field("start", region.start);
        j.Field("end", region.end);
        j.Field("on", region.on);
        j.EndObject();
    }
    j.EndArray();
    j.Key("envelopes");
    j.BeginObject();
    j.Key("volume");
    WriteEnvelopes(j, song, kVolumeEnvelope);
    j.Key("pan");
    WriteEnvelopes(j, song, kPanEnvelope);
    j.EndObject();
    j.Key("slots");
    j.BeginArray();
    for (size_t m = 0; m < song.measures.size(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            const ChannelSlot& slot = song.measures[m].slots[size_t(c)];
            if (slot.IsEmpty())
                continue;
            const SampleDescriptor* sample = SlotSample(setting.library, slot);
            j.BeginObject();
            j.Field("measure", static_cast<int64_t>(m));
            j.Field("channel", c);
            j.Key("ref");
            j.BeginArray();
            for (int32_t word : slot.ref.words)
                j.Number(int64_t(word));
            j.EndArray();
            j.Field("selected", slot.selected);
            j.Field("start", slot.start);
            j.Field("reverse", slot.reverse);
            j.Field("resolved", sample != nullptr);
            j.Field("sample", sample ? sample->path : std::string());
            j.EndObject();
        }
    }
    j.EndArray();
    j.EndObject();
    in.Out() << j.Text() << '\n';
    return kExitOk;
}

int RunSongResave(Invocation& in)
{
    if (!in.Expect(2, 2, {"as-document"}, {}))
        return kExitUsage;
    const SongSetting setting = LoadSetting(in.ProgramFolder());
    Song song;
    int exitCode = kExitOk;
    if (!ReadSongFile(in, setting, in.Arg(0), song, exitCode))
        return exitCode;
    SongWriter writer(setting.library, setting.folders, setting.programFolder);
    Error error;
    const SongWriteMode mode = in.Flag("as-document") ? SongWriteMode::AsDocument : SongWriteMode::Plain;
    if (!writer.Write(song, in.Arg(1), mode, &error))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);
    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("measures", static_cast<int64_t>(song.measures.size()));
        j.Field("path", in.Arg(1));
        j.EndObject();
        in.Out() << j.Text() << '\n';
    }
    return kExitOk;
}

int RunSongRetime(Invocation& in)
{
    if (!in.Expect(2, 2, {}, {"samples-per-measure", "measures-per-bar", "mode"}))
        return kExitUsage;
    for (const char* name : {"samples-per-measure", "measures-per-bar", "mode"}) {
        if (!in.Value(name))
            return in.Usage(std::string("--") + name + " is required");
    }
    int64_t samplesPerMeasure = 0;
    int64_t measuresPerBar = 0;
    int64_t mode = 0;
    if (!in.IntValue("samples-per-measure", 1, 0x7FFFFFFF, samplesPerMeasure) ||
        !in.IntValue("measures-per-bar", 1, 0x7FFFFFFF, measuresPerBar) || !in.IntValue("mode", 0, 2, mode))
        return kExitUsage;

    const SongSetting setting = LoadSetting(in.ProgramFolder());
    Song song;
    int exitCode = kExitOk;
    if (!ReadSongFile(in, setting, in.Arg(0), song, exitCode))
        return exitCode;
    RetimeRequest request;
    request.toSamplesPerMeasure = static_cast<int32_t>(samplesPerMeasure);
    request.toMeasuresPerBar = static_cast<int32_t>(measuresPerBar);
    request.mode = static_cast<RetimeMode>(mode);
    const SongRetimeResult result = RetimeSong(song, request, setting.library, nullptr);

    SongWriter writer(setting.library, setting.folders, setting.programFolder);
    Error error;
    if (!writer.Write(song, in.Arg(1), SongWriteMode::Plain, &error))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);
    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("bits", result.bits);
        j.Field("overwrote", (result.bits & kRetimeOverwrote) != 0);
        j.Field("dropped", (result.bits & kRetimeDropped) != 0);
        j.Field("old_measures", result.oldMeasures);
        j.Field("new_measures", result.newMeasures);
        j.EndObject();
        in.Out() << j.Text() << '\n';
    } else {
        in.Out() << result.bits << '\n';
    }
    return kExitOk;
}

Registrar songInfo{{"song info", "SONG [--json]",
                    "Shows what a song file holds, read against the program folder's library.", RunSongInfo}};
Registrar songResave{{"song resave", "IN OUT [--as-document] [--json]",
                      "Reads a song file and writes it again.", RunSongResave}};
Registrar songRetime{{"song retime",
                      "IN OUT --samples-per-measure S --measures-per-bar B --mode 0|1|2 [--json]",
                      "Re-times a whole song (0 stretch, 1 fit bars, 2 keep time); prints the result bits.",
                      RunSongRetime}};

} // namespace

} // namespace bm::cli
