// Tonal loops: bass lines, pads, chords, leads and arpeggios. Lines are
// written as a rhythm (see Pattern.h) and a cycle of scale steps from the
// chord's root, so that each figure stays in key on every chord.

#include "Loops.h"
#include "Pattern.h"
#include "Synths.h"

#include <algorithm>
#include <cmath>

namespace bm::content {

namespace {

struct Line {
    std::string rhythm;       // 16 steps
    std::vector<int> steps;   // scale steps from the root, cycled over the hits
    double gate = 0.85;       // share of the time to the next hit that a note is held
};

struct NoteEvent {
    int startFrame;
    double holdSeconds;
    int midi;
    double velocity;
};

std::vector<NoteEvent> Expand(const Line& line, const ChordInfo& chord, int rootMidi)
{
    std::vector<int> hits;
    for (size_t s = 0; s < line.rhythm.size(); ++s) {
        if (StepVelocity(line.rhythm[s]) > 0.0)
            hits.push_back(static_cast<int>(s));
    }
    const int steps = static_cast<int>(line.rhythm.size());
    const double stepFrames = static_cast<double>(kLoopFrames) / steps;
    std::vector<NoteEvent> events;
    for (size_t i = 0; i < hits.size(); ++i) {
        const int next = i + 1 < hits.size() ? hits[i + 1] : steps;
        const double span = (next - hits[i]) * stepFrames / kRate;
        const int step = line.steps[i % line.steps.size()];
        events.push_back({static_cast<int>(hits[i] * stepFrames), span * line.gate,
                          ScaleStep(chord.degree, rootMidi, step),
                          StepVelocity(line.rhythm[static_cast<size_t>(hits[i])])});
    }
    return events;
}

using MonoVoice = std::function<synth::Voice(const NoteEvent&)>;

Audio RenderLine(const Line& line, const ChordInfo& chord, int rootMidi, const MonoVoice& voice)
{
    Audio loop = Audio::Mono(kLoopFrames);
    for (const auto& e : Expand(line, chord, rootMidi))
        MixVoice(loop, voice(e), e.startFrame, e.velocity);
    return loop;
}

void FoldToMono(Audio& a)
{
    if (!a.IsStereo())
        return;
    for (size_t i = 0; i < a.left.size(); ++i)
        a.left[i] = 0.5f * (a.left[i] + a.right[i]);
    a.right.clear();
}

// Chord hits on the steps of a rhythm, each held for `holdSteps`.
template <typename ChordVoice>
Audio RenderChords(const std::string& rhythm, double holdSteps, bool stereo, const ChordVoice& voice)
{
    Audio loop = stereo ? Audio::Stereo(kLoopFrames) : Audio::Mono(kLoopFrames);
    for (size_t s = 0; s < rhythm.size(); ++s) {
        const double velocity = StepVelocity(rhythm[s]);
        if (velocity <= 0.0)
            continue;
        const int start = static_cast<int>(s) * kStepFrames;
        // Never hold beyond the loop: the release must end inside it.
        const double room = (kLoopFrames - start) / static_cast<double>(kRate) - 0.12;
        const double hold = std::max(0.02, std::min(holdSteps * kStepSeconds, room));
        MixAudio(loop, voice(hold, velocity), start, velocity);
    }
    return loop;
}

Audio AsAudio(synth::Voice v)
{
    Audio a;
    a.left = std::move(v);
    return a;
}

// Roots of the bass lines: the sub bass sits in the lowest octave (A1 to
// G#2), the saw bass, which adds a square an octave below, one step up.
int BassRoot(const ChordInfo& chord) { return NoteAtOrAbove(chord.pitchClass, 33); }
int SawBassRoot(const ChordInfo& chord) { return NoteAtOrAbove(chord.pitchClass, 36); }

} // namespace

Variants SubBassLoops(const ChordInfo& chord, uint64_t)
{
    const std::vector<Line> lines{
        {"x...x...x...x...", {0}, 0.92},
        {"..x...x...x...x.", {0}, 0.8},
        {"x.x.x.x.x.x.x.x.", {0, 7}, 0.8},
        {"x..x..x...x..x..", {0}, 0.85},
        {"x...x...x...x...", {0, 4, 7, 4}, 0.9},
        {"x...x...x.x.xxxx", {0, 0, 0, 0, 2, 4, 5, 7}, 0.85},
    };
    Variants out;
    for (const auto& line : lines) {
        out.push_back(RenderLine(line, chord, BassRoot(chord),
                                 [](const NoteEvent& e) { return synth::SubBass(e.midi, e.holdSeconds); }));
    }
    return out;
}

Variants SawBassLoops(const ChordInfo& chord, uint64_t)
{
    struct Setting {
        Line line;
        double cutoff, envDepth, resonance, decay;
    };
    const std::vector<Setting> settings{
        {{"x.x.x.x.x.x.x.x.", {0}, 0.7}, 260.0, 2.5, 0.3, 0.08},
        {{".xxx.xxx.xxx.xxx", {0, 0, 7}, 0.75}, 280.0, 2.6, 0.35, 0.07},
        {{"x..x..x...x..x..", {0, 0, 7, 0, 4}, 0.8}, 240.0, 3.0, 0.35, 0.1},
        {{"xxoxxoxxxoxxoxxx", {0, 7, 0, 2, 0, 4, 7, 6}, 0.6}, 220.0, 3.4, 0.8, 0.12},
        {{"xxxxxxxxxxxxxxxx", {0, 7}, 0.65}, 300.0, 2.2, 0.4, 0.05},
        {{"x.x.x.x.x.xxxxxx", {0, 0, 0, 0, 0, 2, 4, 5, 7, 9, 11}, 0.7}, 300.0, 2.8, 0.45, 0.09},
    };
    Variants out;
    for (const auto& s : settings) {
        out.push_back(RenderLine(s.line, chord, SawBassRoot(chord), [&](const NoteEvent& e) {
            return synth::SawBass(e.midi, e.holdSeconds, s.cutoff, s.envDepth * (0.6 + 0.4 * e.velocity), s.resonance,
                                  s.decay);
        }));
    }
    return out;
}

Variants PluckBassLoops(const ChordInfo& chord, uint64_t)
{
    const std::vector<Line> lines{
        {"..x...x...x...x.", {0}, 0.6},
        {"..x...x...x...x.", {0, 7}, 0.6},
        {"x..x..x..x..x.x.", {0}, 0.6},
        {"..xx..xx..xx..xx", {0, 7}, 0.7},
        {"x..x..x...x.x.x.", {0, 0, 4, 2, 0, -1}, 0.7},
        {"x.......x..x....", {0, 0, 4}, 0.6},
    };
    const int root = NoteAtOrAbove(chord.pitchClass, 40);
    Variants out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double brightness = 0.45 + 0.1 * static_cast<double>(i % 3);
        out.push_back(RenderLine(lines[i], chord, root, [&](const NoteEvent& e) {
            return synth::PluckBass(e.midi, e.holdSeconds, brightness * (0.7 + 0.3 * e.velocity));
        }));
    }
    return out;
}

namespace {

std::vector<int> PadNotes(const ChordInfo& chord, int low, bool seventh, bool topOctave)
{
    std::vector<int> notes{NoteAtOrAbove(chord.pitchClass, low - 7)};
    for (int n : CloseVoicing(chord, low, seventh))
        notes.push_back(n);
    if (topOctave)
        notes.push_back(notes[1] + 12);
    return notes;
}

Variants PadLoops(const ChordInfo& chord, uint64_t seed, bool glass)
{
    Rng rng(seed);
    const int low = glass ? 62 : 55;
    const double fullHold = kLoopFrames / static_cast<double>(kRate);
    struct Setting {
        std::string rhythm;
        double holdSteps;
        bool seventh, top;
        synth::PadSettings pad;
    };
    synth::PadSettings held;
    held.glass = glass;
    held.attack = 0.08;
    held.release = 0.3;
    held.cutoffStart = glass ? 2500.0 : 900.0;
    held.cutoffEnd = glass ? 3500.0 : 1700.0;
    synth::PadSettings pulse = held;
    pulse.attack = 0.008;
    pulse.release = 0.09;
    pulse.cutoffStart = glass ? 3500.0 : 1800.0;
    pulse.cutoffEnd = pulse.cutoffStart;
    synth::PadSettings swell = held;
    swell.attack = 1.2;
    swell.cutoffStart = 400.0;
    swell.cutoffEnd = glass ? 5000.0 : 3200.0;
    synth::PadSettings bright = held;
    bright.cutoffStart = glass ? 4000.0 : 2200.0;
    bright.cutoffEnd = glass ? 6000.0 : 4200.0;
    synth::PadSettings offbeat = pulse;
    offbeat.release = 0.2;
    const std::vector<Setting> settings{
        {"x...............", 16.0, false, false, held},
        {"x...............", 16.0, true, false, held},
        {"x.x.x.x.x.x.x.x.", 1.1, false, false, pulse},
        {"x...............", 16.0, false, false, swell},
        {"x...............", 16.0, true, true, bright},
        {"..x...x...x...x.", 1.5, true, false, offbeat},
    };
    Variants out;
    for (const auto& s : settings) {
        const auto notes = PadNotes(chord, low, s.seventh, s.top);
        Audio loop = RenderChords(s.rhythm, s.holdSteps, true, [&](double hold, double) {
            return synth::Pad(rng, notes, std::min(hold, fullHold - s.pad.release - 0.02), s.pad);
        });
        AddReverb(loop, glass ? 0.88 : 0.8, 0.5, glass ? 0.45 : 0.35, Tail::Wrap);
        out.push_back(std::move(loop));
    }
    return out;
}

} // namespace

Variants WarmPadLoops(const ChordInfo& chord, uint64_t seed) { return PadLoops(chord, seed, false); }

Variants GlassPadLoops(const ChordInfo& chord, uint64_t seed) { return PadLoops(chord, seed, true); }

Variants ChordStabLoops(const ChordInfo& chord, uint64_t seed)
{
    Rng rng(seed);
    struct Setting {
        std::string rhythm;
        double holdSteps, brightness;
        bool seventh;
    };
    const std::vector<Setting> settings{
        {"..x...x...x...x.", 0.8, 0.6, false}, {"x..x..x...x..x..", 0.9, 0.6, false},
        {"..x..x....x..x.x", 0.8, 0.7, true},  {"x...x...x...x...", 1.2, 0.5, false},
        {"xoxoxxoxxoxoxxox", 0.6, 0.8, false}, {"x.......x..x....", 2.5, 0.45, true},
    };
    Variants out;
    for (const auto& s : settings) {
        const auto notes = CloseVoicing(chord, 57, s.seventh);
        Audio loop = RenderChords(s.rhythm, s.holdSteps, false, [&](double hold, double velocity) {
            return AsAudio(synth::Stab(rng, notes, hold, s.brightness * (0.6 + 0.4 * velocity)));
        });
        AddReverb(loop, 0.5, 0.6, 0.18, Tail::Wrap);
        FoldToMono(loop);
        out.push_back(std::move(loop));
    }
    return out;
}

Variants EPianoLoops(const ChordInfo& chord, uint64_t)
{
    struct Setting {
        std::string rhythm;
        double holdSteps;
    };
    const std::vector<Setting> settings{
        {"x.......x.......", 7.0}, {"x.....x.....x...", 5.0}, {"..x...x...x...x.", 1.5},
        {"x..x..x...x..x..", 2.5}, {"x.......x.x...x.", 1.8}, {"x...............", 15.0},
    };
    Variants out;
    const auto notes = CloseVoicing(chord, 55, true);
    for (size_t i = 0; i < settings.size(); ++i) {
        const auto& s = settings[i];
        Audio loop = RenderChords(s.rhythm, s.holdSteps, true, [&](double hold, double velocity) {
            if (i + 1 < settings.size())
                return synth::EPiano(notes, hold, velocity);
            // The last variant rolls the chord upwards, note by note.
            Audio rolled = Audio::Stereo(static_cast<int>((hold + 0.3) * kRate));
            for (size_t n = 0; n < notes.size(); ++n) {
                const int delay = static_cast<int>(n) * 1800;
                MixAudio(rolled, synth::EPiano({notes[n]}, hold - delay / 44100.0, velocity), delay, 0.6);
            }
            return rolled;
        });
        AddReverb(loop, 0.6, 0.5, 0.2, Tail::Wrap);
        out.push_back(std::move(loop));
    }
    return out;
}

namespace {

Variants LeadLoops(const ChordInfo& chord, uint64_t seed, const std::vector<Line>& lines, bool saw)
{
    Rng rng(seed);
    const int root = NoteAtOrAbove(chord.pitchClass, 60);
    Variants out;
    for (const auto& line : lines) {
        Audio loop = RenderLine(line, chord, root, [&](const NoteEvent& e) {
            return saw ? synth::SawLead(rng, e.midi, e.holdSeconds, 0.5 + 0.3 * e.velocity)
                       : synth::SquareLead(e.midi, e.holdSeconds, 0.5 + 0.3 * e.velocity);
        });
        AddDelay(loop, 3 * kStepFrames, 0.35, 0.22, false, Tail::Wrap, 3500.0);
        AddReverb(loop, 0.7, 0.5, 0.18, Tail::Wrap);
        FoldToMono(loop);
        out.push_back(std::move(loop));
    }
    return out;
}

} // namespace

Variants SawLeadLoops(const ChordInfo& chord, uint64_t seed)
{
    return LeadLoops(chord, seed,
                     {
                         {"x..x..x.x.x.x...", {4, 2, 0, 2, 4, 7}, 0.85},
                         {"x..x..x.x.x.x...", {7, 4, 2, 4, 2, 0}, 0.85},
                         {"x..x..x.x.x.x...", {11, 9, 7, 9, 11, 14}, 0.85},
                         {"xxx.xxx.xx.xxx..", {4, 4, 2, 2, 2, 0, 0, 2, 2, 4}, 0.6},
                         {"x.......x.......", {4, 2}, 0.95},
                         {"x.x.x.x.xxxxxxxx", {0, 2, 4, 2, 0, 1, 2, 3, 4, 5, 6, 7}, 0.8},
                     },
                     true);
}

Variants SquareLeadLoops(const ChordInfo& chord, uint64_t seed)
{
    return LeadLoops(chord, seed,
                     {
                         {"x.x...x.x...x...", {0, 2, 4, 2, 0}, 0.7},
                         {"x.x...x.x...x...", {4, 2, 4, 7, 4}, 0.7},
                         {"..x.x...x.x...x.", {2, 4, 2, 0, 2}, 0.7},
                         {"x.x.x.x.x.x.x.x.", {0, 2, 4, 7, 4, 2, 4, 2}, 0.6},
                         {"x.....x.....x...", {4, 7, 2}, 0.9},
                         {"x.x...x.x.xxxxxx", {0, 2, 4, 2, 4, 5, 4, 2, 1, 0, -1}, 0.7},
                     },
                     false);
}

Variants PluckArpLoops(const ChordInfo& chord, uint64_t seed)
{
    Rng rng(seed);
    const std::vector<Line> lines{
        {"xoxoxoxoxoxoxoxo", {0, 2, 4, 7}, 0.7},
        {"xoxoxoxoxoxoxoxo", {7, 4, 2, 0}, 0.7},
        {"xoxoxoxoxoxoxoxo", {0, 2, 4, 7, 9, 7, 4, 2}, 0.7},
        {"x.x.x.x.x.x.x.x.", {0, 7, 2, 9, 4, 11, 2, 9}, 0.6},
        {"xoxoxoxoxoxoxoxo", {0, 4, 2, 7, 4, 9, 7, 11}, 0.7},
        {"xoxoxoxoxoxoxoxo", {7, 9, 11, 13, 11, 9}, 0.7},
    };
    const int root = NoteAtOrAbove(chord.pitchClass, 60);
    Variants out;
    for (const auto& line : lines) {
        Audio loop = RenderLine(line, chord, root, [&](const NoteEvent& e) {
            return synth::Pluck(rng, e.midi, e.holdSeconds, 0.55 + 0.3 * e.velocity, 0.22);
        });
        AddDelay(loop, 3 * kStepFrames, 0.4, 0.3, true, Tail::Wrap, 3000.0);
        AddReverb(loop, 0.6, 0.5, 0.15, Tail::Wrap);
        out.push_back(std::move(loop));
    }
    return out;
}

Variants BellArpLoops(const ChordInfo& chord, uint64_t)
{
    const std::vector<Line> lines{
        {"x.x.x.x.x.x.x.x.", {0, 2, 4, 7}, 0.9},
        {"x.x.x.x.x.x.x.x.", {4, 2, 0, 2}, 0.9},
        {"x..x..x.x..x..x.", {0, 4, 7, 4, 2}, 0.9},
        {"x...x...x...x...", {7, 4, 2, 0}, 0.9},
        {"xoxoxoxoxoxoxoxo", {0, 2, 4, 7}, 0.9},
        {"x.......x...x...", {7, 4, 2}, 0.9},
    };
    const int root = NoteAtOrAbove(chord.pitchClass, 72);
    Variants out;
    for (const auto& line : lines) {
        Audio loop = RenderLine(line, chord, root, [&](const NoteEvent& e) {
            return synth::Bell(e.midi, std::min(0.6, e.holdSeconds * 1.5 + 0.2), 0.4 + 0.4 * e.velocity);
        });
        AddReverb(loop, 0.8, 0.4, 0.35, Tail::Wrap);
        FoldToMono(loop);
        out.push_back(std::move(loop));
    }
    return out;
}

} // namespace bm::content
