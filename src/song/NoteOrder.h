#pragma once

// The note order list: chord names in rising semitone steps (the twelve of
// an octave, possibly repeated), used to transpose chord names. The list is
// data ("note_order.dat" in the resource archive); one name per non-empty
// line.

#include <string>
#include <string_view>
#include <vector>

namespace bm {

class NoteOrder {
public:
    NoteOrder() = default;
    explicit NoteOrder(std::vector<std::string> names) : m_names(std::move(names)) {}

    // Every non-empty line, trimmed at both ends, is one name.
    static NoteOrder FromText(std::string_view text);

    // The name `steps` semitones away (negative: down), through the first
    // exact match in the list and wrapping by octaves. A name that is not in
    // the list, or a step that leaves a short list, gives the name unchanged.
    std::string Transpose(const std::string& name, int steps) const;

    const std::vector<std::string>& Names() const { return m_names; }

private:
    std::vector<std::string> m_names;
};

} // namespace bm
