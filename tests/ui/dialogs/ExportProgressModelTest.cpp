#include "ui/dialogs/ExportProgressModel.h"

#include "support/FakePlatformDialogs.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

using M = ExportProgressModel;
constexpr engine::ExportReceiver kReceiver = 0x5150;

platform::Message Report(int64_t kind, int64_t value, engine::ExportReceiver receiver = kReceiver)
{
    platform::Message m;
    m.number = platform::msg::kExportProgress;
    m.wParam = kind;
    m.lParam = value;
    m.receiver = receiver;
    return m;
}

struct Fixture {
    engine::RecordingEngineClient engine;
    test::FakePlatformDialogs dialogs;
    MessageTexts texts;
    M model{M::BuiltInTexts(), engine, kReceiver};

    void Deliver(const platform::Message& m) { model.Deliver(m, dialogs, texts); }
    int Posted(engine::CommandCode code) const
    {
        int n = 0;
        for (const auto& c : engine.posted)
            n += engine::CodeOf(c) == code ? 1 : 0;
        return n;
    }
};

TEST(ExportProgressModelTest, OpeningHandsTheJobToTheEngineWithThisDialogAsReceiver)
{
    Fixture f;
    engine::ExportJob job;
    job.outputPath = "/tmp/out.wav";
    job.count = 4;
    f.model.Open(job);
    ASSERT_EQ(f.engine.posted.size(), 1u);
    const auto& start = std::get<engine::StartExport>(f.engine.posted[0]);
    EXPECT_EQ(start.job.receiver, kReceiver);
    EXPECT_EQ(start.job.outputPath, "/tmp/out.wav");
    EXPECT_EQ(f.model.FirstValue(), 0);
    EXPECT_EQ(f.model.FirstText(), "0.0 %");
    EXPECT_EQ(f.model.SecondText(), "0.0 %");
    EXPECT_FALSE(f.model.Closed());
}

TEST(ExportProgressModelTest, ReportsMoveTheBarsWithinTheirRange)
{
    Fixture f;
    f.Deliver(Report(1, 250));
    EXPECT_EQ(f.model.FirstValue(), 250);
    EXPECT_EQ(f.model.FirstText(), "25.0 %");
    f.Deliver(Report(1, 1500));
    EXPECT_EQ(f.model.FirstValue(), 1000);
    EXPECT_EQ(f.model.FirstText(), "100.0 %");
    f.Deliver(Report(2, -3));
    EXPECT_EQ(f.model.SecondValue(), 0);
    EXPECT_EQ(f.model.SecondText(), "0.0 %");
    f.Deliver(Report(2, 999));
    EXPECT_EQ(f.model.SecondText(), "99.9 %");
    // Reports for another receiver, or other messages, change nothing.
    f.Deliver(Report(2, 10, kReceiver + 1));
    platform::Message other = Report(2, 10);
    other.number = platform::msg::kProgress;
    f.Deliver(other);
    EXPECT_EQ(f.model.SecondValue(), 999);
    EXPECT_FALSE(f.model.Closed());
}

TEST(ExportProgressModelTest, TheEngineEndsTheDialog)
{
    {
        Fixture f;
        f.Deliver(Report(5, 0));
        EXPECT_TRUE(f.model.Closed());
        EXPECT_EQ(f.model.Outcome(), ExportOutcome::Finished);
        f.Deliver(Report(3, 0)); // after the end: ignored
        EXPECT_TRUE(f.dialogs.messages.empty());
    }
    {
        Fixture f;
        f.Deliver(Report(4, 0));
        EXPECT_EQ(f.model.Outcome(), ExportOutcome::Cancelled);
    }
    {
        Fixture f;
        f.Deliver(Report(3, 0));
        EXPECT_TRUE(f.model.Closed());
        EXPECT_EQ(f.model.Outcome(), ExportOutcome::Failed);
        ASSERT_EQ(f.dialogs.messages.size(), 1u);
        EXPECT_EQ(f.dialogs.messages[0].icon, platform::MessageIcon::Stop);
        EXPECT_EQ(f.dialogs.messages[0].caption, "Brickmelody");
        EXPECT_EQ(f.dialogs.messages[0].text.find("\r\n"), 31u);
    }
}

TEST(ExportProgressModelTest, CancelAsksFirstAndThenWaitsForTheEngine)
{
    Fixture f;
    f.dialogs.messageAnswers.push_back(platform::MessageAnswer::No);
    f.model.Cancel(f.dialogs, f.texts);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(f.dialogs.messages[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(f.dialogs.messages[0].defaultButton, 1);
    EXPECT_EQ(f.Posted(engine::CommandCode::CancelExport), 0);
    EXPECT_EQ(f.model.CancelButtonText(), "Cancel");
    EXPECT_TRUE(f.model.CancelEnabled());

    f.dialogs.messageAnswers.push_back(platform::MessageAnswer::Yes);
    f.model.Cancel(f.dialogs, f.texts);
    EXPECT_EQ(f.Posted(engine::CommandCode::CancelExport), 1);
    EXPECT_EQ(f.model.CancelButtonText(), "Cancelling...");
    EXPECT_FALSE(f.model.CancelEnabled());
    EXPECT_FALSE(f.model.Closed());
    // Further presses do nothing; the engine's answer closes.
    f.model.Cancel(f.dialogs, f.texts);
    EXPECT_EQ(f.dialogs.messages.size(), 2u);
    f.Deliver(Report(2, 500));
    EXPECT_EQ(f.model.SecondValue(), 500);
    f.Deliver(Report(4, 0));
    EXPECT_TRUE(f.model.Closed());
}

} // namespace
} // namespace bm::dialogs
