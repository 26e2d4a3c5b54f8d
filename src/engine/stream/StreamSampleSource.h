#pragma once

// The engine's SampleSource for real sample files: every open is a
// SampleStream in the given environment (for the worker: with the engine's
// memory-cache context). A sample that cannot be opened is null (silent)
// and reported to the failure callback, when one is set.

#include "engine/SampleSource.h"
#include "engine/stream/StreamEnvironment.h"

#include <functional>
#include <memory>
#include <string>

namespace bm::stream {

class StreamSampleSource final : public engine::SampleSource {
public:
    explicit StreamSampleSource(StreamEnvironment environment) : m_env(environment) {}

    std::unique_ptr<engine::SampleReader> Open(const std::string& path, int64_t span, const SampleRef& key) override;
    void DeleteCacheFile(const std::string& path, int64_t span, const SampleRef& key) override;
    void ClearDiskCache() override;

    // Told the path and the reason of every failed open (worker thread).
    std::function<void(const std::string& path, const std::string& reason)> onFailure;

private:
    StreamEnvironment m_env;
};

} // namespace bm::stream
