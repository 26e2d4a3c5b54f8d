#include "song/MeasureEditing.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using engine::RecordingEngineClient;

// A song of `measures` measures of 1000 frames whose lists are flat but for
// the volume of channel 0, which rises with the frame position.
Song RampSong(size_t measures)
{
    Song song = test::MakeSong(measures, 1000, 4);
    const int32_t last = int32_t(measures) * 1000 - 1;
    song.envelopes[0][0] = {{0, 0, 0}, {2000, 2000, 0}, {last, last, 0}};
    return song;
}

TEST(MeasureEditing, FirstMeasuresOfAnEmptySongGetRestPoints)
{
    Song song;
    RecordingEngineClient engine;
    EXPECT_EQ(InsertMeasures(song, 7, 3, &engine), (MeasureSpan{0, 3}));
    ASSERT_EQ(song.measures.size(), 3u);

    std::vector<engine::EngineCommand> expected{engine::InsertMeasures{0, 3}};
    const int32_t spm = song.samplesPerMeasure;
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            expected.push_back(engine::InsertEnvelopePoint{c, k, 0, 0, EnvelopeRestValue(k)});
            expected.push_back(engine::InsertEnvelopePoint{c, k, 1, spm - 1, EnvelopeRestValue(k)});
        }
    }
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k)
            expected.push_back(engine::SetEnvelopePoint{c, k, 1, 3 * spm - 1, EnvelopeRestValue(k)});
    }
    EXPECT_EQ(test::Described(engine.posted), test::Described(expected));
    EXPECT_EQ(song.envelopes[9][1], (Envelope{{0, 0, 0}, {3 * spm - 1, 0, 0}}));
}

TEST(MeasureEditing, InsertingMovesRegionsAndLaterPoints)
{
    Song song = RampSong(4);
    song.regions = {{0, 0, true}, {0, 2, false}, {1, 3, true}, {3, 3, true}};
    RecordingEngineClient engine;
    EXPECT_EQ(InsertMeasures(song, 1, 2, &engine), (MeasureSpan{1, 2}));
    EXPECT_EQ(song.measures.size(), 6u);
    EXPECT_EQ(song.regions, (std::vector<Region>{{0, 0, true}, {0, 4, false}, {3, 5, true}, {5, 5, true}}));
    EXPECT_EQ(song.envelopes[0][0], (Envelope{{0, 0, 0}, {4000, 2000, 0}, {5999, 3999, 0}}));
    EXPECT_EQ(song.envelopes[1][0], (Envelope{{0, 32767, 0}, {5999, 32767, 0}}));

    const auto moved = test::PostedOf<engine::SetEnvelopePoint>(engine);
    ASSERT_EQ(moved.size(), 2u + 23u);
    EXPECT_EQ(moved[0], (engine::SetEnvelopePoint{0, 0, 1, 4000, 2000}));
    EXPECT_EQ(moved[1], (engine::SetEnvelopePoint{0, 0, 2, 5999, 3999}));
    EXPECT_EQ(engine::CodeOf(engine.posted.front()), engine::CommandCode::InsertMeasures);

    // Inserting at the end moves only the last point.
    engine.posted.clear();
    InsertMeasures(song, 99, 1, &engine);
    EXPECT_EQ(song.envelopes[0][0], (Envelope{{0, 0, 0}, {4000, 2000, 0}, {6999, 3999, 0}}));
    EXPECT_EQ(song.regions.back(), (Region{5, 5, true}));
}

TEST(MeasureEditing, RemovingKeepsCurvesContinuous)
{
    Song song = RampSong(6);
    song.regions = {{0, 1, true}, {1, 3, false}, {2, 3, true}, {4, 5, true}, {3, 5, false}};
    RecordingEngineClient engine;
    EXPECT_EQ(RemoveMeasures(song, 2, 2, &engine), (MeasureSpan{2, 2}));
    EXPECT_EQ(song.measures.size(), 4u);
    EXPECT_EQ(song.regions, (std::vector<Region>{{0, 1, true}, {1, 1, false}, {2, 3, true}, {2, 3, false}}));
    EXPECT_EQ(song.envelopes[0][0], (Envelope{{0, 0, 0}, {1999, 1999, 0}, {2000, 4000, 0}, {3999, 5999, 0}}));
    // A flat list gets the point before the cut but none after it.
    EXPECT_EQ(song.envelopes[0][1], (Envelope{{0, 0, 0}, {1999, 0, 0}, {3999, 0, 0}}));

    std::vector<engine::EngineCommand> expected{engine::RemoveMeasures{2, 2},
                                                engine::InsertEnvelopePoint{0, 0, 1, 1999, 1999},
                                                engine::InsertEnvelopePoint{0, 0, 3, 4000, 4000},
                                                engine::DeleteEnvelopePoint{0, 0, 2},
                                                engine::SetEnvelopePoint{0, 0, 2, 2000, 4000},
                                                engine::SetEnvelopePoint{0, 0, 3, 3999, 5999},
                                                engine::InsertEnvelopePoint{0, 1, 1, 1999, 0},
                                                engine::SetEnvelopePoint{0, 1, 2, 3999, 0}};
    ASSERT_GE(engine.posted.size(), expected.size());
    EXPECT_EQ(test::Described({engine.posted.begin(), engine.posted.begin() + 8}), test::Described(expected));
}

TEST(MeasureEditing, RemovingAtTheEdges)
{
    // From the start: the first point goes, the new point after the cut
    // becomes the start of the curve.
    Song song = RampSong(6);
    RemoveMeasures(song, 0, 2, nullptr);
    EXPECT_EQ(song.envelopes[0][0], (Envelope{{0, 2000, 0}, {3999, 5999, 0}}));
    EXPECT_EQ(song.envelopes[3][0], (Envelope{{0, 32767, 0}, {3999, 32767, 0}}));

    // Up to the end (count clamped): the point before the cut ends the curve.
    song = RampSong(6);
    EXPECT_EQ(RemoveMeasures(song, 4, 50, nullptr), (MeasureSpan{4, 2}));
    EXPECT_EQ(song.envelopes[0][0], (Envelope{{0, 0, 0}, {2000, 2000, 0}, {3999, 3999, 0}}));

    // The whole song: every point and region goes.
    song = RampSong(6);
    song.regions = {{0, 5, true}, {2, 2, false}};
    RecordingEngineClient engine;
    EXPECT_EQ(RemoveMeasures(song, 0, 6, &engine), (MeasureSpan{0, 6}));
    EXPECT_TRUE(song.measures.empty());
    EXPECT_TRUE(song.regions.empty());
    EXPECT_TRUE(song.envelopes[0][0].empty());
    EXPECT_EQ(test::PostedOf<engine::DeleteEnvelopePoint>(engine).size(), 3u + 23u * 2u);
    EXPECT_TRUE(test::PostedOf<engine::InsertEnvelopePoint>(engine).empty());

    // Nothing to remove.
    engine.posted.clear();
    EXPECT_EQ(RemoveMeasures(song, 0, 1, &engine), (MeasureSpan{}));
    song = RampSong(2);
    EXPECT_EQ(RemoveMeasures(song, 1, 0, &engine), (MeasureSpan{}));
    EXPECT_EQ(RemoveMeasures(song, 9, 1, &engine), (MeasureSpan{1, 1})) << "first clamped to the last measure";
    EXPECT_EQ(test::Codes(engine).front(), engine::CommandCode::RemoveMeasures);
}

TEST(MeasureEditing, EnvelopeValueBetweenPoints)
{
    const Envelope envelope{{100, 0, 0}, {200, 1000, 0}, {200, 5, 0}, {300, -1000, 0}};
    EXPECT_EQ(EnvelopeValueAt(envelope, 0, 7), 0);
    EXPECT_EQ(EnvelopeValueAt(envelope, 150, 7), 500);
    EXPECT_EQ(EnvelopeValueAt(envelope, 200, 7), 1000);
    EXPECT_EQ(EnvelopeValueAt(envelope, 250, 7), -497) << "from the last point at 200";
    EXPECT_EQ(EnvelopeValueAt(envelope, 999, 7), -1000);
    EXPECT_EQ(EnvelopeValueAt({}, 5, 7), 7);
}

} // namespace
} // namespace bm
