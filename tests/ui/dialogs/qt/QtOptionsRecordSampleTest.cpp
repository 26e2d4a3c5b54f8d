// The options, record and sample dialogs in their windows.

#include "QtDialogTestSupport.h"

#include "ui/dialogs/qt/OptionsDialogView.h"
#include "ui/dialogs/qt/RecordDialogView.h"
#include "ui/dialogs/qt/SampleDialogView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

namespace bm::dialogs::test {
namespace {

app::OptionsFile Options(const std::string& program)
{
    return app::DefaultOptions(program, {512ull << 20, 586});
}

TEST(QtOptionsDialogTest, PagesFoldersAndFieldsReachTheResult)
{
    Environment e({{"Options.res", "Settings\r\n"}});
    QtOptionsDialog dialog(e.env);
    const app::OptionsFile options = Options(e.dir.Path());
    const std::vector<std::string> folders = {"/loops/", e.dir.Path() + "SMPLDATA/", e.dir.Path(), ""};
    e.dialogs.choices.push_back(std::vector<std::string>{"/more/loops"});
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Settings");
        auto* stack = Child<QStackedWidget>(d, "stack");
        EXPECT_EQ(stack->currentIndex(), 0);
        Click(d, "prev");
        EXPECT_EQ(stack->currentIndex(), 3);
        Click(d, "next");
        EXPECT_EQ(stack->currentIndex(), 0);
        Click(d, "switch2"); // Active Borders off
        EXPECT_FALSE(Child<QCheckBox>(d, "switch3")->isEnabled());
        Child<QListWidget>(d, "pages")->setCurrentRow(1);
        EXPECT_EQ(stack->currentIndex(), 1);
        TypeInto(d, "memory", "8");
        TypeInto(d, "temporaryFolder", "/var/tmp/bm");
        Click(d, "flush");
        Click(d, "next");
        auto* list = Child<QListWidget>(d, "folders");
        EXPECT_EQ(list->count(), 1);
        Click(d, "add");
        EXPECT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(1)->text(), "/more/loops/");
        list->setCurrentRow(0);
        Click(d, "remove");
        EXPECT_FALSE(Child<QPushButton>(d, "edit")->isEnabled());
        Click(d, "next");
        Click(d, "start1");
        Click(d, "splash");
        PressF1(d);
        Click(d, "ok");
    });
    const auto result = dialog.Run(options, folders);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->options.memoryCacheBytes, 8388608);
    EXPECT_EQ(result->options.temporaryFolder, "/var/tmp/bm/");
    EXPECT_EQ(result->options.activeBorders, 0);
    EXPECT_EQ(result->options.openAtStart, 1);
    EXPECT_EQ(result->options.showSplash, 0);
    EXPECT_EQ(result->savedFolders, (std::vector<std::string>{"/more/loops/"}));
    ASSERT_EQ(e.engine.posted.size(), 1u);
    EXPECT_EQ(engine::CodeOf(e.engine.posted[0]), engine::CommandCode::ClearCaches);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Options Dialog.htm"));

    WhenModal([&](QDialog& d) {
        TypeInto(d, "memory", "99");
        Click(d, "cancel");
    });
    EXPECT_FALSE(dialog.Run(options, folders).has_value());
}

class ScriptedReadout : public RecordingReadout {
public:
    int32_t InputLeft() const override { return left; }
    int32_t InputRight() const override { return right; }
    uint32_t RecordedBytes() const override { return bytes; }
    double FreeSpace() const override { return free; }
    int32_t left = 0;
    int32_t right = 0;
    uint32_t bytes = 0;
    double free = 0;
};

TEST(QtRecordDialogTest, MetersFollowTheTimerAndATakeCanBeSaved)
{
    Environment e;
    ScriptedReadout readout;
    e.env.readout = &readout;
    QtRecordDialog dialog(e.env);
    int played = 0;
    RecordRequest request;
    request.temporaryFolder = e.dir.Path();
    request.songHasMeasures = true;
    request.play = [&] { ++played; };
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Record");
        EXPECT_FALSE(Child<QPushButton>(d, "save")->isEnabled());
        EXPECT_FALSE(Child<QToolButton>(d, "listen")->isEnabled());
        readout.left = 32767;
        readout.bytes = 176400;
        QTRY_COMPARE_WITH_TIMEOUT(Child<QLabel>(d, "peak0")->text(), QString("clip"), 2000);
        EXPECT_EQ(Child<LevelMeter>(d, "meter0")->value(), 900);
        EXPECT_EQ(Child<QLabel>(d, "recorded")->text(), "0:00:01.000");
        Click(d, "record");
        EXPECT_TRUE(Child<QToolButton>(d, "record")->property("showsStop").toBool());
        Click(d, "play");
        Click(d, "record");
        EXPECT_FALSE(Child<QToolButton>(d, "record")->property("showsStop").toBool());
        EXPECT_TRUE(Child<QPushButton>(d, "save")->isEnabled());
        Child<QComboBox>(d, "kinds")->setCurrentIndex(3);
        dialog.Notify(RecordTrouble::Input);
        EXPECT_FALSE(Child<QToolButton>(d, "record")->isEnabled());
        PressF1(d);
        Click(d, "save");
    });
    const auto result = dialog.Run(request);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->kindIndex, 3);
    EXPECT_EQ(result->recordingPath, e.dir / "rec_0000.wav");
    EXPECT_EQ(played, 1);
    std::vector<engine::CommandCode> codes;
    for (const auto& c : e.engine.posted)
        codes.push_back(engine::CodeOf(c));
    using engine::CommandCode;
    EXPECT_EQ(codes, (std::vector{CommandCode::StartRecording, CommandCode::OpenRecordingFile,
                                  CommandCode::CloseRecordingFile, CommandCode::EndRecording}));
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Record Dialog.htm"));

    // Cancelling ends the input too and returns nothing.
    WhenModal([&](QDialog& d) { Click(d, "cancel"); });
    EXPECT_FALSE(dialog.Run(request).has_value());
    EXPECT_EQ(engine::CodeOf(e.engine.posted.back()), CommandCode::EndRecording);
}

TEST(QtSampleDialogTest, LengthLimitsAndTheHelpPageOfTheMode)
{
    Environment e;
    QtSampleDialog dialog(e.env);
    SampleRequest request;
    request.mode = SampleDialogMode::Properties;
    request.path = e.dir / "beat.wav";
    request.name = "beat";
    request.kindIndex = 1;
    request.length = 81408;
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Sample properties");
        EXPECT_EQ(Child<QLineEdit>(d, "tempo")->text(), "130");
        EXPECT_FALSE(Child<QLineEdit>(d, "pitch")->isVisible());
        EXPECT_FALSE(Child<QPushButton>(d, "skip")->isVisible());
        TypeInto(d, "length", "26431");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        TypeInto(d, "length", "26432");
        EXPECT_TRUE(Child<QPushButton>(d, "ok")->isEnabled());
        TypeInto(d, "tempo", "120");
        EXPECT_EQ(Child<QLineEdit>(d, "length")->text(), "88192");
        Child<QComboBox>(d, "kind")->setCurrentIndex(0);
        EXPECT_FALSE(Child<QLineEdit>(d, "length")->isEnabled());
        TypeInto(d, "name", "renamed");
        PressF1(d);
        Click(d, "ok");
    });
    SampleResult result = dialog.Run(request);
    EXPECT_EQ(result.outcome, SampleOutcome::Ok);
    EXPECT_EQ(result.name, "renamed");
    EXPECT_EQ(result.kindIndex, 0);
    EXPECT_EQ(result.length, 88192);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The File Properties Dialog.htm"));

    request.mode = SampleDialogMode::Remove;
    request.offerSkip = true;
    WhenModal([&](QDialog& d) {
        EXPECT_TRUE(Child<QLineEdit>(d, "name")->isReadOnly());
        EXPECT_FALSE(Child<QComboBox>(d, "kind")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(d, "browse")->isEnabled());
        PressF1(d);
        Click(d, "skip");
    });
    EXPECT_EQ(dialog.Run(request).outcome, SampleOutcome::Skipped);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Remove Sample Dialog.htm"));
}

TEST(QtSampleDialogTest, PitchedCopyFillsTheTextsAndAsksBeforeReplacing)
{
    Environment e;
    bm::test::WriteFile(e.dir / "beat(pitch2).wav", "RIFF");
    QtSampleDialog dialog(e.env);
    SampleRequest request;
    request.mode = SampleDialogMode::PitchCopy;
    request.path = e.dir / "beat(pitch%s%s%s).wav";
    request.name = "beat %s";
    request.key = "A#m";
    request.fourth = "pitched by %s";
    e.dialogs.messageAnswers = {platform::MessageAnswer::No, platform::MessageAnswer::Yes};
    WhenModal([&](QDialog& d) {
        EXPECT_TRUE(Child<QLineEdit>(d, "pitch")->isVisible());
        EXPECT_EQ(Child<QLineEdit>(d, "name")->text(), "beat (copy)");
        TypeInto(d, "pitch", "2");
        EXPECT_EQ(Child<QLineEdit>(d, "key")->text(), "Cm");
        EXPECT_EQ(Child<QLineEdit>(d, "path")->text(), QString::fromStdString(e.dir / "beat(pitch2).wav"));
        Click(d, "ok"); // No: stays open
        EXPECT_TRUE(d.isVisible());
        PressF1(d);
        Click(d, "ok");
    });
    const SampleResult result = dialog.Run(request);
    EXPECT_EQ(result.outcome, SampleOutcome::Ok);
    EXPECT_DOUBLE_EQ(result.pitch, 2.0);
    EXPECT_EQ(result.fourth, "pitched by 2");
    EXPECT_EQ(e.dialogs.messages.size(), 2u);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Save Sample Copy Dialog.htm"));
}

} // namespace
} // namespace bm::dialogs::test
