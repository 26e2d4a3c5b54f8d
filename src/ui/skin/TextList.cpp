#include "ui/skin/TextList.h"

#include "ui/skin/ArchiveText.h"

namespace bm {

bool ReadTextList(const ResourceArchive& archive, std::string_view entry, std::vector<std::string>& texts)
{
    std::string whole;
    if (!ReadTextEntry(archive, entry, whole))
        return false;
    std::string_view rest(whole);
    std::string line;
    for (std::string& text : texts) {
        if (rest.empty())
            break;
        NextLine(rest, line);
        text = line;
    }
    return true;
}

std::string ExpandLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace bm
