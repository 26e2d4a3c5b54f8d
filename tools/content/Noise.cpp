#include "Noise.h"

#include <algorithm>

namespace bm::content {

Audio ShapedNoise(Rng& rng, int frames, bool stereo, NoiseFilter filter, double resonance,
                  const std::function<double(double)>& cutoff, const std::function<double(double)>& level)
{
    Audio out = stereo ? Audio::Stereo(frames) : Audio::Mono(frames);
    Svf left, right;
    double lvl = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double u = static_cast<double>(i) / frames;
        if (i % 16 == 0) {
            const double hz = cutoff(u);
            left.Set(hz, resonance);
            right.Set(hz * 1.03, resonance);
            lvl = level(u);
        }
        auto pick = [&](Svf& f) {
            const auto o = f.Process(rng.Bipolar());
            switch (filter) {
            case NoiseFilter::LowPass: return o.low;
            case NoiseFilter::BandPass: return o.band * 1.6;
            default: return o.high;
            }
        };
        out.left[static_cast<size_t>(i)] = static_cast<float>(pick(left) * lvl);
        if (stereo)
            out.right[static_cast<size_t>(i)] = static_cast<float>(pick(right) * lvl);
    }
    return out;
}

void FadeInStart(Audio& a, int frames)
{
    frames = std::min(frames, a.Frames());
    for (int i = 0; i < frames; ++i) {
        const float g = static_cast<float>(static_cast<double>(i) / frames);
        a.left[static_cast<size_t>(i)] *= g;
        if (a.IsStereo())
            a.right[static_cast<size_t>(i)] *= g;
    }
}

} // namespace bm::content
