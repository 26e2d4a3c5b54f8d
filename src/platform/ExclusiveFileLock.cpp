#include "platform/ExclusiveFileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace bm::platform {

ExclusiveFileLock::~ExclusiveFileLock() { Release(); }

ExclusiveAccess ExclusiveFileLock::Acquire(const std::string& path)
{
    Release();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ExclusiveAccess::Missing : ExclusiveAccess::CannotOpen;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    // Only a lock held elsewhere counts as in use. A file system without
    // advisory locks cannot tell, and refusing to start there forever would be
    // worse than letting a second copy run.
    if (result != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return ExclusiveAccess::InUse;
    }
    m_fd = fd;
    return ExclusiveAccess::Granted;
}

void ExclusiveFileLock::Release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ExclusiveAccess ProbeExclusiveAccess(const std::string& path)
{
    ExclusiveFileLock lock;
    return lock.Acquire(path);
}

} // namespace bm::platform
