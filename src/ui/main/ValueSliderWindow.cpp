#include "ui/main/ValueSliderWindow.h"

#include "ui/main/AreaDrawing.h"

#include <algorithm>

namespace bm::ui {

using platform::Rect;

namespace {

constexpr uint32_t kFace = 0x2C3036;
constexpr uint32_t kFrame = 0x8A929C;
constexpr uint32_t kTrack = 0x14161A;
constexpr uint32_t kTick = 0x6A727C;
constexpr uint32_t kThumb = 0xE8C848;

} // namespace

ValueSliderWindow::ValueSliderWindow(std::unique_ptr<platform::WindowHost> window, const ValueSliderRequest& request,
                                     platform::Point screen, Apply apply)
    : m_window(std::move(window)), m_request(request), m_apply(std::move(apply))
{
    if (m_request.maximum < m_request.minimum)
        m_request.maximum = m_request.minimum;
    m_position = std::clamp(m_request.position, m_request.minimum, m_request.maximum);
    const int32_t along = kLength + 2 * kMargin;
    const int32_t width = m_request.vertical ? kBreadth : along;
    const int32_t height = m_request.vertical ? along : kBreadth;
    m_canvas.Resize(width, height, kFace);
    m_window->SetEventSink(this);
    m_window->SetClientSize(width, height);
    m_window->AttachCanvas(m_canvas.pixels.data(), width, height);
    m_window->Move(screen);
    Draw();
    m_window->Show();
    m_window->Raise();
    const Rect thumb = ThumbRect();
    m_window->SetPointerPosition({(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2});
}

ValueSliderWindow::~ValueSliderWindow()
{
    if (m_window)
        m_window->SetEventSink(nullptr);
}

Rect ValueSliderWindow::ThumbRect() const
{
    const int64_t range = int64_t(m_request.maximum) - m_request.minimum;
    const int32_t offset =
        range > 0 ? static_cast<int32_t>((int64_t(m_position) - m_request.minimum) * (kLength - 1) / range) : 0;
    const int32_t centre = kMargin + offset;
    const int32_t half = kThumbLength / 2;
    if (m_request.vertical)
        return {3, centre - half, kBreadth - 4, centre + half};
    return {centre - half, 3, centre + half, kBreadth - 4};
}

int32_t ValueSliderWindow::PositionAt(int32_t x, int32_t y) const
{
    const int32_t along = std::clamp((m_request.vertical ? y : x) - kMargin, 0, kLength - 1);
    const int64_t range = int64_t(m_request.maximum) - m_request.minimum;
    return static_cast<int32_t>(m_request.minimum + (range * along + (kLength - 1) / 2) / (kLength - 1));
}

void ValueSliderWindow::SetPosition(int32_t position)
{
    position = std::clamp(position, m_request.minimum, m_request.maximum);
    if (position == m_position)
        return;
    m_position = position;
    Draw();
    if (m_apply)
        m_apply(m_position);
}

void ValueSliderWindow::Draw()
{
    Pixels24 view = m_canvas.View();
    const Rect all = m_canvas.Bounds();
    draw::Fill(view, all, all, kFace);
    draw::Outline(view, all, all, kFrame);
    if (m_request.vertical) {
        const int32_t x = kBreadth / 2;
        draw::Fill(view, all, {x - 1, kMargin, x, kMargin + kLength - 1}, kTrack);
    } else {
        const int32_t y = kBreadth / 2;
        draw::Fill(view, all, {kMargin, y - 1, kMargin + kLength - 1, y}, kTrack);
        const int32_t ticks = std::max(1, m_request.ticks);
        for (int32_t i = 0; i <= ticks; ++i) {
            const int32_t x = kMargin + i * (kLength - 1) / ticks;
            draw::Fill(view, all, {x, kBreadth - 6, x, kBreadth - 4}, kTick);
        }
    }
    draw::Fill(view, all, ThumbRect(), kThumb);
    draw::Outline(view, all, ThumbRect(), kFrame);
    m_window->Present(all);
}

void ValueSliderWindow::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_dragging = false;
    m_window->ReleaseMouse();
    m_window->Hide();
}

void ValueSliderWindow::OnWindowEvent(const platform::WindowEvent& e)
{
    if (!m_open)
        return;
    switch (e.type) {
    case platform::EventType::LeftDown:
    case platform::EventType::LeftDoubleClick:
        m_dragging = true;
        m_window->CaptureMouse();
        SetPosition(PositionAt(e.x, e.y));
        break;
    case platform::EventType::MouseMove:
        if (m_dragging)
            SetPosition(PositionAt(e.x, e.y));
        break;
    case platform::EventType::LeftUp:
        if (m_dragging) {
            m_dragging = false;
            m_window->ReleaseMouse();
        }
        break;
    case platform::EventType::KeyDown:
        if (e.key == platform::vk::kEscape || e.key == platform::vk::kReturn)
            Close();
        break;
    case platform::EventType::FocusLost:
    case platform::EventType::Close:
        Close();
        break;
    default:
        break;
    }
}

} // namespace bm::ui
