#include "ui/services/NewsHeadline.h"

namespace bm::services {

bool ApplyNewsText(std::string_view newsText, std::string& currentHeadline, const std::string& lastSeenHeadline)
{
    std::string_view first = newsText.substr(0, newsText.find('\n'));
    if (!first.empty() && first.back() == '\r')
        first.remove_suffix(1);
    if (first.empty()) {
        currentHeadline = lastSeenHeadline;
        return false;
    }
    currentHeadline = std::string(first);
    return true;
}

} // namespace bm::services
