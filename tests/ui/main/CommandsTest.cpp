#include "ControllerFixture.h"

#include "platform/WindowEvent.h"
#include "engine/EngineWorker.h"
#include "song/MeasureEditing.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/skin/ResourceArchive.h"

#include <filesystem>

namespace bm::ui::test {
namespace {

using engine::CommandCode;
using platform::MessageAnswer;
namespace msg = platform::msg;

TEST(DocumentIdentityTest, TitleShowsTheChangeMarkFromTheFirstEditOn)
{
    DocumentState doc;
    EXPECT_EQ(SetDocumentName(doc, "", "Brickmelody"), "Brickmelody");
    EXPECT_EQ(SetDocumentName(doc, "/songs/tune.ncp", "Brickmelody"), "Brickmelody - [tune.ncp]");
    EXPECT_TRUE(MarkChanged(doc));
    EXPECT_EQ(WindowTitle(doc, "Brickmelody"), "Brickmelody - [tune.ncp *]");
    EXPECT_FALSE(MarkChanged(doc)) << "later edits leave the title alone";
    EXPECT_EQ(SetDocumentName(doc, "", "Brickmelody"), "Brickmelody");
    EXPECT_TRUE(doc.song.path.empty());
    EXPECT_TRUE(doc.fileTitle.empty());
}

class CommandsTest : public ControllerTest {
protected:
    // Runs command 1154 with the dialogs answering OK.
    void NewSong()
    {
        if (S().Measures() > 0 && !S().doc.song.unchanged)
            dialogs.answers.push_back(MessageAnswer::No);
        scripted.tempo->answers.push_back(dialogs::TempoResult{20352, 8, 2, false, false});
        scripted.measures->answers.push_back(dialogs::MeasureResult{8, dialogs::MeasurePosition::SongEnd});
        ASSERT_EQ(C().OnCommand(cmd::kNewSong), 1);
        Deliver(msg::kSwapSizeSet, 1, 1);
    }
};

TEST_F(CommandsTest, NewSongsAreNumberedOnFromTheUntitledCounter)
{
    NewSong();
    NewSong();
    NewSong();
    EXPECT_EQ(S().doc.fileTitle, "Untitled-3.ncp");
    EXPECT_EQ(view.title, "Brickmelody - [Untitled-3.ncp]");
    EXPECT_EQ(S().Measures(), 8);
    EXPECT_FALSE(S().doc.named) << "saving asks for a name";
}

TEST_F(CommandsTest, NewSongCancelledInTheMeasureDialogBringsTheOldSongBack)
{
    NewSong();
    Place(1, 1, 1, 0, 0);
    scripted.tempo->answers.push_back(dialogs::TempoResult{20352, 8, 2, false, false});
    scripted.measures->answers.push_back(std::nullopt);
    dialogs.answers.push_back(MessageAnswer::No); // do not save the changes
    S().doc.song.unchanged = false;
    EXPECT_EQ(C().OnCommand(cmd::kNewSong), 0);
    EXPECT_EQ(S().Measures(), 8);
    EXPECT_FALSE(S().doc.song.measures[1].slots[1].IsEmpty());
}

TEST_F(CommandsTest, InsertingMeasuresWaitsForTheSwapFileAnswer)
{
    scripted.measures->answers.push_back(dialogs::MeasureResult{4, dialogs::MeasurePosition::SongEnd});
    Posted();
    ASSERT_EQ(C().OnCommand(cmd::kInsertMeasures), 1);
    const auto posted = Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(engine::CodeOf(posted[0]), CommandCode::Stop);
    const auto& size = std::get<engine::SetSwapSize>(posted[1]);
    EXPECT_EQ(size.bytes, 4 * 20352 * 4);
    EXPECT_EQ(size.reply, 1);
    EXPECT_EQ(S().Measures(), 0) << "nothing before the engine's answer";
    Deliver(msg::kSwapSizeSet, 1, 1);
    EXPECT_EQ(S().Measures(), 4);
    const auto codes = PostedCodes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), CommandCode::InsertMeasures);
    EXPECT_EQ(S().doc.fileTitle, "Untitled-1.ncp") << "a song without a path is named";

    // A failed answer shows the swap file error and inserts nothing.
    ASSERT_EQ(C().OnCommand(cmd::kAppendFour), 1);
    dialogs.answers.push_back(MessageAnswer::Ok);
    Deliver(msg::kSwapSizeSet, 0, 1);
    EXPECT_EQ(S().Measures(), 4);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(CommandsTest, ZoomStopsAtBothEnds)
{
    GiveMeasures(100);
    for (int i = 0; i < 10; ++i)
        C().OnCommand(cmd::kZoomIn);
    EXPECT_EQ(S().view.measureWidth, 18);
    for (int i = 0; i < 10; ++i)
        C().OnCommand(cmd::kZoomOut);
    EXPECT_EQ(S().view.measureWidth, 1);
    C().OnCommand(cmd::kZoomIn);
    EXPECT_EQ(S().view.measureWidth, 2);
}

TEST_F(CommandsTest, SavingToAPackageNameWritesAPackageAndLeavesTheDocumentUnnamed)
{
    GiveMeasures(4);
    Place(0, 0, 1, 0, 0);
    const std::string package = dir / "Tune.WCP";
    dialogs.saveAnswers.push_back(package);
    EXPECT_EQ(C().OnCommand(cmd::kSave), 0);
    EXPECT_TRUE(std::filesystem::exists(package));
    EXPECT_FALSE(S().doc.named);
    EXPECT_EQ(dialogs.saves.at(0).filter, "Songs|*.ncp|Packages|*.wcp|All files|*.*||");

    const std::string song = dir / "Tune.ncp";
    dialogs.saveAnswers.push_back(song);
    EXPECT_EQ(C().OnCommand(cmd::kSave), 1);
    EXPECT_TRUE(S().doc.named);
    EXPECT_TRUE(std::filesystem::exists(song));
    EXPECT_EQ(S().doc.fileTitle, "Tune.ncp");
    // Saved: later saves write without asking.
    EXPECT_EQ(C().OnCommand(cmd::kSave), 1);
    EXPECT_EQ(dialogs.saves.size(), 2u);
}

TEST_F(CommandsTest, AFailedSaveSaysSoAndAsksForAnotherName)
{
    GiveMeasures(2);
    dialogs.saveAnswers.push_back(dir / "missing-folder/x.ncp");
    dialogs.saveAnswers.push_back(""); // cancelled
    EXPECT_EQ(C().OnCommand(cmd::kSave), 0);
    ASSERT_EQ(view.status.size(), 1u);
    EXPECT_EQ(view.status[0], "Could not save " + dir.Path() + "missing-folder/x.ncp.");
    EXPECT_FALSE(S().doc.named);
}

TEST_F(CommandsTest, OpeningAFileThatCannotBeReadKeepsTheSong)
{
    GiveMeasures(3);
    Place(1, 2, 1, 0, 0);
    C().SetDocumentName(dir / "mine.ncp");
    S().doc.named = true;
    const std::string bad = dir / "bad.ncp";
    ASSERT_TRUE(bm::test::WriteFile(bad, "%VER 9.9\r\n"));
    dialogs.openAnswers.push_back({bad});
    EXPECT_EQ(C().OnCommand(cmd::kOpen), 0);
    EXPECT_EQ(S().Measures(), 3);
    EXPECT_FALSE(S().doc.song.measures[1].slots[2].IsEmpty());
    EXPECT_EQ(S().doc.fileTitle, "mine.ncp");
    EXPECT_EQ(view.status.size(), 1u);
    EXPECT_EQ(S().view.dragState, kDragAfterDialog) << "the release after the dialog is ignored";
}

TEST_F(CommandsTest, OpenAsksToSaveChangesFirst)
{
    GiveMeasures(2);
    S().doc.song.unchanged = false;
    dialogs.answers.push_back(MessageAnswer::Cancel);
    EXPECT_EQ(C().OnCommand(cmd::kOpen), 0);
    EXPECT_TRUE(dialogs.opens.empty());
    EXPECT_EQ(dialogs.messages.at(0).buttons, platform::MessageButtons::YesNoCancel);
}

TEST_F(CommandsTest, CloseNamesTheFileInItsQuestion)
{
    GiveMeasures(2);
    C().SetDocumentName(dir / "mine.ncp");
    S().doc.song.unchanged = false;
    dialogs.answers.push_back(MessageAnswer::No);
    EXPECT_EQ(C().OnCommand(cmd::kCloseSong), 1);
    EXPECT_EQ(dialogs.messages.at(0).text, "Save the changes to 'mine.ncp'?");
    EXPECT_EQ(S().Measures(), 0);
    EXPECT_EQ(view.title, "Brickmelody");
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kUndo)) << "close takes a snapshot";
}

TEST_F(CommandsTest, CutAndDeleteRespectTheSelectionAndEnvelopeEnds)
{
    GiveMeasures(4);
    Place(0, 0, 1, 0, 0);
    Posted();
    EXPECT_EQ(C().OnCommand(cmd::kCut), 0) << "nothing selected";
    EXPECT_TRUE(Posted().empty());

    S().view.envelopeShown[0] = true;
    Envelope& list = S().doc.song.envelopes[0][0];
    list.insert(list.begin() + 1, EnvelopePoint{100, 0, 1});
    for (EnvelopePoint& p : list)
        p.selected = 1;
    S().doc.song.measures[0].slots[0].selected = 1;
    EXPECT_EQ(C().OnCommand(cmd::kDelete), 1);
    ASSERT_EQ(list.size(), 2u) << "both ends stay";
    EXPECT_EQ(list[0].selected, 0);
    EXPECT_TRUE(S().doc.song.measures[0].slots[0].IsEmpty());
    const auto posted = Posted();
    ASSERT_EQ(posted.size(), 2u);
    const auto& del = std::get<engine::DeleteEnvelopePoint>(posted[0]);
    EXPECT_EQ(del.index, 1);
    EXPECT_EQ(engine::CodeOf(posted[1]), CommandCode::SetSlot);
    C().OnCommand(cmd::kUndo);
    EXPECT_FALSE(S().doc.song.measures[0].slots[0].IsEmpty()) << "undo brings the slot back";
}

TEST_F(CommandsTest, PlayStartsStopsAndRestartsFromTheCursor)
{
    GiveMeasures(8);
    S().view.cursorMeasure = 3;
    Posted();
    C().OnCommand(cmd::kPlayStop);
    auto posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(std::get<engine::PlaySong>(posted[0]).startMeasure, 3);
    // The play button while playing: stop, then play again.
    C().OnCommand(cmd::kPlayStop);
    C().OnCommand(cmd::kPlayStop);
    EXPECT_EQ(PostedCodes(), (std::vector<CommandCode>{CommandCode::Stop, CommandCode::PlaySong}));

    // With region play on, the song plays its regions.
    C().OnCommand(cmd::kPlayStop);
    S().doc.song.regions = {{1, 2, true}, {5, 6, true}};
    C().OnCommand(cmd::kRegionPlaySwitch);
    Posted();
    C().OnCommand(cmd::kPlayStop);
    posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    const auto& play = std::get<engine::PlaySongWithJumps>(posted[0]);
    EXPECT_EQ(play.startMeasure, 5);
    EXPECT_EQ(play.jumps, (std::vector<engine::JumpPair>{{6, 8}, {2, 5}}));
}

TEST_F(CommandsTest, RegionSwitchSendsTheJumpList)
{
    GiveMeasures(10);
    S().doc.song.regions = {{1, 2, true}, {5, 6, false}};
    Posted();
    C().OnCommand(cmd::kRegionPlaySwitch);
    auto posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    auto jumps = std::get<engine::SetJumps>(posted[0]);
    EXPECT_EQ(jumps.unused, 1);
    EXPECT_EQ(jumps.jumps, (std::vector<engine::JumpPair>{{2, 10}}));
    C().OnCommand(cmd::kRegionPlaySwitch);
    jumps = std::get<engine::SetJumps>(Posted().at(0));
    EXPECT_TRUE(jumps.jumps.empty());
    EXPECT_EQ(jumps.unused, 10);
}

TEST_F(CommandsTest, RegionEdgeStepsGoToTheNearestEdge)
{
    GiveMeasures(40);
    S().doc.song.regions = {{4, 7, true}, {12, 15, true}};
    S().view.cursorMeasure = 14;
    C().OnCommand(cmd::kPreviousRegionEdge);
    EXPECT_EQ(S().view.cursorMeasure, 12) << "inside a region: its start";
    C().OnCommand(cmd::kPreviousRegionEdge);
    EXPECT_EQ(S().view.cursorMeasure, 8) << "from its start: the previous region's end + 1";
    C().OnCommand(cmd::kPreviousRegionEdge);
    C().OnCommand(cmd::kPreviousRegionEdge);
    EXPECT_EQ(S().view.cursorMeasure, 0) << "four back, not below 0";
    C().OnCommand(cmd::kNextRegionEdge);
    EXPECT_EQ(S().view.cursorMeasure, 4);
    S().view.cursorMeasure = 16;
    C().OnCommand(cmd::kNextRegionEdge);
    EXPECT_EQ(S().view.cursorMeasure, 20) << "no edge after: four on";
}

TEST_F(CommandsTest, RegionsAreCreatedSwitchedJoinedAndRemoved)
{
    GiveMeasures(40);
    S().view.cursorMeasure = 2;
    ASSERT_EQ(C().OnCommand(cmd::kCreateRegion), 1);
    ASSERT_EQ(S().doc.song.regions.size(), 1u);
    EXPECT_EQ(S().doc.song.regions[0], (Region{2, 9, true})) << "one bar of 8 measures";
    EXPECT_EQ(C().OnCommand(cmd::kCreateRegion), 0) << "the cursor lies in a region";
    S().view.cursorMeasure = 10;
    C().OnCommand(cmd::kCreateRegion);
    EXPECT_EQ(S().doc.song.regions[1], (Region{10, 17, true}));
    S().view.currentRegion = 0;
    S().view.regionSide = RegionSide::Start;
    EXPECT_EQ(C().OnCommand(cmd::kJoinRegions), 0) << "nothing touches its start";
    S().view.regionSide = RegionSide::End;
    EXPECT_EQ(C().OnCommand(cmd::kJoinRegions), 1);
    ASSERT_EQ(S().doc.song.regions.size(), 1u);
    EXPECT_EQ(S().doc.song.regions[0], (Region{2, 17, true}));
    C().OnCommand(cmd::kRegionOnOff);
    EXPECT_FALSE(S().doc.song.regions[0].on);
    C().OnCommand(cmd::kRemoveRegion);
    EXPECT_TRUE(S().doc.song.regions.empty());
    EXPECT_EQ(S().view.currentRegion, -1);
}

TEST_F(CommandsTest, TempoStepsRetimeTheSongByOneBeatPerMinute)
{
    // 130 BPM at 20352 x 8; one step faster is 131 BPM.
    Posted();
    C().OnCommand(cmd::kTempoFaster);
    const auto posted = Posted();
    ASSERT_EQ(posted.size(), 2u) << "an empty song only takes the values";
    EXPECT_EQ(engine::CodeOf(posted[0]), CommandCode::Stop);
    const int32_t expected = ((8 * (21168000 / (8 * 131))) / 128 * 128) / 8;
    EXPECT_EQ(std::get<engine::SetTempo>(posted[1]).samplesPerMeasure, expected);
    EXPECT_EQ(S().doc.song.samplesPerMeasure, expected);

    GiveMeasures(16);
    Place(8, 0, 1, 0, 0);
    C().OnCommand(cmd::kTempoSlower);
    EXPECT_EQ(S().Measures(), 16);
    EXPECT_FALSE(S().doc.song.measures[8].slots[0].IsEmpty());
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kUndo));
}

TEST_F(CommandsTest, MeasureGridHalvesAndDoublesWithinLimits)
{
    C().OnCommand(cmd::kFinerMeasures);
    EXPECT_EQ(S().doc.song.measuresPerBar, 16);
    EXPECT_EQ(S().doc.song.samplesPerMeasure, 10176);
    S().doc.song.measuresPerBar = 1;
    EXPECT_EQ(C().OnCommand(cmd::kCoarserMeasures), 0) << "a bar of no measures is refused";
    EXPECT_EQ(S().doc.song.measuresPerBar, 1);
}

TEST_F(CommandsTest, ExportRunsTheChosenJobUnderTheProgressDialog)
{
    GiveMeasures(10);
    S().doc.song.regions = {{2, 3, true}};
    C().SetDocumentName(dir / "tune.ncp");
    dialogs::ExportChoice choice;
    choice.fileName = dir / "tune.wav";
    choice.fadeIn = true;
    choice.normalise = true;
    choice.level = 900;
    choice.regionsOnly = true;
    scripted.exportFile->answers.push_back(choice);
    scripted.exportProgress->answers.push_back(dialogs::ExportOutcome::Finished);
    EXPECT_EQ(C().OnCommand(cmd::kExport), 1);
    ASSERT_EQ(scripted.exportFile->asked.size(), 1u);
    EXPECT_EQ(scripted.exportFile->asked[0].proposedName, dir / "tune.wav");
    EXPECT_TRUE(scripted.exportFile->asked[0].regionsAvailable);
    ASSERT_EQ(scripted.exportProgress->asked.size(), 1u);
    const engine::ExportJob& job = scripted.exportProgress->asked[0];
    EXPECT_EQ(job.level, 900);
    EXPECT_EQ(job.firstMeasure, 2);
    EXPECT_EQ(job.count, 2);
    EXPECT_EQ(job.fadeIn, 1);
    // The engine's reports to the dialog reach it only while it runs.
    platform::Message report;
    report.number = msg::kExportProgress;
    report.receiver = 7;
    Deliver(msg::kExportProgress, 1, 500);
    C().OnEngineMessage(report);
    EXPECT_TRUE(scripted.exportProgress->delivered.empty());
}

TEST_F(CommandsTest, ExitWritesTheLastSongAndClosesAfterTheQuestion)
{
    GiveMeasures(2);
    S().doc.song.unchanged = false;
    dialogs.answers.push_back(MessageAnswer::Cancel);
    EXPECT_EQ(C().OnCommand(cmd::kExit), 0);
    EXPECT_FALSE(view.closing);
    EXPECT_TRUE(std::filesystem::exists(dir / "last.ncp")) << "written before the question";
    dialogs.answers.push_back(MessageAnswer::No);
    EXPECT_EQ(C().OnCommand(cmd::kExit), 1);
    EXPECT_TRUE(view.closing);
}

TEST_F(CommandsTest, KeysRunTheirCommandsInTableOrder)
{
    GiveMeasures(8);
    S().view.cursorMeasure = 4;
    EXPECT_EQ(C().OnKey(platform::vk::kLeft, 0, true), 1);
    EXPECT_EQ(S().view.cursorMeasure, 3);
    EXPECT_EQ(C().OnKey('Z', platform::mods::kCtrl | platform::mods::kAlt, false), 0);
    EXPECT_EQ(C().OnKey(platform::vk::kEscape, 0, false), 1);
    EXPECT_EQ(view.menus, std::vector<std::string>{"main_menu.res"});
}

TEST_F(CommandsTest, TimeFormatsAndTogglesAreKeptInTheOptions)
{
    C().OnCommand(cmd::kTimeFormat0 + 3);
    EXPECT_EQ(app.options.timeFormat, 3);
    C().OnCommand(cmd::kFollowFlag);
    EXPECT_EQ(app.options.followFlag, 0);
    EXPECT_EQ(S().view.followMode, FollowMode::Off);
    EXPECT_EQ(C().OnCommand(cmd::kSmoothFlag), 0) << "only while following";
}

TEST_F(CommandsTest, AnotherCopysSongWaitsWhileTheWindowIsBusy)
{
    GiveMeasures(2);
    const std::string other = dir / "other.ncp";
    Song song;
    InsertMeasures(song, 0, 5, nullptr);
    ASSERT_TRUE(SongWriter(S().doc.library, {}, dir.Path()).Write(song, other, SongWriteMode::Plain));
    {
        MainController::BusyScope busy(C());
        C().OpenFromOtherCopy(other);
        EXPECT_EQ(S().Measures(), 2) << "not under an open dialog";
    }
    EXPECT_EQ(S().Measures(), 5) << "opened when the dialog closed";
    EXPECT_EQ(S().doc.fileTitle, "other.ncp");
}

TEST_F(CommandsTest, EngineMessagesUpdateTheWindowUntilItCloses)
{
    Deliver(msg::kPlaybackStarted, 1, 0);
    EXPECT_EQ(S().view.transport, Transport::Playing);
    Deliver(msg::kPlaybackStopped, 1, engine::kDeviceFailed);
    EXPECT_EQ(S().view.transport, Transport::Stopped);
    EXPECT_EQ(view.status.size(), 1u);
    Deliver(msg::kWorkerState, 2, 0);
    Deliver(msg::kWorkerState, 2, 0);
    Deliver(msg::kWorkerState, 0, 2);
    EXPECT_EQ(S().view.renderings, 1);
    Deliver(msg::kSwapSwitched, 1, 0);
    EXPECT_EQ(S().view.swapPosition, 2);
    Deliver(msg::kSwapSwitched, 1, 5);
    EXPECT_EQ(S().view.swapPosition, 0);
    EXPECT_EQ(view.status.size(), 2u);

    const SampleRef ref = SampleRef::Make(0, 0, 1, 0, 0, 0);
    Deliver(msg::kSampleLength, 0, 0, ref);
    EXPECT_EQ(S().doc.library.Find(ref)->length, 0);
    EXPECT_EQ(view.status.size(), 3u) << "a lost link is reported";

    S().view.closing = true;
    Deliver(msg::kPlaybackStarted, 1, 0);
    EXPECT_EQ(S().view.transport, Transport::Stopped);
}

TEST_F(CommandsTest, NewsHeadlineMarksUnreadNewsUntilItIsRead)
{
    app.options.lastNewsHeadline = "old";
    Deliver(msg::kNewsDone, 0, 0, std::string("Fresh loops\nmore text"));
    EXPECT_EQ(app.currentNewsHeadline, "Fresh loops");
    EXPECT_TRUE(S().view.newsUnread);
    C().OnCommand(cmd::kNews);
    EXPECT_FALSE(S().view.newsUnread);
    EXPECT_EQ(app.options.lastNewsHeadline, "Fresh loops");
    Deliver(msg::kNewsDone, 0, 0, std::string(""));
    EXPECT_EQ(app.currentNewsHeadline, "Fresh loops") << "an empty text falls back to the last headline seen";
}

TEST_F(CommandsTest, AddingSampleFilesFillsEveryOtherVariantOfNewEntries)
{
    const std::vector<std::string> files = {dir / "a.wav", dir / "b.wav", dir / "c.wav", dir / "d.mp3"};
    dialogs.openAnswers.push_back(files);
    sampleDialog->echo = true;
    ASSERT_EQ(C().OnCommand(cmd::kAddSamples), 1);
    const LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    // Two entries were there; the new files start at the free place.
    ASSERT_EQ(chord.entries.size(), 5u);
    EXPECT_EQ(chord.entries[2].variants[0].firstText, "a");
    EXPECT_EQ(chord.entries[2].variants[2].firstText, "b");
    EXPECT_EQ(chord.entries[2].variants[4].firstText, "c");
    EXPECT_EQ(chord.entries[3].variants[0].firstText, "d");
    EXPECT_EQ(chord.entries[3].variants[0].path, dir / "d.mp3");
    EXPECT_EQ(chord.entries[3].variants[0].length, 88200);
    EXPECT_EQ(chord.entries[3].variants[0].kind, 1) << "style 0, group 0";
    EXPECT_EQ(chord.entries[3].variants[0].nominalLength, 88200);
    EXPECT_TRUE(chord.entries[4].IsEmpty()) << "the free place at the end";
    EXPECT_EQ(S().view.dragState, kDragAfterDialog);
}

TEST_F(CommandsTest, AFileOfTheSameNameIsRefusedAndTheImportGoesOn)
{
    // The chord already uses "loop100.wav".
    dialogs.openAnswers.push_back({dir / "loop100.wav", dir / "new.wav"});
    dialogs.answers.push_back(MessageAnswer::Ok); // the same-file warning
    sampleDialog->echo = true;
    ASSERT_EQ(C().OnCommand(cmd::kAddSamples), 1);
    EXPECT_EQ(dialogs.messages.at(0).icon, platform::MessageIcon::Stop);
    const LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    EXPECT_EQ(chord.entries[2].variants[0].firstText, "new");
}

TEST_F(CommandsTest, AFileWithoutReadableSoundIsNotTakenAndTheStatusLineSaysSo)
{
    dialogs.openAnswers.push_back({dir / "broken.wav", dir / "good.wav"});
    samples.estimates[dir / "broken.wav"] = 0;
    sampleDialog->echo = true;
    ASSERT_EQ(C().OnCommand(cmd::kAddSamples), 1);
    EXPECT_EQ(sampleDialog->asked.size(), 1u) << "only the readable file is offered";
    const LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    ASSERT_EQ(chord.entries.size(), 4u);
    EXPECT_EQ(chord.entries[2].variants[0].firstText, "good") << "the good file takes the first free place";
    ASSERT_FALSE(view.status.empty());
    EXPECT_EQ(view.status.back(), "broken.wav: no sound can be read from this file");

    // One file into a chosen cell: nothing is asked, the cell stays empty.
    dialogs.openAnswers.push_back({dir / "broken.wav"});
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 1, 2);
    S().view.dragState = kDragIdle; // the release after the first dialog
    ASSERT_EQ(C().OnCommand(cmd::kAddFileToCell), 1);
    EXPECT_EQ(sampleDialog->asked.size(), 1u);
    EXPECT_TRUE(chord.entries[2].variants[1].IsEmpty());
}

TEST_F(CommandsTest, SkippingOneFileGoesOnWithTheNextCancellingStops)
{
    dialogs.openAnswers.push_back({dir / "a.wav", dir / "b.wav", dir / "c.wav", dir / "d.wav"});
    dialogs::SampleResult skipped;
    skipped.outcome = dialogs::SampleOutcome::Skipped;
    dialogs::SampleResult ok;
    ok.outcome = dialogs::SampleOutcome::Ok;
    ok.name = "b as named";
    ok.path = dir / "b.wav";
    dialogs::SampleResult cancelled;
    sampleDialog->answers = {skipped, ok, cancelled}; // d is never asked
    ASSERT_EQ(C().OnCommand(cmd::kAddSamples), 1);
    EXPECT_EQ(sampleDialog->asked.size(), 3u);
    EXPECT_TRUE(sampleDialog->asked[0].offerSkip);
    const LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    ASSERT_EQ(chord.entries.size(), 4u);
    EXPECT_EQ(chord.entries[2].variants[0].firstText, "b as named") << "b took a's place";
    EXPECT_TRUE(chord.entries[2].variants[2].IsEmpty()) << "c was cancelled";
    EXPECT_TRUE(chord.entries[3].IsEmpty());
}

} // namespace
} // namespace bm::ui::test
