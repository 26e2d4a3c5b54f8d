#include "song/SongReader.h"
#include "song/SongWriter.h"

#include "core/File.h"
#include "song/SongModel.h"
#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using engine::RecordingEngineClient;
using test::Kick;
using test::PostedOf;
using test::ProgramSetup;

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string out;
    for (std::string_view line : lines) {
        out.append(line);
        out.append("\r\n");
    }
    return out;
}

std::string SlotLine(const ProgramSetup& setup, std::string_view part, std::string_view chord, std::string_view first,
                     std::string_view second, std::string_view file, std::string_view words)
{
    return "\"Pop\"  \"Drums\"  \"" + std::string(part) + "\"  \"" + std::string(chord) + "\"  \"" +
           std::string(first) + "\"  \"" + std::string(second) + "\"  \"" + setup.SamplePath(std::string(file)) +
           "\"  \"loop\"  " + std::string(words);
}

class SongFile : public ::testing::Test {
protected:
    ProgramSetup setup;
    SongReader Reader(SongObservers observers = {})
    {
        return SongReader(setup.library, setup.folders, setup.programFolder, std::move(observers));
    }
    SongWriter Writer(SongObservers observers = {})
    {
        return SongWriter(setup.library, setup.folders, setup.programFolder, std::move(observers));
    }
};

TEST_F(SongFile, WritesTheLayoutExactly)
{
    Song song = test::MakeSong(2, 20352, 8);
    song.channelVolume[3] = 120;
    song.channelOn[3] = false;
    for (auto& channel : song.envelopes)
        channel = {};
    song.envelopes[0][0] = {{0, 32767, 0}, {40703, 16000, 1}};
    song.measures[0].slots[2] = test::Slot(Kick(1), 100, 1);

    std::string expected = Lines({"%VER 1.0", "%SIZE 2", "%SPC 20352", "%CPT 8", ""});
    for (int c = 0; c < kChannels; ++c)
        expected += Lines({c == 3 ? std::string("%VOL 3 120 0") : "%VOL " + std::to_string(c) + " 50 1"});
    expected += Lines({"", /* no regions */ "", "%LP 0 0 0 32767 0", "%LP 0 0 40703 16000 1"});
    for (int list = 0; list < 24; ++list)
        expected += "\r\n";
    expected += "\r\n";
    expected += Lines({"%COL", "+2",
                       "\"Pop\"  \"Drums\"  \"Beat\"  \"C\"  \"kick\"  \"2\"  \"" + setup.SamplePath("kick2.wav") +
                           "\"  \"loop\"  \"1\"  \"100\"  \"0\"  ",
                       "", "%COL", "", ""});
    EXPECT_EQ(Writer().Format(song, SongWriteMode::Plain), expected);
}

TEST_F(SongFile, AsDocumentRecordsThePathAndBecomesTheStartSong)
{
    Song song = test::MakeSong(1);
    song.path = "/songs/My Song.ncp";
    std::string startSong = "old";
    SongWriter writer = Writer({.startSong = &startSong});
    const std::string text = writer.Format(song, SongWriteMode::AsDocument);
    EXPECT_NE(text.find("%CPT 8\r\n\r\n%PATH \"/songs/My Song.ncp\"\r\n%VOL 0 "), std::string::npos);
    EXPECT_EQ(Writer().Format(song, SongWriteMode::Plain).find("%PATH"), std::string::npos);

    const std::string target = setup.dir / "doc.ncp";
    ASSERT_TRUE(writer.Write(song, target, SongWriteMode::Plain));
    EXPECT_EQ(startSong, "old");
    ASSERT_TRUE(writer.Write(song, target, SongWriteMode::AsDocument));
    EXPECT_EQ(startSong, target);

    // Reading takes the recorded path for the song and the start song.
    Song read;
    std::string readStart;
    ASSERT_TRUE(Reader({.startSong = &readStart}).ReadSong(target, read));
    EXPECT_EQ(read.path, "/songs/My Song.ncp");
    EXPECT_EQ(readStart, "/songs/My Song.ncp");
    ASSERT_TRUE(writer.Write(song, target, SongWriteMode::Plain));
    ASSERT_TRUE(Reader({.startSong = &readStart}).ReadSong(target, read));
    EXPECT_EQ(read.path, target);
    EXPECT_EQ(readStart, target);
}

TEST_F(SongFile, WriteFailureKeepsTheOldFileAndReportsWhy)
{
    Song song = test::MakeSong(1);
    Error error;
    EXPECT_FALSE(Writer().Write(song, setup.dir / "missing/folder/x.ncp", SongWriteMode::Plain, &error));
    EXPECT_FALSE(error.message.empty());
}

TEST_F(SongFile, RoundTripGivesIdenticalBytes)
{
    Song song = test::MakeSong(5, 17640, 4);
    song.channelVolume = {0, 1, 50, 199, 200, 77, 50, 50, 50, 50, 50, 13};
    song.channelOn[7] = false;
    song.regions = {{0, 1, true}, {3, 4, false}};
    song.envelopes[5][1] = {{0, -100, 0}, {17640, 3000, 1}, {88199, 0, 0}};
    song.measures[0].slots[0] = test::Slot(Kick(0), 0, 1, 1);
    song.measures[0].slots[11] = test::Slot(test::Snare(), 17639);
    song.measures[2].slots[5] = test::Slot(test::Crash(), 42);
    song.measures[4].slots[1] = test::Slot(Kick(2), 7, 0, 1);
    song.path = setup.dir / "round.ncp";

    SongWriter writer = Writer();
    const std::string first = setup.dir / "first.ncp";
    const std::string second = setup.dir / "second.ncp";
    for (SongWriteMode mode : {SongWriteMode::Plain, SongWriteMode::AsDocument}) {
        ASSERT_TRUE(writer.Write(song, first, mode));
        Song read;
        SongReader reader = Reader();
        ASSERT_TRUE(reader.ReadSong(first, read));
        EXPECT_EQ(reader.Stats().unresolvedSlots, 0);
        EXPECT_EQ(read.measures, song.measures);
        EXPECT_EQ(read.regions, song.regions);
        EXPECT_EQ(read.envelopes[5][1], song.envelopes[5][1]);
        EXPECT_EQ(read.channelVolume, song.channelVolume);
        EXPECT_EQ(read.channelOn, song.channelOn) << "a switched-off channel stays off although it holds slots";
        ASSERT_TRUE(writer.Write(read, second, mode));
        EXPECT_EQ(test::ReadFile(first), test::ReadFile(second));
    }
}

TEST_F(SongFile, ReadsSkipLinesEmptyMeasuresAndCompletesShortEnvelopes)
{
    const std::string text =
        Lines({"%VER 1.0", "%SIZE 3", "%SPC 1000", "%CPT 4", "%LP 0 4 500 9 1", "%LP 1 4 10 -5 0", "%LP 1 4 900 5 0",
               "%COL", "+2", SlotLine(setup, "Beat", "C", "kick", "1", "kick1.wav", "\"0\"  \"12\"  \"1\"  "),
               SlotLine(setup, "Beat", "C", "kick", "2", "kick2.wav", "\"1\"  \"3\"  \"0\"  "), "%COL", "", "%COL",
               "+11", SlotLine(setup, "Fill", "D", "crash", "1", "crash.wav", "\"0\"  \"0\"  \"0\"  ")});
    Song song;
    ASSERT_TRUE(Reader().ReadSongText(text, "x.ncp", song));
    ASSERT_EQ(song.measures.size(), 3u);
    EXPECT_EQ(song.samplesPerMeasure, 1000);
    EXPECT_EQ(song.measuresPerBar, 4);
    EXPECT_TRUE(song.measures[0].slots[0].IsEmpty());
    EXPECT_TRUE(song.measures[0].slots[1].IsEmpty());
    EXPECT_EQ(song.measures[0].slots[2], test::Slot(Kick(0), 12, 0, 1));
    EXPECT_EQ(song.measures[0].slots[3], test::Slot(Kick(1), 3, 1, 0));
    for (const ChannelSlot& slot : song.measures[1].slots)
        EXPECT_TRUE(slot.IsEmpty());
    EXPECT_EQ(song.measures[2].slots[11].ref, test::Crash());

    // One point: completed with a rest point in front and one at the end of
    // the first measure. Two points: kept. None: the two rest points.
    EXPECT_EQ(song.envelopes[4][0], (Envelope{{0, 32767, 0}, {500, 9, 1}, {999, 32767, 0}}));
    EXPECT_EQ(song.envelopes[4][1], (Envelope{{10, -5, 0}, {900, 5, 0}}));
    EXPECT_EQ(song.envelopes[0][1], (Envelope{{0, 0, 0}, {999, 0, 0}}));
    EXPECT_EQ(song.envelopes[11][0], (Envelope{{0, 32767, 0}, {999, 32767, 0}}));
}

TEST_F(SongFile, ResolvesAMatchWithOtherPartAndChordNames)
{
    // Style, group and the sample's texts match; part and chord differ:
    // score 100 still resolves to the sample.
    const std::string text =
        Lines({"%VER 1.0", "%COL", SlotLine(setup, "Bass", "E", "kick", "3", "kick3.wav", "\"0\"  \"0\"  \"0\"  ")});
    Song song;
    SongReader reader = Reader();
    ASSERT_TRUE(reader.ReadSongText(text, "x.ncp", song));
    EXPECT_EQ(song.measures[0].slots[0].ref, Kick(2));
    EXPECT_EQ(reader.Stats().unresolvedSlots, 0);
}

TEST_F(SongFile, UnmatchedSlotsPlayNothingAndSaveTheirOwnTexts)
{
    // Against an empty library nothing matches at all: the slot must not
    // become the all-zero reference (the library's first sample once there
    // is one); it keeps its texts and writes them back as they were.
    const std::string line = "\"Rock\"  \"Guitar\"  \"Riff\"  \"A\"  \"gone\"  \"7\"  \"C:\\old\\gone.wav\"  \"x\"  "
                             "\"1\"  \"40\"  \"1\"  ";
    const std::string text = Lines({"%VER 1.0", "%SIZE 1", "%SPC 20352", "%CPT 8", "%COL", "+4", line});
    SampleLibrary empty;
    Song song;
    SongReader reader(empty, setup.folders, setup.programFolder);
    ASSERT_TRUE(reader.ReadSongText(text, "x.ncp", song));
    const ChannelSlot& slot = song.measures[0].slots[4];
    EXPECT_EQ(slot.ref, UnresolvedRef());
    EXPECT_FALSE(slot.IsEmpty());
    EXPECT_EQ(reader.Stats().unresolvedSlots, 1);
    EXPECT_EQ(slot.start, 40);

    const engine::SetSlot told = SlotCommand(song, empty, 0, 4);
    EXPECT_EQ(told.ref, UnresolvedRef());
    EXPECT_EQ(told.sampleLength, 0);
    EXPECT_EQ(told.path, "");

    // With the full library the texts still match nothing exactly; the
    // saved line is the one that was read, not some other sample's names.
    const std::string saved = SongWriter(setup.library, setup.folders, setup.programFolder).Format(song, SongWriteMode::Plain);
    EXPECT_NE(saved.find("+4\r\n" + line + "\r\n"), std::string::npos);

    // Once the slot is given another reference, the old texts no longer
    // belong to it: a reference that addresses nothing is left out.
    song.measures[0].slots[4].ref = SampleRef::Make(0, 0, 0, 0, 5, 0); // an empty variant
    const std::string changed = SongWriter(empty, setup.folders, setup.programFolder).Format(song, SongWriteMode::Plain);
    EXPECT_EQ(changed.find("gone"), std::string::npos);
    EXPECT_NE(changed.find("%COL\r\n\r\n"), std::string::npos);
}

TEST_F(SongFile, RefusesOtherVersionsAndLeavesTheSongEmpty)
{
    Song song = test::MakeSong(3);
    song.measures[1].slots[0] = test::Slot(Kick(0));
    song.regions = {{0, 2, true}};
    Error error;
    const std::string text = Lines({"%VER 1.1", "%SIZE 1", "%COL", "%REG 0 0 e"});
    EXPECT_FALSE(Reader().ReadSongText(text, "x.ncp", song, &error));
    EXPECT_TRUE(song.measures.empty());
    EXPECT_TRUE(song.regions.empty());
    EXPECT_NE(error.message.find("1.1"), std::string::npos);

    EXPECT_FALSE(Reader().ReadSong(setup.dir / "no-such.ncp", song));
    EXPECT_TRUE(song.measures.empty());
}

TEST_F(SongFile, IgnoresWhatTheFormatDoesNotGuard)
{
    const std::string slot = SlotLine(setup, "Beat", "C", "kick", "1", "kick1.wav", "\"0\"  \"0\"  \"0\"  ");
    const std::string text = Lines({"%VER 1.0", slot, /* before any measure */ "%VOL 12 100 1", "%VOL -1 100 1",
                                    "%VOL 2 250 1", "%VOL 4 -7 0", "%LP 2 0 5 5 0", "%LP 0 12 5 5 0", "%REG 5 x7 de",
                                    "%REG 1 2 d", "junk line", "%COL", "+11", slot, slot, /* cursor now 12 */ "%COL",
                                    "+-3", slot, "+3", slot, "%COL", "+9999999999999999999999", slot, "%SPC abc",
                                    "%CPT -4"});
    Song song;
    SongReader reader = Reader();
    ASSERT_TRUE(reader.ReadSongText(text, "x.ncp", song));
    EXPECT_EQ(song.channelVolume[2], 200);
    EXPECT_EQ(song.channelVolume[4], kDefaultChannelVolume) << "a negative volume keeps the volume";
    EXPECT_FALSE(song.channelOn[4]);
    EXPECT_EQ(song.regions, (std::vector<Region>{{5, 0, true}, {1, 2, false}}));
    ASSERT_EQ(song.measures.size(), 3u);
    EXPECT_FALSE(song.measures[0].slots[11].IsEmpty());
    EXPECT_FALSE(song.measures[1].slots[1].IsEmpty()) << "-3, an ignored slot line, then +3";
    int filled = 0;
    for (const Measure& m : song.measures) {
        for (const ChannelSlot& s : m.slots)
            filled += s.IsEmpty() ? 0 : 1;
    }
    EXPECT_EQ(filled, 2);
    EXPECT_EQ(song.samplesPerMeasure, 1) << "a measure length below one frame reads as one";
    EXPECT_EQ(song.measuresPerBar, 1);
    EXPECT_EQ(song.envelopes[0][0].size(), 2u);
    EXPECT_EQ(reader.Stats().slots, 2);
    EXPECT_GE(reader.Stats().ignoredLines, 8);
}

TEST_F(SongFile, ReplacingPostsTheSongToTheEngineInFileOrder)
{
    Song song = test::MakeSong(2, 1000, 4); // two measures, two points per list
    const std::string text =
        Lines({"%VER 1.0", "%SIZE 1", "%SPC 10000", "%CPT 4", "%VOL 1 80 0", "%REG 0 0 e", "%LP 0 2 0 100 0",
               "%LP 0 2 9999 200 0", "%COL", "+1", SlotLine(setup, "Beat", "C", "kick", "1", "kick1.wav",
                                                          "\"0\"  \"5\"  \"1\"  ")});
    RecordingEngineClient engine;
    int refreshed = 0;
    ASSERT_TRUE(Reader({.engine = &engine, .refreshStatus = [&] { ++refreshed; }}).ReadSongText(text, "x.ncp", song));
    EXPECT_EQ(refreshed, 1);

    std::vector<engine::EngineCommand> expected;
    expected.push_back(engine::Stop{});
    expected.push_back(engine::RemoveMeasures{0, 2});
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            expected.push_back(engine::DeleteEnvelopePoint{c, k, 0});
            expected.push_back(engine::DeleteEnvelopePoint{c, k, 0});
        }
    }
    for (int c = 0; c < kChannels; ++c)
        expected.push_back(engine::SetChannelGain{c, 50});
    expected.push_back(engine::SetTempo{10000, 4});
    expected.push_back(engine::SetChannelGain{1, 0});
    expected.push_back(engine::InsertEnvelopePoint{2, 0, 0, 0, 100});
    expected.push_back(engine::InsertEnvelopePoint{2, 0, 1, 9999, 200});
    expected.push_back(engine::InsertMeasures{0, 1});
    engine::SetSlot slot;
    slot.measure = 0;
    slot.channel = 1;
    slot.start = 5;
    slot.sampleLength = 81408;
    slot.reverse = 1;
    slot.ref = Kick(0);
    slot.path = "drums/kick1.wav";
    expected.push_back(slot);
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            if (k == 0 && c == 2)
                continue;
            const int32_t rest = EnvelopeRestValue(k);
            expected.push_back(engine::InsertEnvelopePoint{c, k, 0, 0, rest});
            expected.push_back(engine::InsertEnvelopePoint{c, k, 1, 9999, rest});
        }
    }
    EXPECT_EQ(test::Described(engine.posted), test::Described(expected));
    EXPECT_FALSE(song.channelOn[1]) << "a slot read into a switched-off channel leaves it off";
    EXPECT_TRUE(song.channelMuted[1]);
}

TEST_F(SongFile, ClipboardReadPostsNothingAndMarksListsInUse)
{
    const std::string text = Lines({"%VER 1.0", "%SPC 5000", "%CPT 2", "%VOL 0 10 0", "%REG 0 0 e", "%LP 1 3 0 7 1",
                                    "%COL", "%COL",
                                    SlotLine(setup, "Beat", "C", "kick", "2", "kick2.wav", "\"1\"  \"4\"  \"0\"  ")});
    SongFragment clipboard;
    clipboard.measures.resize(9);
    RecordingEngineClient engine;
    std::string startSong = "kept";
    ASSERT_TRUE(Reader({.engine = &engine, .startSong = &startSong}).ReadClipboardText(text, clipboard));
    EXPECT_TRUE(engine.posted.empty());
    EXPECT_EQ(startSong, "kept");
    ASSERT_EQ(clipboard.measures.size(), 2u);
    EXPECT_EQ(clipboard.measures[1].slots[0], test::Slot(Kick(1), 4, 1));
    EXPECT_EQ(clipboard.samplesPerMeasure, 5000);
    EXPECT_EQ(clipboard.measuresPerBar, 2);
    EXPECT_EQ(clipboard.envelopes[3][1], (Envelope{{0, 0, 0}, {0, 7, 1}, {4999, 0, 0}}));
    EXPECT_EQ(clipboard.inUse[3][1], 1);
    EXPECT_EQ(clipboard.inUse[3][0], 0);
}

TEST_F(SongFile, ReportsProgress)
{
    struct Recorder : SongProgress {
        std::vector<int> values;
        void SetProgress(int percent) override { values.push_back(percent); }
    } recorder;
    Song song = test::MakeSong(4);
    const std::string text = Writer({.progress = &recorder}).Format(song, SongWriteMode::Plain);
    EXPECT_EQ(recorder.values, (std::vector<int>{20, 40, 60, 80, 100, 0}));

    recorder.values.clear();
    Song read;
    ASSERT_TRUE(Reader({.progress = &recorder}).ReadSongText(text, "x.ncp", read));
    EXPECT_EQ(recorder.values, (std::vector<int>{0, 25, 50, 75, 0}));
}

TEST_F(SongFile, ResolvesEachDistinctSlotOnce)
{
    std::string text = Lines({"%VER 1.0"});
    for (int m = 0; m < 50; ++m) {
        text += Lines({"%COL"});
        for (const char* second : {"1", "2", "3"})
            text += Lines({SlotLine(setup, "Beat", "C", "kick", second, std::string("kick") + second + ".wav",
                                    "\"0\"  \"0\"  \"0\"  ")});
    }
    Song song;
    SongReader reader = Reader();
    ASSERT_TRUE(reader.ReadSongText(text, "x.ncp", song));
    EXPECT_EQ(reader.Stats().slots, 150);
    EXPECT_EQ(reader.Stats().distinctNames, 3);
    EXPECT_EQ(song.measures[49].slots[2].ref, Kick(2));
    EXPECT_EQ(song.measures[49].slots[2].storedNames.get(), song.measures[0].slots[2].storedNames.get());
}

} // namespace
} // namespace bm
