#pragma once

// Filling values into the window's message texts, which mark the place of
// a value with '%' (a path, a file name) or after an apostrophe.

#include <string>

namespace bm::ui {

// The text with its first '%' replaced by `value`.
inline std::string ReplacePercent(const std::string& text, const std::string& value)
{
    const size_t at = text.find('%');
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + value + text.substr(at + 1);
}

// The text with the one character after its first apostrophe replaced.
inline std::string NameAfterApostrophe(const std::string& text, const std::string& name)
{
    const size_t quote = text.find('\'');
    if (quote == std::string::npos || quote + 1 >= text.size())
        return text;
    return text.substr(0, quote + 1) + name + text.substr(quote + 2);
}

} // namespace bm::ui
