#include "ui/main/TimeFormats.h"

#include <gtest/gtest.h>

namespace bm::ui {
namespace {

struct TimeCase {
    int32_t format;
    int64_t samples;
    bool length;
    const char* text;
};

class TimeFormatsTest : public ::testing::TestWithParam<TimeCase> {};

// 20352 samples a measure, 8 measures a bar.
TEST_P(TimeFormatsTest, ShowsPositionsAndLengths)
{
    const TimeCase& c = GetParam();
    EXPECT_EQ(TimeText(c.samples, c.samples / 20352, 20352, 8, c.format, c.length), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TimeFormatsTest,
    ::testing::Values(TimeCase{0, 0, false, "1.1"}, TimeCase{0, 20352 * 11 + 3 * 5088, false, "12.4"},
                      TimeCase{0, 20352 * 256, true, "256"}, TimeCase{1, 44100 * 65 + 11025, false, "1:05.25"},
                      TimeCase{1, 0, true, "0:00.00"}, TimeCase{2, 20352 * 8 * 3 + 20352 * 6, false, "4.7"},
                      TimeCase{2, 20352 * 256, true, "32.0"}, TimeCase{3, 651264, false, "651264"},
                      TimeCase{3, -5, false, "0"}));

TEST(TimeFormatsTest, DigitCodesTakeThePointAndMinusOfTheDigitFont)
{
    EXPECT_EQ(DigitCodesOf("1:05.2-"), std::string("1:05") + char(128) + "2" + char(129));
}

} // namespace
} // namespace bm::ui
