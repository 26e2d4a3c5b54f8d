#pragma once

// Where the engine gets its samples. The renderer, the preview and the
// memory-cache rebuild open every sample through a SampleSource; the opened
// SampleReader delivers canonical frames (44 100 Hz, 16-bit, stereo
// interleaved) with the sample's loop, effect taps and gain envelope already
// applied. The sample stream layer implements both for real files (finding
// the file in the sample folder list, converting it through the disk cache,
// backing it by the MemorySampleCache at the engine's bar span); tests and
// benchmarks use synthetic sources.
//
// Units: positions and lengths in frames (4 bytes each), spans in frames.
// Threads: a source used by the engine worker is used on that thread only.

#include "engine/EngineSong.h"
#include "engine/MemorySampleCache.h"
#include "library/SampleLibrary.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bm::engine {

class SampleReader {
public:
    virtual ~SampleReader() = default;

    // The length in frames (what a slot of this sample covers).
    virtual int64_t Length() const = 0;
    // The frames a whole in-memory copy needs: loop start + loop span + the
    // largest tap delay when the sample loops, else Length().
    virtual int64_t FullLength() const = 0;

    // Reads `frames` frames from frame `position`; frames beyond the end are
    // silence. Returns the frames that came from the sample.
    virtual int64_t Read(int64_t position, int16_t* out, int32_t frames) = 0;

    // The mixer's read: `frames` frames from frame `position`, through the
    // pan delay driven by `pan` (a channel's pan envelope) from song frame
    // `songPosition`. `reverse` is the slot's flag: for a reverse slot the
    // caller asks for the block that ends where the forward read would begin
    // and reverses it itself.
    virtual void ReadWithPanDelay(int64_t position, int16_t* out, int32_t frames, int64_t songPosition,
                                  const EnvelopeNodes& pan, bool reverse) = 0;

    // The whole sample in memory (one Read of FullLength() frames from 0),
    // or null when it cannot be made.
    virtual std::shared_ptr<const MemorySample> CopyIntoMemory() = 0;

    // Set when opening had to render a song used as a sample into the disk
    // cache; the memory-cache rebuild stops and starts over when it sees it.
    virtual bool FreshRender() const { return false; }
};

class SampleSource {
public:
    virtual ~SampleSource() = default;

    // Opens `path` (a stored sample path) stretched to `span` frames where
    // the sample's kind asks for it, with `key` identifying the sample (word
    // 0 = -1: no key). Null when the sample is unavailable.
    virtual std::unique_ptr<SampleReader> Open(const std::string& path, int64_t span, const SampleRef& key) = 0;

    // Deletes the disk-cache file of one sample at `span` (command 0x20009).
    virtual void DeleteCacheFile(const std::string& /*path*/, int64_t /*span*/, const SampleRef& /*key*/) {}
    // Deletes every disk-cache file (command 0x60002).
    virtual void ClearDiskCache() {}
};

} // namespace bm::engine
