#pragma once

// An event that releases one waiter per Set(), as the engine worker's wake,
// interrupt and finished events need it. Set() with a thread waiting
// releases exactly that thread and leaves the event unsignalled; Set() with
// nobody waiting leaves the event signalled until the next wait consumes it
// (several such Set() calls count as one). Reset() clears a pending signal
// but never takes back a release already given, so Set() followed at once
// by Reset() frees a waiting thread and leaves nothing behind. Any thread.
// Example (engine worker):
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

    void Set();
    void Reset();
    void Wait();
    // True when signalled within the time (0 = just test and consume).
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
    int m_waiters = 0;
    int m_releases = 0; // waiters released but not yet returned
};

} // namespace bm::platform
