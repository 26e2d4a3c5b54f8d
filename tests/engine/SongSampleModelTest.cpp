#include "engine/SongSampleModel.h"

#include "SongBuilder.h"

#include <gtest/gtest.h>

#include <limits>

namespace bm::engine {
namespace {

TEST(SongSampleModel, OutputMeasuresFollowTheRegionsInListOrderClippedToTheSong)
{
    const EngineSong song = test::MakeSong(5, 1000);
    std::vector<int32_t> out;

    ASSERT_TRUE(OutputMeasures(song, {{2, 3, true}, {0, 0, false}}, 100, out));
    EXPECT_EQ(out, (std::vector<int32_t>{2, 3, 0}));

    ASSERT_TRUE(OutputMeasures(song, {}, 100, out));
    EXPECT_EQ(out, (std::vector<int32_t>{0, 1, 2, 3, 4}));

    // Parts outside the song and reversed regions deliver nothing.
    ASSERT_TRUE(OutputMeasures(song, {{-2, 1, true}, {3, 1, true}, {3, 99, true}}, 100, out));
    EXPECT_EQ(out, (std::vector<int32_t>{0, 1, 3, 4}));

    // Repeated regions count every time; beyond the limit nothing is delivered.
    ASSERT_TRUE(OutputMeasures(song, {{0, 4, true}, {0, 4, true}}, 10, out));
    EXPECT_EQ(out.size(), 10u);
    EXPECT_FALSE(OutputMeasures(song, {{0, 4, true}, {0, 4, true}, {0, 0, true}}, 10, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(OutputMeasures(song, {}, 4, out));
}

TEST(SongSampleModel, RetimeScalesStartsAndEnvelopePositionsTruncatingTowardZero)
{
    EngineSong song = test::MakeSong(2, 20352);
    test::Place(song, 0, 0, "a.wav", 10176, 100);
    test::Place(song, 1, 3, "b.wav", 20351, 100);
    song.measures[1].slots[4].start = 999; // an empty slot keeps its words
    song.envelopes[2][kVolumeEnvelope] = {{-3, 5}, {20353, 7}, {std::numeric_limits<int32_t>::max(), 9}};

    RetimeSongSample(song, 10176);
    EXPECT_EQ(song.samplesPerMeasure, 10176);
    EXPECT_EQ(song.measures[0].slots[0].start, 5088);
    EXPECT_EQ(song.measures[1].slots[3].start, 10175); // 10175.5
    EXPECT_EQ(song.measures[1].slots[4].start, 999);
    const EnvelopeNodes expected{{-1, 5}, {10176, 7}, {std::numeric_limits<int32_t>::max() / 2, 9}};
    EXPECT_EQ(song.envelopes[2][kVolumeEnvelope], expected);
}

TEST(SongSampleModel, VersionLineMustComeFirst)
{
    EXPECT_TRUE(HasSongSampleVersion("\r\n  %VER 1.0  \r\n%SIZE 1\r\n"));
    EXPECT_FALSE(HasSongSampleVersion("%SIZE 1\r\n%VER 1.0\r\n"));
    EXPECT_FALSE(HasSongSampleVersion("%VER 1.1\r\n"));
    EXPECT_FALSE(HasSongSampleVersion(""));
}

struct EstimateCase {
    const char* name;
    const char* text;
    int64_t bytes;
};

class SongImportEstimate : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(SongImportEstimate, CountsMeasuresAndActiveRegions)
{
    EXPECT_EQ(EstimateSongImportBytes(GetParam().text), GetParam().bytes);
}

#define TEN_MEASURES "%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n%COL\r\n"

INSTANTIATE_TEST_SUITE_P(
    Texts, SongImportEstimate,
    ::testing::Values(
        EstimateCase{"NoRegions", "%VER 1.0\r\n%SPC 20352\r\n" TEN_MEASURES, 10 * 20352 * 4},
        // Only regions marked "e" count: (2, 3) and (0, 0) make 3 measures.
        EstimateCase{"ActiveRegions", "%VER 1.0\r\n%SPC 20352\r\n%REG 2 3 e\r\n%REG 0 0 e\r\n%REG 4 9 d\r\n" TEN_MEASURES,
                     3 * 20352 * 4},
        EstimateCase{"RegionsLongerThanTheSong", "%VER 1.0\r\n%SPC 100\r\n%REG 0 50 e\r\n" TEN_MEASURES, 10 * 100 * 4},
        EstimateCase{"NoSamplesPerMeasure", "%VER 1.0\r\n%COL\r\n%COL\r\n", 2 * 1000 * 4},
        EstimateCase{"WrongVersion", "%VER 2.0\r\n%SPC 100\r\n" TEN_MEASURES, 0},
        EstimateCase{"LaterVersionLinesIgnored", "%VER 1.0\r\n%VER 9\r\n%SPC 100\r\n%COL\r\n", 400},
        EstimateCase{"NoVersion", "%SPC 100\r\n" TEN_MEASURES, 0},
        EstimateCase{"Empty", "", 0},
        EstimateCase{"ReversedRegionsGiveNothing", "%VER 1.0\r\n%SPC 100\r\n%REG 5 1 e\r\n" TEN_MEASURES, 0},
        EstimateCase{"HostileNumbersSaturate",
                     "%VER 1.0\r\n%SPC 9223372036854775807\r\n%REG -9223372036854775807 9223372036854775807 e\r\n%COL\r\n",
                     std::numeric_limits<int64_t>::max() / 4 * 4},
        // The smallest 64-bit start cannot be negated: the span saturates.
        EstimateCase{"LowestStartSaturates",
                     "%VER 1.0\r\n%SPC 100\r\n%REG -9223372036854775808 5 e\r\n" TEN_MEASURES, 10 * 100 * 4},
        EstimateCase{"NegativeSamplesPerMeasure", "%VER 1.0\r\n%SPC -5\r\n%COL\r\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace bm::engine
