#include "engine/audiofile/MpegDecoder.h"

#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/SincResampler.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace bm {

namespace {

// Decoded output larger than this (2 GB of samples) is refused, so that a
// hostile file cannot make decoding take unbounded memory.
constexpr size_t kMaxDecodedSamples = size_t(1) << 30;
// Samples per byte of MPEG data that a length announced in a header may
// imply before it is ignored (8 kbit/s mono at 8000 Hz gives 8).
constexpr uint64_t kMaxSamplesPerByte = 64;

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
// own rate and channel count. The image is first surveyed: bytes without a
// run of consistent frame headers, or whose frames are mostly damaged, are
// refused (the decoder would turn them into noise); the decoder then reads
// from the first frame of that run on.
Handle OpenDecoder(std::span<const uint8_t> file, MemoryReader& reader, Error* error)
{
    if (!InitialiseMpegDecoder()) {
        Fail(error, "the MPEG decoder is not available");
        return nullptr;
    }
    MpegStreamSurvey survey;
    if (!SurveyMpegStream(file, survey, error))
        return nullptr;
    reader = MemoryReader{file.subspan(survey.start), 0};
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

} // namespace

struct MpegStream::State {
    MemoryReader reader;
    Handle handle;
    int rate = 0;      // of the first frame: the stream's format
    int channels = 0;
    int64_t lengthHint = -1;
    int partRate = 0;  // of the frames now decoded
    int partChannels = 0;
    // Samples ready to hand out, in the stream's format: straight from the
    // decoder's buffer, or from `converted`.
    const int16_t* pending = nullptr;
    size_t pendingCount = 0;
    std::vector<int16_t> mapped;
    std::vector<int16_t> converted;
    SincResampler resampler;
    bool ended = false;

    bool PartMatches() const { return partRate == rate && partChannels == channels; }

    // Brings samples of another part to the stream's format.
    void Convert(const int16_t* in, size_t count)
    {
        const size_t frames = count / static_cast<size_t>(partChannels);
        mapped.resize(frames * static_cast<size_t>(channels));
        for (size_t f = 0; f < frames; ++f) {
            const int16_t* s = in + f * static_cast<size_t>(partChannels);
            if (channels == partChannels)
                std::copy(s, s + channels, &mapped[f * static_cast<size_t>(channels)]);
            else if (channels == 2)
                mapped[f * 2] = mapped[f * 2 + 1] = s[0];
            else
                mapped[f] = static_cast<int16_t>((int32_t(s[0]) + s[1]) / 2);
        }
        if (partRate == rate) {
            converted.swap(mapped);
        } else {
            if (!resampler.IsPrepared())
                resampler.Prepare(channels, partRate, rate);
            if (!resampler.Process(mapped, SincResampler::End::No, converted))
                converted.clear();
        }
        pending = converted.data();
        pendingCount = converted.size();
    }

    // The resampler's tail when a resampled part ends.
    void FinishPart()
    {
        if (!resampler.IsPrepared())
            return;
        if (!resampler.Process({}, SincResampler::End::Yes, converted))
            converted.clear();
        pending = converted.data();
        pendingCount = converted.size();
    }

    // Decodes until samples are pending or the stream has ended.
    void Next()
    {
        while (pendingCount == 0 && !ended) {
            off_t frameNumber = 0;
            unsigned char* audio = nullptr;
            size_t bytes = 0;
            const int status = mpg123_decode_frame(handle.get(), &frameNumber, &audio, &bytes);
            if (status == MPG123_NEW_FORMAT) {
                long newRate = 0;
                int newChannels = 0, encoding = 0;
                if (mpg123_getformat(handle.get(), &newRate, &newChannels, &encoding) != MPG123_OK
                    || encoding != MPG123_ENC_SIGNED_16 || (newChannels != 1 && newChannels != 2) || newRate <= 0) {
                    FinishPart();
                    ended = true;
                    return;
                }
                if (newRate != partRate || newChannels != partChannels)
                    FinishPart();
                partRate = static_cast<int>(newRate);
                partChannels = newChannels;
                if (rate == 0) {
                    rate = partRate;
                    channels = partChannels;
                    const off_t length = mpg123_length(handle.get());
                    lengthHint = length > 0 ? static_cast<int64_t>(length) : -1;
                }
                continue;
            }
            if (status != MPG123_OK) {
                // The end, or damage the decoder cannot get past.
                FinishPart();
                ended = true;
                return;
            }
            if (rate == 0 || bytes < 2)
                continue;
            if (PartMatches()) {
                pending = reinterpret_cast<const int16_t*>(audio);
                pendingCount = bytes / 2;
            } else {
                Convert(reinterpret_cast<const int16_t*>(audio), bytes / 2);
            }
        }
    }
};

MpegStream::MpegStream() = default;
MpegStream::~MpegStream() = default;

bool MpegStream::Open(std::span<const uint8_t> file, Error* error)
{
    m_state = std::make_unique<State>();
    m_state->handle = OpenDecoder(file, m_state->reader, error);
    if (!m_state->handle) {
        m_state.reset();
        return false;
    }
    m_state->Next();
    if (m_state->pendingCount == 0) {
        m_state.reset();
        return Fail(error, ErrorCategory::Damaged, "no MPEG frame could be decoded");
    }
    return true;
}

void MpegStream::Close()
{
    m_state.reset();
}

int MpegStream::Rate() const
{
    return m_state ? m_state->rate : 0;
}

int MpegStream::Channels() const
{
    return m_state ? m_state->channels : 0;
}

int64_t MpegStream::LengthHint() const
{
    return m_state ? m_state->lengthHint : -1;
}

size_t MpegStream::Read(std::span<int16_t> out)
{
    if (!m_state)
        return 0;
    State& s = *m_state;
    size_t filled = 0;
    while (filled < out.size()) {
        if (s.pendingCount == 0) {
            s.Next();
            if (s.pendingCount == 0)
                break;
        }
        const size_t n = std::min(s.pendingCount, out.size() - filled);
        std::memcpy(out.data() + filled, s.pending, n * 2);
        s.pending += n;
        s.pendingCount -= n;
        filled += n;
    }
    return filled;
}

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
    MpegStream stream;
    if (!stream.Open(file, error))
        return false;
    out.rate = stream.Rate();
    out.channels = stream.Channels();
    // The announced length saves the output from growing step by step; a
    // header that claims far more than the file can hold is not believed
    // (real streams give at most a few dozen samples per byte).
    const int64_t hint = stream.LengthHint();
    const uint64_t plausible = uint64_t(file.size()) * kMaxSamplesPerByte + 65536;
    size_t capacity = 1 << 16;
    if (hint > 0)
        capacity = static_cast<size_t>(std::min<uint64_t>(
            static_cast<uint64_t>(hint) * static_cast<uint64_t>(out.channels) + 4608, plausible));
    size_t filled = 0;
    for (;;) {
        if (filled == out.samples.size()) {
            if (filled >= kMaxDecodedSamples) {
                out = PcmAudio{};
                return Fail(error, ErrorCategory::TooLarge, "the MPEG stream decodes to more audio than can be held");
            }
            out.samples.resize(std::max(capacity, filled * 2));
        }
        const size_t n = stream.Read(std::span(out.samples).subspan(filled));
        filled += n;
        if (n == 0 || filled < out.samples.size())
            break;
    }
    out.samples.resize(filled / static_cast<size_t>(out.channels) * static_cast<size_t>(out.channels));
    return true;
}

bool MeasureMpeg(std::span<const uint8_t> file, int64_t& frames, int& rate, int& channels)
{
    frames = 0;
    rate = channels = 0;
    MemoryReader reader;
    Handle handle = OpenDecoder(file, reader, nullptr);
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
