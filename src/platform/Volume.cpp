#include "platform/Volume.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <system_error>

namespace bm::platform {

namespace fs = std::filesystem;

std::optional<VolumeInfo> SystemVolumeQuery::Query(const std::string& folder)
{
    if (folder.empty() || folder[0] != '/')
        return std::nullopt;
    // The nearest folder at or above `folder` that exists.
    fs::path at = fs::path(folder).lexically_normal();
    struct stat info {};
    while (stat(at.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        if (at == at.root_path() || !at.has_relative_path())
            return std::nullopt;
        at = at.parent_path();
    }
    struct statvfs space {};
    if (statvfs(at.c_str(), &space) != 0)
        return std::nullopt;
    // Walk up while the parent lies on the same device: the last folder on
    // it is the mount point.
    const dev_t device = info.st_dev;
    fs::path mount = at;
    while (mount != mount.root_path() && mount.has_relative_path()) {
        const fs::path parent = mount.parent_path();
        struct stat up {};
        if (stat(parent.c_str(), &up) != 0 || up.st_dev != device)
            break;
        mount = parent;
    }
    VolumeInfo out;
    std::string text = mount.string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    out.mountPoint = text;
    out.freeBytes = int64_t(space.f_bavail) * int64_t(space.f_frsize);
    return out;
}

} // namespace bm::platform
