#pragma once

// The record dialog without its window. Opening starts the input's
// monitoring; every 100 ms Tick() reads the engine's published values into
// two level meters (tenths of a decibel, peak held), the recorded time and
// the recording time left. The record button starts and stops writing the
// take; the buttons follow the state:
//
//   record  enabled unless the input failed; shows the stop icon while recording
//   play    (the song) enabled while the song has measures and the output did not fail
//   listen  (the take) enabled while a take exists, nothing records and the output did not fail
//   save    enabled while a take exists and nothing records
//   list    (the kind of the new sample) enabled while nothing records

#include "engine/EngineCommand.h"
#include "ui/dialogs/RecordDialog.h"
#include "ui/services/HelpPages.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class RecordDialogModel {
public:
    static constexpr std::string_view kTextList = "Record.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::Record;
    static constexpr int kTickMs = 100;
    enum Text {
        Caption, MonitorBox, DcAdjustBox, SaveButton, CancelButton, HelpButton, LevelLabel, PeakLabel, OffsetLabel,
        RecordedLabel, TimeLeftLabel, KindLabel, ListEntry0, ListEntry1, ListEntry2, ListEntry3, TextCount
    };
    static std::vector<std::string> BuiltInTexts();
    enum class RecordIcon { Record, Stop };

    RecordDialogModel(const RecordRequest& request, std::vector<std::string> texts, engine::EngineClient& engine,
                      const RecordingReadout& readout);

    const std::string& TextOf(Text which) const { return m_texts[which]; }
    std::vector<std::string> ListEntries() const;

    // Starts monitoring and runs the first tick.
    void Open();
    void Tick();
    void ToggleRecord();
    void Play();
    // Plays the take as a preview.
    void Listen();
    void SetMonitor(bool on) { m_monitor = on; }
    void SetDcAdjust(bool on);
    void EditOffset(int channel, std::string text);
    void SelectListEntry(int index);
    void Notify(RecordTrouble trouble);
    // Ends a running take and the input, for Save and Cancel alike.
    void Close();

    bool Monitor() const { return m_monitor; }
    bool DcAdjust() const { return m_dcAdjust; }
    int State() const { return m_state; }
    bool Recording() const { return m_recording; }
    bool TakeExists() const { return m_takeExists; }
    int Meter(int channel) const { return m_meter[size_t(channel)]; }
    int PeakMark(int channel) const { return m_peakMark[size_t(channel)]; }
    int32_t PeakHold(int channel) const { return m_peakHold[size_t(channel)]; }
    const std::string& PeakText(int channel) const { return m_peakText[size_t(channel)]; }
    const std::string& OffsetText(int channel) const { return m_offsetText[size_t(channel)]; }
    bool OffsetsEnabled() const { return m_dcAdjust; }
    const std::string& RecordedText() const { return m_recordedText; }
    const std::string& TimeLeftText() const { return m_timeLeftText; }
    int ListEntry() const { return m_listEntry; }

    RecordIcon RecordButtonIcon() const;
    bool RecordEnabled() const;
    bool PlayEnabled() const;
    bool ListenEnabled() const;
    bool SaveEnabled() const;
    bool ListEnabled() const;

    std::string RecordingPath() const;
    RecordResult Result() const;

    // "h:mm:ss.mmm".
    static std::string ClockText(int64_t hours, int32_t minutes, int32_t seconds, int32_t milliseconds);

private:
    RecordRequest m_request;
    std::vector<std::string> m_texts;
    engine::EngineClient& m_engine;
    const RecordingReadout& m_readout;
    int m_state = 0;
    bool m_recording = false;
    bool m_takeExists = false;
    bool m_monitor = true;
    bool m_dcAdjust = false;
    std::array<int32_t, 2> m_offset{};
    std::array<int32_t, 2> m_peakHold{-1000, -1000};
    std::array<int, 2> m_meter{};
    std::array<int, 2> m_peakMark{};
    std::array<std::string, 2> m_peakText;
    std::array<std::string, 2> m_offsetText;
    uint32_t m_shownBytes = 0;
    double m_shownFreeSpace = -1.0;
    std::string m_recordedText;
    std::string m_timeLeftText;
    int m_listEntry = 0;
    bool m_open = false;
};

} // namespace bm::dialogs
