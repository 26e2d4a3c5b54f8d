#include "engine/stream/CatalogueView.h"

namespace bm::stream {

void CatalogueView::Publish(std::shared_ptr<const SampleLibrary> library)
{
    std::shared_ptr<const SampleLibrary> old;
    {
        std::lock_guard lock(m_mutex);
        old = std::exchange(m_library, std::move(library));
    }
    // The old snapshot (when this was its last owner) is freed outside the lock.
}

std::shared_ptr<const SampleLibrary> CatalogueView::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_library;
}

std::optional<SampleDescriptor> CatalogueView::Find(const SampleRef& key) const
{
    if (key.IsEmpty())
        return std::nullopt;
    const std::shared_ptr<const SampleLibrary> library = Snapshot();
    if (!library)
        return std::nullopt;
    const SampleDescriptor* descriptor = library->Find(key);
    if (!descriptor || descriptor->IsEmpty())
        return std::nullopt;
    return *descriptor;
}

} // namespace bm::stream
