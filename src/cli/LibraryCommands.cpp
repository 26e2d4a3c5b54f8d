// library show | resolve: the program folder's sample library from the
// command line.

#include "cli/LibraryCommands.h"

#include "cli/Cli.h"
#include "cli/Json.h"

#include "app/OptionsFile.h"
#include "core/Paths.h"
#include "library/LibraryReader.h"
#include "library/SampleResolver.h"

#include <ostream>

namespace bm::cli {

Installation LoadInstallation(const std::string& programFolder, InstallationUse use)
{
    Installation setting;
    const std::string program = AsFolder(programFolder);
    app::OptionsFile options;
    // The program reads the options after setting the temporary folder to the
    // program folder; a short file leaves it there.
    options.temporaryFolder = program;
    FolderList folders;
    app::ReadOptionsFile(program, options, folders, app::ProbeMachine(),
                         use == InstallationUse::Change ? app::FolderCreation::Create : app::FolderCreation::Skip);
    setting.folders.programFolder = program;
    setting.folders.temporaryFolder =
        AsFolder(NormaliseSeparators(options.temporaryFolder.empty() ? program + "TEMP/" : options.temporaryFolder));
    setting.folders.userFolder =
        AsFolder(NormaliseSeparators(options.userFolder.empty() ? program + "USERDATA/" : options.userFolder));
    setting.folders.sampleFolders = folders.Snapshot();
    setting.libraryPath = program + "library.dat";
    // A missing catalogue is an empty library, as for the program.
    setting.libraryFound = ReadLibraryFile(setting.libraryPath, setting.library,
                                           use == InstallationUse::Change ? setting.folders.userFolder : std::string());
    return setting;
}

namespace {

struct Counts {
    int64_t entries = 0; // entries that hold a sample
    int64_t samples = 0;
};

Counts CountChord(const LibraryChord& chord)
{
    Counts counts;
    for (const auto& entry : chord.entries) {
        if (!entry.IsEmpty())
            ++counts.entries;
        for (const auto& variant : entry.variants)
            counts.samples += variant.IsEmpty() ? 0 : 1;
    }
    return counts;
}

template <typename List, typename Fn>
int64_t SumSamples(const List& list, Fn&& count)
{
    int64_t sum = 0;
    for (const auto& item : list)
        sum += count(item);
    return sum;
}

int64_t PartSamples(const LibraryPart& part)
{
    return SumSamples(part.chords, [](const LibraryChord& c) { return CountChord(c).samples; });
}
int64_t GroupSamples(const LibraryGroup& group) { return SumSamples(group.parts, PartSamples); }
int64_t StyleSamples(const LibraryStyle& style) { return SumSamples(style.groups, GroupSamples); }

void ShowJson(Invocation& in, const Installation& setting)
{
    const SampleLibrary& library = setting.library;
    JsonWriter json;
    json.BeginObject();
    json.Field("library", setting.libraryPath);
    json.Field("found", setting.libraryFound);
    json.Field("samples", SumSamples(library.styles, StyleSamples));
    json.Key("selection");
    json.BeginObject();
    json.Field("style", library.selection.style);
    json.Field("group", library.selection.group);
    json.Field("part", library.selection.part);
    json.Field("chord", library.selection.chord);
    json.Field("position", library.selection.position);
    json.EndObject();
    json.Key("styles");
    json.BeginArray();
    for (const auto& style : library.styles) {
        json.BeginObject();
        json.Field("name", style.name);
        json.Field("first_text", style.firstText);
        json.Field("value_a", style.valueA);
        json.Field("value_b", style.valueB);
        json.Field("selected_group", style.selectedGroup);
        json.Field("samples", StyleSamples(style));
        json.Key("groups");
        json.BeginArray();
        for (const auto& group : style.groups) {
            json.BeginObject();
            json.Field("name", group.name);
            json.Field("first_text", group.firstText);
            json.Key("colours");
            json.BeginArray();
            for (uint32_t colour : group.colours)
                json.Number(static_cast<int64_t>(colour));
            json.EndArray();
            json.Field("selected_part", group.selectedPart);
            json.Field("samples", GroupSamples(group));
            json.Key("parts");
            json.BeginArray();
            for (const auto& part : group.parts) {
                json.BeginObject();
                json.Field("name", part.name);
                json.Field("first_text", part.firstText);
                json.Field("factory", part.factory != 0);
                json.Field("display_value", part.displayValue);
                json.Field("selected_chord", part.selectedChord);
                json.Field("samples", PartSamples(part));
                json.Key("chords");
                json.BeginArray();
                for (const auto& chord : part.chords) {
                    const Counts counts = CountChord(chord);
                    json.BeginObject();
                    json.Field("name", chord.name);
                    json.Field("first_text", chord.firstText);
                    json.Field("folder", chord.folder);
                    json.Field("display_value", chord.displayValue);
                    json.Field("stored_position", chord.storedPosition);
                    json.Field("entries", counts.entries);
                    json.Field("samples", counts.samples);
                    json.EndObject();
                }
                json.EndArray();
                json.EndObject();
            }
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    in.Out() << json.Text() << '\n';
}

void ShowText(Invocation& in, const Installation& setting)
{
    const SampleLibrary& library = setting.library;
    std::ostream& out = in.Out();
    out << "library: " << setting.libraryPath << (setting.libraryFound ? "" : " (missing: the library is empty)")
        << "\n" << library.styles.size() << " styles, " << SumSamples(library.styles, StyleSamples) << " samples\n";
    for (size_t s = 0; s < library.styles.size(); ++s) {
        const auto& style = library.styles[s];
        out << "style " << s << " \"" << style.name << "\": " << style.groups.size() << " groups, "
            << StyleSamples(style) << " samples\n";
        for (size_t g = 0; g < style.groups.size(); ++g) {
            const auto& group = style.groups[g];
            out << "  group " << g << " \"" << group.name << "\": " << group.parts.size() << " parts, "
                << GroupSamples(group) << " samples\n";
            for (size_t p = 0; p < group.parts.size(); ++p) {
                const auto& part = group.parts[p];
                out << "    part " << p << " \"" << part.name << "\"" << (part.factory ? " (factory)" : "") << ": "
                    << part.chords.size() << " chords, " << PartSamples(part) << " samples\n";
                for (size_t c = 0; c < part.chords.size(); ++c) {
                    const auto& chord = part.chords[c];
                    const Counts counts = CountChord(chord);
                    out << "      chord " << c << " \"" << chord.name << "\" in \"" << chord.folder
                        << "\": " << counts.entries << " entries, " << counts.samples << " samples\n";
                }
            }
        }
    }
}

int RunLibraryShow(Invocation& in)
{
    if (!in.Expect(0, 0, {}, {}))
        return kExitUsage;
    const Installation setting = LoadInstallation(in.ProgramFolder(), InstallationUse::Look);
    if (in.Json())
        ShowJson(in, setting);
    else
        ShowText(in, setting);
    return kExitOk;
}

int RunLibraryResolve(Invocation& in)
{
    if (!in.Expect(8, 8, {"no-fuzzy"}, {}))
        return kExitUsage;
    const Installation setting = LoadInstallation(in.ProgramFolder(), InstallationUse::Look);
    const SlotTexts texts{in.Arg(0), in.Arg(1), in.Arg(2), in.Arg(3), in.Arg(4), in.Arg(5), in.Arg(6), in.Arg(7)};
    SampleResolver resolver(setting.library, setting.folders.sampleFolders, setting.folders.programFolder);
    const Resolution found =
        resolver.Resolve(texts, in.Flag("no-fuzzy") ? FuzzySearch::Disabled : FuzzySearch::Allowed);
    const SampleDescriptor* sample = found.score > 0 ? setting.library.Find(found.ref) : nullptr;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Key("ref");
        json.BeginArray();
        for (int32_t word : found.ref.words)
            json.Number(static_cast<int64_t>(word));
        json.EndArray();
        json.Field("score", found.score);
        json.Field("sample", sample ? sample->path : std::string());
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    for (int32_t word : found.ref.words)
        in.Out() << word << ' ';
    in.Out() << "score " << found.score;
    if (sample)
        in.Out() << ' ' << sample->path;
    in.Out() << '\n';
    return kExitOk;
}

const Registrar kLibraryShow{{"library show", "[--json]",
                              "Shows the program folder's sample library: its tree with sample counts.",
                              RunLibraryShow}};
const Registrar kLibraryResolve{
    {"library resolve", "STYLE GROUP PART CHORD FIRST SECOND PATH FOURTH [--no-fuzzy] [--json]",
     "Finds the library sample that a song's slot texts name, with its score (120: every text matched).",
     RunLibraryResolve}};

} // namespace

} // namespace bm::cli
