#include "core/Text.h"

#include <limits>

namespace bm {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

} // namespace

std::string_view Trim(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool LineReader::NextRaw(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    line = Trim(m_text.substr(m_pos, end - m_pos));
    m_pos = end + 1;
    ++m_lineNumber;
    return true;
}

bool LineReader::Next(std::string_view& line)
{
    while (NextRaw(line)) {
        if (!line.empty())
            return true;
    }
    return false;
}

void AppendLine(std::string& out, std::string_view line)
{
    out.append(line);
    out.append("\r\n");
}

int64_t ParseDecimal64(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that the minimum value fits.
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool saturated = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        int digit = text[i] - '0';
        if (saturated)
            continue;
        if (value < (kMin + digit) / 10) {
            saturated = true;
            value = kMin;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == kMin)
        return std::numeric_limits<int64_t>::max();
    return -value;
}

int32_t ParseDecimal(std::string_view text)
{
    int64_t value = ParseDecimal64(text);
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

uint32_t ParseHex(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

std::string FormatHex(uint32_t value)
{
    static const char kDigits[] = "0123456789ABCDEF";
    char buffer[8];
    int count = 0;
    do {
        buffer[count++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string out = "0x";
    while (count > 0)
        out.push_back(buffer[--count]);
    return out;
}

std::string QuotedField(std::string_view line, size_t& pos)
{
    size_t open = pos < line.size() ? line.find('"', pos) : std::string_view::npos;
    if (open == std::string_view::npos) {
        pos = line.size();
        return {};
    }
    size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) {
        pos = line.size();
        return {};
    }
    pos = close + 1;
    return std::string(line.substr(open + 1, close - open - 1));
}

std::string_view NextWord(std::string_view text, size_t& pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    const size_t begin = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t')
        ++pos;
    return text.substr(begin, pos - begin);
}

std::vector<std::string> QuotedFields(std::string_view line, size_t count)
{
    std::vector<std::string> fields;
    fields.reserve(count);
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i)
        fields.push_back(QuotedField(line, pos));
    return fields;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace bm
