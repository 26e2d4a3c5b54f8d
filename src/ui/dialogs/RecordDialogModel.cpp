#include "ui/dialogs/RecordDialogModel.h"

#include "engine/RecordingReadings.h"
#include "ui/dialogs/FieldValues.h"

#include <algorithm>
#include <cstdio>

namespace bm::dialogs {

namespace {

constexpr const char* kRecordingFileName = "rec_0000.wav";

int Bar(int32_t tenths) { return std::clamp(tenths + engine::kMeterRangeTenths, 0, engine::kMeterRangeTenths); }

} // namespace

std::vector<std::string> RecordDialogModel::BuiltInTexts()
{
    return {"Record",
            "Monitor",
            "DC adjust",
            "Save",
            "Cancel",
            "Help",
            "Input level:",
            "Peak (dB):",
            "DC offset:",
            "Recorded:",
            "Time left:",
            "The new sample is a:",
            "Plain sample (not stretched)",
            "Loop: drums and percussion",
            "Loop: bass",
            "Loop: other instruments"};
}

RecordDialogModel::RecordDialogModel(const RecordRequest& request, std::vector<std::string> texts,
                                     engine::EngineClient& engine, const RecordingReadout& readout)
    : m_request(request), m_texts(std::move(texts)), m_engine(engine), m_readout(readout)
{
    m_texts.resize(TextCount);
    m_recordedText = ClockText(0, 0, 0, 0);
    m_timeLeftText = ClockText(0, 0, 0, 0);
    m_offsetText = {"0", "0"};
}

std::vector<std::string> RecordDialogModel::ListEntries() const
{
    return {m_texts[ListEntry0], m_texts[ListEntry1], m_texts[ListEntry2], m_texts[ListEntry3]};
}

std::string RecordDialogModel::ClockText(int64_t hours, int32_t minutes, int32_t seconds, int32_t milliseconds)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld:%02d:%02d.%03d", static_cast<long long>(hours), minutes, seconds,
                  milliseconds);
    return buffer;
}

std::string RecordDialogModel::RecordingPath() const { return m_request.temporaryFolder + kRecordingFileName; }

void RecordDialogModel::Open()
{
    m_meter = {0, 0};
    m_peakHold = {-1000, -1000};
    m_peakMark = {0, 0};
    m_offset = {0, 0};
    m_monitor = true;
    SetDcAdjust(false);
    m_open = true;
    m_engine.Post(engine::StartRecording{});
    Tick();
}

void RecordDialogModel::Tick()
{
    const std::array<int32_t, 2> peaks = {m_readout.InputLeft(), m_readout.InputRight()};
    for (size_t c = 0; c < 2; ++c) {
        const int32_t level = m_monitor && m_state < 2 ? engine::InputLevelTenths(peaks[c], m_offset[c])
                                                       : engine::kSilenceLevelTenths;
        if (level > m_peakHold[c]) {
            m_peakHold[c] = level;
            m_peakText[c] = engine::LevelText(level);
        }
        m_meter[c] = Bar(level);
        m_peakMark[c] = Bar(m_peakHold[c]);
    }
    const uint32_t bytes = m_readout.RecordedBytes();
    if (bytes != m_shownBytes) {
        m_shownBytes = bytes;
        const engine::ClockTime t = engine::RecordedTime(bytes);
        m_recordedText = ClockText(t.hours, t.minutes, t.seconds, t.milliseconds);
    }
    const double free = m_readout.FreeSpace();
    if (free != m_shownFreeSpace) {
        m_shownFreeSpace = free;
        const engine::ClockTime t = engine::RecordingTimeLeft(free);
        m_timeLeftText = ClockText(t.hours, t.minutes, t.seconds, t.milliseconds);
    }
}

void RecordDialogModel::ToggleRecord()
{
    if (!RecordEnabled())
        return;
    if (m_recording) {
        m_engine.Post(engine::CloseRecordingFile{});
        m_recording = false;
        m_takeExists = true;
    } else {
        m_engine.Post(engine::OpenRecordingFile{});
        m_recording = true;
    }
}

void RecordDialogModel::Play()
{
    if (PlayEnabled() && m_request.play)
        m_request.play();
}

void RecordDialogModel::Listen()
{
    if (!ListenEnabled())
        return;
    engine::Preview preview;
    preview.volume = m_request.masterVolume;
    preview.reverse = 0;
    preview.entries.push_back({RecordingPath(), int32_t(m_shownBytes / 4), m_request.target});
    m_engine.Post(engine::Stop{});
    m_engine.Post(std::move(preview));
}

void RecordDialogModel::SetDcAdjust(bool on)
{
    m_dcAdjust = on;
    if (on)
        m_offset = {m_readout.InputLeft(), m_readout.InputRight()};
    else
        m_offset = {0, 0};
    m_offsetText = {std::to_string(m_offset[0]), std::to_string(m_offset[1])};
}

void RecordDialogModel::EditOffset(int channel, std::string text)
{
    if (!m_dcAdjust || channel < 0 || channel > 1)
        return;
    m_offset[size_t(channel)] = ReadInteger(text);
    m_offsetText[size_t(channel)] = std::move(text);
}

void RecordDialogModel::SelectListEntry(int index)
{
    if (ListEnabled())
        m_listEntry = std::clamp(index, 0, 3);
}

void RecordDialogModel::Notify(RecordTrouble trouble)
{
    m_state = std::max(m_state, int(trouble));
    // Without an input the take cannot go on; its file keeps what came.
    if (m_state >= 2 && m_recording) {
        m_engine.Post(engine::CloseRecordingFile{});
        m_recording = false;
        m_takeExists = true;
    }
}

void RecordDialogModel::Close()
{
    if (!m_open)
        return;
    if (m_recording) {
        m_engine.Post(engine::CloseRecordingFile{});
        m_recording = false;
        m_takeExists = true;
    }
    m_engine.Post(engine::EndRecording{});
    m_open = false;
}

RecordDialogModel::RecordIcon RecordDialogModel::RecordButtonIcon() const
{
    return m_recording && m_state < 2 ? RecordIcon::Stop : RecordIcon::Record;
}

bool RecordDialogModel::RecordEnabled() const { return m_state < 2; }
bool RecordDialogModel::PlayEnabled() const { return m_request.songHasMeasures && m_state != 1; }
bool RecordDialogModel::ListenEnabled() const { return m_takeExists && !m_recording && m_state < 1; }
bool RecordDialogModel::SaveEnabled() const { return m_takeExists && !m_recording; }
bool RecordDialogModel::ListEnabled() const { return !m_recording; }

RecordResult RecordDialogModel::Result() const { return {m_listEntry, RecordingPath(), int32_t(m_shownBytes / 4)}; }

} // namespace bm::dialogs
