#pragma once

// Songs used as samples: the sample stream's song branch. Opening a song
// file at a span
// 1. posts WM_USER+21 with the caller's key and 1 when the file was last
//    written after 1 January 2002 00:00 local time (else 0);
// 2. reuses the disk-cache file of the song at that span and key when it is
//    complete and not older than the song (its time is refreshed; nothing
//    else is posted);
// 3. otherwise reads the song into its own model (SongSampleModel), re-times
//    it to M' = span / measures per bar, renders the delivered measures (the
//    regions' measures in list order, else all) with its own SongRenderer at
//    unit master gain, at most measures-per-bar consecutive measures per
//    call, into a fresh cache file, posting WM_USER+15 (2, 0), WM_USER+19
//    progress 0 ... 100 keyed by the caller's key and WM_USER+15 (0, 2); the
//    opened render then reports FreshRender(), and the engine's memory cache
//    is marked dirty when the span is not its bar span.
// The render is written under a temporary name and renamed to the cache
// name when complete (see SampleCache.h). The opened render reads the cache
// file. A render that fails deletes its file and the song is unavailable
// (silent).
//
// Samples inside the song, songs among them, are opened through the same
// stream environment, so nested songs come back here. A song that is
// already being rendered further up the same chain (a song that uses
// itself, or songs that use each other in a cycle) is unavailable, and so is
// any song more than kMaxNesting renders deep: rendering always ends.
//
// Threads: opens run on the thread that opens the stream (the engine worker
// for the engine's streams); the chain of renders is kept per thread. The
// estimate may run on any thread.
//
//     SongSampleRenderPath songs({environment, programFolder, &port});
//     environment.songs = &songs;   // streams opened with it reach songs

#include "engine/stream/SongSamplePath.h"
#include "engine/stream/StreamEnvironment.h"
#include "platform/MessagePort.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bm::engine {

struct SongSampleSettings {
    // Where the song's own samples are found, converted and cached (its
    // `songs` member is ignored: nested songs come to this path). A cache
    // manager is required: without one songs are unavailable. The engine
    // context, when given, is the worker's (worker-thread opens only).
    stream::StreamEnvironment environment;
    std::string programFolder; // for resolving slot names; ends with '/'
    platform::MessagePort* port = nullptr; // the main window's; may be null
};

class SongSampleRenderPath final : public stream::SongSamplePath {
public:
    // Songs rendered inside one another at most this deep.
    static constexpr int kMaxNesting = 8;

    explicit SongSampleRenderPath(SongSampleSettings settings);

    std::unique_ptr<stream::SongSampleRender> Open(const std::string& fullPath, int64_t spanFrames,
                                                   const SampleRef& key) override;
    int64_t EstimateImportBytes(const std::string& fullPath) override;

    // WM_USER+21's flag: the file was last written after 1 January 2002
    // 00:00 local time.
    static bool WrittenAfter2002(const std::string& path);

private:
    // Renders into `outputPath` (the cache file's temporary name).
    bool Render(const std::string& fullPath, int64_t spanFrames, const SampleRef& key, const std::string& outputPath);
    void Post(int32_t number, int64_t wParam, int64_t lParam, platform::MessagePayload payload = {});

    SongSampleSettings m_settings;
    stream::StreamEnvironment m_inner; // the environment of the song's own samples
};

} // namespace bm::engine
