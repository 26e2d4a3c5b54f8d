#include "ui/dialogs/MeasureDialogModel.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

// 8 counted measures to two bars, 20352 samples each.
MeasureRequest Request(int32_t maximum = 1500, int32_t initial = 32, bool askPosition = true)
{
    return {MeasureMode::Insert, 20352, 8, maximum, initial, askPosition};
}

MeasureDialogModel Make(const MeasureRequest& request)
{
    return MeasureDialogModel(request, MeasureDialogModel::BuiltInTexts(request.mode));
}

TEST(MeasureDialogModelTest, OpensInBarsWithTheSummary)
{
    MeasureDialogModel m = Make(Request());
    EXPECT_EQ(m.UnitIndex(), MeasureDialogModel::Bars);
    EXPECT_EQ(m.CountText(), "8.0000");
    EXPECT_TRUE(m.OkEnabled());
    EXPECT_EQ(m.PositionIndex(), int(MeasurePosition::Cursor));
    EXPECT_TRUE(m.PositionEnabled());
    // 32 × 20352 samples = 651 264 = 14.76 s.
    EXPECT_EQ(m.SummaryText(), "32 cells (8.0000 bars, 00:14.76)\r\nwill be inserted at the cursor.");
    EXPECT_EQ(m.Result(), (MeasureResult{32, MeasurePosition::Cursor}));

    MeasureDialogModel fixed = Make(Request(1500, 32, false));
    EXPECT_EQ(fixed.PositionIndex(), int(MeasurePosition::SongStart));
    EXPECT_FALSE(fixed.PositionEnabled());
    fixed.SelectPosition(1);
    EXPECT_EQ(fixed.PositionIndex(), 0);
}

struct UnitCase {
    int unit;
    const char* text;
    int64_t count;
};

class MeasureUnitTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(MeasureUnitTest, ParsesEachUnit)
{
    MeasureDialogModel m = Make(Request());
    EXPECT_EQ(m.Parse(GetParam().text, GetParam().unit), GetParam().count) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Units, MeasureUnitTest,
                         ::testing::Values(UnitCase{0, "1.5", 6}, UnitCase{0, "8", 32}, UnitCase{0, "0.1", 0},
                                           UnitCase{0, "abc", 0}, UnitCase{0, "1e30", 2147483647},
                                           UnitCase{1, "17", 17}, UnitCase{1, " 9 cells", 9},
                                           UnitCase{2, "00:14.76", 32}, UnitCase{2, "14.76", 32},
                                           UnitCase{2, "1:00", 130}, UnitCase{2, "", 0}));

TEST(MeasureDialogModelTest, TimeTextBothWays)
{
    EXPECT_EQ(MeasureDialogModel::TimeText(0), "00:00.00");
    EXPECT_EQ(MeasureDialogModel::TimeText(44100), "00:01.00");
    EXPECT_EQ(MeasureDialogModel::TimeText(2646000 * 3 + 44100 * 7 + 441 * 5), "03:07.05");
    EXPECT_EQ(MeasureDialogModel::TimeText(int64_t(2646000) * 125), "125:00.00");
    // The shown time of every count reads back as that count.
    for (int64_t count : {1, 7, 32, 1500})
        EXPECT_EQ(MeasureDialogModel::ParseTime(MeasureDialogModel::TimeText(count * 20352), 20352), count);
    EXPECT_EQ(MeasureDialogModel::ParseTime("1:00", 0), 0);
}

TEST(MeasureDialogModelTest, ChangingTheUnitKeepsTheCount)
{
    MeasureDialogModel m = Make(Request());
    m.SelectUnit(MeasureDialogModel::Measures);
    EXPECT_EQ(m.CountText(), "32");
    m.SelectUnit(MeasureDialogModel::Time);
    EXPECT_EQ(m.CountText(), "00:14.76");
    EXPECT_EQ(m.Count(), 32);
    m.SelectUnit(MeasureDialogModel::Bars);
    EXPECT_EQ(m.CountText(), "8.0000");
}

TEST(MeasureDialogModelTest, ACountOutOfRangeDisablesOkAndShowsTheUnitsMessage)
{
    MeasureDialogModel m = Make(Request(40, 32));
    m.EditCount("11"); // 44 counted measures
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_EQ(m.SummaryText(), "Enter from one cell up to 10.0000 bars.");
    m.SelectUnit(MeasureDialogModel::Measures);
    EXPECT_EQ(m.SummaryText(), "Enter from 1 up to 40 cells.");
    m.SelectUnit(MeasureDialogModel::Time);
    EXPECT_EQ(m.SummaryText(), "Enter a time up to 00:18.45.\r\nOne cell lasts 00:00.46.");
    m.EditCount("0");
    EXPECT_FALSE(m.OkEnabled());
    m.EditCount("00:18.45");
    EXPECT_TRUE(m.OkEnabled());
    EXPECT_EQ(m.Count(), 40);
}

TEST(MeasureDialogModelTest, SpinStepsOneCountedMeasureWithinTheLimits)
{
    MeasureDialogModel m = Make(Request(33, 32));
    m.SpinUp();
    EXPECT_EQ(m.CountText(), "8.2500");
    m.SpinUp();
    EXPECT_EQ(m.Count(), 33);
    m.EditCount("-4");
    m.SpinDown();
    EXPECT_EQ(m.Count(), 1);
    EXPECT_TRUE(m.OkEnabled());
}

TEST(MeasureDialogModelTest, RemoveDialogSaysSo)
{
    MeasureRequest request = Request(10, 4);
    request.mode = MeasureMode::Remove;
    MeasureDialogModel m = Make(request);
    EXPECT_EQ(MeasureDialogModel::TextList(MeasureMode::Remove), "Remove_Measure.res");
    EXPECT_EQ(m.TextOf(MeasureDialogModel::OkButton), "Remove");
    m.SelectPosition(1);
    EXPECT_EQ(m.Result(), (MeasureResult{4, MeasurePosition::SongEnd}));
    EXPECT_EQ(m.SummaryText(), "4 cells (1.0000 bars, 00:01.84)\r\nwill be removed from the end of the song.");
}

} // namespace
} // namespace bm::dialogs
