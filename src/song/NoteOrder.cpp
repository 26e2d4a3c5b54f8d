#include "song/NoteOrder.h"

#include "core/Text.h"

#include <algorithm>
#include <cstdint>

namespace bm {

namespace {
constexpr int64_t kOctave = 12;
}

NoteOrder NoteOrder::FromText(std::string_view text)
{
    std::vector<std::string> names;
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line))
        names.emplace_back(line);
    return NoteOrder(std::move(names));
}

std::string NoteOrder::Transpose(const std::string& name, int steps) const
{
    const auto found = std::find(m_names.begin(), m_names.end(), name);
    if (found == m_names.end())
        return name;
    int64_t i = (found - m_names.begin()) + int64_t(steps);
    if (i < 0)
        i = (kOctave - 1) - ((-i - 1) % kOctave);
    const auto size = static_cast<int64_t>(m_names.size());
    if (i >= size)
        i -= (i - size) / kOctave * kOctave + kOctave; // the while loop of subtracting octaves, at once
    if (i < 0)
        return name;
    return m_names[size_t(i)];
}

} // namespace bm
