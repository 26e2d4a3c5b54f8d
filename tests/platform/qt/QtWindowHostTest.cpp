#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeyMap.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtWindowSystem.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <thread>

namespace bm::platform {
namespace {

struct Sink : WindowEventSink {
    std::vector<WindowEvent> events;
    void OnWindowEvent(const WindowEvent& event) override { events.push_back(event); }
};

// Processes events until `done` holds or two seconds have passed.
bool Wait(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// The window tests run without a display: the offscreen platform, unless
// the caller chose another one.
bool UseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

class QtHostTest : public ::testing::Test {
protected:
    bool m_offscreen = UseOffscreenPlatform();
    int m_argc = 1;
    char m_name[16] = "qt-host-test";
    char* m_argv[2] = {m_name, nullptr};
    QApplication m_application{m_argc, m_argv};
};

// A canvas whose pixel (x, y) is 0x00RRGGBB = (x * 16, y * 16, 0x55).
std::vector<uint8_t> Canvas(int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height * 3));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = pixels.data() + (y * width + x) * 3;
            p[0] = 0x55;
            p[1] = static_cast<uint8_t>(y * 16);
            p[2] = static_cast<uint8_t>(x * 16);
        }
    }
    return pixels;
}

TEST_F(QtHostTest, AWindowShowsItsCanvasAtItsScale)
{
    for (int scale : {1, 2}) {
        QtWindowSystem system(scale);
        auto host = system.CreateWindow(WindowKind::Main, nullptr);
        auto& qt = static_cast<QtWindowHost&>(*host);
        const std::vector<uint8_t> canvas = Canvas(13, 7); // 39-byte rows
        host->SetClientSize(13, 7);
        host->AttachCanvas(canvas.data(), 13, 7);
        host->Show();
        host->Present({0, 0, 12, 6});
        EXPECT_EQ(qt.Widget()->size(), QSize(13 * scale, 7 * scale));
        const QImage shown = qt.Widget()->grab().toImage();
        ASSERT_EQ(shown.width(), 13 * scale);
        for (auto [x, y] : {std::pair{0, 0}, {12, 6}, {5, 3}}) {
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    EXPECT_EQ(shown.pixel(x * scale + dx, y * scale + dy) & 0xFFFFFF, qRgb(x * 16, y * 16, 0x55) & 0xFFFFFFu)
                        << "scale " << scale << " at " << x << "," << y;
        }
        host->SetShape({{1, 0, 11, 6}});
        EXPECT_EQ(qt.Widget()->mask(), QRegion(1 * scale, 0, 11 * scale, 7 * scale));
        host->SetShape({});
        EXPECT_TRUE(qt.Widget()->mask().isEmpty());
    }
}

TEST_F(QtHostTest, PointerPositionsAreMappedBackToCanvasPixels)
{
    QtWindowSystem system(2);
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    auto& qt = static_cast<QtWindowHost&>(*host);
    Sink sink;
    host->SetEventSink(&sink);
    host->SetClientSize(100, 50);
    host->Show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(41, 21), QPointF(41, 21), Qt::LeftButton, Qt::LeftButton,
                      Qt::ShiftModifier);
    QCoreApplication::sendEvent(qt.Widget(), &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(199, 99), QPointF(199, 99), Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(qt.Widget(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-3, 0), QPointF(-3, 0), Qt::RightButton, Qt::NoButton,
                        Qt::ControlModifier | Qt::AltModifier);
    QCoreApplication::sendEvent(qt.Widget(), &release);
    ASSERT_EQ(sink.events.size(), 3u);
    EXPECT_EQ(sink.events[0].type, EventType::LeftDown);
    EXPECT_EQ(sink.events[0].x, 20);
    EXPECT_EQ(sink.events[0].y, 10);
    EXPECT_EQ(sink.events[0].modifiers, mods::kShift | mods::kLeftButton);
    EXPECT_EQ(sink.events[1].x, 99);
    EXPECT_EQ(sink.events[1].y, 49);
    EXPECT_EQ(sink.events[1].modifiers, mods::kRightButton);
    EXPECT_EQ(sink.events[2].type, EventType::RightUp);
    EXPECT_EQ(sink.events[2].x, -2); // toward minus infinity
    EXPECT_EQ(sink.events[2].modifiers, mods::kCtrl | mods::kAlt);
    host->Move({30, 40});
    EXPECT_EQ(qt.Widget()->pos(), QPoint(60, 80));
    EXPECT_EQ(host->Position(), (Point{30, 40}));
    EXPECT_EQ(QtWindowSystem::ScaleFor(1.0, 2160), 2);
    EXPECT_EQ(QtWindowSystem::ScaleFor(2.0, 1080), 1);
    EXPECT_EQ(QtWindowSystem::ScaleFor(1.0, 1080), 1);
}

struct KeyCase {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    bool autoRepeat;
    int32_t key;
    uint32_t expectedModifiers;
};

class QtKeyTest : public QtHostTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(QtKeyTest, KeysArriveAsVirtualKeysWithExactModifiers)
{
    const KeyCase& c = GetParam();
    QtWindowSystem system(1);
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    Sink sink;
    host->SetEventSink(&sink);
    QKeyEvent down(QEvent::KeyPress, c.qtKey, c.modifiers, QString(), c.autoRepeat);
    QCoreApplication::sendEvent(static_cast<QtWindowHost&>(*host).Widget(), &down);
    QKeyEvent up(QEvent::KeyRelease, c.qtKey, c.modifiers);
    QCoreApplication::sendEvent(static_cast<QtWindowHost&>(*host).Widget(), &up);
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[0].type, EventType::KeyDown);
    EXPECT_EQ(sink.events[0].key, c.key);
    EXPECT_EQ(sink.events[0].modifiers, c.expectedModifiers);
    EXPECT_EQ(sink.events[0].repeat, c.autoRepeat);
    EXPECT_EQ(sink.events[1].type, EventType::KeyUp);
    EXPECT_EQ(sink.events[1].key, c.key);
}

constexpr auto kNone = Qt::NoModifier;
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kAlt = Qt::AltModifier;

INSTANTIATE_TEST_SUITE_P(
    KeyboardTable, QtKeyTest,
    ::testing::Values(KeyCase{Qt::Key_A, kNone, false, 'A', 0}, KeyCase{Qt::Key_C, kCtrl, false, 'C', mods::kCtrl},
                      KeyCase{Qt::Key_Z, kCtrl | kShift, false, 'Z', mods::kCtrl | mods::kShift},
                      KeyCase{Qt::Key_V, kCtrl | kShift | kAlt, true, 'V', mods::kKeys},
                      KeyCase{Qt::Key_0, kNone, false, '0', 0}, KeyCase{Qt::Key_9, kAlt, false, '9', mods::kAlt},
                      KeyCase{Qt::Key_F1, kNone, false, vk::kF1, 0}, KeyCase{Qt::Key_F4, kAlt, false, vk::kF4, mods::kAlt},
                      KeyCase{Qt::Key_F12, kShift, false, vk::kF12, mods::kShift},
                      KeyCase{Qt::Key_F6, kShift, false, vk::kF6, mods::kShift},
                      KeyCase{Qt::Key_Left, kAlt, true, vk::kLeft, mods::kAlt}, KeyCase{Qt::Key_R, kCtrl, false, 'R', mods::kCtrl},
                      KeyCase{Qt::Key_Left, kNone, true, vk::kLeft, 0}, KeyCase{Qt::Key_Right, kShift, true, vk::kRight, mods::kShift},
                      KeyCase{Qt::Key_Up, kCtrl, false, vk::kUp, mods::kCtrl}, KeyCase{Qt::Key_Down, kNone, true, vk::kDown, 0},
                      KeyCase{Qt::Key_Home, kNone, false, vk::kHome, 0}, KeyCase{Qt::Key_End, kCtrl, false, vk::kEnd, mods::kCtrl},
                      KeyCase{Qt::Key_Insert, kShift, false, vk::kInsert, mods::kShift},
                      KeyCase{Qt::Key_Delete, kNone, false, vk::kDelete, 0},
                      KeyCase{Qt::Key_Backspace, kAlt, false, vk::kBack, mods::kAlt},
                      KeyCase{Qt::Key_Return, kNone, false, vk::kReturn, 0}, KeyCase{Qt::Key_Enter, kNone, false, vk::kReturn, 0},
                      KeyCase{Qt::Key_Escape, kNone, false, vk::kEscape, 0}, KeyCase{Qt::Key_Space, kCtrl, false, vk::kSpace, mods::kCtrl},
                      KeyCase{Qt::Key_PageUp, kNone, true, vk::kPrior, 0}, KeyCase{Qt::Key_PageDown, kShift, false, vk::kNext, mods::kShift},
                      KeyCase{Qt::Key_Period, kNone, false, vk::kOemPeriod, 0},
                      KeyCase{Qt::Key_Greater, kShift, false, vk::kOemPeriod, mods::kShift},
                      KeyCase{Qt::Key_Comma, kCtrl, false, vk::kOemComma, mods::kCtrl},
                      KeyCase{Qt::Key_Less, kShift, false, vk::kOemComma, mods::kShift},
                      KeyCase{Qt::Key_Tab, kNone, false, vk::kTab, 0}, KeyCase{Qt::Key_Menu, kNone, false, vk::kApps, 0}));

TEST_F(QtHostTest, TimersFireWithTheirIdsAndModalLoopsEnd)
{
    QtWindowSystem system(1);
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    Sink sink;
    host->SetEventSink(&sink);
    host->StartTimer(0, 5);
    host->StartTimer(0xF7000000, 7);
    auto count = [&](uint32_t id) {
        return std::count_if(sink.events.begin(), sink.events.end(),
                             [&](const WindowEvent& e) { return e.type == EventType::Timer && e.timerId == id; });
    };
    EXPECT_TRUE(Wait([&] { return count(0) >= 3 && count(0xF7000000) >= 3; }));
    host->StopTimer(0);
    host->StopTimer(0xF7000000);
    const size_t seen = sink.events.size();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 50)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(sink.events.size(), seen);

    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(host->InModalLoop());
        host->EndModal(5);
    });
    EXPECT_EQ(host->RunModal(), 5);
    EXPECT_FALSE(host->InModalLoop());
}

TEST_F(QtHostTest, MessagesFromOtherThreadsArriveInOrder)
{
    QtWindowSystem system(1);
    auto host = system.CreateWindow(WindowKind::Main, nullptr);
    Sink sink;
    host->SetEventSink(&sink);
    std::thread poster([&] {
        for (int i = 0; i < 2000; ++i)
            host->Port().Post({msg::kMeasuresInvalidated, i, -i, std::string("m") + std::to_string(i), 0});
    });
    poster.join();
    ASSERT_TRUE(Wait([&] { return sink.events.size() == 2000; }));
    for (int i = 0; i < 2000; ++i) {
        const WindowEvent& e = sink.events[static_cast<size_t>(i)];
        ASSERT_EQ(e.type, EventType::Message);
        ASSERT_EQ(e.message.wParam, i);
        ASSERT_EQ(std::get<std::string>(e.message.payload), "m" + std::to_string(i));
    }
    // The offscreen platform cannot give screen pixels: the backdrop stands in.
    std::vector<uint8_t> pixels;
    EXPECT_FALSE(host->ReadScreen({0, 0, 1, 0}, pixels));
    ASSERT_EQ(pixels.size(), 6u);
    EXPECT_EQ(pixels[0], kNeutralBackdrop & 0xFF);
}

TEST_F(QtHostTest, MessageBoxesMapButtonsDefaultsAndEscape)
{
    QtDialogs dialogs;
    struct Case {
        MessageButtons buttons;
        int defaultButton;
        QMessageBox::StandardButton expectedDefault;
        QMessageBox::StandardButton click; // NoButton: press Escape
        MessageAnswer answer;
    };
    for (const Case& c : {Case{MessageButtons::YesNo, 1, QMessageBox::No, QMessageBox::Yes, MessageAnswer::Yes},
                          Case{MessageButtons::YesNoCancel, 0, QMessageBox::Yes, QMessageBox::NoButton, MessageAnswer::Cancel},
                          Case{MessageButtons::YesNo, 0, QMessageBox::Yes, QMessageBox::NoButton, MessageAnswer::No},
                          Case{MessageButtons::OkCancel, 1, QMessageBox::Cancel, QMessageBox::Ok, MessageAnswer::Ok},
                          Case{MessageButtons::Ok, 3, QMessageBox::Ok, QMessageBox::NoButton, MessageAnswer::Ok}}) {
        QMessageBox::StandardButton defaultSeen = QMessageBox::NoButton;
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            defaultSeen = box->standardButton(box->defaultButton());
            if (c.click == QMessageBox::NoButton) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(box, &escape);
            } else {
                box->button(c.click)->click();
            }
        });
        MessageRequest request;
        request.text = "Overwrite?";
        request.caption = "Brickmelody";
        request.buttons = c.buttons;
        request.icon = MessageIcon::Question;
        request.defaultButton = c.defaultButton;
        EXPECT_EQ(dialogs.ShowMessage(request), c.answer);
        EXPECT_EQ(defaultSeen, c.expectedDefault);
        EXPECT_EQ(caption, "Brickmelody");
    }
}

TEST_F(QtHostTest, FiltersSuffixesAndShellTargetsTakeQtsForm)
{
    EXPECT_EQ(QtNameFilters("Songs|*.ncp;*.wcp|All files|*.*||"), (QStringList{"Songs (*.ncp *.wcp)", "All files (*.*)"}));
    EXPECT_EQ(QtNameFilters("Waves|*.wav|"), (QStringList{"Waves (*.wav)"}));
    EXPECT_TRUE(QtNameFilters("").isEmpty());
    EXPECT_EQ(QtDefaultSuffix("*.wav;*.mp3;*.ncp"), "wav");
    EXPECT_EQ(QtDefaultSuffix("ncp"), "ncp");
    EXPECT_EQ(QtDefaultSuffix("*.*"), "");
    EXPECT_EQ(ShellUrl("https://example.org/news").toString(), "https://example.org/news");
    EXPECT_EQ(ShellUrl("/opt/bm/HTMLHelp/Intro.htm"), QUrl::fromLocalFile("/opt/bm/HTMLHelp/Intro.htm"));
    EXPECT_TRUE(ShellUrl("HTMLHelp/Intro.htm").isLocalFile());
    EXPECT_TRUE(ShellUrl("c:/x.htm").isLocalFile()); // one letter is not a scheme

    // A save dialog accepted from a timer while it runs gives its file.
    QtDialogs dialogs;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile("/tmp/chosen");
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    SaveFileRequest save;
    save.title = "Save";
    save.filter = "Songs|*.ncp||";
    save.defaultExtension = "ncp";
    std::string chosen;
    ASSERT_TRUE(dialogs.SaveFile(save, chosen));
    EXPECT_EQ(chosen, "/tmp/chosen.ncp");
}

} // namespace
} // namespace bm::platform
