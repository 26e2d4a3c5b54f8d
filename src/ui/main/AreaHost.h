#pragma once

// What the main window gives the areas it draws itself (the arrangement,
// the library browser, the silence cell, the volume knob, the meters, the
// time display): its canvas and pristine skin, the final copy to the
// screen, its fonts and archive, the mouse, popup menus and floating
// windows. The main window implements it; tests use the headless window.
//
// UI thread only.

#include "platform/Geometry.h"
#include "platform/WindowHost.h"
#include "ui/main/Layout.h"
#include "ui/skin/Image.h"

#include <memory>
#include <string_view>

namespace bm {
class BitmapFont;
class ResourceArchive;
}

namespace bm::ui {

class AreaHost {
public:
    virtual ~AreaHost() = default;

    virtual Image24& Canvas() = 0;
    virtual const Image24& Background() const = 0;
    // Copies the rectangle of the canvas to the screen.
    virtual void Present(const platform::Rect& rect) = 0;
    virtual const BitmapFont& Font(layout::FontId id) const = 0;
    virtual const ResourceArchive& Archive() const = 0;

    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void SetPointer(platform::Point client) = 0;
    // Client pixels to screen pixels (menus and floating windows are placed
    // on the screen).
    virtual platform::Point ToScreen(platform::Point client) const = 0;

    // Opens a menu description modally with its top-left corner at the
    // screen point; the chosen command has run (or 1024 was posted) when
    // this returns. An earlier menu still open is closed first.
    virtual void OpenMenu(std::string_view entry, platform::Point screen) = 0;
    // A new, hidden window above the main window (the floating drag window,
    // the value slider, the time window).
    virtual std::unique_ptr<platform::WindowHost> CreateFloatingWindow() = 0;
    virtual platform::WindowSystem& System() = 0;

    // The main window's timers by id (1: the hover on the time display).
    virtual void StartTimer(uint32_t id, uint32_t periodMs) = 0;
    virtual void StopTimer(uint32_t id) = 0;
};

} // namespace bm::ui
