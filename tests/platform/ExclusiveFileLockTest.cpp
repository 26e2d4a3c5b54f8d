#include "platform/ExclusiveFileLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace bm::platform {
namespace {

TEST(ExclusiveFileLock, OneHolderAtATimeUntilReleased)
{
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    ASSERT_TRUE(test::WriteFile(path, "WADn"));

    EXPECT_EQ(ProbeExclusiveAccess(path), ExclusiveAccess::Granted);
    // The probe closed its file again, so the lock can be taken for good.
    ExclusiveFileLock holder;
    ASSERT_EQ(holder.Acquire(path), ExclusiveAccess::Granted);
    EXPECT_TRUE(holder.Held());

    // Another open file, even in this process, is refused.
    EXPECT_EQ(ProbeExclusiveAccess(path), ExclusiveAccess::InUse);
    ExclusiveFileLock second;
    EXPECT_EQ(second.Acquire(path), ExclusiveAccess::InUse);
    EXPECT_FALSE(second.Held());

    holder.Release();
    EXPECT_FALSE(holder.Held());
    EXPECT_EQ(ProbeExclusiveAccess(path), ExclusiveAccess::Granted);
}

TEST(ExclusiveFileLock, MissingAndUnreadableFilesAreToldApart)
{
    test::TempDir dir;
    EXPECT_EQ(ProbeExclusiveAccess(dir / "missing.wad"), ExclusiveAccess::Missing);
    ExclusiveFileLock lock;
    EXPECT_EQ(lock.Acquire(dir / "missing.wad"), ExclusiveAccess::Missing);
    EXPECT_FALSE(lock.Held());

    // Root reads files whatever their permissions say.
    if (::geteuid() == 0)
        return;
    const std::string locked = dir / "locked.wad";
    ASSERT_TRUE(test::WriteFile(locked, "WADn"));
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    EXPECT_EQ(lock.Acquire(locked), ExclusiveAccess::CannotOpen);
    EXPECT_FALSE(lock.Held());
}

} // namespace
} // namespace bm::platform
