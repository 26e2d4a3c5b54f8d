#include "platform/HttpClient.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace bm::platform {

Reachability SystemNetworkState::Check()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return Reachability::Unknown;
    bool online = false;
    for (const ifaddrs* a = list; a && !online; a = a->ifa_next) {
        if (!a->ifa_addr || (a->ifa_flags & IFF_LOOPBACK))
            continue;
        const int family = a->ifa_addr->sa_family;
        if ((family == AF_INET || family == AF_INET6) && (a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING))
            online = true;
    }
    freeifaddrs(list);
    return online ? Reachability::Online : Reachability::Offline;
}

} // namespace bm::platform
