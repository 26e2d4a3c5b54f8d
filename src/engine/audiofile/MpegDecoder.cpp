#include "engine/audiofile/MpegDecoder.h"

#include "engine/audiofile/AudioLoader.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <sys/types.h>

namespace bm {

namespace {

// Decoded output larger than this (2 GB of samples) is refused, so that a
// hostile file cannot make decoding take unbounded memory.
constexpr size_t kMaxDecodedSamples = size_t(1) << 30;

enum class LibraryState { NotTried, Ready, Failed };

struct LibraryGuard {
    std::mutex lock;
    LibraryState state = LibraryState::NotTried;
    bool (*initialiser)() = nullptr;
};

LibraryGuard& Library()
{
    static LibraryGuard guard;
    return guard;
}

bool InitialiseLibrary()
{
    return mpg123_init() == MPG123_OK;
}

// The decoder reads the file image from memory through these callbacks.
struct MemoryReader {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

ssize_t ReadMemory(void* handle, void* out, size_t count)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    const size_t n = std::min(count, reader->bytes.size() - reader->position);
    if (n)
        std::memcpy(out, reader->bytes.data() + reader->position, n);
    reader->position += n;
    return static_cast<ssize_t>(n);
}

off_t SeekMemory(void* handle, off_t offset, int whence)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(reader->position);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(reader->bytes.size());
    else if (whence != SEEK_SET)
        return -1;
    const int64_t target = base + static_cast<int64_t>(offset);
    if (target < 0 || target > static_cast<int64_t>(reader->bytes.size()))
        return -1;
    reader->position = static_cast<size_t>(target);
    return static_cast<off_t>(target);
}

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// A decoder over the memory image that gives 16-bit samples at the stream's
// own rate and channel count.
Handle OpenDecoder(MemoryReader& reader, Error* error)
{
    if (!InitialiseMpegDecoder()) {
        Fail(error, "the MPEG decoder is not available");
        return nullptr;
    }
    int status = MPG123_OK;
    Handle handle(mpg123_new(nullptr, &status));
    if (!handle) {
        Fail(error, "cannot create an MPEG decoder");
        return nullptr;
    }
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(handle.get(), ReadMemory, SeekMemory, nullptr) != MPG123_OK
        || mpg123_open_handle(handle.get(), &reader) != MPG123_OK) {
        Fail(error, "cannot open the MPEG stream");
        return nullptr;
    }
    return handle;
}

// A run of decoded samples in one format.
struct Segment {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
};

// Brings a segment to the first segment's format: channels mapped (mono
// copied to both sides, stereo averaged to mono), rate resampled.
bool ConvertSegment(const Segment& segment, int rate, int channels, std::vector<int16_t>& out, Error* error)
{
    PcmAudio pcm;
    pcm.rate = segment.rate;
    pcm.channels = channels;
    const size_t frames = segment.samples.size() / static_cast<size_t>(segment.channels);
    pcm.samples.resize(frames * static_cast<size_t>(channels));
    for (size_t f = 0; f < frames; ++f) {
        const int16_t* in = &segment.samples[f * static_cast<size_t>(segment.channels)];
        if (channels == segment.channels) {
            std::copy(in, in + channels, &pcm.samples[f * static_cast<size_t>(channels)]);
        } else if (channels == 2) {
            pcm.samples[f * 2] = pcm.samples[f * 2 + 1] = in[0];
        } else {
            pcm.samples[f] = static_cast<int16_t>((int32_t(in[0]) + in[1]) / 2);
        }
    }
    if (pcm.rate != rate) {
        PcmAudio resampled;
        if (!ResampleAudio(pcm, rate, resampled, error))
            return false;
        pcm = std::move(resampled);
    }
    out.insert(out.end(), pcm.samples.begin(), pcm.samples.end());
    return true;
}

} // namespace

bool InitialiseMpegDecoder()
{
    LibraryGuard& library = Library();
    std::lock_guard hold(library.lock);
    if (library.state == LibraryState::NotTried)
        library.state = (library.initialiser ? library.initialiser() : InitialiseLibrary()) ? LibraryState::Ready
                                                                                            : LibraryState::Failed;
    return library.state == LibraryState::Ready;
}

void SetMpegDecoderInitialiserForTesting(bool (*initialise)())
{
    LibraryGuard& library = Library();
    std::lock_guard hold(library.lock);
    library.initialiser = initialise;
    library.state = LibraryState::NotTried;
}

bool DecodeMpeg(std::span<const uint8_t> file, PcmAudio& out, Error* error)
{
    out = PcmAudio{};
    MemoryReader reader{file, 0};
    Handle handle = OpenDecoder(reader, error);
    if (!handle)
        return false;

    std::vector<Segment> segments;
    size_t total = 0;
    for (;;) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int status = mpg123_decode_frame(handle.get(), &frameNumber, &audio, &bytes);
        if (status == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK
                || encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2) || rate <= 0)
                break;
            if (segments.empty() || segments.back().rate != rate || segments.back().channels != channels) {
                segments.push_back({static_cast<int>(rate), channels, {}});
                if (segments.size() == 1) {
                    // The stream's own length, when its header tells it,
                    // saves the output from growing step by step.
                    const off_t length = mpg123_length(handle.get());
                    if (length > 0 && static_cast<uint64_t>(length) * channels < kMaxDecodedSamples)
                        segments.back().samples.reserve(static_cast<size_t>(length) * static_cast<size_t>(channels));
                }
            }
            continue;
        }
        if (status != MPG123_OK)
            break; // the end, or damage the decoder cannot get past
        if (segments.empty() || bytes == 0)
            continue;
        const size_t count = bytes / 2;
        total += count;
        if (total > kMaxDecodedSamples)
            return Fail(error, "the MPEG stream decodes to more audio than can be held");
        std::vector<int16_t>& samples = segments.back().samples;
        const size_t at = samples.size();
        samples.resize(at + count);
        std::memcpy(samples.data() + at, audio, count * 2);
    }
    if (total == 0)
        return Fail(error, "no MPEG frame could be decoded");

    out.rate = segments.front().rate;
    out.channels = segments.front().channels;
    out.samples = std::move(segments.front().samples);
    for (size_t i = 1; i < segments.size(); ++i) {
        if (!ConvertSegment(segments[i], out.rate, out.channels, out.samples, error))
            return false;
    }
    out.samples.resize(out.Frames() * static_cast<size_t>(out.channels));
    return true;
}

bool MeasureMpeg(std::span<const uint8_t> file, int64_t& frames, int& rate, int& channels)
{
    frames = 0;
    rate = channels = 0;
    MemoryReader reader{file, 0};
    Handle handle = OpenDecoder(reader, nullptr);
    if (!handle)
        return false;
    long streamRate = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &streamRate, &channels, &encoding) != MPG123_OK || streamRate <= 0
        || (channels != 1 && channels != 2))
        return false;
    if (mpg123_scan(handle.get()) != MPG123_OK)
        return false;
    const off_t length = mpg123_length(handle.get());
    if (length <= 0)
        return false;
    frames = length;
    rate = static_cast<int>(streamRate);
    return true;
}

} // namespace bm
