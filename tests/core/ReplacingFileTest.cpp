#include "core/ReplacingFile.h"

#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace bm {
namespace {

namespace fs = std::filesystem;

int EntriesIn(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(ReplacingFile, TargetAppearsOnlyOnCommitAndKeepsThePermissionsItReplaces)
{
    test::TempDir dir;
    const std::string path = dir / "out.wav";
    ASSERT_TRUE(test::WriteFile(path, "old"));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);

    ReplacingFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Write("xxnew", 5));
    ASSERT_TRUE(file.WriteAt(0, "ab", 2));
    EXPECT_EQ(test::ReadFile(path), "old") << "the target is untouched while the file is written";
    EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), fs::path(path).parent_path());
    ASSERT_TRUE(file.Commit(ReplaceMode::Unflushed));
    EXPECT_EQ(test::ReadFile(path), "abnew");
    EXPECT_EQ(ModeOf(path), mode_t(0600));
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
    EXPECT_FALSE(file.IsOpen());

    // A new file gets the usual permissions, not a temporary file's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_TRUE(file.Create(dir / "new.wav"));
    ASSERT_TRUE(file.Commit(ReplaceMode::Durable));
    EXPECT_EQ(ModeOf(dir / "new.wav"), mode_t(0666 & ~mask));
}

TEST(ReplacingFile, DroppedOrFailedFilesLeaveNothingBehind)
{
    test::TempDir dir;
    const std::string path = dir / "song.ncp";
    ASSERT_TRUE(test::WriteFile(path, "saved work"));
    {
        ReplacingFile dropped;
        ASSERT_TRUE(dropped.Create(path));
        ASSERT_TRUE(dropped.Write("half", 4));
    }
    for (auto fault : {DurableWriteFault::Flush, DurableWriteFault::Rename}) {
        ReplacingFile file;
        ASSERT_TRUE(file.Create(path));
        ASSERT_TRUE(file.Write("new", 3));
        Error error;
        EXPECT_FALSE(file.Commit(ReplaceMode::Durable, &error, fault));
        EXPECT_FALSE(error.message.empty());
    }
    EXPECT_EQ(test::ReadFile(path), "saved work");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);

    ReplacingFile file;
    Error error;
    EXPECT_FALSE(file.Create(dir.Path(), &error)) << "a folder is not a file name";
    EXPECT_FALSE(file.Create(dir / "missing/x.wav", &error));
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit(ReplaceMode::Durable));
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

} // namespace
} // namespace bm
