#pragma once

// Helpers shared by every line-oriented text format of the program (options,
// library catalogue, songs, hint texts, note order, package index).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

// Removes blanks, tabs, CR and LF (and other ASCII white space) at both ends.
std::string_view Trim(std::string_view text);

// Reads a text line by line. Lines end with LF or CR LF; a last line without
// an end is still a line. Example:
//     LineReader lines(fileText);
//     std::string_view line;
//     while (lines.Next(line)) { ... }   // trimmed, empty lines skipped
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    // Next trimmed, non-empty line; false at the end of the text.
    bool Next(std::string_view& line);
    // Next line trimmed, empty lines included; false at the end of the text.
    bool NextRaw(std::string_view& line);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    // Number of lines consumed so far (1-based number of the last line read).
    int64_t LineNumber() const { return m_lineNumber; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int64_t m_lineNumber = 0;
};

// Appends the line and CR LF.
void AppendLine(std::string& out, std::string_view line);

// Lenient decimal conversion as the stored files need it: leading white space
// skipped, an optional sign, then digits up to the first non-digit. A text
// without digits reads 0. Values beyond the range saturate.
int32_t ParseDecimal(std::string_view text);
int64_t ParseDecimal64(std::string_view text);

// Hexadecimal as the catalogue stores it: leading blanks dropped, an optional
// "0x" (either case), then the leading run of hexadecimal digits of either
// case, folded modulo 2^32. An empty run reads 0.
uint32_t ParseHex(std::string_view text);

// "0x" followed by upper-case hexadecimal without leading zeros ("0x0").
std::string FormatHex(uint32_t value);

// Quoted fields: the text between a double quote and the next one. Starting
// at `pos`, finds the next field and moves `pos` past its closing quote. A
// missing opening or closing quote gives an empty text and puts `pos` at the
// end.
std::string QuotedField(std::string_view line, size_t& pos);

// Up to `count` quoted fields of a line, missing ones empty (always `count`
// entries).
std::vector<std::string> QuotedFields(std::string_view line, size_t count);

// The next word of `text` from `pos` (blanks and tabs separate words); moves
// `pos` past it. Empty at the end.
std::string_view NextWord(std::string_view text, size_t& pos);

// True when `text` begins with `prefix` (keys such as "%STYLE ").
bool StartsWith(std::string_view text, std::string_view prefix);

// ASCII lower case (paths are compared ignoring case).
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

} // namespace bm
