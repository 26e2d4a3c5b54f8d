// Speed of the signal processing: the overlap-add stretcher at its three
// grain sizes, the cubic resampler and the spectrum FFT. Rates are in
// output frames per second (44 100 Hz stereo, 16-bit).

#include "engine/dsp/CubicResampler.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "engine/dsp/SpectrumAnalyser.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using namespace bm::dsp;

// Ten seconds of a stereo chord, so that the data is not trivially
// compressible for the branch predictor.
std::vector<int16_t> Material(int64_t frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames * 2));
    for (int64_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / 44100.0;
        const double v = 9000 * std::sin(2 * M_PI * 220 * t) + 6000 * std::sin(2 * M_PI * 277.2 * t) +
                         4000 * std::sin(2 * M_PI * 329.6 * t);
        out[2 * n] = static_cast<int16_t>(v);
        out[2 * n + 1] = static_cast<int16_t>(-v * 0.8);
    }
    return out;
}

void StretcherGrain(benchmark::State& state)
{
    const int grain = static_cast<int>(state.range(0));
    const double factor = 1.0 / 1.1; // the same change as "tempo +10 %"
    const auto source = Material(441000);
    OverlapAddStretcher stretcher;
    stretcher.Prepare(2, grain);
    const int64_t frames = OverlapAddStretcher::OutputFrames(441000, factor);
    std::vector<int16_t> output(static_cast<size_t>(frames * 2));
    for (auto _ : state) {
        stretcher.Process(source, factor, output);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(StretcherGrain)->Arg(1024)->Arg(4096)->Arg(8192)->Unit(benchmark::kMillisecond);

void StretcherSlowDown(benchmark::State& state)
{
    const double factor = 2.0; // a loop stretched to twice its length
    const auto source = Material(441000);
    OverlapAddStretcher stretcher;
    stretcher.Prepare(2, static_cast<int>(state.range(0)));
    const int64_t frames = OverlapAddStretcher::OutputFrames(441000, factor);
    std::vector<int16_t> output(static_cast<size_t>(frames * 2));
    for (auto _ : state) {
        stretcher.Process(source, factor, output);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(StretcherSlowDown)->Arg(4096)->Unit(benchmark::kMillisecond);

void Resampler(benchmark::State& state)
{
    const auto source = Material(441000);
    const double ratio = CubicResampler::RatioForSemitones(static_cast<double>(state.range(0)));
    const int64_t bytes = CubicResampler::OutputBytes(static_cast<int64_t>(source.size()) * 2, ratio);
    const int64_t frames = CubicResampler::WrittenFrames(bytes);
    std::vector<int16_t> output(static_cast<size_t>(frames * 2));
    for (auto _ : state) {
        CubicResampler::Process(source, 2, ratio, output);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Resampler)->Arg(-5)->Arg(7)->Unit(benchmark::kMillisecond);

void Spectrum(benchmark::State& state)
{
    const auto source = Material(1024);
    std::vector<int16_t> left(1024);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = source[2 * i];
    SpectrumAnalyser analyser;
    for (auto _ : state)
        benchmark::DoNotOptimize(analyser.Analyse(left));
    state.counters["analyses/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Spectrum);

} // namespace
