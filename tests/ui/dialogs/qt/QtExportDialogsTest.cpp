// The export dialog and the progress dialog in their windows; the progress
// dialog gets its reports the way the main window forwards the engine's.

#include "QtDialogTestSupport.h"

#include "ui/dialogs/qt/ExportDialogView.h"
#include "ui/dialogs/qt/ExportProgressView.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace bm::dialogs::test {
namespace {

class FixedVolumes : public platform::VolumeQuery {
public:
    std::optional<platform::VolumeInfo> Query(const std::string&) override { return platform::VolumeInfo{"/data", 64 << 20}; }
};

TEST(QtExportDialogTest, LevelFieldsBrowseAndOk)
{
    Environment e;
    FixedVolumes volumes;
    e.env.volumes = &volumes;
    QtExportDialog dialog(e.env);
    ExportRequest request;
    request.proposedName = e.dir / "song.wav";
    request.wholeSongBytes = 16 << 20;
    request.regionsAvailable = false;
    e.dialogs.choices.push_back(std::vector<std::string>{e.dir / "chosen.wav"});
    WhenModal([&](QDialog& d) {
        EXPECT_EQ(Child<QLabel>(d, "freeSpace")->text(), "Free on /data after the export: 48.0 MB");
        EXPECT_FALSE(Child<QCheckBox>(d, "regionsOnly")->isEnabled());
        EXPECT_FALSE(Child<QLineEdit>(d, "decibels")->isEnabled());
        Click(d, "normalise");
        EXPECT_TRUE(Child<QLineEdit>(d, "decibels")->isEnabled());
        TypeInto(d, "decibels", "25");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        Child<QSlider>(d, "levelSlider")->setValue(7);
        EXPECT_EQ(Child<QLineEdit>(d, "decibels")->text(), "3.0 dB");
        EXPECT_EQ(Child<QLineEdit>(d, "percentage")->text(), "141.25 %");
        EXPECT_TRUE(Child<QPushButton>(d, "ok")->isEnabled());
        Click(d, "fadeOut");
        Click(d, "browse");
        EXPECT_EQ(Child<QLineEdit>(d, "fileName")->text(), QString::fromStdString(e.dir / "chosen.wav"));
        TypeInto(d, "fileName", "");
        EXPECT_FALSE(Child<QPushButton>(d, "ok")->isEnabled());
        TypeInto(d, "fileName", QString::fromStdString(e.dir / "typed.wav"));
        PressF1(d);
        Click(d, "ok");
    });
    const auto choice = dialog.Run(request);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->fileName, e.dir / "typed.wav");
    EXPECT_TRUE(choice->fadeOut);
    EXPECT_FALSE(choice->fadeIn);
    EXPECT_TRUE(choice->normalise);
    EXPECT_EQ(choice->level, 1412);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Export Dialog.htm"));
}

platform::Message Report(engine::ExportReceiver receiver, int64_t kind, int64_t value)
{
    platform::Message m;
    m.number = platform::msg::kExportProgress;
    m.receiver = receiver;
    m.wParam = kind;
    m.lParam = value;
    return m;
}

engine::ExportReceiver ReceiverOf(const engine::RecordingEngineClient& engine)
{
    for (const auto& c : engine.posted) {
        if (const auto* start = std::get_if<engine::StartExport>(&c))
            return start->job.receiver;
    }
    return 0;
}

TEST(QtExportProgressDialogTest, ShowsTheReportsAndClosesWhenFinished)
{
    Environment e;
    QtExportProgressDialog dialog(e.env);
    WhenModal([&](QDialog& d) {
        const engine::ExportReceiver receiver = ReceiverOf(e.engine);
        ASSERT_NE(receiver, 0u);
        dialog.Deliver(Report(receiver, 1, 1500));
        EXPECT_EQ(Child<QProgressBar>(d, "firstBar")->value(), 1000);
        EXPECT_EQ(Child<QLabel>(d, "firstText")->text(), "100.0 %");
        dialog.Deliver(Report(receiver + 1, 2, 700)); // an earlier export's report
        EXPECT_EQ(Child<QProgressBar>(d, "secondBar")->value(), 0);
        dialog.Deliver(Report(receiver, 2, 500));
        EXPECT_EQ(Child<QLabel>(d, "secondText")->text(), "50.0 %");
        PressF1(d);
        dialog.Deliver(Report(receiver, 5, 0));
    });
    engine::ExportJob job;
    job.outputPath = e.dir / "out.wav";
    EXPECT_EQ(dialog.Run(job), ExportOutcome::Finished);
    EXPECT_EQ(e.shell.opened.back(), e.HelpPath("The Export Progress Dialog.htm"));
    const auto& start = std::get<engine::StartExport>(e.engine.posted.at(0));
    EXPECT_EQ(start.job.outputPath, e.dir / "out.wav");
    // Reports after the end reach nothing.
    dialog.Deliver(Report(start.job.receiver, 3, 0));
    EXPECT_TRUE(e.dialogs.messages.empty());
}

TEST(QtExportProgressDialogTest, CancelAnsweredNoKeepsRunningAndYesWaitsForTheEngine)
{
    Environment e;
    QtExportProgressDialog dialog(e.env);
    WhenModal([&](QDialog& d) {
        const engine::ExportReceiver receiver = ReceiverOf(e.engine);
        e.dialogs.messageAnswers.push_back(platform::MessageAnswer::No);
        Click(d, "cancel");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(Child<QPushButton>(d, "cancel")->text(), "Cancel");
        EXPECT_EQ(e.engine.posted.size(), 1u);
        e.dialogs.messageAnswers.push_back(platform::MessageAnswer::Yes);
        d.reject(); // the close box asks the same
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(Child<QPushButton>(d, "cancel")->text(), "Cancelling...");
        EXPECT_FALSE(Child<QPushButton>(d, "cancel")->isEnabled());
        ASSERT_EQ(e.engine.posted.size(), 2u);
        EXPECT_EQ(engine::CodeOf(e.engine.posted[1]), engine::CommandCode::CancelExport);
        dialog.Deliver(Report(receiver, 4, 0));
    });
    EXPECT_EQ(dialog.Run({}), ExportOutcome::Cancelled);
    EXPECT_EQ(e.dialogs.messages.size(), 2u);
}

TEST(QtExportProgressDialogTest, AFailureIsShownThenTheDialogCloses)
{
    Environment e;
    QtExportProgressDialog dialog(e.env);
    WhenModal([&](QDialog&) { dialog.Deliver(Report(ReceiverOf(e.engine), 3, 0)); });
    EXPECT_EQ(dialog.Run({}), ExportOutcome::Failed);
    ASSERT_EQ(e.dialogs.messages.size(), 1u);
    EXPECT_EQ(e.dialogs.messages[0].icon, platform::MessageIcon::Stop);
}

} // namespace
} // namespace bm::dialogs::test
