#pragma once

// Step patterns: one character per step of the loop. "X" accent, "x" hit,
// "o" softer, "g" ghost note, anything else a rest. A pattern of 16 steps
// plays sixteenth notes, one of 32 steps thirty-second notes.

#include "Audio.h"
#include "Dsp.h"

#include <functional>
#include <string>
#include <vector>

namespace bm::content {

double StepVelocity(char c);

struct Lane {
    std::function<std::vector<float>(Rng&, double velocity)> voice;
    std::string pattern;
    double gain = 1.0;
    double pan = 0.0;
    double swing = 0.0;   // fraction of a step by which every second step is late
    int humanise = 0;     // largest random shift in frames (never on step 0)
};

// Renders the lanes into a fresh loop (mono unless `stereo`).
Audio RenderLanes(const std::vector<Lane>& lanes, Rng& rng, bool stereo = false);

} // namespace bm::content
