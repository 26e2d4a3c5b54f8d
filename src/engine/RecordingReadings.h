#pragma once

// The readings the record display makes of the values the engine publishes
// while recording (EngineWorker::InputLeft() ... FreeSpace()): the input
// level of one channel, the recorded time and the recording time left.
// Pure functions, any thread.
//
//     const int32_t tenths = InputLevelTenths(engine.InputLeft(), dcReference);
//     label = LevelText(tenths);                    // "-12.3" or "clip"
//     const ClockTime t = RecordedTime(engine.RecordedBytes());

#include <cstdint>
#include <string>

namespace bm::engine {

// The level shown for silence, in tenths of a decibel (-90.0 dB); the meter
// spans 900 tenths above it.
constexpr int32_t kSilenceLevelTenths = -900;
constexpr int32_t kMeterRangeTenths = 900;

// Level of `sample` against the DC reference `dc` (0 without one), in tenths
// of a decibel relative to full scale (32767), truncated toward zero:
// 20 × log10(|sample − dc| / 32767); silence (sample == dc) reads -90.0 dB.
// Full scale reads 0; offsets beyond full scale read above 0.
int32_t InputLevelTenths(int32_t sample, int32_t dc = 0);
// "clip" for a level of exactly 0 tenths, else the decibels with one
// decimal ("-6.1").
std::string LevelText(int32_t tenths);
// The meter's fill, 0 ... 900 tenths above -90 dB.
int32_t MeterTenths(int32_t tenths);

struct ClockTime {
    int64_t hours = 0;
    int32_t minutes = 0;      // 0 ... 59
    int32_t seconds = 0;      // 0 ... 59
    int32_t milliseconds = 0; // 0 ... 999
    bool operator==(const ClockTime&) const = default;
};

// How long `bytes` of canonical audio (176 400 bytes a second) play.
ClockTime RecordedTime(uint32_t bytes);
// How long the input can still be recorded into `freeBytes` of disk space,
// to the millisecond (rounded down, with a margin of 0.1 ms for the
// floating-point division); negative space reads as none.
ClockTime RecordingTimeLeft(double freeBytes);

} // namespace bm::engine
