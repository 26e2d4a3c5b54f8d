// Following the play cursor, the meters' fall and the knob's steps.

#include "ui/main/ChannelMeters.h"
#include "ui/main/PlaybackFollow.h"
#include "ui/main/VolumeKnob.h"

#include <gtest/gtest.h>

namespace bm::ui {
namespace {

constexpr int32_t kWidth = 710;

TEST(PlaybackFollowTest, PageModeTurnsThePageOnlyPastThirtySixThirtySevenths)
{
    const int32_t edge = kWidth * 36 / 37; // 690
    FollowStep step = FollowPlayback(FollowMode::Page, false, 0, edge, 0, kWidth);
    EXPECT_FALSE(step.scroll);
    step = FollowPlayback(FollowMode::Page, false, 0, edge + 1, 0, kWidth);
    EXPECT_TRUE(step.scroll);
    EXPECT_EQ(step.scrollTo, edge + 1) << "the cursor goes to the left edge";
    EXPECT_EQ(step.mode, FollowMode::Page);
    // Out of view on either side: straight there, then centred with the smooth flag.
    step = FollowPlayback(FollowMode::Page, true, 0, 5000, 1000, kWidth);
    EXPECT_TRUE(step.scroll);
    EXPECT_EQ(step.scrollTo, 5000);
    EXPECT_EQ(step.mode, FollowMode::Centred);
    step = FollowPlayback(FollowMode::Page, false, 0, 10, 1000, kWidth);
    EXPECT_EQ(step.scrollTo, 10);
    EXPECT_FALSE(FollowPlayback(FollowMode::Off, true, 0, 5000, 0, kWidth).scroll);
}

TEST(PlaybackFollowTest, SmoothCatchUpReachesTheMiddleWithinTwoHundredPixelsThenHoldsIt)
{
    FollowMode mode = FollowMode::Page;
    int64_t catchUp = 0;
    int64_t x = 0;
    int64_t lastGap = 0;
    for (int64_t b = 600; b < 2000; b += 5) {
        const FollowStep step = FollowPlayback(mode, true, catchUp, b, x, kWidth);
        mode = step.mode;
        catchUp = step.catchUpStart;
        if (step.scroll)
            x = step.scrollTo;
        const int64_t gap = b - x; // the cursor's place in the view
        if (mode == FollowMode::Smooth) {
            EXPECT_LE(gap, kWidth) << "the cursor never leaves the view";
            if (lastGap != 0) {
                EXPECT_LE(gap, lastGap + 5) << "it moves towards the middle";
            }
        }
        lastGap = gap;
        if (b >= 905) { // caught up at 895, centred from the tick after the next
            EXPECT_EQ(mode, FollowMode::Centred);
            EXPECT_EQ(gap, kWidth / 2) << "b = " << b;
        }
    }
    EXPECT_EQ(catchUp, 695) << "the catch-up began where the cursor passed 36/37";
}

TEST(PlaybackFollowTest, ACursorThatJumpsBackEndsTheCatchUp)
{
    const FollowStep step = FollowPlayback(FollowMode::Smooth, true, 700, 100, 0, kWidth);
    EXPECT_EQ(step.mode, FollowMode::Centred);
    EXPECT_FALSE(step.scroll);
}

TEST(ChannelMetersTest, MetersRiseAtOnceAndFallByTwoPerTick)
{
    ChannelMeters meters;
    std::array<int32_t, 12> peaks{};
    peaks[0] = 32767;
    peaks[3] = 32768 / 27 * 10;
    peaks[5] = -5;
    EXPECT_TRUE(meters.Update(peaks));
    EXPECT_EQ(meters.Level(0), 26);
    EXPECT_EQ(meters.Level(3), 9);
    EXPECT_EQ(meters.Level(5), 0);
    peaks = {};
    meters.Update(peaks);
    EXPECT_EQ(meters.Level(0), 24);
    EXPECT_EQ(meters.Level(3), 7);
    for (int i = 0; i < 12; ++i)
        meters.Update(peaks);
    EXPECT_EQ(meters.Level(0), 0);
    EXPECT_FALSE(meters.Update(peaks)) << "nothing changes once all are down";
    peaks[1] = 20000;
    meters.Update(peaks);
    peaks[1] = 10000;
    meters.Update(peaks);
    EXPECT_EQ(meters.Level(1), 16 - 2) << "a lower peak does not pull the meter down faster";
}

TEST(VolumeKnobTest, StepsComeFromTheAngleAndWrapAcrossTheSeam)
{
    EXPECT_FALSE(VolumeKnob::StepsAt(20, 0).has_value()) << "inside the dead zone";
    EXPECT_EQ(VolumeKnob::StepsAt(21, 0), 0);
    EXPECT_EQ(VolumeKnob::StepsAt(0, 30), 36) << "a quarter turn clockwise";
    EXPECT_EQ(VolumeKnob::Wrap(140), -4);
    EXPECT_EQ(VolumeKnob::Wrap(-140), 4);
    EXPECT_EQ(VolumeKnob::Wrap(72), 72);

    VolumeKnob knob;
    knob.Begin();
    EXPECT_EQ(knob.MoveTo(-30, -1), 0) << "the first position is only the base";
    EXPECT_EQ(knob.MoveTo(-30, 1), -2) << "across the seam on the left: two steps counter-clockwise";
    EXPECT_EQ(knob.MoveTo(-30, -1), 2);
    EXPECT_EQ(knob.MoveTo(5, 5), 0) << "the dead zone adds nothing";
    knob.Turn(-3);
    EXPECT_EQ(knob.Frame(), 5);
    knob.Turn(11);
    EXPECT_EQ(knob.Frame(), 0);
}

} // namespace
} // namespace bm::ui
