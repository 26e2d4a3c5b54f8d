#include "ui/skin/StringTable.h"

#include "SkinFixture.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using namespace std::string_literals;

struct HintCase {
    const char* name;
    std::string text; // the whole hints.dat
    const char* key;
    bool found;
    std::string expectedText;
    uint32_t textColour, clearColour, thirdColour;
    int32_t clearStyle;
};

class HintLineTest : public ::testing::TestWithParam<HintCase> {};

TEST_P(HintLineTest, YieldsTheFieldsTheRulesGive)
{
    const HintCase& c = GetParam();
    HintRecord record;
    EXPECT_EQ(FindHint(c.text, c.key, record), c.found) << c.name;
    EXPECT_EQ(record.found, c.found) << c.name;
    EXPECT_EQ(record.text, c.expectedText) << c.name;
    EXPECT_EQ(record.textColour, c.textColour) << c.name;
    EXPECT_EQ(record.clearColour, c.clearColour) << c.name;
    EXPECT_EQ(record.thirdColour, c.thirdColour) << c.name;
    EXPECT_EQ(record.clearStyle, c.clearStyle) << c.name;
}

const std::string kDefault(HintRecord::kDefaultText);
constexpr uint32_t kText = HintRecord::kDefaultTextColour, kClear = HintRecord::kDefaultClearColour;

INSTANTIATE_TEST_SUITE_P(
    Lines, HintLineTest,
    ::testing::Values(
        HintCase{"plain", "%TIME 0xA1B2C3 0x10 0x0 \"Time\" 3\r\n", "%TIME ", true, "Time", 0xA1B2C3, 0x10, 0, 3},
        HintCase{"key blank counts", "%TIME_FORMAT 0x1 0x2 0x3 \"Format\" 1\r\n", "%TIME ", false, kDefault, kText, kClear, 0, 0},
        HintCase{"after the longer key", "%TIME_FORMAT 0x1 0x2 0x3 \"F\" 1\r\n%TIME 0x4 0x5 0x6 \"T\" 2\r\n", "%TIME ", true, "T", 4, 5, 6, 2},
        HintCase{"leading blanks", "   \t%EDIT 0xff 0xAb 0x0 \"Edit\"  7  \r\n", "%EDIT ", true, "Edit", 0xFF, 0xAB, 0, 7},
        HintCase{"first line wins", "%EDIT 0x1 0x1 0x1 \"one\" 1\r\n%EDIT 0x2 0x2 0x2 \"two\" 2\r\n", "%EDIT ", true, "one", 1, 1, 1, 1},
        HintCase{"lower-case key", "%edit 0x1 0x1 0x1 \"x\" 1\r\n", "%EDIT ", false, kDefault, kText, kClear, 0, 0},
        HintCase{"comment lines", "colours of the edit button\r\n\r\n%EDIT 0x1 0x2 0x3 \"e\" 0\r\n", "%EDIT ", true, "e", 1, 2, 3, 0},
        HintCase{"last line without CR LF", "%EDIT 0x1 0x2 0x3 \"e\" 0", "%EDIT ", false, kDefault, kText, kClear, 0, 0},
        HintCase{"no quotes", "%EDIT 0x1 0x2 0x3 Edit 4\r\n", "%EDIT ", true, "", 1, 2, 3, 0},
        HintCase{"unterminated quote", "%EDIT 0x1 0x2 0x3 \"Edit 4\r\n", "%EDIT ", true, "", 1, 2, 3, 0},
        HintCase{"missing colours", "%EDIT \"Edit\" 2\r\n", "%EDIT ", true, "Edit", 0, 0, 0, 2},
        HintCase{"colour overflows 32 bits", "%EDIT 0x123456789 0xG 0x \"E\" 99999999999\r\n", "%EDIT ", true, "E", 0x23456789, 0, 0, INT32_MAX},
        HintCase{"negative style", "%EDIT 0x1 0x2 0x3 \"E\" -2\r\n", "%EDIT ", true, "E", 1, 2, 3, -2},
        HintCase{"hash and tilde kept", "%CHANNEL_SWITCH 0x1 0x2 0x3 \"Channel # on~Channel # off\" 0\r\n", "%CHANNEL_SWITCH ", true,
                 "Channel # on~Channel # off", 1, 2, 3, 0},
        HintCase{"a NUL is a byte of the text", "%EDIT 0x1 0x2 0x3 \"E\0x\" 1\r\n"s, "%EDIT ", true, "E\0x"s, 1, 2, 3, 1}));

TEST(StringTableTest, LooksEachKeyUpAfreshAndKeepsDefaultsWhenMissing)
{
    test::SkinArchive skin;
    skin.Add("hints.dat", "%TRANS_PLAY 0x00FF00 0x000011 0x0 \"Play\" 2\r\n%TRANS_STOP 0x1 0x2 0x3 \"Stop\" 0\r\n");
    ResourceArchive& archive = skin.Open();
    StringTable table(archive);
    HintRecord& play = table.LookUpHint("%TRANS_PLAY ", {10, 10, 19, 19}, 1);
    table.LookUpHint("%TRANS_STOP ", {15, 15, 30, 30}, 0);
    HintRecord& other = table.LookUpHint("%TRANS_LOOP ", {15, 15, 30, 30}, 1);
    EXPECT_EQ(play.text, "Play");
    EXPECT_EQ(play.textColour, 0x00FF00u);
    EXPECT_EQ(play.clearStyle, 2);
    EXPECT_EQ(play.rect, (Rect{10, 10, 19, 19}));
    EXPECT_EQ(other.text, "I don't know.");
    EXPECT_EQ(other.textColour, 0xA0A0A0u);
    EXPECT_EQ(other.clearColour, 0x606060u);
    EXPECT_FALSE(other.found);
    ASSERT_EQ(table.Records().size(), 3u);
    // The first shown record holding the point: the stop hint is not shown.
    EXPECT_EQ(table.RecordAt({16, 16}), &table.Records()[0]);
    EXPECT_EQ(table.RecordAt({25, 25}), &other);
    EXPECT_EQ(table.RecordAt({99, 99}), nullptr);

    HintRecord target;
    target.rect = {1, 2, 3, 4};
    table.LookUpText("%TRANS_STOP ", target);
    EXPECT_EQ(target.text, "Stop");
    EXPECT_EQ(target.clearColour, 2u);
    EXPECT_EQ(target.rect, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(table.Records().size(), 3u);

    test::SkinArchive empty;
    empty.Add("other.dat", "x");
    StringTable none(empty.Open());
    EXPECT_EQ(none.LookUpHint("%TRANS_PLAY ", {}, 1).text, "I don't know.");
}

TEST(StringTableTest, FillsNumbersAndPicksTheWordingOfAState)
{
    EXPECT_EQ(FillHintText("Channel # on~Channel # off", "07", 0), "Channel 07 on");
    EXPECT_EQ(FillHintText("Channel # on~Channel # off", "07", 1), "Channel 07 off");
    EXPECT_EQ(FillHintText("Volume #, #", "80", 1), "Volume 80, 80");
    EXPECT_EQ(FillHintText("a~b~c", "", 1), "b~c");
    EXPECT_EQ(FillHintText("", "1", 0), "");
}

} // namespace
} // namespace bm
