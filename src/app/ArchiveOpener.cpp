#include "app/ArchiveOpener.h"

#include "platform/ExclusiveFileLock.h"

namespace bm::app {

bool FileArchiveOpener::IsFree(const std::string& path)
{
    return platform::ProbeExclusiveAccess(path) == platform::ExclusiveAccess::Granted;
}

std::unique_ptr<ResourceArchive> FileArchiveOpener::Open(const std::string& path)
{
    auto archive = std::make_unique<ResourceArchive>(ResourceArchive::kResourceMagic);
    if (!archive->Open(path, ArchiveAccess::ReadOnly))
        return nullptr;
    return archive;
}

} // namespace bm::app
