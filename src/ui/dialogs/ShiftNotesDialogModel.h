#pragma once

// The shift notes dialog without its window: three fields with spin arrows.
// The arrows keep the shift within -100 ... 100 and the other two within
// -10 ... 10; OK needs a shift of at most 60 either way and the other two
// not 0 and at most 5 either way.

#include "ui/dialogs/ShiftNotesDialog.h"
#include "ui/services/HelpPages.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class ShiftNotesDialogModel {
public:
    static constexpr std::string_view kTextList = "shift_notes.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::ShiftNotes;
    enum Text { Caption, OkButton, CancelButton, HelpButton, ShiftLabel, SecondLabel, ThirdLabel, TextCount };
    enum Field { Shift = 0, Second = 1, Third = 2 };
    static std::vector<std::string> BuiltInTexts();

    ShiftNotesDialogModel(const ShiftNotesValues& values, std::vector<std::string> texts);

    const std::string& TextOf(Text which) const { return m_texts[which]; }

    void Edit(Field field, std::string text);
    // One arrow step: +1 for the up arrow, -1 for the down arrow.
    void Spin(Field field, int direction);

    const std::string& FieldText(Field field) const { return m_fields[field]; }
    bool OkEnabled() const;
    ShiftNotesValues Result() const;

private:
    std::vector<std::string> m_texts;
    std::array<std::string, 3> m_fields;
};

} // namespace bm::dialogs
