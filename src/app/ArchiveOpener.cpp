#include "app/ArchiveOpener.h"

namespace bm::app {

platform::ExclusiveAccess FileArchiveOpener::Probe(const std::string& path)
{
    return platform::ProbeExclusiveAccess(path);
}

std::unique_ptr<ResourceArchive> FileArchiveOpener::Open(const std::string& path)
{
    auto archive = std::make_unique<ResourceArchive>(ResourceArchive::kResourceMagic);
    if (!archive->Open(path, ArchiveAccess::ReadOnly))
        return nullptr;
    return archive;
}

} // namespace bm::app
