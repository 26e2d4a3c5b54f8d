#include "engine/SongSampleRenderPath.h"

#include "core/Binary.h"
#include "core/File.h"
#include "engine/SongRenderer.h"
#include "engine/SongSampleModel.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/stream/SampleStream.h"
#include "engine/stream/StreamSampleSource.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <sys/stat.h>
#include <vector>

namespace bm::engine {

namespace {

constexpr int64_t kFrameBytes = 4;
// The engine's longest measure; a span that re-times a song beyond it is
// refused rather than rendered with huge scratch blocks.
constexpr int64_t kMaxMeasureFrames = int64_t(1) << 22;
// The header SampleStream::Create writes, and the largest data a 32-bit
// wave header can describe after it.
constexpr int64_t kHeaderBytes = 44;
constexpr int64_t kMaxDataBytes = int64_t(0xFFFFFFFF) - kHeaderBytes;
// Frames rendered per call at most (the render buffer stays a few MB).
constexpr int64_t kMaxFramesPerCall = int64_t(1) << 20;

// The songs being rendered on this thread, outermost first.
thread_local std::vector<std::string> t_chain;

struct ChainEntry {
    explicit ChainEntry(std::string song) { t_chain.push_back(std::move(song)); }
    ~ChainEntry() { t_chain.pop_back(); }
    ChainEntry(const ChainEntry&) = delete;
    ChainEntry& operator=(const ChainEntry&) = delete;
};

// One name per file, however it was reached (relative parts, links).
std::string ChainName(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// A render is complete when both sizes its header declares (written before
// the data) match the file: a render cut short leaves a shorter file.
bool IsCompleteRender(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t head[kHeaderBytes] = {};
    const bool read = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    const int64_t size = FileSize(path);
    WaveHeaderInfo info;
    return read && int64_t(ReadLE32(head + 4)) + 8 == size && int64_t(ReadLE32(head + 40)) + kHeaderBytes == size &&
           ReadWaveHeader(path, info) == WaveHeaderResult::Accepted && info.channels == 2 &&
           info.bitsPerSample == 16 && info.frameRate == 44100;
}

// The rendered song as the stream reads it: the cache file's canonical bytes.
class CachedSongRender final : public stream::SongSampleRender {
public:
    bool Open(const std::string& path, bool fresh)
    {
        WaveHeaderInfo info;
        if (ReadWaveHeader(path, info) != WaveHeaderResult::Accepted)
            return false;
        m_fresh = fresh;
        return m_reader.Open(path, info) && m_reader.Prepare(65536);
    }
    int64_t LengthBytes() const override { return m_reader.Length(); }
    int64_t Read(int64_t position, int16_t* out, int64_t bytes) override
    {
        const int64_t frames = std::max<int64_t>(0, bytes) / kFrameBytes;
        if (position < 0 || frames == 0)
            return 0;
        m_reader.Seek(position);
        return m_reader.Read(std::span<uint8_t>(reinterpret_cast<uint8_t*>(out), size_t(frames * kFrameBytes)));
    }
    bool FreshRender() const override { return m_fresh; }

private:
    CanonicalReader m_reader;
    bool m_fresh = false;
};

// Hears the renderer's progress for the caller's key; the song's own length
// corrections and invalidations concern only its private model.
class ProgressPoster final : public SongObserver {
public:
    explicit ProgressPoster(platform::MessagePort* port) : m_port(port) {}
    void RenderProgress(const SampleRef& context, int32_t percent) override
    {
        if (m_port)
            m_port->Post({platform::msg::kProgress, 0, percent, context});
    }

private:
    platform::MessagePort* m_port;
};

} // namespace

SongSampleRenderPath::SongSampleRenderPath(SongSampleSettings settings)
    : m_settings(std::move(settings)), m_inner(m_settings.environment)
{
    m_inner.songs = this;
}

void SongSampleRenderPath::Post(int32_t number, int64_t wParam, int64_t lParam, platform::MessagePayload payload)
{
    if (m_settings.port)
        m_settings.port->Post({number, wParam, lParam, std::move(payload)});
}

bool SongSampleRenderPath::WrittenAfter2002(const std::string& path)
{
    std::tm start{};
    start.tm_year = 2002 - 1900;
    start.tm_mon = 0;
    start.tm_mday = 1;
    start.tm_isdst = -1; // whatever the local rule says for that day
    const std::time_t threshold = std::mktime(&start);
    return FileWriteTime(path) > int64_t(threshold) * 1000000000;
}

std::unique_ptr<stream::SongSampleRender> SongSampleRenderPath::Open(const std::string& fullPath, int64_t spanFrames,
                                                                     const SampleRef& key)
{
    Post(platform::msg::kSongSampleRendering, 0, WrittenAfter2002(fullPath) ? 1 : 0, key);

    const std::string name = ChainName(fullPath);
    if (std::find(t_chain.begin(), t_chain.end(), name) != t_chain.end() || int(t_chain.size()) >= kMaxNesting)
        return nullptr;
    stream::SampleCache* cache = m_settings.environment.cache;
    if (!cache || spanFrames < 1)
        return nullptr;

    const std::string cachePath =
        cache->PathOf(stream::CacheFileName(fullPath, spanFrames, stream::SpanInName::Yes, key));
    const int64_t cacheTime = FileWriteTime(cachePath);
    if (cacheTime >= 0 && cacheTime >= FileWriteTime(fullPath) && IsCompleteRender(cachePath)) {
        // Refresh the time so that eviction removes the least recently used first.
        ::utimensat(AT_FDCWD, cachePath.c_str(), nullptr, 0);
        auto render = std::make_unique<CachedSongRender>();
        if (render->Open(cachePath, false))
            return render;
    }
    if (cacheTime >= 0)
        std::remove(cachePath.c_str()); // stale or damaged: rendered again

    // Rendered aside and renamed when complete: the cache name never holds a
    // partial render, whoever else renders the same song meanwhile.
    Post(platform::msg::kWorkerState, 2, 0);
    const std::string temporary = stream::CacheTemporaryPath(cachePath);
    bool ok = false;
    {
        ChainEntry entry(name);
        ok = Render(fullPath, spanFrames, key, temporary);
    }
    ok = ok && IsCompleteRender(temporary);
    if (!ok)
        std::remove(temporary.c_str());
    ok = ok && stream::CommitCacheFile(temporary, cachePath);
    auto render = std::make_unique<CachedSongRender>();
    if (ok && !render->Open(cachePath, true)) {
        std::remove(cachePath.c_str());
        ok = false;
    }
    Post(platform::msg::kWorkerState, 0, 2);
    if (!ok)
        return nullptr;
    // The song's samples were opened at its own bar span, which frees the
    // engine's memory cache unless that is the engine's: rebuild it.
    if (EngineSampleContext* context = m_settings.environment.engine; context && spanFrames != context->barSpan)
        context->dirty = true;
    return render;
}

bool SongSampleRenderPath::Render(const std::string& fullPath, int64_t spanFrames, const SampleRef& key,
                                  const std::string& outputPath)
{
    std::string text;
    if (!ReadWholeFile(fullPath, text))
        return false;
    const stream::StreamEnvironment& env = m_settings.environment;
    std::shared_ptr<const SampleLibrary> library = env.catalogue ? env.catalogue->Snapshot() : nullptr;
    if (!library)
        library = std::make_shared<const SampleLibrary>();
    SongSampleModel model;
    if (!ReadSongSampleModel(text, fullPath, *library, env.folders ? env.folders->Snapshot() : std::vector<std::string>{},
                             m_settings.programFolder, model))
        return false;
    text = {};

    EngineSong& song = model.song;
    const int64_t perBar = std::max(1, song.measuresPerBar);
    const int64_t measureFrames = spanFrames / perBar;
    if (measureFrames < 1 || measureFrames > kMaxMeasureFrames)
        return false;
    RetimeSongSample(song, int32_t(measureFrames));
    const int64_t measureBytes = measureFrames * kFrameBytes;
    std::vector<int32_t> measures;
    if (!OutputMeasures(song, model.regions, kMaxDataBytes / measureBytes, measures) || measures.empty())
        return false;
    const int64_t length = int64_t(measures.size()) * measureBytes;

    // The answer does not stop the render: a sample is better played than not.
    env.cache->MakeRoom(length);
    stream::SampleStream writer;
    if (!writer.Create(outputPath) || !writer.SetDataSize(length))
        return false;

    Post(platform::msg::kProgress, 0, 0, key);
    stream::StreamSampleSource source(m_inner);
    SongRenderer renderer(source);
    ProgressPoster progress(m_settings.port);
    const int64_t perCall = std::clamp<int64_t>(kMaxFramesPerCall / measureFrames, 1, perBar);
    std::vector<int16_t> buffer(size_t(perCall * measureFrames * 2));
    for (size_t i = 0; i < measures.size();) {
        // A run of consecutive measures, at most a bar (and the buffer) long.
        int32_t count = 1;
        while (count < perCall && i + size_t(count) < measures.size() &&
               measures[i + size_t(count)] == measures[i] + count)
            ++count;
        std::fill(buffer.begin(), buffer.end(), int16_t(0));
        if (renderer.Render(song, measures[i], count, kUnitGain, buffer.data(), &progress, &key) != count ||
            !writer.Write(buffer.data(), int64_t(count) * measureBytes))
            return false;
        i += size_t(count);
    }
    Post(platform::msg::kProgress, 0, 100, key);
    writer.Close();
    return true;
}

int64_t SongSampleRenderPath::EstimateImportBytes(const std::string& fullPath)
{
    std::string text;
    if (!ReadWholeFile(fullPath, text))
        return 0;
    return EstimateSongImportBytes(text);
}

} // namespace bm::engine
