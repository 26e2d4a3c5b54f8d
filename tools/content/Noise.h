#pragma once

// Filtered noise shaped over time: the raw material of sweeps, risers,
// downlifters and textures.

#include "Audio.h"
#include "Dsp.h"

#include <functional>

namespace bm::content {

enum class NoiseFilter { LowPass, BandPass, HighPass };

// `cutoff(u)` in Hz and `level(u)` (0..1) over the buffer, u from 0 to 1.
// Stereo buffers get an independent noise stream on each side.
Audio ShapedNoise(Rng& rng, int frames, bool stereo, NoiseFilter filter, double resonance,
                  const std::function<double(double)>& cutoff, const std::function<double(double)>& level);

// A short fade-in at the start (frames), so that a loud first frame never
// clicks.
void FadeInStart(Audio& a, int frames);

// Exponential interpolation from a to b (both above 0) at u in 0..1.
inline double ExpLerp(double a, double b, double u) { return a * std::pow(b / a, u); }

} // namespace bm::content
