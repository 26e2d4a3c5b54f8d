#include "app/CommandLine.h"

#include "core/Text.h"

namespace bm::app {

namespace {
constexpr int32_t kOpenStartSong = 2;
}

std::string CommandLineText(const std::vector<std::string>& arguments)
{
    std::string text;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            text.push_back(' ');
        text += arguments[i];
    }
    return text;
}

std::string StartSongFromCommandLine(std::string_view commandLine, int32_t openAtStart, const std::string& startSong)
{
    std::string_view line = Trim(commandLine);
    if (line.empty())
        return openAtStart == kOpenStartSong ? startSong : std::string();
    if (line.front() != '"')
        return std::string(line);
    line.remove_prefix(1);
    size_t close = line.find('"');
    if (close == std::string_view::npos)
        return {};
    return std::string(line.substr(0, close));
}

} // namespace bm::app
