#pragma once

// A worker thread that takes commands and drops them, until End, when it
// sets its finished event and stops. It stands in for the audio engine while
// the program has none, so start-up and shut-down run their real order.

#include "app/EngineWorker.h"
#include "platform/AutoResetEvent.h"

#include <deque>
#include <mutex>
#include <thread>

namespace bm::app {

class IdleEngineWorker : public EngineWorker, private engine::EngineClient {
public:
    IdleEngineWorker() = default;
    // Ends the thread (posting End when nobody did) and waits for it.
    ~IdleEngineWorker() override;
    IdleEngineWorker(const IdleEngineWorker&) = delete;
    IdleEngineWorker& operator=(const IdleEngineWorker&) = delete;

    void Start() override;
    engine::EngineClient& Client() override { return *this; }
    bool WaitFinished(std::chrono::milliseconds timeout) override;

    // Commands handled so far (the worker thread counts them).
    size_t HandledCount() const;

private:
    void Post(engine::EngineCommand command) override;
    void Work();

    mutable std::mutex m_mutex;
    std::deque<engine::EngineCommand> m_queue;
    size_t m_handled = 0;
    bool m_ended = false;
    platform::AutoResetEvent m_wake;
    platform::AutoResetEvent m_finished;
    std::thread m_thread;
};

} // namespace bm::app
