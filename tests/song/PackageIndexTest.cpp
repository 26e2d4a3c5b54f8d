#include "song/PackageIndex.h"
#include "song/PackageWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

const std::string kLine =
    "\"0.smp\"  \"Pop\"  \"Drums\"  \"User\"  \"C\"  \"kick\"  \"x\"  \"C:\\\\bm\\\\USERDATA\\\\kick.wav\"  \"k\"  \"88000\"  \"2\"";

TEST(PackageIndex, FormatsAndParsesASampleLine)
{
    PackageSample sample;
    sample.entryName = "0.smp";
    sample.texts = {"Pop", "Drums", "User", "C", "kick", "x", "C:\\\\bm\\\\USERDATA\\\\kick.wav", "k"};
    sample.nominalLength = 88000;
    sample.kind = 2;
    EXPECT_EQ(FormatPackageSample(sample), kLine + "\r\n");

    std::vector<PackageSample> read;
    ASSERT_TRUE(ParsePackageIndex("\r\n" + kLine + "\r\n", read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], sample);
    EXPECT_EQ(read[0].FileName(), "kick.wav");
}

TEST(PackageIndex, MissingLastFieldsTakeDefaultsAndOtherLinesAreSkipped)
{
    std::vector<PackageSample> read;
    ASSERT_TRUE(ParsePackageIndex("comment\n  \"1.smp\" \"a\" \"b\" \"c\" \"d\" \"e\" \"f\" \"/x/y.wav\" \"g\"  \n"
                                  "\"2.smp\"\"a\"\"b\"\"c\"\"d\"\"e\"\"f\"\"y.wav\"\"g\"\"-5\"\n",
                                  read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].nominalLength, kPackageDefaultNominalLength);
    EXPECT_EQ(read[0].kind, 0);
    EXPECT_EQ(read[1].entryName, "2.smp");
    EXPECT_EQ(read[1].nominalLength, -5);
    EXPECT_EQ(read[1].kind, 0);
}

TEST(PackageIndex, ReversedIndexStartsWithAnEmptyLine)
{
    EXPECT_EQ(ReversedIndex(""), "\r\n");
    EXPECT_EQ(ReversedIndex("A\r\nB\r\n"), "\r\nB\r\nA\r\n");
}

struct MalformedIndex {
    const char* name;
    std::string text;
    const char* reason; // part of the message
};

class MalformedPackageIndex : public testing::TestWithParam<MalformedIndex> {};

TEST_P(MalformedPackageIndex, IsRefusedWithAReason)
{
    std::vector<PackageSample> read{PackageSample{}};
    Error error;
    EXPECT_FALSE(ParsePackageIndex(GetParam().text, read, &error));
    EXPECT_TRUE(read.empty());
    EXPECT_NE(error.message.find(GetParam().reason), std::string::npos) << error.message;
}

std::string Line(const std::string& entry, const std::string& first, const std::string& path)
{
    return "\"" + entry + "\"  \"s\"  \"g\"  \"p\"  \"c\"  \"" + first + "\"  \"2\"  \"" + path + "\"  \"4\"\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedPackageIndex,
    testing::Values(
        MalformedIndex{"Truncated", "\r\n\"0.smp\"  \"Pop\"  \"Dru", "closing quote"},
        MalformedIndex{"TooFewFields", "\r\n\"0.smp\"  \"Pop\"  \"Drums\"\r\n", "at least 9"},
        MalformedIndex{"UnterminatedTenth", "\"0.smp\"  \"s\"  \"g\"  \"p\"  \"c\"  \"a\"  \"2\"  \"x.wav\"  \"4\"  \"12",
                       "field 10 has no closing quote"},
        MalformedIndex{"EntryWithFolder", Line("../0.smp", "a", "x.wav"), "entry name"},
        MalformedIndex{"EmptyEntry", Line("", "a", "x.wav"), "entry name"},
        MalformedIndex{"NoName", Line("0.smp", "", "x.wav"), "no name"},
        MalformedIndex{"PathEndsInDotDot", Line("0.smp", "a", "..\\..\\.."), "file name \"..\""},
        MalformedIndex{"PathEndsInDot", Line("0.smp", "a", "/x/."), "file name \".\""},
        MalformedIndex{"PathEndsInSeparator", Line("0.smp", "a", "C:\\x\\"), "file name \"\""},
        MalformedIndex{"ControlCharacter", Line("0.smp", "a", "x\x01.wav"), "not a plain"},
        MalformedIndex{"NulByte", std::string("\r\n\"0.smp\0\"", 11), "zero byte"},
        MalformedIndex{"TooLarge", std::string(size_t(kMaxPackageIndexBytes) + 1, ' '), "too large"}),
    [](const testing::TestParamInfo<MalformedIndex>& info) { return std::string(info.param.name); });

TEST(PackageIndex, TakesHugeNumbersAndLongLines)
{
    std::vector<PackageSample> read;
    std::string longName(1 << 20, 'n');
    ASSERT_TRUE(ParsePackageIndex("\"0.smp\"  \"s\"  \"g\"  \"p\"  \"c\"  \"" + longName
                                      + "\"  \"2\"  \"/a/../b\\\\x.wav\"  \"4\"  \"99999999999\"  \"-99999999999\"",
                                  read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].texts.first.size(), longName.size());
    EXPECT_EQ(read[0].nominalLength, INT32_MAX);
    EXPECT_EQ(read[0].kind, INT32_MIN);
    EXPECT_EQ(read[0].FileName(), "x.wav");
}

TEST(PackageIndex, SurvivesDamagedIndexes)
{
    std::string valid = "\r\n";
    for (int i = 0; i < 5; ++i)
        valid += Line(std::to_string(i) + ".smp", "name" + std::to_string(i), "C:\\a\\b" + std::to_string(i) + ".wav");
    std::mt19937 random(99);
    for (int round = 0; round < 100; ++round) {
        std::string text = valid;
        for (size_t i = 0; i < text.size() / 100 + 1; ++i)
            text[random() % text.size()] = static_cast<char>(random() & 0xFF);
        std::vector<PackageSample> read;
        if (ParsePackageIndex(text, read)) {
            for (const auto& sample : read) {
                EXPECT_FALSE(sample.entryName.empty());
                EXPECT_EQ(sample.FileName().find_first_of("/\\"), std::string::npos);
            }
        }
    }
}

} // namespace
} // namespace bm
