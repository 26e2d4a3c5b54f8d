#pragma once

// Changes the pitch (and duration) of interleaved 16-bit audio by a ratio r:
// output frame n reads the source at position (n + 1) / r, interpolated per
// channel with a four-point cubic curve that passes through the two middle
// points. r = 0.5 raises by an octave (the output has half the frames).
//
// A pure function of its inputs: nothing to prepare, and Process() never
// allocates. Usage for a pitched copy of canonical audio:
//
//     double r = CubicResampler::RatioForSemitones(s);
//     int64_t bytes = CubicResampler::OutputBytes(source.size() * 2, r);
//     std::vector<int16_t> out(CubicResampler::WrittenFrames(bytes) * 2);
//     CubicResampler::Process(source, 2, r, out);
//
// Thread: any.

#include <cstdint>
#include <span>

namespace bm::dsp {

class CubicResampler {
public:
    // 2^(-semitones / 12).
    static double RatioForSemitones(double semitones);

    // Output size in bytes for `sourceBytes` bytes at ratio r:
    // truncate(sourceBytes x r). -1 when r is not a finite positive number
    // or the result would exceed `maxBytes`.
    static int64_t OutputBytes(int64_t sourceBytes, double ratio, int64_t maxBytes = int64_t(1) << 40);

    // Frames actually computed for an output of `outputBytes` canonical
    // bytes (4 per frame): the interpolation leaves out the last three
    // frames, so max(0, outputBytes / 4 - 3).
    static int64_t WrittenFrames(int64_t outputBytes);

    // Fills every whole frame of `output`: frame n is the source interpolated
    // at t = (n + 1) x (1 / r). Source frames before the first or after the
    // last are taken as the first or last frame; an empty source gives
    // silence. Values are truncated and clamped to -32768 .. 32767.
    // Does nothing when `channels` is below 1 or r is not finite and positive.
    static void Process(std::span<const int16_t> source, int channels, double ratio,
                        std::span<int16_t> output) noexcept;

    // The curve through y0 (at f = 0) and y1 (at f = 1), shaped by the
    // outer points ym1 and y2, at fraction f; truncated and clamped.
    static int16_t Interpolate(int ym1, int y0, int y1, int y2, double f) noexcept;
};

} // namespace bm::dsp
