#pragma once

// A resource archive made in memory for the skin fuzz targets: the entries
// are written as a container image into an in-memory file and opened
// through /proc, so the fuzzers do not wear the disk.

#include "ui/skin/ResourceArchive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace bm::fuzz {

inline void PutLE32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> (8 * i));
}

class MemoryArchive {
public:
    MemoryArchive() : m_fd(::memfd_create("skin-fuzz", MFD_CLOEXEC)) {}
    ~MemoryArchive() { ::close(m_fd); }

    // Replaces the archive's entries and opens it; false when it cannot.
    bool Open(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::string image = "WADn";
        image.resize(16, '\0');
        std::vector<uint32_t> offsets;
        for (const auto& [name, data] : entries) {
            offsets.push_back(static_cast<uint32_t>(image.size()));
            PutLE32(image, static_cast<uint32_t>(data.size()));
            image += data;
        }
        const uint32_t dataEnd = static_cast<uint32_t>(image.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            std::string name = entries[i].first.substr(0, 59);
            name.resize(60, '\0');
            image += name;
            PutLE32(image, offsets[i]);
        }
        std::string header;
        PutLE32(header, static_cast<uint32_t>(image.size()));
        PutLE32(header, dataEnd);
        PutLE32(header, static_cast<uint32_t>(entries.size()));
        image.replace(4, 12, header);
        if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0
            || ::pwrite(m_fd, image.data(), image.size(), 0) != static_cast<ssize_t>(image.size()))
            std::abort();
        m_archive.Close();
        return m_archive.Open("/proc/self/fd/" + std::to_string(m_fd), ArchiveAccess::ReadOnly);
    }
    const ResourceArchive& Archive() const { return m_archive; }

private:
    int m_fd;
    ResourceArchive m_archive;
};

// The input cut into `count` parts at each "\n--\n" (missing parts empty).
inline std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t count)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < count) {
        const size_t cut = input.find("\n--\n", start);
        if (cut == std::string::npos)
            break;
        parts.push_back(input.substr(start, cut - start));
        start = cut + 4;
    }
    parts.push_back(input.substr(std::min(start, input.size())));
    parts.resize(count);
    return parts;
}

inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace bm::fuzz
