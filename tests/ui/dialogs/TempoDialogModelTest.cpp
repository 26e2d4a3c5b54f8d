#include "ui/dialogs/TempoDialogModel.h"
#include "ui/dialogs/TempoSteps.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

TempoDialogModel Make(int32_t samplesPerMeasure, int32_t measuresPerBar, bool allowChange = true)
{
    return TempoDialogModel({samplesPerMeasure, measuresPerBar, allowChange}, TempoDialogModel::BuiltInTexts());
}

TEST(TempoDialogModelTest, OpensOnTheSongsTempo)
{
    // 20352 × 8 = 162 816 samples a bar: 130 BPM.
    TempoDialogModel m = Make(20352, 8);
    EXPECT_EQ(m.TempoText(), "130");
    EXPECT_EQ(m.CellsText(), "1");
    EXPECT_EQ(m.LengthText(), "81408");
    EXPECT_EQ(m.TempoSlider(), 7);
    EXPECT_EQ(m.CellsSlider(), 0);
    EXPECT_EQ(m.FactorSlider(), 2);
    EXPECT_EQ(m.FactorText(), "1");
    EXPECT_TRUE(m.OkEnabled());
    EXPECT_FALSE(m.LeaveDataEnabled()); // nothing changed yet
    EXPECT_TRUE(m.FactorEnabled());
    EXPECT_FALSE(m.LeaveData());
    EXPECT_FALSE(m.SetDefault());
    EXPECT_EQ(m.Result(), (TempoResult{20352, 8, 2, false, false}));
}

TEST(TempoDialogModelTest, CellsSliderPositionFollowsTheSteps)
{
    const std::pair<int32_t, int> cases[] = {{8, 0}, {15, 0}, {16, 1}, {31, 1}, {32, 2}, {64, 3}, {127, 3}, {128, 4}, {512, 4}};
    for (const auto& [steps, position] : cases)
        EXPECT_EQ(Make(1024, steps).CellsSlider(), position) << steps;
}

TEST(TempoDialogModelTest, TempoOf120GivesAMeasureOf88192)
{
    TempoDialogModel m = Make(20352, 8);
    m.EditTempo("120");
    EXPECT_EQ(m.LengthText(), "88192");
    EXPECT_EQ(m.UnitLength(), 22048); // 2 × 88192 / 8
    m.MoveCellsSlider(4);               // 16 cells per beat
    EXPECT_EQ(m.CellsText(), "16");
    EXPECT_EQ(m.Steps(), 128);
    EXPECT_EQ(m.UnitLength(), 2 * 88192 / 128);
    EXPECT_TRUE(m.OkEnabled());
    m.MoveTempoSlider(0);
    EXPECT_EQ(m.TempoText(), "60");
    EXPECT_EQ(m.LengthText(), "176384");
    EXPECT_EQ(MeasureLengthForTempo(0), 0);
    EXPECT_EQ(MeasureLengthForTempo(-5), 0);
}

TEST(TempoDialogModelTest, OkNeedsStepsAndAUnitLengthInRange)
{
    TempoDialogModel m = Make(20352, 8);
    m.EditCells("0");
    EXPECT_EQ(m.UnitLength(), 0);
    EXPECT_FALSE(m.OkEnabled());
    m.EditCells("17"); // 136 steps
    EXPECT_FALSE(m.OkEnabled());
    m.EditCells("1");
    m.EditLength("2047"); // unit length 511
    EXPECT_FALSE(m.OkEnabled());
    m.EditLength("2048");
    EXPECT_TRUE(m.OkEnabled());
    m.EditLength("262144"); // 65 536
    EXPECT_TRUE(m.OkEnabled());
    m.EditLength("262152");
    EXPECT_FALSE(m.OkEnabled());
    m.EditTempo("fast");
    EXPECT_EQ(m.LengthText(), "0");
    EXPECT_FALSE(m.OkEnabled());
}

TEST(TempoDialogModelTest, LeaveDataAndFactorFollowTheChangeAndTheCaller)
{
    TempoDialogModel m = Make(20352, 8);
    m.EditTempo("120");
    EXPECT_TRUE(m.LeaveDataEnabled());
    EXPECT_TRUE(m.FactorEnabled());
    m.SetLeaveData(true);
    EXPECT_FALSE(m.FactorEnabled());
    m.MoveFactorSlider(4);
    EXPECT_EQ(m.FactorText(), "4");
    m.SetSetDefault(true);
    EXPECT_EQ(m.Result(), (TempoResult{22048, 8, 4, true, true}));

    // Back to the starting product: the box is off again, the factor free.
    m.EditLength("81408");
    EXPECT_FALSE(m.LeaveDataEnabled());
    EXPECT_TRUE(m.FactorEnabled());

    TempoDialogModel fixed = Make(20352, 8, false);
    fixed.EditTempo("120");
    EXPECT_FALSE(fixed.LeaveDataEnabled());
    EXPECT_FALSE(fixed.FactorEnabled());
}

TEST(TempoDialogModelTest, SlidersStayInTheirRanges)
{
    TempoDialogModel m = Make(20352, 8);
    m.MoveTempoSlider(99);
    EXPECT_EQ(m.TempoText(), "240");
    m.MoveCellsSlider(-3);
    EXPECT_EQ(m.CellsText(), "1");
    m.MoveFactorSlider(7);
    EXPECT_EQ(m.FactorText(), "4");
    // A song whose tempo is below every step puts the slider at the first.
    EXPECT_EQ(Make(65536, 16).TempoSlider(), 0);
    EXPECT_EQ(Make(0, 0).TempoText(), "0");
}

} // namespace
} // namespace bm::dialogs
