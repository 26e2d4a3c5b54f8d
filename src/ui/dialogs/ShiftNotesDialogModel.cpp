#include "ui/dialogs/ShiftNotesDialogModel.h"

#include "ui/dialogs/FieldValues.h"

#include <algorithm>
#include <cstdlib>

namespace bm::dialogs {

std::vector<std::string> ShiftNotesDialogModel::BuiltInTexts()
{
    return {"Shift Notes", "OK", "Cancel", "Help", "Shift by (semitones):", "Step:", "Repeat every:"};
}

ShiftNotesDialogModel::ShiftNotesDialogModel(const ShiftNotesValues& values, std::vector<std::string> texts)
    : m_texts(std::move(texts))
{
    m_texts.resize(TextCount);
    m_fields = {std::to_string(values.shift), std::to_string(values.second), std::to_string(values.third)};
}

void ShiftNotesDialogModel::Edit(Field field, std::string text) { m_fields[field] = std::move(text); }

void ShiftNotesDialogModel::Spin(Field field, int direction)
{
    const int32_t limit = field == Shift ? 100 : 10;
    const int64_t value = int64_t(ReadInteger(m_fields[field])) + (direction > 0 ? 1 : -1);
    m_fields[field] = std::to_string(std::clamp<int64_t>(value, -limit, limit));
}

bool ShiftNotesDialogModel::OkEnabled() const
{
    const ShiftNotesValues v = Result();
    auto magnitude = [](int32_t x) { return std::abs(int64_t(x)); };
    return magnitude(v.shift) <= 60 && v.second != 0 && magnitude(v.second) <= 5 && v.third != 0 &&
           magnitude(v.third) <= 5;
}

ShiftNotesValues ShiftNotesDialogModel::Result() const
{
    return {ReadInteger(m_fields[Shift]), ReadInteger(m_fields[Second]), ReadInteger(m_fields[Third])};
}

} // namespace bm::dialogs
