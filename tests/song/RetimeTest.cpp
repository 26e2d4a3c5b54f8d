#include "song/Retime.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::Kick;
using test::Slot;

RetimeRequest Request(int32_t s1, int32_t b1, int32_t s2, int32_t b2, RetimeMode mode, int32_t scale = kUnscaledBars)
{
    return RetimeRequest{s1, b1, s2, b2, mode, scale};
}

TEST(Retime, KeepTimeToHalfMeasuresDoublesTheMeasures)
{
    SongFragment source;
    source.measures.resize(3);
    source.measures[0].slots[4] = Slot(Kick(0), 15000, 1, 1);
    source.measures[2].slots[0] = Slot(Kick(1), 20000);
    source.envelopes[1][0] = {{0, 5, 0}, {61055, 6, 1}};
    source.inUse[1][0] = 1;
    SongFragment target;
    EXPECT_EQ(RetimeFragment(source, Request(20352, 8, 10176, 8, RetimeMode::KeepTime), target), 0);
    ASSERT_EQ(target.measures.size(), 6u);
    EXPECT_EQ(target.measures[1].slots[4], Slot(Kick(0), 4824, 1, 1));
    // 2 * 20352 + 20000 = 60704 = 5 * 10176 + 9824.
    EXPECT_EQ(target.measures[5].slots[0], Slot(Kick(1), 9824));
    EXPECT_EQ(target.envelopes[1][0], source.envelopes[1][0]) << "points keep their frames";
    EXPECT_EQ(target.inUse[1][0], 1);
    EXPECT_EQ(target.samplesPerMeasure, 10176);
}

TEST(Retime, FitBarsFromEightToFourMeasuresPerBar)
{
    std::vector<Measure> source(16);
    source[4].slots[2] = Slot(Kick(0));                // fifth measure of the first bar
    source[12].slots[2] = Slot(Kick(1), 1000);         // fifth measure of the second bar
    source[7].slots[3] = Slot(Kick(2), 20351);         // last frame of the first bar
    ChannelEnvelopes envelopes;
    envelopes[0][1] = {{0, 1, 0}, {40704, 2, 0}, {325631, 3, 0}};
    std::vector<Measure> target;
    ChannelEnvelopes targetEnvelopes;
    const int bits = RetimeMeasures(source, envelopes, Request(20352, 8, 20352, 4, RetimeMode::FitBars), target,
                                    targetEnvelopes);
    EXPECT_EQ(bits, 0);
    ASSERT_EQ(target.size(), 8u);
    EXPECT_EQ(target[2].slots[2], Slot(Kick(0)));       // the third new measure of the bar
    EXPECT_EQ(target[6].slots[2], Slot(Kick(1), 500));  // ... of the second bar
    EXPECT_EQ(target[3].slots[3], Slot(Kick(2), 20351)); // frame 162815 of the bar halved
    EXPECT_EQ(targetEnvelopes[0][1], (Envelope{{0, 1, 0}, {20352, 2, 0}, {162815, 3, 0}}));
}

TEST(Retime, ReportsCollisionsAndLosses)
{
    std::vector<Measure> source(8);
    source[4].slots[0] = Slot(Kick(0));
    source[5].slots[0] = Slot(Kick(1)); // lands in the same new measure and channel
    source[7].slots[1] = Slot(Kick(2), 3 * 20352); // an offset past its measure: beyond the target
    std::vector<Measure> target;
    ChannelEnvelopes envelopes, targetEnvelopes;
    const int bits = RetimeMeasures(source, envelopes, Request(20352, 8, 20352, 4, RetimeMode::FitBars), target,
                                    targetEnvelopes);
    EXPECT_EQ(bits, kRetimeOverwrote | kRetimeDropped);
    EXPECT_EQ(target[2].slots[0].ref, Kick(1)) << "the later slot overwrites";

    source.assign(2, Measure{});
    source[1].slots[0] = Slot(Kick(0), -5);
    EXPECT_EQ(RetimeMeasures(source, envelopes, Request(1000, 4, 500, 4, RetimeMode::KeepTime), target,
                             targetEnvelopes),
              0);
    EXPECT_EQ(target[1].slots[0].start, 495);
    source[0].slots[0] = Slot(Kick(0), -5);
    EXPECT_EQ(RetimeMeasures(source, envelopes, Request(1000, 4, 500, 4, RetimeMode::KeepTime), target,
                             targetEnvelopes),
              kRetimeDropped);
}

TEST(Retime, StretchScalesWithinEachMeasureAndCopiesAtEqualTempo)
{
    SongFragment source;
    source.measures.resize(2);
    source.measures[1].slots[7] = Slot(Kick(0), 10001, 1, 1);
    source.measures[1].slots[8].selected = 1; // empty slots are not carried
    source.envelopes[11][1] = {{0, -3, 1}, {40703, 3, 0}};
    SongFragment target;
    EXPECT_EQ(RetimeFragment(source, Request(20352, 8, 10176, 2, RetimeMode::Stretch), target), 0);
    ASSERT_EQ(target.measures.size(), 2u);
    EXPECT_EQ(target.measures[1].slots[7], Slot(Kick(0), 5000, 1, 1));
    EXPECT_EQ(target.measures[1].slots[8], ChannelSlot{});
    EXPECT_EQ(target.envelopes[11][1], (Envelope{{0, -3, 1}, {20351, 3, 0}}));

    EXPECT_EQ(RetimeFragment(source, Request(20352, 8, 20352, 8, RetimeMode::Stretch), target), 0);
    EXPECT_EQ(target.measures[1].slots[7], source.measures[1].slots[7]);
    EXPECT_EQ(target.envelopes, source.envelopes);
}

TEST(Retime, HostileTempoValuesStayBounded)
{
    std::vector<Measure> source(3);
    source[2].slots[0] = Slot(Kick(0), 5);
    std::vector<Measure> target;
    ChannelEnvelopes envelopes, targetEnvelopes;
    RetimeMeasures(source, envelopes, Request(2000000000, 1, 1, 1, RetimeMode::KeepTime), target, targetEnvelopes);
    EXPECT_EQ(static_cast<int64_t>(target.size()), kMaxSongMeasures);
    RetimeMeasures(source, envelopes, Request(0, 0, -4, 2000000000, RetimeMode::FitBars), target, targetEnvelopes);
    EXPECT_EQ(static_cast<int64_t>(target.size()), kMaxSongMeasures);
    RetimeMeasures({}, envelopes, Request(20352, 8, 10176, 8, RetimeMode::KeepTime), target, targetEnvelopes);
    EXPECT_TRUE(target.empty());
}

TEST(Retime, EnvelopeEndsMoveToTheSongsEnds)
{
    ChannelEnvelopes envelopes;
    envelopes[0][0] = {{5, 1, 0}, {100, 2, 0}, {900, 3, 1}};
    envelopes[1][1] = {{7, 1, 0}};
    FixEnvelopeEnds(envelopes, 4, 1000);
    EXPECT_EQ(envelopes[0][0], (Envelope{{0, 1, 0}, {100, 2, 0}, {3999, 3, 1}}));
    EXPECT_EQ(envelopes[1][1], (Envelope{{7, 1, 0}})) << "a single point stays";
}

} // namespace
} // namespace bm
