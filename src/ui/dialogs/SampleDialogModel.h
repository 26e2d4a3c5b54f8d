#pragma once

// The sample dialog without its window: the four texts with the browse
// button, the kind list, the tempo slider and field that suggest a length,
// the length itself, and in the pitched-copy mode the pitch field whose
// every change rebuilds the path, name, key and further text.

#include "platform/Dialogs.h"
#include "ui/dialogs/DialogTexts.h"
#include "ui/dialogs/SampleDialog.h"
#include "ui/services/HelpPages.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class SampleDialogModel {
public:
    enum Text {
        Caption, PathLabel, NameLabel, KeyLabel, FourthLabel, KindLabel, TempoLabel, LengthLabel, OkButton,
        Kind0, Kind1, Kind2, Kind3, Kind4, ExtraText, SkipButton, TextCount
    };
    enum Field { Path, Name, Key, Fourth };
    static constexpr int32_t kMinLength = 26432;
    static constexpr int32_t kMaxLength = 1058368;
    static constexpr const char* kCancelText = "Cancel";

    static std::string_view TextList(SampleDialogMode mode);
    static services::HelpPage HelpPageOf(SampleDialogMode mode);
    static std::vector<std::string> BuiltInTexts(SampleDialogMode mode);

    SampleDialogModel(const SampleRequest& request, std::vector<std::string> texts);

    const std::string& TextOf(Text which) const { return m_texts[which]; }
    SampleDialogMode Mode() const { return m_request.mode; }
    services::HelpPage HelpPage() const { return HelpPageOf(m_request.mode); }
    // The Cancel button's text (the extra text of every mode but the
    // pitched copy, where it labels the pitch field).
    std::string CancelText() const;
    bool PitchShown() const { return m_request.mode == SampleDialogMode::PitchCopy; }
    bool SkipShown() const { return m_request.offerSkip; }

    void Edit(Field field, std::string text);
    void SelectKind(int index);
    void MoveTempoSlider(int position);
    void EditTempo(std::string text);
    void EditLength(std::string text);
    void EditPitch(std::string text);

    const std::string& FieldText(Field field) const { return m_fields[field]; }
    bool TextsEditable() const;
    bool BrowseEnabled() const;
    const std::vector<std::string>& KindNames() const { return m_kindNames; }
    int KindIndex() const { return m_kind; }
    bool KindEnabled() const { return m_kindEnabled; }
    bool TempoControlsEnabled() const;
    int TempoSlider() const { return m_tempoSlider; }
    const std::string& TempoText() const { return m_tempoText; }
    const std::string& LengthText() const { return m_lengthText; }
    const std::string& PitchText() const { return m_pitchText; }
    bool OkEnabled() const;

    // The file chooser of "...": an open-file chooser in the properties and
    // remove modes, a save-file chooser for copies and recordings.
    bool Browse(platform::Dialogs& dialogs, const MessageTexts& messages);
    // OK: in the copy and recording modes an existing file must be
    // confirmed first. True when the dialog closes.
    bool Accept(platform::Dialogs& dialogs, const MessageTexts& messages);
    // Skip: true when the dialog ends as skipped; with a skip length it
    // only sets the length.
    bool Skip();

    SampleResult Result(SampleOutcome outcome) const;

    // The key text pitched by `pitch` semitones: "A#m" + 2 gives "Cm", "C" +
    // 12 gives "C+1", a lower-case "c0" + 12 gives "c1". Keys that name no
    // note, lower-case minor keys and keys whose octave part is not a plain
    // number stay as they are.
    static std::string TransposeKey(std::string_view key, double pitch);

private:
    void LengthChanged();
    void PitchChanged();
    std::string PluralEnding() const;

    SampleRequest m_request;
    std::vector<std::string> m_texts;
    std::string m_fields[4];
    std::vector<std::string> m_kindNames;
    int m_kind = 0;
    bool m_kindEnabled = true;
    int m_tempoSlider = 0;
    std::string m_tempoText;
    std::string m_lengthText;
    std::string m_pitchText;
};

} // namespace bm::dialogs
