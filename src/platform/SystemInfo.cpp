#include "platform/SystemInfo.h"

#include <malloc.h>

#include <filesystem>
#include <limits>
#include <system_error>
#include <unistd.h>

namespace bm::platform {

uint64_t TotalPhysicalMemory()
{
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    uint64_t count = static_cast<uint64_t>(pages);
    uint64_t size = static_cast<uint64_t>(pageSize);
    if (count > std::numeric_limits<uint64_t>::max() / size)
        return std::numeric_limits<uint64_t>::max();
    return count * size;
}

int32_t ProcessorType() { return 586; }

int64_t FreeDiskSpace(const std::string& path)
{
    std::error_code ec;
    auto info = std::filesystem::space(path, ec);
    if (ec || info.available == static_cast<std::uintmax_t>(-1))
        return -1;
    if (info.available > static_cast<std::uintmax_t>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(info.available);
}

void KeepFreedMemoryForReuse()
{
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
}

} // namespace bm::platform
