// Material that plays at its own speed: one-shots, impacts, risers,
// downlifters and sung phrases. Each buffer is as long as its sound, in
// whole beats at 130 BPM so that it lines up with the song's grid.

#include "Drums.h"
#include "Loops.h"
#include "Noise.h"
#include "Synths.h"

#include <algorithm>
#include <cmath>

namespace bm::content {

namespace {

constexpr int kEdgeFade = 1300;

Audio Hit(const std::vector<float>& voice, int frames)
{
    Audio a = Audio::Mono(frames);
    MixVoice(a, voice, 0, 1.0);
    return a;
}

Audio WithRoom(Audio a, double size, double wet)
{
    AddReverb(a, size, 0.5, wet, Tail::Cut);
    FadeOutEnd(a, 2000);
    return a;
}

void Reverse(Audio& a)
{
    std::reverse(a.left.begin(), a.left.end());
    std::reverse(a.right.begin(), a.right.end());
}

void FoldToMono(Audio& a)
{
    if (!a.IsStereo())
        return;
    for (size_t i = 0; i < a.left.size(); ++i)
        a.left[i] = 0.5f * (a.left[i] + a.right[i]);
    a.right.clear();
}

} // namespace

Variants DrumHits(uint64_t seed)
{
    Rng rng(seed);
    Variants out;
    out.push_back(Hit(drums::Kick(rng, 46.0, 170.0, 0.32), kBeatFrames));
    out.push_back(Hit(drums::Snare(rng, 185.0, 1.0, 0.16), kBeatFrames));
    out.push_back(Hit(drums::Clap(rng, 0.14), kBeatFrames));
    out.push_back(Hit(drums::Tom(rng, 120.0), kBeatFrames));
    out.push_back(Hit(drums::OpenHat(rng, 0.25), kBeatFrames));
    out.push_back(Hit(drums::Crash(rng, 1.8), 4 * kBeatFrames));
    return out;
}

Variants Impacts(uint64_t seed)
{
    Rng rng(seed);
    Variants out;
    {
        // Boom: a falling sine with a burst of noise.
        Audio a = Audio::Mono(4 * kBeatFrames);
        OnePole tone;
        tone.Set(1800.0);
        double phase = 0.0;
        for (int i = 0; i < a.Frames(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            phase += (32.0 + 70.0 * std::exp(-t / 0.12)) / kRate;
            const double body = std::sin(kTwoPi * phase) * Perc(t, 0.002, 0.7);
            const double burst = tone.Low(rng.Bipolar()) * Perc(t, 0.001, 0.12) * 0.8;
            a.left[static_cast<size_t>(i)] = static_cast<float>(std::tanh(1.5 * (body + burst)));
        }
        out.push_back(WithRoom(std::move(a), 0.85, 0.35));
    }
    out.push_back(WithRoom(Hit(drums::Kick(rng, 40.0, 120.0, 0.45, 2.5), 2 * kBeatFrames), 0.7, 0.3));
    {
        // Slam: kick, clap and noise together in a big room.
        Audio a = Audio::Mono(2 * kBeatFrames);
        MixVoice(a, drums::Kick(rng, 45.0, 140.0, 0.3), 0, 0.9);
        MixVoice(a, drums::Clap(rng, 0.2), 0, 0.8);
        MixVoice(a, drums::Crash(rng, 0.6), 0, 0.4);
        out.push_back(WithRoom(std::move(a), 0.9, 0.5));
    }
    {
        // Reverse crash: swells into the beat that follows it.
        Audio a = Hit(drums::Crash(rng, 2 * kBeatSeconds), 2 * kBeatFrames);
        AddReverb(a, 0.8, 0.5, 0.3, Tail::Cut);
        Reverse(a);
        FadeOutEnd(a, 150);
        out.push_back(std::move(a));
    }
    {
        // Zap: a fast falling sine.
        Audio a = Audio::Mono(kBeatFrames);
        double phase = 0.0;
        for (int i = 0; i < a.Frames(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            phase += (80.0 + 3000.0 * std::exp(-t / 0.05)) / kRate;
            a.left[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * phase) * Perc(t, 0.001, 0.12));
        }
        out.push_back(WithRoom(std::move(a), 0.5, 0.25));
    }
    {
        // Glass hit: inharmonic bells over a click of noise.
        Audio a = Audio::Mono(2 * kBeatFrames);
        for (double midi : {79.0, 85.3, 90.7})
            MixVoice(a, synth::Bell(midi, 0.5, 0.9), 0, 0.35);
        MixVoice(a, drums::Snap(rng), 0, 0.4);
        out.push_back(WithRoom(std::move(a), 0.85, 0.45));
    }
    return out;
}

Variants ChordStabHits(const ChordInfo& chord, uint64_t seed)
{
    Rng rng(seed);
    const auto notes = CloseVoicing(chord, 57, false);
    std::vector<int> wide = notes;
    for (int n : notes)
        wide.push_back(n + 12);
    const int frames = 2 * kBeatFrames;
    Variants out;
    auto mono = [&](const std::vector<float>& v, double room) { return WithRoom(Hit(v, frames), room, 0.3); };
    out.push_back(mono(synth::Stab(rng, notes, 0.25, 0.8), 0.6));
    out.push_back(mono(synth::Organ(notes, 0.3, 1.0), 0.6));
    {
        Audio a = Audio::Stereo(frames);
        MixAudio(a, synth::EPiano(notes, 0.4, 1.0), 0, 1.0);
        out.push_back(WithRoom(std::move(a), 0.6, 0.25));
    }
    {
        Audio a = Audio::Mono(frames);
        for (int n : notes)
            MixVoice(a, synth::Pluck(rng, n, 0.3, 0.8, 0.3), 0, 0.6);
        out.push_back(WithRoom(std::move(a), 0.6, 0.3));
    }
    out.push_back(mono(synth::Stab(rng, notes, 0.5, 0.35), 0.6));
    out.push_back(mono(synth::Stab(rng, wide, 0.2, 1.0), 0.9));
    return out;
}

Variants NoiseRisers(uint64_t seed)
{
    Rng rng(seed);
    struct Setting {
        int beats;
        NoiseFilter filter;
        double from, to, resonance;
        bool tremolo;
    };
    const std::vector<Setting> settings{
        {2, NoiseFilter::HighPass, 400.0, 9000.0, 0.3, false}, {4, NoiseFilter::HighPass, 250.0, 9000.0, 0.3, false},
        {8, NoiseFilter::BandPass, 200.0, 9000.0, 0.5, false}, {4, NoiseFilter::LowPass, 150.0, 5000.0, 0.4, false},
        {4, NoiseFilter::BandPass, 300.0, 8000.0, 0.75, false}, {8, NoiseFilter::BandPass, 300.0, 8000.0, 0.4, true},
    };
    Variants out;
    for (const auto& s : settings) {
        const int frames = s.beats * kBeatFrames;
        const double cycles = s.beats * 2.0;
        Audio a = ShapedNoise(rng, frames, true, s.filter, s.resonance,
                              [&](double u) { return ExpLerp(s.from, s.to, u); },
                              [&](double u) {
                                  const double level = u * u;
                                  if (!s.tremolo)
                                      return level;
                                  return level * (0.5 + 0.5 * std::cos(kTwoPi * cycles * u * u));
                              });
        AddReverb(a, 0.7, 0.5, 0.2, Tail::Cut);
        FadeOutEnd(a, 300);
        out.push_back(std::move(a));
    }
    return out;
}

Variants TonalRisers(uint64_t seed)
{
    Rng rng(seed);
    Variants out;
    // Saws climbing `octaves` over `beats`, stereo detuned.
    auto sawRise = [&](int beats, double octaves, int voices, double noise) {
        const int frames = beats * kBeatFrames;
        Audio a = ShapedNoise(rng, frames, true, NoiseFilter::HighPass, 0.2,
                              [](double u) { return ExpLerp(600.0, 7000.0, u); },
                              [&](double u) { return noise * u * u; });
        std::vector<Oscillator> osc(static_cast<size_t>(voices * 2));
        for (auto& o : osc)
            o = Oscillator(rng.Uniform());
        Svf fl, fr;
        for (int i = 0; i < frames; ++i) {
            const double u = static_cast<double>(i) / frames;
            const double hz = MidiToHz(48.0 + 12.0 * octaves * u);
            if (i % 16 == 0) {
                fl.Set(ExpLerp(500.0, 8000.0, u), 0.25);
                fr.Set(ExpLerp(520.0, 8200.0, u), 0.25);
            }
            double l = 0.0, r = 0.0;
            for (int v = 0; v < voices; ++v) {
                const double detune = 1.0 + 0.006 * (v - (voices - 1) / 2.0);
                l += osc[static_cast<size_t>(2 * v)].Next(hz * detune, Wave::Saw);
                r += osc[static_cast<size_t>(2 * v + 1)].Next(hz / detune, Wave::Saw);
            }
            const double level = 0.5 * u / std::sqrt(static_cast<double>(voices));
            a.left[static_cast<size_t>(i)] += static_cast<float>(fl.Low(l) * level);
            a.right[static_cast<size_t>(i)] += static_cast<float>(fr.Low(r) * level);
        }
        FadeOutEnd(a, 300);
        AddReverb(a, 0.7, 0.5, 0.2, Tail::Cut);
        return a;
    };
    out.push_back(sawRise(4, 1.0, 1, 0.2));
    out.push_back(sawRise(8, 2.0, 2, 0.25));
    {
        // Siren: a sine that climbs two octaves.
        Audio a = Audio::Mono(4 * kBeatFrames);
        double phase = 0.0;
        for (int i = 0; i < a.Frames(); ++i) {
            const double u = static_cast<double>(i) / a.Frames();
            phase += MidiToHz(60.0 + 24.0 * u) / kRate;
            a.left[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * phase) * std::min(1.0, u * 3.0) * 0.5);
        }
        FadeOutEnd(a, 300);
        AddReverb(a, 0.8, 0.5, 0.3, Tail::Cut);
        FadeOutEnd(a, 300);
        out.push_back(std::move(a));
    }
    {
        // Endless climb: octave-spaced sines under a bell-shaped weighting.
        const int frames = 8 * kBeatFrames;
        Audio a = Audio::Mono(frames);
        std::array<double, 6> phases{};
        for (int i = 0; i < frames; ++i) {
            const double u = static_cast<double>(i) / frames;
            double s = 0.0;
            for (size_t k = 0; k < phases.size(); ++k) {
                const double position = std::fmod(static_cast<double>(k) + 2.0 * u, 6.0); // octaves above 55 Hz
                const double weight = std::exp(-std::pow((position - 3.0) / 1.2, 2.0));
                phases[k] += 55.0 * std::pow(2.0, position) / kRate;
                s += std::sin(kTwoPi * phases[k]) * weight;
            }
            a.left[static_cast<size_t>(i)] = static_cast<float>(s * 0.3 * std::min(1.0, u * 4.0));
        }
        FadeOutEnd(a, 300);
        AddReverb(a, 0.8, 0.5, 0.25, Tail::Cut);
        FadeOutEnd(a, 300);
        out.push_back(std::move(a));
    }
    out.push_back(sawRise(4, 1.0, 4, 0.3));
    out.push_back(sawRise(2, 1.0, 2, 0.5));
    return out;
}

Variants Downlifters(uint64_t seed)
{
    Rng rng(seed);
    Variants out;
    auto noiseDown = [&](int beats, NoiseFilter filter, double resonance, bool tremolo) {
        const int frames = beats * kBeatFrames;
        Audio a = ShapedNoise(rng, frames, true, filter, resonance, [](double u) { return ExpLerp(9000.0, 150.0, u); },
                              [&](double u) {
                                  const double level = std::pow(1.0 - u, 2.0);
                                  return tremolo ? level * (0.5 + 0.5 * std::cos(kTwoPi * 8.0 * u)) : level;
                              });
        FadeInStart(a, kEdgeFade);
        AddReverb(a, 0.7, 0.5, 0.25, Tail::Cut);
        FadeOutEnd(a, 500);
        return a;
    };
    out.push_back(noiseDown(2, NoiseFilter::LowPass, 0.3, false));
    out.push_back(noiseDown(4, NoiseFilter::BandPass, 0.5, false));
    {
        // A saw that falls two octaves.
        const int frames = 4 * kBeatFrames;
        Audio a = Audio::Mono(frames);
        Oscillator osc;
        Svf filter;
        for (int i = 0; i < frames; ++i) {
            const double u = static_cast<double>(i) / frames;
            if (i % 16 == 0)
                filter.Set(ExpLerp(6000.0, 300.0, u), 0.3);
            const double hz = MidiToHz(72.0 - 24.0 * u);
            a.left[static_cast<size_t>(i)] = static_cast<float>(filter.Low(osc.Next(hz, Wave::Saw)) * (1.0 - u) * 0.6);
        }
        FadeInStart(a, kEdgeFade);
        AddReverb(a, 0.7, 0.5, 0.25, Tail::Cut);
        FadeOutEnd(a, 500);
        out.push_back(std::move(a));
    }
    {
        // Sub drop: a sine falling from 90 Hz to 30 Hz.
        const int frames = 4 * kBeatFrames;
        Audio a = Audio::Mono(frames);
        double phase = 0.0;
        for (int i = 0; i < frames; ++i) {
            const double u = static_cast<double>(i) / frames;
            phase += ExpLerp(90.0, 30.0, u) / kRate;
            a.left[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * phase) * std::pow(1.0 - u, 1.5));
        }
        FadeInStart(a, 200);
        FadeOutEnd(a, 500);
        out.push_back(std::move(a));
    }
    out.push_back(noiseDown(2, NoiseFilter::BandPass, 0.7, false));
    out.push_back(noiseDown(4, NoiseFilter::LowPass, 0.3, true));
    return out;
}

namespace {

struct PhraseNote {
    double beat, beats;
    int step;
    char from, to;
};

Audio SingPhrase(Rng& rng, const ChordInfo& chord, int rootMidi, const std::vector<PhraseNote>& phrase, double shift)
{
    std::vector<synth::SungNote> notes;
    for (const auto& p : phrase) {
        notes.push_back({static_cast<double>(ScaleStep(chord.degree, rootMidi, p.step)), p.beat * kBeatSeconds,
                         p.beats * kBeatSeconds - 0.04, p.from, p.to});
    }
    Audio a;
    a.left = synth::Sing(rng, notes, kLoopFrames / static_cast<double>(kRate), 0.12, shift);
    AddReverb(a, 0.75, 0.5, 0.3, Tail::Wrap);
    FoldToMono(a);
    return a;
}

} // namespace

Variants VowelPhrases(const ChordInfo& chord, uint64_t seed)
{
    Rng rng(seed);
    const int root = NoteAtOrAbove(chord.pitchClass, 57);
    const std::vector<std::vector<PhraseNote>> phrases{
        {{0.0, 1.0, 4, 'a', 'a'}, {1.0, 1.0, 2, 'a', 'e'}, {2.0, 1.8, 0, 'o', 'u'}},
        {{0.0, 1.0, 7, 'a', 'a'}, {1.0, 1.0, 4, 'e', 'a'}, {2.0, 1.8, 2, 'a', 'o'}},
        {{0.0, 0.5, 0, 'o', 'o'}, {0.5, 0.5, 2, 'o', 'a'}, {1.0, 1.0, 4, 'a', 'a'}, {2.0, 1.0, 2, 'a', 'e'},
         {3.0, 0.85, 0, 'e', 'i'}},
        {{0.0, 3.8, 4, 'o', 'a'}},
        {{0.0, 0.75, 7, 'i', 'i'}, {1.0, 0.75, 4, 'i', 'e'}, {2.0, 0.75, 2, 'e', 'a'}, {3.0, 0.8, 4, 'a', 'a'}},
        {{0.0, 2.0, 0, 'u', 'o'}, {2.0, 1.8, 4, 'o', 'a'}},
    };
    Variants out;
    for (const auto& phrase : phrases)
        out.push_back(SingPhrase(rng, chord, root, phrase, 1.12));
    return out;
}

Variants VocalChops(uint64_t seed)
{
    Rng rng(seed);
    struct Chop {
        double midi;
        char from, to;
        double seconds;
    };
    const std::vector<Chop> chops{
        {69.0, 'a', 'a', 0.3}, {72.0, 'o', 'o', 0.3}, {76.0, 'i', 'e', 0.25},
        {67.0, 'e', 'i', 0.2}, {74.0, 'u', 'o', 0.35}, {69.0, 'i', 'a', 0.25},
    };
    Variants out;
    for (const auto& c : chops) {
        Audio a;
        a.left = synth::Sing(rng, {{c.midi, 0.0, c.seconds, c.from, c.to}}, kBeatSeconds, 0.15, 1.12);
        AddReverb(a, 0.6, 0.5, 0.25, Tail::Cut);
        FoldToMono(a);
        FadeOutEnd(a, 1000);
        out.push_back(std::move(a));
    }
    return out;
}

Variants SilentLoop()
{
    Variants out;
    out.push_back(Audio::Mono(kLoopFrames));
    return out;
}

} // namespace bm::content
