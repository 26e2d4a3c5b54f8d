#include "ui/dialogs/RecordFlow.h"

namespace bm::dialogs {

std::optional<RecordedSample> RecordNewSample(DialogSet& dialogs, const RecordRequest& record, SampleRequest proposal)
{
    std::optional<RecordResult> take = dialogs.record->Run(record);
    if (!take)
        return std::nullopt;
    proposal.mode = SampleDialogMode::SaveRecording;
    proposal.kindIndex = take->kindIndex;
    proposal.length = take->recordedFrames;
    proposal.restrictKinds = false;
    SampleResult sample = dialogs.sample->Run(proposal);
    if (sample.outcome != SampleOutcome::Ok)
        return std::nullopt;
    return RecordedSample{*take, std::move(sample)};
}

} // namespace bm::dialogs
