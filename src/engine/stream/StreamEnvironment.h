#pragma once

// What a sample stream is given to find and convert samples. Every pointer
// may be null: without a folder list nothing is found, without a catalogue
// no sample is stretched, without a cache manager converted samples are
// kept in memory only, without an engine context the engine's memory cache
// is neither used nor freed (streams outside the worker must leave it
// alone: it belongs to the worker thread), without a song path songs used
// as samples are unavailable, without a port no stretch progress is posted.

#include "core/Paths.h"
#include "engine/MemorySampleCache.h"
#include "engine/stream/CatalogueView.h"
#include "engine/stream/SampleCache.h"
#include "engine/stream/SongSamplePath.h"
#include "platform/MessagePort.h"

namespace bm::stream {

struct StreamEnvironment {
    const FolderList* folders = nullptr;
    const CatalogueView* catalogue = nullptr;
    SampleCache* cache = nullptr;
    engine::EngineSampleContext* engine = nullptr; // the worker's streams only
    SongSamplePath* songs = nullptr;
    // Told the progress of each stretch (WM_USER+19: the sample's key, the
    // percentage done) so the window can show it.
    platform::MessagePort* port = nullptr;
};

} // namespace bm::stream
