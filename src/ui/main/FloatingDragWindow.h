#pragma once

// The small window that carries the picture of what a drag holds (a
// library cell, the silence cell, the selection's bars) along with the
// pointer. Its outline is cut to the picture's parts, so only the carried
// things float over the window.

#include "platform/WindowHost.h"
#include "ui/skin/Image.h"

#include <memory>
#include <vector>

namespace bm::ui {

class AreaHost;

class FloatingDragWindow {
public:
    // Opens the window with the picture at the screen point (its top-left
    // corner); `shape` as WindowHost::SetShape takes it (empty: the whole
    // picture). An open window is closed first.
    void Open(AreaHost& host, Image24 picture, std::vector<platform::Rect> shape, platform::Point screen);
    void MoveTo(platform::Point screen);
    void Close();

    bool IsOpen() const { return m_window != nullptr; }
    platform::Point Position() const { return m_position; }
    const Image24& Picture() const { return m_picture; }
    platform::WindowHost* Window() const { return m_window.get(); }

private:
    std::unique_ptr<platform::WindowHost> m_window;
    Image24 m_picture;
    platform::Point m_position;
};

} // namespace bm::ui
