#include "ui/skin/TextList.h"

#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

TEST(TextListTest, TakesLinesInTurnAndKeepsBuiltInTextsWhereLinesRunOut)
{
    test::TempDir dir;
    std::string path = dir / "texts.wad";
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"few.res", "Caption\r\n\r\nlast without end"},
                                                                 {"many.res", "a\r\nb\r\nc\r\nd\r\n"}})));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));

    std::vector<std::string> texts = {"1", "2", "3", "4"};
    EXPECT_TRUE(ReadTextList(archive, "few.res", texts));
    EXPECT_EQ(texts, (std::vector<std::string>{"Caption", "", "last without end", "4"}))
        << "an empty line is a text; a last line without CR LF is taken";

    texts = {"1", "2"};
    EXPECT_TRUE(ReadTextList(archive, "many.res", texts));
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b"})) << "surplus lines are not read";

    texts = {"1", "2"};
    EXPECT_FALSE(ReadTextList(archive, "missing.res", texts));
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2"}));
}

TEST(TextListTest, ExpandLineBreaksTurnsBackslashNIntoCrLfOnly)
{
    EXPECT_EQ(ExpandLineBreaks("one\\ntwo\\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(ExpandLineBreaks("a\\b\\"), "a\\b\\") << "other backslashes stay";
    EXPECT_EQ(ExpandLineBreaks("\\\\n"), "\\\r\n");
}

} // namespace
} // namespace bm
