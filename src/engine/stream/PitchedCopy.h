#pragma once

// A pitched copy of a sample: the sample is opened stretched (so a
// stretchable sample keeps its duration), read whole as canonical audio and
// resampled by r = 2^(-semitones / 12) into a new 16-bit stereo wave file.
// Main thread; uses its own streams (never the engine's memory cache).

#include "core/Error.h"
#include "engine/stream/StreamEnvironment.h"
#include "library/SampleLibrary.h"

#include <cstdint>
#include <string>

namespace bm::stream {

// The span the source is opened at: for a song of kind 0, L / r; for a wave
// sample whose kind is not 0, 2 x its length / r, so that the stretch (which
// aims at half the span) makes it length / r frames long and the resampling
// by r brings it back to its own length; otherwise L (L = the song's samples
// per measure x measures per bar). -1 when r is not usable.
int64_t PitchedCopySpan(const SampleDescriptor& descriptor, double ratio, int64_t barSpan);

// Writes the copy to `outputPath`. On failure nothing is left at
// `outputPath` and the reason is in `error`.
bool MakePitchedCopy(const SampleDescriptor& descriptor, const SampleRef& key, double semitones, int64_t barSpan,
                     const std::string& outputPath, const StreamEnvironment& environment, Error* error = nullptr);

} // namespace bm::stream
