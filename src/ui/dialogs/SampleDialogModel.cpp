#include "ui/dialogs/SampleDialogModel.h"

#include "ui/dialogs/FieldValues.h"
#include "ui/dialogs/TempoSteps.h"
#include "ui/dialogs/TextFormat.h"

#include "core/Paths.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>

namespace bm::dialogs {

namespace {

// The note names in the order they are matched, so that a sharp is found
// before its natural, with their indexes from C = 0.
struct NoteName {
    const char* name;
    int index;
};
constexpr NoteName kMatchOrder[] = {{"B", 11}, {"A#", 10}, {"A", 9}, {"G#", 8}, {"G", 7},  {"F#", 6},
                                    {"F", 5},  {"E", 4},   {"D#", 3}, {"D", 2},  {"C#", 1}, {"C", 0}};
constexpr const char* kNoteOfIndex[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// Pitches beyond this are not musical and only risk overflow.
constexpr double kMaxPitch = 1000.0;
constexpr int64_t kMaxOctaveShift = 100;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

bool IsWholeDouble(double v) { return std::floor(v) == v; }

} // namespace

std::string_view SampleDialogModel::TextList(SampleDialogMode mode)
{
    switch (mode) {
    case SampleDialogMode::Remove: return "file_remove.res";
    case SampleDialogMode::PitchCopy: return "save_pitch.res";
    case SampleDialogMode::SaveRecording: return "save_record.res";
    default: return "file_properties.res";
    }
}

services::HelpPage SampleDialogModel::HelpPageOf(SampleDialogMode mode)
{
    switch (mode) {
    case SampleDialogMode::Remove: return services::HelpPage::RemoveSample;
    case SampleDialogMode::PitchCopy: return services::HelpPage::SaveSampleCopy;
    case SampleDialogMode::SaveRecording: return services::HelpPage::SaveRecordedSample;
    default: return services::HelpPage::FileProperties;
    }
}

std::vector<std::string> SampleDialogModel::BuiltInTexts(SampleDialogMode mode)
{
    std::vector<std::string> texts = {"Sample properties", "File:", "Name:", "Key:", "Description:", "Kind:",
                                      "Tempo (BPM):", "Length (samples):", "OK",
                                      "Fixed length (never stretched)", "Plain sample (not stretched)",
                                      "Loop: drums and percussion", "Loop: bass", "Loop: other instruments",
                                      "Cancel", "Skip"};
    switch (mode) {
    case SampleDialogMode::Remove:
        texts[Caption] = "Remove Sample";
        texts[OkButton] = "Remove";
        break;
    case SampleDialogMode::PitchCopy:
        texts[Caption] = "Save Pitched Copy";
        texts[OkButton] = "Save";
        texts[ExtraText] = "Pitch (semitones):";
        break;
    case SampleDialogMode::SaveRecording:
        texts[Caption] = "Save Recorded Sample";
        texts[OkButton] = "Save";
        break;
    default:
        break;
    }
    return texts;
}

SampleDialogModel::SampleDialogModel(const SampleRequest& request, std::vector<std::string> texts)
    : m_request(request), m_texts(std::move(texts))
{
    m_texts.resize(TextCount);
    m_fields[Path] = request.path;
    m_fields[Name] = request.name;
    m_fields[Key] = request.key;
    m_fields[Fourth] = request.fourth;
    const bool pitchMode = request.mode == SampleDialogMode::PitchCopy;
    const std::vector<std::string> all(m_texts.begin() + Kind0, m_texts.begin() + Kind4 + 1);
    if (!request.restrictKinds) {
        m_kindNames.assign(all.begin() + 1, all.end());
        m_kind = std::clamp(request.kindIndex, 0, 3);
        m_kindEnabled = true;
    } else if (pitchMode) {
        m_kindNames.assign(all.begin(), all.begin() + 2);
        m_kind = 0;
        m_kindEnabled = true;
    } else {
        m_kindNames = all;
        m_kind = 0;
        m_kindEnabled = false;
    }
    if (request.mode == SampleDialogMode::Remove)
        m_kindEnabled = false;
    m_lengthText = std::to_string(request.length);
    if (request.length > 0 && !pitchMode) {
        const int32_t tempo = 10584000 / request.length;
        m_tempoText = std::to_string(tempo);
        m_tempoSlider = TempoStepNotAbove(tempo);
    }
    if (pitchMode)
        EditPitch("0");
}

std::string SampleDialogModel::CancelText() const
{
    return m_request.mode == SampleDialogMode::PitchCopy ? kCancelText : m_texts[ExtraText];
}

bool SampleDialogModel::TextsEditable() const
{
    return m_request.mode != SampleDialogMode::ReadOnlyProperties && m_request.mode != SampleDialogMode::Remove;
}

bool SampleDialogModel::BrowseEnabled() const { return TextsEditable(); }

bool SampleDialogModel::TempoControlsEnabled() const
{
    return m_request.mode != SampleDialogMode::Remove && m_kind != 0;
}

void SampleDialogModel::Edit(Field field, std::string text)
{
    if (TextsEditable())
        m_fields[field] = std::move(text);
}

void SampleDialogModel::SelectKind(int index)
{
    if (!m_kindEnabled)
        return;
    m_kind = std::clamp(index, 0, int(m_kindNames.size()) - 1);
    if (PitchShown())
        PitchChanged(); // the plural ending follows the kind
}

void SampleDialogModel::MoveTempoSlider(int position)
{
    if (!TempoControlsEnabled())
        return;
    m_tempoSlider = std::clamp(position, 0, int(kTempoSteps.size()) - 1);
    EditTempo(std::to_string(kTempoSteps[size_t(m_tempoSlider)]));
}

void SampleDialogModel::EditTempo(std::string text)
{
    m_tempoText = std::move(text);
    m_lengthText = std::to_string(MeasureLengthForTempo(ReadInteger(m_tempoText)));
}

void SampleDialogModel::EditLength(std::string text) { m_lengthText = std::move(text); }

bool SampleDialogModel::OkEnabled() const
{
    const bool texts = !m_fields[Path].empty() && !m_fields[Name].empty();
    if (m_kind == 0)
        return texts;
    if (m_request.mode == SampleDialogMode::PitchCopy || m_request.restrictKinds ||
        m_request.mode == SampleDialogMode::Remove)
        return texts;
    const int32_t length = ReadInteger(m_lengthText);
    return texts && length >= kMinLength && length <= kMaxLength;
}

std::string SampleDialogModel::PluralEnding() const
{
    return ((m_kind != 0) != m_request.restrictKinds) ? "s" : "";
}

void SampleDialogModel::EditPitch(std::string text)
{
    m_pitchText = std::move(text);
    PitchChanged();
}

void SampleDialogModel::PitchChanged()
{
    const double pitch = ReadReal(m_pitchText);
    const std::string plural = PluralEnding();
    m_fields[Path] = FormatText(m_request.path, {m_pitchText, plural, ""});
    std::string suffix;
    if (pitch == 0.0)
        suffix = std::string("(copy") + ")";
    else if (!IsWholeDouble(pitch))
        suffix = "(" + m_pitchText + plural + ")";
    m_fields[Name] = FormatText(m_request.name, {suffix});
    m_fields[Key] = TransposeKey(m_request.key, pitch);
    m_fields[Fourth] = FormatText(m_request.fourth, {m_pitchText});
}

std::string SampleDialogModel::TransposeKey(std::string_view key, double pitch)
{
    const NoteName* match = nullptr;
    for (const NoteName& note : kMatchOrder) {
        const std::string_view name = note.name;
        if (key.size() >= name.size() && EqualsIgnoreCase(key.substr(0, name.size()), name)) {
            match = &note;
            break;
        }
    }
    if (!match)
        return std::string(key);
    const std::string_view name = match->name;
    const int k = match->index;
    const bool lower = key.substr(0, name.size()) != name;
    std::string_view rest = key.substr(name.size());
    const bool minor = !rest.empty() && rest[0] == 'm';
    if (minor)
        rest.remove_prefix(1);
    if (lower && minor)
        return std::string(key);
    const bool whole = IsWholeNumber(rest) && Trim(rest).size() == rest.size();
    const int64_t u = whole ? std::clamp<int64_t>(ReadInteger(rest), -kMaxOctaveShift, kMaxOctaveShift) : 0;
    const bool transposed = (whole && u != 0) || (lower && rest == "0") || (!lower && rest.empty());
    if (!transposed)
        return std::string(key);

    const double p = std::clamp(pitch, -kMaxPitch, kMaxPitch);
    const int64_t n = k + int64_t(std::floor(p + 12000.5)) + 12 * u;
    std::string out = kNoteOfIndex[FloorMod(n, 12)];
    if (lower)
        out = ToLowerAscii(out);
    if (minor)
        out += 'm';
    if (lower) {
        // Lower-case keys always carry their octave, so they can be
        // transposed again.
        out += std::to_string(FloorDiv(n, 12) - 1000);
    } else {
        const int64_t octave = FloorDiv(n + 3, 12) - (k > 8 ? 1 : 0) - 1000;
        if (octave > 0)
            out += "+" + std::to_string(octave);
        else if (octave < 0)
            out += std::to_string(octave);
    }
    return out;
}

bool SampleDialogModel::Browse(platform::Dialogs& dialogs, const MessageTexts& messages)
{
    if (!BrowseEnabled())
        return false;
    const std::string filter = messages.knownFiles + "|*.wav;*.mp3;*.ncp|" + messages.allFiles + "|*.*||";
    std::string folder;
    std::string name;
    const std::string current = m_fields[Path].empty() ? std::string() : MakeAbsolute(NormaliseSeparators(m_fields[Path]));
    if (!current.empty()) {
        folder = FolderPart(current);
        name = FileNamePart(current);
    }
    // A chooser cannot start in a folder that is not there; it then starts
    // where it likes, with no name.
    if (!folder.empty() && !FolderExists(folder)) {
        folder.clear();
        name.clear();
    }
    std::string chosen;
    const bool saving =
        m_request.mode == SampleDialogMode::PitchCopy || m_request.mode == SampleDialogMode::SaveRecording;
    if (saving) {
        platform::SaveFileRequest request;
        request.filter = filter;
        request.defaultExtension = "wav";
        request.initialFolder = folder;
        request.initialName = name;
        request.overwritePrompt = false; // OK asks before a file is replaced
        if (!dialogs.SaveFile(request, chosen) || chosen.empty())
            return false;
    } else {
        platform::OpenFileRequest request;
        request.filter = filter;
        request.defaultExtension = "wav";
        request.initialFolder = folder;
        request.initialName = name;
        std::vector<std::string> files;
        if (!dialogs.OpenFiles(request, files) || files.empty())
            return false;
        chosen = files.front();
    }
    m_fields[Path] = chosen;
    return true;
}

bool SampleDialogModel::Accept(platform::Dialogs& dialogs, const MessageTexts& messages)
{
    if (!OkEnabled())
        return false;
    const bool saving =
        m_request.mode == SampleDialogMode::PitchCopy || m_request.mode == SampleDialogMode::SaveRecording;
    if (saving && FileExists(NormaliseSeparators(m_fields[Path]))) {
        platform::MessageRequest question;
        question.text = messages.overwritePrompt;
        question.caption = messages.messageCaption;
        question.buttons = platform::MessageButtons::YesNo;
        question.icon = platform::MessageIcon::Question;
        question.defaultButton = 1;
        if (dialogs.ShowMessage(question) != platform::MessageAnswer::Yes)
            return false;
    }
    return true;
}

bool SampleDialogModel::Skip()
{
    if (m_request.skipLength) {
        EditLength(std::to_string(*m_request.skipLength));
        return false;
    }
    return true;
}

SampleResult SampleDialogModel::Result(SampleOutcome outcome) const
{
    SampleResult result;
    result.outcome = outcome;
    result.path = m_fields[Path];
    result.name = m_fields[Name];
    result.key = m_fields[Key];
    result.fourth = m_fields[Fourth];
    result.kindIndex = m_kind;
    result.length = ReadInteger(m_lengthText);
    result.pitch = PitchShown() ? std::clamp(ReadReal(m_pitchText), -kMaxPitch, kMaxPitch) : 0.0;
    return result;
}

} // namespace bm::dialogs
