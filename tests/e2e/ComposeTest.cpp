// Making a song as a person does, with the mouse and the keys: a new song
// (the tempo and measure dialogs answered), two loops carried from the
// library browser and the silence cell into the first three channels,
// saved through the save dialog; then editing it (rubber band, copy, paste,
// delete, the one-level undo, a region and region play); and a package of
// it opened on a second, clean program folder.
//
// What the window did is read back from the files it saves, with the
// command-line tool's `song info`.

#include "LibraryGestures.h"
#include "DialogGestures.h"
#include "ProgramUnderTest.h"
#include "SongFile.h"
#include "Sound.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

// The arrangement's measure width at the default zoom, in pixels.
constexpr int32_t kMeasureWidth = 9;
constexpr int64_t kMeasureFrames = 20352;

// Where a carried cell lands: the cell's picture follows the pointer held
// where it was pressed, and the drop takes the measure under the picture's
// left edge (rounded to the nearest measure) and the channel under the
// pointer. Pressing 4 pixels inside the cell's left edge and releasing 4
// pixels inside measure m puts the picture's left edge on m.
constexpr int32_t kGrabInset = 4;
ClientPoint CarryStart(const platform::Rect& cell) { return {cell.left + kGrabInset, (cell.top + cell.bottom) / 2}; }
ClientPoint DropPoint(int32_t measure, int32_t channel)
{
    const platform::Rect row = layout::ChannelRowRect(channel);
    return {layout::kArrangement.left + measure * kMeasureWidth + kGrabInset, (row.top + row.bottom) / 2};
}

// The program's window other than the main one whose name matches, waited
// for and activated.
std::optional<Window> WaitDialog(const XDisplay& x, ProgramRun& run, const std::string& nameRegex)
{
    const std::optional<Window> dialog = x.WaitWindow(run.Pid(), nameRegex, 10s);
    if (dialog)
        x.Activate(*dialog);
    return dialog;
}

bool WaitClosed(const XDisplay& x, Window dialog) { return WaitUntil([&] { return !x.Visible(dialog); }, 10s); }

// Ctrl+N with the dialogs' proposals: the demo's tempo, one bar of eight
// measures... the insert dialog proposes 32 measures.
void NewSong(const XDisplay& x, ProgramRun& run)
{
    ASSERT_TRUE(x.Key({"ctrl+n"}));
    const std::optional<Window> tempo = WaitDialog(x, run, "^Tempo and Measures$");
    ASSERT_TRUE(tempo.has_value()) << "no tempo dialog";
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitClosed(x, *tempo));
    const std::optional<Window> measures = WaitDialog(x, run, "^Insert Measures$");
    ASSERT_TRUE(measures.has_value()) << "no insert measures dialog";
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitClosed(x, *measures));
    x.Activate(run.Main());
    ASSERT_TRUE(run.WaitTitle("Brickmelody - [Untitled-1.ncp]")) << run.Title();
}

// The first part's first two cells into channels 1 and 2, the silence cell
// into channel 3, all at measure 0.
void CarryThreeCells(const XDisplay& x, ProgramRun& run)
{
    const Window w = run.Main();
    // The browser opens on its first part: its header row, then its cells.
    const ClientPoint first = CarryStart(layout::LibraryCellRect(1, 0));
    const ClientPoint second = CarryStart(layout::LibraryCellRect(1, 1));
    const ClientPoint silence = CarryStart(layout::kSilenceCell);
    const ClientPoint targets[] = {DropPoint(0, 0), DropPoint(0, 1), DropPoint(0, 2)};
    const ClientPoint sources[] = {first, second, silence};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(x.Drag(w, sources[i].x, sources[i].y, targets[i].x, targets[i].y, 10)) << "carry " << i;
        // The carried picture closes when the drop is done.
        ASSERT_TRUE(WaitUntil([&] { return x.Windows(".*", run.Pid()).size() == 1; }, 5s)) << "carry " << i;
    }
    ASSERT_TRUE(run.WaitTitle("Brickmelody - [Untitled-1.ncp *]")) << run.Title();
}

// Ctrl+S on an unnamed song: the save dialog, the path typed over the
// proposed name.
void SaveThroughTheDialog(const XDisplay& x, ProgramRun& run, const std::string& path)
{
    ASSERT_TRUE(x.Key({"ctrl+s"}));
    const std::optional<Window> dialog = WaitDialog(x, run, "^Save As$");
    ASSERT_TRUE(dialog.has_value()) << "no save dialog";
    ASSERT_TRUE(x.Key({"ctrl+a"}));
    ASSERT_TRUE(x.Type(path));
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitClosed(x, *dialog)) << "the save dialog stayed";
    x.Activate(run.Main());
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(path); }, 10s)) << path << " was not written";
}

// Ctrl+S on a named song (a selection alone does not mark the song as
// changed, but saving writes it all the same), and what the file then holds.
SongSummary SaveAndRead(const XDisplay& x, ProgramRun& run, const std::string& path)
{
    std::error_code ec;
    const fs::file_time_type before = fs::last_write_time(path, ec);
    EXPECT_TRUE(x.Key({"ctrl+s"}));
    EXPECT_TRUE(WaitUntil([&] { return fs::last_write_time(path, ec) != before; }, 10s)) << "not saved";
    // Written whole: the size holds still between two looks.
    uintmax_t size = 0;
    WaitUntil(
        [&] {
            const uintmax_t now = fs::file_size(path, ec);
            const bool still = now == size && now > 0;
            size = now;
            return still;
        },
        5s, 50ms);
    std::string why;
    const std::optional<SongSummary> song = ReadSongSummary(run.Folder().Path(), path, &why);
    EXPECT_TRUE(song.has_value()) << why;
    return song.value_or(SongSummary{});
}

void ExpectTheThreeCells(const SongSummary& song)
{
    ASSERT_EQ(song.slots.size(), 3u) << Placement(song);
    EXPECT_EQ(Placement(song), "0:0 0:1 0:2");
    for (const SlotSummary& s : song.slots)
        EXPECT_TRUE(s.resolved) << s.sample;
    EXPECT_NE(song.slots[0].sample, song.slots[1].sample);
    EXPECT_EQ(song.slots[0].sample.rfind("Electro/Drums/", 0), 0u) << song.slots[0].sample;
    EXPECT_EQ(song.slots[1].sample.rfind("Electro/Drums/", 0), 0u) << song.slots[1].sample;
    EXPECT_NE(song.slots[2].sample.find("silence"), std::string::npos) << song.slots[2].sample;
}

// Each case starts from the same song: a new one with the first part's
// first two cells in channels 1 and 2 and the silence cell in channel 3.
class ComposedSong : public ::testing::Test {
protected:
    void SetUp() override
    {
        BM_E2E_REQUIRE_SESSION(session);
        run = session.Launch({});
        ASSERT_NE(run, nullptr);
        ASSERT_TRUE(run->DismissSplash());
        NewSong(session.X(), *run);
        ASSERT_FALSE(HasFatalFailure());
        CarryThreeCells(session.X(), *run);
    }

    E2eSession session;
    ProgramRun* run = nullptr;
};
using Compose = ComposedSong;
using Edit = ComposedSong;
using Package = ComposedSong;

TEST_F(Compose, ANewSongWithTwoLoopsAndASilenceSavedThroughTheDialog)
{
    const XDisplay& x = session.X();
    const std::string path = session.Root() + "/my first song.ncp";
    SaveThroughTheDialog(x, *run, path);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(run->WaitTitle("Brickmelody - [my first song.ncp]")) << run->Title();

    std::string why;
    const std::optional<SongSummary> song = ReadSongSummary(session.Folder().Path(), path, &why);
    ASSERT_TRUE(song.has_value()) << why;
    EXPECT_EQ(song->measures, 32);
    EXPECT_EQ(song->samplesPerMeasure, kMeasureFrames);
    ExpectTheThreeCells(*song);
    EXPECT_TRUE(song->regions.empty());
    EXPECT_EQ(run->PowerOff(), 0);
}

TEST_F(Edit, BandCopyPasteDeleteUndoTwiceARegionAndRegionPlay)
{
    const XDisplay& x = session.X();
    const Window w = run->Main();
    const std::string path = session.Root() + "/edit.ncp";
    SaveThroughTheDialog(x, *run, path);
    ASSERT_FALSE(HasFatalFailure());

    // A rubber band from an empty place right of the slots, back over all
    // three, selects them.
    ASSERT_TRUE(x.Drag(w, DropPoint(13, 0).x, layout::ChannelRowRect(0).top + 2, layout::kArrangement.left + 2,
                       layout::ChannelRowRect(3).top + 2, 10));
    SongSummary song = SaveAndRead(x, *run, path);
    ASSERT_EQ(song.slots.size(), 3u);
    for (const SlotSummary& s : song.slots)
        EXPECT_TRUE(s.selected) << s.measure << ":" << s.channel;

    // Copy, paste: the copy follows the pointer and a click puts it down.
    ASSERT_TRUE(x.Key({"ctrl+c"}));
    const ClientPoint there = DropPoint(12, 0);
    ASSERT_TRUE(x.MoveTo(w, there.x - 20, there.y));
    ASSERT_TRUE(x.Key({"ctrl+v"}));
    ASSERT_TRUE(WaitUntil([&] { return x.Windows(".*", run->Pid()).size() == 2; }, 5s)) << "no carried copy";
    for (int step = 3; step >= 0; --step)
        ASSERT_TRUE(x.MoveTo(w, there.x - step * 5, there.y));
    ASSERT_TRUE(x.Click(w, there.x, there.y));
    ASSERT_TRUE(WaitUntil([&] { return x.Windows(".*", run->Pid()).size() == 1; }, 5s)) << "the copy stayed carried";
    song = SaveAndRead(x, *run, path);
    EXPECT_EQ(Placement(song), "0:0 0:1 0:2 12:0 12:1 12:2");
    ASSERT_EQ(song.slots.size(), 6u);
    // The pasted copy is the selection now.
    for (const SlotSummary& s : song.slots)
        EXPECT_EQ(s.selected, s.measure == 12) << s.measure << ":" << s.channel;
    EXPECT_EQ(song.slots[3].sample, song.slots[0].sample);
    EXPECT_EQ(song.slots[5].sample, song.slots[2].sample);

    // Delete takes the selection away; the undo swaps the song before and
    // after the last change, back and forth.
    ASSERT_TRUE(x.Key({"Delete"}));
    EXPECT_EQ(Placement(SaveAndRead(x, *run, path)), "0:0 0:1 0:2");
    ASSERT_TRUE(x.Key({"ctrl+z"}));
    EXPECT_EQ(Placement(SaveAndRead(x, *run, path)), "0:0 0:1 0:2 12:0 12:1 12:2");
    ASSERT_TRUE(x.Key({"ctrl+z"}));
    EXPECT_EQ(Placement(SaveAndRead(x, *run, path)), "0:0 0:1 0:2");

    // The copy back once more: something after the region that region
    // play must not reach.
    ASSERT_TRUE(x.Key({"ctrl+z"}));
    EXPECT_EQ(Placement(SaveAndRead(x, *run, path)), "0:0 0:1 0:2 12:0 12:1 12:2");

    // The region button makes a region of one bar at the cursor (measure
    // 0) and switches it on.
    const ClientPoint regionButton = CentreOf(layout::ControlOf(layout::ControlId::Region).rect);
    ASSERT_TRUE(x.Click(w, regionButton.x, regionButton.y));
    song = SaveAndRead(x, *run, path);
    ASSERT_EQ(song.regions.size(), 1u);
    EXPECT_EQ(song.regions[0].start, 0);
    EXPECT_EQ(song.regions[0].end, 7);
    EXPECT_TRUE(song.regions[0].on);

    // Region play (Shift+Space switches it on, Space plays): the region
    // sounds, and playback ends by itself at the region's end.
    ASSERT_TRUE(x.Key({"shift+space", "space"}));
    const int64_t regionFrames = 8 * kMeasureFrames;
    int64_t frames = -1;
    int still = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const int64_t now = FrameCount(ReadRawSound(run->SoundFile()));
            still = now == frames ? still + 1 : 0;
            frames = now;
            return frames >= regionFrames && still >= 4;
        },
        30s, 250ms))
        << "region play did not end by itself: " << frames << " frames written";
    const Samples written = ReadRawSound(run->SoundFile());
    ASSERT_EQ(run->PowerOff(), 0);

    const std::string rendered = session.Root() + "/region.wav";
    ASSERT_TRUE(RunCliIn(session.Folder().Path(), {"render", path, rendered, "--regions-only"}).ok());
    const Samples region = ReadWaveSound(rendered);
    ASSERT_EQ(FrameCount(region), regionFrames);
    // The device's silence before the first buffer is no part of the song.
    int64_t lead = 0;
    while (lead < FrameCount(written) && written[size_t(lead) * 2] == 0 && written[size_t(lead) * 2 + 1] == 0)
        ++lead;
    EXPECT_LT(lead, 4096) << "the sound started late";
    const Samples played(written.begin() + lead * 2, written.end());
    ASSERT_GE(FrameCount(played), regionFrames - 4096);
    const SoundMatch m = MatchSound(played, region, 4096, regionFrames - 8192);
    ASSERT_TRUE(m.found) << m.Describe();
    EXPECT_LT(m.residual, 1e-3) << m.Describe();
    EXPECT_GT(m.gain, 0.1) << m.Describe();
    EXPECT_EQ(m.silentGaps, 0) << m.Describe();
    // Past the region's end, nothing of the copy at measure 12 sounds.
    const int64_t end = m.playedStart - m.referenceStart + regionFrames;
    const Samples after(played.begin() + std::min<int64_t>(end, FrameCount(played)) * 2, played.end());
    EXPECT_EQ(FirstSounding(after), -1) << "sound after the region's end";
}

TEST_F(Package, SavedAsAPackageAndOpenedOnACleanProgramFolderEverySlotResolves)
{
    const XDisplay& x = session.X();

    // A sample of the person's own, which only the package can bring to
    // the other machine: added to the drums' user part, carried into
    // channel 4.
    const std::string own = session.Root() + "/my own beat.wav";
    ASSERT_TRUE(WriteWaveSound(own, Beats(7)));
    OpenTheUserPart(x, *run);
    ASSERT_FALSE(HasFatalFailure());
    AddThroughTheFileDialog(x, *run, "\"" + own + "\"");
    ASSERT_FALSE(HasFatalFailure());
    std::optional<Window> previous;
    AcceptSampleProperties(x, *run, previous, true);
    ASSERT_FALSE(HasFatalFailure());
    x.Activate(run->Main());
    const ClientPoint from = CarryStart(layout::LibraryCellRect(kFirstUserEntryRow, 0));
    const ClientPoint to = DropPoint(0, 3);
    ASSERT_TRUE(x.Drag(run->Main(), from.x, from.y, to.x, to.y, 10));
    ASSERT_TRUE(WaitUntil([&] { return x.Windows(".*", run->Pid()).size() == 1; }, 5s));

    const std::string package = session.Root() + "/to take along.wcp";
    SaveThroughTheDialog(x, *run, package);
    ASSERT_FALSE(HasFatalFailure());
    // A package is a copy to take along: the song itself is still unsaved,
    // and power-off asks about it.
    EXPECT_EQ(run->Title(), "Brickmelody - [Untitled-1.ncp *]");
    ASSERT_TRUE(run->ClickPower());
    const std::optional<Window> question = run->WaitMessageBox();
    ASSERT_TRUE(question.has_value()) << "no question about the unsaved song";
    x.Activate(*question);
    ASSERT_TRUE(x.Key({"alt+n"}));
    ASSERT_EQ(run->WaitExit(15s), 0);
    // The package took the file along, but it stays where it was.
    ASSERT_TRUE(fs::exists(own));

    // Another machine: a fresh program folder opens the package; the
    // person's file is not there.
    const ProgramFolder& other = session.AnotherFolder("elsewhere");
    ASSERT_TRUE(other.Ready());
    fs::rename(own, own + ".away");
    ProgramRun* second = session.Launch({}, &other);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(second->DismissSplash());
    ASSERT_TRUE(x.Key({"ctrl+o"}));
    AnswerFileDialog(x, *second, package);
    ASSERT_FALSE(HasFatalFailure());
    // The sample new to this machine is shown for confirmation first.
    std::optional<Window> confirmed;
    AcceptSampleProperties(x, *second, confirmed, false);
    ASSERT_FALSE(HasFatalFailure());
    // The package's song was never named; it stays unnamed until the
    // person saves it here.
    EXPECT_TRUE(second->WaitTitle("Brickmelody - [Untitled-1.ncp]", 20s)) << second->Title();
    // The window keeps the song it shows at power-off.
    ASSERT_EQ(second->PowerOff(), 0);
    std::string why;
    const std::optional<SongSummary> song = ReadSongSummary(other.Path(), other / "last.ncp", &why);
    ASSERT_TRUE(song.has_value()) << why;
    ASSERT_EQ(Placement(*song), "0:0 0:1 0:2 0:3");
    for (const SlotSummary& s : song->slots)
        EXPECT_TRUE(s.resolved) << s.sample;
    // The own sample now lives in the second folder's user samples.
    const std::string& unpacked = song->slots[3].sample;
    EXPECT_NE(unpacked.find("my own beat"), std::string::npos) << unpacked;
    const fs::path file = fs::path(unpacked).is_absolute() ? fs::path(unpacked) : fs::path(other.Path()) / unpacked;
    EXPECT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(file.string().rfind(other.Path(), 0), 0u) << file << " lies outside the second program folder";
    EXPECT_EQ(ReadWaveSound(file.string()), Beats(7));
}

} // namespace
} // namespace bm::e2e
