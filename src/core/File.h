#pragma once

#include "core/Error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bm {

// Reads a whole file into `out`. Fails (and reads nothing) when the file is
// missing, unreadable, or larger than `maxBytes`.
bool ReadWholeFile(const std::string& path, std::string& out, uint64_t maxBytes = uint64_t(1) << 31,
                   Error* error = nullptr);

// Points at which a durable write can be made to fail, so tests can prove
// that the previous file survives every one of them.
enum class DurableWriteFault {
    None,
    CreateTemporary,  // the temporary file cannot be created
    WriteHalfway,     // the disk fills after half of the data
    Flush,            // fsync fails
    Rename,           // the rename over the target fails
};

// Writes a whole document: a temporary file in the target's folder is
// written, flushed to the disk and renamed over the target, then the folder
// is flushed. A failure at any point leaves the old file byte for byte as it
// was, removes the temporary file and returns false with the reason.
bool WriteFileDurably(const std::string& path, std::string_view data, Error* error = nullptr,
                      DurableWriteFault fault = DurableWriteFault::None);

// Last-write time of a file in nanoseconds since the epoch; -1 when missing.
int64_t FileWriteTime(const std::string& path);
// Size of a regular file; -1 when missing.
int64_t FileSize(const std::string& path);

} // namespace bm
