#pragma once

// The loops and one-shots of the factory library. Each function renders the
// six variants of one entry: six variations of one idea (rhythm, density,
// fills, intensity), so that placing the whole entry in a song plays like a
// phrase. Loops are kLoopFrames long; tonal ones take the chord to play.

#include "Audio.h"
#include "Harmony.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bm::content {

using Variants = std::vector<Audio>;

// Drums (style 0, group 0).
Variants HouseBeatLoops(uint64_t seed);
Variants BreakBeatLoops(uint64_t seed);
Variants KickLoops(uint64_t seed);
Variants HatLoops(uint64_t seed);
Variants SnareClapLoops(uint64_t seed);
// Percussion (style 0, group 1).
Variants ShakerLoops(uint64_t seed);
Variants CongaLoops(uint64_t seed);
Variants RimClaveLoops(uint64_t seed);
Variants TomLoops(uint64_t seed);

// Tonal loops (style 0, groups 2 to 6).
Variants SubBassLoops(const ChordInfo& chord, uint64_t seed);
Variants SawBassLoops(const ChordInfo& chord, uint64_t seed);
Variants PluckBassLoops(const ChordInfo& chord, uint64_t seed);
Variants WarmPadLoops(const ChordInfo& chord, uint64_t seed);
Variants GlassPadLoops(const ChordInfo& chord, uint64_t seed);
Variants ChordStabLoops(const ChordInfo& chord, uint64_t seed);
Variants EPianoLoops(const ChordInfo& chord, uint64_t seed);
Variants SawLeadLoops(const ChordInfo& chord, uint64_t seed);
Variants SquareLeadLoops(const ChordInfo& chord, uint64_t seed);
Variants PluckArpLoops(const ChordInfo& chord, uint64_t seed);
Variants BellArpLoops(const ChordInfo& chord, uint64_t seed);

// Effects loops (style 0, group 7).
Variants SweepLoops(uint64_t seed);
Variants RiserLoops(uint64_t seed);
Variants TextureLoops(uint64_t seed);

// Material that is never stretched (style 1): one-shots and phrases whose
// lengths differ; each buffer is as long as its sound.
Variants DrumHits(uint64_t seed);
Variants Impacts(uint64_t seed);
Variants ChordStabHits(const ChordInfo& chord, uint64_t seed);
Variants NoiseRisers(uint64_t seed);
Variants TonalRisers(uint64_t seed);
Variants Downlifters(uint64_t seed);
Variants VowelPhrases(const ChordInfo& chord, uint64_t seed);
Variants VocalChops(uint64_t seed);

// The silent loop that the arrangement's silence cell carries.
Variants SilentLoop();

} // namespace bm::content
