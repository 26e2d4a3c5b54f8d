#include "core/File.h"

#include "core/ReplacingFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {

std::string ErrnoText(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
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
    if (fault == DurableWriteFault::CreateTemporary)
        return Fail(error, "cannot create a file beside " + path + ": " + std::strerror(EACCES));
    ReplacingFile file;
    if (!file.Create(path, error))
        return false;
    if (fault == DurableWriteFault::WriteHalfway) {
        file.Write(data.data(), data.size() / 2);
        return Fail(error, "cannot write " + file.TemporaryPath() + ": " + std::strerror(ENOSPC));
    }
    return file.Write(data.data(), data.size(), error) && file.Commit(ReplaceMode::Durable, error, fault);
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
