#pragma once

// The tempo dialog as the main window opens it (command 1165): the song's
// two tempo numbers in, the new ones and the re-timing choices out.

#include <cstdint>
#include <optional>

namespace bm::dialogs {

struct TempoRequest {
    int32_t samplesPerMeasure = 20352; // the length of one cell step
    int32_t measuresPerBar = 8;        // 8 × cells per beat
    // The song has something to re-time, so the scale factor and "Leave the
    // Data as is" may be offered.
    bool allowChange = true;
};

struct TempoResult {
    int32_t samplesPerMeasure = 0;
    int32_t measuresPerBar = 0;
    int32_t factorIndex = 2; // 0 ... 4 for 1/4, 1/2, 1, 2, 4; 2 leaves the bar as it is
    bool leaveData = false;  // "Leave the Data as is": keep the time of every sample
    bool setDefault = false; // "Set as Default": the values become the new song's (options lines 18, 19)
    bool operator==(const TempoResult&) const = default;
};

// "Set as Default": the chosen tempo becomes that of every new song
// (options lines 18 and 19). Nothing changes without the box.
inline void StoreTempoDefaults(const TempoResult& result, int32_t& samplesPerMeasure, int32_t& measuresPerBar)
{
    if (!result.setDefault)
        return;
    samplesPerMeasure = result.samplesPerMeasure;
    measuresPerBar = result.measuresPerBar;
}

class TempoDialog {
public:
    virtual ~TempoDialog() = default;
    // Modal; nothing when cancelled.
    virtual std::optional<TempoResult> Run(const TempoRequest& request) = 0;
};

} // namespace bm::dialogs
