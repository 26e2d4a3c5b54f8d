#pragma once

// The shift notes dialog of the replace-by-name drop (drop state 7, menu
// command 1288): three whole numbers, the shift first.

#include <array>
#include <cstdint>
#include <optional>

namespace bm::dialogs {

struct ShiftNotesValues {
    int32_t shift = 0;
    int32_t second = 1;
    int32_t third = 1;
    bool operator==(const ShiftNotesValues&) const = default;
};

class ShiftNotesDialog {
public:
    virtual ~ShiftNotesDialog() = default;
    virtual std::optional<ShiftNotesValues> Run(const ShiftNotesValues& values) = 0;
};

} // namespace bm::dialogs
