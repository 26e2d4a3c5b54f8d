#pragma once

// The window system without a screen, for tests and tools: fixed screen
// area, a clock the test moves, a pointer and key state the test sets, and
// windows that keep what was presented.
//
// A HeadlessWindowHost keeps its own "screen" image of the window: only the
// rectangles presented through Present() are copied into it from the
// canvas, so a test sees exactly what a blit would have shown. Every
// presented rectangle is recorded. A test delivers events (Deliver, or the
// shorthands), fires timers, and delivers posted messages in order.
//
// RunModal() runs the system's modal hook (OnModal) with the host; when the
// loop has not been ended after the hook returns, the host ends it itself
// with kForcedModalEnd, so a test never hangs. Example:
//
//     platform::HeadlessWindowSystem system;
//     system.OnModal([](platform::HeadlessWindowHost& host) {
//         host.Key(platform::vk::kDown);
//         host.Key(platform::vk::kReturn);
//     });
//     menu.Show({10, 10});          // runs the hook inside its modal loop
//
// UI thread only, except Port().Post(), which any thread may call.

#include "platform/WindowHost.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace bm::platform {

class HeadlessWindowSystem;

class HeadlessWindowHost : public WindowHost {
public:
    // What RunModal returns when the hook did not end the loop.
    static constexpr int kForcedModalEnd = -1;

    HeadlessWindowHost(HeadlessWindowSystem& system, WindowKind kind, WindowHost* owner);
    ~HeadlessWindowHost() override;

    void SetEventSink(WindowEventSink* sink) override { m_sink = sink; }
    void SetClientSize(int32_t width, int32_t height) override;
    void AttachCanvas(const uint8_t* pixels, int32_t width, int32_t height) override;
    void SetShape(std::vector<Rect> inside) override { m_shape = std::move(inside); }
    void SetTitle(const std::string& title) override { m_title = title; }
    void Show() override { m_visible = true; m_minimised = false; }
    void Hide() override { m_visible = false; }
    void Minimise() override { m_minimised = true; }
    void Restore() override { m_minimised = false; }
    void Raise() override;
    bool IsVisible() const override { return m_visible; }
    void Move(Point screenTopLeft) override { m_position = screenTopLeft; }
    Point Position() const override { return m_position; }
    Point ClientToScreen(Point client) const override { return {client.x + m_position.x, client.y + m_position.y}; }
    Point ScreenToClient(Point screen) const override { return {screen.x - m_position.x, screen.y - m_position.y}; }
    void CentreOnScreen() override;
    void CentreOn(const WindowHost& other) override;
    void Present(const Rect& rect) override;
    void CaptureMouse() override { m_captured = true; }
    void ReleaseMouse() override { m_captured = false; }
    void SetPointerPosition(Point client) override;
    void StartTimer(uint32_t id, uint32_t periodMs) override { m_timers[id] = periodMs; }
    void StopTimer(uint32_t id) override { m_timers.erase(id); }
    bool ReadScreen(const Rect& screenRect, std::vector<uint8_t>& out) override;
    int RunModal() override;
    void EndModal(int result) override;
    bool InModalLoop() const override { return m_modalDepth > 0; }
    MessagePort& Port() override { return m_port; }

    // ---- for tests ----
    WindowKind Kind() const { return m_kind; }
    WindowHost* Owner() const { return m_owner; }
    int32_t ClientWidth() const { return m_width; }
    int32_t ClientHeight() const { return m_height; }
    Rect ScreenRect() const { return {m_position.x, m_position.y, m_position.x + m_width - 1, m_position.y + m_height - 1}; }
    const std::vector<Rect>& Shape() const { return m_shape; }
    const std::string& Title() const { return m_title; }
    bool Minimised() const { return m_minimised; }
    bool Captured() const { return m_captured; }
    bool HasFocus() const;
    // The presented image: canvas size, 3 bytes a pixel, black until presented.
    const std::vector<uint8_t>& Screen() const { return m_screen; }
    // 0x00RRGGBB of a presented pixel (0 outside).
    uint32_t ScreenPixel(int32_t x, int32_t y) const;
    // Every rectangle presented, clipped to the canvas, in order.
    const std::vector<Rect>& Presented() const { return m_presented; }
    std::vector<Rect> TakePresented() { return std::exchange(m_presented, {}); }
    bool TimerRunning(uint32_t id) const { return m_timers.count(id) != 0; }
    uint32_t TimerPeriod(uint32_t id) const;
    // The results EndModal was given, in order, and how many loops the host
    // had to end itself.
    const std::vector<int>& ModalResults() const { return m_modalResults; }
    int ForcedModalEnds() const { return m_forcedEnds; }
    int ModalRuns() const { return m_modalRuns; }

    // Hands an event to the sink as the window system would.
    void Deliver(const WindowEvent& event);
    void Press(int32_t x, int32_t y, uint32_t modifiers = 0);   // left down
    void Release(int32_t x, int32_t y, uint32_t modifiers = 0); // left up
    void Click(int32_t x, int32_t y, uint32_t modifiers = 0);   // down and up
    void RightPress(int32_t x, int32_t y, uint32_t modifiers = 0);
    void RightRelease(int32_t x, int32_t y, uint32_t modifiers = 0);
    void RightClick(int32_t x, int32_t y, uint32_t modifiers = 0);
    void MoveTo(int32_t x, int32_t y, uint32_t modifiers = 0);
    void Key(int32_t key, uint32_t modifiers = 0, bool repeat = false); // down and up
    void Wheel(int32_t x, int32_t y, int32_t steps, uint32_t modifiers = 0);
    void LoseFocus();
    // A tick of a running timer; false (nothing delivered) when it is not running.
    bool FireTimer(uint32_t id);
    // Delivers the messages posted so far, in order; returns how many.
    size_t DeliverPosted();
    size_t PendingPosted() const;

private:
    class QueuedPort final : public MessagePort {
    public:
        void Post(Message message) override;
        std::deque<Message> Take();
        size_t Size() const;

    private:
        mutable std::mutex m_mutex;
        std::deque<Message> m_queue;
    };

    HeadlessWindowSystem& m_system;
    WindowKind m_kind;
    WindowHost* m_owner;
    WindowEventSink* m_sink = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    const uint8_t* m_canvas = nullptr;
    int32_t m_canvasWidth = 0;
    int32_t m_canvasHeight = 0;
    std::vector<uint8_t> m_screen;
    std::vector<Rect> m_presented;
    std::vector<Rect> m_shape;
    std::string m_title;
    bool m_visible = false;
    bool m_minimised = false;
    bool m_captured = false;
    Point m_position;
    std::map<uint32_t, uint32_t> m_timers;
    int m_modalDepth = 0;
    bool m_modalEnded = false;
    int m_modalResult = 0;
    int m_modalRuns = 0;
    int m_forcedEnds = 0;
    std::vector<int> m_modalResults;
    QueuedPort m_port;
};

class HeadlessWindowSystem : public WindowSystem {
public:
    explicit HeadlessWindowSystem(Rect screen = {0, 0, 1919, 1079});
    ~HeadlessWindowSystem() override;

    std::unique_ptr<WindowHost> CreateWindow(WindowKind kind, WindowHost* owner) override;
    Rect ScreenArea() const override { return m_screen; }
    Point PointerPosition() const override { return m_pointer; }
    uint32_t KeyState() const override { return m_keys; }
    int64_t NowMs() const override { return m_now; }

    // ---- for tests ----
    void SetScreenArea(const Rect& screen) { m_screen = screen; }
    void SetPointer(Point screen) { m_pointer = screen; }
    void SetKeyState(uint32_t keys) { m_keys = keys; }
    void AdvanceMs(int64_t ms) { m_now += ms; }
    // Runs inside every RunModal, with the host whose loop runs.
    void OnModal(std::function<void(HeadlessWindowHost&)> hook) { m_modalHook = std::move(hook); }
    // The pixels behind the windows (0x00RRGGBB each); ReadScreen answers
    // from it. Outside it, and when screen reads are switched off, reads
    // give the neutral backdrop.
    void SetDesktop(int32_t width, int32_t height, uint32_t colour);
    void SetDesktopPixel(int32_t x, int32_t y, uint32_t colour);
    void SetScreenReadable(bool readable) { m_readable = readable; }
    // The live windows in the order they were made.
    const std::vector<HeadlessWindowHost*>& Windows() const { return m_windows; }
    // The most recently made live window of a kind, or null.
    HeadlessWindowHost* Last(WindowKind kind) const;
    HeadlessWindowHost* Focused() const { return m_focused; }

private:
    friend class HeadlessWindowHost;
    void Forget(HeadlessWindowHost* host);
    void RunHook(HeadlessWindowHost& host);

    Rect m_screen;
    Point m_pointer;
    uint32_t m_keys = 0;
    int64_t m_now = 0;
    std::function<void(HeadlessWindowHost&)> m_modalHook;
    std::vector<uint8_t> m_desktop;
    int32_t m_desktopWidth = 0;
    int32_t m_desktopHeight = 0;
    bool m_readable = true;
    std::vector<HeadlessWindowHost*> m_windows;
    HeadlessWindowHost* m_focused = nullptr;
};

} // namespace bm::platform
