#include "core/FileCopy.h"

#include "core/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace bm {

namespace {

std::string Reason(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Closes a descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

} // namespace

bool CopyFileDurably(const std::string& source, const std::string& target, Error* error)
{
    const std::string folder = FolderPart(target);
    const std::string name = FileNamePart(target);
    if (name.empty())
        return Fail(error, "no file name in " + target);
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0)
        return Fail(error, Reason("cannot open", source));

    // Beside the target, so that the rename stays on one file system.
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    const std::string temporary = folder + "." + name + suffix;
    Descriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.Get() < 0)
        return Fail(error, Reason("cannot create", temporary));
    auto abandon = [&](const std::string& why) {
        ::close(out.Release());
        ::unlink(temporary.c_str());
        return Fail(error, why);
    };

    std::vector<char> block(size_t(1) << 20);
    for (;;) {
        const ssize_t n = ::read(in.Get(), block.data(), block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return abandon(Reason("cannot read", source));
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.Get(), block.data() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return abandon(Reason("cannot write", temporary));
            done += w;
        }
    }
    if (::fsync(out.Get()) != 0)
        return abandon(Reason("cannot flush", temporary));
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(out.Get(), old.st_mode & 07777);
    if (::close(out.Release()) != 0) {
        const std::string why = Reason("cannot close", temporary);
        ::unlink(temporary.c_str());
        return Fail(error, why);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string why = Reason("cannot replace", target);
        ::unlink(temporary.c_str());
        return Fail(error, why);
    }
    Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
    return true;
}

} // namespace bm
