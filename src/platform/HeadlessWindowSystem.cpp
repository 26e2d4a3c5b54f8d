#include "platform/HeadlessWindowSystem.h"

#include <algorithm>
#include <cstring>

namespace bm::platform {

void HeadlessWindowHost::QueuedPort::Post(Message message)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(message));
}

std::deque<Message> HeadlessWindowHost::QueuedPort::Take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_queue, {});
}

size_t HeadlessWindowHost::QueuedPort::Size() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

HeadlessWindowHost::HeadlessWindowHost(HeadlessWindowSystem& system, WindowKind kind, WindowHost* owner)
    : m_system(system), m_kind(kind), m_owner(owner)
{
}

HeadlessWindowHost::~HeadlessWindowHost()
{
    m_system.Forget(this);
}

void HeadlessWindowHost::SetClientSize(int32_t width, int32_t height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
}

void HeadlessWindowHost::AttachCanvas(const uint8_t* pixels, int32_t width, int32_t height)
{
    m_canvas = pixels;
    m_canvasWidth = pixels ? std::max(width, 0) : 0;
    m_canvasHeight = pixels ? std::max(height, 0) : 0;
    const size_t bytes = static_cast<size_t>(m_canvasWidth) * static_cast<size_t>(m_canvasHeight) * 3;
    if (m_screen.size() != bytes)
        m_screen.assign(bytes, 0);
}

void HeadlessWindowHost::Raise()
{
    m_visible = true;
    m_system.m_focused = this;
}

bool HeadlessWindowHost::HasFocus() const
{
    return m_system.m_focused == this;
}

void HeadlessWindowHost::CentreOnScreen()
{
    const Rect screen = m_system.ScreenArea();
    m_position = {screen.left + (screen.Width() - m_width) / 2, screen.top + (screen.Height() - m_height) / 2};
}

void HeadlessWindowHost::CentreOn(const WindowHost& other)
{
    const auto* host = dynamic_cast<const HeadlessWindowHost*>(&other);
    if (!host) {
        CentreOnScreen();
        return;
    }
    m_position = {host->m_position.x + (host->m_width - m_width) / 2,
                  host->m_position.y + (host->m_height - m_height) / 2};
}

void HeadlessWindowHost::Present(const Rect& rect)
{
    const Rect r = rect.Intersected({0, 0, m_canvasWidth - 1, m_canvasHeight - 1});
    if (r.Empty() || !m_canvas)
        return;
    m_presented.push_back(r);
    const size_t rowBytes = static_cast<size_t>(m_canvasWidth) * 3;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        const size_t at = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(r.left) * 3;
        std::memcpy(m_screen.data() + at, m_canvas + at, static_cast<size_t>(r.Width()) * 3);
    }
}

uint32_t HeadlessWindowHost::ScreenPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_canvasWidth || y >= m_canvasHeight)
        return 0;
    const uint8_t* p = m_screen.data() + (static_cast<size_t>(y) * static_cast<size_t>(m_canvasWidth) + static_cast<size_t>(x)) * 3;
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

void HeadlessWindowHost::SetPointerPosition(Point client)
{
    m_system.SetPointer(ClientToScreen(client));
}

bool HeadlessWindowHost::ReadScreen(const Rect& screenRect, std::vector<uint8_t>& out)
{
    const size_t count = screenRect.Empty() ? 0 : static_cast<size_t>(screenRect.Width()) * static_cast<size_t>(screenRect.Height());
    out.resize(count * 3);
    const HeadlessWindowSystem& system = m_system;
    size_t i = 0;
    for (int32_t y = screenRect.top; count && y <= screenRect.bottom; ++y) {
        for (int32_t x = screenRect.left; x <= screenRect.right; ++x, i += 3) {
            uint32_t colour = kNeutralBackdrop;
            if (system.m_readable && x >= 0 && y >= 0 && x < system.m_desktopWidth && y < system.m_desktopHeight) {
                const uint8_t* p = system.m_desktop.data()
                                   + (static_cast<size_t>(y) * static_cast<size_t>(system.m_desktopWidth) + static_cast<size_t>(x)) * 3;
                colour = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
            }
            out[i] = static_cast<uint8_t>(colour);
            out[i + 1] = static_cast<uint8_t>(colour >> 8);
            out[i + 2] = static_cast<uint8_t>(colour >> 16);
        }
    }
    return system.m_readable;
}

int HeadlessWindowHost::RunModal()
{
    ++m_modalRuns;
    ++m_modalDepth;
    m_modalEnded = false;
    m_system.RunHook(*this);
    int result = m_modalResult;
    if (!m_modalEnded) {
        ++m_forcedEnds;
        result = kForcedModalEnd;
    }
    --m_modalDepth;
    m_modalEnded = false;
    return result;
}

void HeadlessWindowHost::EndModal(int result)
{
    m_modalResults.push_back(result);
    if (m_modalDepth == 0)
        return;
    m_modalEnded = true;
    m_modalResult = result;
}

uint32_t HeadlessWindowHost::TimerPeriod(uint32_t id) const
{
    auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : it->second;
}

void HeadlessWindowHost::Deliver(const WindowEvent& event)
{
    if (m_sink)
        m_sink->OnWindowEvent(event);
}

namespace {

WindowEvent Mouse(EventType type, int32_t x, int32_t y, uint32_t modifiers)
{
    WindowEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.modifiers = modifiers;
    return e;
}

} // namespace

void HeadlessWindowHost::Press(int32_t x, int32_t y, uint32_t modifiers)
{
    Deliver(Mouse(EventType::LeftDown, x, y, modifiers | mods::kLeftButton));
}

void HeadlessWindowHost::Release(int32_t x, int32_t y, uint32_t modifiers)
{
    Deliver(Mouse(EventType::LeftUp, x, y, modifiers));
}

void HeadlessWindowHost::Click(int32_t x, int32_t y, uint32_t modifiers)
{
    Press(x, y, modifiers);
    Release(x, y, modifiers);
}

void HeadlessWindowHost::RightPress(int32_t x, int32_t y, uint32_t modifiers)
{
    Deliver(Mouse(EventType::RightDown, x, y, modifiers | mods::kRightButton));
}

void HeadlessWindowHost::RightRelease(int32_t x, int32_t y, uint32_t modifiers)
{
    Deliver(Mouse(EventType::RightUp, x, y, modifiers));
}

void HeadlessWindowHost::RightClick(int32_t x, int32_t y, uint32_t modifiers)
{
    RightPress(x, y, modifiers);
    RightRelease(x, y, modifiers);
}

void HeadlessWindowHost::MoveTo(int32_t x, int32_t y, uint32_t modifiers)
{
    m_system.SetPointer(ClientToScreen({x, y}));
    Deliver(Mouse(EventType::MouseMove, x, y, modifiers));
}

void HeadlessWindowHost::Key(int32_t key, uint32_t modifiers, bool repeat)
{
    WindowEvent e;
    e.type = EventType::KeyDown;
    e.key = key;
    e.modifiers = modifiers;
    e.repeat = repeat;
    Deliver(e);
    e.type = EventType::KeyUp;
    e.repeat = false;
    Deliver(e);
}

void HeadlessWindowHost::Wheel(int32_t x, int32_t y, int32_t steps, uint32_t modifiers)
{
    WindowEvent e = Mouse(EventType::Wheel, x, y, modifiers);
    e.wheelSteps = steps;
    Deliver(e);
}

void HeadlessWindowHost::LoseFocus()
{
    if (m_system.m_focused == this)
        m_system.m_focused = nullptr;
    WindowEvent e;
    e.type = EventType::FocusLost;
    Deliver(e);
}

bool HeadlessWindowHost::FireTimer(uint32_t id)
{
    if (!TimerRunning(id))
        return false;
    WindowEvent e;
    e.type = EventType::Timer;
    e.timerId = id;
    Deliver(e);
    return true;
}

size_t HeadlessWindowHost::DeliverPosted()
{
    size_t delivered = 0;
    // Messages posted while these are handled wait for the next call.
    for (Message& message : m_port.Take()) {
        WindowEvent e;
        e.type = EventType::Message;
        e.message = std::move(message);
        Deliver(e);
        ++delivered;
    }
    return delivered;
}

size_t HeadlessWindowHost::PendingPosted() const
{
    return m_port.Size();
}

HeadlessWindowSystem::HeadlessWindowSystem(Rect screen) : m_screen(screen) {}

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

std::unique_ptr<WindowHost> HeadlessWindowSystem::CreateWindow(WindowKind kind, WindowHost* owner)
{
    auto host = std::make_unique<HeadlessWindowHost>(*this, kind, owner);
    m_windows.push_back(host.get());
    return host;
}

void HeadlessWindowSystem::Forget(HeadlessWindowHost* host)
{
    std::erase(m_windows, host);
    if (m_focused == host)
        m_focused = nullptr;
}

void HeadlessWindowSystem::RunHook(HeadlessWindowHost& host)
{
    if (m_modalHook) {
        // The hook may open further modal loops; each sees the same hook.
        auto hook = m_modalHook;
        hook(host);
    }
}

void HeadlessWindowSystem::SetDesktop(int32_t width, int32_t height, uint32_t colour)
{
    m_desktopWidth = std::max(width, 0);
    m_desktopHeight = std::max(height, 0);
    m_desktop.resize(static_cast<size_t>(m_desktopWidth) * static_cast<size_t>(m_desktopHeight) * 3);
    for (size_t i = 0; i < m_desktop.size(); i += 3) {
        m_desktop[i] = static_cast<uint8_t>(colour);
        m_desktop[i + 1] = static_cast<uint8_t>(colour >> 8);
        m_desktop[i + 2] = static_cast<uint8_t>(colour >> 16);
    }
}

void HeadlessWindowSystem::SetDesktopPixel(int32_t x, int32_t y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= m_desktopWidth || y >= m_desktopHeight)
        return;
    uint8_t* p = m_desktop.data() + (static_cast<size_t>(y) * static_cast<size_t>(m_desktopWidth) + static_cast<size_t>(x)) * 3;
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
}

HeadlessWindowHost* HeadlessWindowSystem::Last(WindowKind kind) const
{
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) {
        if ((*it)->Kind() == kind)
            return *it;
    }
    return nullptr;
}

} // namespace bm::platform
