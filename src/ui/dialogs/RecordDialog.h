#pragma once

// The record dialog (command 1247): monitors the sound input, records a
// take into the temporary folder's "rec_0000.wav", plays the song or the
// take, and on Save hands the take on to the save-recorded-sample dialog.
// While it runs, the main window passes the engine's transport failures on
// through Notify().

#include "library/SampleLibrary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace bm::dialogs {

// The values the engine publishes while its input runs (EngineWorker's
// InputLeft ... FreeSpace). Read on the dialog's timer without a lock.
class RecordingReadout {
public:
    virtual ~RecordingReadout() = default;
    virtual int32_t InputLeft() const = 0;
    virtual int32_t InputRight() const = 0;
    virtual uint32_t RecordedBytes() const = 0;
    virtual double FreeSpace() const = 0;
};

struct RecordRequest {
    int32_t masterVolume = 0;
    std::string temporaryFolder;  // ends with '/'
    SampleRef target;             // the library entry the take is recorded for
    bool songHasMeasures = false; // the play button has something to play
    // Runs the main window's play command (1224).
    std::function<void()> play;
};

struct RecordResult {
    // The kind chosen in the dialog's list (0 ... 3), which the sample
    // dialog starts with.
    int32_t kindIndex = 0;
    std::string recordingPath;
    int32_t recordedFrames = 0; // the take's length as last shown
    bool operator==(const RecordResult&) const = default;
};

// Raised by the main window when the engine reports a failed start: 1 the
// output could not be opened, 2 the input could not be opened.
enum class RecordTrouble { Output = 1, Input = 2 };

class RecordDialog {
public:
    virtual ~RecordDialog() = default;
    // Nothing when cancelled or closed without a take to save.
    virtual std::optional<RecordResult> Run(const RecordRequest& request) = 0;
    virtual void Notify(RecordTrouble trouble) = 0;
};

} // namespace bm::dialogs
