#include "engine/stream/SampleStream.h"

#include "core/Binary.h"
#include "core/File.h"
#include "core/Text.h"
#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/EffectEnvelope.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/dsp/OverlapAddStretcher.h"
#include "engine/stream/SampleCache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bm::stream {

namespace {

constexpr int64_t kFrameBytes = 4;
// Effect taps further away than a minute are ignored: a damaged chunk must
// not make a read allocate without bound.
constexpr int64_t kMaxTapDelayFrames = 44100 * 60;
// Largest in-memory copy (the engine keeps only samples up to 4 MiB; this
// bounds what a damaged loop chunk can ask for).
constexpr int64_t kMaxMemoryCopyBytes = int64_t(1) << 28;
// Frames the pan delay can reach back.
constexpr int64_t kPanDelayFrames = 100;
// Largest wave data a 32-bit header can describe.
constexpr int64_t kMaxWaveData = int64_t(0xFFFFFFFF) - 44;

// Posts a stretch's progress as WM_USER+19 (the sample's key, the percentage
// done, truncated), once for each new percentage rather than for each grain,
// so a long stretch does not flood the window with messages.
struct StretchReporter {
    platform::MessagePort* port;
    SampleRef key;
    int64_t last = -1;

    static bool Report(double fraction, void* context)
    {
        auto& self = *static_cast<StretchReporter*>(context);
        const int64_t percent = std::clamp<int64_t>(int64_t(fraction * 100.0), 0, 100);
        if (percent != self.last) {
            self.last = percent;
            self.port->Post({platform::msg::kProgress, 0, percent, self.key});
        }
        return true; // the engine's stretches always run to the end
    }
};

bool IsSongPath(const std::string& path)
{
    return path.size() >= 3 && ToLowerAscii(std::string_view(path).substr(path.size() - 3)) == "ncp";
}

int16_t Clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }

// A pan envelope's value at song frame x in units of 1: linear between the
// two points around x (the line through the first two before the first),
// the last point's value at and after it, 0 without points.
double PanValue(double x, const engine::EnvelopeNodes& nodes)
{
    constexpr double kUnit = 1.0 / 32768.0;
    if (nodes.empty())
        return 0.0;
    for (size_t i = 1; i < nodes.size(); ++i) {
        if (nodes[i].position > x) {
            const auto& a = nodes[i - 1];
            const auto& b = nodes[i];
            if (b.position == a.position)
                return a.value * kUnit;
            return (a.value + (x - a.position) * (double(b.value) - a.value) / (double(b.position) - a.position)) *
                   kUnit;
        }
    }
    return nodes.back().value * kUnit;
}

// A cache file is trusted only when it was completed: its RIFF size was
// written last, so a file cut short or left half-written fails here.
bool IsCompleteCacheFile(const std::string& path, WaveHeaderInfo& info)
{
    if (ReadWaveHeader(path, info) != WaveHeaderResult::Accepted || info.bitsPerSample != 16 ||
        info.formatTag != kWaveFormatPcm)
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t head[8] = {};
    const bool read = std::fread(head, 1, 8, file) == 8;
    std::fclose(file);
    const int64_t size = FileSize(path);
    return read && int64_t(ReadLE32(head + 4)) + 8 == size && int64_t(info.dataOffset) + info.dataSize <= size;
}

// Writes a converted sample as a cache file (under its temporary name): RIFF
// size 0 until the data is complete, then the file length - 8. Removes the
// file on any failure.
bool WriteCacheFile(const std::string& path, const PcmAudio& pcm, size_t firstSample, Error* error)
{
    const size_t dataBytes = (pcm.samples.size() - std::min(firstSample, pcm.samples.size())) * 2;
    const uint32_t declared = uint32_t(std::max<size_t>(dataBytes, 4));
    if (int64_t(declared) > kMaxWaveData)
        return Fail(error, "converted sample too large for a wave file");
    std::vector<uint8_t> header;
    const auto text = [&header](const char* t) { header.insert(header.end(), t, t + std::strlen(t)); };
    text("RIFF");
    AppendLE32(header, 0);
    text("WAVEfmt ");
    AppendLE32(header, 16);
    AppendLE16(header, kWaveFormatPcm);
    AppendLE16(header, uint16_t(pcm.channels));
    AppendLE32(header, uint32_t(pcm.rate));
    AppendLE32(header, uint32_t(pcm.rate * pcm.channels * 2));
    AppendLE16(header, uint16_t(pcm.channels * 2));
    AppendLE16(header, 16);
    text("data");
    AppendLE32(header, declared);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return Fail(error, "cannot create the cache file " + path);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    if (ok && dataBytes > 0) {
        std::vector<uint8_t> data(dataBytes);
        for (size_t i = firstSample, o = 0; i < pcm.samples.size(); ++i, o += 2)
            WriteLE16(data.data() + o, uint16_t(pcm.samples[i]));
        ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    }
    if (ok && dataBytes < 4) {
        const uint8_t pad[4] = {};
        ok = std::fwrite(pad, 1, 4 - dataBytes, file) == 4 - dataBytes;
    }
    if (ok) {
        uint8_t size[4];
        WriteLE32(size, uint32_t(header.size() - 8 + declared));
        ok = std::fseek(file, 4, SEEK_SET) == 0 && std::fwrite(size, 1, 4, file) == 4;
    }
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());
        return Fail(error, "cannot write the cache file " + path);
    }
    return true;
}

} // namespace

SampleStream::SampleStream(StreamEnvironment environment) : m_env(environment) {}

SampleStream::~SampleStream() { Close(); }

bool SampleStream::IsOpen() const { return m_backing != Backing::None; }

void SampleStream::Close()
{
    m_reader.Close();
    m_memory.reset();
    m_song.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_backing = Backing::None;
    m_info = {};
    m_position = 0;
    m_loopStart = m_loopSpan = m_loopFade = 0;
    m_tapBefore = m_tapAfter = 0;
    m_isSong = false;
    m_freshRender = false;
    m_filePath.clear();
}

bool SampleStream::Open(const std::string& path, uint32_t flags, int64_t spanFrames, const SampleRef& key,
                        Error* error)
{
    if (flags & kCreateBit)
        return Create(path, error);
    if (flags & kWriteBits)
        return OpenForWriting(path, error);
    return OpenRead(path, spanFrames, key, error);
}

bool SampleStream::OpenRead(const std::string& path, int64_t spanFrames, const SampleRef& key, Error* error)
{
    Close();
    m_span = spanFrames;
    m_key = key;
    m_isSong = IsSongPath(path);

    // Only a worker stream (given the engine context) uses the memory cache;
    // a span other than the bar span frees it there.
    if (m_env.engine) {
        auto memory = std::dynamic_pointer_cast<const StreamMemorySample>(m_env.engine->MemoryFor(path, spanFrames));
        if (memory)
            return BackByMemory(std::move(memory), OpenOutcome::Memory);
    }

    const std::vector<std::string> folders = m_env.folders ? m_env.folders->Snapshot() : std::vector<std::string>{};
    const std::string stored = NormaliseSeparators(path);
    bool seen = false;
    for (const std::string& folder : folders) {
        const std::string full = folder + stored;
        if (!FileExists(full))
            continue;
        seen = true;
        if (OpenFound(full, spanFrames, error))
            return true;
        if (m_backing != Backing::None)
            break;
    }
    Close();
    if (!seen)
        return Fail(error, "sample not found in the sample folders: " + path);
    return error && !error->message.empty() ? false : Fail(error, "sample cannot be read: " + path);
}

// One folder's file. False with the backing still None means: try the next
// folder (the header reader did not know the file).
bool SampleStream::OpenFound(const std::string& fullPath, int64_t spanFrames, Error* error)
{
    if (m_isSong) {
        if (!m_env.songs)
            return Fail(error, "songs used as samples are not available: " + fullPath);
        m_song = m_env.songs->Open(fullPath, spanFrames, m_key);
        if (!m_song)
            return Fail(error, "song used as a sample is unavailable: " + fullPath);
        m_backing = Backing::Song;
        m_outcome = OpenOutcome::Song;
        m_freshRender = m_song->FreshRender();
        m_filePath = fullPath;
        return true;
    }
    WaveHeaderInfo info;
    const WaveHeaderResult result = ReadWaveHeader(fullPath, info);
    if (result == WaveHeaderResult::Unreadable)
        return false;
    std::optional<SampleDescriptor> descriptor;
    if (!m_key.IsEmpty() && m_env.catalogue)
        descriptor = m_env.catalogue->Find(m_key);
    if (result == WaveHeaderResult::Accepted && (!descriptor || descriptor->kind == 0)) {
        if (!m_reader.Open(fullPath, info) || !m_reader.Prepare(65536))
            return false;
        m_info = info;
        m_filePath = fullPath;
        m_backing = Backing::File;
        m_outcome = OpenOutcome::Direct;
        Seek(0);
        // Loop values in frames; a cross-fade as long as the span (or longer)
        // would leave nothing to repeat, so it is dropped.
        if (info.loop.span > 0 && info.loop.start >= 0) {
            m_loopStart = info.loop.start / kFrameBytes;
            m_loopSpan = info.loop.span / kFrameBytes;
            m_loopFade = std::clamp<int64_t>(info.loop.crossFade / kFrameBytes, 0, m_loopSpan);
            if (m_loopFade >= m_loopSpan)
                m_loopFade = 0;
        }
        for (const EffectTrack& track : info.tracks) {
            if (track.enable < 0)
                continue;
            for (const EffectPair& tap : track.taps) {
                if (std::abs(int64_t(tap.second)) > kMaxTapDelayFrames)
                    continue;
                m_tapBefore = std::max<int64_t>(m_tapBefore, tap.second);
                m_tapAfter = std::max<int64_t>(m_tapAfter, -int64_t(tap.second));
            }
        }
        return true;
    }
    return Convert(fullPath, descriptor ? &*descriptor : nullptr, spanFrames, error);
}

bool SampleStream::Convert(const std::string& fullPath, const SampleDescriptor* descriptor, int64_t spanFrames,
                           Error* error)
{
    const bool stretchable = descriptor && descriptor->kind != 0;
    std::string cachePath;
    if (m_env.cache) {
        cachePath = m_env.cache->PathOf(
            CacheFileName(fullPath, spanFrames, stretchable ? SpanInName::Yes : SpanInName::No, m_key));
        const int64_t sourceTime = FileWriteTime(fullPath);
        const int64_t cacheTime = FileWriteTime(cachePath);
        WaveHeaderInfo cached;
        if (cacheTime >= 0 && cacheTime >= sourceTime && IsCompleteCacheFile(cachePath, cached)) {
            // Refresh the time so that eviction removes the least recently used first.
            ::utimensat(AT_FDCWD, cachePath.c_str(), nullptr, 0);
            if (OpenCacheFile(cachePath)) {
                m_outcome = OpenOutcome::CacheReused;
                return true;
            }
        }
        if (cacheTime >= 0)
            std::remove(cachePath.c_str()); // stale or damaged: rebuilt below
    }

    DecodedSample decoded;
    if (!DecodeForConversion(fullPath, decoded, error)) {
        m_backing = Backing::None;
        return Fail(error, "cannot decode " + fullPath + (error ? ": " + error->message : std::string()));
    }
    PcmAudio& pcm = decoded.pcm;
    if (descriptor) {
        const dsp::StretchPlan plan = dsp::PlanStretch(descriptor->length, descriptor->kind, spanFrames);
        if (plan.stretch) {
            std::vector<int16_t> stretched;
            StretchReporter reporter{m_env.port, m_key};
            const dsp::StretchProgress progress =
                m_env.port ? dsp::StretchProgress{&StretchReporter::Report, &reporter} : dsp::StretchProgress{};
            if (!dsp::StretchWhole(pcm.samples, pcm.channels, plan.factor, plan.grainFrames, stretched, progress))
                return Fail(error, "cannot stretch " + fullPath);
            pcm.samples = std::move(stretched);
        }
    }
    const size_t first = decoded.fromMpeg ? LeadingSilenceStart(pcm.samples, pcm.channels) : 0;

    if (!m_env.cache) {
        // No disk cache: keep the converted sample in memory for this stream.
        PcmAudio kept = pcm;
        kept.samples.erase(kept.samples.begin(), kept.samples.begin() + std::ptrdiff_t(std::min(first, kept.samples.size())));
        auto memory = std::make_shared<StreamMemorySample>();
        if (!PcmToCanonical(kept, memory->samples, error))
            return false;
        return BackByMemory(std::move(memory), OpenOutcome::Converted);
    }

    // The answer does not stop the write: a sample is better played than not.
    m_env.cache->MakeRoom(int64_t(pcm.Bytes()));
    // Written aside and renamed when complete: the cache name never holds a
    // partial file, whoever else converts the same sample meanwhile.
    const std::string temporary = CacheTemporaryPath(cachePath);
    if (!WriteCacheFile(temporary, pcm, first, error) || !CommitCacheFile(temporary, cachePath, error))
        return false;
    if (!OpenCacheFile(cachePath)) {
        std::remove(cachePath.c_str());
        return Fail(error, "cannot read back the cache file " + cachePath);
    }
    m_outcome = OpenOutcome::CacheFilled;
    return true;
}

bool SampleStream::OpenCacheFile(const std::string& cachePath)
{
    WaveHeaderInfo info;
    if (ReadWaveHeader(cachePath, info) != WaveHeaderResult::Accepted)
        return false;
    if (!m_reader.Open(cachePath, info) || !m_reader.Prepare(65536))
        return false;
    m_info = info;
    m_filePath = cachePath;
    m_backing = Backing::File;
    Seek(0);
    return true;
}

bool SampleStream::BackByMemory(std::shared_ptr<const StreamMemorySample> memory, OpenOutcome outcome)
{
    m_memory = std::move(memory);
    m_backing = Backing::Memory;
    m_outcome = outcome;
    m_info = {};
    m_info.loop = m_memory->loop;
    for (size_t c = 0; c < 2; ++c)
        m_info.tracks[c].envelope = m_memory->envelopes[c];
    const LoopChunk& loop = m_memory->loop;
    if (loop.span > 0 && loop.start >= 0) {
        m_loopStart = loop.start / kFrameBytes;
        m_loopSpan = loop.span / kFrameBytes;
    }
    m_position = 0;
    return true;
}

bool SampleStream::Create(const std::string& path, Error* error)
{
    const bool mono = m_mono;
    Close();
    m_mono = mono;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
    // The sizes are placeholders, corrected by SetDataSize(0) below.
    uint8_t header[44];
    std::memcpy(header, "RIFF", 4);
    WriteLE32(header + 4, 37892);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    WriteLE32(header + 16, 16);
    WriteLE16(header + 20, kWaveFormatPcm);
    WriteLE16(header + 22, 2);
    WriteLE32(header + 24, 44100);
    WriteLE32(header + 28, 176400);
    WriteLE16(header + 32, 4);
    WriteLE16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    WriteLE32(header + 40, 37800);
    if (mono) {
        WriteLE16(header + 22, 1);
        WriteLE16(header + 32, 2);
    }
    m_backing = Backing::Writer;
    m_outcome = OpenOutcome::Written;
    m_filePath = path;
    uint8_t format[16];
    if (!WriteAt(0, header, sizeof header) || ::pread(m_fd, format, 16, 20) != 16) {
        Close();
        return Fail(error, "cannot write the header of " + path);
    }
    m_info.formatTag = ReadLE16(format);
    m_info.channels = ReadLE16(format + 2);
    m_info.frameRate = ReadLE32(format + 4);
    m_info.byteRate = ReadLE32(format + 8);
    m_info.blockSize = ReadLE16(format + 12);
    m_info.bitsPerSample = ReadLE16(format + 14);
    m_info.dataOffset = 44;
    if (!SetDataSize(0)) {
        Close();
        return Fail(error, "cannot size " + path);
    }
    m_position = 0;
    return true;
}

bool SampleStream::OpenForWriting(const std::string& path, Error* error)
{
    Close();
    const std::vector<std::string> folders = m_env.folders ? m_env.folders->Snapshot() : std::vector<std::string>{""};
    const std::string stored = NormaliseSeparators(path);
    for (const std::string& folder : folders) {
        const std::string full = folder + stored;
        WaveHeaderInfo info;
        if (!FileExists(full) || ReadWaveHeader(full, info) != WaveHeaderResult::Accepted)
            continue;
        m_fd = ::open(full.c_str(), O_RDWR | O_CLOEXEC);
        if (m_fd < 0)
            return Fail(error, "cannot open " + full + " for writing");
        m_info = info;
        m_backing = Backing::Writer;
        m_outcome = OpenOutcome::Written;
        m_filePath = full;
        m_position = 0;
        return true;
    }
    return Fail(error, "no accepted wave file found for writing: " + path);
}

bool SampleStream::WriteAt(uint64_t offset, const void* data, size_t bytes)
{
    const auto* p = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t n = ::pwrite(m_fd, p, bytes, off_t(offset));
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return false;
        }
        p += n;
        offset += uint64_t(n);
        bytes -= size_t(n);
    }
    return true;
}

int64_t SampleStream::WriterDataSize() const
{
    uint8_t size[4];
    if (m_info.dataOffset < 4 || ::pread(m_fd, size, 4, off_t(m_info.dataOffset - 4)) != 4)
        return 0;
    return ReadLE32(size);
}

bool SampleStream::Write(const void* data, int64_t bytes)
{
    if (m_backing != Backing::Writer || bytes < 0)
        return false;
    if (m_position + bytes > WriterDataSize() && !SetDataSize(m_position + bytes))
        return false;
    if (!WriteAt(uint64_t(m_info.dataOffset) + uint64_t(m_position), data, size_t(bytes)))
        return false;
    m_position += bytes;
    return true;
}

bool SampleStream::SetDataSize(int64_t bytes)
{
    // Songs, memory-backed and looped streams have no plain data chunk to size.
    if (m_backing != Backing::Writer || m_info.loop.span != 0 || bytes < 0 ||
        bytes + int64_t(m_info.dataOffset) > kMaxWaveData + 44)
        return false;
    if (::lseek(m_fd, off_t(m_info.dataOffset) + off_t(bytes), SEEK_SET) < 0)
        return false;
    uint8_t size[4];
    WriteLE32(size, uint32_t(bytes));
    if (!WriteAt(m_info.dataOffset - 4, size, 4))
        return false;
    WriteLE32(size, uint32_t(bytes + m_info.dataOffset - 8));
    return WriteAt(4, size, 4);
}

int64_t SampleStream::Length() const
{
    switch (m_backing) {
    case Backing::File:
        return m_reader.Length();
    case Backing::Memory:
        return m_memory->loop.span != 0 ? std::max<int64_t>(0, m_memory->loop.total)
                                        : int64_t(m_memory->samples.size()) * 2;
    case Backing::Song:
        return m_song->LengthBytes();
    case Backing::Writer:
        return WriterDataSize();
    case Backing::None:
        break;
    }
    return 0;
}

int64_t SampleStream::FullLength() const
{
    if (m_loopSpan == 0 || m_backing == Backing::Memory)
        return m_backing == Backing::Memory ? int64_t(m_memory->samples.size()) * 2 : Length();
    return (m_loopStart + m_loopSpan + m_tapBefore) * kFrameBytes;
}

void SampleStream::Seek(int64_t position)
{
    m_position = std::clamp<int64_t>(position, 0, std::max<int64_t>(0, Length())) / kFrameBytes * kFrameBytes;
}

int64_t SampleStream::LengthFrames() const { return Length() / kFrameBytes; }

// Unlooped source frames; silence outside the data.
void SampleStream::ReadRaw(int64_t frame, int16_t* out, int64_t frames)
{
    std::fill(out, out + frames * 2, int16_t(0));
    if (frame < 0) {
        const int64_t skip = std::min(frames, -frame);
        out += skip * 2;
        frames -= skip;
        frame = 0;
    }
    if (frames <= 0)
        return;
    if (m_backing == Backing::Memory) {
        const int64_t have = int64_t(m_memory->samples.size() / 2);
        const int64_t n = std::clamp<int64_t>(have - frame, 0, frames);
        std::copy_n(m_memory->samples.begin() + frame * 2, n * 2, out);
    } else if (m_backing == Backing::File) {
        m_reader.Seek(frame * kFrameBytes);
        m_reader.Read(std::span<uint8_t>(reinterpret_cast<uint8_t*>(out), size_t(frames) * 4));
        // The reader's bytes are little-endian 16-bit samples, as on this machine.
    }
}

// The loop applied: the first pass plays up to B + S - X, then [B, B + S - X)
// repeats, the first X of each repeat cross-faded from the X after it.
void SampleStream::ReadLooped(int64_t frame, int16_t* out, int64_t frames)
{
    if (m_loopSpan == 0) {
        ReadRaw(frame, out, frames);
        return;
    }
    const int64_t firstEnd = m_loopStart + m_loopSpan - m_loopFade;
    const int64_t region = m_loopSpan - m_loopFade;
    const int64_t fadeSamples = m_loopFade * 2; // X / 2 in 16-bit samples
    while (frames > 0) {
        int64_t piece;
        if (frame < firstEnd) {
            piece = std::min(frames, firstEnd - frame);
            ReadRaw(frame, out, piece);
        } else {
            const int64_t r = (frame - firstEnd) % region;
            if (r < m_loopFade) {
                piece = std::min(frames, m_loopFade - r);
                if (m_fadeScratch.size() < size_t(piece) * 2)
                    m_fadeScratch.resize(size_t(piece) * 2);
                ReadRaw(firstEnd + r, out, piece);                  // the tail after the region
                ReadRaw(m_loopStart + r, m_fadeScratch.data(), piece); // the repeat
                for (int64_t k = 0; k < piece * 2; ++k) {
                    const int64_t i = r * 2 + k;
                    out[k] = int16_t(((fadeSamples - i - 1) * out[k] + i * m_fadeScratch[size_t(k)]) / fadeSamples);
                }
            } else {
                piece = std::min(frames, region - r);
                ReadRaw(m_loopStart + r, out, piece);
            }
        }
        frame += piece;
        out += piece * 2;
        frames -= piece;
    }
}

bool SampleStream::UsesTaps() const
{
    if (m_backing != Backing::File)
        return false;
    for (const EffectTrack& track : m_info.tracks) {
        if (track.enable >= 0 && !track.taps.empty())
            return true;
    }
    return false;
}

// Loop, taps and envelopes for frames [frame, frame + frames), all inside
// [0, length + tap reach).
void SampleStream::ReadProcessed(int64_t frame, int16_t* out, int64_t frames)
{
    if (m_backing == Backing::Song) {
        std::fill(out, out + frames * 2, int16_t(0));
        m_song->Read(frame * kFrameBytes, out, frames * kFrameBytes);
        return;
    }
    if (m_backing == Backing::Writer) {
        std::fill(out, out + frames * 2, int16_t(0));
        if (frame >= 0 && m_info.blockSize == 4)
            (void)::pread(m_fd, out, size_t(frames) * 4, off_t(m_info.dataOffset + frame * kFrameBytes));
        return;
    }
    if (!UsesTaps()) {
        ReadLooped(frame, out, frames);
    } else {
        // The source range widened by the tap delays.
        const int64_t span = frames + m_tapBefore + m_tapAfter;
        if (m_scratch.size() < size_t(span) * 2)
            m_scratch.resize(size_t(span) * 2);
        ReadLooped(frame - m_tapBefore, m_scratch.data(), span);
        for (int c = 0; c < 2; ++c) {
            const EffectTrack& track = m_info.tracks[size_t(c)];
            const bool tapped = track.enable >= 0 && !track.taps.empty();
            for (int64_t j = 0; j < frames; ++j) {
                int64_t sum = 0;
                if (tapped) {
                    for (const EffectPair& tap : track.taps) {
                        if (std::abs(int64_t(tap.second)) > kMaxTapDelayFrames)
                            continue;
                        const int64_t k = j - tap.second + m_tapBefore;
                        sum += int64_t(m_scratch[size_t(k * 2 + c)]) * tap.first / 32768;
                    }
                }
                // An untapped channel stays silent while taps are in use.
                out[j * 2 + c] = int16_t(std::clamp<int64_t>(sum, -32767, 32767));
            }
        }
    }
    // Gain envelopes. A memory copy already carries them over its data.
    const int64_t envelopeFrom = m_backing == Backing::Memory ? int64_t(m_memory->samples.size() / 2) : 0;
    for (int c = 0; c < 2; ++c) {
        const std::vector<EffectPair>& points = m_info.tracks[size_t(c)].envelope;
        if (points.empty())
            continue;
        for (int64_t j = 0; j < frames; ++j) {
            const int64_t at = frame + j;
            if (at < envelopeFrom || at >= points.back().first)
                continue;
            const double gain = EnvelopeValue(double(at), points);
            if (gain == 1.0)
                continue;
            out[j * 2 + c] = Clamp16(int64_t(out[j * 2 + c] * gain));
        }
    }
}

int64_t SampleStream::ReadFramesAt(int64_t frame, int16_t* out, int64_t frames)
{
    if (frames <= 0)
        return 0;
    std::fill(out, out + frames * 2, int16_t(0));
    const int64_t length = LengthFrames();
    const int64_t from = std::max<int64_t>(frame, 0);
    const int64_t to = std::min(frame + frames, length);
    if (to <= from || m_backing == Backing::None)
        return 0;
    ReadProcessed(from, out + (from - frame) * 2, to - from);
    return to - from;
}

int64_t SampleStream::Read(int16_t* out, int64_t bytes)
{
    const int64_t frames = std::max<int64_t>(0, std::min(bytes, Length() - m_position)) / kFrameBytes;
    if (frames == 0)
        return 0;
    ReadProcessed(m_position / kFrameBytes, out, frames);
    m_position += frames * kFrameBytes;
    return frames * kFrameBytes;
}

void SampleStream::ReadWithPanDelay(int16_t* out, int64_t bytes, int64_t songPosition, int64_t readPosition,
                                    const engine::EnvelopeNodes& pan, bool reverse)
{
    const int64_t frames = std::max<int64_t>(0, bytes / kFrameBytes);
    std::fill(out, out + frames * 2, int16_t(0));
    if (frames == 0)
        return;
    // The source from 100 frames earlier, so the far channel can be delayed.
    const int64_t scratchFrames = frames + kPanDelayFrames + 1;
    if (m_panScratch.size() < size_t(scratchFrames) * 2)
        m_panScratch.resize(size_t(scratchFrames) * 2);
    int16_t* source = m_panScratch.data();
    ReadFramesAt(readPosition / kFrameBytes - kPanDelayFrames, source, scratchFrames);

    int64_t done = 0;
    int64_t at = songPosition;
    while (done < frames) {
        const int64_t remaining = frames - done;
        size_t next = 0;
        while (next < pan.size() && pan[next].position <= at)
            ++next;
        int64_t end = next < pan.size() ? pan[next].position : at + remaining;
        if (next > 0 && next < pan.size()) {
            const auto& a = pan[next - 1];
            const auto& b = pan[next];
            if ((a.value < 0 && b.value > 0) || (a.value > 0 && b.value < 0)) {
                const double zero = a.position + double(a.value) * (double(b.position) - a.position) /
                                                     (double(a.value) - double(b.value));
                const int64_t crossing = int64_t(std::ceil(zero));
                if (crossing > at && crossing < end)
                    end = crossing;
            }
        }
        const int64_t length = std::clamp<int64_t>(end - at, 1, remaining);
        double m = std::clamp(PanValue(double(at), pan), -1.0, 1.0);
        double o = std::clamp(PanValue(double(at + length), pan), -1.0, 1.0);
        if (reverse)
            std::swap(m, o);
        const int near = m + o > 0 ? 0 : 1;
        const int far = 1 - near;
        double t = std::abs(m) * kPanDelayFrames;
        const double step = (std::abs(o) - std::abs(m)) * kPanDelayFrames / double(length);
        if (step == 0.0 && t == std::floor(t)) {
            // A steady whole-frame delay (the centre above all): the far
            // channel's interpolation weight is 0, so both channels are
            // plain copies, the far one from `delay` frames earlier.
            const int64_t delay = int64_t(t);
            const int16_t* nearFrom = source + (done + kPanDelayFrames) * 2 + near;
            const int16_t* farFrom = source + (done + kPanDelayFrames - delay) * 2 + far;
            int16_t* to = out + done * 2;
            for (int64_t j = 0; j < length; ++j) {
                to[j * 2 + near] = nearFrom[j * 2];
                to[j * 2 + far] = farFrom[j * 2];
            }
            done += length;
            at += length;
            continue;
        }
        for (int64_t j = done; j < done + length; ++j) {
            const int64_t s = j + kPanDelayFrames; // this frame in the scratch
            out[j * 2 + near] = source[s * 2 + near];
            const int64_t whole = int64_t(t);
            const double f = t - double(whole);
            const int64_t k = s - whole;
            const double now = source[k * 2 + far];
            const double before = k > 0 ? source[(k - 1) * 2 + far] : 0.0;
            out[j * 2 + far] = int16_t(now * (1.0 - f) + before * f);
            t += step;
        }
        done += length;
        at += length;
    }
}

std::shared_ptr<StreamMemorySample> SampleStream::CopyIntoMemory()
{
    const int64_t size = FullLength() / kFrameBytes * kFrameBytes;
    if (m_backing == Backing::None || m_backing == Backing::Writer || size <= 0 || size > kMaxMemoryCopyBytes)
        return nullptr;
    auto memory = std::make_shared<StreamMemorySample>();
    memory->samples.assign(size_t(size / 2), 0);
    // The whole full length, past the loop's total when the taps reach further.
    ReadProcessed(0, memory->samples.data(), size / kFrameBytes);
    if (m_loopSpan != 0 && m_backing == Backing::File) {
        // Later repeats follow on from the copy's end: the region after its
        // already cross-faded start.
        const int64_t fade = m_loopFade * kFrameBytes;
        const int64_t span = m_loopSpan * kFrameBytes;
        memory->loop.start = int32_t(fade + size - span);
        memory->loop.span = int32_t(span - fade);
        memory->loop.crossFade = 0;
        memory->loop.total = m_info.loop.total;
        for (size_t c = 0; c < 2; ++c)
            memory->envelopes[c] = m_info.tracks[c].envelope;
    } else if (m_backing == Backing::Memory) {
        memory->loop = m_memory->loop;
        memory->envelopes = m_memory->envelopes;
    }
    return memory;
}

int64_t EstimateImportBytes(const std::string& name, const StreamEnvironment& environment)
{
    const std::string ext = name.size() >= 3 ? ToLowerAscii(std::string_view(name).substr(name.size() - 3)) : "";
    if (ext != "wav" && ext != "mp3" && ext != "ncp")
        return 0;
    const std::vector<std::string> folders =
        environment.folders ? environment.folders->Snapshot() : std::vector<std::string>{""};
    const std::string stored = NormaliseSeparators(name);
    for (const std::string& folder : folders) {
        const std::string full = folder + stored;
        if (!FileExists(full))
            continue;
        if (ext == "ncp")
            return environment.songs ? environment.songs->EstimateImportBytes(full) : 0;
        WaveHeaderResult result = WaveHeaderResult::Unreadable;
        const int64_t bytes = EstimateCanonicalBytes(full, &result);
        if (result == WaveHeaderResult::Unreadable)
            continue;
        return bytes;
    }
    return 0;
}

} // namespace bm::stream
