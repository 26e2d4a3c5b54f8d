#include "app/ArchiveOpener.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm::app {
namespace {

// The open archive keeps its file locked, which is what makes a later copy
// of the program see that one already runs.
TEST(FileArchiveOpener, OpenArchiveHoldsTheFileAgainstOtherCopies)
{
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    EXPECT_FALSE(FileArchiveOpener().IsFree(path)); // missing: treated as held

    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"hints.dat", "text"}})));
    FileArchiveOpener opener;
    EXPECT_TRUE(opener.IsFree(path));
    EXPECT_TRUE(opener.IsFree(path)); // probing leaves nothing held

    std::unique_ptr<ResourceArchive> archive = opener.Open(path);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->GetEntrySize("HINTS.DAT"), 4);
    EXPECT_FALSE(opener.IsFree(path));
    archive.reset();
    EXPECT_TRUE(opener.IsFree(path));
}

TEST(FileArchiveOpener, UnreadableArchiveGivesNothing)
{
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WCPn", {})));
    EXPECT_EQ(FileArchiveOpener().Open(path), nullptr);
    ASSERT_TRUE(test::WriteFile(path, "WADn"));
    EXPECT_EQ(FileArchiveOpener().Open(path), nullptr);
    EXPECT_TRUE(FileArchiveOpener().IsFree(path)); // a failed open keeps no lock
}

} // namespace
} // namespace bm::app
