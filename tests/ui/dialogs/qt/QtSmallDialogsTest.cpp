// The tempo, measure and shift dialogs and the replace question in their
// windows: texts from the archive, typing and clicking, OK where the model
// allows it, F1.

#include "QtDialogTestSupport.h"

#include "ui/dialogs/qt/MeasureDialogView.h"
#include "ui/dialogs/qt/ReplaceQuestionView.h"
#include "ui/dialogs/qt/ShiftNotesDialogView.h"
#include "ui/dialogs/qt/TempoDialogView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace bm::dialogs::test {
namespace {

TEST(QtTempoDialogTest, TypingATempoSetsTheLengthAndOkReturnsIt)
{
    Environment e({{"BPM_Select.res", "Tempo from the archive\r\nTake it\r\n"}});
    QtTempoDialog dialog(e.env);
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Tempo from the archive");
        EXPECT_EQ(Child<QPushButton>(d, "ok")->text(), "Take it");
        EXPECT_EQ(Child<QPushButton>(d, "cancel")->text(), "Cancel"); // past the list's end: built in
        EXPECT_EQ(Child<QLineEdit>(d, "tempo")->text(), "130");
        PressF1(d);
        TypeInto(d, "tempo", "120");
        EXPECT_EQ(Child<QLineEdit>(d, "length")->text(), "88192");
        EXPECT_TRUE(Child<QCheckBox>(d, "leaveData")->isEnabled());
        TypeInto(d, "cells", "17");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        Child<QSlider>(d, "cellsSlider")->setValue(1);
        EXPECT_EQ(Child<QLineEdit>(d, "cells")->text(), "2");
        EXPECT_TRUE(Child<QPushButton>(d, "ok")->isEnabled());
        Child<QSlider>(d, "factorSlider")->setValue(3);
        Click(d, "setDefault");
        Click(d, "ok");
    });
    const auto result = dialog.Run({20352, 8, true});
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, (TempoResult{11024, 16, 3, false, true}));
    ASSERT_EQ(e.shell.opened.size(), 1u);
    EXPECT_EQ(e.shell.opened[0], e.HelpPath("The BPM Select Dialog.htm"));

    WhenModal([&](QDialog& d) { Click(d, "cancel"); });
    EXPECT_FALSE(dialog.Run({20352, 8, true}).has_value());
}

TEST(QtMeasureDialogTest, UnitsSummaryAndLimits)
{
    Environment e;
    QtMeasureDialog dialog(e.env);
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Insert Measures");
        TypeInto(d, "count", "1.5");
        EXPECT_EQ(Child<QLabel>(d, "summary")->text(), "6 cells (1.5000 bars, 00:02.76)\nwill be inserted at the cursor.");
        Click(d, "countUp");
        EXPECT_EQ(Child<QLineEdit>(d, "count")->text(), "1.7500");
        Child<QComboBox>(d, "unit")->setCurrentIndex(1);
        EXPECT_EQ(Child<QLineEdit>(d, "count")->text(), "7");
        TypeInto(d, "count", "41");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        EXPECT_EQ(Child<QLabel>(d, "summary")->text(), "Enter from 1 up to 40 cells.");
        TypeInto(d, "count", "40");
        Child<QComboBox>(d, "position")->setCurrentIndex(1);
        PressF1(d);
        Click(d, "ok");
    });
    const auto result = dialog.Run({MeasureMode::Insert, 20352, 8, 40, 32, true});
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, (MeasureResult{40, MeasurePosition::SongEnd}));
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Insert Measure Dialog.htm"));

    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Remove Measures");
        EXPECT_FALSE(Child<QComboBox>(d, "position")->isEnabled());
        Click(d, "ok");
    });
    EXPECT_EQ(dialog.Run({MeasureMode::Remove, 20352, 8, 10, 4, false}),
              (MeasureResult{4, MeasurePosition::SongStart}));
}

TEST(QtShiftNotesDialogTest, ArrowsPastSixtyDisableOk)
{
    Environment e;
    QtShiftNotesDialog dialog(e.env);
    WhenModal([&](QDialog& d) {
        Click(d, "shiftUp");
        EXPECT_EQ(Child<QLineEdit>(d, "shift")->text(), "61");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        Click(d, "shiftDown");
        Click(d, "thirdDown");
        TypeInto(d, "second", "-2");
        PressF1(d);
        Click(d, "ok");
    });
    EXPECT_EQ(dialog.Run({60, 1, 3}), (ShiftNotesValues{60, -2, 2}));
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Shift Notes Dialog.htm"));
}

TEST(QtReplaceQuestionTest, ShowsTheSampleAndAnswers)
{
    Environment e({{"replace.res", "Sample exists\r\n"}});
    QtReplaceQuestion question(e.env);
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Sample exists");
        EXPECT_EQ(Child<QLabel>(d, "firstText")->text(), "Bass 1");
        EXPECT_EQ(Child<QLabel>(d, "secondText")->text(), "deep");
        EXPECT_EQ(Child<QLabel>(d, "path")->text(), "/u/bass1.wav");
        Click(d, "forAll");
        Click(d, "replace");
    });
    const ReplaceChoice replace = question.Ask({"Bass 1", "deep", "/u/bass1.wav"});
    EXPECT_EQ(replace.answer, ReplaceAnswer::Replace);
    EXPECT_TRUE(replace.forAll);

    WhenModal([&](QDialog& d) { d.reject(); });
    const ReplaceChoice closed = question.Ask({"Bass 1", "deep", "/u/bass1.wav"});
    EXPECT_EQ(closed.answer, ReplaceAnswer::Keep);
    EXPECT_FALSE(closed.forAll);
}

} // namespace
} // namespace bm::dialogs::test
