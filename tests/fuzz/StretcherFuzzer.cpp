// The stretcher, the resampler and the spectrum over arbitrary parameters:
// odd grain sizes, tiny, huge and non-finite factors, short or empty
// sources, windows anywhere in the output. Nothing may read or write out of
// bounds, and blocks of a stretch must add up to the whole stretch.

#include "engine/dsp/CubicResampler.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "engine/dsp/SpectrumAnalyser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Output sizes stay small so that each run is quick.
constexpr int64_t kMaxOutputFrames = 1 << 15;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace bm::dsp;
    if (size < 16)
        return 0;
    const int channels = 1 + data[0] % 4;
    const int grain = 1 + static_cast<int>((data[1] | (data[2] << 8)) % 16384);
    double factor;
    std::memcpy(&factor, data + 3, sizeof factor); // any bit pattern: NaN, infinities, denormals
    const int64_t window = 63 + (data[11] | (data[12] << 8)) % 8192;
    std::vector<int16_t> source((size - 16) / 2);
    if (!source.empty())
        std::memcpy(source.data(), data + 16, source.size() * 2);

    OverlapAddStretcher stretcher;
    Check(stretcher.Prepare(channels, grain));
    const int64_t frames =
        OverlapAddStretcher::OutputFrames(static_cast<int64_t>(source.size()) / channels, factor, kMaxOutputFrames);
    if (frames >= 0) {
        std::vector<int16_t> whole(static_cast<size_t>(frames * channels));
        stretcher.Process(source, factor, whole);
        // Blocks of `window + 1` frames tile the same output.
        std::vector<int16_t> block(static_cast<size_t>((window + 1) * channels));
        for (int64_t first = 0; first < frames; first += window + 1) {
            stretcher.ProcessRange(source, factor, frames, first, block);
            const int64_t n = std::min(window + 1, frames - first);
            Check(std::equal(block.begin(), block.begin() + n * channels, whole.begin() + first * channels));
        }
    } else {
        // Whatever the caller passes, an output block is filled or left alone safely.
        std::vector<int16_t> out(static_cast<size_t>(window * channels));
        stretcher.Process(source, factor, out);
        stretcher.ProcessRange(source, factor, kMaxOutputFrames, window, out);
    }

    const int64_t bytes = CubicResampler::OutputBytes(static_cast<int64_t>(source.size()) * 2, factor,
                                                      kMaxOutputFrames * 4);
    std::vector<int16_t> resampled(static_cast<size_t>(
        (bytes >= 0 ? CubicResampler::WrittenFrames(bytes) : window) * channels));
    CubicResampler::Process(source, channels, factor, resampled);

    SpectrumAnalyser analyser;
    for (int32_t v : analyser.Analyse(source))
        Check(v >= 0 && v <= 32767);
    return 0;
}
