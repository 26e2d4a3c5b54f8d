#pragma once

// The program's own dialogs as the main window's commands use them: each
// takes what the command gives it and returns what the person chose, or
// nothing when they cancelled. The Qt dialogs implement this; tests answer
// with scripted results.

#include "engine/EngineCommand.h"
#include "library/SampleLibrary.h"
#include "song/TempoChange.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bm::ui {

struct TempoRequest {
    int32_t samplesPerMeasure = 0;
    int32_t measuresPerBar = 0;
};
struct TempoResult {
    TempoChange change;
    bool saveAsDefault = false;
};

enum class MeasurePlace : int32_t { Start = 0, End = 1, Cursor = 2 };
struct MeasureRequest {
    bool insert = true;
    int32_t samplesPerMeasure = 0;
    int32_t measuresPerBar = 0;
    int32_t cursor = 0;
    int32_t measures = 0;
    int32_t toEnd = 0;           // measures from the cursor to the end (removing)
    int32_t maxMeasures = 1500;  // the count's limit in measures
    int32_t maxBars = 32;        // and in bars
};
struct MeasureResult {
    MeasurePlace place = MeasurePlace::End;
    int32_t count = 0;
};

struct ExportRequest {
    std::string proposedPath;
    int64_t songFrames = 0;
    int64_t regionFrames = 0;
    bool anyRegionOn = false;
};
struct ExportResult {
    std::string path;
    // The dialog's four option values: the format choice, fade in, fade out,
    // and the level in ten-thousandths of full scale.
    int32_t optionValue = 0;
    int32_t fadeIn = 0;
    int32_t fadeOut = 0;
    int32_t level = 10000;
    bool regionsOnly = false;
};

struct ShiftResult {
    int32_t semitones = 0;
    int32_t second = 0;
    int32_t third = 0;
};

// The sample dialog's modes.
enum class SampleDialogMode : int32_t { Properties = 0, SampleFile = 1, Remove = 2, Pitch = 3, SaveRecording = 4 };
struct SampleDialogRequest {
    SampleDialogMode mode = SampleDialogMode::Properties;
    SampleRef place;
    SampleDescriptor descriptor;
    std::string proposedPath; // pitch mode: the proposed file name
    bool restrictKinds = false;
};
struct SampleDialogResult {
    SampleDescriptor descriptor;
    std::string path;       // pitch mode: the chosen file
    int32_t semitones = 0;  // pitch mode
    bool skip = false;      // sample file mode: the person skipped this file
};

class CommandDialogs {
public:
    virtual ~CommandDialogs() = default;
    virtual std::optional<TempoResult> Tempo(const TempoRequest& request) = 0;
    virtual std::optional<MeasureResult> Measures(const MeasureRequest& request) = 0;
    virtual std::optional<ExportResult> Export(const ExportRequest& request) = 0;
    // Runs the export job on the engine while the progress dialog is up;
    // true when it finished.
    virtual bool ExportProgress(const engine::ExportJob& job) = 0;
    // True when the person pressed OK (the dialog wrote the options).
    virtual bool Options() = 0;
    virtual std::optional<ShiftResult> ShiftNotes() = 0;
    // The library dialogs; a cancelled dialog gives nothing (with `skip`
    // set in the sample file mode when the person skipped the file).
    virtual std::optional<SampleDialogResult> Sample(const SampleDialogRequest& request, bool* skipped) = 0;
    // Records into the entry's place; true when a take was kept.
    virtual bool Record(const SampleRef& place) = 0;
};

} // namespace bm::ui
