#include "core/ReplacingFile.h"

#include "core/Paths.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {

// Random names tried before giving up on a folder full of them.
constexpr int kNameAttempts = 100;

std::string Reason(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

bool ReplacingFile::Create(const std::string& target, Error* error)
{
    Discard();
    const std::string folder = FolderPart(target);
    const std::string name = FileNamePart(target);
    struct stat info {};
    if (name.empty() || (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        return Fail(error, "not a file name: " + target);

    // A hidden name beside the target, made unique by a random suffix and
    // created exclusively so that no other writer's file is ever reused.
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        std::string temporary = folder + "." + name + suffix;
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = std::move(temporary);
            m_target = target;
            return true;
        }
        if (errno != EEXIST)
            return Fail(error, Reason("cannot create", temporary));
    }
    return Fail(error, "no free temporary name beside " + target);
}

bool ReplacingFile::Write(const void* data, size_t size, Error* error)
{
    return Put(data, size, -1, error);
}

bool ReplacingFile::WriteAt(uint64_t offset, const void* data, size_t size, Error* error)
{
    if (offset > uint64_t(INT64_MAX))
        return Fail(error, "cannot write " + m_temporary + ": offset out of range");
    return Put(data, size, static_cast<int64_t>(offset), error);
}

bool ReplacingFile::Put(const void* data, size_t size, int64_t offset, Error* error)
{
    if (m_fd < 0)
        return Fail(error, "no file is open");
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = offset < 0 ? ::write(m_fd, bytes, size) : ::pwrite(m_fd, bytes, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return Fail(error, Reason("cannot write", m_temporary));
        }
        bytes += n;
        size -= static_cast<size_t>(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

bool ReplacingFile::Commit(ReplaceMode mode, Error* error, DurableWriteFault fault)
{
    if (m_fd < 0)
        return Fail(error, "no file is open");
    const bool durable = mode == ReplaceMode::Durable;
    if (fault == DurableWriteFault::Flush || (durable && ::fsync(m_fd) != 0)) {
        if (fault == DurableWriteFault::Flush)
            errno = EIO;
        const std::string why = Reason("cannot flush", m_temporary);
        Discard();
        return Fail(error, why);
    }
    struct stat old {};
    if (::stat(m_target.c_str(), &old) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const std::string why = Reason("cannot close", m_temporary);
        Discard();
        return Fail(error, why);
    }
    if (fault == DurableWriteFault::Rename || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        if (fault == DurableWriteFault::Rename)
            errno = EACCES;
        const std::string why = Reason("cannot replace", m_target);
        Discard();
        return Fail(error, why);
    }
    if (durable) {
        // The rename itself reaches the disk with the folder.
        const std::string folder = FolderPart(m_target);
        const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    m_temporary.clear();
    m_target.clear();
    return true;
}

void ReplacingFile::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    m_target.clear();
}

} // namespace bm
