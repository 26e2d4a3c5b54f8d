// The song renderer on a dense song: 12 channels × 1000 measures at the
// default tempo (20 352 frames per measure, 8 per bar), every slot filled
// (each sample cut by the next), volume and pan envelopes of 50 points per
// channel, samples served from memory. Reports frames rendered per second
// and the real-time factor (frames per second / 44 100).

#include "engine/SongRenderer.h"

#include "engine/FakeSampleSource.h"
#include "engine/SongBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>

namespace {

using namespace bm::engine;

constexpr int32_t kMeasures = 1000;
constexpr int kDistinctSamples = 24;

struct DenseSong {
    test::FakeSampleSource source;
    EngineSong song;

    DenseSong()
    {
        std::mt19937 random(11);
        song = test::MakeSong(kMeasures, bm::kDefaultSamplesPerMeasure, bm::kDefaultMeasuresPerBar);
        const int64_t span = song.BarSpan(); // 162 816 frames: 651 264 bytes, within the 4 MiB memory entries
        for (int i = 0; i < kDistinctSamples; ++i) {
            std::vector<int16_t> samples(size_t(span) * 2);
            for (auto& s : samples)
                s = int16_t(int(random() % 40000) - 20000);
            source.Add("loop" + std::to_string(i) + ".wav", std::move(samples));
        }
        source.logReads = false;
        for (int32_t m = 0; m < kMeasures; ++m) {
            for (int ch = 0; ch < bm::kChannels; ++ch) {
                test::Place(song, m, ch, "loop" + std::to_string(random() % kDistinctSamples) + ".wav",
                            int32_t(random() % 64), int32_t(span), int32_t(random() % 8 == 0));
            }
        }
        const int64_t songFrames = int64_t(kMeasures) * song.samplesPerMeasure;
        for (int ch = 0; ch < bm::kChannels; ++ch) {
            song.channelGain[size_t(ch)] = 60 + ch * 10;
            for (int kind = 0; kind < 2; ++kind) {
                for (int point = 0; point < 50; ++point)
                    song.envelopes[size_t(ch)][size_t(kind)].push_back(
                        {int32_t(songFrames * point / 50), int32_t(int(random() % 60000) - 30000)});
            }
        }
    }
};

void BM_RenderDenseSong(benchmark::State& state)
{
    DenseSong dense;
    SongRenderer renderer(dense.source);
    const int32_t m = dense.song.samplesPerMeasure;
    const int32_t perCall = int32_t(state.range(0));
    std::vector<int16_t> out(size_t(perCall) * size_t(m) * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        for (int32_t first = 0; first < kMeasures; first += perCall) {
            const int32_t n = renderer.Render(dense.song, first, perCall, kUnitGain, out.data());
            frames += int64_t(n) * m;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["frames_per_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["realtime_x"] = benchmark::Counter(double(frames) / 44100.0, benchmark::Counter::kIsRate);
}
// One measure per call (playback and pre-rendering) and 50 per call (export).
// Rates are per CPU second, so that other work on the machine does not skew
// them.
BENCHMARK(BM_RenderDenseSong)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace

// Playback smoothness: five minutes of the dense song played as the worker
// plays it, one measure per playback buffer (20 352 frames, 461 ms), each
// render timed. Reports the worst buffer's render time and its share of the
// buffer's duration.
void BM_WorstPlaybackBuffer(benchmark::State& state)
{
    DenseSong dense;
    SongRenderer renderer(dense.source);
    const int32_t m = dense.song.samplesPerMeasure;
    const int32_t measures = int32_t(5 * 60 * 44100LL / m) + 1; // 651
    std::vector<int16_t> out(size_t(m) * 2);
    double worst = 0;
    for (auto _ : state) {
        for (int32_t measure = 0; measure < measures; ++measure) {
            timespec before{};
            timespec after{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
            renderer.Render(dense.song, measure, 1, kUnitGain, out.data());
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
            const double seconds = double(after.tv_sec - before.tv_sec) + double(after.tv_nsec - before.tv_nsec) * 1e-9;
            worst = std::max(worst, seconds);
        }
        benchmark::DoNotOptimize(out.data());
    }
    const double bufferSeconds = double(m) / 44100.0;
    state.counters["worst_buffer_ms"] = worst * 1000.0;
    state.counters["worst_share_pct"] = 100.0 * worst / bufferSeconds;
}
BENCHMARK(BM_WorstPlaybackBuffer)->Unit(benchmark::kMillisecond)->Iterations(1);
