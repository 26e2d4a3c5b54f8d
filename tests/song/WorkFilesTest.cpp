#include "song/WorkFiles.h"

#include "core/Paths.h"
#include "song/SongFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace bm {
namespace {

using test::ProgramSetup;

void SetAge(const std::string& path, int secondsAgo)
{
    namespace fs = std::filesystem;
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

class WorkFiles : public ::testing::Test {
protected:
    ProgramSetup setup;
    std::string temp = setup.dir.Path() + "TEMP/";
    SongWriter writer{setup.library, setup.folders, setup.programFolder};
    SongReader reader{setup.library, setup.folders, setup.programFolder};

    void SetUp() override { std::filesystem::create_directories(temp); }

    void Keep(size_t measures, const std::string& name, int secondsAgo)
    {
        Song song = test::MakeSong(measures);
        song.path = "/songs/" + name + ".ncp";
        ASSERT_TRUE(KeepAsWorkFile(writer, song, temp, name));
        SetAge(WorkFilePath(temp, name), secondsAgo);
    }
};

TEST_F(WorkFiles, GoingBackWalksThroughTheReplacedSongsNewestFirst)
{
    Keep(1, "first", 300);
    Keep(2, "second", 200);
    Keep(3, "third", 100);
    test::WriteFile(temp + "other.ncp", "%VER 1.0\r\n");

    auto newest = FindNewestWorkFile(temp);
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(*newest, (WorkFile{"third.tempncp", temp + "third.tempncp"}));

    Song song;
    WorkFile loaded;
    for (size_t expected : {3u, 2u, 1u}) {
        ASSERT_TRUE(GoBackToPreviousSong(reader, song, temp, &loaded));
        EXPECT_EQ(song.measures.size(), expected);
        EXPECT_EQ(song.path, "/songs/" + loaded.fileName.substr(0, loaded.fileName.size() - 8) + ".ncp")
            << "the work file names the song's real file";
        EXPECT_FALSE(FileExists(loaded.path));
    }
    Error error;
    EXPECT_FALSE(GoBackToPreviousSong(reader, song, temp, &loaded, &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_TRUE(FileExists(temp + "other.ncp"));
}

TEST_F(WorkFiles, TiesGoToTheFirstByNameAndAllCanBeDeleted)
{
    Keep(1, "b", 50);
    Keep(1, "a", 50);
    Keep(1, "c", 500);
    EXPECT_EQ(FindNewestWorkFile(temp)->fileName, "a.tempncp");
    WorkFile deleted;
    EXPECT_TRUE(DeleteNewestWorkFile(temp, &deleted));
    EXPECT_EQ(deleted.fileName, "a.tempncp");
    EXPECT_EQ(DeleteAllWorkFiles(temp), 2);
    EXPECT_FALSE(FindNewestWorkFile(temp).has_value());
    EXPECT_FALSE(DeleteNewestWorkFile(temp));
    EXPECT_EQ(DeleteAllWorkFiles(setup.dir / "missing/"), 0);
}

TEST_F(WorkFiles, LastSongNeedsAMeasureAndBecomesTheStartSong)
{
    std::string startSong;
    SongWriter documentWriter(setup.library, setup.folders, setup.programFolder, {.startSong = &startSong});
    Song empty = test::MakeSong(0);
    EXPECT_FALSE(WriteLastSong(documentWriter, empty, setup.programFolder));
    EXPECT_FALSE(FileExists(LastSongPath(setup.programFolder)));

    Song song = test::MakeSong(2);
    song.path = "/songs/mine.ncp";
    ASSERT_TRUE(WriteLastSong(documentWriter, song, setup.programFolder));
    EXPECT_EQ(LastSongPath(setup.programFolder), setup.programFolder + "last.ncp");
    EXPECT_EQ(startSong, setup.programFolder + "last.ncp");
    EXPECT_NE(test::ReadFile(startSong).find("%PATH \"/songs/mine.ncp\""), std::string::npos);
}

} // namespace
} // namespace bm
