#pragma once

// Which song measure each queued measure of playback holds: an ordered list
// of (queued-measure number, measure index), where the queued-measure number
// counts the measures handed to the output device since playback started.
// The worker appends as it fills buffers; the position query (UI thread)
// looks up the measure being heard and drops the entries before it.
//
// Threads: any; a short internal lock guards the list.

#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

namespace bm::engine {

class PositionMap {
public:
    void Clear();
    void Add(int64_t queuedMeasure, int32_t measure);
    // The measure of queued-measure number q, or -1 when the first entry at
    // or after q is not q itself (or there is none). On a hit the entries
    // before it are dropped.
    int32_t Find(int64_t q);
    size_t Size() const;

private:
    mutable std::mutex m_mutex;
    std::deque<std::pair<int64_t, int32_t>> m_entries;
};

} // namespace bm::engine
