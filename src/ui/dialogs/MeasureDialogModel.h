#pragma once

// The insert/remove measure dialog without its window. The count is shown
// and typed in one of three units: bars (two of them hold
// `unitsPerTwoMeasures` counted measures, shown with four decimals), the
// counted measures themselves, or the time they last ("mm:ss.hh"). The
// summary line says what OK will do, or, for a count out of range, the
// unit's message with the limits.

#include "ui/dialogs/MeasureDialog.h"
#include "ui/services/HelpPages.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class MeasureDialogModel {
public:
    static constexpr std::string_view kInsertTextList = "Insert_Measure.res";
    static constexpr std::string_view kRemoveTextList = "Remove_Measure.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::InsertMeasure;
    enum Text {
        Caption, OkButton, CancelButton, HelpButton, CountLabel, PositionLabel,
        BarsName, BarsMessage, MeasuresName, MeasuresMessage, TimeName, TimeMessage,
        StartPosition, EndPosition, CursorPosition, Summary, TextCount
    };
    enum Unit { Bars = 0, Measures = 1, Time = 2 };
    static std::vector<std::string> BuiltInTexts(MeasureMode mode);
    static std::string_view TextList(MeasureMode mode);

    MeasureDialogModel(const MeasureRequest& request, std::vector<std::string> texts);

    const std::string& TextOf(Text which) const { return m_texts[which]; }
    std::vector<std::string> UnitNames() const;
    std::vector<std::string> PositionNames() const;

    void SelectUnit(int unit);
    void EditCount(std::string text);
    // The spin arrows: one counted measure more or less, kept within
    // 1 ... maximum, shown in the current unit.
    void SpinUp();
    void SpinDown();
    void SelectPosition(int position);

    int UnitIndex() const { return m_unit; }
    const std::string& CountText() const { return m_countText; }
    const std::string& SummaryText() const { return m_summary; }
    bool OkEnabled() const { return m_okEnabled; }
    int PositionIndex() const { return m_position; }
    bool PositionEnabled() const { return m_positionEnabled; }
    int32_t Maximum() const { return m_request.maximum; }

    // The count the field holds in the current unit.
    int64_t Count() const;
    MeasureResult Result() const;

    // Shows `count` in `unit`, and reads a field back.
    std::string Display(int64_t count, int unit) const;
    int64_t Parse(std::string_view text, int unit) const;

    // "mm:ss.hh" of a number of samples at 44 100 per second.
    static std::string TimeText(int64_t samples);
    // Counted measures of `stepLength` samples in a time text.
    static int64_t ParseTime(std::string_view text, int32_t stepLength);

private:
    void Step(int delta);
    void Update();

    MeasureRequest m_request;
    std::vector<std::string> m_texts;
    int m_unit = Bars;
    std::string m_countText;
    std::string m_summary;
    bool m_okEnabled = false;
    int m_position = 0;
    bool m_positionEnabled = false;
};

} // namespace bm::dialogs
