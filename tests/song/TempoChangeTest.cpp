#include "song/TempoChange.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using engine::RecordingEngineClient;
using test::Kick;
using test::Slot;

TEST(TempoChange, RetimingAWholeSongPostsInOrder)
{
    const SampleLibrary library = test::MakeLibrary();
    Song song = test::MakeSong(2, 1000, 8);
    song.measures[1].slots[3] = Slot(Kick(0), 700);
    song.envelopes[4][0] = {{0, 1, 0}, {1200, 2, 0}, {1999, 3, 0}};
    RecordingEngineClient engine;
    RetimeRequest request;
    request.toSamplesPerMeasure = 500;
    request.toMeasuresPerBar = 8;
    request.mode = RetimeMode::KeepTime;
    const SongRetimeResult result = RetimeSong(song, request, library, &engine);
    EXPECT_EQ(result, (SongRetimeResult{0, 2, 4}));
    EXPECT_EQ(song.samplesPerMeasure, 500);
    ASSERT_EQ(song.measures.size(), 4u);
    EXPECT_EQ(song.measures[3].slots[3], Slot(Kick(0), 200));

    std::vector<engine::EngineCommand> expected{engine::RemoveMeasures{0, 2}, engine::SetTempo{500, 8},
                                                engine::InsertMeasures{0, 4}};
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            const Envelope& envelope = song.envelopes[size_t(c)][size_t(k)];
            for (size_t i = 0; i < envelope.size(); ++i)
                expected.push_back(engine::SetEnvelopePoint{c, k, int32_t(i), envelope[i].position, envelope[i].value});
        }
    }
    expected.push_back(engine::SetSlot{3, 3, 200, 81408, 0, Kick(0), "drums/kick1.wav"});
    EXPECT_EQ(test::Described(engine.posted), test::Described(expected));
    EXPECT_EQ(song.envelopes[4][0], (Envelope{{0, 1, 0}, {1200, 2, 0}, {1999, 3, 0}}));
    EXPECT_EQ(song.envelopes[0][1].back().position, 1999);
}

TEST(TempoChange, RegionsScaleInWholeBarsAndAreCutAtTheEnd)
{
    const SampleLibrary library;
    Song song = test::MakeSong(16, 20352, 8);
    song.regions = {{8, 15, true}, {0, 0, false}, {6, 30, true}, {20, 30, true}};
    TempoChange change;
    change.samplesPerMeasure = 20352;
    change.measuresPerBar = 4;
    ApplyTempoChange(song, change, library, nullptr);
    ASSERT_EQ(song.measures.size(), 8u);
    EXPECT_EQ(song.regions, (std::vector<Region>{{4, 7, true}, {0, 0, false}, {3, 7, true}}));

    // Ten measures of an eight-measure bar count as 16; at half the measure
    // length they become 20 measures, counted as 24.
    Song longer = test::MakeSong(10, 20352, 8);
    longer.regions = {{8, 9, true}};
    change = {10176, 8, kUnscaledBars, true};
    ApplyTempoChange(longer, change, library, nullptr);
    EXPECT_EQ(longer.measures.size(), 20u);
    EXPECT_EQ(longer.regions, (std::vector<Region>{{12, 14, true}}));
}

TEST(TempoChange, BarScaleStretchesEveryBar)
{
    const SampleLibrary library;
    Song song = test::MakeSong(16, 1000, 8);
    song.measures[1].slots[0] = Slot(Kick(0), 100);
    song.measures[9].slots[1] = Slot(Kick(1));

    Song doubled = song;
    EXPECT_EQ(ApplyTempoChange(doubled, {1000, 8, 3, false}, library, nullptr).newMeasures, 32);
    EXPECT_EQ(doubled.measures[2].slots[0], Slot(Kick(0), 200));
    EXPECT_EQ(doubled.measures[18].slots[1], Slot(Kick(1)));

    Song halved = song;
    EXPECT_EQ(ApplyTempoChange(halved, {1000, 8, 1, false}, library, nullptr).newMeasures, 8);
    EXPECT_EQ(halved.measures[0].slots[0], Slot(Kick(0), 550));
    EXPECT_EQ(halved.measures[4].slots[1], Slot(Kick(1), 500));
}

TEST(TempoChange, EmptySongsAndUnchangedValues)
{
    const SampleLibrary library;
    RecordingEngineClient engine;
    Song song = test::MakeSong(0, 20352, 8);
    ApplyTempoChange(song, {20352, 8, kUnscaledBars, true}, library, &engine);
    EXPECT_TRUE(engine.posted.empty()) << "nothing differs: nothing happens";
    ApplyTempoChange(song, {10000, 3, kUnscaledBars, false}, library, &engine);
    EXPECT_EQ(test::Described(engine.posted), (std::vector<std::string>{"tempo 10000 3"}));
    EXPECT_EQ(song.samplesPerMeasure, 10000);
    EXPECT_EQ(song.measuresPerBar, 3);
    EXPECT_TRUE(song.measures.empty());
}

TEST(TempoChange, WarnsOnlyWhenSqueezedNeighboursMayCollide)
{
    Song song = test::MakeSong(4, 20352, 8);
    song.measures[1].slots[6] = Slot(Kick(0));
    song.measures[3].slots[6] = Slot(Kick(0));
    EXPECT_FALSE(RisksDataLoss(song, {20352, 4, kUnscaledBars, false})) << "no neighbours in one channel";
    song.measures[2].slots[6] = Slot(Kick(0));
    EXPECT_TRUE(RisksDataLoss(song, {20352, 4, kUnscaledBars, false}));
    EXPECT_TRUE(RisksDataLoss(song, {20352, 4, kUnscaledBars, true}));
    EXPECT_FALSE(RisksDataLoss(song, {20352, 4, 3, false})) << "bars doubled: nothing squeezed";
    EXPECT_FALSE(RisksDataLoss(song, {10176, 8, kUnscaledBars, false}));
    EXPECT_TRUE(RisksDataLoss(song, {20352, 8, 1, false}));
}

} // namespace
} // namespace bm
