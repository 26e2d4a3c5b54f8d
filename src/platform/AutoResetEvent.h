#pragma once

// An event that lets one waiter through per Set() and then closes again by
// itself. Several Set() calls before a wait count as one. Any thread may set
// or wait. Example (engine worker):
//     while (!stopping) { wake.Wait(); DrainQueue(); }

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace bm::platform {

class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    // Opens the event; one waiter (now or the next to come) passes.
    void Set();
    // Waits until the event is open, then closes it.
    void Wait();
    // As Wait(), but gives up after `timeout`; true when the event was open.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Closes the event without waiting.
    void Reset();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

} // namespace bm::platform
