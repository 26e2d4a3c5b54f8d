// The arrangement's geometry and hit tests: where measures, samples, rows,
// bars, envelope points and region handles lie, and what a point hits.

#include "ui/main/ArrangementHitTest.h"

#include <gtest/gtest.h>

namespace bm::ui {
namespace {

using namespace geometry;

constexpr Frame kFrame{9, 20352, 0, 80, 31};

TEST(ArrangementGeometryTest, MeasuresSamplesAndRowsFollowTheFormulas)
{
    Frame f = kFrame;
    f.X = 27;
    EXPECT_EQ(MeasureX(f, 0), 80 - 27);
    EXPECT_EQ(MeasureX(f, 10), 80 + 90 - 27);
    EXPECT_EQ(SampleX(f, 20352 * 3 / 2), 80 + 13 - 27) << "integer division after the multiplication";
    // 10 000 measures at W = 18 pass the 32-bit range in the product.
    const Frame wide{18, 20352, 0, 80, 31};
    EXPECT_EQ(SampleX(wide, int64_t(9999) * 20352), 80 + 9999 * 18);

    EXPECT_EQ(RowTop(f, 0), 31 + 6);
    EXPECT_EQ(RowBottom(f, 0), 31 + 25);
    EXPECT_EQ(RowTop(f, 11), 31 + 275 + 6);
    EXPECT_EQ(RowUnder(f, 31 + 3), 0);
    EXPECT_EQ(RowUnder(f, 31 + 2), -1) << "above the first row rounds down, not to 0";
    EXPECT_EQ(RowHolding(f, 31 + 5), -1) << "the band above row 0 is no row";
    EXPECT_EQ(RowHolding(f, 31 + 25), 0);
    EXPECT_EQ(RowHolding(f, 31 + 26), -1) << "the gap between rows";
    EXPECT_EQ(RowHolding(f, 31 + 25 * 11 + 6), 11);
    EXPECT_EQ(RowHolding(f, 31 + 25 * 12 + 6), -1) << "nothing below row 12";

    EXPECT_EQ(MeasureUnder(f, 79), 2);
    EXPECT_EQ(MeasureUnder(kFrame, 79), -1) << "left of the area is before measure 0";
    EXPECT_EQ(PositionUnder(kFrame, 80 + 9), 20352);
    EXPECT_EQ(ScrollMax(100, 9, 80, 789), 101 * 9 + 80 - 789 - 2);
    EXPECT_EQ(ScrollMax(3, 9, 80, 789), 0);
}

TEST(ArrangementGeometryTest, AClickAtOrPastTheMidpointTakesTheLaterMeasure)
{
    // W = 9: measure 3 starts at 80 + 27, the midpoint lies 4 pixels on (9 / 2).
    EXPECT_EQ(NearestMeasure(kFrame, 80 + 27 + 3), 3);
    EXPECT_EQ(NearestMeasure(kFrame, 80 + 27 + 4), 3);
    EXPECT_EQ(NearestMeasure(kFrame, 80 + 27 + 5), 4);
    const Frame even{18, 20352, 0, 80, 31};
    EXPECT_EQ(NearestMeasure(even, 80 + 36 + 8), 2);
    EXPECT_EQ(NearestMeasure(even, 80 + 36 + 9), 3) << "exactly the midpoint";
}

TEST(ArrangementGeometryTest, BarsAreAtLeastFourMeasuresWideAndStopBeforeTheNextSlot)
{
    EXPECT_EQ(SlotBarWidth(1, 20352, 20000), 4) << "a short sample at W = 1";
    EXPECT_EQ(SlotBarWidth(9, 20352, 20352 * 10), 90);
    EXPECT_EQ(SlotBarWidth(9, 20352, -5), 36);
    EXPECT_EQ(CutBarWidth(100, 90, 120), 19) << "one pixel left free before the next bar";
    EXPECT_EQ(CutBarWidth(100, 90, INT32_MAX), 90);
    EXPECT_EQ(CutBarWidth(100, 90, 100), 1) << "never empty";
    EXPECT_EQ(SlotStartX(kFrame, 2, 20352 / 2), 80 + 18 + 4);
}

TEST(ArrangementGeometryTest, EnvelopeValuesSpanNineteenPixelsAroundTheRowsMiddle)
{
    EXPECT_EQ(EnvelopeY(kFrame, 0, 0), RowTop(kFrame, 0) + 12);
    EXPECT_EQ(EnvelopeY(kFrame, 0, 32767), RowTop(kFrame, 0) + 3);
    EXPECT_EQ(EnvelopeY(kFrame, 2, -32768), RowTop(kFrame, 2) + 21);
    EXPECT_EQ(EnvelopeValueDelta(19), 65536);
    EXPECT_EQ(EnvelopeValueDelta(-1), -3449);
}

TEST(ArrangementGeometryTest, RegionHandlesAndTheirEdgeMeasures)
{
    const platform::Rect start = StartHandleRect(kFrame, 4);
    EXPECT_EQ(start, (platform::Rect{80 + 36 - 1, 31, 80 + 36 + 6, 37}));
    const platform::Rect end = EndHandleRect(kFrame, 7);
    EXPECT_EQ(end.right, 80 + 72 - 1);
    EXPECT_EQ(end.Width(), 8);
    EXPECT_TRUE(InHandleBand(kFrame, 31));
    EXPECT_TRUE(InHandleBand(kFrame, 36));
    EXPECT_FALSE(InHandleBand(kFrame, 37));
    // A start edge snaps to the nearest measure start, an end edge to the
    // nearest measure end.
    EXPECT_EQ(StartEdgeMeasure(kFrame, 80 + 36 - 4), 4);
    EXPECT_EQ(StartEdgeMeasure(kFrame, 80 + 36 + 4), 4);
    EXPECT_EQ(StartEdgeMeasure(kFrame, 80 + 36 - 5), 3);
    // Measure 3 ends at 80 + 36: its end edge is chosen from 111 to 119.
    EXPECT_EQ(EndEdgeMeasure(kFrame, 80 + 36 - 5), 3);
    EXPECT_EQ(EndEdgeMeasure(kFrame, 80 + 36 + 3), 3);
    EXPECT_EQ(EndEdgeMeasure(kFrame, 80 + 36 + 4), 4);
    EXPECT_EQ(EndEdgeMeasure(kFrame, 80 + 36 - 6), 2);
}

class HitTestTest : public ::testing::Test {
protected:
    HitTestTest()
    {
        LibraryStyle style;
        LibraryGroup group;
        LibraryPart part;
        LibraryChord chord;
        LibraryEntry entry;
        entry.variants[0] = {"short", "", "a.wav", "", 20352, 0, 0, 0};
        entry.variants[1] = {"long", "", "b.wav", "", 20352 * 10, 0, 0, 0};
        chord.entries.push_back(entry);
        part.chords.push_back(chord);
        group.parts.push_back(part);
        style.groups.push_back(group);
        library.styles.push_back(style);
        song.measures.resize(30);
        for (auto& channel : song.envelopes)
            for (auto& list : channel)
                list = {{0, 0, 0}, {30 * 20352 - 1, 0, 0}};
    }
    void Put(int32_t m, int32_t c, int32_t variant, int32_t start = 0)
    {
        song.measures[m].slots[c].ref = SampleRef::Make(0, 0, 0, 0, variant, 0);
        song.measures[m].slots[c].start = start;
    }
    Song song;
    SampleLibrary library;
};

TEST_F(HitTestTest, ASlotIsFoundGoingBackAndOnlyOnItsBar)
{
    Put(2, 3, 1);                 // a long sample: 90 pixels
    Put(6, 3, 0, 20352 / 2);      // starts half way into measure 6
    const Frame f = kFrame;
    const int32_t y = RowTop(f, 3) + 10;
    SlotHit hit = HitSlot(song, library, f, MeasureX(f, 5) + 3, y);
    EXPECT_EQ(hit.measure, 2) << "found going back from measure 5";
    EXPECT_EQ(hit.bar.right, SlotStartX(f, 6, 20352 / 2) - 2) << "the bar is cut before the next slot";
    hit = HitSlot(song, library, f, MeasureX(f, 6) + 1, y);
    EXPECT_EQ(hit.measure, 2) << "the slot of measure 6 starts later, the earlier bar is under x";
    EXPECT_FALSE(HitSlot(song, library, f, SlotStartX(f, 6, 20352 / 2) - 1, y).Valid()) << "the free pixel";
    hit = HitSlot(song, library, f, MeasureX(f, 6) + 5, y);
    EXPECT_EQ(hit.measure, 6);
    EXPECT_FALSE(HitSlot(song, library, f, MeasureX(f, 6) + 4 + 36, y).Valid()) << "past the 4-measure bar";
    EXPECT_FALSE(HitSlot(song, library, f, MeasureX(f, 3), RowBottom(f, 3) + 1).Valid()) << "below the row";
    EXPECT_FALSE(HitSlot(song, library, f, MeasureX(f, 1), y).Valid()) << "before the first slot";
    EXPECT_EQ(HitSlot(song, library, f, MeasureX(f, 200), y).measure, -1) << "past the song";
}

TEST_F(HitTestTest, AMissingSampleStillHasItsFourMeasureBar)
{
    song.measures[4].slots[0].ref = SampleRef::Make(7, 0, 0, 0, 0, 0);
    const platform::Rect bar = SlotBarRect(song, library, kFrame, 4, 0);
    EXPECT_EQ(bar.Width(), 36);
    EXPECT_TRUE(SlotBarRect(song, library, kFrame, 5, 0).Empty());
}

TEST_F(HitTestTest, PointsAreHitWithinThreePixelsFirstKindFirst)
{
    const Frame f = kFrame;
    auto& volume = song.envelopes[5][0];
    auto& pan = song.envelopes[5][1];
    volume.insert(volume.begin() + 1, {20352 * 4, 0, 0});
    pan.insert(pan.begin() + 1, {20352 * 4, 0, 0});
    const int32_t x = SampleX(f, 20352 * 4);
    const int32_t y = EnvelopeY(f, 5, 0);
    EnvelopeHit hit = HitEnvelope(song, f, {true, true}, x + 3, y - 3);
    EXPECT_EQ(hit.point, (PointedPoint{5, 0, 1})) << "kind 0 before kind 1";
    hit = HitEnvelope(song, f, {false, true}, x, y);
    EXPECT_EQ(hit.point, (PointedPoint{5, 1, 1}));
    EXPECT_EQ(hit.segment[0], -1) << "a hidden kind has no segment";
    EXPECT_FALSE(HitEnvelope(song, f, {true, true}, x + 4, y).point.Valid());
    EXPECT_FALSE(HitEnvelope(song, f, {true, true}, x, y + 4).point.Valid());
    hit = HitEnvelope(song, f, {true, true}, x + 20, y);
    EXPECT_FALSE(hit.point.Valid());
    EXPECT_EQ(hit.segment[0], 1) << "the segment after the middle point";
    EXPECT_EQ(hit.segment[1], 1);
    EXPECT_EQ(HitEnvelope(song, f, {true, true}, 70, y).position, -1) << "left of the song";
}

TEST_F(HitTestTest, EndHandlesAreTriedBeforeStartHandles)
{
    song.regions = {{2, 3, true}, {4, 8, false}};
    const Frame f = kFrame;
    // Region 0 ends where region 1 starts: their handles overlap.
    const int32_t x = MeasureX(f, 4);
    HandleHit hit = HitRegionHandle(song, f, x - 2, f.T + 2);
    EXPECT_EQ(hit.region, 0);
    EXPECT_EQ(hit.side, RegionSide::End);
    hit = HitRegionHandle(song, f, x + 3, f.T + 2);
    EXPECT_EQ(hit.region, 1);
    EXPECT_EQ(hit.side, RegionSide::Start);
    EXPECT_FALSE(HitRegionHandle(song, f, x + 3, f.T + 6).Valid()) << "below the band";
}

} // namespace
} // namespace bm::ui
