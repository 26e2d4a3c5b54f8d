#include "engine/stream/StreamSampleSource.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "engine/stream/SampleStream.h"

#include <cstdio>

namespace bm::stream {

namespace {

constexpr int64_t kFrameBytes = 4;

class StreamSampleReader final : public engine::SampleReader {
public:
    explicit StreamSampleReader(std::unique_ptr<SampleStream> stream) : m_stream(std::move(stream)) {}

    int64_t Length() const override { return m_stream->Length() / kFrameBytes; }
    int64_t FullLength() const override { return m_stream->FullLength() / kFrameBytes; }
    int64_t Read(int64_t position, int16_t* out, int32_t frames) override
    {
        return m_stream->ReadFramesAt(position, out, frames);
    }
    void ReadWithPanDelay(int64_t position, int16_t* out, int32_t frames, int64_t songPosition,
                          const engine::EnvelopeNodes& pan, bool reverse) override
    {
        m_stream->ReadWithPanDelay(out, int64_t(frames) * kFrameBytes, songPosition, position * kFrameBytes, pan,
                                   reverse);
    }
    std::shared_ptr<const engine::MemorySample> CopyIntoMemory() override { return m_stream->CopyIntoMemory(); }
    bool FreshRender() const override { return m_stream->FreshRender(); }

private:
    std::unique_ptr<SampleStream> m_stream;
};

} // namespace

std::unique_ptr<engine::SampleReader> StreamSampleSource::Open(const std::string& path, int64_t span,
                                                              const SampleRef& key)
{
    auto stream = std::make_unique<SampleStream>(m_env);
    Error error;
    if (!stream->OpenRead(path, span, key, &error)) {
        if (onFailure)
            onFailure(path, error.message);
        return nullptr;
    }
    return std::make_unique<StreamSampleReader>(std::move(stream));
}

void StreamSampleSource::DeleteCacheFile(const std::string& path, int64_t span, const SampleRef& key)
{
    if (!m_env.cache)
        return;
    bool spanInName = path.size() >= 3 && ToLowerAscii(std::string_view(path).substr(path.size() - 3)) == "ncp";
    if (m_env.catalogue) {
        if (auto descriptor = m_env.catalogue->Find(key))
            spanInName = spanInName || descriptor->kind != 0;
    }
    const std::string name = CacheFileName(path, span, spanInName ? SpanInName::Yes : SpanInName::No, key);
    std::remove(m_env.cache->PathOf(name).c_str());
}

void StreamSampleSource::ClearDiskCache()
{
    if (m_env.cache)
        m_env.cache->MakeRoom(SampleCache::kFlushAll);
}

} // namespace bm::stream
