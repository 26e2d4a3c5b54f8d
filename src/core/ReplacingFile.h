#pragma once

// A file that replaces its target only when it is complete. The bytes go to
// a temporary file beside the target (so the rename stays on one file
// system and is atomic); Commit renames it over the target, and in durable
// mode first flushes it to the disk and afterwards flushes the folder, so
// that a crash leaves either the old file or the new one. A file dropped or
// discarded before Commit is deleted and the target is left as it was.
//
// New files get the usual permissions (0666 less the umask); a file that
// replaces another keeps the permissions of the one it replaces.
//
// One owner; not thread-safe.
//
//     ReplacingFile file;
//     if (file.Create(path, &error) && file.Write(data, size, &error) &&
//         file.Commit(ReplaceMode::Durable, &error)) ...

#include "core/Error.h"
#include "core/File.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace bm {

enum class ReplaceMode {
    Durable,   // flushed to the disk before and after the rename
    Unflushed, // renamed without flushing: output that can be made again
};

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile() { Discard(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates an empty temporary file beside `target`. Fails when `target`
    // names no file (it ends in '/' or is a folder) or the folder cannot be
    // written; nothing is left on disk then.
    bool Create(const std::string& target, Error* error = nullptr);
    bool IsOpen() const { return m_fd >= 0; }
    // The open temporary file, for writers that need their own access (a
    // second descriptor opened on TemporaryPath() sees the same file).
    int Descriptor() const { return m_fd; }
    const std::string& TemporaryPath() const { return m_temporary; }
    const std::string& Target() const { return m_target; }

    // Appends at the file's position.
    bool Write(const void* data, size_t size, Error* error = nullptr);
    // Writes at a byte offset without moving the position.
    bool WriteAt(uint64_t offset, const void* data, size_t size, Error* error = nullptr);

    // Puts the file in place of the target. On failure the temporary file
    // is deleted, the target is untouched and the reason is returned.
    // `fault` lets tests fail the flush or the rename.
    bool Commit(ReplaceMode mode, Error* error = nullptr, DurableWriteFault fault = DurableWriteFault::None);
    // Closes and deletes the temporary file.
    void Discard();

private:
    // Writes at `offset`, or at the file's position when it is -1.
    bool Put(const void* data, size_t size, int64_t offset, Error* error);

    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
};

} // namespace bm
