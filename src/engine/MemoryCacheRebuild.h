#pragma once

// Rebuilds the engine's memory sample cache for the current song: every
// distinct sample that a channel with a gain uses, at most 4 MiB in memory,
// the least used ones dropped until the total fits the memory setting.
//
// 1. Walk the channels with a gain not 0 and their non-empty slots; the
//    first slot of a path opens the sample at the bar span (correcting the
//    slots' length when the stream's differs) and adds it when its full
//    in-memory length is at most 4 194 304 bytes; later slots of the path
//    raise its use count. When an open had to render a song used as a sample
//    into the disk cache, the rebuild stops at once (the caller keeps the
//    dirty flag and starts over after serving its queue).
// 2. Under the sample folder list's lock, drop the entry with the smallest
//    use count (the last one on a tie) while the sum of the lengths in frames
//    exceeds the memory setting.
// 3. Keep old entries whose path is still wanted with the same size; drop
//    the others.
// 4. Copy each newly wanted sample whole into memory.
//
// Worker thread only.

#include "core/Paths.h"
#include "engine/EngineSong.h"
#include "engine/MemorySampleCache.h"
#include "engine/SampleSource.h"

#include <cstdint>

namespace bm::engine {

// Largest sample kept in memory, in bytes (4 per frame).
constexpr int64_t kMaxMemoryEntryBytes = 0x400000;

enum class RebuildResult { Done, StoppedForFreshRender };

// `memoryLimit` is the memory setting, compared with the sum of the entries'
// lengths in frames. `folders` (may be null) is locked while trimming.
RebuildResult RebuildMemoryCache(EngineSong& song, SampleSource& source, MemorySampleCache& cache, int64_t memoryLimit,
                                 const FolderList* folders, SongObserver* observer);

} // namespace bm::engine
