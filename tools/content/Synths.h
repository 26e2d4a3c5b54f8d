#pragma once

// Tonal voices. Each call synthesises one note or chord, held for `hold`
// seconds and then released; the buffer ends when the release has died
// away. Pitches are MIDI note numbers in equal temperament (A4 = 440 Hz).

#include "Audio.h"
#include "Dsp.h"

#include <vector>

namespace bm::content::synth {

using Voice = std::vector<float>;

// Sine with a touch of second harmonic and saturation: felt more than heard.
Voice SubBass(double midi, double hold, double drive = 1.2);
// Saw and sub square through a resonant low-pass whose cutoff jumps by
// `envDepth` octaves at the onset and falls back with `decay` seconds.
Voice SawBass(double midi, double hold, double cutoffHz, double envDepth, double resonance, double decay);
// A short, round square pluck for offbeat bass lines.
Voice PluckBass(double midi, double hold, double brightness);
// A bright plucked saw for arpeggios.
Voice Pluck(Rng& rng, double midi, double hold, double brightness, double decay);
// Frequency-modulated bell.
Voice Bell(double midi, double decay, double brightness);
// Two detuned saws with vibrato.
Voice SawLead(Rng& rng, double midi, double hold, double brightness);
// A pulse-width modulated square lead.
Voice SquareLead(double midi, double hold, double brightness);
// A chord of detuned saws with a snappy filter envelope.
Voice Stab(Rng& rng, const std::vector<int>& notes, double hold, double brightness);
// Drawbar organ: sine partials with a key click.
Voice Organ(const std::vector<int>& notes, double hold, double brightness);

// A frequency-modulated electric piano chord with stereo tremolo.
Audio EPiano(const std::vector<int>& notes, double hold, double velocity);

struct PadSettings {
    double attack = 0.25;
    double release = 0.3;
    double cutoffStart = 900.0; // Hz at the onset
    double cutoffEnd = 1600.0;  // Hz at the end of the hold
    double detuneCents = 9.0;
    double resonance = 0.15;
    bool glass = false; // sine and octave partials instead of saws
};
// A stereo chord of detuned oscillators, spread across the panorama.
Audio Pad(Rng& rng, const std::vector<int>& notes, double hold, const PadSettings& settings);

// A sung vowel phrase: a pulse source through three formant filters. The
// vowels ('a', 'e', 'i', 'o', 'u') glide from one to the next across the
// note; `breath` adds aspiration noise.
struct SungNote {
    double midi;
    double start; // seconds
    double hold;  // seconds
    char vowelFrom;
    char vowelTo;
};
Voice Sing(Rng& rng, const std::vector<SungNote>& notes, double totalSeconds, double breath, double formantShift);

} // namespace bm::content::synth
