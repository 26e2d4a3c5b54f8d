// The small flows that the main window's commands run through the dialog
// set, with the scripted stand-ins.

#include "ui/dialogs/RecordFlow.h"
#include "ui/dialogs/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

TEST(RecordFlowTest, ATakeIsNamedInTheSaveDialogWithTheKindChosenWhileRecording)
{
    ScriptedDialogs scripted;
    DialogSet set = scripted.Take();
    scripted.record->answers.push_back(RecordResult{2, "/t/rec_0000.wav", 88200});
    SampleResult named;
    named.outcome = SampleOutcome::Ok;
    named.path = "/u/take.wav";
    scripted.sample->answers.push_back(named);
    SampleRequest proposal;
    proposal.path = "/u/new.wav";
    proposal.restrictKinds = true;
    const auto saved = RecordNewSample(set, RecordRequest{}, proposal);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->take.recordingPath, "/t/rec_0000.wav");
    EXPECT_EQ(saved->sample.path, "/u/take.wav");
    ASSERT_EQ(scripted.sample->asked.size(), 1u);
    const SampleRequest& asked = scripted.sample->asked[0];
    EXPECT_EQ(asked.mode, SampleDialogMode::SaveRecording);
    EXPECT_EQ(asked.kindIndex, 2);
    EXPECT_EQ(asked.length, 88200);
    EXPECT_FALSE(asked.restrictKinds);
    EXPECT_EQ(asked.path, "/u/new.wav");

    // Cancelled in either dialog: nothing.
    EXPECT_FALSE(RecordNewSample(set, RecordRequest{}, proposal).has_value());
    scripted.record->answers.push_back(RecordResult{});
    EXPECT_FALSE(RecordNewSample(set, RecordRequest{}, proposal).has_value());
    EXPECT_EQ(scripted.sample->asked.size(), 2u);
}

TEST(ReplaceRequestTest, ShowsTheLocalFileThatWouldBeReplaced)
{
    PackageSample sample;
    sample.texts.first = "Bass 1";
    sample.texts.second = "deep";
    sample.texts.path = "C:/theirs/bass1.wav";
    const ReplaceRequest r = MakeReplaceRequest(sample, "/u/bass1.wav");
    EXPECT_EQ(r.firstText, "Bass 1");
    EXPECT_EQ(r.secondText, "deep");
    EXPECT_EQ(r.path, "/u/bass1.wav");
    EXPECT_EQ(MakeReplaceRequest(sample, "").path, "C:/theirs/bass1.wav");
}

TEST(TempoDefaultsTest, OnlyTheBoxMakesTheTempoTheDefault)
{
    int32_t s = 20352;
    int32_t b = 8;
    StoreTempoDefaults({22048, 16, 2, false, false}, s, b);
    EXPECT_EQ(s, 20352);
    StoreTempoDefaults({22048, 16, 2, false, true}, s, b);
    EXPECT_EQ(s, 22048);
    EXPECT_EQ(b, 16);
}

} // namespace
} // namespace bm::dialogs
