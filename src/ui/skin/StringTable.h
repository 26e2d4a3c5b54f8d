#pragma once

// Texts looked up by key in the archive entry "hints.dat": the main window's
// hints, message-box texts, file-type descriptions and readout labels.
//
// "hints.dat" is a text of CR LF lines (a last line without CR LF is not
// read). A line that, once trimmed, begins with a key (the percent sign, the
// upper-case name and one blank, compared exactly) defines that key:
//     %TRANS_PLAY  0xA0A0A0 0x606060 0x0 "Play the song" 3
// three hexadecimal colours each after "0x", the text between the next two
// double quotes, and the clearing style after the closing quote. The first
// line of a key wins; other lines are free comments.
//
// Within texts '#' marks where a number goes and '~' separates the wordings
// for the two states of a two-state control; FillHintText does both.

#include "platform/Geometry.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace bm {

class ResourceArchive;

struct HintRecord {
    static constexpr std::string_view kDefaultText = "I don't know.";
    static constexpr uint32_t kDefaultTextColour = 0xA0A0A0;
    static constexpr uint32_t kDefaultClearColour = 0x606060;

    // Hot rectangle in main-window client pixels (the control's rectangle;
    // empty for texts that are not hints).
    platform::Rect rect;
    std::string text{kDefaultText};
    uint32_t textColour = kDefaultTextColour;   // 0x00BBGGRR, as written in the file
    uint32_t clearColour = kDefaultClearColour; // 0x00BBGGRR
    uint32_t thirdColour = 0;                   // kept, not drawn
    int32_t clearStyle = 0;                     // 0 plain restore, 1-7 the hint display's effects
    int32_t shown = 1;                          // 0: exists but is not offered
    std::string key;                            // the key it was looked up by
    bool found = false;                         // a line of "hints.dat" gave it
};

// Fills `record` from the first line of `text` (a whole "hints.dat") that
// begins with `key`; true when there was one. Without one the record keeps
// every field. Malformed lines yield whatever the field rules give.
bool FindHint(std::string_view text, std::string_view key, HintRecord& record);
// The fields after the key of one trimmed line that begins with the key.
void ParseHintLine(std::string_view line, std::string_view key, HintRecord& record);

// The text with '#' replaced by `number` and, when it holds '~', only the
// wording for `state` (0 the part before the first '~', 1 the part after it).
std::string FillHintText(std::string_view text, std::string_view number, int state);

// The main window's hint records: control hints in the order they were
// created (which is the order the hint display searches them in), each
// looked up afresh in "hints.dat".
class StringTable {
public:
    explicit StringTable(const ResourceArchive& archive) : m_archive(&archive) {}

    // A new record for `key`, filled from "hints.dat" (defaults when the
    // entry or the key is missing), appended to the list. The reference
    // stays valid while the table lives.
    HintRecord& LookUpHint(std::string_view key, const platform::Rect& rect, int32_t shown);
    // The same lookup copied into `target` (every field), leaving the list
    // as it was.
    void LookUpText(std::string_view key, HintRecord& target) const;

    // The first shown record whose rectangle holds the point, or null.
    const HintRecord* RecordAt(platform::Point point) const;

    const std::deque<HintRecord>& Records() const { return m_records; }
    std::deque<HintRecord>& Records() { return m_records; }

private:
    HintRecord Look(std::string_view key) const;

    const ResourceArchive* m_archive;
    std::deque<HintRecord> m_records; // a deque keeps references stable
};

} // namespace bm
