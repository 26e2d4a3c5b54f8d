#pragma once

// The tempo steps that the tempo sliders of the tempo and sample dialogs
// move through, and the measure length a tempo gives. Lengths are in
// samples at 44 100 per second; a measure holds four beats.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bm::dialogs {

inline constexpr std::array<int32_t, 19> kTempoSteps = {60,  70,  80,  90,  100, 110, 120, 130, 140, 150,
                                                        160, 170, 180, 190, 200, 210, 220, 230, 240};

// The slider position of the last step not above `tempo`; 0 when every step
// is above it.
int TempoStepNotAbove(int64_t tempo);

// The length the dialogs show for a tempo: 10 584 000 / tempo samples,
// rounded down to a multiple of 64 (tempo 120 gives 88 192); 0 for a tempo
// of 0 or below.
int32_t MeasureLengthForTempo(int64_t tempo);

} // namespace bm::dialogs
