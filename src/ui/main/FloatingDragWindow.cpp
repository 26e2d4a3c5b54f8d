#include "ui/main/FloatingDragWindow.h"

#include "ui/main/AreaHost.h"

namespace bm::ui {

void FloatingDragWindow::Open(AreaHost& host, Image24 picture, std::vector<platform::Rect> shape,
                              platform::Point screen)
{
    Close();
    if (picture.Empty())
        return;
    m_window = host.CreateFloatingWindow();
    if (!m_window)
        return;
    m_picture = std::move(picture);
    m_window->SetClientSize(m_picture.width, m_picture.height);
    m_window->AttachCanvas(m_picture.pixels.data(), m_picture.width, m_picture.height);
    m_window->SetShape(std::move(shape));
    m_position = screen;
    m_window->Move(screen);
    m_window->Show();
    m_window->Present(m_picture.Bounds());
}

void FloatingDragWindow::MoveTo(platform::Point screen)
{
    if (!m_window || screen == m_position)
        return;
    m_position = screen;
    m_window->Move(screen);
}

void FloatingDragWindow::Close()
{
    if (m_window)
        m_window->Hide();
    m_window.reset();
    m_picture = {};
}

} // namespace bm::ui
