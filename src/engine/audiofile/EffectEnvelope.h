#pragma once

// The envelope look-up of the stereo-delay effect: the gain at a frame
// position through a list of (position, value) points. Pure function; any
// thread; no allocation.

#include "engine/audiofile/WaveHeader.h"

#include <cstdint>
#include <span>

namespace bm {

// Linear between the two points around x, the last point's value at and
// after it, 0 without points; in units of 1 (the stored values are 1/32768).
double EnvelopeValue(double x, std::span<const EffectPair> points);

} // namespace bm
