#pragma once

// The file system a file goes to: where it is mounted (what the program
// shows where a drive letter would stand) and how many bytes this user may
// still write there.

#include <cstdint>
#include <optional>
#include <string>

namespace bm::platform {

struct VolumeInfo {
    std::string mountPoint; // "/", "/home", "/media/usb"
    int64_t freeBytes = 0;  // available to this user
};

class VolumeQuery {
public:
    virtual ~VolumeQuery() = default;
    // The file system that holds `folder`, or the folder above it that
    // exists when it does not (yet); nothing when none can be examined.
    virtual std::optional<VolumeInfo> Query(const std::string& folder) = 0;
};

class SystemVolumeQuery : public VolumeQuery {
public:
    std::optional<VolumeInfo> Query(const std::string& folder) override;
};

} // namespace bm::platform
