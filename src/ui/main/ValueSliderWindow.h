#pragma once

// The small slider window of command 1262, next to the pointer: vertical
// over an envelope point's value (position 0 at the top is the highest
// value) or horizontal over a slot's start offset with tick marks. Pressing
// anywhere on it moves the thumb there; dragging moves it on; every change
// is handed to `apply`. Escape, Enter or the loss of the focus close it.

#include "platform/WindowHost.h"
#include "ui/main/MainServices.h"
#include "ui/skin/Image.h"

#include <functional>
#include <memory>

namespace bm::ui {

class ValueSliderWindow : public platform::WindowEventSink {
public:
    static constexpr int32_t kLength = 160; // track length in pixels
    static constexpr int32_t kBreadth = 24;
    static constexpr int32_t kMargin = 8;
    static constexpr int32_t kThumbLength = 9;

    using Apply = std::function<void(int32_t position)>;

    // Shows the window with its top-left corner at `screen` and moves the
    // pointer onto the thumb.
    ValueSliderWindow(std::unique_ptr<platform::WindowHost> window, const ValueSliderRequest& request,
                      platform::Point screen, Apply apply);
    ~ValueSliderWindow() override;

    void OnWindowEvent(const platform::WindowEvent& event) override;
    void Close();

    bool IsOpen() const { return m_open; }
    int32_t Position() const { return m_position; }
    // The thumb's rectangle in the window's own pixels.
    platform::Rect ThumbRect() const;
    const ValueSliderRequest& Request() const { return m_request; }
    platform::WindowHost& Window() const { return *m_window; }

private:
    int32_t PositionAt(int32_t x, int32_t y) const;
    void SetPosition(int32_t position);
    void Draw();

    std::unique_ptr<platform::WindowHost> m_window;
    ValueSliderRequest m_request;
    Apply m_apply;
    Image24 m_canvas;
    int32_t m_position = 0;
    bool m_dragging = false;
    bool m_open = true;
};

} // namespace bm::ui
