#include "core/File.h"
#include "core/Paths.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace bm {
namespace {

class DurableWriteTest : public ::testing::TestWithParam<DurableWriteFault> {};

TEST_P(DurableWriteTest, InjectedFailureLeavesOldFileIntact)
{
    test::TempDir dir;
    std::string path = dir / "song.ncp";
    ASSERT_TRUE(WriteFileDurably(path, "old contents\r\n"));
    Error error;
    EXPECT_FALSE(WriteFileDurably(path, std::string(100000, 'x'), &error, GetParam()));
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(test::ReadFile(path), "old contents\r\n");
    // No temporary file is left beside it.
    int count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++count;
    EXPECT_EQ(count, 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, DurableWriteTest,
                         ::testing::Values(DurableWriteFault::CreateTemporary, DurableWriteFault::WriteHalfway,
                                           DurableWriteFault::Flush, DurableWriteFault::Rename));

TEST(DurableWrite, ReplacesAndCreates)
{
    test::TempDir dir;
    std::string path = dir / "a.txt";
    EXPECT_TRUE(WriteFileDurably(path, "one"));
    EXPECT_TRUE(WriteFileDurably(path, "two"));
    EXPECT_EQ(test::ReadFile(path), "two");
    EXPECT_FALSE(WriteFileDurably(dir / "missing/a.txt", "x"));
}

TEST(Paths, StoreRelativeUsesLongestFolderIgnoringCase)
{
    std::vector<std::string> folders = {"/p/", "/p/SMPLDATA/", "/p/smpldata/drums/", ""};
    EXPECT_EQ(StoreRelative("/P/SmplData/Drums/kick.wav", folders), "kick.wav");
    EXPECT_EQ(StoreRelative("/p/SMPLDATA/bass/b.wav", folders), "bass/b.wav");
    EXPECT_EQ(StoreRelative("/other/x.wav", folders), "/other/x.wav");
    EXPECT_EQ(StoreRelative("C:\\p\\x.wav", {"C:/p/"}), "x.wav");
}

TEST(Paths, FindInFoldersTriesEachInOrder)
{
    test::TempDir a, b;
    ASSERT_TRUE(test::WriteFile(b / "x.wav", "b"));
    ASSERT_TRUE(test::WriteFile(a / "y.wav", "a"));
    std::vector<std::string> folders = {a.Path(), b.Path(), ""};
    EXPECT_EQ(FindInFolders("x.wav", folders), b / "x.wav");
    EXPECT_EQ(FindInFolders("y.wav", folders), a / "y.wav");
    EXPECT_EQ(FindInFolders("z.wav", folders), "");
    EXPECT_EQ(FindInFolders(b / "x.wav", folders), b / "x.wav");
    EXPECT_EQ(AsFolder("/a"), "/a/");
    EXPECT_EQ(AsFolder("/a/"), "/a/");
    EXPECT_EQ(FileNamePart("a\\b/c.wav"), "c.wav");
    EXPECT_EQ(FolderPart("a\\b/c.wav"), "a\\b/");
}

} // namespace
} // namespace bm
