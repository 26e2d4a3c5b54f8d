#include "platform/Dialogs.h"

namespace bm::platform {

std::vector<std::pair<std::string, std::string>> SplitFileFilter(std::string_view filter)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        if (bar == std::string_view::npos) {
            if (start < filter.size())
                fields.push_back(filter.substr(start));
            break;
        }
        fields.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty() || fields[i + 1].empty())
            break;
        out.emplace_back(std::string(fields[i]), std::string(fields[i + 1]));
    }
    return out;
}

} // namespace bm::platform
