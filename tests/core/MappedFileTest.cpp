#include "core/MappedFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace bm {
namespace {

TEST(MappedFile, MapsWholeFilesAndRefusesOthers)
{
    test::TempDir dir;
    const std::string bytes = std::string("RIFF") + std::string(1, '\0') + "tail";
    ASSERT_TRUE(test::WriteFile(dir / "a.bin", bytes));
    ASSERT_TRUE(test::WriteFile(dir / "empty.bin", ""));

    MappedFile file;
    ASSERT_TRUE(file.Open(dir / "a.bin"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Bytes().data()), file.Bytes().size()), bytes);

    MappedFile moved = std::move(file);
    EXPECT_TRUE(file.Bytes().empty());
    EXPECT_EQ(moved.Bytes().size(), bytes.size());

    EXPECT_TRUE(file.Open(dir / "empty.bin"));
    EXPECT_TRUE(file.Bytes().empty());

    Error error;
    EXPECT_FALSE(file.Open(dir / "missing.bin", &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_FALSE(file.Open(dir.Path(), &error)); // a folder
    EXPECT_TRUE(file.Bytes().empty());
}

} // namespace
} // namespace bm
