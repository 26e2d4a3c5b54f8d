#pragma once

// How start-up reaches the program's archive file: first the single-copy
// test, then the real open. Tests give their own.

#include "platform/ExclusiveFileLock.h"
#include "ui/skin/ResourceArchive.h"

#include <memory>
#include <string>

namespace bm::app {

class ArchiveOpener {
public:
    virtual ~ArchiveOpener() = default;

    // Opens the file with exclusive access and closes it again at once:
    // Granted when no other copy holds it, InUse when one does, Missing or
    // CannotOpen when there is no file to hold.
    virtual platform::ExclusiveAccess Probe(const std::string& path) = 0;
    // Opens the archive, which keeps the file exclusively for as long as it is
    // open; null when it cannot be opened or read.
    virtual std::unique_ptr<ResourceArchive> Open(const std::string& path) = 0;
};

// The archive file on disk, held with an advisory lock (flock).
class FileArchiveOpener : public ArchiveOpener {
public:
    platform::ExclusiveAccess Probe(const std::string& path) override;
    std::unique_ptr<ResourceArchive> Open(const std::string& path) override;
};

} // namespace bm::app
