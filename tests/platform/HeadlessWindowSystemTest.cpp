#include "platform/HeadlessWindowSystem.h"

#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <thread>

namespace bm::platform {
namespace {

// Records the events it is given.
struct Sink : WindowEventSink {
    std::vector<WindowEvent> events;
    void OnWindowEvent(const WindowEvent& event) override { events.push_back(event); }
};

TEST(HeadlessWindowSystemTest, TheScreenHoldsOnlyWhatWasPresented)
{
    HeadlessWindowSystem system;
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    auto& headless = static_cast<HeadlessWindowHost&>(*host);
    std::vector<uint8_t> canvas(4 * 3 * 3, 0xAA);
    host->AttachCanvas(canvas.data(), 4, 3);
    EXPECT_EQ(headless.ScreenPixel(1, 1), 0u);
    host->Present({1, 1, 10, 1}); // clipped to the canvas
    host->Present({7, 7, 9, 9});  // outside: not recorded
    EXPECT_EQ(headless.Presented(), (std::vector<Rect>{{1, 1, 3, 1}}));
    EXPECT_EQ(headless.ScreenPixel(1, 1), 0xAAAAAAu);
    EXPECT_EQ(headless.ScreenPixel(0, 1), 0u);
    EXPECT_EQ(headless.ScreenPixel(1, 2), 0u);
    canvas[0] = 1;
    EXPECT_EQ(headless.ScreenPixel(0, 0), 0u);

    host->SetClientSize(100, 50);
    system.SetScreenArea({0, 0, 999, 499});
    host->CentreOnScreen();
    EXPECT_EQ(host->Position(), (Point{450, 225}));
    EXPECT_EQ(host->ClientToScreen({1, 2}), (Point{451, 227}));
    auto tool = system.CreateWindow(WindowKind::Tool, host.get());
    tool->SetClientSize(20, 10);
    tool->CentreOn(*host);
    EXPECT_EQ(tool->Position(), (Point{490, 245}));
    EXPECT_EQ(system.Last(WindowKind::Tool), tool.get());
    tool.reset();
    EXPECT_EQ(system.Windows().size(), 1u);
}

TEST(HeadlessWindowSystemTest, ModalLoopsRunTheHookAndNeverHang)
{
    HeadlessWindowSystem system;
    auto host = system.CreateWindow(WindowKind::Popup, nullptr);
    int runs = 0;
    system.OnModal([&](HeadlessWindowHost& h) {
        ++runs;
        EXPECT_TRUE(h.InModalLoop());
        if (runs == 1)
            h.EndModal(42);
    });
    EXPECT_EQ(host->RunModal(), 42);
    EXPECT_FALSE(host->InModalLoop());
    EXPECT_EQ(host->RunModal(), HeadlessWindowHost::kForcedModalEnd);
    auto& headless = static_cast<HeadlessWindowHost&>(*host);
    EXPECT_EQ(headless.ForcedModalEnds(), 1);
    EXPECT_EQ(headless.ModalResults(), (std::vector<int>{42}));
}

TEST(HeadlessWindowSystemTest, TimersAndPostedMessagesReachTheSinkInOrder)
{
    HeadlessWindowSystem system;
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    auto& headless = static_cast<HeadlessWindowHost&>(*host);
    Sink sink;
    host->SetEventSink(&sink);
    host->StartTimer(3, 20);
    EXPECT_TRUE(headless.FireTimer(3));
    EXPECT_FALSE(headless.FireTimer(4));
    host->StopTimer(3);
    EXPECT_FALSE(headless.FireTimer(3));
    std::thread poster([&] {
        for (int i = 0; i < 500; ++i)
            host->Port().Post({msg::kProgress, i, 0, {}, 0});
    });
    poster.join();
    EXPECT_EQ(headless.DeliverPosted(), 500u);
    ASSERT_EQ(sink.events.size(), 501u);
    EXPECT_EQ(sink.events[0].timerId, 3u);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(sink.events[static_cast<size_t>(i) + 1].type, EventType::Message);
        ASSERT_EQ(sink.events[static_cast<size_t>(i) + 1].message.wParam, i);
    }
    headless.Key(vk::kF4, mods::kAlt, true);
    EXPECT_EQ(sink.events.back().type, EventType::KeyUp);
    EXPECT_EQ(sink.events[sink.events.size() - 2].modifiers, mods::kAlt);
    EXPECT_TRUE(sink.events[sink.events.size() - 2].repeat);
}

TEST(HeadlessWindowSystemTest, ScreenReadsGiveTheDesktopOrTheBackdrop)
{
    HeadlessWindowSystem system;
    system.SetDesktop(10, 10, 0x112233);
    system.SetDesktopPixel(9, 9, 0x445566);
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    std::vector<uint8_t> out;
    EXPECT_TRUE(host->ReadScreen({8, 9, 10, 9}, out));
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[0], 0x33);
    EXPECT_EQ(out[3], 0x66);
    EXPECT_EQ(out[6], kNeutralBackdrop & 0xFF); // off the desktop
    system.SetScreenReadable(false);
    EXPECT_FALSE(host->ReadScreen({0, 0, 0, 0}, out));
    EXPECT_EQ(out[0], kNeutralBackdrop & 0xFF);
}

TEST(ScriptedDialogsTest, AnswersInOrderAndReportsWhatItCouldNotAnswer)
{
    std::vector<std::string> failures;
    ScriptedDialogs dialogs([&](const std::string& what) { failures.push_back(what); });
    dialogs.AnswerMessage(MessageAnswer::Yes);
    dialogs.AnswerOpen({"/a.wav", "/b.wav"});
    dialogs.CancelSave();
    dialogs.AnswerFolder("/music");
    EXPECT_EQ(dialogs.Unused(), 4u);
    EXPECT_EQ(dialogs.ShowMessage({"Save?", "Brickmelody", MessageButtons::YesNoCancel, MessageIcon::Question, 0}),
              MessageAnswer::Yes);
    std::vector<std::string> files;
    OpenFileRequest open;
    open.title = "Open";
    open.filter = "Waves|*.wav||";
    EXPECT_TRUE(dialogs.OpenFiles(open, files));
    EXPECT_EQ(files, (std::vector<std::string>{"/a.wav", "/b.wav"}));
    std::string path = "unchanged";
    EXPECT_FALSE(dialogs.SaveFile(SaveFileRequest{}, path));
    EXPECT_EQ(path, "unchanged");
    std::string folder;
    EXPECT_TRUE(dialogs.ChooseFolder(FolderRequest{}, folder));
    EXPECT_EQ(folder, "/music/");
    EXPECT_EQ(dialogs.Unused(), 0u);
    EXPECT_TRUE(failures.empty());
    // Nothing left: cancelled at once, and reported.
    EXPECT_EQ(dialogs.ShowMessage({"Again?", "", MessageButtons::YesNo}), MessageAnswer::No);
    EXPECT_EQ(dialogs.ShowMessage({"Sure?", "", MessageButtons::OkCancel}), MessageAnswer::Cancel);
    EXPECT_FALSE(dialogs.OpenFiles(open, files));
    EXPECT_EQ(failures.size(), 3u);
    EXPECT_EQ(dialogs.missing, failures);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].caption, "Brickmelody");
    EXPECT_EQ(dialogs.opens[0].filter, "Waves|*.wav||");
}

} // namespace
} // namespace bm::platform
