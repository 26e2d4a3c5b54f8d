#include "ui/dialogs/MeasureDialogModel.h"

#include "ui/dialogs/FieldValues.h"
#include "ui/dialogs/TextFormat.h"
#include "ui/skin/TextList.h"

#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bm::dialogs {

namespace {

constexpr int64_t kSamplesPerMinute = 2646000;
constexpr int64_t kSamplesPerSecond = 44100;
constexpr int64_t kSamplesPerHundredth = 441;

int64_t ToCount(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int64_t(std::clamp(value, -2147483648.0, 2147483647.0));
}

} // namespace

std::vector<std::string> MeasureDialogModel::BuiltInTexts(MeasureMode mode)
{
    const bool insert = mode == MeasureMode::Insert;
    return {insert ? "Insert Measures" : "Remove Measures",
            insert ? "Insert" : "Remove",
            "Cancel",
            "Help",
            insert ? "Measures to insert:" : "Measures to remove:",
            insert ? "Insert them:" : "Remove them:",
            "bars",
            "Enter from one cell up to %.4f bars.",
            "cells",
            "Enter from 1 up to %d cells.",
            "time",
            "Enter a time up to %s.\\nOne cell lasts %s.",
            insert ? "at the start of the song" : "from the start of the song",
            insert ? "at the end of the song" : "from the end of the song",
            insert ? "at the cursor" : "from the cursor on",
            insert ? "%d cells (%.4f bars, %s)\\nwill be inserted %s." : "%d cells (%.4f bars, %s)\\nwill be removed %s."};
}

std::string_view MeasureDialogModel::TextList(MeasureMode mode)
{
    return mode == MeasureMode::Insert ? kInsertTextList : kRemoveTextList;
}

MeasureDialogModel::MeasureDialogModel(const MeasureRequest& request, std::vector<std::string> texts)
    : m_request(request), m_texts(std::move(texts))
{
    m_texts.resize(TextCount);
    m_positionEnabled = request.askPosition;
    m_position = request.askPosition ? int(MeasurePosition::Cursor) : int(MeasurePosition::SongStart);
    m_unit = Bars;
    m_countText = Display(request.initial, m_unit);
    Update();
}

std::vector<std::string> MeasureDialogModel::UnitNames() const
{
    return {m_texts[BarsName], m_texts[MeasuresName], m_texts[TimeName]};
}

std::vector<std::string> MeasureDialogModel::PositionNames() const
{
    return {m_texts[StartPosition], m_texts[EndPosition], m_texts[CursorPosition]};
}

std::string MeasureDialogModel::TimeText(int64_t samples)
{
    const int64_t minutes = samples / kSamplesPerMinute;
    const int64_t seconds = samples / kSamplesPerSecond % 60;
    const int64_t hundredths = samples / kSamplesPerHundredth % 6000 % 100;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld.%02lld", static_cast<long long>(minutes),
                  static_cast<long long>(seconds), static_cast<long long>(hundredths));
    return buffer;
}

int64_t MeasureDialogModel::ParseTime(std::string_view text, int32_t stepLength)
{
    if (stepLength <= 0)
        return 0;
    text = Trim(text);
    double minutes = 0;
    if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
        minutes = ReadInteger(text.substr(0, colon));
        text = text.substr(colon + 1);
    }
    const size_t point = text.find('.');
    const double seconds = ReadInteger(text.substr(0, point));
    const double fraction = point == std::string_view::npos ? 0.0 : ReadReal(text.substr(point));
    return ToCount((minutes * 60 + seconds + fraction + 0.01) * double(kSamplesPerSecond) / stepLength);
}

std::string MeasureDialogModel::Display(int64_t count, int unit) const
{
    switch (unit) {
    case Bars: {
        const double bars =
            m_request.unitsPerTwoMeasures > 0 ? double(count) / m_request.unitsPerTwoMeasures * 2 : 0.0;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.4f", bars);
        return buffer;
    }
    case Time:
        return TimeText(count * m_request.stepLength);
    default:
        return std::to_string(count);
    }
}

int64_t MeasureDialogModel::Parse(std::string_view text, int unit) const
{
    switch (unit) {
    case Bars:
        return ToCount(ReadReal(text) * m_request.unitsPerTwoMeasures * 0.5);
    case Time:
        return ParseTime(text, m_request.stepLength);
    default:
        return ReadInteger(text);
    }
}

int64_t MeasureDialogModel::Count() const { return Parse(m_countText, m_unit); }

void MeasureDialogModel::SelectUnit(int unit)
{
    unit = std::clamp(unit, 0, 2);
    if (unit == m_unit)
        return;
    const int64_t count = Count();
    m_unit = unit;
    m_countText = Display(count, m_unit);
    Update();
}

void MeasureDialogModel::EditCount(std::string text)
{
    m_countText = std::move(text);
    Update();
}

void MeasureDialogModel::SpinUp() { Step(1); }
void MeasureDialogModel::SpinDown() { Step(-1); }

void MeasureDialogModel::Step(int delta)
{
    const int64_t count = std::clamp<int64_t>(Count() + delta, 1, std::max<int32_t>(1, m_request.maximum));
    m_countText = Display(count, m_unit);
    Update();
}

void MeasureDialogModel::SelectPosition(int position)
{
    if (!m_positionEnabled)
        return;
    m_position = std::clamp(position, 0, 2);
    Update();
}

void MeasureDialogModel::Update()
{
    const int64_t count = Count();
    const int32_t maximum = m_request.maximum;
    if (count <= 0 || count > maximum) {
        m_okEnabled = false;
        const std::string& format = m_texts[BarsMessage + 2 * m_unit];
        switch (m_unit) {
        case Bars:
            m_summary = FormatText(ExpandLineBreaks(format),
                                   {m_request.unitsPerTwoMeasures > 0
                                        ? double(maximum) / m_request.unitsPerTwoMeasures * 2
                                        : 0.0});
            break;
        case Time:
            m_summary = FormatText(ExpandLineBreaks(format), {TimeText(int64_t(maximum) * m_request.stepLength),
                                                              TimeText(m_request.stepLength)});
            break;
        default:
            m_summary = FormatText(ExpandLineBreaks(format), {int64_t(maximum)});
            break;
        }
        return;
    }
    m_okEnabled = true;
    const double bars = m_request.unitsPerTwoMeasures > 0 ? double(count) / m_request.unitsPerTwoMeasures * 2 : 0.0;
    m_summary = FormatText(ExpandLineBreaks(m_texts[Summary]),
                           {count, bars, TimeText(count * m_request.stepLength), m_texts[StartPosition + m_position]});
}

MeasureResult MeasureDialogModel::Result() const
{
    return {int32_t(std::clamp<int64_t>(Count(), 0, INT32_MAX)), static_cast<MeasurePosition>(m_position)};
}

} // namespace bm::dialogs
