#include "core/FileCopy.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm {
namespace {

TEST(FileCopy, CopiesEveryByteOverAnEarlierFileAndLeavesItOnFailure)
{
    test::TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, '\0'); // more than one block
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 31 + i / 4096);
    ASSERT_TRUE(test::WriteFile(dir / "source", big));
    ASSERT_TRUE(test::WriteFile(dir / "target", "earlier"));

    Error error;
    ASSERT_TRUE(CopyFileDurably(dir / "source", dir / "target", &error)) << error.message;
    EXPECT_EQ(test::ReadFile(dir / "target"), big);
    ASSERT_TRUE(CopyFileDurably(dir / "empty-missing-is-an-error", dir / "target", &error) == false);
    EXPECT_NE(error.message.find("cannot open"), std::string::npos);
    EXPECT_EQ(test::ReadFile(dir / "target"), big);
    EXPECT_FALSE(CopyFileDurably(dir / "source", dir / "no/such/folder/target", &error));
    EXPECT_FALSE(CopyFileDurably(dir / "source", dir.Path(), &error)) << "no file name";

    // Nothing but the two files is left behind.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2u);
}

} // namespace
} // namespace bm
