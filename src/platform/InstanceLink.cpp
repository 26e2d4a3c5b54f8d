#include "platform/InstanceLink.h"

#include <cstdio>
#include <unistd.h>

namespace bm::platform {

std::string InstanceSocketName(std::string_view programFolder, uint32_t userId)
{
    // FNV-1a, 64 bits: stable across runs and builds, unlike std::hash.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : programFolder) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "brickmelody-%016llx-%u", static_cast<unsigned long long>(hash), userId);
    return name;
}

std::string InstanceSocketName(std::string_view programFolder)
{
    return InstanceSocketName(programFolder, static_cast<uint32_t>(::getuid()));
}

} // namespace bm::platform
