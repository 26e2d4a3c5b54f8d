#include "engine/RecordingReadings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bm::engine {

namespace {

// 1 / 32767: a sample as a fraction of full scale.
constexpr double kPerFullScale = 0.00003051850947599719;
// 1 / 44100: canonical frames to seconds.
constexpr double kSecondsPerFrame = 0.000022675736961451248;
constexpr int64_t kBytesPerSecond = 176400;

} // namespace

int32_t InputLevelTenths(int32_t sample, int32_t dc)
{
    const int64_t x = std::llabs(int64_t(sample) - int64_t(dc));
    if (x == 0)
        return kSilenceLevelTenths;
    const double decibels = 20.0 * std::log10(double(x) * kPerFullScale);
    return int32_t(std::trunc(decibels * 10.0));
}

std::string LevelText(int32_t tenths)
{
    if (tenths == 0)
        return "clip";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(tenths) / 10.0);
    return text;
}

int32_t MeterTenths(int32_t tenths) { return std::clamp(tenths - kSilenceLevelTenths, 0, kMeterRangeTenths); }

ClockTime RecordedTime(uint32_t bytes)
{
    // 64-bit: (bytes / 4) × 10 exceeds 32 bits beyond about 7 minutes.
    const uint64_t u = bytes;
    ClockTime t;
    t.hours = int64_t(u / (kBytesPerSecond * 3600));
    t.minutes = int32_t(u / (kBytesPerSecond * 60) % 60);
    t.seconds = int32_t(u / kBytesPerSecond % 60);
    t.milliseconds = int32_t((u / 4) * 10 / 441 % 1000);
    return t;
}

ClockTime RecordingTimeLeft(double freeBytes)
{
    const double frames = std::max(0.0, freeBytes) / 4.0;
    // Whole milliseconds first, then split, so that every field agrees
    // with the others (no hour or minute rounded up ahead of the rest).
    const double total = std::floor(frames * kSecondsPerFrame * 1000.0 + 0.1);
    if (!(total < 9.0e18))
        return ClockTime{int64_t(9.0e18 / 3600000.0), 0, 0, 0};
    const int64_t ms = int64_t(total);
    ClockTime t;
    t.hours = ms / 3600000;
    t.minutes = int32_t(ms / 60000 % 60);
    t.seconds = int32_t(ms / 1000 % 60);
    t.milliseconds = int32_t(ms % 1000);
    return t;
}

} // namespace bm::engine
