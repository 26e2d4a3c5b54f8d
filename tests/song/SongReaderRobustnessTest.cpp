#include "song/SongReader.h"
#include "song/SongWriter.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

struct MalformedCase {
    const char* name;
    std::string text;
    bool ok;
    size_t measures;
};

std::string Repeat(std::string_view piece, size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        out.append(piece);
    return out;
}

std::vector<MalformedCase> Cases()
{
    using namespace std::literals;
    const std::string slot = "\"Pop\"  \"Drums\"  \"Beat\"  \"C\"  \"kick\"  \"1\"  \"x.wav\"  \"loop\"  \"0\"  \"5\"  \"0\"  ";
    std::vector<MalformedCase> cases = {
        {"Empty", "", true, 0},
        {"TruncatedSlotLine", "%VER 1.0\r\n%COL\r\n" + slot.substr(0, 37), true, 1},
        {"TruncatedKey", "%VER 1.0\r\n%COL\r\n%CO", true, 1},
        {"TruncatedVersion", "%VER 1.", false, 0},
        {"UnterminatedQuote", "%VER 1.0\r\n%PATH \"/never/closed\r\n%COL\r\n\"Pop  \"Drums\r\n", true, 1},
        {"HugeNumbers",
         "%SIZE 99999999999999999999\r\n%SPC 99999999999999999999\r\n%CPT -99999999999999999999\r\n"
         "%VOL 99999999999999999999 5 5\r\n%REG -99999999999999999999 99999999999999999999 e\r\n"
         "%LP 0 0 99999999999999999999 -99999999999999999999 7\r\n%COL\r\n+99999999999999999999\r\n" +
             slot + "\r\n%COL\r\n\"a\"  \"b\"  \"c\"  \"d\"  \"e\"  \"f\"  \"g\"  \"h\"  \"99999999999999999999\"  "
                    "\"-99999999999999999999\"  \"99999999999999999999\"  \r\n",
         true, 2},
        {"LineOverOneMegabyte", "%VER 1.0\r\n%COL\r\n\"" + std::string(1100000, 'x') + "\r\n%COL\r\n" + slot, true, 2},
        {"QuotedFieldOverOneMegabyte", "%COL\r\n\"" + std::string(1100000, 'y') + "\"  " + slot.substr(7), true, 1},
        {"NulBytes", std::string("%VER 1.0\r\n%CO\0L\r\n%COL\r\n\"Pop\0\"  \0\r\n+\0\r\n%LP 0 0 1\0 2 3\r\n"sv), true, 1},
        {"OnlyLineFeedsAndCarriageReturns", Repeat("\r", 1000) + Repeat("\n", 1000), true, 0},
        {"HugeSizeFewMeasures", "%VER 1.0\r\n%SIZE 2147483647\r\n%COL\r\n", true, 1},
        {"TooManyMeasures", Repeat("%COL\n", size_t(kMaxSongMeasures) + 1), false, size_t(kMaxSongMeasures)},
        {"VersionAfterMeasures", "%COL\r\n%VER 2.0\r\n%COL\r\n", false, 1},
    };
    return cases;
}

class MalformedSong : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedSong, ReadsWithoutHarm)
{
    const MalformedCase& c = GetParam();
    const SampleLibrary library = test::MakeLibrary();
    engine::RecordingEngineClient engine;
    SongReader reader(library, {"/nonexistent/"}, "/nonexistent/", {.engine = &engine});
    Song song;
    Error error;
    EXPECT_EQ(reader.ReadSongText(c.text, "x.ncp", song, &error), c.ok) << error.message;
    EXPECT_EQ(song.measures.size(), c.measures);
    EXPECT_EQ(c.ok, error.message.empty());
    EXPECT_GE(song.samplesPerMeasure, 1);
    EXPECT_GE(song.measuresPerBar, 1);
    if (c.ok) {
        for (const auto& channel : song.envelopes) {
            for (const auto& envelope : channel)
                EXPECT_GE(envelope.size(), 2u);
        }
    }

    SongFragment clipboard;
    EXPECT_EQ(reader.ReadClipboardText(c.text, clipboard), c.ok);
    EXPECT_EQ(clipboard.measures.size(), c.measures);

    // Whatever was read can be written again.
    SongWriter writer(library, {"/nonexistent/"}, "/nonexistent/");
    EXPECT_FALSE(writer.Format(song, SongWriteMode::AsDocument).empty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, MalformedSong, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MalformedSong, DamagedFilesNeverCrash)
{
    test::ProgramSetup setup;
    Song song = test::MakeSong(12, 20352, 8);
    song.regions = {{0, 3, true}, {4, 11, false}};
    for (size_t m = 0; m < song.measures.size(); ++m) {
        song.measures[m].slots[m % kChannels] = test::Slot(test::Kick(int(m % 3)), int32_t(m * 100), 1);
        song.measures[m].slots[11 - m % kChannels] = test::Slot(test::Crash(), 5);
    }
    song.envelopes[2][0].insert(song.envelopes[2][0].begin() + 1, {1000, 7, 1});
    SongWriter writer(setup.library, setup.folders, setup.programFolder);
    const std::string valid = writer.Format(song, SongWriteMode::AsDocument);

    std::mt19937 random(20240601);
    for (int round = 0; round < 100; ++round) {
        std::string damaged = valid;
        const size_t changes = std::max<size_t>(1, damaged.size() / 100);
        for (size_t i = 0; i < changes; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
        engine::RecordingEngineClient engine;
        SongReader reader(setup.library, setup.folders, setup.programFolder, {.engine = &engine});
        Song read;
        reader.ReadSongText(damaged, "x.ncp", read);
        EXPECT_LE(read.measures.size(), 64u);
        EXPECT_FALSE(writer.Format(read, SongWriteMode::Plain).empty());
    }
}

// A file cut anywhere after its measure count still reads, and says that
// it lost measures; the whole file and a file without a count do not.
TEST(MalformedSong, AFileCutShortReadsAndSaysItLostMeasures)
{
    test::ProgramSetup setup;
    Song song = test::MakeSong(12, 20352, 8);
    for (size_t m = 0; m < song.measures.size(); ++m)
        song.measures[m].slots[m % kChannels] = test::Slot(test::Kick(int(m % 3)), 0, 0);
    SongWriter writer(setup.library, setup.folders, setup.programFolder);
    const std::string whole = writer.Format(song, SongWriteMode::AsDocument);
    engine::RecordingEngineClient engine;
    SongReader reader(setup.library, setup.folders, setup.programFolder, {.engine = &engine});

    Song read;
    ASSERT_TRUE(reader.ReadSongText(whole, "x.ncp", read));
    EXPECT_EQ(reader.Stats().declaredMeasures, 12);
    EXPECT_FALSE(reader.Stats().CutShort());

    const size_t half = whole.find("%COL", whole.size() / 2);
    ASSERT_NE(half, std::string::npos);
    ASSERT_TRUE(reader.ReadSongText(whole.substr(0, half), "x.ncp", read));
    EXPECT_TRUE(reader.Stats().CutShort());
    EXPECT_LT(reader.Stats().measures, 12);
    EXPECT_EQ(size_t(reader.Stats().measures), read.measures.size());

    ASSERT_TRUE(reader.ReadSongText("%VER 1.0\r\n%COL\r\n", "x.ncp", read));
    EXPECT_EQ(reader.Stats().declaredMeasures, -1);
    EXPECT_FALSE(reader.Stats().CutShort());
}

} // namespace
} // namespace bm
