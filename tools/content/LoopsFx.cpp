// Effects loops: sweeps, risers and textures, one loop long, stereo.

#include "Drums.h"
#include "Loops.h"
#include "Noise.h"
#include "Synths.h"

#include <algorithm>
#include <cmath>

namespace bm::content {

namespace {

constexpr int kEdgeFade = 1300; // 30 ms at either edge of a sound that starts or stops loud

Audio Finish(Audio a, double reverbWet)
{
    if (reverbWet > 0.0)
        AddReverb(a, 0.75, 0.5, reverbWet, Tail::Wrap);
    return a;
}

} // namespace

Variants SweepLoops(uint64_t seed)
{
    Rng rng(seed);
    const int n = kLoopFrames;
    Variants out;
    auto up = ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.55, [](double u) { return ExpLerp(200.0, 9000.0, u); },
                          [](double u) { return std::pow(u, 1.5); });
    FadeOutEnd(up, kEdgeFade);
    out.push_back(Finish(std::move(up), 0.3));

    auto down = ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.55,
                            [](double u) { return ExpLerp(9000.0, 200.0, u); },
                            [](double u) { return std::pow(1.0 - u, 1.5); });
    FadeInStart(down, kEdgeFade);
    out.push_back(Finish(std::move(down), 0.3));

    auto late = ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.6,
                            [](double u) { return ExpLerp(300.0, 10000.0, std::max(0.0, 2.0 * u - 1.0)); },
                            [](double u) { return u < 0.5 ? 0.0 : std::pow(2.0 * u - 1.0, 1.5); });
    FadeOutEnd(late, kEdgeFade);
    out.push_back(Finish(std::move(late), 0.3));

    // Wind: one slow cycle per loop, so that it repeats without a seam.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.35,
                                     [](double u) { return 700.0 + 1600.0 * (0.5 + 0.5 * std::sin(kTwoPi * u)); },
                                     [](double u) { return 0.55 + 0.3 * std::sin(kTwoPi * u + 1.0); }),
                         0.35));

    // Offbeat noise pulses.
    auto pulses = ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.5, [](double) { return 3200.0; },
                              [](double u) {
                                  const double beat = std::fmod(u * 4.0, 1.0);
                                  const double t = beat - 0.5;
                                  return t < 0.0 ? 0.0 : 2.0 * std::exp(-t * 14.0) * std::min(1.0, t * 200.0);
                              });
    out.push_back(Finish(std::move(pulses), 0.3));

    // A swoosh that rises and falls within the loop.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.5,
                                     [](double u) { return 300.0 + 6000.0 * std::sin(kPi * u); },
                                     [](double u) { return std::pow(std::sin(kPi * u), 2.0); }),
                         0.3));
    return out;
}

Variants RiserLoops(uint64_t seed)
{
    Rng rng(seed);
    const int n = kLoopFrames;
    Variants out;
    auto noise = ShapedNoise(rng, n, true, NoiseFilter::HighPass, 0.3, [](double u) { return ExpLerp(250.0, 8000.0, u); },
                             [](double u) { return u * u; });
    FadeOutEnd(noise, 300);
    out.push_back(Finish(std::move(noise), 0.25));

    // A saw whose pitch climbs two octaves, with noise on top.
    {
        Audio a = ShapedNoise(rng, n, true, NoiseFilter::HighPass, 0.2, [](double u) { return ExpLerp(500.0, 6000.0, u); },
                              [](double u) { return 0.35 * u * u; });
        Oscillator left, right;
        Svf fl, fr;
        for (int i = 0; i < n; ++i) {
            const double u = static_cast<double>(i) / n;
            const double hz = MidiToHz(45.0 + 24.0 * u);
            if (i % 16 == 0) {
                fl.Set(ExpLerp(400.0, 7000.0, u), 0.3);
                fr.Set(ExpLerp(420.0, 7300.0, u), 0.3);
            }
            const double level = 0.5 * u;
            a.left[static_cast<size_t>(i)] += static_cast<float>(fl.Low(left.Next(hz * 0.997, Wave::Saw)) * level);
            a.right[static_cast<size_t>(i)] += static_cast<float>(fr.Low(right.Next(hz * 1.003, Wave::Saw)) * level);
        }
        FadeInStart(a, kEdgeFade);
        FadeOutEnd(a, 300);
        out.push_back(Finish(std::move(a), 0.25));
    }

    // Snare hits that double their rate every beat.
    {
        Audio a = Audio::Stereo(n);
        int at = 0;
        for (int beat = 0; beat < 4; ++beat) {
            const int hits = 1 << (beat + 1);
            const int spacing = kBeatFrames / hits;
            for (int h = 0; h < hits; ++h, at += spacing) {
                const double level = 0.3 + 0.7 * static_cast<double>(at) / n;
                MixVoice(a, drums::Snare(rng, 200.0, 1.0, 0.07), at, level);
            }
        }
        FadeOutEnd(a, 300);
        out.push_back(Finish(std::move(a), 0.3));
    }

    // Tremolo noise that speeds up.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.4,
                                     [](double u) { return ExpLerp(400.0, 7000.0, u); },
                                     [](double u) {
                                         const double phase = 2.0 * u + 14.0 * u * u; // 2 Hz rising to 16 Hz
                                         return u * (0.5 + 0.5 * std::cos(kTwoPi * phase * 1.846));
                                     }),
                         0.25));
    FadeOutEnd(out.back(), 300);

    // A siren of two detuned sines rising two octaves.
    {
        Audio a = Audio::Stereo(n);
        double pl = 0.0, pr = 0.0;
        for (int i = 0; i < n; ++i) {
            const double u = static_cast<double>(i) / n;
            const double hz = MidiToHz(60.0 + 24.0 * u * u);
            pl += hz * 0.995 / kRate;
            pr += hz * 1.005 / kRate;
            const double level = 0.4 * std::min(1.0, u * 4.0);
            a.left[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * pl) * level);
            a.right[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * pr) * level);
        }
        FadeOutEnd(a, 300);
        out.push_back(Finish(std::move(a), 0.35));
    }

    auto downlifter = ShapedNoise(rng, n, true, NoiseFilter::LowPass, 0.3,
                                  [](double u) { return ExpLerp(9000.0, 150.0, u); },
                                  [](double u) { return std::pow(1.0 - u, 2.0); });
    FadeInStart(downlifter, kEdgeFade);
    out.push_back(Finish(std::move(downlifter), 0.3));
    return out;
}

Variants TextureLoops(uint64_t seed)
{
    Rng rng(seed);
    const int n = kLoopFrames;
    Variants out;

    // Vinyl: hiss and sparse crackles.
    {
        Audio a = ShapedNoise(rng, n, true, NoiseFilter::LowPass, 0.0, [](double) { return 5000.0; },
                              [](double) { return 0.08; });
        for (int k = 0; k < 90; ++k) {
            const int at = rng.Below(n - 64);
            const double level = 0.05 + 0.2 * rng.Uniform();
            for (int j = 0; j < 24; ++j) {
                const float v = static_cast<float>(level * std::exp(-j / 4.0) * (j % 2 ? -1.0 : 1.0));
                a.left[static_cast<size_t>(at + j)] += v;
                a.right[static_cast<size_t>(at + j)] += v * 0.8f;
            }
        }
        out.push_back(std::move(a));
    }

    // Rain: soft noise and droplets.
    {
        Audio a = ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.1, [](double) { return 2500.0; },
                              [](double) { return 0.12; });
        for (int k = 0; k < 140; ++k) {
            const int at = rng.Below(n);
            const double hz = 1800.0 + 3000.0 * rng.Uniform();
            std::vector<float> drop(1400);
            for (size_t j = 0; j < drop.size(); ++j) {
                const double t = static_cast<double>(j) / kRate;
                drop[j] = static_cast<float>(std::sin(kTwoPi * hz * (1.0 + 2.0 * t) * t) * Perc(t, 0.0005, 0.006));
            }
            MixVoice(a, drop, at, 0.25 * rng.Uniform(), rng.Bipolar() * 0.8);
        }
        out.push_back(Finish(std::move(a), 0.25));
    }

    // Radio: a narrow band of noise that comes and goes.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::BandPass, 0.7,
                                     [](double u) { return 1400.0 + 400.0 * std::sin(kTwoPi * 2.0 * u); },
                                     [](double u) { return 0.3 + 0.25 * std::sin(kTwoPi * 8.0 * u) * std::sin(kTwoPi * u); }),
                         0.2));

    // Air: a soft hiss that breathes once per loop.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::HighPass, 0.1, [](double) { return 6000.0; },
                                     [](double u) { return 0.25 + 0.15 * std::sin(kTwoPi * u); }),
                         0.4));

    // Machine: sixteenth-note noise ticks with accents on the beats.
    out.push_back(Finish(ShapedNoise(rng, n, true, NoiseFilter::HighPass, 0.4, [](double) { return 4500.0; },
                                     [](double u) {
                                         const double step = u * 16.0;
                                         const double t = step - std::floor(step);
                                         const bool accent = static_cast<int>(step) % 4 == 0;
                                         return std::exp(-t * 9.0) * std::min(1.0, t * 100.0) * (accent ? 1.0 : 0.5);
                                     }),
                         0.2));

    // Glitch: short bursts of tone and noise on a fixed grid of 32nds.
    {
        Audio a = Audio::Stereo(n);
        for (int slot = 0; slot < 32; ++slot) {
            if (rng.Uniform() < 0.45)
                continue;
            const int start = slot * (n / 32);
            const int length = (n / 32) * (1 + rng.Below(2)) - 200;
            const double hz = 200.0 * std::pow(2.0, rng.Below(5));
            const bool tone = rng.Uniform() < 0.5;
            std::vector<float> burst(static_cast<size_t>(std::max(length, 100)));
            Oscillator osc;
            for (size_t j = 0; j < burst.size(); ++j) {
                const double edge = std::min({1.0, j / 60.0, (burst.size() - j) / 60.0});
                const double v = tone ? osc.Next(hz, Wave::Square) : rng.Bipolar();
                burst[j] = static_cast<float>(std::round(v * 4.0) / 4.0 * edge * 0.35);
            }
            MixVoice(a, burst, start, 1.0, rng.Bipolar() * 0.7);
        }
        out.push_back(Finish(std::move(a), 0.2));
    }
    return out;
}

} // namespace bm::content
