#pragma once

// The order in which playback takes the measures of the engine's song.

#include "engine/EngineCommand.h"
#include "engine/EngineSong.h"

#include <vector>

namespace bm::engine {

// Plain playback: measure i is followed by i + 1, the last by 0.
void SetPlainSuccessors(EngineSong& song);

// Playback with loop and jumps: first every measure i is followed by i + 1;
// pair 0 is (loop end E, loop start S): every measure from E to the last is
// followed by S, and when S <= E so is every measure before S; each further
// pair (from, to) makes every measure j with from <= j < to - 1 go to `to`.
// Example: regions 0-1 and 5-6 of a 10-measure song give the pairs (6, 10),
// (1, 5) and the walk 0, 1, 5, 6, end.
void SetJumpSuccessors(EngineSong& song, const std::vector<JumpPair>& pairs);

} // namespace bm::engine
