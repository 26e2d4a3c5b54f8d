#pragma once

// Dialog text lists: an archive entry of CR LF lines, one text per line, no
// keys. Each dialog takes the lines in its own fixed order, assigning each
// to a caption, a control or a message kept for later.
//
//     std::vector<std::string> texts = kBuiltInTexts;   // the dialog's own defaults
//     ReadTextList(archive, "BPM_Select.res", texts);
//     label->setText(texts[2]);
//     ShowMessage(ExpandLineBreaks(texts[7]));

#include <string>
#include <string_view>
#include <vector>

namespace bm {

class ResourceArchive;

// Replaces texts[0], texts[1], ... with the entry's lines in turn, taking as
// many lines as `texts` holds (a last line without CR LF counts). A missing
// or empty entry leaves every text as it was and gives false; an entry with
// fewer lines replaces only as many texts as it has lines; surplus lines
// are not read.
bool ReadTextList(const ResourceArchive& archive, std::string_view entry, std::vector<std::string>& texts);

// Every backslash-n pair (the two characters '\\' and 'n') becomes CR LF.
std::string ExpandLineBreaks(std::string_view text);

} // namespace bm
