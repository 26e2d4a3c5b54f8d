#include "song/PackageWriter.h"

#include "song/PackageFixture.h"
#include "song/SongWriter.h"
#include "ui/skin/ResourceArchive.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::Installation;
using test::SongWith;

std::vector<std::string> EntryNames(const std::string& package)
{
    ResourceArchive archive(ResourceArchive::kPackageMagic);
    std::vector<std::string> names;
    if (!archive.Open(package, ArchiveAccess::ReadOnly))
        return names;
    for (const auto& entry : archive.Entries())
        names.emplace_back(entry.Name());
    return names;
}

std::string Entry(const std::string& package, const std::string& name)
{
    ResourceArchive archive(ResourceArchive::kPackageMagic);
    std::string out;
    if (archive.Open(package, ArchiveAccess::ReadOnly))
        archive.ReadWholeEntry(name, out);
    return out;
}

TEST(PackageWriter, PacksASampleUsedManyTimesOnceAndReversesTheIndex)
{
    Installation inst;
    SampleRef kick = inst.AddUserSample("kick", "kick.wav", "KICK");
    SampleRef snare = inst.AddUserSample("snare", "snare.wav", "SNARE");
    SampleRef factory = inst.AddFactorySample("pad", "pad.wav");
    Song song = SongWith(3, {{0, kick}, {0, kick}, {0, factory}, {1, kick}, {2, snare}, {2, kick}});
    const std::string target = inst.root / "out.wcp";

    PackageWriter writer(inst.library, inst.folders);
    Error error;
    ASSERT_TRUE(writer.Write(song, target, &error)) << error.message;
    EXPECT_EQ(writer.Packed(), (std::vector<SampleRef>{kick, snare}));
    EXPECT_EQ(EntryNames(target), (std::vector<std::string>{"wcp.ncp", "0.smp", "1.smp", "wcp.inf"}));
    EXPECT_EQ(Entry(target, "0.smp"), "KICK");
    EXPECT_EQ(Entry(target, "1.smp"), "SNARE");

    const std::string user = inst.program + "USERDATA/Pop/C/";
    const std::string kickLine = "\"0.smp\"  \"Pop\"  \"Drums\"  \"User\"  \"C\"  \"kick\"  \"x\"  \"" + user
        + "kick.wav\"  \"key\"  \"0\"  \"0\"\r\n";
    const std::string snareLine = "\"1.smp\"  \"Pop\"  \"Drums\"  \"User\"  \"C\"  \"snare\"  \"x\"  \"" + user
        + "snare.wav\"  \"key\"  \"0\"  \"0\"\r\n";
    EXPECT_EQ(Entry(target, "wcp.inf"), "\r\n" + snareLine + kickLine);
    // The song goes in as the document.
    EXPECT_NE(Entry(target, "wcp.ncp").find("%PATH "), std::string::npos);
}

TEST(PackageWriter, FactoryOnlySongGivesAnIndexOfOneEmptyLine)
{
    Installation inst;
    SampleRef pad = inst.AddFactorySample("pad", "pad.wav");
    Song song = SongWith(2, {{0, pad}, {1, pad}, {1, SampleRef::Make(5, 0, 0, 0, 0, 0)}});
    const std::string target = inst.root / "factory.wcp";
    ASSERT_TRUE(test::WriteFile(target, "an older file"));
    PackageWriter writer(inst.library, inst.folders);
    ASSERT_TRUE(writer.Write(song, target));
    EXPECT_EQ(EntryNames(target), (std::vector<std::string>{"wcp.ncp", "wcp.inf"}));
    EXPECT_EQ(Entry(target, "wcp.inf"), "\r\n");
}

TEST(PackageWriter, SkipsSamplesWithoutAFile)
{
    Installation inst;
    SampleRef gone = inst.AddUserSample("gone", "gone.wav", "x");
    std::filesystem::remove(inst.program + "USERDATA/Pop/C/gone.wav");
    SampleRef kick = inst.AddUserSample("kick", "kick.wav", "KICK");
    PackageWriter writer(inst.library, inst.folders);
    ASSERT_TRUE(writer.Write(SongWith(1, {{0, gone}, {0, kick}}), inst.root / "p.wcp"));
    EXPECT_EQ(writer.Packed(), (std::vector<SampleRef>{kick}));
    EXPECT_EQ(EntryNames(inst.root / "p.wcp"), (std::vector<std::string>{"wcp.ncp", "0.smp", "wcp.inf"}));
}

TEST(PackageWriter, FollowsSongsUsedAsSamplesThroughAtMostElevenCollections)
{
    // song_k.ncp holds wav_k and song_(k+1); the song holds song_1. The
    // collector runs for the song and songs 1 to 10, so wav 1 to 10 and
    // songs 1 to 11 are packed.
    Installation inst;
    constexpr int kSongs = 13;
    std::vector<SampleRef> wavs;
    std::vector<SampleRef> songs;
    for (int k = 1; k <= kSongs; ++k) {
        wavs.push_back(inst.AddUserSample("wav" + std::to_string(k), "w" + std::to_string(k) + ".wav", "W"));
        songs.push_back(inst.AddUserSample("song" + std::to_string(k), "s" + std::to_string(k) + ".ncp", ""));
    }
    SongWriter songWriter(inst.library, inst.folders.sampleFolders, inst.program);
    for (int k = 1; k <= kSongs; ++k) {
        SampleRef next = k < kSongs ? songs[size_t(k)] : songs[0]; // the last closes a cycle
        Song inner = SongWith(1, {{0, wavs[size_t(k - 1)]}, {0, next}});
        ASSERT_TRUE(songWriter.Write(inner, inst.program + "USERDATA/Pop/C/s" + std::to_string(k) + ".ncp",
                                     SongWriteMode::Plain));
    }
    PackageWriter writer(inst.library, inst.folders);
    ASSERT_TRUE(writer.Write(SongWith(1, {{0, songs[0]}}), inst.root / "chain.wcp"));
    std::vector<SampleRef> expected{songs[0]};
    for (int k = 1; k <= 10; ++k) {
        expected.push_back(wavs[size_t(k - 1)]);
        expected.push_back(songs[size_t(k)]);
    }
    EXPECT_EQ(writer.Packed(), expected);
}

TEST(PackageWriter, FailsWhenTheTargetCannotBeWritten)
{
    Installation inst;
    PackageWriter writer(inst.library, inst.folders);
    Error error;
    EXPECT_FALSE(writer.Write(SongWith(1, {}), inst.root / "no/such/folder.wcp", &error));
    EXPECT_FALSE(error.message.empty());
}

} // namespace
} // namespace bm
