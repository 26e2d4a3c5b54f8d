#include "engine/RecordingReadings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace bm::engine {
namespace {

struct LevelCase {
    int32_t sample;
    int32_t dc;
    int32_t tenths;
    const char* text;
    int32_t meter;
};

class InputLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(InputLevel, ReadsTenthsOfADecibelTruncatedTowardZero)
{
    const LevelCase& c = GetParam();
    const int32_t tenths = InputLevelTenths(c.sample, c.dc);
    EXPECT_EQ(tenths, c.tenths);
    EXPECT_EQ(LevelText(tenths), c.text);
    EXPECT_EQ(MeterTenths(tenths), c.meter);
}

INSTANTIATE_TEST_SUITE_P(RecordingReadings, InputLevel,
                         ::testing::Values(LevelCase{32767, 0, 0, "clip", 900},   // full scale
                                           LevelCase{-32767, 0, 0, "clip", 900},
                                           LevelCase{-32768, 0, 0, "clip", 900},  // a hair above full scale
                                           LevelCase{0, 0, -900, "-90.0", 0},     // silence
                                           LevelCase{100, 100, -900, "-90.0", 0}, // silence at the DC reference
                                           LevelCase{16384, 0, -60, "-6.0", 840}, // -6.02 dB
                                           LevelCase{3277, 0, -199, "-19.9", 701}, // -19.9992 dB
                                           LevelCase{1, 0, -903, "-90.3", 0},     // below the meter
                                           LevelCase{600, 500, -503, "-50.3", 397},
                                           LevelCase{32767, -32768, 60, "6.0", 900})); // beyond full scale

struct TimeCase {
    double bytes;
    ClockTime time;
};

class RecordedTimeOf : public ::testing::TestWithParam<TimeCase> {};

TEST_P(RecordedTimeOf, SplitsCanonicalBytesIntoHoursMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(RecordedTime(uint32_t(GetParam().bytes)), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(RecordingReadings, RecordedTimeOf,
                         ::testing::Values(TimeCase{0, {0, 0, 0, 0}},
                                           TimeCase{176400, {0, 0, 1, 0}},
                                           TimeCase{17640, {0, 0, 0, 100}},
                                           TimeCase{656754840, {1, 2, 3, 100}},
                                           // The largest file: milliseconds need more than 32 bits.
                                           TimeCase{4294967295.0, {6, 45, 47, 887}}));

class TimeLeftOf : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeLeftOf, GivesTheRecordingTimeThatFitsInTheFreeSpace)
{
    EXPECT_EQ(RecordingTimeLeft(GetParam().bytes), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(RecordingReadings, TimeLeftOf,
                         ::testing::Values(TimeCase{0, {0, 0, 0, 0}},
                                           TimeCase{-4096, {0, 0, 0, 0}},
                                           TimeCase{7, {0, 0, 0, 0}},         // under a frame
                                           TimeCase{176400, {0, 0, 1, 0}},    // one second
                                           TimeCase{635040000, {1, 0, 0, 0}}, // one hour
                                           // 0.95 hours: every field agrees, no hour is rounded up.
                                           TimeCase{603288000, {0, 57, 0, 0}},
                                           TimeCase{1e10, {15, 44, 49, 342}},
                                           TimeCase{std::numeric_limits<double>::quiet_NaN(), {0, 0, 0, 0}}));

TEST(RecordingReadings, HugeFreeSpaceStaysFinite)
{
    const ClockTime t = RecordingTimeLeft(std::numeric_limits<double>::infinity());
    EXPECT_GT(t.hours, 0);
    EXPECT_EQ(RecordingTimeLeft(1e18).hours, int64_t(1e18 / 4 / 44100 / 3600));
}

} // namespace
} // namespace bm::engine
