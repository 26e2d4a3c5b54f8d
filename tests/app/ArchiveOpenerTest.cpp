#include "app/ArchiveOpener.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm::app {
namespace {

using platform::ExclusiveAccess;

// The open archive keeps its file locked, which is what makes a later copy
// of the program see that one already runs.
TEST(FileArchiveOpener, OpenArchiveHoldsTheFileAgainstOtherCopies)
{
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    EXPECT_EQ(FileArchiveOpener().Probe(path), ExclusiveAccess::Missing);

    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"hints.dat", "text"}})));
    FileArchiveOpener opener;
    EXPECT_EQ(opener.Probe(path), ExclusiveAccess::Granted);
    EXPECT_EQ(opener.Probe(path), ExclusiveAccess::Granted); // probing leaves nothing held

    std::unique_ptr<ResourceArchive> archive = opener.Open(path);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->GetEntrySize("HINTS.DAT"), 4);
    EXPECT_EQ(opener.Probe(path), ExclusiveAccess::InUse);
    archive.reset();
    EXPECT_EQ(opener.Probe(path), ExclusiveAccess::Granted);
}

TEST(FileArchiveOpener, UnreadableArchiveGivesNothing)
{
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WCPn", {})));
    EXPECT_EQ(FileArchiveOpener().Open(path), nullptr);
    ASSERT_TRUE(test::WriteFile(path, "WADn"));
    EXPECT_EQ(FileArchiveOpener().Open(path), nullptr);
    EXPECT_EQ(FileArchiveOpener().Probe(path), ExclusiveAccess::Granted); // a failed open keeps no lock
}

} // namespace
} // namespace bm::app
