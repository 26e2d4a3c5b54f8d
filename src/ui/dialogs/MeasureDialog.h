#pragma once

// The insert and remove measure dialogs (commands 1132 and 1133): how many
// measures, and where.

#include <cstdint>
#include <optional>

namespace bm::dialogs {

enum class MeasureMode { Remove = 0, Insert = 1 };

// Where the measures go in or come out.
enum class MeasurePosition { SongStart = 0, SongEnd = 1, Cursor = 2 };

struct MeasureRequest {
    MeasureMode mode = MeasureMode::Insert;
    int32_t stepLength = 20352;        // samples of one counted measure (the song's samples per measure)
    int32_t unitsPerTwoMeasures = 8;   // counted measures in two bars (the song's measures per bar)
    int32_t maximum = 1500;
    int32_t initial = 32;
    // Offer the position list with "at the cursor" chosen; otherwise the
    // list is disabled at "at the start".
    bool askPosition = true;
};

struct MeasureResult {
    int32_t count = 0;
    MeasurePosition position = MeasurePosition::SongStart;
    bool operator==(const MeasureResult&) const = default;
};

class MeasureDialog {
public:
    virtual ~MeasureDialog() = default;
    virtual std::optional<MeasureResult> Run(const MeasureRequest& request) = 0;
};

} // namespace bm::dialogs
