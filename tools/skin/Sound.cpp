// The splash sound: a short bell-like chime of our own, three notes of a
// major chord rising into a held fifth, 44 100 Hz, 16-bit stereo, its peak
// at -1.5 dBFS.

#include "Art.h"

#include "engine/audiofile/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace bm::art {

namespace {

constexpr int kRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

struct Note {
    double start;    // seconds
    double frequency;
    double pan;      // -1 left, 1 right
    double level;
    double decay;    // seconds to fall by 1/e
};

} // namespace

std::vector<uint8_t> MakeChime()
{
    const double seconds = 2.2;
    const int frames = static_cast<int>(seconds * kRate);
    std::vector<double> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    // C6, E6, G6, then C7 and G6 together.
    const Note notes[] = {{0.00, 1046.50, -0.45, 0.55, 0.45}, {0.11, 1318.51, 0.0, 0.5, 0.45},
                          {0.22, 1567.98, 0.45, 0.5, 0.5},    {0.36, 2093.00, -0.2, 0.35, 0.75},
                          {0.36, 783.99, 0.2, 0.45, 0.9}};
    for (const Note& n : notes) {
        const double gl = std::cos((n.pan + 1) * kTwoPi / 8), gr = std::sin((n.pan + 1) * kTwoPi / 8);
        const int first = static_cast<int>(n.start * kRate);
        for (int i = first; i < frames; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double attack = std::min(1.0, t / 0.004);
            const double env = attack * std::exp(-t / n.decay);
            // A soft FM bell: the modulator's depth fades faster than the tone.
            const double index = 1.6 * std::exp(-t / 0.12);
            const double mod = std::sin(kTwoPi * n.frequency * 3.5 * t);
            const double tone = std::sin(kTwoPi * n.frequency * t + index * mod) +
                                0.18 * std::sin(kTwoPi * n.frequency * 2.0 * t) * std::exp(-t / 0.2);
            const double v = n.level * env * tone;
            left[static_cast<size_t>(i)] += v * gl;
            right[static_cast<size_t>(i)] += v * gr;
        }
    }
    // A little room: three early echoes, crossed between the sides.
    const int delays[3] = {1013, 1637, 2339};
    const double gains[3] = {0.22, 0.16, 0.1};
    std::vector<double> l2 = left, r2 = right;
    for (int k = 0; k < 3; ++k)
        for (int i = delays[k]; i < frames; ++i) {
            l2[static_cast<size_t>(i)] += gains[k] * right[static_cast<size_t>(i - delays[k])];
            r2[static_cast<size_t>(i)] += gains[k] * left[static_cast<size_t>(i - delays[k])];
        }
    // Fade the tail to silence over the last 0.3 s.
    const int fade = static_cast<int>(0.3 * kRate);
    for (int i = frames - fade; i < frames; ++i) {
        const double g = static_cast<double>(frames - i) / fade;
        l2[static_cast<size_t>(i)] *= g * g;
        r2[static_cast<size_t>(i)] *= g * g;
    }
    double peak = 0;
    for (int i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(l2[static_cast<size_t>(i)]), std::fabs(r2[static_cast<size_t>(i)])});
    const double target = std::pow(10.0, -1.5 / 20.0) * 32767.0;
    const double gain = peak > 0 ? target / peak : 0;
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        pcm[static_cast<size_t>(2 * i)] = static_cast<int16_t>(std::lround(l2[static_cast<size_t>(i)] * gain));
        pcm[static_cast<size_t>(2 * i + 1)] = static_cast<int16_t>(std::lround(r2[static_cast<size_t>(i)] * gain));
    }
    return MakeWavImage(pcm, 2, kRate);
}

} // namespace bm::art
