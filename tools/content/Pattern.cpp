#include "Pattern.h"

namespace bm::content {

double StepVelocity(char c)
{
    switch (c) {
    case 'X': return 1.0;
    case 'x': return 0.8;
    case 'o': return 0.55;
    case 'g': return 0.3;
    default: return 0.0;
    }
}

Audio RenderLanes(const std::vector<Lane>& lanes, Rng& rng, bool stereo)
{
    Audio loop = stereo ? Audio::Stereo(kLoopFrames) : Audio::Mono(kLoopFrames);
    for (const auto& lane : lanes) {
        const int steps = static_cast<int>(lane.pattern.size());
        if (steps == 0)
            continue;
        const double stepFrames = static_cast<double>(kLoopFrames) / steps;
        for (int s = 0; s < steps; ++s) {
            const double velocity = StepVelocity(lane.pattern[static_cast<size_t>(s)]);
            if (velocity <= 0.0)
                continue;
            double at = s * stepFrames;
            if (s % 2 == 1)
                at += lane.swing * stepFrames;
            if (lane.humanise > 0 && s > 0)
                at += rng.Below(2 * lane.humanise + 1) - lane.humanise;
            const auto voice = lane.voice(rng, velocity);
            MixVoice(loop, voice, static_cast<int>(at), lane.gain * velocity, lane.pan);
        }
    }
    return loop;
}

} // namespace bm::content
