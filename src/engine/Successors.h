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
// followed by S, and so is every measure before S; each further pair
// (from, to) makes every measure j with from <= j < to - 1 go to `to`.
void SetJumpSuccessors(EngineSong& song, const std::vector<JumpPair>& pairs);

} // namespace bm::engine
