// Signal-processing commands: stretch a wave file in its own format,
// resample canonical audio with the cubic resampler, and show the twelve
// spectrum bands at a frame.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "core/MappedFile.h"
#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/WavStreamWriter.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/dsp/CubicResampler.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "engine/dsp/SpectrumAnalyser.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <span>
#include <vector>

namespace bm::cli {

namespace {

// Largest "data" chunk the tool writes: its size must fit the 32-bit field
// of the wave header with room for the header itself.
constexpr int64_t kMaxOutputBytes = int64_t(0xFFFFFFFF) - 64;

// Output is produced and written in blocks of this many frames, so that a
// long file never needs a second whole-file buffer.
constexpr int64_t kBlockFrames = 65536;

// A file's own samples, interleaved 16-bit, with their channels and rate.
// A 16-bit PCM wave file is used in place from its data chunk through a
// read-only mapping; anything else is decoded into `decoded`.
struct OwnSamples {
    MappedFile mapping;
    PcmAudio decoded;
    std::span<const int16_t> samples;
    int channels = 0;
    int rate = 0;
};

bool LoadOwnSamples(const std::string& path, OwnSamples& own, Error* error)
{
    WaveHeaderInfo info;
    const bool inPlace = std::endian::native == std::endian::little &&
                         ReadWaveHeader(path, info) == WaveHeaderResult::Accepted && info.bitsPerSample == 16 &&
                         info.blockSize == info.channels * 2 && info.dataOffset % 2 == 0;
    if (inPlace && own.mapping.Open(path)) {
        const auto bytes = own.mapping.Bytes();
        if (info.dataOffset <= bytes.size()) {
            const size_t available = std::min<size_t>(info.dataSize, bytes.size() - info.dataOffset);
            own.channels = info.channels;
            own.rate = static_cast<int>(info.frameRate);
            own.samples = {reinterpret_cast<const int16_t*>(bytes.data() + info.dataOffset),
                           available / info.blockSize * info.channels};
            return true;
        }
        own.mapping.Close();
    }
    if (!LoadPcm(path, own.decoded, error))
        return false;
    if (own.decoded.channels < 1)
        return Fail(error, "no channels");
    own.channels = own.decoded.channels;
    own.rate = own.decoded.rate;
    own.samples = own.decoded.samples;
    return true;
}

bool RequireOption(Invocation& in, const char* name)
{
    if (in.Value(name))
        return true;
    in.Usage(std::string("--") + name + " is required");
    return false;
}

// A real option that must be finite and above 0.
bool PositiveValue(Invocation& in, const char* name, double& out)
{
    if (!RequireOption(in, name) || !in.DoubleValue(name, out))
        return false;
    if (!std::isfinite(out) || out <= 0.0) {
        in.Usage(std::string("--") + name + " must be a number above 0");
        return false;
    }
    return true;
}

int RunStretch(Invocation& in)
{
    if (!in.Expect(2, 2, {}, {"factor", "grain"}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    double factor = 0;
    int64_t grain = 0;
    if (!PositiveValue(in, "factor", factor) || !RequireOption(in, "grain") ||
        !in.IntValue("grain", 1, dsp::OverlapAddStretcher::kMaxGrainFrames, grain))
        return kExitUsage;

    OwnSamples own;
    Error error;
    if (!LoadOwnSamples(in.Arg(0), own, &error))
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);

    dsp::OverlapAddStretcher stretcher;
    if (!stretcher.Prepare(own.channels, static_cast<int>(grain)))
        return in.Failed("cannot stretch " + std::to_string(own.channels) + " channels");
    const int64_t inFrames = static_cast<int64_t>(own.samples.size()) / own.channels;
    const int64_t frames =
        dsp::OverlapAddStretcher::OutputFrames(inFrames, factor, kMaxOutputBytes / (2 * own.channels));
    if (frames < 0)
        return in.Failed("the stretched sound would be larger than a wave file can hold");

    // The tool's output is not flushed to the disk before it is renamed into
    // place: like any audio tool's output it can be made again, and flushing
    // many megabytes would cost more than the work.
    WavStreamWriter out;
    if (!out.Open(in.Arg(1), own.channels, own.rate, &error))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);
    std::vector<int16_t> block(static_cast<size_t>(std::min(frames, kBlockFrames) * own.channels));
    for (int64_t first = 0; first < frames; first += kBlockFrames) {
        const int64_t n = std::min(kBlockFrames, frames - first);
        const std::span<int16_t> part(block.data(), static_cast<size_t>(n * own.channels));
        stretcher.ProcessRange(own.samples, factor, frames, first, part);
        if (!out.Write(part, &error))
            return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);
    }
    if (!out.Finish(ReplaceMode::Unflushed, &error))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);

    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("input_frames", inFrames);
        j.Field("output_frames", frames);
        j.Field("channels", own.channels);
        j.Field("rate", own.rate);
        j.Field("factor", factor);
        j.Field("grain", grain);
        j.EndObject();
        in.Out() << j.Text() << '\n';
    } else {
        in.Out() << "stretched " << inFrames << " frames to " << frames << " (" << own.channels << " channels, "
                 << own.rate << " Hz) into " << in.Arg(1) << '\n';
    }
    return kExitOk;
}

int RunResample(Invocation& in)
{
    if (!in.Expect(2, 2, {}, {"ratio"}))
        return kExitUsage;
    if (in.ReplacesInput(in.Arg(0), in.Arg(1)))
        return kExitFailed;
    double ratio = 0;
    if (!PositiveValue(in, "ratio", ratio))
        return kExitUsage;

    std::vector<int16_t> source;
    Error error;
    if (!LoadCanonical(in.Arg(0), source, &error))
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);

    // The output size follows the source's canonical bytes; the last three
    // frames are left out because the curve needs two frames beyond its
    // position.
    const int64_t sourceBytes = static_cast<int64_t>(source.size()) * 2;
    const int64_t outputBytes = dsp::CubicResampler::OutputBytes(sourceBytes, ratio, kMaxOutputBytes);
    if (outputBytes < 0)
        return in.Failed("the resampled sound would be larger than a wave file can hold");
    const int64_t frames = dsp::CubicResampler::WrittenFrames(outputBytes);
    std::vector<int16_t> output(static_cast<size_t>(frames) * kCanonicalChannels);
    dsp::CubicResampler::Process(source, kCanonicalChannels, ratio, output);
    if (!WriteWavFile(in.Arg(1), output, kCanonicalChannels, kCanonicalRate, &error, ReplaceMode::Unflushed))
        return in.Failed("cannot write " + in.Arg(1) + ": " + error.message);

    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("input_frames", static_cast<int64_t>(source.size() / kCanonicalChannels));
        j.Field("output_bytes", outputBytes);
        j.Field("output_frames", frames);
        j.Field("ratio", ratio);
        j.EndObject();
        in.Out() << j.Text() << '\n';
    } else {
        in.Out() << "resampled " << source.size() / kCanonicalChannels << " frames to " << frames
                 << " (ratio " << ratio << ") into " << in.Arg(1) << '\n';
    }
    return kExitOk;
}

int RunSpectrum(Invocation& in)
{
    if (!in.Expect(1, 1, {}, {"frame"}))
        return kExitUsage;
    int64_t frame = 0;
    if (!RequireOption(in, "frame") || !in.IntValue("frame", 0, INT64_MAX / 4, frame))
        return kExitUsage;

    std::vector<int16_t> canonical;
    Error error;
    if (!LoadCanonical(in.Arg(0), canonical, &error))
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);

    // 1024 left samples from the frame on; past the end of the sound the
    // rest are zeros.
    std::vector<int16_t> left(dsp::SpectrumAnalyser::kPoints, 0);
    const int64_t frames = static_cast<int64_t>(canonical.size()) / kCanonicalChannels;
    for (int64_t i = 0; i < static_cast<int64_t>(left.size()) && frame + i < frames; ++i)
        left[static_cast<size_t>(i)] = canonical[static_cast<size_t>((frame + i) * kCanonicalChannels)];
    dsp::SpectrumAnalyser analyser;
    const dsp::SpectrumAnalyser::Bands bands = analyser.Analyse(left);

    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("frame", frame);
        j.Key("bands");
        j.BeginArray();
        for (int32_t v : bands)
            j.Number(static_cast<int64_t>(v));
        j.EndArray();
        j.EndObject();
        in.Out() << j.Text() << '\n';
    } else {
        for (size_t b = 0; b < bands.size(); ++b)
            in.Out() << (b ? " " : "") << bands[b];
        in.Out() << '\n';
    }
    return kExitOk;
}

Registrar stretchCommand{{"audio stretch", "IN.wav OUT.wav --factor X --grain G [--json]",
                          "Stretches a wave file's duration by X with grains of G frames, keeping its format.",
                          RunStretch}};
Registrar resampleCommand{{"audio resample", "IN.wav OUT.wav --ratio R [--json]",
                           "Resamples a file's canonical audio by R (0.5 = an octave up) into a canonical wave.",
                           RunResample}};
Registrar spectrumCommand{{"audio spectrum", "IN.wav --frame N [--json]",
                           "The twelve spectrum band values of 1024 left samples from canonical frame N.",
                           RunSpectrum}};

} // namespace

} // namespace bm::cli
