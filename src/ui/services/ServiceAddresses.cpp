#include "ui/services/ServiceAddresses.h"

#include "core/Text.h"

#ifndef BM_NEWS_ADDRESS
#define BM_NEWS_ADDRESS "http://news.brickmelody.invalid/news.txt"
#endif
#ifndef BM_SITE_ADDRESS
#define BM_SITE_ADDRESS "http://www.brickmelody.invalid/"
#endif

namespace bm::services {

namespace {

constexpr ScrambledText kNews(BM_NEWS_ADDRESS);
constexpr ScrambledText kSite(BM_SITE_ADDRESS);

} // namespace

std::string NewsAddress() { return kNews.Unscramble(); }
std::string SiteAddress() { return kSite.Unscramble(); }

bool IsUnsetAddress(std::string_view address)
{
    size_t start = address.find("://");
    start = start == std::string_view::npos ? 0 : start + 3;
    std::string_view rest = address.substr(start);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const size_t at = rest.rfind('@'); at != std::string_view::npos)
        rest = rest.substr(at + 1);
    std::string_view host = rest;
    if (!host.empty() && host.front() == '[') {
        host = host.substr(0, host.find(']') + 1);
    } else if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
        host = host.substr(0, colon);
    }
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    if (host.empty())
        return true;
    const std::string lower = ToLowerAscii(host);
    return lower == "invalid" || (lower.size() > 8 && lower.compare(lower.size() - 8, 8, ".invalid") == 0);
}

} // namespace bm::services
