#pragma once

// What a top-level window hears from the window system, as the program's
// own typed events: mouse buttons and moves in client pixels of the window's
// canvas, wheel steps, keys as the virtual-key codes the keyboard table is
// written in, focus loss, timer ticks and messages posted from other threads.

#include "platform/MessagePort.h"

#include <cstdint>

namespace bm::platform {

// Modifier and button bits, the same numbers as the keyboard table's mask
// (Ctrl 1, Shift 2, Alt 4) and the arrangement's modifier code (left button
// 8, right button 16).
namespace mods {
constexpr uint32_t kCtrl = 1;
constexpr uint32_t kShift = 2;
constexpr uint32_t kAlt = 4;
constexpr uint32_t kLeftButton = 8;
constexpr uint32_t kRightButton = 16;
// The keys only, for matching keyboard table rows exactly.
constexpr uint32_t kKeys = kCtrl | kShift | kAlt;
} // namespace mods

// Virtual-key codes. Letters and digits are their upper-case ASCII codes
// ('A' = 0x41, '0' = 0x30).
namespace vk {
constexpr int32_t kBack = 0x08;
constexpr int32_t kTab = 0x09;
constexpr int32_t kReturn = 0x0D;
constexpr int32_t kShift = 0x10;
constexpr int32_t kControl = 0x11;
constexpr int32_t kMenu = 0x12; // Alt
constexpr int32_t kEscape = 0x1B;
constexpr int32_t kSpace = 0x20;
constexpr int32_t kPrior = 0x21; // Page Up
constexpr int32_t kNext = 0x22;  // Page Down
constexpr int32_t kEnd = 0x23;
constexpr int32_t kHome = 0x24;
constexpr int32_t kLeft = 0x25;
constexpr int32_t kUp = 0x26;
constexpr int32_t kRight = 0x27;
constexpr int32_t kDown = 0x28;
constexpr int32_t kInsert = 0x2D;
constexpr int32_t kDelete = 0x2E;
constexpr int32_t kApps = 0x5D; // the context-menu key
constexpr int32_t kF1 = 0x70;   // F1 ... F24 follow in order
constexpr int32_t kF4 = 0x73;
constexpr int32_t kF6 = 0x75;
constexpr int32_t kF10 = 0x79;
constexpr int32_t kF12 = 0x7B;
constexpr int32_t kOemComma = 0xBC;
constexpr int32_t kOemMinus = 0xBD;
constexpr int32_t kOemPeriod = 0xBE;
constexpr int32_t kOemPlus = 0xBB;
} // namespace vk

enum class EventType {
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    MouseMove,
    Wheel,     // wheelSteps: + away from the user (up), - towards
    KeyDown,   // key, repeat, modifiers (also with Alt held)
    KeyUp,
    FocusLost, // the window lost the keyboard focus (another window came to the front)
    Timer,     // timerId
    Message,   // message, posted through the window's port
    Close,     // the window system asks the window to close
};

struct WindowEvent {
    EventType type = EventType::MouseMove;
    // Client pixels of the canvas (the host has already undone any scaling).
    int32_t x = 0;
    int32_t y = 0;
    // mods:: bits: the keys held and, for mouse events, the buttons down.
    uint32_t modifiers = 0;
    int32_t key = 0;     // vk:: code
    bool repeat = false; // the key was already down (auto-repeat)
    int32_t wheelSteps = 0;
    uint32_t timerId = 0;
    Message message;
};

// Receives a window's events, on the UI thread, one at a time.
class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    virtual void OnWindowEvent(const WindowEvent& event) = 0;
};

} // namespace bm::platform
