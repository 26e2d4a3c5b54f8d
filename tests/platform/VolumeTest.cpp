#include "platform/Volume.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

namespace bm::platform {
namespace {

TEST(VolumeTest, FindsTheFileSystemOfAFolderOrOfItsNearestExistingParent)
{
    test::TempDir dir;
    SystemVolumeQuery query;
    const auto here = query.Query(dir.Path());
    ASSERT_TRUE(here.has_value());
    EXPECT_FALSE(here->mountPoint.empty());
    EXPECT_EQ(here->mountPoint[0], '/');
    EXPECT_EQ(dir.Path().compare(0, here->mountPoint.size(), here->mountPoint), 0);
    struct statvfs space {};
    ASSERT_EQ(statvfs(dir.Path().c_str(), &space), 0);
    EXPECT_GE(here->freeBytes, 0);

    // A folder that does not exist yet is measured where it would be made.
    const auto later = query.Query(dir / "not/yet/there/");
    ASSERT_TRUE(later.has_value());
    EXPECT_EQ(later->mountPoint, here->mountPoint);

    // Another file system is measured on its own.
    const auto proc = query.Query("/proc/self/");
    ASSERT_TRUE(proc.has_value());
    EXPECT_EQ(proc->mountPoint, "/proc");

    EXPECT_FALSE(query.Query("relative/folder/").has_value());
    EXPECT_FALSE(query.Query("").has_value());
}

} // namespace
} // namespace bm::platform
