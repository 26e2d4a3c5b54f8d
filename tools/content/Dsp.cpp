#include "Dsp.h"

#include <algorithm>

namespace bm::content {

double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

uint64_t Rng::Next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Rng::Bipolar() { return 2.0 * Uniform() - 1.0; }

int Rng::Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

uint64_t HashText(std::string_view text)
{
    uint64_t h = 1469598103934665603ull;
    for (char c : text) {
        h ^= static_cast<uint8_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

namespace {

// The polynomial correction of a unit step at phase 0, spread over one
// sample on each side (t is the phase in cycles, dt the increment).
double PolyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

double Oscillator::Next(double hz, Wave wave, double pulseWidth)
{
    const double dt = std::clamp(hz / kRate, 0.0, 0.49);
    const double t = m_phase;
    double value = 0.0;
    switch (wave) {
    case Wave::Sine:
        value = std::sin(kTwoPi * t);
        break;
    case Wave::Saw:
        value = 2.0 * t - 1.0 - PolyBlep(t, dt);
        break;
    case Wave::Square: {
        value = t < pulseWidth ? 1.0 : -1.0;
        value += PolyBlep(t, dt);
        double t2 = t - pulseWidth;
        if (t2 < 0.0)
            t2 += 1.0;
        value -= PolyBlep(t2, dt);
        // A pulse narrower than half a cycle has a mean of 2w - 1; take it
        // away so that pulse voices carry no offset.
        value -= 2.0 * pulseWidth - 1.0;
        break;
    }
    case Wave::Triangle:
        value = t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t;
        break;
    }
    m_phase += dt;
    if (m_phase >= 1.0)
        m_phase -= 1.0;
    return value;
}

void Svf::Set(double cutoffHz, double resonance)
{
    cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.45);
    m_g = std::tan(kPi * cutoffHz / kRate);
    m_k = 2.0 - 1.98 * std::clamp(resonance, 0.0, 1.0);
    m_a1 = 1.0 / (1.0 + m_g * (m_g + m_k));
    m_a2 = m_g * m_a1;
    m_a3 = m_g * m_a2;
}

void Svf::SetQ(double cutoffHz, double q)
{
    cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.45);
    m_g = std::tan(kPi * cutoffHz / kRate);
    m_k = 1.0 / std::max(q, 0.1);
    m_a1 = 1.0 / (1.0 + m_g * (m_g + m_k));
    m_a2 = m_g * m_a1;
    m_a3 = m_g * m_a2;
}

Svf::Out Svf::Process(double x)
{
    const double v3 = x - m_ic2;
    const double v1 = m_a1 * m_ic1 + m_a2 * v3;
    const double v2 = m_ic2 + m_a2 * m_ic1 + m_a3 * v3;
    m_ic1 = 2.0 * v1 - m_ic1;
    m_ic2 = 2.0 * v2 - m_ic2;
    return {v2, v1, x - m_k * v1 - v2};
}

double Adsr(double t, double hold, double attack, double decay, double sustain, double release)
{
    if (t < 0.0)
        return 0.0;
    hold = std::max(hold, 0.0);
    auto held = [&](double u) {
        if (u < attack)
            return attack > 0.0 ? u / attack : 1.0;
        const double d = u - attack;
        return sustain + (1.0 - sustain) * std::exp(-d / std::max(decay, 1e-4));
    };
    if (t < hold)
        return held(t);
    const double level = held(hold);
    const double r = t - hold;
    if (r >= release)
        return 0.0;
    return level * (1.0 - r / release);
}

double Perc(double t, double attack, double tau)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / tau);
}

namespace {

constexpr std::array<int, 8> kCombTunings{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllPassTunings{556, 441, 341, 225};
constexpr int kStereoSpread = 23;

} // namespace

Reverb::Reverb(double size, double damping, double width)
    : m_feedback(0.7 + 0.28 * size), m_damp(0.4 * damping)
{
    for (size_t i = 0; i < 8; ++i) {
        m_combL[i].buf.assign(static_cast<size_t>(kCombTunings[i]), 0.0);
        m_combR[i].buf.assign(static_cast<size_t>(kCombTunings[i] + kStereoSpread), 0.0);
    }
    for (size_t i = 0; i < 4; ++i) {
        m_apL[i].buf.assign(static_cast<size_t>(kAllPassTunings[i]), 0.0);
        m_apR[i].buf.assign(static_cast<size_t>(kAllPassTunings[i] + kStereoSpread), 0.0);
    }
    m_wet1 = 0.5 * (width / 2.0 + 0.5);
    m_wet2 = 0.5 * ((1.0 - width) / 2.0);
}

double Reverb::RunComb(Comb& c, double x, double feedback, double damp)
{
    const double out = c.buf[c.pos];
    c.store = out * (1.0 - damp) + c.store * damp;
    c.buf[c.pos] = x + c.store * feedback;
    if (++c.pos == c.buf.size())
        c.pos = 0;
    return out;
}

double Reverb::RunAllPass(AllPass& a, double x)
{
    const double delayed = a.buf[a.pos];
    const double out = delayed - x;
    a.buf[a.pos] = x + delayed * 0.5;
    if (++a.pos == a.buf.size())
        a.pos = 0;
    return out;
}

void Reverb::Process(double inL, double inR, double& outL, double& outR)
{
    const double input = (inL + inR) * 0.015;
    double l = 0.0, r = 0.0;
    for (size_t i = 0; i < 8; ++i) {
        l += RunComb(m_combL[i], input, m_feedback, m_damp);
        r += RunComb(m_combR[i], input, m_feedback, m_damp);
    }
    for (size_t i = 0; i < 4; ++i) {
        l = RunAllPass(m_apL[i], l);
        r = RunAllPass(m_apR[i], r);
    }
    outL = l * m_wet1 + r * m_wet2;
    outR = r * m_wet1 + l * m_wet2;
}

StereoDelay::StereoDelay(int delayFrames, double feedback, double tone, bool pingPong)
    : m_bufL(static_cast<size_t>(std::max(delayFrames, 1)), 0.0), m_bufR(m_bufL.size(), 0.0), m_feedback(feedback),
      m_pingPong(pingPong)
{
    m_toneL.Set(tone);
    m_toneR.Set(tone);
}

void StereoDelay::Process(double inL, double inR, double& outL, double& outR)
{
    const double dl = m_bufL[m_pos];
    const double dr = m_bufR[m_pos];
    if (m_pingPong) {
        // The mono sum enters on the left; each repeat crosses to the other side.
        m_bufL[m_pos] = m_toneL.Low(0.5 * (inL + inR) + dr * m_feedback);
        m_bufR[m_pos] = m_toneR.Low(dl * m_feedback);
    } else {
        m_bufL[m_pos] = m_toneL.Low(inL + dl * m_feedback);
        m_bufR[m_pos] = m_toneR.Low(inR + dr * m_feedback);
    }
    if (++m_pos == m_bufL.size())
        m_pos = 0;
    outL = dl;
    outR = dr;
}

} // namespace bm::content
