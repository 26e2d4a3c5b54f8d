#pragma once

// What the skin toolkit needs of the window system, and nothing more: one
// WindowHost per top-level window (the main window, a popup menu, a tool
// window, the splash), made by the WindowSystem. The toolkit draws into its
// own 24-bit canvas and hands it over; the host shows it, shapes the window,
// and turns the system's input into WindowEvents for its sink.
//
// Coordinates: client positions are canvas pixels. Screen positions are
// canvas pixels too: a host that shows its canvas at a whole-number scale
// (2x on a high-density screen) divides screen coordinates by that scale, so
// no logic above the host ever sees it.
//
// Threads: UI thread only, except Port(), whose Post() may be called from any
// thread; posted messages arrive as EventType::Message events, in order, on
// the UI thread.
//
// Example (a skinned window):
//     auto host = system.CreateWindow(WindowKind::Main, nullptr);
//     host->SetEventSink(&window);
//     host->SetClientSize(800, 600);
//     host->AttachCanvas(canvas.data(), 800, 600);
//     host->SetShape(insideRects);
//     host->Show();
//     host->Present({0, 0, 799, 599});
//     host->RunModal();                       // until EndModal()

#include "platform/Geometry.h"
#include "platform/MessagePort.h"
#include "platform/WindowEvent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bm::platform {

// What ReadScreen gives where the screen cannot be read (Wayland, the
// offscreen platform): a mid grey, so border panes still blend.
constexpr uint32_t kNeutralBackdrop = 0x6E6E6E;

enum class WindowKind {
    Main,  // the program's window: in the task bar, takes the focus
    Popup, // a menu: above its owner, no task bar entry, closes on focus loss
    Tool,  // a small skinned window that belongs to the main window
    Splash,
};

class WindowHost {
public:
    virtual ~WindowHost() = default;

    virtual void SetEventSink(WindowEventSink* sink) = 0;

    // The client size, in canvas pixels. The window has no decoration.
    virtual void SetClientSize(int32_t width, int32_t height) = 0;
    // The canvas the host shows: width × height pixels of 3 bytes (blue,
    // green, red), rows top-down without padding. It stays the caller's and
    // must live until it is attached again or the host is destroyed; the
    // host reads it whenever it paints.
    virtual void AttachCanvas(const uint8_t* pixels, int32_t width, int32_t height) = 0;
    // The window's outline: the union of these rectangles (client pixels,
    // disjoint, sorted by top then left, as the skin's rows give them). An
    // empty list means the whole client rectangle. Where the window system
    // has no shaped windows, the host shows the window translucent, its
    // black canvas pixels transparent.
    virtual void SetShape(std::vector<Rect> inside) = 0;
    virtual void SetTitle(const std::string& title) = 0;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Minimise() = 0;
    virtual void Restore() = 0;
    virtual void Raise() = 0; // to the front, with the keyboard focus
    virtual bool IsVisible() const = 0;

    // The client area's top-left corner on the screen.
    virtual void Move(Point screenTopLeft) = 0;
    virtual Point Position() const = 0;
    virtual Point ClientToScreen(Point client) const = 0;
    virtual Point ScreenToClient(Point screen) const = 0;
    virtual void CentreOnScreen() = 0;
    virtual void CentreOn(const WindowHost& other) = 0;

    // Copies this rectangle of the canvas to the screen (the final copy of
    // a blit). Only presented rectangles are guaranteed to reach the screen.
    virtual void Present(const Rect& rect) = 0;

    // While captured, the window gets every mouse event, wherever the
    // pointer is.
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void SetPointerPosition(Point client) = 0;

    // Periodic timers by id; starting a running id restarts it with the new
    // period. Precise to a few milliseconds.
    virtual void StartTimer(uint32_t id, uint32_t periodMs) = 0;
    virtual void StopTimer(uint32_t id) = 0;

    // The screen's pixels in `screenRect` (3 bytes each, top-down, like the
    // canvas) into `out`, resized to fit. False when the window system does
    // not allow it: `out` is then filled with a neutral backdrop colour.
    virtual bool ReadScreen(const Rect& screenRect, std::vector<uint8_t>& out) = 0;

    // Runs a nested event loop until EndModal(); returns its result.
    virtual int RunModal() = 0;
    virtual void EndModal(int result) = 0;
    virtual bool InModalLoop() const = 0;

    // Posts messages to this window from any thread.
    virtual MessagePort& Port() = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A new, hidden window; `owner` (may be null) is the window it belongs
    // to (it stays above it and is centred on it by default).
    virtual std::unique_ptr<WindowHost> CreateWindow(WindowKind kind, WindowHost* owner) = 0;
    // The screen area windows may use, in canvas pixels.
    virtual Rect ScreenArea() const = 0;
    // Where the pointer is on the screen, in canvas pixels.
    virtual Point PointerPosition() const = 0;
    // The mods:: key bits held right now (Alt included).
    virtual uint32_t KeyState() const = 0;
    // Milliseconds on a steady clock (timers, double-click and hover times).
    virtual int64_t NowMs() const = 0;
};

} // namespace bm::platform
