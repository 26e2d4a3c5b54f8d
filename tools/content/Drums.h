#pragma once

// Drum and percussion voices: each call synthesises one hit as a mono
// buffer that starts at the hit's onset and ends silent. Noise comes from
// the caller's random source, so two hits of one loop differ slightly, as
// played hits do, and the whole loop stays reproducible.

#include "Dsp.h"

#include <vector>

namespace bm::content::drums {

using Voice = std::vector<float>;

// A sine body whose pitch falls from `startHz` to `endHz`, with a click.
Voice Kick(Rng& rng, double endHz = 48.0, double startHz = 160.0, double decay = 0.30, double drive = 1.6);
Voice Snare(Rng& rng, double toneHz = 190.0, double snappy = 1.0, double decay = 0.15);
Voice Clap(Rng& rng, double decay = 0.12);
Voice ClosedHat(Rng& rng, double decay = 0.035);
Voice OpenHat(Rng& rng, double decay = 0.22);
Voice Ride(Rng& rng);
Voice Crash(Rng& rng, double seconds = 1.6);
Voice Tom(Rng& rng, double hz);
Voice Conga(Rng& rng, double hz, bool slap);
Voice Shaker(Rng& rng, double length = 0.07);
Voice Rim(Rng& rng);
Voice Clave();
Voice Cowbell();
Voice Snap(Rng& rng);

} // namespace bm::content::drums
