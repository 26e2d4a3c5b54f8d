#pragma once

// The harmony of the factory library. Chord folders are named as the note
// order list names notes. Every tonal part holds the six diatonic chords of
// C major (C, Dm, Em, F, G, Am), filed under their roots, so that any
// progression in C major or A minor finds a matching loop in every part.
// Melodies and arpeggios are written in scale steps from the chord's root,
// which keeps every figure inside the key whichever chord it is played on.

#include <array>
#include <string>
#include <vector>

namespace bm::content {

inline constexpr std::array<const char*, 12> kNoteNames{"C", "C#", "D", "D#", "E", "F",
                                                         "F#", "G", "G#", "A", "A#", "B"};

struct ChordInfo {
    int degree;     // 0 = C .. 5 = A within the C major scale
    int pitchClass; // 0 = C .. 11 = B
    std::string name;
};

// The chords every tonal part holds, in folder order.
const std::vector<ChordInfo>& FactoryChords();
// The chord of that name, or nullptr.
const ChordInfo* FindChord(const std::string& name);

// The lowest MIDI note at or above `low` with the given pitch class.
int NoteAtOrAbove(int pitchClass, int low);

// The note `steps` scale steps above the root (negative: below), where the
// root of scale degree `degree` sounds as `rootMidi`.
int ScaleStep(int degree, int rootMidi, int steps);

// Chord tones in close position: the root, third and fifth (and seventh
// when asked), each placed at or above `low`, sorted upwards.
std::vector<int> CloseVoicing(const ChordInfo& chord, int low, bool seventh);

} // namespace bm::content
