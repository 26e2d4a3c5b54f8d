#include "core/File.h"

#include "core/Paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {

std::string ErrnoText(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& out, uint64_t maxBytes, Error* error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, ErrnoText("cannot open", path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(error, "not a regular file: " + path);
    }
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return Fail(error, "file too large: " + path);
    }
    std::string data;
    data.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    data.resize(done);
    ::close(fd);
    out = std::move(data);
    return true;
}

bool WriteFileDurably(const std::string& path, std::string_view data, Error* error, DurableWriteFault fault)
{
    std::string folder = FolderPart(path);
    std::string name = FileNamePart(path);
    if (name.empty())
        return Fail(error, "no file name in " + path);

    // The temporary name lives beside the target so that the rename stays on
    // one file system and is atomic.
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    std::string temporary = folder + "." + name + suffix;

    int fd = fault == DurableWriteFault::CreateTemporary
        ? -1
        : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(error, ErrnoText("cannot create", temporary));

    auto abandon = [&](const std::string& why) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return Fail(error, why);
    };

    size_t first = fault == DurableWriteFault::WriteHalfway ? data.size() / 2 : data.size();
    if (!WriteAll(fd, data.data(), first))
        return abandon(ErrnoText("cannot write", temporary));
    if (fault == DurableWriteFault::WriteHalfway) {
        errno = ENOSPC;
        return abandon(ErrnoText("cannot write", temporary));
    }
    if (fault == DurableWriteFault::Flush || ::fsync(fd) != 0) {
        if (fault == DurableWriteFault::Flush)
            errno = EIO;
        return abandon(ErrnoText("cannot flush", temporary));
    }
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    if (::close(fd) != 0) {
        ::unlink(temporary.c_str());
        return Fail(error, ErrnoText("cannot close", temporary));
    }
    if (fault == DurableWriteFault::Rename || ::rename(temporary.c_str(), path.c_str()) != 0) {
        if (fault == DurableWriteFault::Rename)
            errno = EACCES;
        std::string why = ErrnoText("cannot replace", path);
        ::unlink(temporary.c_str());
        return Fail(error, why);
    }
    // The rename itself is made durable by flushing the folder.
    int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

int64_t FileWriteTime(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

int64_t FileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

} // namespace bm
