#pragma once

// The tempo dialog without its window: three sliders (tempo steps, cells per
// beat, scale factor), three fields (tempo, cells, measure length), the two
// option boxes and the rules that link them. The view shows what the model
// holds and forwards every change; it never computes.
//
//     TempoDialogModel model({20352, 8, true}, LoadDialogTexts(archive, TempoDialogModel::kTextList,
//                                                             TempoDialogModel::BuiltInTexts()));
//     model.EditTempo("120");        // length field shows 88192
//     if (model.OkEnabled()) result = model.Result();

#include "ui/dialogs/TempoDialog.h"
#include "ui/services/HelpPages.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class TempoDialogModel {
public:
    static constexpr std::string_view kTextList = "BPM_Select.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::BpmSelect;
    // The texts of the list, in its order.
    enum Text { Caption, OkButton, CancelButton, HelpButton, TempoLabel, CellsLabel, LengthLabel, FactorLabel, TextCount };
    static std::vector<std::string> BuiltInTexts();

    static constexpr std::array<int32_t, 5> kCellsPerBeat = {1, 2, 4, 8, 16};
    static constexpr std::array<const char*, 5> kFactorNames = {"1/4", "1/2", "1", "2", "4"};
    // The option boxes' own texts.
    static constexpr const char* kLeaveDataText = "Leave the Data as is";
    static constexpr const char* kSetDefaultText = "Set as Default";

    TempoDialogModel(const TempoRequest& request, std::vector<std::string> texts);

    const std::string& TextOf(Text which) const { return m_texts[which]; }

    void MoveTempoSlider(int position);
    void MoveCellsSlider(int position);
    void MoveFactorSlider(int position);
    void EditTempo(std::string text);
    void EditCells(std::string text);
    void EditLength(std::string text);
    void SetLeaveData(bool checked);
    void SetSetDefault(bool checked);

    int TempoSlider() const { return m_tempoSlider; }
    int CellsSlider() const { return m_cellsSlider; }
    int FactorSlider() const { return m_factorIndex; }
    const std::string& TempoText() const { return m_tempoText; }
    const std::string& CellsText() const { return m_cellsText; }
    const std::string& LengthText() const { return m_lengthText; }
    const std::string& FactorText() const { return m_factorText; }
    bool LeaveData() const { return m_leaveData; }
    bool SetDefault() const { return m_setDefault; }

    bool OkEnabled() const { return m_okEnabled; }
    bool LeaveDataEnabled() const { return m_leaveDataEnabled; }
    bool FactorEnabled() const { return m_factorEnabled; }

    // The cell step length and steps per bar the fields give now.
    int32_t UnitLength() const { return m_unitLength; }
    int32_t Steps() const { return m_steps; }

    TempoResult Result() const;

private:
    void TempoOrCellsChanged();
    void LengthChanged();
    void UpdateEnabling();

    std::vector<std::string> m_texts;
    int32_t m_unitLength = 0;
    int32_t m_steps = 0;
    int64_t m_startProduct = 0;
    bool m_allowChange = false;
    int m_tempoSlider = 0;
    int m_cellsSlider = 0;
    int m_factorIndex = 2;
    std::string m_tempoText;
    std::string m_cellsText;
    std::string m_lengthText;
    std::string m_factorText;
    bool m_leaveData = false;
    bool m_setDefault = false;
    bool m_okEnabled = false;
    bool m_leaveDataEnabled = false;
    bool m_factorEnabled = false;
};

} // namespace bm::dialogs
