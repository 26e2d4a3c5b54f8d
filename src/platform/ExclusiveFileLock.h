#pragma once

// Exclusive use of a file among cooperating processes: the file is opened for
// reading and an advisory lock (flock, LOCK_EX | LOCK_NB) is taken on that
// open file. The program's single running copy rests on it: the copy that
// holds the archive file locked is the running one.

#include <string>

namespace bm::platform {

enum class ExclusiveAccess {
    Granted,    // opened and locked
    InUse,      // opened, but another open file holds the lock
    Missing,    // there is no such file
    CannotOpen, // there is one, but it cannot be opened for reading
};

class ExclusiveFileLock {
public:
    ExclusiveFileLock() = default;
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    // Opens `path` and takes the lock without waiting. Releases any lock
    // held before. Only Granted leaves the file open.
    ExclusiveAccess Acquire(const std::string& path);
    // Closes the file, which drops the lock.
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Opens `path` with the exclusive lock and closes it again at once: tells
// whether some other open file holds the lock now.
ExclusiveAccess ProbeExclusiveAccess(const std::string& path);

} // namespace bm::platform
