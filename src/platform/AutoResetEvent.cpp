#include "platform/AutoResetEvent.h"

namespace bm::platform {

void AutoResetEvent::Set()
{
    std::lock_guard lock(m_mutex);
    if (m_waiters > m_releases) {
        ++m_releases;
        m_changed.notify_one();
    } else {
        m_signalled = true;
    }
}

void AutoResetEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

void AutoResetEvent::Wait()
{
    std::unique_lock lock(m_mutex);
    if (m_signalled) {
        m_signalled = false;
        return;
    }
    ++m_waiters;
    m_changed.wait(lock, [this] { return m_releases > 0; });
    --m_releases;
    --m_waiters;
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (m_signalled) {
        m_signalled = false;
        return true;
    }
    if (timeout.count() <= 0)
        return false;
    ++m_waiters;
    const bool released = m_changed.wait_for(lock, timeout, [this] { return m_releases > 0; });
    if (released)
        --m_releases;
    --m_waiters;
    return released;
}

} // namespace bm::platform
