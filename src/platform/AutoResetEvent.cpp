#include "platform/AutoResetEvent.h"

namespace bm::platform {

void AutoResetEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_changed.notify_one();
}

void AutoResetEvent::Wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_open; });
    m_open = false;
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return m_open; }))
        return false;
    m_open = false;
    return true;
}

void AutoResetEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
}

} // namespace bm::platform
