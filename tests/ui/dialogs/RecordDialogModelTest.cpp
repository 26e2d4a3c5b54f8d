#include "ui/dialogs/RecordDialogModel.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

using M = RecordDialogModel;

class ScriptedReadout : public RecordingReadout {
public:
    int32_t InputLeft() const override { return left; }
    int32_t InputRight() const override { return right; }
    uint32_t RecordedBytes() const override { return bytes; }
    double FreeSpace() const override { return free; }
    int32_t left = 0;
    int32_t right = 0;
    uint32_t bytes = 0;
    double free = 0;
};

struct Fixture {
    engine::RecordingEngineClient engine;
    ScriptedReadout readout;
    int played = 0;
    RecordRequest request;
    std::unique_ptr<M> model;

    explicit Fixture(bool songHasMeasures = true)
    {
        request.masterVolume = 0x808080;
        request.temporaryFolder = "/tmp/bm/";
        request.target = SampleRef::Make(2, 0, 1, 0, 0, 3);
        request.songHasMeasures = songHasMeasures;
        request.play = [this] { ++played; };
        model = std::make_unique<M>(request, M::BuiltInTexts(), engine, readout);
    }
    std::vector<engine::CommandCode> Codes() const
    {
        std::vector<engine::CommandCode> codes;
        for (const auto& c : engine.posted)
            codes.push_back(engine::CodeOf(c));
        return codes;
    }
};

using engine::CommandCode;

TEST(RecordDialogModelTest, OpeningStartsMonitoringWithEmptyMeters)
{
    Fixture f;
    f.model->Open();
    EXPECT_EQ(f.Codes(), (std::vector{CommandCode::StartRecording}));
    EXPECT_TRUE(f.model->Monitor());
    EXPECT_FALSE(f.model->DcAdjust());
    EXPECT_FALSE(f.model->OffsetsEnabled());
    EXPECT_EQ(f.model->Meter(0), 0);
    EXPECT_EQ(f.model->PeakHold(0), -900); // silence is held as -90 dB
    EXPECT_EQ(f.model->RecordedText(), "0:00:00.000");
    EXPECT_EQ(f.model->RecordButtonIcon(), M::RecordIcon::Record);
    EXPECT_TRUE(f.model->RecordEnabled());
    EXPECT_TRUE(f.model->PlayEnabled());
    EXPECT_FALSE(f.model->ListenEnabled());
    EXPECT_FALSE(f.model->SaveEnabled());
    EXPECT_EQ(f.model->ListEntries().size(), 4u);
}

TEST(RecordDialogModelTest, LevelsPeaksAndClip)
{
    Fixture f;
    f.model->Open();
    // Silence leaves the meter empty and the peak text as it was.
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 0);
    EXPECT_EQ(f.model->PeakText(0), "-90.0");
    f.readout.left = 3276; // -20.0 dB
    f.readout.right = -32767;
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 700);
    EXPECT_EQ(f.model->PeakText(0), "-20.0");
    EXPECT_EQ(f.model->Meter(1), 900);
    EXPECT_EQ(f.model->PeakText(1), "clip");
    // The meters fall with the input; the peak marks stay.
    f.readout.left = 0;
    f.readout.right = 0;
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 0);
    EXPECT_EQ(f.model->PeakMark(0), 700);
    EXPECT_EQ(f.model->PeakMark(1), 900);
    EXPECT_EQ(f.model->PeakText(1), "clip");
    // Without monitoring nothing is measured.
    f.model->SetMonitor(false);
    f.readout.left = 32767;
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 0);
    EXPECT_EQ(f.model->PeakText(0), "-20.0");
}

TEST(RecordDialogModelTest, DcAdjustMeasuresAgainstThePresentInput)
{
    Fixture f;
    f.model->Open();
    f.readout.left = 200;
    f.readout.right = -100;
    f.model->SetDcAdjust(true);
    EXPECT_TRUE(f.model->OffsetsEnabled());
    EXPECT_EQ(f.model->OffsetText(0), "200");
    EXPECT_EQ(f.model->OffsetText(1), "-100");
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 0); // the input equals its offset
    f.readout.left = 200 + 32767;     // full scale away from the offset
    f.model->Tick();
    EXPECT_EQ(f.model->PeakText(0), "clip");
    f.model->EditOffset(1, "5");
    f.model->SetDcAdjust(false);
    EXPECT_EQ(f.model->OffsetText(1), "0");
    EXPECT_FALSE(f.model->OffsetsEnabled());
}

TEST(RecordDialogModelTest, TimesFollowThePublishedCounts)
{
    Fixture f;
    f.model->Open();
    f.readout.bytes = 176400;
    f.readout.free = 176400.0 * 3723.5; // 1 h 2 min 3.5 s
    f.model->Tick();
    EXPECT_EQ(f.model->RecordedText(), "0:00:01.000");
    EXPECT_EQ(f.model->TimeLeftText(), "1:02:03.500");
    f.readout.bytes = 635040000u + 10584000u * 2 + 176400u * 3 + 88200u;
    f.model->Tick();
    EXPECT_EQ(f.model->RecordedText(), "1:02:03.500");
}

TEST(RecordDialogModelTest, RecordingATakeAndTheButtons)
{
    Fixture f;
    f.model->Open();
    f.model->ToggleRecord();
    EXPECT_TRUE(f.model->Recording());
    EXPECT_EQ(f.model->RecordButtonIcon(), M::RecordIcon::Stop);
    EXPECT_FALSE(f.model->ListenEnabled());
    EXPECT_FALSE(f.model->SaveEnabled());
    EXPECT_FALSE(f.model->ListEnabled());
    EXPECT_TRUE(f.model->PlayEnabled()); // the song may play along
    f.model->Play();
    EXPECT_EQ(f.played, 1);
    f.model->ToggleRecord();
    EXPECT_FALSE(f.model->Recording());
    EXPECT_TRUE(f.model->TakeExists());
    EXPECT_TRUE(f.model->ListenEnabled());
    EXPECT_TRUE(f.model->SaveEnabled());
    f.readout.bytes = 4000;
    f.model->Tick();
    f.model->Listen();
    f.model->SelectListEntry(2);
    f.model->Close();
    EXPECT_EQ(f.Codes(), (std::vector{CommandCode::StartRecording, CommandCode::OpenRecordingFile,
                                      CommandCode::CloseRecordingFile, CommandCode::Stop, CommandCode::Preview,
                                      CommandCode::EndRecording}));
    const auto& preview = std::get<engine::Preview>(f.engine.posted[4]);
    EXPECT_EQ(preview.volume, 0x808080);
    ASSERT_EQ(preview.entries.size(), 1u);
    EXPECT_EQ(preview.entries[0].path, "/tmp/bm/rec_0000.wav");
    EXPECT_EQ(preview.entries[0].length, 1000);
    EXPECT_EQ(preview.entries[0].ref, f.request.target);
    EXPECT_EQ(f.model->Result(), (RecordResult{2, "/tmp/bm/rec_0000.wav", 1000}));
}

TEST(RecordDialogModelTest, ClosingWhileRecordingEndsTheTakeFirst)
{
    Fixture f;
    f.model->Open();
    f.model->ToggleRecord();
    f.model->Close();
    f.model->Close();
    EXPECT_EQ(f.Codes(), (std::vector{CommandCode::StartRecording, CommandCode::OpenRecordingFile,
                                      CommandCode::CloseRecordingFile, CommandCode::EndRecording}));
}

TEST(RecordDialogModelTest, DeviceTroubleDisablesWhatCannotWork)
{
    Fixture noSong(false);
    noSong.model->Open();
    EXPECT_FALSE(noSong.model->PlayEnabled());

    Fixture f;
    f.model->Open();
    f.model->ToggleRecord();
    f.model->ToggleRecord();
    f.model->Notify(RecordTrouble::Output);
    EXPECT_FALSE(f.model->PlayEnabled());
    EXPECT_FALSE(f.model->ListenEnabled());
    EXPECT_TRUE(f.model->RecordEnabled());
    f.model->ToggleRecord();
    f.model->Notify(RecordTrouble::Input);
    EXPECT_EQ(f.model->State(), 2);
    EXPECT_FALSE(f.model->Recording()); // the take ended with the input
    EXPECT_FALSE(f.model->RecordEnabled());
    EXPECT_EQ(f.model->RecordButtonIcon(), M::RecordIcon::Record);
    EXPECT_TRUE(f.model->SaveEnabled());
    // The state never falls back.
    f.model->Notify(RecordTrouble::Output);
    EXPECT_EQ(f.model->State(), 2);
    f.readout.left = 32767;
    f.model->Tick();
    EXPECT_EQ(f.model->Meter(0), 0);
}

} // namespace
} // namespace bm::dialogs
