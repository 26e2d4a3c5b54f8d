// pack | unpack: song packages (".wcp") from the command line, against the
// program folder's library. The questions the program asks a person while
// unpacking are answered from flags: --replace-all or --keep-all for samples
// the library already has (keep when neither is given), and every new sample
// is accepted as the package describes it.

#include "cli/Cli.h"
#include "cli/Json.h"
#include "cli/LibraryCommands.h"

#include "core/Text.h"
#include "library/LibraryWriter.h"
#include "song/PackageReader.h"
#include "song/PackageWriter.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "ui/skin/ResourceArchive.h"

#include <ostream>

namespace bm::cli {

namespace {

void RefJson(JsonWriter& json, const SampleRef& ref)
{
    json.BeginArray();
    for (int32_t word : ref.words)
        json.Number(static_cast<int64_t>(word));
    json.EndArray();
}

int RunPack(Invocation& in)
{
    if (!in.Expect(2, 2, {}, {}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    const Installation setting = LoadInstallation(in.ProgramFolder(), InstallationUse::Look);
    Song song;
    Error error;
    SongReader reader(setting.library, setting.folders.sampleFolders, setting.folders.programFolder);
    if (!reader.ReadSong(in.Arg(0), song, &error))
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);
    PackageWriter writer(setting.library, setting.folders);
    if (!writer.Write(song, in.Arg(1), &error))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);

    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("package", in.Arg(1));
        json.Key("samples");
        json.BeginArray();
        for (size_t i = 0; i < writer.Packed().size(); ++i) {
            const SampleRef& ref = writer.Packed()[i];
            json.BeginObject();
            json.Field("entry", std::to_string(i) + ".smp");
            json.Key("ref");
            RefJson(json, ref);
            json.Field("sample", setting.library.Find(ref)->path);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    for (size_t i = 0; i < writer.Packed().size(); ++i)
        in.Out() << i << ".smp\t" << setting.library.Find(writer.Packed()[i])->path << '\n';
    in.Out() << "packed " << writer.Packed().size() << " samples into " << in.Arg(1) << '\n';
    return kExitOk;
}

// Answers from the command line's flags; keeps what the person would have
// been told.
class FlagQuestions : public PackageQuestions {
public:
    explicit FlagQuestions(std::optional<ReplaceAnswer> forAll) : m_forAll(forAll) {}

    ReplaceChoice AskReplace(const PackageSample& sample, const std::string& localFile) override
    {
        if (m_forAll)
            return {*m_forAll, true};
        messages.push_back("\"" + sample.texts.first + "\" is already in the library (" + localFile
                           + "); kept (--replace-all replaces it)");
        return {ReplaceAnswer::Keep, false};
    }
    void SameFileError(const PackageSample& sample, const std::string& fileName) override
    {
        messages.push_back("\"" + sample.texts.first + "\" not added: a file named " + fileName
                           + " is already in use in its chord");
    }
    void SameNameNotice(const PackageSample& sample, const SampleDescriptor&) override
    {
        messages.push_back("\"" + sample.texts.first + "\" \"" + sample.texts.second
                           + "\": its chord already holds a sample of these names");
    }
    NewSampleOutcome ConfirmNewSample(const SampleRef&, SampleDescriptor&) override { return {}; }

    std::vector<std::string> messages;

private:
    std::optional<ReplaceAnswer> m_forAll;
};

int RunUnpack(Invocation& in)
{
    if (!in.Expect(1, 1, {"replace-all", "keep-all"}, {}))
        return kExitUsage;
    if (in.Flag("replace-all") && in.Flag("keep-all"))
        return in.Usage("--replace-all and --keep-all exclude each other");
    std::optional<ReplaceAnswer> forAll;
    if (in.Flag("replace-all"))
        forAll = ReplaceAnswer::Replace;
    else if (in.Flag("keep-all"))
        forAll = ReplaceAnswer::Keep;

    Installation setting = LoadInstallation(in.ProgramFolder(), InstallationUse::Change);
    FlagQuestions questions(forAll);
    PackageImport import;
    Error error;
    if (!PackageReader(setting.folders, questions).Read(in.Arg(0), setting.library, import, &error))
        return in.Failed("cannot unpack " + in.Arg(0) + ": " + error.message);
    if (!import.Commit(&error))
        return in.Failed("cannot unpack " + in.Arg(0) + ": " + error.message);
    const bool libraryChanged = import.library.styles != setting.library.styles;
    if (libraryChanged && !WriteLibraryFile(setting.libraryPath, import.library, &error)) {
        import.Rollback();
        return in.Failed("cannot update " + setting.libraryPath + ": " + error.message);
    }

    // The song, read against the new library, goes beside the package's own
    // copy in the work folder under the package's name.
    std::string name = FileNamePart(in.Arg(0));
    if (name.size() > 4 && EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".wcp"))
        name.resize(name.size() - 4);
    if (!ResourceArchive::IsPlainFileName(name + ".ncp") || name + ".ncp" == kPackageSongName)
        name = "unpacked";
    const std::string songPath = setting.folders.WorkFolder() + name + ".ncp";
    import.song.path = songPath;
    SongWriter writer(import.library, setting.folders.sampleFolders, setting.folders.programFolder);
    if (!writer.Write(import.song, songPath, SongWriteMode::AsDocument, &error)) {
        if (libraryChanged)
            WriteLibraryFile(setting.libraryPath, setting.library);
        import.Rollback();
        return in.Failed("cannot write " + songPath + ": " + error.message);
    }
    import.Finish();

    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("package", in.Arg(0));
        json.Field("song", songPath);
        json.Field("library", setting.libraryPath);
        json.Field("library_changed", libraryChanged);
        json.Key("samples");
        json.BeginArray();
        for (const auto& s : import.samples) {
            json.BeginObject();
            json.Field("entry", s.sample.entryName);
            json.Field("first", s.sample.texts.first);
            json.Field("score", s.score);
            json.Field("action", PackageSampleActionName(s.action));
            json.Key("ref");
            RefJson(json, s.ref);
            json.Field("file", s.file);
            json.EndObject();
        }
        json.EndArray();
        json.Key("messages");
        json.BeginArray();
        for (const auto& message : questions.messages)
            json.String(message);
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    for (const auto& message : questions.messages)
        in.Out() << "note: " << message << '\n';
    for (const auto& s : import.samples) {
        in.Out() << PackageSampleActionName(s.action) << '\t' << s.sample.entryName << '\t' << s.sample.texts.first
                 << '\t' << s.file << '\n';
    }
    in.Out() << songPath << '\n';
    return kExitOk;
}

const Registrar kPack{{"pack", "SONG OUT.wcp [--json]",
                       "Packs a song with the user samples it uses into a song package.", RunPack}};
const Registrar kUnpack{{"unpack", "PKG.wcp [--replace-all | --keep-all] [--json]",
                         "Adds a package's samples to the user folder and library; writes its song to the work "
                         "folder and prints its path.",
                         RunUnpack}};

} // namespace

} // namespace bm::cli
