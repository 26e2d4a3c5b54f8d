#pragma once

// Text entries of the archive: menu descriptions, dialog text lists, hint
// texts, the note order list. They are lines ending in CR LF.

#include <string>
#include <string_view>

namespace bm {

class ResourceArchive;

// The whole entry as text, up to its first zero byte. False (and `text`
// empty) when the entry is missing, empty or starts with a zero byte.
bool ReadTextEntry(const ResourceArchive& archive, std::string_view name, std::string& text);

// Takes the first line off `text`. When the text holds CR LF, `line` is what
// comes before the first CR LF, the text keeps what follows it, and the result
// is true. Otherwise `line` is the whole rest, the text becomes empty and the
// result is false; an empty text gives false and leaves `line` unchanged.
// So a loop `while (NextLine(text, line))` never sees a last line without its
// CR LF, while a reader that takes a fixed number of lines in turn does.
// The view form moves the view forward and is cheap on long texts.
bool NextLine(std::string_view& text, std::string& line);
bool NextLine(std::string& text, std::string& line);

} // namespace bm
