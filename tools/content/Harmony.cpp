#include "Harmony.h"

#include <algorithm>

namespace bm::content {

namespace {

constexpr std::array<int, 7> kMajorScale{0, 2, 4, 5, 7, 9, 11};

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

const std::vector<ChordInfo>& FactoryChords()
{
    static const std::vector<ChordInfo> chords = [] {
        std::vector<ChordInfo> list;
        for (int degree = 0; degree < 6; ++degree) {
            const int pc = kMajorScale[static_cast<size_t>(degree)];
            list.push_back({degree, pc, kNoteNames[static_cast<size_t>(pc)]});
        }
        return list;
    }();
    return chords;
}

const ChordInfo* FindChord(const std::string& name)
{
    for (const auto& chord : FactoryChords()) {
        if (chord.name == name)
            return &chord;
    }
    return nullptr;
}

int NoteAtOrAbove(int pitchClass, int low)
{
    int note = low - ((low % 12) + 12) % 12 + pitchClass;
    if (note < low)
        note += 12;
    return note;
}

int ScaleStep(int degree, int rootMidi, int steps)
{
    const int target = degree + steps;
    const int octaves = FloorDiv(target, 7);
    const int index = target - octaves * 7;
    return rootMidi + kMajorScale[static_cast<size_t>(index)] - kMajorScale[static_cast<size_t>(degree)] + 12 * octaves;
}

std::vector<int> CloseVoicing(const ChordInfo& chord, int low, bool seventh)
{
    std::vector<int> notes;
    const int root = NoteAtOrAbove(chord.pitchClass, low);
    for (int step : {0, 2, 4, 6}) {
        if (step == 6 && !seventh)
            break;
        const int pc = ((ScaleStep(chord.degree, root, step) % 12) + 12) % 12;
        notes.push_back(NoteAtOrAbove(pc, low));
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

} // namespace bm::content
