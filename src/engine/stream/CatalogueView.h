#pragma once

// A thread-safe view of the sample library for code that runs off the main
// thread (the engine worker's streams): the main thread publishes an
// immutable copy of the library after every change, readers take the
// current copy under a short lock and keep it alive while they use it. The
// main thread's own library object is never read from another thread.

#include "library/SampleLibrary.h"

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace bm::stream {

class CatalogueView {
public:
    // Replaces the snapshot (main thread, after every library change).
    void Publish(std::shared_ptr<const SampleLibrary> library);
    void Publish(const SampleLibrary& library) { Publish(std::make_shared<const SampleLibrary>(library)); }

    // The current snapshot; null before the first publish.
    std::shared_ptr<const SampleLibrary> Snapshot() const;

    // A copy of the descriptor the key names, when it names a non-empty one.
    std::optional<SampleDescriptor> Find(const SampleRef& key) const;

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const SampleLibrary> m_library;
};

} // namespace bm::stream
