#include "engine/ExportAudio.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace bm::engine {

int64_t EffectivePeak(int64_t loudestPeak) { return loudestPeak < kExportQuietPeak ? kFullScalePeak : loudestPeak; }

int64_t ExportGain(int64_t level, int64_t peak) { return peak > 0 ? level * kFullScalePeak / peak : level; }

int64_t ExportProgress(int64_t done, int64_t count) { return count > 0 ? done * 1000 / count : 0; }

int64_t FadeBytes(int64_t samplesPerMeasure) { return std::max<int64_t>(0, samplesPerMeasure / 4 * 4); }

namespace {

int16_t Scaled(int64_t i, int16_t sample, int64_t n)
{
    return int16_t(std::clamp<int64_t>(i * sample / n, -32767, 32767));
}

} // namespace

int32_t SamplePeak(std::span<const int16_t> samples)
{
    int32_t peak = 0;
    for (const int16_t sample : samples)
        peak = std::max(peak, std::abs(int32_t(sample)));
    return peak;
}

void FadeIn(std::span<int16_t> samples)
{
    const int64_t n = int64_t(samples.size());
    for (int64_t i = 0; i < n; ++i)
        samples[size_t(i)] = Scaled(i, samples[size_t(i)], n);
}

void FadeOut(std::span<int16_t> samples)
{
    const int64_t n = int64_t(samples.size());
    for (int64_t j = 0; j < n; ++j)
        samples[size_t(j)] = Scaled(n - 1 - j, samples[size_t(j)], n);
}

std::string FormatExportSummary(const ExportSummary& s)
{
    char text[160];
    std::snprintf(text, sizeof text, "measures=%lld frames=%lld peak=%lld gain=%lld written_peak=%lld",
                  static_cast<long long>(s.measures), static_cast<long long>(s.frames),
                  static_cast<long long>(s.peak), static_cast<long long>(s.gain),
                  static_cast<long long>(s.writtenPeak));
    return text;
}

std::optional<ExportSummary> ParseExportSummary(const std::string& text)
{
    ExportSummary s;
    long long measures = 0;
    long long frames = 0;
    long long peak = 0;
    long long gain = 0;
    long long writtenPeak = 0;
    if (std::sscanf(text.c_str(), "measures=%lld frames=%lld peak=%lld gain=%lld written_peak=%lld", &measures,
                    &frames, &peak, &gain, &writtenPeak) != 5)
        return std::nullopt;
    s.measures = measures;
    s.frames = frames;
    s.peak = peak;
    s.gain = gain;
    s.writtenPeak = writtenPeak;
    return s;
}

} // namespace bm::engine
