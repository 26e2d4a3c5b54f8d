#include "engine/audiofile/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {
constexpr size_t kWindowBytes = 65536;
// Reads smaller than this go through the window.
constexpr size_t kSmallRead = 4096;
} // namespace

size_t MemoryByteSource::ReadAt(uint64_t offset, std::span<uint8_t> out)
{
    if (offset >= m_bytes.size())
        return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(out.size(), m_bytes.size() - offset));
    if (n)
        std::memcpy(out.data(), m_bytes.data() + offset, n);
    return n;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, static_cast<uint64_t>(st.st_size)));
}

FileByteSource::FileByteSource(int fd, uint64_t size) : m_fd(fd), m_size(size) {}

FileByteSource::~FileByteSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

size_t FileByteSource::ReadDirect(uint64_t offset, std::span<uint8_t> out)
{
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

size_t FileByteSource::ReadAt(uint64_t offset, std::span<uint8_t> out)
{
    if (offset >= m_size || out.empty())
        return 0;
    if (out.size() >= kSmallRead)
        return ReadDirect(offset, out);
    const bool inWindow = offset >= m_windowOffset && offset + out.size() <= m_windowOffset + m_windowFill;
    if (!inWindow) {
        if (m_window.empty())
            m_window.resize(kWindowBytes);
        m_windowOffset = offset;
        m_windowFill = ReadDirect(offset, m_window);
    }
    const size_t start = static_cast<size_t>(offset - m_windowOffset);
    const size_t n = std::min(out.size(), m_windowFill - std::min(start, m_windowFill));
    if (n)
        std::memcpy(out.data(), m_window.data() + start, n);
    return n;
}

} // namespace bm
