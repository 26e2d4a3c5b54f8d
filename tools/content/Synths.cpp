#include "Synths.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace bm::content::synth {

namespace {

Voice Make(double seconds) { return Voice(static_cast<size_t>(std::max(seconds, 0.01) * kRate), 0.0f); }

// Filter coefficients are refreshed every few frames: the cutoff moves
// slowly compared with that.
constexpr size_t kControlFrames = 16;

double CentsToRatio(double cents) { return std::pow(2.0, cents / 1200.0); }

// Vibrato in semitones that fades in after `delay` seconds.
double Vibrato(double t, double delay, double depth, double rate)
{
    if (t < delay)
        return 0.0;
    const double fade = std::min(1.0, (t - delay) / 0.3);
    return depth * fade * std::sin(kTwoPi * rate * (t - delay));
}

} // namespace

Voice SubBass(double midi, double hold, double drive)
{
    const double release = 0.05;
    Voice v = Make(hold + release);
    const double hz = MidiToHz(midi);
    const double norm = std::tanh(drive);
    double phase = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += hz / kRate;
        const double s = std::sin(kTwoPi * phase) + 0.12 * std::sin(2.0 * kTwoPi * phase);
        v[i] = static_cast<float>(std::tanh(drive * s) / norm * Adsr(t, hold, 0.005, 0.35, 0.85, release));
    }
    return v;
}

Voice SawBass(double midi, double hold, double cutoffHz, double envDepth, double resonance, double decay)
{
    const double release = 0.03;
    Voice v = Make(hold + release);
    const double hz = MidiToHz(midi);
    Oscillator saw, sub;
    Svf filter;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % kControlFrames == 0)
            filter.Set(cutoffHz * std::pow(2.0, envDepth * std::exp(-t / decay)), resonance);
        const double src = 0.7 * saw.Next(hz, Wave::Saw) + 0.45 * sub.Next(hz * 0.5, Wave::Square);
        v[i] = static_cast<float>(std::tanh(1.5 * filter.Low(src)) * Adsr(t, hold, 0.003, 0.25, 0.8, release));
    }
    return v;
}

Voice PluckBass(double midi, double hold, double brightness)
{
    const double release = 0.04;
    Voice v = Make(hold + release);
    const double hz = MidiToHz(midi);
    Oscillator sq, sine;
    Svf filter;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % kControlFrames == 0)
            filter.Set(250.0 + brightness * 2600.0 * std::exp(-t / 0.06), 0.25);
        const double src = 0.6 * sq.Next(hz, Wave::Square, 0.42) + 0.6 * sine.Next(hz, Wave::Sine);
        v[i] = static_cast<float>(filter.Low(src) * Adsr(t, hold, 0.002, 0.14, 0.45, release));
    }
    return v;
}

Voice Pluck(Rng& rng, double midi, double hold, double brightness, double decay)
{
    const double release = 0.05;
    Voice v = Make(hold + release);
    const double hz = MidiToHz(midi);
    Oscillator a(rng.Uniform()), b(rng.Uniform());
    const double ra = CentsToRatio(-6.0), rb = CentsToRatio(6.0);
    Svf filter;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % kControlFrames == 0)
            filter.Set(350.0 + brightness * 7000.0 * std::exp(-t / (decay * 0.45)), 0.2);
        const double src = 0.5 * a.Next(hz * ra, Wave::Saw) + 0.5 * b.Next(hz * rb, Wave::Square, 0.3);
        const double gate = t < hold ? 1.0 : std::max(0.0, 1.0 - (t - hold) / release);
        v[i] = static_cast<float>(filter.Low(src) * Perc(t, 0.0015, decay) * gate);
    }
    return v;
}

Voice Bell(double midi, double decay, double brightness)
{
    Voice v = Make(decay * 4.0);
    const double hz = MidiToHz(midi);
    double pc = 0.0, pm = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        pc += hz / kRate;
        pm += hz * 3.5 / kRate;
        const double index = brightness * 2.2 * std::exp(-t / (decay * 0.5));
        const double s = std::sin(kTwoPi * pc + index * std::sin(kTwoPi * pm));
        v[i] = static_cast<float>(s * Perc(t, 0.001, decay));
    }
    const size_t fade = std::min<size_t>(v.size(), 2000);
    for (size_t i = 0; i < fade; ++i)
        v[v.size() - fade + i] *= static_cast<float>(static_cast<double>(fade - i) / fade);
    return v;
}

Voice SawLead(Rng& rng, double midi, double hold, double brightness)
{
    const double release = 0.09;
    Voice v = Make(hold + release);
    Oscillator a(rng.Uniform()), b(rng.Uniform()), sub(rng.Uniform());
    const double ra = CentsToRatio(-7.0), rb = CentsToRatio(7.0);
    Svf filter;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = MidiToHz(midi + Vibrato(t, 0.22, 0.14, 5.5));
        if (i % kControlFrames == 0)
            filter.Set(900.0 + brightness * 4500.0 * (0.55 + 0.45 * std::exp(-t / 0.15)), 0.3);
        const double src = 0.45 * a.Next(hz * ra, Wave::Saw) + 0.45 * b.Next(hz * rb, Wave::Saw)
                         + 0.25 * sub.Next(hz * 0.5, Wave::Square);
        v[i] = static_cast<float>(filter.Low(src) * Adsr(t, hold, 0.008, 0.3, 0.75, release));
    }
    return v;
}

Voice SquareLead(double midi, double hold, double brightness)
{
    const double release = 0.07;
    Voice v = Make(hold + release);
    Oscillator osc;
    Svf filter;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = MidiToHz(midi + Vibrato(t, 0.2, 0.12, 5.8));
        if (i % kControlFrames == 0)
            filter.Set(1200.0 + brightness * 3500.0 * (0.6 + 0.4 * std::exp(-t / 0.1)), 0.2);
        const double width = 0.5 - 0.18 * (0.5 + 0.5 * std::sin(kTwoPi * 0.9 * t));
        v[i] = static_cast<float>(filter.Low(osc.Next(hz, Wave::Square, width)) * Adsr(t, hold, 0.006, 0.2, 0.8, release));
    }
    return v;
}

Voice Stab(Rng& rng, const std::vector<int>& notes, double hold, double brightness)
{
    const double release = 0.07;
    Voice v = Make(hold + release);
    struct Osc {
        Oscillator osc;
        double hz;
    };
    std::vector<Osc> oscs;
    for (int note : notes) {
        for (double cents : {-9.0, 0.0, 9.0})
            oscs.push_back({Oscillator(rng.Uniform()), MidiToHz(note) * CentsToRatio(cents)});
    }
    Svf filter;
    const double scale = 1.0 / std::sqrt(static_cast<double>(oscs.size()));
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % kControlFrames == 0)
            filter.Set(450.0 + brightness * 5500.0 * std::exp(-t / 0.085), 0.25);
        double src = 0.0;
        for (auto& o : oscs)
            src += o.osc.Next(o.hz, Wave::Saw);
        v[i] = static_cast<float>(filter.Low(src * scale) * Adsr(t, hold, 0.002, 0.16, 0.5, release));
    }
    return v;
}

Voice Organ(const std::vector<int>& notes, double hold, double brightness)
{
    const double release = 0.05;
    Voice v = Make(hold + release);
    static constexpr std::array<double, 5> kRatios{0.5, 1.0, 2.0, 3.0, 4.0};
    const std::array<double, 5> amps{0.55, 1.0, 0.6, 0.35 * brightness, 0.25 * brightness};
    std::vector<double> phases(notes.size() * kRatios.size(), 0.0);
    const double scale = 1.0 / (2.2 * std::sqrt(static_cast<double>(notes.size())));
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0.0;
        for (size_t n = 0; n < notes.size(); ++n) {
            const double hz = MidiToHz(notes[n]);
            for (size_t k = 0; k < kRatios.size(); ++k) {
                double& p = phases[n * kRatios.size() + k];
                p += hz * kRatios[k] / kRate;
                if (p >= 1.0)
                    p -= 1.0;
                s += amps[k] * std::sin(kTwoPi * p);
            }
        }
        const double click = t < 0.004 ? std::sin(kTwoPi * 2200.0 * t) * (1.0 - t / 0.004) * 0.4 : 0.0;
        v[i] = static_cast<float>((s * scale + click) * Adsr(t, hold, 0.003, 0.15, 0.85, release));
    }
    return v;
}

Audio EPiano(const std::vector<int>& notes, double hold, double velocity)
{
    const double release = 0.14;
    Audio out = Audio::Stereo(static_cast<int>((hold + release) * kRate));
    const double scale = 0.5 / std::sqrt(static_cast<double>(notes.size()));
    for (int note : notes) {
        const double hz = MidiToHz(note);
        double pc = 0.0, pm = 0.0, pt = 0.0;
        for (size_t i = 0; i < out.left.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            pc += hz / kRate;
            pm += hz / kRate;
            pt += hz * 14.0 / kRate;
            const double index = 1.5 * velocity * std::exp(-t / 0.35) + 0.25;
            const double tine = 0.6 * velocity * std::exp(-t / 0.018) * std::sin(kTwoPi * pt);
            const double s = std::sin(kTwoPi * pc + index * std::sin(kTwoPi * pm) + tine);
            const double gate = t < hold ? 1.0 : std::max(0.0, 1.0 - (t - hold) / release);
            const double env = Perc(t, 0.002, 1.4) * gate * scale;
            const double trem = 0.28 * std::sin(kTwoPi * 4.33 * t);
            out.left[i] += static_cast<float>(s * env * (1.0 + trem));
            out.right[i] += static_cast<float>(s * env * (1.0 - trem));
        }
    }
    return out;
}

Audio Pad(Rng& rng, const std::vector<int>& notes, double hold, const PadSettings& settings)
{
    const double total = hold + settings.release;
    Audio out = Audio::Stereo(static_cast<int>(total * kRate));
    struct Osc {
        Oscillator osc;
        double hz;
        bool left;
    };
    std::vector<Osc> oscs;
    static constexpr std::array<double, 4> kSpread{-1.0, -0.35, 0.35, 1.0};
    for (int note : notes) {
        for (size_t k = 0; k < kSpread.size(); ++k) {
            const double hz = MidiToHz(note) * CentsToRatio(kSpread[k] * settings.detuneCents);
            oscs.push_back({Oscillator(rng.Uniform()), hz, k % 2 == 0});
        }
    }
    Svf filterL, filterR;
    const double scale = 1.0 / std::sqrt(static_cast<double>(oscs.size()));
    const double ratio = settings.cutoffEnd / settings.cutoffStart;
    for (size_t i = 0; i < out.left.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % kControlFrames == 0) {
            const double cutoff = settings.cutoffStart * std::pow(ratio, std::min(1.0, t / hold));
            filterL.Set(cutoff, settings.resonance);
            filterR.Set(cutoff * 1.04, settings.resonance);
        }
        double l = 0.0, r = 0.0;
        for (auto& o : oscs) {
            double s;
            if (settings.glass) {
                const double p = o.osc.Phase();
                s = std::sin(kTwoPi * p) * 0.8 + 0.35 * std::sin(2.0 * kTwoPi * p) + 0.15 * std::sin(4.0 * kTwoPi * p);
                o.osc.Next(o.hz, Wave::Sine);
            } else {
                s = o.osc.Next(o.hz, Wave::Saw);
            }
            (o.left ? l : r) += s;
        }
        const double env = Adsr(t, hold, settings.attack, 1.0, 1.0, settings.release) * scale;
        out.left[i] = static_cast<float>(filterL.Low(l) * env);
        out.right[i] = static_cast<float>(filterR.Low(r) * env);
    }
    return out;
}

namespace {

struct Formants {
    std::array<double, 3> freq;
    std::array<double, 3> gain;
};

Formants VowelFormants(char vowel)
{
    switch (vowel) {
    case 'a': return {{800.0, 1150.0, 2900.0}, {1.0, 0.5, 0.22}};
    case 'e': return {{480.0, 1720.0, 2600.0}, {1.0, 0.35, 0.2}};
    case 'i': return {{320.0, 2300.0, 3000.0}, {1.0, 0.25, 0.18}};
    case 'o': return {{460.0, 820.0, 2800.0}, {1.0, 0.6, 0.08}};
    default: return {{330.0, 720.0, 2500.0}, {1.0, 0.3, 0.05}};
    }
}

} // namespace

Voice Sing(Rng& rng, const std::vector<SungNote>& notes, double totalSeconds, double breath, double formantShift)
{
    Voice v = Make(totalSeconds);
    if (notes.empty())
        return v;
    Oscillator source;
    OnePole soften;
    soften.Set(2800.0);
    std::array<Svf, 3> formant;
    Svf breathBand;
    breathBand.Set(3500.0, 0.1);
    double pitch = notes.front().midi;
    const double glide = 1.0 - std::exp(-1.0 / (0.045 * kRate));
    Formants current = VowelFormants(notes.front().vowelFrom);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // The sounding note: the last one begun; the envelope sums every
        // note so that legato notes join without a gap.
        const SungNote* note = &notes.front();
        double env = 0.0;
        for (const auto& n : notes) {
            if (n.start <= t)
                note = &n;
            env += Adsr(t - n.start, n.hold, 0.05, 0.4, 0.85, 0.14);
        }
        env = std::min(env, 1.0);
        pitch += (note->midi - pitch) * glide;
        const double since = t - note->start;
        const double hz = MidiToHz(pitch + Vibrato(since, 0.18, 0.22, 5.3));
        double src = soften.Low(source.Next(hz, Wave::Saw));
        const double noise = breathBand.Band(rng.Bipolar()) * breath;
        if (i % kControlFrames == 0) {
            const double u = std::clamp(since / std::max(note->hold, 0.05), 0.0, 1.0);
            const double mix = u * u * (3.0 - 2.0 * u);
            const Formants from = VowelFormants(note->vowelFrom);
            const Formants to = VowelFormants(note->vowelTo);
            for (size_t k = 0; k < 3; ++k) {
                current.freq[k] = (from.freq[k] + (to.freq[k] - from.freq[k]) * mix) * formantShift;
                current.gain[k] = from.gain[k] + (to.gain[k] - from.gain[k]) * mix;
                formant[k].SetQ(current.freq[k], current.freq[k] / (70.0 + 25.0 * k));
            }
        }
        double s = 0.0;
        for (size_t k = 0; k < 3; ++k)
            s += formant[k].Band(src + noise) * current.gain[k];
        v[i] = static_cast<float>(s * env);
    }
    return v;
}

} // namespace bm::content::synth
