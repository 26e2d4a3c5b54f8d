#include "engine/audiofile/WavStreamWriter.h"

#include "core/Binary.h"
#include "core/Paths.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {

// Largest data chunk whose sizes fit the header's 32-bit fields.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

std::array<uint8_t, 44> Header(uint32_t dataBytes, int channels, int rate)
{
    const uint16_t block = static_cast<uint16_t>(channels * 2);
    std::array<uint8_t, 44> h{};
    std::memcpy(h.data(), "RIFF", 4);
    WriteLE32(h.data() + 4, 36 + dataBytes);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    WriteLE32(h.data() + 16, 16);
    WriteLE16(h.data() + 20, 1); // PCM
    WriteLE16(h.data() + 22, static_cast<uint16_t>(channels));
    WriteLE32(h.data() + 24, static_cast<uint32_t>(rate));
    WriteLE32(h.data() + 28, static_cast<uint32_t>(rate) * block);
    WriteLE16(h.data() + 32, block);
    WriteLE16(h.data() + 34, 16);
    std::memcpy(h.data() + 36, "data", 4);
    WriteLE32(h.data() + 40, dataBytes);
    return h;
}

} // namespace

WavStreamWriter::~WavStreamWriter()
{
    Abandon();
}

void WavStreamWriter::Abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        std::remove(m_temporary.c_str());
    m_temporary.clear();
}

bool WavStreamWriter::Open(const std::string& path, int channels, int rate, Error* error)
{
    Abandon();
    if (channels < 1 || channels > 2 || rate <= 0)
        return Fail(error, "a wave file needs one or two channels and a rate");
    m_path = path;
    m_channels = channels;
    m_rate = rate;
    m_dataBytes = 0;
    std::string temporary = FolderPart(path) + "." + FileNamePart(path) + ".XXXXXX";
    m_fd = ::mkstemp(temporary.data());
    if (m_fd < 0)
        return Fail(error, "cannot create a file beside " + path + ": " + std::strerror(errno));
    m_temporary = temporary;
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(m_fd, 0666 & ~mask) != 0) {
        Abandon();
        return Fail(error, std::strerror(errno));
    }
    const auto header = Header(0, channels, rate);
    if (!WriteBytes(header.data(), header.size(), error)) {
        Abandon();
        return false;
    }
    return true;
}

bool WavStreamWriter::WriteBytes(const uint8_t* data, size_t size, Error* error)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(error, n < 0 ? std::strerror(errno) : "nothing written");
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WavStreamWriter::Write(std::span<const int16_t> samples, Error* error)
{
    if (m_fd < 0)
        return Fail(error, "the wave file is not open");
    if (m_dataBytes + samples.size() * 2 > kMaxDataBytes)
        return Fail(error, "too much audio for one wave file");
    bool ok = true;
    if constexpr (std::endian::native == std::endian::little) {
        ok = WriteBytes(reinterpret_cast<const uint8_t*>(samples.data()), samples.size() * 2, error);
    } else {
        std::array<uint8_t, 8192> block;
        for (size_t i = 0; ok && i < samples.size(); i += block.size() / 2) {
            const size_t n = std::min(block.size() / 2, samples.size() - i);
            for (size_t j = 0; j < n; ++j)
                WriteLE16(block.data() + 2 * j, static_cast<uint16_t>(samples[i + j]));
            ok = WriteBytes(block.data(), n * 2, error);
        }
    }
    if (ok)
        m_dataBytes += samples.size() * 2;
    return ok;
}

bool WavStreamWriter::Finish(WavWriteMode mode, Error* error)
{
    if (m_fd < 0)
        return Fail(error, "the wave file is not open");
    const auto header = Header(static_cast<uint32_t>(m_dataBytes), m_channels, m_rate);
    bool ok = ::pwrite(m_fd, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size())
           || Fail(error, std::strerror(errno));
    if (ok && mode == WavWriteMode::Durable && ::fsync(m_fd) != 0)
        ok = Fail(error, std::strerror(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && ok)
        ok = Fail(error, std::strerror(errno));
    if (ok && std::rename(m_temporary.c_str(), m_path.c_str()) != 0)
        ok = Fail(error, "cannot write " + m_path + ": " + std::strerror(errno));
    if (!ok) {
        Abandon();
        return false;
    }
    m_temporary.clear();
    if (mode == WavWriteMode::Durable) {
        // The rename itself reaches the disk with the folder.
        const int folder = ::open(FolderPart(m_path).empty() ? "." : FolderPart(m_path).c_str(), O_RDONLY | O_DIRECTORY);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
    return true;
}

} // namespace bm
