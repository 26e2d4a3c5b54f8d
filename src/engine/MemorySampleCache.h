#pragma once

// The engine's in-memory sample cache: one entry per distinct sample file of
// the current song (at most 4 MiB each), filled by the engine's cache rebuild
// and looked up by the sample source when a sample is opened at the engine's
// bar span. What an entry holds is up to the source that made it (canonical
// frames, loop values, envelope lists); the engine only needs its size.
//
// Threads: the engine worker only. Entries are shared pointers, so a reader
// that is backed by an entry keeps it alive even when the cache is freed
// while the reader is open.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bm::engine {

// A whole sample in memory, as a SampleReader's CopyIntoMemory() made it.
class MemorySample {
public:
    virtual ~MemorySample() = default;
    // Canonical frames held (4 bytes each).
    virtual int64_t SizeFrames() const = 0;
};

struct MemoryCacheEntry {
    std::string path;
    std::shared_ptr<const MemorySample> sample;
};

class MemorySampleCache {
public:
    // The entry for this path, or null.
    std::shared_ptr<const MemorySample> Find(const std::string& path) const
    {
        for (const auto& entry : m_entries) {
            if (entry.path == path)
                return entry.sample;
        }
        return nullptr;
    }
    void Append(std::string path, std::shared_ptr<const MemorySample> sample)
    {
        m_entries.push_back({std::move(path), std::move(sample)});
    }
    void Clear() { m_entries.clear(); }
    std::vector<MemoryCacheEntry>& Entries() { return m_entries; }
    const std::vector<MemoryCacheEntry>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }

private:
    std::vector<MemoryCacheEntry> m_entries;
};

// What the engine shares with the sample source that serves its worker: the
// memory cache, the current bar span and the dirty flag (set when the memory
// cache must be rebuilt). Worker thread only.
struct EngineSampleContext {
    MemorySampleCache memoryCache;
    int64_t barSpan = 0; // samples per measure × measures per bar
    bool dirty = false;

    // For an open at `span`: the memory entry of `path` when the span is the
    // bar span; any other span frees the whole memory cache first (and marks
    // it dirty so the engine rebuilds it) and finds nothing.
    std::shared_ptr<const MemorySample> MemoryFor(const std::string& path, int64_t span)
    {
        if (span != barSpan) {
            if (memoryCache.Size() > 0) {
                memoryCache.Clear();
                dirty = true;
            }
            return nullptr;
        }
        return memoryCache.Find(path);
    }
};

} // namespace bm::engine
