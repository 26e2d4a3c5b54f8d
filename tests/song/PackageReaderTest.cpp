#include "song/PackageReader.h"

#include "song/PackageFixture.h"
#include "song/PackageWriter.h"
#include "ui/skin/ResourceArchive.h"

#include <gtest/gtest.h>

#include <deque>

namespace bm {
namespace {

using test::Installation;
using test::ReadFile;
using test::SongWith;
using test::WriteFile;

// Answers the reader's questions from a script and records what it was asked.
class ScriptedQuestions : public PackageQuestions {
public:
    std::deque<ReplaceChoice> replaceAnswers; // when empty: keep
    std::deque<NewSampleOutcome> newSampleAnswers; // when empty: accept
    std::vector<std::string> asked;                // "replace first", "error first", "notice first", "new first"

    ReplaceChoice AskReplace(const PackageSample& sample, const std::string&) override
    {
        asked.push_back("replace " + sample.texts.first);
        if (replaceAnswers.empty())
            return {};
        ReplaceChoice choice = replaceAnswers.front();
        replaceAnswers.pop_front();
        return choice;
    }
    void SameFileError(const PackageSample& sample, const std::string&) override
    {
        asked.push_back("error " + sample.texts.first);
    }
    void SameNameNotice(const PackageSample& sample, const SampleDescriptor&) override
    {
        asked.push_back("notice " + sample.texts.first);
    }
    NewSampleOutcome ConfirmNewSample(const SampleRef&, SampleDescriptor& d) override
    {
        asked.push_back("new " + d.firstText);
        if (newSampleAnswers.empty())
            return {};
        NewSampleOutcome outcome = newSampleAnswers.front();
        newSampleAnswers.pop_front();
        return outcome;
    }
};

// An installation with kick and snare in its user chord and a package of a
// song that uses both (the index lists snare first, then kick).
struct PackedSong {
    Installation source;
    SampleRef kick = source.AddUserSample("kick", "kick.wav", "KICK");
    SampleRef snare = source.AddUserSample("snare", "snare.wav", "SNARE");
    std::string package = source.root / "song.wcp";

    PackedSong()
    {
        Song song = SongWith(2, {{0, kick}, {1, snare}, {1, kick}});
        song.path = "/elsewhere/song.ncp";
        PackageWriter writer(source.library, source.folders);
        EXPECT_TRUE(writer.Write(song, package));
    }
};

std::vector<PackageSampleAction> Actions(const PackageImport& import)
{
    std::vector<PackageSampleAction> actions;
    for (const auto& s : import.samples)
        actions.push_back(s.action);
    return actions;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
        names.push_back(entry.path().string().substr(folder.size()));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PackageReader, SecondUnpackFindsEverySampleAndAsks)
{
    PackedSong p;
    ScriptedQuestions questions;
    PackageImport import;
    Error error;
    ASSERT_TRUE(PackageReader(p.source.folders, questions).Read(p.package, p.source.library, import, &error))
        << error.message;
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"replace snare", "replace kick"}));
    ASSERT_EQ(import.samples.size(), 2u);
    for (const auto& s : import.samples)
        EXPECT_EQ(s.score, 120);
    EXPECT_EQ(import.samples[0].ref, p.snare);
    EXPECT_EQ(Actions(import), (std::vector<PackageSampleAction>{PackageSampleAction::Kept, PackageSampleAction::Kept}));
    EXPECT_EQ(import.library.styles, p.source.library.styles);
    // The song comes back with its own samples.
    EXPECT_EQ(import.song.measures.size(), 2u);
    EXPECT_EQ(import.song.measures[0].slots[0].ref, p.kick);
    EXPECT_EQ(import.song.measures[1].slots[1].ref, p.snare);
    EXPECT_EQ(import.startSong, "/elsewhere/song.ncp");
    EXPECT_EQ(import.songFile, p.source.folders.WorkFolder() + "wcp.ncp");
    EXPECT_TRUE(import.Commit(&error)) << error.message;
}

TEST(PackageReader, ReplaceForAllAsksOnceAndRestoresOnRollback)
{
    PackedSong p;
    const std::string kickFile = p.source.program + "USERDATA/Pop/C/kick.wav";
    const std::string snareFile = p.source.program + "USERDATA/Pop/C/snare.wav";
    WriteFile(kickFile, "LOCAL KICK");
    WriteFile(snareFile, "LOCAL SNARE");
    ScriptedQuestions questions;
    questions.replaceAnswers = {{ReplaceAnswer::Replace, true}};
    PackageImport import;
    ASSERT_TRUE(PackageReader(p.source.folders, questions).Read(p.package, p.source.library, import));
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"replace snare"}));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Replaced, PackageSampleAction::Replaced}));
    // Nothing has changed before the commit.
    EXPECT_EQ(ReadFile(kickFile), "LOCAL KICK");
    ASSERT_TRUE(import.Commit());
    EXPECT_EQ(ReadFile(kickFile), "KICK");
    EXPECT_EQ(ReadFile(snareFile), "SNARE");
    import.Rollback();
    EXPECT_EQ(ReadFile(kickFile), "LOCAL KICK");
    EXPECT_EQ(ReadFile(snareFile), "LOCAL SNARE");
    EXPECT_EQ(FilesIn(p.source.program + "USERDATA/Pop/C/"), (std::vector<std::string>{"kick.wav", "snare.wav"}));
}

TEST(PackageReader, AddsNewSamplesToTheChordOfTheSameNames)
{
    PackedSong p;
    Installation target;
    ScriptedQuestions questions;
    PackageImport import;
    Error error;
    ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, import, &error))
        << error.message;
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"new snare", "new kick"}));
    EXPECT_EQ(Actions(import), (std::vector<PackageSampleAction>{PackageSampleAction::Added, PackageSampleAction::Added}));
    const auto& entries = import.library.styles[0].groups[0].parts[0].chords[0].entries;
    ASSERT_EQ(entries.size(), 3u); // snare, kick and the free place
    const SampleDescriptor& snare = entries[0].variants[0];
    EXPECT_EQ(snare.firstText, "snare");
    EXPECT_EQ(snare.path, "USERDATA/Pop/C/snare.wav");
    EXPECT_EQ(snare.length, 0);
    EXPECT_EQ(entries[1].variants[0].firstText, "kick");
    EXPECT_TRUE(entries[2].IsEmpty());
    // The song's slots find the added samples.
    EXPECT_EQ(import.song.measures[0].slots[0].ref, SampleRef::Make(0, 0, 0, 0, 0, 1));
    EXPECT_EQ(import.song.measures[1].slots[1].ref, SampleRef::Make(0, 0, 0, 0, 0, 0));

    const std::string folder = target.program + "USERDATA/Pop/C/";
    EXPECT_FALSE(FileExists(folder + "kick.wav"));
    ASSERT_TRUE(import.Commit());
    EXPECT_EQ(ReadFile(folder + "kick.wav"), "KICK");
    EXPECT_EQ(ReadFile(folder + "snare.wav"), "SNARE");
    import.Finish();
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"kick.wav", "snare.wav"}));
}

TEST(PackageReader, UnpackingAgainElsewhereFindsTheSamplesAddedTheFirstTime)
{
    PackedSong p;
    Installation target;
    ScriptedQuestions questions;
    PackageImport first;
    ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, first));
    ASSERT_TRUE(first.Commit());
    SampleLibrary library = std::move(first.library);
    first.Finish();

    ScriptedQuestions again;
    PackageImport second;
    ASSERT_TRUE(PackageReader(target.folders, again).Read(p.package, library, second));
    EXPECT_EQ(again.asked, (std::vector<std::string>{"replace snare", "replace kick"}));
    for (const auto& s : second.samples)
        EXPECT_EQ(s.score, 120);
    EXPECT_EQ(second.library.styles, library.styles);
}

TEST(PackageReader, AnImportNotCommittedLeavesNoFiles)
{
    PackedSong p;
    Installation target;
    ScriptedQuestions questions;
    {
        PackageImport import;
        ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, import));
    }
    EXPECT_TRUE(FilesIn(target.program + "USERDATA/Pop/C/").empty());
}

TEST(PackageReader, ChecksTheTargetChordForSameFileAndSameNames)
{
    PackedSong p;
    Installation target;
    // A sample named like the package's snare but with its own file, and a
    // sample of other names whose file is called kick.wav.
    target.AddUserSample("snare", "own-snare.wav", "MINE");
    target.AddTo(target.UserChord(), 0, test::Sample("other", "y", "USERDATA/Pop/C/kick.wav"));
    ScriptedQuestions questions;
    PackageImport import;
    ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, import));
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"notice snare", "new snare", "error kick"}));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Added, PackageSampleAction::SameFile}));
}

TEST(PackageReader, FilesAlreadyInTheUserFolderAreReusedOnlyWhenIdentical)
{
    PackedSong p;
    Installation target;
    WriteFile(target.program + "USERDATA/Pop/C/snare.wav", "SNARE");
    WriteFile(target.program + "USERDATA/Pop/C/kick.wav", "SOMETHING ELSE");
    ScriptedQuestions questions;
    PackageImport import;
    ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, import));
    EXPECT_EQ(Actions(import), (std::vector<PackageSampleAction>{PackageSampleAction::AddedExistingFile,
                                                                 PackageSampleAction::SameFile}));
    ASSERT_TRUE(import.Commit());
    EXPECT_EQ(ReadFile(target.program + "USERDATA/Pop/C/kick.wav"), "SOMETHING ELSE");
}

TEST(PackageReader, TheSampleDialogCanSkipOneOrStopAll)
{
    PackedSong p;
    Installation target;
    ScriptedQuestions skip;
    skip.newSampleAnswers = {{false, true}};
    PackageImport import;
    ASSERT_TRUE(PackageReader(target.folders, skip).Read(p.package, target.library, import));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Declined, PackageSampleAction::Added}));
    // The declined record is cleared and normalised away: kick took its place.
    const auto& entries = import.library.styles[0].groups[0].parts[0].chords[0].entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].variants[0].firstText, "kick");

    ScriptedQuestions stop;
    stop.newSampleAnswers = {{false, false}};
    ASSERT_TRUE(PackageReader(target.folders, stop).Read(p.package, target.library, import));
    EXPECT_EQ(stop.asked, (std::vector<std::string>{"new snare"}));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Declined, PackageSampleAction::NotReached}));
    EXPECT_EQ(import.library.styles, target.library.styles);
    EXPECT_EQ(import.song.measures.size(), 2u); // the song still loads
}

TEST(PackageReader, NeverReplacesFilesOutsideTheUserFolder)
{
    Installation inst;
    // A sample of a user part whose file lies in the shipped sample folder.
    WriteFile(inst.program + "SMPLDATA/shared.wav", "SHARED");
    SampleRef shared = inst.AddTo(inst.UserChord(), 0, test::Sample("shared", "x", "shared.wav"));
    PackageWriter writer(inst.library, inst.folders);
    ASSERT_TRUE(writer.Write(SongWith(1, {{0, shared}}), inst.root / "p.wcp"));
    WriteFile(inst.program + "SMPLDATA/shared.wav", "CHANGED");
    ScriptedQuestions questions;
    questions.replaceAnswers = {{ReplaceAnswer::Replace, false}};
    PackageImport import;
    ASSERT_TRUE(PackageReader(inst.folders, questions).Read(inst.root / "p.wcp", inst.library, import));
    EXPECT_EQ(Actions(import), (std::vector<PackageSampleAction>{PackageSampleAction::KeptOutsideUserFolder}));
    ASSERT_TRUE(import.Commit());
    EXPECT_EQ(ReadFile(inst.program + "SMPLDATA/shared.wav"), "CHANGED");
}

TEST(PackageReader, AFailedCommitPutsEverythingBack)
{
    PackedSong p;
    const std::string folder = p.source.program + "USERDATA/Pop/C/";
    // The snare is new to the library again, the kick is replaced.
    auto& entries = p.source.UserChord().entries;
    entries[1].variants[0] = SampleDescriptor{};
    NormaliseEntries(p.source.UserChord());
    std::filesystem::remove(folder + "snare.wav");
    WriteFile(folder + "kick.wav", "LOCAL KICK");
    ScriptedQuestions questions;
    questions.replaceAnswers = {{ReplaceAnswer::Replace, false}};
    PackageImport import;
    ASSERT_TRUE(PackageReader(p.source.folders, questions).Read(p.package, p.source.library, import));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Added, PackageSampleAction::Replaced}));
    // Take away the kick's extracted file, so its rename fails after the
    // snare is already in place.
    for (const auto& name : FilesIn(folder)) {
        if (name.rfind(".~kick.wav.", 0) == 0)
            std::filesystem::remove(folder + name);
    }
    Error error;
    EXPECT_FALSE(import.Commit(&error));
    EXPECT_NE(error.message.find("kick.wav"), std::string::npos) << error.message;
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"kick.wav"}));
    EXPECT_EQ(ReadFile(folder + "kick.wav"), "LOCAL KICK");
}

// Builds a package by hand from entry names and contents.
std::string MakePackage(const test::TempDir& dir, const std::vector<std::pair<std::string, std::string>>& entries)
{
    const std::string path = dir / "hand.wcp";
    std::filesystem::remove(path);
    ResourceArchive archive(ResourceArchive::kPackageMagic);
    EXPECT_TRUE(archive.Open(path, ArchiveAccess::ReadWrite));
    for (const auto& [name, bytes] : entries) {
        WriteFile(dir / "entry.tmp", bytes);
        EXPECT_TRUE(archive.AddFile(name, dir / "entry.tmp"));
    }
    return path;
}

const std::string kSong = "%VER 1.0\r\n%SIZE 1\r\n%SPC 20352\r\n%CPT 8\r\n\r\n%COL\r\n"
                          "\"Pop\"  \"Drums\"  \"User\"  \"C\"  \"evil\"  \"x\"  \"/a/evil.wav\"  \"key\"  \"0\"  \"0\"  \"0\"  \r\n";

std::string IndexLine(const std::string& entry, const std::string& path, const std::string& chord = "C")
{
    return "\"" + entry + "\"  \"Pop\"  \"Drums\"  \"User\"  \"" + chord + "\"  \"evil\"  \"x\"  \"" + path
        + "\"  \"key\"  \"0\"  \"0\"\r\n";
}

struct RefusedCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> entries;
    const char* reason;
};

class RefusedPackage : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPackage, ChangesNothing)
{
    Installation inst;
    const std::string package = MakePackage(inst.root, GetParam().entries);
    ScriptedQuestions questions;
    PackageImport import;
    Error error;
    EXPECT_FALSE(PackageReader(inst.folders, questions).Read(package, inst.library, import, &error));
    EXPECT_NE(error.message.find(GetParam().reason), std::string::npos) << error.message;
    EXPECT_TRUE(import.samples.empty());
    EXPECT_TRUE(FilesIn(inst.program + "USERDATA/").size() == 2u); // "Pop" and "Pop/C"
    EXPECT_FALSE(std::filesystem::exists(inst.root / "evil.wav"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPackage,
    testing::Values(
        RefusedCase{"NoIndex", {{"wcp.ncp", kSong}}, "no wcp.inf"},
        RefusedCase{"NoSong", {{"0.smp", "E"}, {"wcp.inf", "\r\n" + IndexLine("0.smp", "/a/evil.wav")}}, "no song"},
        RefusedCase{"MissingEntry", {{"wcp.ncp", kSong}, {"wcp.inf", "\r\n" + IndexLine("7.smp", "/a/evil.wav")}},
                    "\"7.smp\""},
        RefusedCase{"TraversalName",
                    {{"wcp.ncp", kSong}, {"0.smp", "E"}, {"wcp.inf", "\r\n" + IndexLine("0.smp", "..\\..")}},
                    "not a plain file name"},
        RefusedCase{"DamagedIndex", {{"wcp.ncp", kSong}, {"wcp.inf", "\r\n\"0.smp\"  \"Pop"}}, "closing quote"},
        // The samples are worked out and extracted, then the song fails: all
        // of it is dropped.
        RefusedCase{"SongOfAnotherVersion",
                    {{"wcp.ncp", "%VER 1.1\r\n"}, {"0.smp", "E"}, {"wcp.inf", "\r\n" + IndexLine("0.smp", "evil.wav")}},
                    "1.1"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(PackageReader, RefusesWhatIsNotAPackage)
{
    Installation inst;
    ScriptedQuestions questions;
    PackageImport import;
    Error error;
    EXPECT_FALSE(PackageReader(inst.folders, questions).Read(inst.root / "none.wcp", inst.library, import, &error));
    WriteFile(inst.root / "text.wcp", "not an archive at all");
    EXPECT_FALSE(PackageReader(inst.folders, questions).Read(inst.root / "text.wcp", inst.library, import, &error));
    EXPECT_FALSE(error.message.empty());
}

TEST(PackageReader, WritesOnlyTheLastNameComponentIntoTheUserFolder)
{
    Installation inst;
    inst.UserChord().folder = "Pop/C";
    test::AddChord(inst.library.styles[0].groups[0].parts[0], "Bad", "../../outside");
    NormaliseAllEntries(inst.library);
    const std::string package = MakePackage(
        inst.root, {{"wcp.ncp", kSong},
                    {"0.smp", "E"},
                    {"1.smp", "F"},
                    {"wcp.inf", "\r\n" + IndexLine("0.smp", "C:\\..\\..\\evil.wav") + IndexLine("1.smp", "x.wav", "Bad")}});
    ScriptedQuestions questions;
    PackageImport import;
    Error error;
    ASSERT_TRUE(PackageReader(inst.folders, questions).Read(package, inst.library, import, &error)) << error.message;
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::Added, PackageSampleAction::FolderRefused}));
    ASSERT_TRUE(import.Commit());
    EXPECT_EQ(ReadFile(inst.program + "USERDATA/Pop/C/evil.wav"), "E");
    EXPECT_FALSE(std::filesystem::exists(inst.root / "outside"));
    EXPECT_FALSE(std::filesystem::exists(inst.program + "outside"));
}

TEST(PackageReader, AnEmptyLibraryHasNoPlaceForSamples)
{
    PackedSong p;
    Installation target;
    target.library = SampleLibrary{};
    ScriptedQuestions questions;
    PackageImport import;
    ASSERT_TRUE(PackageReader(target.folders, questions).Read(p.package, target.library, import));
    EXPECT_EQ(Actions(import),
              (std::vector<PackageSampleAction>{PackageSampleAction::NoPlace, PackageSampleAction::NoPlace}));
    EXPECT_TRUE(import.library.styles.empty());
    EXPECT_EQ(import.song.measures.size(), 2u);
}

} // namespace
} // namespace bm
