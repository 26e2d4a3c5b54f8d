#pragma once

// The arithmetic of an export, apart from the worker so it can be checked
// alone: the normalising gain, the progress values, the fades and the
// summary that the finished message carries.
//
// Units: gains and levels in thousandths (1000 = unit gain, full scale);
// fade lengths in canonical bytes (4 per frame); samples are interleaved
// 16-bit stereo.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bm::engine {

// Loudest measure peaks below this are not amplified: the song is written
// at the level itself, as if its peak were full scale.
constexpr int32_t kExportQuietPeak = 127;
constexpr int32_t kFullScalePeak = 32767;
// Levels an export job may carry: above 100 × full scale the mix stops being
// meaningful (the export dialog sends 100 ... 10 000).
constexpr int32_t kMinExportLevel = 1;
constexpr int32_t kMaxExportLevel = 100000;

// The peak the gain is computed from: the loudest stored measure peak, or
// full scale when that is below kExportQuietPeak.
int64_t EffectivePeak(int64_t loudestPeak);
// level × 32767 / peak, truncated (peak from EffectivePeak).
int64_t ExportGain(int64_t level, int64_t peak);
// done × 1000 / count, 0 when count is not positive.
int64_t ExportProgress(int64_t done, int64_t count);
// The fade length: the measure length M in frames rounded down to a
// multiple of 4, taken as bytes (a quarter of a measure).
int64_t FadeBytes(int64_t samplesPerMeasure);

// The largest magnitude among the samples, 0 for none (-32768 gives 32768).
int32_t SamplePeak(std::span<const int16_t> samples);

// The first n samples of `samples` (n = its size): sample i becomes
// i × sample / n, limited to -32767 ... 32767.
void FadeIn(std::span<int16_t> samples);
// The same counted from the end: the last sample becomes 0.
void FadeOut(std::span<int16_t> samples);

// What a finished export wrote, carried as the text payload of the finished
// message so that a caller can show it; the progress dialog ignores it.
struct ExportSummary {
    int64_t measures = 0; // measures written
    int64_t frames = 0;   // frames of audio data
    int64_t peak = 0;        // loudest stored measure peak at unit gain, before normalising
    int64_t gain = 0;        // master gain the measures were written at
    int64_t writtenPeak = 0; // largest sample magnitude in the file, fades applied
    bool operator==(const ExportSummary&) const = default;
};
std::string FormatExportSummary(const ExportSummary& summary);
std::optional<ExportSummary> ParseExportSummary(const std::string& text);

} // namespace bm::engine
