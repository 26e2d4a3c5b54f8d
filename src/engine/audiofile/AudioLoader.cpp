#include "engine/audiofile/AudioLoader.h"

#include "engine/audiofile/CanonicalDecoder.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/SincResampler.h"
#include "engine/audiofile/WaveDataDecoder.h"
#include "engine/audiofile/WaveDecoder.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/audiofile/WavWriter.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace bm {

namespace {

// Canonical bytes read at once when a whole file is turned into frames.
constexpr size_t kReadPiece = size_t(1) << 20;
// Decoded samples held at most (2 GB): a hostile file cannot make the
// conversion take unbounded memory.
constexpr size_t kMaxPlayableSamples = size_t(1) << 30;

// Reads the reader from its position to `length` canonical bytes or the end
// of its data, whichever comes first.
void ReadAllCanonical(CanonicalReader& reader, int64_t length, std::vector<int16_t>& stereo)
{
    stereo.clear();
    if (length <= 0)
        return;
    std::vector<uint8_t> piece(kReadPiece);
    int64_t done = 0;
    while (done < length) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(int64_t(piece.size()), length - done) / 4 * 4);
        if (want == 0)
            break;
        const int64_t got = reader.Read(std::span(piece.data(), want));
        const size_t at = stereo.size();
        stereo.resize(at + static_cast<size_t>(got) / 2);
        std::memcpy(stereo.data() + at, piece.data(), static_cast<size_t>(got) / 2 * 2);
        done += got;
        if (got < static_cast<int64_t>(want))
            break;
    }
}

} // namespace

bool DecodeRaw(const RawAudio& raw, PcmAudio& out, Error* error)
{
    out = PcmAudio{};
    if (raw.isMpegFile)
        return DecodeMpeg(raw.data, out, error);
    WaveFormat format;
    if (!ParseWaveFormat(raw.format, format))
        return Fail(error, "the format record is shorter than 16 bytes");
    return DecodeWaveData(format, raw.data, out, error);
}

bool LoadPcm(const std::string& path, PcmAudio& out, Error* error)
{
    RawAudio raw;
    return LoadRaw(path, raw, error) && DecodeRaw(raw, out, error);
}

bool DecodeForConversion(const std::string& path, DecodedSample& out, Error* error)
{
    out = DecodedSample{};
    if (IsMpegPath(path)) {
        RawAudio raw;
        if (!LoadRaw(path, raw, error) || !DecodeRaw(raw, out.pcm, error) || !ResampleToPlayableRate(out.pcm, error)) {
            out = DecodedSample{};
            return false;
        }
        out.fromMpeg = true;
        return true;
    }
    // Wave files are read and decoded in pieces and resampled as they come,
    // so that only the result is held whole.
    WaveDataDecoder wave;
    if (!wave.Open(FileByteSource::Open(path), error))
        return false;
    PcmAudio& pcm = out.pcm;
    pcm.channels = wave.Channels();
    pcm.rate = wave.Rate();
    SincResampler resampler;
    const bool resampling = !IsCanonicalDivisorRate(static_cast<uint32_t>(pcm.rate));
    if (resampling && !resampler.Prepare(pcm.channels, pcm.rate, kCanonicalRate, error))
        return false;
    if (const int64_t frames = wave.Frames(); frames > 0) {
        const double expected = (double(frames) * kCanonicalRate / pcm.rate + 16) * pcm.channels;
        pcm.samples.reserve(static_cast<size_t>(std::min(resampling ? expected : double(frames * pcm.channels),
                                                         double(kMaxPlayableSamples))));
    }
    std::vector<int16_t> piece, converted;
    for (;;) {
        const bool more = wave.Next(piece, error);
        if (wave.Failed()) {
            out = DecodedSample{};
            return false;
        }
        const std::vector<int16_t>* ready = &piece;
        if (resampling) {
            if (!resampler.Process(piece, more ? SincResampler::End::No : SincResampler::End::Yes, converted)) {
                out = DecodedSample{};
                return Fail(error, "resampling failed");
            }
            ready = &converted;
        }
        if (pcm.samples.size() + ready->size() > kMaxPlayableSamples) {
            out = DecodedSample{};
            return Fail(error, ErrorCategory::TooLarge, "the file decodes to more audio than can be held");
        }
        pcm.samples.insert(pcm.samples.end(), ready->begin(), ready->end());
        if (!more)
            break;
    }
    if (resampling)
        pcm.rate = kCanonicalRate;
    return true;
}

bool ResampleToPlayableRate(PcmAudio& audio, Error* error)
{
    if (IsCanonicalDivisorRate(static_cast<uint32_t>(audio.rate)))
        return true;
    PcmAudio resampled;
    if (!ResampleAudio(audio, kCanonicalRate, resampled, error))
        return false;
    audio = std::move(resampled);
    return true;
}

bool ResampleAudio(const PcmAudio& in, int targetRate, PcmAudio& out, Error* error)
{
    out = PcmAudio{};
    if (in.channels < 1 || in.channels > 2 || in.rate <= 0 || targetRate <= 0)
        return Fail(error, "cannot resample audio without a rate or channels");
    out.channels = in.channels;
    out.rate = targetRate;
    const size_t frames = in.Frames();
    if (frames == 0)
        return true;
    const double ratio = double(targetRate) / in.rate;
    if (!src_is_valid_ratio(ratio))
        return Fail(error, "the rate " + std::to_string(in.rate) + " Hz is too far from " + std::to_string(targetRate)
                               + " Hz to convert");
    const size_t outFrames = static_cast<size_t>(std::ceil(frames * ratio)) + 16;
    std::vector<float> input(frames * static_cast<size_t>(in.channels));
    src_short_to_float_array(in.samples.data(), input.data(), static_cast<int>(input.size()));
    std::vector<float> output(outFrames * static_cast<size_t>(in.channels));
    SRC_DATA data{};
    data.data_in = input.data();
    data.data_out = output.data();
    data.input_frames = static_cast<long>(frames);
    data.output_frames = static_cast<long>(outFrames);
    data.src_ratio = ratio;
    data.end_of_input = 1;
    const int status = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, in.channels);
    if (status != 0)
        return Fail(error, std::string("resampling failed: ") + src_strerror(status));
    out.samples.resize(static_cast<size_t>(data.output_frames_gen) * static_cast<size_t>(in.channels));
    src_float_to_short_array(output.data(), out.samples.data(), static_cast<int>(out.samples.size()));
    return true;
}

size_t LeadingSilenceStart(std::span<const int16_t> samples, int channels)
{
    if (channels < 1 || samples.size() <= 2)
        return 0;
    const size_t step = static_cast<size_t>(channels);
    const size_t limit = std::min(step * 4000, samples.size());
    for (size_t i = 0; i < limit; ++i) {
        if (std::abs(int(samples[i])) > 1000) {
            size_t start = i >= 100 ? i - 100 : 0;
            start -= start % step;
            // At least 4 bytes stay.
            return std::min(start, samples.size() - 2);
        }
    }
    return 0;
}

bool PcmToCanonical(const PcmAudio& pcm, std::vector<int16_t>& stereo, Error* error)
{
    stereo.clear();
    if (!IsCanonicalDivisorRate(static_cast<uint32_t>(pcm.rate)) || pcm.channels < 1 || pcm.channels > 2)
        return Fail(error, "audio at " + std::to_string(pcm.rate) + " Hz cannot be read as canonical frames");
    if (pcm.rate == kCanonicalRate && pcm.channels == 2) {
        stereo.assign(pcm.samples.begin(), pcm.samples.begin() + static_cast<ptrdiff_t>(pcm.Frames() * 2));
        return true;
    }
    // Read the way the cache file holding this audio is read. The image
    // outlives the reader that borrows it.
    const std::vector<uint8_t> image = MakeWavImage(pcm.samples, pcm.channels, pcm.rate);
    WaveHeaderInfo info;
    MemoryByteSource header(image);
    if (ReadWaveHeader(header, info) != WaveHeaderResult::Accepted)
        return Fail(error, "decoded audio was not accepted as PCM");
    CanonicalReader reader;
    if (!reader.Open(std::make_unique<MemoryByteSource>(image), info) || !reader.Prepare(kReadPiece))
        return Fail(error, "cannot read decoded audio");
    ReadAllCanonical(reader, reader.Length(), stereo);
    return true;
}

bool LoadCanonical(const std::string& path, std::vector<int16_t>& stereo, Error* error)
{
    stereo.clear();
    CanonicalDecoder decoder;
    if (!decoder.Open(path, error))
        return false;
    // Read into the vector's own storage; the expected length saves it
    // from growing step by step.
    // The first allocation follows the expected length up to 64 MB; beyond
    // that the vector grows with what is really decoded, so a header that
    // promises too much cannot make it allocate without bound.
    const int64_t hint = decoder.FramesHint();
    constexpr int64_t kMaxFirstSamples = int64_t(1) << 25;
    const size_t capacity = static_cast<size_t>(hint > 0 ? std::min(hint * 2 + 8192, kMaxFirstSamples) : int64_t(kReadPiece));
    size_t filled = 0;
    for (;;) {
        if (filled == stereo.size())
            stereo.resize(std::max(capacity, filled * 2));
        const size_t n = decoder.Read(std::span(stereo).subspan(filled));
        filled += n;
        if (n == 0 || filled < stereo.size())
            break;
    }
    if (decoder.Failed()) {
        stereo.clear();
        if (error)
            *error = decoder.Failure();
        return false;
    }
    stereo.resize(filled);
    return true;
}

int64_t EstimateCanonicalBytes(const std::string& path, WaveHeaderResult* result)
{
    WaveHeaderInfo info;
    const WaveHeaderResult read = ReadWaveHeader(path, info);
    if (result)
        *result = read;
    if (read == WaveHeaderResult::Unreadable)
        return 0;
    if (read == WaveHeaderResult::Accepted)
        return int64_t(44100 / info.frameRate) * (4 / info.blockSize) * int64_t(info.dataSize);

    int64_t frames = 0;
    int rate = 0, channels = 0;
    if (IsMpegPath(path)) {
        RawAudio raw;
        if (!LoadRaw(path, raw) || !MeasureMpeg(raw.data, frames, rate, channels))
            return 0;
    } else {
        // Opening checks the whole layout (and damage such as impossible
        // ADPCM block headers) without decoding: what would not import
        // estimates 0.
        WaveDataDecoder wave;
        if (!wave.Open(FileByteSource::Open(path)))
            return 0;
        frames = wave.Frames();
        rate = wave.Rate();
        channels = wave.Channels();
        if (frames < 0) {
            // MPEG data inside a wave file: measured from its frame headers.
            RawAudio raw;
            if (!LoadRaw(path, raw) || !MeasureMpeg(raw.data, frames, rate, channels))
                return 0;
        }
    }
    if (rate <= 0 || channels <= 0)
        return 0;
    const int64_t decodedBytes = frames * channels * 2;
    if (IsCanonicalDivisorRate(static_cast<uint32_t>(rate)))
        return int64_t(44100 / rate) * (4 / (channels * 2)) * decodedBytes;
    // Other rates are resampled to 44 100 Hz before they are cached.
    return std::llround(double(frames) * kCanonicalRate / rate) * kCanonicalFrameBytes;
}

} // namespace bm
