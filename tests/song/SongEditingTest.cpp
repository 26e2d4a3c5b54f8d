#include "song/SongEditing.h"
#include "song/UndoRecord.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using engine::RecordingEngineClient;
using test::Kick;
using test::Slot;

TEST(SongEditing, CopySelectionStartsAtTheFirstSelectedMeasure)
{
    Song song = test::MakeSong(8, 1000, 4);
    song.measures[5].slots[2] = Slot(Kick(0), 10, 1, 1);
    song.measures[7].slots[0] = Slot(Kick(1), 20, 1);
    song.measures[6].slots[0] = Slot(Kick(2), 30, 0); // not selected
    song.envelopes[3][1] = {{0, 0, 0}, {5010, 9, 1}, {7999, 0, 0}};
    SongFragment clipboard;
    EXPECT_EQ(CopySelectionToClipboard(song, clipboard), 5);
    ASSERT_EQ(clipboard.measures.size(), 3u);
    EXPECT_EQ(clipboard.measures[0].slots[2], Slot(Kick(0), 10, 1, 1));
    EXPECT_EQ(clipboard.measures[2].slots[0], Slot(Kick(1), 20, 1));
    EXPECT_TRUE(clipboard.measures[1].slots[0].IsEmpty());
    EXPECT_EQ(clipboard.envelopes[3][1], (Envelope{{10, 9, 1}}));
    EXPECT_EQ(clipboard.inUse[3][1], 1);
    EXPECT_EQ(clipboard.inUse[3][0], 0);
    EXPECT_EQ(clipboard.samplesPerMeasure, 1000);
    EXPECT_EQ(clipboard.measuresPerBar, 4);
}

TEST(SongEditing, CopyOfPointsAloneStartsAtTheEarliestPoint)
{
    Song song = test::MakeSong(8, 1000, 4);
    song.envelopes[9][0] = {{0, 0, 0}, {6000, 1, 1}, {7999, 0, 0}};
    song.envelopes[2][1] = {{0, 0, 0}, {3007, 2, 1}, {7999, 0, 0}};
    SongFragment clipboard;
    EXPECT_EQ(CopySelectionToClipboard(song, clipboard), 3);
    EXPECT_TRUE(clipboard.measures.empty());
    EXPECT_EQ(clipboard.envelopes[9][0], (Envelope{{3000, 1, 1}}));
    EXPECT_EQ(clipboard.envelopes[2][1], (Envelope{{7, 2, 1}}));

    // The selection placement takes the first point met (kind 0 first).
    SongFragment placement;
    EXPECT_EQ(PreparePlacementFromSelection(song, placement), 6);
    EXPECT_EQ(placement.envelopes[2][1], (Envelope{{-2993, 2, 1}}));
    EXPECT_EQ(clipboard.envelopes[9][0], (Envelope{{3000, 1, 1}})) << "the clipboard is not touched";

    Song plain = test::MakeSong(2);
    EXPECT_EQ(CopySelectionToClipboard(plain, clipboard), -1);
    EXPECT_EQ(clipboard.samplesPerMeasure, -1);
    EXPECT_EQ(PreparePlacementFromSelection(plain, placement), -1);
}

TEST(SongEditing, PasteCopiesAtEqualTempoAndFitsBarsOtherwise)
{
    Song song = test::MakeSong(16, 20352, 8);
    song.measures[4].slots[1] = Slot(Kick(0), 12345, 1);
    song.measures[12].slots[1] = Slot(Kick(1), 7, 1);
    SongFragment clipboard;
    ASSERT_EQ(CopySelectionToClipboard(song, clipboard), 4);

    SongFragment placement;
    EXPECT_EQ(PreparePlacementFromClipboard(song, clipboard, placement), 0);
    EXPECT_EQ(placement.measures, clipboard.measures);

    song.measuresPerBar = 4;
    EXPECT_EQ(PreparePlacementFromClipboard(song, clipboard, placement), 0);
    ASSERT_EQ(placement.measures.size(), 8u); // two bars of eight became two bars of four
    EXPECT_EQ(placement.measures[0].slots[1], Slot(Kick(0), 6172, 1));
    EXPECT_EQ(placement.measures[4].slots[1], Slot(Kick(1), 3, 1));
    EXPECT_EQ(placement.measuresPerBar, 4);

    EXPECT_EQ(PreparePlacementFromClipboard(song, SongFragment{}, placement), 0);
    EXPECT_TRUE(placement.measures.empty());
}

TEST(SongEditing, PlacementFromALibraryEntry)
{
    SampleLibrary library = test::MakeLibrary();
    Song song = test::MakeSong(1, 20352, 8);
    const LibrarySelection beatC{0, 0, 0, 0, 0};
    SongFragment placement;

    // The whole entry: variants 0 to 2 (3 to 5 are empty), 30000 frames apart.
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 0, kWholeEntry, 1, placement), 3);
    ASSERT_EQ(placement.measures.size(), 3u);
    EXPECT_EQ(placement.measures[0].slots[0], Slot(Kick(0), 0, 1, 1));
    EXPECT_EQ(placement.measures[1].slots[0], Slot(Kick(1), 9648, 1, 1));
    EXPECT_EQ(placement.measures[2].slots[0], Slot(Kick(2), 19296, 1, 1));

    // One variant; the empty ends of an entry are dropped before spacing.
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 1, 4, 0, placement), 1);
    EXPECT_EQ(placement.measures.size(), 1u);
    EXPECT_EQ(placement.measures[0].slots[0], Slot(test::Snare(), 0, 1));
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 1, kWholeEntry, 0, placement), 1);
    EXPECT_EQ(placement.measures[0].slots[0].ref, test::Snare());

    // Distance 0: all in one measure, each in the next free channel.
    library.styles[0].valueA = 0;
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 0, kWholeEntry, 0, placement), 3);
    ASSERT_EQ(placement.measures.size(), 1u);
    EXPECT_EQ(placement.measures[0].slots[2].ref, Kick(2));

    // Nothing to place: the free entry, an empty variant, a bad selection.
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 2, kWholeEntry, 0, placement), 0);
    EXPECT_TRUE(placement.measures.empty());
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 0, 4, 0, placement), 0);
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, {5, 0, 0, 0, 0}, 0, 0, 0, placement), 0);
    EXPECT_EQ(PreparePlacementFromLibrary(song, library, beatC, 0, 9, 0, placement), 0);
}

TEST(UndoRecord, SecondUndoReturnsToTheStateBeforeTheFirst)
{
    const SampleLibrary library = test::MakeLibrary();
    Song song = test::MakeSong(2, 1000, 4);
    song.path = "/a.ncp";
    UndoRecord record;
    EXPECT_FALSE(record.HoldsSong());
    EXPECT_EQ(TakeUndoSnapshot(song, record), TitleChange::ShowChangeMark);
    EXPECT_FALSE(song.unchanged);
    EXPECT_EQ(TakeUndoSnapshot(song, record), TitleChange::None);
    const Song before = song;

    // The edit: other tempo, a third measure, a slot, an extra point, a volume.
    song.samplesPerMeasure = 500;
    song.measures.resize(3);
    song.measures[2].slots[1] = Slot(Kick(0), 5);
    song.envelopes[0][0].push_back({1499, 3, 0});
    song.channelVolume[4] = 150;
    song.regions = {{0, 2, true}};
    const Song edited = song;

    RecordingEngineClient engine;
    const UndoResult first = SwapWithUndo(song, record, library, &engine);
    EXPECT_TRUE(first.swapped);
    EXPECT_TRUE(first.tempoChanged);
    EXPECT_EQ(song, before);
    EXPECT_EQ(test::Describe(engine.posted[0]), "remove measures 0 3");
    EXPECT_EQ(test::Describe(engine.posted[1]), "tempo 1000 4");
    EXPECT_EQ(test::Describe(engine.posted[2]), "insert measures 0 2");
    EXPECT_EQ(test::PostedOf<engine::DeleteEnvelopePoint>(engine),
              (std::vector<engine::DeleteEnvelopePoint>{{0, 0, 2}}));
    EXPECT_EQ(test::PostedOf<engine::SetChannelGain>(engine), (std::vector<engine::SetChannelGain>{{4, 50}}));
    EXPECT_TRUE(test::PostedOf<engine::SetSlot>(engine).empty());

    engine.posted.clear();
    SwapWithUndo(song, record, library, &engine);
    EXPECT_EQ(song, edited);
    EXPECT_EQ(test::PostedOf<engine::SetSlot>(engine),
              (std::vector<engine::SetSlot>{{2, 1, 5, 81408, 0, Kick(0), "drums/kick1.wav"}}));
    EXPECT_EQ(test::PostedOf<engine::InsertEnvelopePoint>(engine),
              (std::vector<engine::InsertEnvelopePoint>{{0, 0, 2, 1499, 3}}));

    UndoRecord none;
    EXPECT_FALSE(SwapWithUndo(song, none, library, &engine).swapped);
    EXPECT_EQ(song, edited);
}

} // namespace
} // namespace bm
