#include "ui/skin/ArchiveText.h"

#include "ui/skin/ResourceArchive.h"

#include <cstring>

namespace bm {

bool ReadTextEntry(const ResourceArchive& archive, std::string_view name, std::string& text)
{
    text.clear();
    std::string data;
    if (archive.GetEntrySize(name) <= 0 || !archive.ReadWholeEntry(name, data))
        return false;
    data.resize(::strnlen(data.c_str(), data.size()));
    text = std::move(data);
    return !text.empty();
}

bool NextLine(std::string_view& text, std::string& line)
{
    if (text.empty())
        return false;
    size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
        line.assign(text);
        text = {};
        return false;
    }
    line.assign(text.substr(0, end));
    text.remove_prefix(end + 2);
    return true;
}

bool NextLine(std::string& text, std::string& line)
{
    std::string_view view(text);
    bool found = NextLine(view, line);
    text.erase(0, text.size() - view.size());
    return found;
}

} // namespace bm
