#pragma once

// The window host on Qt 6 Widgets: one frameless QWidget per window that
// shows the caller's canvas (wrapped, not copied, in a QImage of
// Format_BGR888), is shaped with setMask, and turns Qt's input into
// WindowEvents. Messages posted from other threads arrive as Qt events, in
// order, on the UI thread.
//
// Scale: the canvas keeps its own size for all logic, while the window shows
// it at a whole-number scale with nearest-neighbour pixels and maps pointer
// positions back. Qt already doubles a window on a screen whose device pixel
// ratio is 2 or more (painted without smoothing, that is the 2× wanted); on
// a large screen that Qt runs at ratio 1 (an unscaled 4K desktop) the host
// adds 2× itself. Screen positions handed to and from the interface are
// divided by that scale too. Call PrepareApplication() before the
// QApplication is made, so that Qt's own ratios are whole numbers.
//
// Where the window system has no shaped windows (Wayland), the window is
// translucent and its black canvas pixels are transparent.

#include "platform/WindowHost.h"

#include <QtCore/qglobal.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QEventLoop;
class QImage;
class QWidget;

namespace bm::platform {

class QtWindowSystem;
class HostWidget;

class QtWindowHost : public WindowHost {
public:
    QtWindowHost(QtWindowSystem& system, WindowKind kind, QtWindowHost* owner);
    ~QtWindowHost() override;

    void SetEventSink(WindowEventSink* sink) override { m_sink = sink; }
    void SetClientSize(int32_t width, int32_t height) override;
    void AttachCanvas(const uint8_t* pixels, int32_t width, int32_t height) override;
    void SetShape(std::vector<Rect> inside) override;
    void SetTitle(const std::string& title) override;
    void Show() override;
    void Hide() override;
    void Minimise() override;
    void Restore() override;
    void Raise() override;
    bool IsVisible() const override;
    void Move(Point screenTopLeft) override;
    Point Position() const override;
    Point ClientToScreen(Point client) const override;
    Point ScreenToClient(Point screen) const override;
    void CentreOnScreen() override;
    void CentreOn(const WindowHost& other) override;
    void Present(const Rect& rect) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    void SetPointerPosition(Point client) override;
    void StartTimer(uint32_t id, uint32_t periodMs) override;
    void StopTimer(uint32_t id) override;
    bool ReadScreen(const Rect& screenRect, std::vector<uint8_t>& out) override;
    int RunModal() override;
    void EndModal(int result) override;
    bool InModalLoop() const override { return !m_loops.empty(); }
    MessagePort& Port() override { return m_port; }

    // The widget that shows the window (tests send it events and grab it).
    QWidget* Widget() const;
    int Scale() const { return m_scale; }
    WindowKind Kind() const { return m_kind; }

private:
    friend class HostWidget;

    class QueuedPort final : public MessagePort {
    public:
        void Post(Message message) override;
        void SetTarget(QWidget* target);

    private:
        std::mutex m_mutex;
        QWidget* m_target = nullptr;
    };

    void Deliver(const WindowEvent& event);
    void TimerFired(int qtId);
    const QImage* Image() const { return m_image.get(); }

    QtWindowSystem& m_system;
    WindowKind m_kind;
    int m_scale;
    bool m_translucent;
    WindowEventSink* m_sink = nullptr;
    std::unique_ptr<HostWidget> m_widget;
    std::unique_ptr<QImage> m_image;
    std::map<uint32_t, int> m_timers;  // our id -> Qt's timer id
    std::vector<QEventLoop*> m_loops;
    QueuedPort m_port;
    bool m_hiding = false;
};

class QtWindowSystem : public WindowSystem {
public:
    // `scale` 0 chooses it from the primary screen; 1 or 2 forces it.
    explicit QtWindowSystem(int scale = 0);
    ~QtWindowSystem() override;

    // Before the QApplication exists: whole-number device pixel ratios.
    static void PrepareApplication();
    // The scale the host adds for a screen: 2 on a screen at least 2000
    // pixels high that Qt runs at a ratio below 2, else 1.
    static int ScaleFor(double devicePixelRatio, int logicalScreenHeight);

    std::unique_ptr<WindowHost> CreateWindow(WindowKind kind, WindowHost* owner) override;
    Rect ScreenArea() const override;
    Point PointerPosition() const override;
    uint32_t KeyState() const override;
    int64_t NowMs() const override;

    int Scale() const { return m_scale; }
    // True where the window system cannot give screen pixels or shapes.
    static bool ScreenReadable();
    static bool ShapedWindows();

private:
    int m_scale;
};

} // namespace bm::platform
