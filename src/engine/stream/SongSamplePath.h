#pragma once

// The seam through which a sample stream reaches songs used as samples
// (".ncp" files rendered to canonical audio). The song renderer provides
// the real path; until then the stream uses UnavailableSongPath and a song
// used as a sample is simply unavailable (silent).

#include "library/SampleLibrary.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bm::stream {

// An opened song used as a sample: canonical bytes (4 per frame).
class SongSampleRender {
public:
    virtual ~SongSampleRender() = default;
    virtual int64_t LengthBytes() const = 0;
    // Copies `bytes` canonical bytes from byte `position` (silence beyond
    // the end); returns the bytes that came from the song.
    virtual int64_t Read(int64_t position, int16_t* out, int64_t bytes) = 0;
    // Set when opening had to render the song into the disk cache.
    virtual bool FreshRender() const { return false; }
};

class SongSamplePath {
public:
    virtual ~SongSamplePath() = default;
    // `fullPath` is the song file found in a sample folder. Null: unavailable.
    virtual std::unique_ptr<SongSampleRender> Open(const std::string& fullPath, int64_t spanFrames,
                                                   const SampleRef& key) = 0;
    // Canonical bytes the song would take once imported, 0 when unknown.
    virtual int64_t EstimateImportBytes(const std::string& fullPath) = 0;
};

class UnavailableSongPath final : public SongSamplePath {
public:
    std::unique_ptr<SongSampleRender> Open(const std::string&, int64_t, const SampleRef&) override { return nullptr; }
    int64_t EstimateImportBytes(const std::string&) override { return 0; }
};

} // namespace bm::stream
