#pragma once

// Time-stretching of 16-bit PCM by integer overlap-add of grains: the
// duration changes by a factor x, the pitch stays. Grains of G frames are
// taken from the source at output frame So / x and laid down every 3/4 grain
// in the output; each grain rises linearly over its first quarter and falls
// over its last, so neighbouring grains cross-fade over a quarter grain.
//
// Two phases: Prepare() takes the channel count and grain size; Process()
// fills a caller-sized output block and never allocates (each grain is added
// straight from the source, so no grain buffer is needed). Usage:
//
//     OverlapAddStretcher stretcher;
//     stretcher.Prepare(channels, GrainFramesForKind(kind));
//     int64_t frames = OverlapAddStretcher::OutputFrames(source.size() / channels, x);
//     std::vector<int16_t> out(frames * channels);
//     stretcher.Process(source, x, out, progress);
//
// Thread: any one thread at a time per object (the engine worker).

#include <cstdint>
#include <span>
#include <vector>

namespace bm::dsp {

// Told the fraction of grains done (0 to below 1) before each next grain;
// returning false stops the stretch, leaving the output as far as it got.
struct StretchProgress {
    bool (*callback)(double fraction, void* context) = nullptr;
    void* context = nullptr;
};

struct StretchResult {
    int64_t grainsPlanned = 0; // 2 x output frames / step, the number the stretch aims for
    int64_t grainsDone = 0;    // grains added (for ProcessRange: those reaching its window)
    bool stopped = false;      // the progress callback asked to stop
};

class OverlapAddStretcher {
public:
    // Largest grain Prepare() accepts, in frames: ramp gains times 16-bit
    // samples must fit in 32 bits.
    static constexpr int kMaxGrainFrames = 1 << 16;
    static constexpr int kMaxChannels = 64;

    // Sets up for `channels` interleaved channels and a grain of
    // `grainFrames`. False (and unprepared) when either is out of range
    // (channels 1..kMaxChannels, grain 1..kMaxGrainFrames).
    bool Prepare(int channels, int grainFrames);
    bool IsPrepared() const { return m_channels > 0; }
    int Channels() const { return m_channels; }
    int GrainFrames() const { return m_grain; }

    // Output frames for `inputFrames` source frames stretched by `factor`:
    // truncate(inputFrames x factor). -1 when the factor is not a finite
    // positive number or the result would not fit in `maxFrames`.
    static int64_t OutputFrames(int64_t inputFrames, double factor, int64_t maxFrames = int64_t(1) << 40);

    // Stretches interleaved `source` (its size divided by the channel count,
    // rounded down, is the input frame count) into `output`, which the
    // caller sized to OutputFrames(...) x channels samples; Process() zeroes
    // it first. Sums of overlapping grains saturate at the 16-bit limits.
    // Does nothing (returns an empty result) when not prepared, when the
    // factor is not finite and positive, or when `output` holds no whole frame.
    StretchResult Process(std::span<const int16_t> source, double factor, std::span<int16_t> output,
                          StretchProgress progress = {}) noexcept;

    // Fills `output` with output frames firstFrame, firstFrame + 1, ... of a
    // stretch whose whole output is `totalFrames` frames, so that a long
    // stretch can be written out block by block in a small buffer. Blocks
    // that tile the output give exactly the samples of one Process() call.
    // Frames at or past totalFrames are silent. No progress reports.
    StretchResult ProcessRange(std::span<const int16_t> source, double factor, int64_t totalFrames,
                               int64_t firstFrame, std::span<int16_t> output) noexcept;

private:
    StretchResult Run(std::span<const int16_t> source, double factor, int64_t totalFrames, int64_t firstFrame,
                      std::span<int16_t> output, StretchProgress progress) const noexcept;

    int m_channels = 0;
    int m_grain = 0;
};

// Grain size in frames for a sample descriptor's kind: 0 (never stretched)
// gives 0; 1 gives 1024, 2 gives 8192, any other kind 4096.
int GrainFramesForKind(int32_t kind);

// Whether a sample of descriptor `length` and `kind` is stretched when
// `requestedSpan` frames are asked for, and by which factor: the length must
// lie in 26432 .. 1058368, the kind must not be 0, and the length must
// differ from requestedSpan / 2. The factor is (requestedSpan / 2) / length.
struct StretchPlan {
    bool stretch = false;
    double factor = 1.0;
    int grainFrames = 0;
};
StretchPlan PlanStretch(int32_t length, int32_t kind, int64_t requestedSpan);

// Convenience for whole buffers (the command-line tool, pitched copies):
// prepares, sizes `output` and stretches. False (output empty) when the
// parameters are out of range or the output would exceed `maxOutputSamples`.
bool StretchWhole(std::span<const int16_t> source, int channels, double factor, int grainFrames,
                  std::vector<int16_t>& output, StretchProgress progress = {},
                  int64_t maxOutputSamples = int64_t(1) << 31);

} // namespace bm::dsp
