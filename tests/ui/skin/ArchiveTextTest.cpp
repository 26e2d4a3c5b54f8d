#include "ui/skin/ArchiveText.h"

#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

TEST(NextLineTest, LastLineWithoutCrLfIsReturnedButReportsFalse)
{
    std::string text = "a\r\nb";
    std::string line = "before";
    EXPECT_TRUE(NextLine(text, line));
    EXPECT_EQ(line, "a");
    EXPECT_EQ(text, "b");
    EXPECT_FALSE(NextLine(text, line));
    EXPECT_EQ(line, "b");
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(NextLine(text, line));
    EXPECT_EQ(line, "b") << "an empty text leaves the line as it was";
}

TEST(NextLineTest, FinalCrLfEndsTheLastLine)
{
    std::string_view text = "a\r\n\r\nb\nc\r\n";
    std::string line;
    EXPECT_TRUE(NextLine(text, line));
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(NextLine(text, line));
    EXPECT_EQ(line, "") << "an empty line is a line";
    EXPECT_TRUE(NextLine(text, line));
    EXPECT_EQ(line, "b\nc") << "a bare LF does not end a line";
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(NextLine(text, line));
    EXPECT_EQ(line, "b\nc");
}

TEST(NextLineTest, LoopingReaderSkipsAnUnterminatedLastLine)
{
    std::string_view text = "one\r\ntwo\r\nthree";
    std::string line;
    std::vector<std::string> lines;
    while (NextLine(text, line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

TEST(ReadTextEntryTest, ReadsUpToTheFirstZeroByte)
{
    test::TempDir dir;
    std::string path = dir / "text.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"hints.dat", "%A \"x\"\r\n"},
                                                                 {"cut.res", std::string("ab\0cd", 5)},
                                                                 {"zero.res", std::string("\0ab", 3)},
                                                                 {"empty.res", ""}})));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));
    std::string text = "old";
    EXPECT_TRUE(ReadTextEntry(archive, "HINTS.DAT", text));
    EXPECT_EQ(text, "%A \"x\"\r\n");
    EXPECT_TRUE(ReadTextEntry(archive, "cut.res", text));
    EXPECT_EQ(text, "ab");
    for (const char* name : {"zero.res", "empty.res", "missing.res"}) {
        text = "old";
        EXPECT_FALSE(ReadTextEntry(archive, name, text)) << name;
        EXPECT_TRUE(text.empty()) << name;
    }
}

} // namespace
} // namespace bm
