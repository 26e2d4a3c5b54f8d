#include "platform/InstanceLink.h"
#include "platform/SystemInfo.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm::platform {
namespace {

TEST(SystemInfo, ReportsTheMachine)
{
    EXPECT_GT(TotalPhysicalMemory(), uint64_t(16) << 20);
    EXPECT_EQ(ProcessorType(), 586);

    test::TempDir dir;
    EXPECT_GE(FreeDiskSpace(dir.Path()), 0);
    EXPECT_EQ(FreeDiskSpace(dir / "no/such/folder/"), -1);
}

TEST(InstanceSocketName, OnePerProgramFolderAndUser)
{
    const std::string name = InstanceSocketName("/opt/brickmelody/", 1000);
    EXPECT_EQ(name, InstanceSocketName("/opt/brickmelody/", 1000)); // stable from run to run
    EXPECT_NE(name, InstanceSocketName("/opt/brickmelody2/", 1000));
    EXPECT_NE(name, InstanceSocketName("/opt/brickmelody/", 1001));
    EXPECT_LT(name.size(), 64u); // fits a socket path with room to spare
    EXPECT_EQ(name.find('/'), std::string::npos);
    EXPECT_EQ(name.rfind("brickmelody-", 0), 0u);
}

} // namespace
} // namespace bm::platform
