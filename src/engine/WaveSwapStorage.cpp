#include "engine/WaveSwapStorage.h"

#include "core/Binary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace bm::engine {

namespace {

constexpr int64_t kHeaderBytes = 44;
// The RIFF sizes are 32-bit.
constexpr int64_t kMaxDataBytes = int64_t(0xFFFFFFFFu) - kHeaderBytes;

bool WriteAll(int fd, const void* data, size_t bytes, int64_t offset)
{
    const auto* p = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t n = pwrite(fd, p, bytes, offset);
        if (n <= 0)
            return false;
        p += n;
        bytes -= size_t(n);
        offset += n;
    }
    return true;
}

} // namespace

WaveSwapStorage::~WaveSwapStorage() { Close(); }

bool WaveSwapStorage::Create(const std::string& path)
{
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return false;
    std::vector<uint8_t> header;
    AppendFourCC(header, "RIFF");
    AppendLE32(header, 36);
    AppendFourCC(header, "WAVE");
    AppendFourCC(header, "fmt ");
    AppendLE32(header, 16);
    AppendLE16(header, 1);      // PCM
    AppendLE16(header, 2);      // channels
    AppendLE32(header, 44100);  // frames per second
    AppendLE32(header, 176400); // bytes per second
    AppendLE16(header, 4);      // block size
    AppendLE16(header, 16);     // bits
    AppendFourCC(header, "data");
    AppendLE32(header, 0);
    m_dataSize = 0;
    if (!WriteAll(m_fd, header.data(), header.size(), 0)) {
        Close();
        return false;
    }
    return true;
}

bool WaveSwapStorage::WriteSizes()
{
    uint8_t size[4];
    WriteLE32(size, uint32_t(m_dataSize + kHeaderBytes - 8));
    if (!WriteAll(m_fd, size, 4, 4))
        return false;
    WriteLE32(size, uint32_t(m_dataSize));
    return WriteAll(m_fd, size, 4, kHeaderBytes - 4);
}

bool WaveSwapStorage::SetDataSize(int64_t bytes)
{
    if (m_fd < 0 || bytes < 0 || bytes > kMaxDataBytes)
        return false;
    if (ftruncate(m_fd, kHeaderBytes + bytes) != 0)
        return false;
    m_dataSize = bytes;
    return WriteSizes();
}

bool WaveSwapStorage::Write(int64_t offset, const void* data, size_t bytes)
{
    if (m_fd < 0 || offset < 0 || offset + int64_t(bytes) > kMaxDataBytes)
        return false;
    if (!WriteAll(m_fd, data, bytes, kHeaderBytes + offset))
        return false;
    if (offset + int64_t(bytes) > m_dataSize) {
        m_dataSize = offset + int64_t(bytes);
        return WriteSizes();
    }
    return true;
}

bool WaveSwapStorage::Read(int64_t offset, void* data, size_t bytes)
{
    if (m_fd < 0 || offset < 0 || offset + int64_t(bytes) > m_dataSize)
        return false;
    auto* p = static_cast<uint8_t*>(data);
    int64_t at = kHeaderBytes + offset;
    while (bytes > 0) {
        const ssize_t n = pread(m_fd, p, bytes, at);
        if (n <= 0)
            return false;
        p += n;
        bytes -= size_t(n);
        at += n;
    }
    return true;
}

void WaveSwapStorage::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_dataSize = 0;
}

} // namespace bm::engine
