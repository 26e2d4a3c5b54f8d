#include "ui/skin/StringTable.h"

#include "core/Text.h"
#include "ui/skin/ArchiveText.h"

namespace bm {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The hexadecimal number after the next "0x" from `pos`, folded modulo 2^32;
// 0 when there is no "0x" or no digit after it. `pos` moves past the digits.
uint32_t NextHex(std::string_view line, size_t& pos)
{
    const size_t prefix = line.find("0x", pos);
    if (prefix == std::string_view::npos)
        return 0;
    pos = prefix + 2;
    uint32_t value = 0;
    while (pos < line.size()) {
        const int digit = HexDigit(line[pos]);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
        ++pos;
    }
    return value;
}

} // namespace

void ParseHintLine(std::string_view line, std::string_view key, HintRecord& record)
{
    size_t pos = std::min(key.size(), line.size());
    record.textColour = NextHex(line, pos);
    record.clearColour = NextHex(line, pos);
    record.thirdColour = NextHex(line, pos);
    record.text.clear();
    record.clearStyle = 0;
    const size_t open = line.find('"', pos);
    if (open == std::string_view::npos)
        return;
    const size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos)
        return;
    record.text.assign(line.substr(open + 1, close - open - 1));
    record.clearStyle = ParseDecimal(line.substr(close + 1));
}

bool FindHint(std::string_view text, std::string_view key, HintRecord& record)
{
    if (key.empty())
        return false;
    std::string line;
    while (NextLine(text, line)) {
        const std::string_view trimmed = Trim(line);
        if (!StartsWith(trimmed, key))
            continue;
        ParseHintLine(trimmed, key, record);
        record.found = true;
        return true;
    }
    return false;
}

std::string FillHintText(std::string_view text, std::string_view number, int state)
{
    const size_t tilde = text.find('~');
    if (tilde != std::string_view::npos)
        text = state == 0 ? text.substr(0, tilde) : text.substr(tilde + 1);
    std::string out;
    out.reserve(text.size() + number.size());
    for (char c : text) {
        if (c == '#')
            out += number;
        else
            out += c;
    }
    return out;
}

HintRecord StringTable::Look(std::string_view key) const
{
    HintRecord record;
    record.key.assign(key);
    std::string text;
    if (ReadTextEntry(*m_archive, "hints.dat", text))
        FindHint(text, key, record);
    return record;
}

HintRecord& StringTable::LookUpHint(std::string_view key, const platform::Rect& rect, int32_t shown)
{
    HintRecord record = Look(key);
    record.rect = rect;
    record.shown = shown;
    m_records.push_back(std::move(record));
    return m_records.back();
}

void StringTable::LookUpText(std::string_view key, HintRecord& target) const
{
    const platform::Rect rect = target.rect;
    const int32_t shown = target.shown;
    target = Look(key);
    // The temporary record carried the target's own rectangle and flag.
    target.rect = rect;
    target.shown = shown;
}

const HintRecord* StringTable::RecordAt(platform::Point point) const
{
    for (const HintRecord& record : m_records) {
        if (record.shown != 0 && record.rect.Contains(point))
            return &record;
    }
    return nullptr;
}

} // namespace bm
