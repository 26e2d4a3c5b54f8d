#include "Drums.h"

#include <algorithm>
#include <cmath>

namespace bm::content::drums {

namespace {

Voice Make(double seconds) { return Voice(static_cast<size_t>(seconds * kRate), 0.0f); }

// Short fade at the very end so that no hit stops abruptly.
void EndFade(Voice& v, int frames = 256)
{
    const int n = static_cast<int>(v.size());
    frames = std::min(frames, n);
    for (int i = 0; i < frames; ++i)
        v[static_cast<size_t>(n - frames + i)] *= static_cast<float>(static_cast<double>(frames - i) / frames);
}

// Six square waves at inharmonic ratios: the metallic core of hats and
// cymbals.
double Metal(std::array<Oscillator, 6>& osc, double scale)
{
    static constexpr std::array<double, 6> kFreqs{205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double sum = 0.0;
    for (size_t i = 0; i < 6; ++i)
        sum += osc[i].Next(kFreqs[i] * scale, Wave::Square);
    return sum / 6.0;
}

} // namespace

Voice Kick(Rng& rng, double endHz, double startHz, double decay, double drive)
{
    Voice v = Make(std::min(0.9, decay * 3.0 + 0.05));
    double phase = 0.0;
    OnePole clickFilter;
    clickFilter.Set(3000.0);
    const double norm = std::tanh(drive);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = endHz + (startHz - endHz) * std::exp(-t / 0.032);
        phase += hz / kRate;
        const double body = std::sin(kTwoPi * phase) * Perc(t, 0.0008, decay);
        const double click = clickFilter.High(rng.Bipolar()) * Perc(t, 0.0004, 0.0025) * 0.5;
        v[i] = static_cast<float>(std::tanh(drive * (body + click)) / norm);
    }
    EndFade(v, 600);
    return v;
}

Voice Snare(Rng& rng, double toneHz, double snappy, double decay)
{
    Voice v = Make(decay * 3.0 + 0.05);
    Svf noiseBand;
    noiseBand.Set(4200.0, 0.2);
    OnePole lowCut;
    lowCut.Set(900.0);
    double p1 = 0.0, p2 = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double bend = 1.0 + 0.25 * std::exp(-t / 0.01);
        p1 += toneHz * bend / kRate;
        p2 += toneHz * 1.74 * bend / kRate;
        const double tone = 0.55 * std::sin(kTwoPi * p1) * Perc(t, 0.0005, 0.055)
                          + 0.3 * std::sin(kTwoPi * p2) * Perc(t, 0.0005, 0.035);
        const double n = rng.Bipolar();
        const double noise = (lowCut.High(n) * 0.6 + noiseBand.Band(n) * 0.7) * Perc(t, 0.0008, decay) * snappy;
        v[i] = static_cast<float>(std::tanh(1.3 * (tone + noise)));
    }
    EndFade(v);
    return v;
}

Voice Clap(Rng& rng, double decay)
{
    Voice v = Make(decay * 3.5 + 0.06);
    Svf band;
    band.Set(1150.0, 0.45);
    Svf air;
    air.Set(2600.0, 0.2);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double env = 0.0;
        for (double at : {0.0, 0.0105, 0.0215})
            env = std::max(env, Perc(t - at, 0.0004, 0.0055));
        env = std::max(env, 0.9 * Perc(t - 0.031, 0.0006, decay));
        const double n = rng.Bipolar();
        v[i] = static_cast<float>((band.Band(n) * 1.6 + air.Band(n) * 0.6) * env);
    }
    EndFade(v);
    return v;
}

Voice ClosedHat(Rng& rng, double decay)
{
    Voice v = Make(decay * 5.0 + 0.02);
    std::array<Oscillator, 6> osc;
    for (auto& o : osc)
        o = Oscillator(rng.Uniform());
    Svf high;
    high.Set(7800.0, 0.25);
    Svf cut;
    cut.Set(6500.0, 0.0);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double src = 0.55 * Metal(osc, 1.35) + 0.45 * rng.Bipolar();
        v[i] = static_cast<float>(cut.High(high.Band(src) * 1.5 + src * 0.2) * Perc(t, 0.0004, decay) * 1.4);
    }
    EndFade(v);
    return v;
}

Voice OpenHat(Rng& rng, double decay)
{
    Voice v = Make(decay * 4.0 + 0.05);
    std::array<Oscillator, 6> osc;
    for (auto& o : osc)
        o = Oscillator(rng.Uniform());
    Svf high;
    high.Set(8200.0, 0.25);
    Svf cut;
    cut.Set(6000.0, 0.0);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double src = 0.55 * Metal(osc, 1.3) + 0.45 * rng.Bipolar();
        v[i] = static_cast<float>(cut.High(high.Band(src) * 1.5 + src * 0.25) * Perc(t, 0.002, decay) * 1.2);
    }
    EndFade(v, 1500);
    return v;
}

Voice Ride(Rng& rng)
{
    Voice v = Make(1.1);
    std::array<Oscillator, 6> osc;
    for (auto& o : osc)
        o = Oscillator(rng.Uniform());
    Svf band;
    band.Set(5200.0, 0.5);
    Svf cut;
    cut.Set(3500.0, 0.0);
    double bell = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        bell += 2950.0 / kRate;
        const double src = Metal(osc, 2.1) * 0.7 + rng.Bipolar() * 0.2;
        const double body = cut.High(band.Band(src)) * Perc(t, 0.001, 0.32);
        const double ping = std::sin(kTwoPi * bell) * Perc(t, 0.001, 0.12) * 0.12;
        v[i] = static_cast<float>(body * 1.3 + ping);
    }
    EndFade(v, 3000);
    return v;
}

Voice Crash(Rng& rng, double seconds)
{
    Voice v = Make(seconds);
    std::array<Oscillator, 6> osc;
    for (auto& o : osc)
        o = Oscillator(rng.Uniform());
    Svf band;
    band.Set(6000.0, 0.1);
    Svf cut;
    cut.Set(2500.0, 0.0);
    const double tau = seconds * 0.28;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double src = Metal(osc, 1.6) * 0.4 + rng.Bipolar() * 0.6;
        v[i] = static_cast<float>(cut.High(band.Band(src) + src * 0.3) * Perc(t, 0.002, tau));
    }
    EndFade(v, static_cast<int>(v.size() / 4));
    return v;
}

Voice Tom(Rng& rng, double hz)
{
    Voice v = Make(0.55);
    double phase = 0.0;
    OnePole noiseTone;
    noiseTone.Set(2500.0);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += hz * (1.0 + 0.45 * std::exp(-t / 0.035)) / kRate;
        const double body = std::sin(kTwoPi * phase) * Perc(t, 0.001, 0.16);
        const double skin = noiseTone.Low(rng.Bipolar()) * Perc(t, 0.0005, 0.02) * 0.5;
        v[i] = static_cast<float>(std::tanh(1.4 * (body + skin)));
    }
    EndFade(v, 800);
    return v;
}

Voice Conga(Rng& rng, double hz, bool slap)
{
    Voice v = Make(0.35);
    double phase = 0.0, phase2 = 0.0;
    Svf slapBand;
    slapBand.Set(2200.0, 0.4);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double bend = 1.0 + 0.12 * std::exp(-t / 0.012);
        phase += hz * bend / kRate;
        phase2 += hz * 1.52 * bend / kRate;
        double s = std::sin(kTwoPi * phase) * Perc(t, 0.0008, slap ? 0.05 : 0.11)
                 + 0.25 * std::sin(kTwoPi * phase2) * Perc(t, 0.0008, 0.04);
        if (slap)
            s += slapBand.Band(rng.Bipolar()) * Perc(t, 0.0003, 0.018) * 1.5;
        v[i] = static_cast<float>(s);
    }
    EndFade(v, 600);
    return v;
}

Voice Shaker(Rng& rng, double length)
{
    Voice v = Make(length + 0.06);
    Svf high;
    high.Set(6500.0, 0.3);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double env = t < length * 0.4 ? t / (length * 0.4) : std::exp(-(t - length * 0.4) / (length * 0.35));
        v[i] = static_cast<float>(high.High(rng.Bipolar()) * env * 0.8);
    }
    EndFade(v);
    return v;
}

Voice Rim(Rng& rng)
{
    Voice v = Make(0.08);
    double p1 = 0.0, p2 = 0.0;
    Svf band;
    band.Set(3000.0, 0.3);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        p1 += 820.0 / kRate;
        p2 += 1690.0 / kRate;
        const double s = (0.5 * std::sin(kTwoPi * p1) + 0.5 * std::sin(kTwoPi * p2)) * Perc(t, 0.0002, 0.011)
                       + band.Band(rng.Bipolar()) * Perc(t, 0.0002, 0.004);
        v[i] = static_cast<float>(s);
    }
    EndFade(v, 100);
    return v;
}

Voice Clave()
{
    Voice v = Make(0.15);
    double p = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        p += 2480.0 / kRate;
        v[i] = static_cast<float>(std::sin(kTwoPi * p) * Perc(t, 0.0003, 0.028));
    }
    EndFade(v, 100);
    return v;
}

Voice Cowbell()
{
    Voice v = Make(0.4);
    Oscillator a, b;
    Svf band;
    band.Set(900.0, 0.5);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double src = 0.5 * a.Next(540.0, Wave::Square) + 0.5 * b.Next(800.0, Wave::Square);
        const double env = 0.6 * Perc(t, 0.0005, 0.012) + 0.4 * Perc(t, 0.0005, 0.1);
        v[i] = static_cast<float>(band.Band(src) * env * 1.5);
    }
    EndFade(v, 300);
    return v;
}

Voice Snap(Rng& rng)
{
    Voice v = Make(0.12);
    Svf band;
    band.Set(2000.0, 0.55);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        v[i] = static_cast<float>(band.Band(rng.Bipolar()) * Perc(t, 0.0003, 0.02) * 2.0);
    }
    EndFade(v, 100);
    return v;
}

} // namespace bm::content::drums
