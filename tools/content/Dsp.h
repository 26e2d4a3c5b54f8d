#pragma once

// Signal primitives of the content generator: a seeded random source,
// band-limited oscillators, a state-variable filter, a one-pole smoother,
// envelopes, a plate-like reverb and a stereo delay. Everything runs in
// double precision at 44 100 frames per second and is deterministic: the
// same seed gives the same samples on every run.

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace bm::content {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Equal temperament with A4 (MIDI 69) at 440 Hz.
double MidiToHz(double midi);
double DbToGain(double db);

// splitmix64: small, fast and the same on every platform.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint64_t Next();
    double Uniform();  // [0, 1)
    double Bipolar();  // [-1, 1)
    int Below(int n);  // 0 .. n-1

private:
    uint64_t m_state;
};

// FNV-1a, to derive a seed from a sample's name.
uint64_t HashText(std::string_view text);

enum class Wave { Sine, Saw, Square, Triangle };

// Phase-accumulating oscillator; saw and square are band-limited with
// polynomial steps so that high notes do not alias audibly.
class Oscillator {
public:
    explicit Oscillator(double phase = 0.0) : m_phase(phase) {}
    double Next(double hz, Wave wave, double pulseWidth = 0.5);
    double Phase() const { return m_phase; }

private:
    double m_phase;
};

// Zero-delay-feedback state-variable filter. `resonance` 0 gives a Q of 0.5,
// values towards 1 ring more.
class Svf {
public:
    void Set(double cutoffHz, double resonance);
    // The same with the quality factor given directly (band-pass width
    // = cutoff / q).
    void SetQ(double cutoffHz, double q);
    struct Out {
        double low, band, high;
    };
    Out Process(double x);
    double Low(double x) { return Process(x).low; }
    double Band(double x) { return Process(x).band; }
    double High(double x) { return Process(x).high; }

private:
    double m_ic1 = 0, m_ic2 = 0;
    double m_g = 0.1, m_k = 1.4, m_a1 = 0, m_a2 = 0, m_a3 = 0;
};

// One-pole low-pass, for smoothing and gentle tone control.
class OnePole {
public:
    void Set(double cutoffHz) { m_a = 1.0 - std::exp(-kTwoPi * cutoffHz / kRate); }
    double Low(double x) { return m_z += m_a * (x - m_z); }
    double High(double x) { return x - Low(x); }

private:
    double m_a = 1.0, m_z = 0.0;
};

// Envelope values at time t seconds after the note began, for a note held
// for `hold` seconds. Attack and release are linear, decay exponential.
double Adsr(double t, double hold, double attack, double decay, double sustain, double release);
// Percussive: a short linear attack, then exponential decay with time
// constant `tau`.
double Perc(double t, double attack, double tau);

inline double SoftClip(double x) { return std::tanh(x); }

// A stereo reverb of parallel comb filters and serial all-passes (the
// classic Schroeder-Moorer arrangement), with damping in the combs.
class Reverb {
public:
    // size 0..1 (decay), damping 0..1 (darker tails), width 0..1.
    Reverb(double size, double damping, double width);
    void Process(double inL, double inR, double& outL, double& outR);

private:
    struct Comb {
        std::vector<double> buf;
        size_t pos = 0;
        double store = 0;
    };
    struct AllPass {
        std::vector<double> buf;
        size_t pos = 0;
    };
    static double RunComb(Comb& c, double x, double feedback, double damp);
    static double RunAllPass(AllPass& a, double x);
    std::array<Comb, 8> m_combL, m_combR;
    std::array<AllPass, 4> m_apL, m_apR;
    double m_feedback, m_damp, m_wet1, m_wet2;
};

// A feedback delay; in ping-pong mode the repeats alternate between sides.
class StereoDelay {
public:
    StereoDelay(int delayFrames, double feedback, double tone, bool pingPong);
    void Process(double inL, double inR, double& outL, double& outR);

private:
    std::vector<double> m_bufL, m_bufR;
    size_t m_pos = 0;
    double m_feedback;
    bool m_pingPong;
    OnePole m_toneL, m_toneR;
};

} // namespace bm::content
