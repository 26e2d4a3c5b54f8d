#include "ui/dialogs/ShiftNotesDialogModel.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

using F = ShiftNotesDialogModel;

ShiftNotesDialogModel Make(ShiftNotesValues v) { return ShiftNotesDialogModel(v, F::BuiltInTexts()); }

TEST(ShiftNotesDialogModelTest, ShowsAndReturnsTheThreeNumbers)
{
    ShiftNotesDialogModel m = Make({-7, 2, -3});
    EXPECT_EQ(m.FieldText(F::Shift), "-7");
    EXPECT_EQ(m.FieldText(F::Second), "2");
    EXPECT_EQ(m.FieldText(F::Third), "-3");
    EXPECT_TRUE(m.OkEnabled());
    m.Edit(F::Shift, "12");
    EXPECT_EQ(m.Result(), (ShiftNotesValues{12, 2, -3}));
}

TEST(ShiftNotesDialogModelTest, SpinLimitsAreWiderThanWhatOkAccepts)
{
    ShiftNotesDialogModel m = Make({60, 5, 5});
    EXPECT_TRUE(m.OkEnabled());
    m.Spin(F::Shift, +1);
    EXPECT_EQ(m.FieldText(F::Shift), "61");
    EXPECT_FALSE(m.OkEnabled());
    m.Edit(F::Shift, "100");
    m.Spin(F::Shift, +1);
    EXPECT_EQ(m.FieldText(F::Shift), "100");
    m.Edit(F::Shift, "-100");
    m.Spin(F::Shift, -1);
    EXPECT_EQ(m.FieldText(F::Shift), "-100");
    m.Edit(F::Shift, "-60");
    EXPECT_TRUE(m.OkEnabled());
    m.Spin(F::Second, +1);
    EXPECT_EQ(m.FieldText(F::Second), "6");
    EXPECT_FALSE(m.OkEnabled());
    m.Edit(F::Second, "10");
    m.Spin(F::Second, +1);
    EXPECT_EQ(m.FieldText(F::Second), "10");
    m.Edit(F::Third, "-10");
    m.Spin(F::Third, -1);
    EXPECT_EQ(m.FieldText(F::Third), "-10");
}

TEST(ShiftNotesDialogModelTest, ZeroOrNonNumbersInTheLastTwoKeepOkOff)
{
    for (const char* text : {"0", "", "x", "+0"}) {
        ShiftNotesDialogModel m = Make({0, 1, 1});
        m.Edit(F::Second, text);
        EXPECT_FALSE(m.OkEnabled()) << text;
        m.Edit(F::Second, "-5");
        m.Edit(F::Third, text);
        EXPECT_FALSE(m.OkEnabled()) << text;
    }
    ShiftNotesDialogModel m = Make({0, 1, 1});
    m.Edit(F::Shift, "none"); // reads 0, which is a valid shift
    EXPECT_TRUE(m.OkEnabled());
}

} // namespace
} // namespace bm::dialogs
