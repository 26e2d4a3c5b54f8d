#include "ui/dialogs/TempoDialogModel.h"

#include "ui/dialogs/FieldValues.h"
#include "ui/dialogs/TempoSteps.h"

#include <algorithm>

namespace bm::dialogs {

namespace {

constexpr int32_t kMinSteps = 8;
constexpr int32_t kMaxSteps = 128;
constexpr int32_t kMinUnitLength = 512;
constexpr int32_t kMaxUnitLength = 65536;

int CellsSliderFor(int32_t steps)
{
    if (steps < 16)
        return 0;
    if (steps < 32)
        return 1;
    if (steps < 64)
        return 2;
    if (steps < 128)
        return 3;
    return 4;
}

} // namespace

std::vector<std::string> TempoDialogModel::BuiltInTexts()
{
    return {"Tempo and Measures", "OK", "Cancel", "Help", "Tempo (beats per minute):", "Cells per beat:",
            "Measure length (samples):", "Scale the song by:"};
}

TempoDialogModel::TempoDialogModel(const TempoRequest& request, std::vector<std::string> texts)
    : m_texts(std::move(texts)),
      m_unitLength(request.samplesPerMeasure),
      m_steps(request.measuresPerBar),
      m_startProduct(int64_t(request.samplesPerMeasure) * request.measuresPerBar),
      m_allowChange(request.allowChange)
{
    m_texts.resize(TextCount);
    const int64_t product = m_startProduct;
    const int64_t tempo = product > 0 ? 21168000 / product : 0;
    m_tempoSlider = TempoStepNotAbove(product > 0 ? 2 * (10584000 / product) : 0);
    m_cellsSlider = CellsSliderFor(m_steps);
    m_factorIndex = 2;
    m_factorText = kFactorNames[2];
    m_cellsText = std::to_string(m_steps / 8);
    m_tempoText = std::to_string(tempo);
    m_lengthText = std::to_string(product / 2);
    LengthChanged();
}

void TempoDialogModel::MoveTempoSlider(int position)
{
    m_tempoSlider = std::clamp(position, 0, int(kTempoSteps.size()) - 1);
    EditTempo(std::to_string(kTempoSteps[size_t(m_tempoSlider)]));
}

void TempoDialogModel::MoveCellsSlider(int position)
{
    m_cellsSlider = std::clamp(position, 0, int(kCellsPerBeat.size()) - 1);
    EditCells(std::to_string(kCellsPerBeat[size_t(m_cellsSlider)]));
}

void TempoDialogModel::MoveFactorSlider(int position)
{
    m_factorIndex = std::clamp(position, 0, int(kFactorNames.size()) - 1);
    m_factorText = kFactorNames[size_t(m_factorIndex)];
}

void TempoDialogModel::EditTempo(std::string text)
{
    m_tempoText = std::move(text);
    TempoOrCellsChanged();
}

void TempoDialogModel::EditCells(std::string text)
{
    m_cellsText = std::move(text);
    TempoOrCellsChanged();
}

void TempoDialogModel::EditLength(std::string text)
{
    m_lengthText = std::move(text);
    LengthChanged();
}

void TempoDialogModel::SetLeaveData(bool checked)
{
    m_leaveData = checked;
    UpdateEnabling();
}

void TempoDialogModel::SetSetDefault(bool checked) { m_setDefault = checked; }

void TempoDialogModel::TempoOrCellsChanged()
{
    // Saturate instead of overflowing on an absurd cell count.
    m_steps = int32_t(std::clamp<int64_t>(int64_t(8) * ReadInteger(m_cellsText), INT32_MIN, INT32_MAX));
    m_lengthText = std::to_string(MeasureLengthForTempo(ReadInteger(m_tempoText)));
    LengthChanged();
}

void TempoDialogModel::LengthChanged()
{
    const int64_t length = ReadInteger(m_lengthText);
    if (m_steps >= kMinSteps && m_steps <= kMaxSteps)
        m_unitLength = int32_t(std::clamp<int64_t>(2 * length / m_steps, INT32_MIN, INT32_MAX));
    else
        m_unitLength = 0;
    UpdateEnabling();
}

void TempoDialogModel::UpdateEnabling()
{
    m_okEnabled = m_steps >= kMinSteps && m_steps <= kMaxSteps && m_unitLength >= kMinUnitLength &&
                  m_unitLength <= kMaxUnitLength;
    m_leaveDataEnabled = m_allowChange && int64_t(m_unitLength) * m_steps != m_startProduct;
    m_factorEnabled = m_allowChange && (!m_leaveDataEnabled || !m_leaveData);
}

TempoResult TempoDialogModel::Result() const
{
    return {m_unitLength, m_steps, m_factorIndex, m_leaveData, m_setDefault};
}

} // namespace bm::dialogs
