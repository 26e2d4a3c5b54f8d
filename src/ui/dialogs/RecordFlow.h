#pragma once

// Recording a new sample into a library entry (command 1247): the record
// dialog, and when it saves a take, the save-recorded-sample dialog that
// names it. The caller then copies the take to the chosen path and fills
// the entry.
//
//     SampleRequest proposal;          // path, texts of the new sample
//     if (auto saved = RecordNewSample(dialogs, recordRequest, proposal))
//         CopyFile(saved->take.recordingPath, saved->sample.path) ...

#include "ui/dialogs/DialogSet.h"

#include <optional>

namespace bm::dialogs {

struct RecordedSample {
    RecordResult take;
    SampleResult sample; // outcome Ok
};

// Nothing when the record dialog was cancelled or the sample dialog was
// not confirmed.
std::optional<RecordedSample> RecordNewSample(DialogSet& dialogs, const RecordRequest& record, SampleRequest proposal);

} // namespace bm::dialogs
