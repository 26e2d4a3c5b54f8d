// Speed of audio file reading: the canonical reader at each rate it takes
// (8- and 16-bit, mono and stereo, from memory so that the disk does not
// count), the header reader, MP3 decoding through libmpg123 (whole and
// streamed to canonical frames) and the frame survey that precedes it, and
// a 48 000 Hz wave file decoded and resampled in pieces. Rates are canonical
// output frames per second (44 100 Hz stereo, 16-bit), or for the survey
// MPEG frames per second.

#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/CanonicalDecoder.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/audiofile/WavWriter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace bm;

// Ten seconds of a chord at the given rate and channel count, 16-bit.
std::vector<int16_t> Material(int rate, int channels, int seconds)
{
    const size_t frames = static_cast<size_t>(rate) * static_cast<size_t>(seconds);
    std::vector<int16_t> out(frames * static_cast<size_t>(channels));
    for (size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / rate;
        const double v = 9000 * std::sin(2 * M_PI * 220 * t) + 6000 * std::sin(2 * M_PI * 277.2 * t)
                       + 4000 * std::sin(2 * M_PI * 329.6 * t);
        for (int c = 0; c < channels; ++c)
            out[n * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<int16_t>(c ? -v * 0.8 : v);
    }
    return out;
}

std::vector<uint8_t> WaveImage(int rate, int channels, int bits)
{
    std::vector<uint8_t> image = MakeWavImage(Material(rate, channels, 10), channels, rate);
    if (bits == 8) {
        // Same header layout with 8-bit samples: every second byte dropped.
        std::vector<uint8_t> narrow(image.begin(), image.begin() + 44);
        for (size_t i = 44; i + 1 < image.size(); i += 2)
            narrow.push_back(static_cast<uint8_t>(image[i + 1] + 128));
        const uint32_t data = static_cast<uint32_t>(narrow.size() - 44);
        auto put32 = [&](size_t at, uint32_t v) {
            for (int k = 0; k < 4; ++k)
                narrow[at + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
        };
        put32(4, 36 + data);
        put32(28, static_cast<uint32_t>(rate * channels));
        narrow[32] = static_cast<uint8_t>(channels);
        narrow[34] = 8;
        put32(40, data);
        image = std::move(narrow);
    }
    return image;
}

void CanonicalRead(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const int bits = static_cast<int>(state.range(2));
    const std::vector<uint8_t> image = WaveImage(rate, channels, bits);
    WaveHeaderInfo info;
    MemoryByteSource header(image);
    if (ReadWaveHeader(header, info) != WaveHeaderResult::Accepted) {
        state.SkipWithError("not accepted");
        return;
    }
    CanonicalReader reader;
    reader.Open(std::make_unique<MemoryByteSource>(image), info);
    reader.Prepare(65536);
    std::vector<uint8_t> out(65536);
    int64_t bytes = 0;
    for (auto _ : state) {
        reader.Seek(0);
        while (const int64_t got = reader.Read(out))
            bytes += got;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(bytes / 4), benchmark::Counter::kIsRate);
}
BENCHMARK(CanonicalRead)
    ->ArgNames({"rate", "channels", "bits"})
    ->Args({11025, 1, 8})
    ->Args({11025, 2, 16})
    ->Args({14700, 1, 16})
    ->Args({14700, 2, 16})
    ->Args({22050, 1, 8})
    ->Args({22050, 2, 16})
    ->Args({44100, 1, 16})
    ->Args({44100, 2, 8})
    ->Args({44100, 2, 16})
    ->Unit(benchmark::kMillisecond);

void HeaderRead(benchmark::State& state)
{
    const std::vector<uint8_t> image = WaveImage(22050, 2, 16);
    for (auto _ : state) {
        MemoryByteSource source(image);
        WaveHeaderInfo info;
        benchmark::DoNotOptimize(ReadWaveHeader(source, info));
    }
}
BENCHMARK(HeaderRead);

// A 60-second 192 kbit/s MP3 made with lame (the benchmark is skipped when
// lame is missing), kept in a temporary file for the whole run.
struct Mp3Fixture {
    std::string path;
    std::vector<uint8_t> bytes;
    Mp3Fixture()
    {
        char folder[] = "/tmp/bm-audiofile-bench-XXXXXX";
        if (!mkdtemp(folder))
            return;
        const std::string wav = std::string(folder) + "/in.wav";
        path = std::string(folder) + "/in.mp3";
        if (!WriteWavFile(wav, Material(44100, 2, 60), 2, 44100, nullptr, ReplaceMode::Unflushed))
            return;
        const std::string command = "lame --quiet -b 192 '" + wav + "' '" + path + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return;
        std::remove(wav.c_str());
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ~Mp3Fixture()
    {
        std::remove(path.c_str());
        rmdir(path.substr(0, path.rfind('/')).c_str());
    }
};

const Mp3Fixture& Mp3()
{
    static Mp3Fixture fixture;
    return fixture;
}

void Mp3DecodeWhole(benchmark::State& state)
{
    if (Mp3().bytes.empty()) {
        state.SkipWithError("lame is not installed");
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        PcmAudio pcm;
        DecodeMpeg(Mp3().bytes, pcm);
        frames += static_cast<int64_t>(pcm.Frames());
        benchmark::DoNotOptimize(pcm.samples.data());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(Mp3DecodeWhole)->Unit(benchmark::kMillisecond);

void Mp3DecodeCanonicalStream(benchmark::State& state)
{
    if (Mp3().bytes.empty()) {
        state.SkipWithError("lame is not installed");
        return;
    }
    std::vector<int16_t> piece(65536);
    int64_t frames = 0;
    for (auto _ : state) {
        CanonicalDecoder decoder;
        decoder.Open(Mp3().path);
        while (const size_t n = decoder.Read(piece))
            frames += static_cast<int64_t>(n / 2);
        benchmark::DoNotOptimize(piece.data());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(Mp3DecodeCanonicalStream)->Unit(benchmark::kMillisecond);

void Mp3Survey(benchmark::State& state)
{
    if (Mp3().bytes.empty()) {
        state.SkipWithError("lame is not installed");
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        MpegStreamSurvey survey;
        SurveyMpegStream(Mp3().bytes, survey);
        frames += survey.frames;
        benchmark::DoNotOptimize(survey.damagedFrames);
    }
    state.counters["mpeg frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(Mp3Survey)->Unit(benchmark::kMillisecond);

// Ten seconds of 48 000 Hz stereo in a temporary file, decoded to canonical
// frames: read in pieces and resampled as they come.
void Wave48kCanonicalStream(benchmark::State& state)
{
    char folder[] = "/tmp/bm-audiofile-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(folder) + "/in.wav";
    if (!WriteWavFile(path, Material(48000, 2, 10), 2, 48000, nullptr, ReplaceMode::Unflushed)) {
        state.SkipWithError("cannot write the fixture");
        return;
    }
    std::vector<int16_t> piece(65536);
    int64_t frames = 0;
    for (auto _ : state) {
        CanonicalDecoder decoder;
        decoder.Open(path);
        while (const size_t n = decoder.Read(piece))
            frames += static_cast<int64_t>(n / 2);
        benchmark::DoNotOptimize(piece.data());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    std::remove(path.c_str());
    rmdir(folder);
}
BENCHMARK(Wave48kCanonicalStream)->Unit(benchmark::kMillisecond);

} // namespace
