#include "core/Text.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

TEST(Text, LineReaderTrimsAndSkipsEmptyLines)
{
    LineReader lines("  first \r\n\r\n\tsecond\nthird");
    std::string_view line;
    std::vector<std::string> got;
    while (lines.Next(line))
        got.emplace_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"first", "second", "third"}));

    LineReader raw("a\r\n\r\nb\r\n");
    std::vector<std::string> rawLines;
    while (raw.NextRaw(line))
        rawLines.emplace_back(line);
    EXPECT_EQ(rawLines, (std::vector<std::string>{"a", "", "b"}));
}

TEST(Text, LenientDecimal)
{
    EXPECT_EQ(ParseDecimal("42"), 42);
    EXPECT_EQ(ParseDecimal("  -17xyz"), -17);
    EXPECT_EQ(ParseDecimal("+5"), 5);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("-"), 0);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimal64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseDecimal64("9223372036854775808"), INT64_MAX);
}

TEST(Text, HexReadAndWrite)
{
    EXPECT_EQ(ParseHex("0xFF00aa"), 0xFF00AAu);
    EXPECT_EQ(ParseHex("  0X1f"), 0x1Fu);
    EXPECT_EQ(ParseHex("abc"), 0xABCu);
    EXPECT_EQ(ParseHex("0x"), 0u);
    EXPECT_EQ(ParseHex("zz"), 0u);
    EXPECT_EQ(ParseHex("0x123456789"), 0x23456789u); // folds modulo 2^32
    EXPECT_EQ(FormatHex(0), "0x0");
    EXPECT_EQ(FormatHex(0xFF00AA), "0xFF00AA");
    EXPECT_EQ(FormatHex(0xFFFFFFFFu), "0xFFFFFFFF");
}

TEST(Text, QuotedFields)
{
    auto fields = QuotedFields("\"one\"  \"\"  \"three words\"", 4);
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0], "one");
    EXPECT_EQ(fields[1], "");
    EXPECT_EQ(fields[2], "three words");
    EXPECT_EQ(fields[3], "");
    EXPECT_EQ(QuotedFields("\"unterminated", 1)[0], "");
    EXPECT_EQ(QuotedFields("no quotes", 1)[0], "");
}

} // namespace
} // namespace bm
