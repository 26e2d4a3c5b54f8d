#include "engine/stream/PitchedCopy.h"

#include "core/Text.h"
#include "engine/dsp/CubicResampler.h"
#include "engine/stream/ReplacingWaveFile.h"
#include "engine/stream/SampleStream.h"

#include <cmath>
#include <vector>

namespace bm::stream {

namespace {

// The whole source must fit in memory and the copy in a wave file.
constexpr int64_t kMaxSourceBytes = int64_t(1) << 31;
constexpr int64_t kMaxOutputBytes = int64_t(0xFFFFFFFF) - 44;
constexpr int64_t kMaxSpan = int64_t(1) << 31;

bool IsSong(const std::string& path)
{
    return path.size() >= 3 && ToLowerAscii(std::string_view(path).substr(path.size() - 3)) == "ncp";
}

} // namespace

int64_t PitchedCopySpan(const SampleDescriptor& descriptor, double ratio, int64_t barSpan)
{
    if (!std::isfinite(ratio) || ratio <= 0)
        return -1;
    const bool song = IsSong(descriptor.path);
    double span = double(barSpan);
    if (song && descriptor.kind == 0)
        span = double(barSpan) / ratio;
    else if (!song && descriptor.kind != 0)
        span = 2.0 * double(descriptor.length) / ratio;
    if (!(span >= 0 && span < double(kMaxSpan)))
        return -1;
    return int64_t(span);
}

bool MakePitchedCopy(const SampleDescriptor& descriptor, const SampleRef& key, double semitones, int64_t barSpan,
                     const std::string& outputPath, const StreamEnvironment& environment, Error* error)
{
    const double ratio = dsp::CubicResampler::RatioForSemitones(semitones);
    const int64_t span = PitchedCopySpan(descriptor, ratio, barSpan);
    if (span < 0)
        return Fail(error, "pitch change out of range");

    // A stream of its own: never the engine's memory cache.
    StreamEnvironment own = environment;
    own.engine = nullptr;
    std::vector<int16_t> source;
    {
        SampleStream stream(own);
        if (!stream.OpenRead(descriptor.path, span, key, error))
            return false;
        const int64_t bytes = stream.Length() / 4 * 4;
        if (bytes > kMaxSourceBytes)
            return Fail(error, "sample too long for a pitched copy");
        source.assign(size_t(bytes / 2), 0);
        if (stream.Read(source.data(), bytes) != bytes)
            return Fail(error, "cannot read " + descriptor.path);
    }

    const int64_t outputBytes = dsp::CubicResampler::OutputBytes(int64_t(source.size()) * 2, ratio, kMaxOutputBytes);
    if (outputBytes < 0)
        return Fail(error, "pitched copy would be too large");
    const int64_t dataBytes = std::max<int64_t>(0, outputBytes - 12);
    std::vector<int16_t> output(size_t((dataBytes + 1) / 2), 0);
    const int64_t frames = std::min<int64_t>(dsp::CubicResampler::WrittenFrames(outputBytes), dataBytes / 4);
    dsp::CubicResampler::Process(source, 2, ratio, std::span<int16_t>(output.data(), size_t(frames) * 2));

    // Written beside the target and renamed over it when complete: a file
    // the person chose to replace survives a failed copy.
    ReplacingWaveFile out;
    if (!out.Create(outputPath, error))
        return false;
    if (!out.WriteAt(0, output.data(), dataBytes))
        return Fail(error, "cannot write " + outputPath);
    return out.Commit(error);
}

} // namespace bm::stream
