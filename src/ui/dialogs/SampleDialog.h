#pragma once

// The sample dialog ("Sample properties") that every library action asking
// for a sample's data opens, in one of five modes.

#include <cstdint>
#include <optional>
#include <string>

namespace bm::dialogs {

enum class SampleDialogMode {
    Properties = 0,         // a file added to the library: everything editable
    ReadOnlyProperties = 1, // the texts read-only, no browsing
    Remove = 2,             // what is about to be removed: nothing but OK
    PitchCopy = 3,          // a pitched copy: the pitch fills the texts
    SaveRecording = 4,      // a recorded take to be saved
};

struct SampleRequest {
    SampleDialogMode mode = SampleDialogMode::Properties;
    // The path, the name, the key and the further text. In the pitched-copy
    // mode the path, name and further text are formats whose "%s" places
    // the pitch fills, and the key is the source's key.
    std::string path;
    std::string name;
    std::string key;
    std::string fourth;
    int32_t kindIndex = 0;  // clamped to 0 ... 3
    int32_t length = 0;     // samples
    bool restrictKinds = false;
    // The Skip button is offered; with a skip length it sets the length
    // instead of skipping the file.
    bool offerSkip = false;
    std::optional<int32_t> skipLength;
};

enum class SampleOutcome { Ok, Cancelled, Skipped };

struct SampleResult {
    SampleOutcome outcome = SampleOutcome::Cancelled;
    std::string path;
    std::string name;
    std::string key;
    std::string fourth;
    int32_t kindIndex = 0;
    int32_t length = 0;
    double pitch = 0.0; // semitones, pitched-copy mode
    bool operator==(const SampleResult&) const = default;
};

class SampleDialog {
public:
    virtual ~SampleDialog() = default;
    virtual SampleResult Run(const SampleRequest& request) = 0;
};

} // namespace bm::dialogs
