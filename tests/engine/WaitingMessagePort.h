#pragma once

// A message port that keeps every message and lets a test wait for one.

#include "engine/EngineCommand.h"
#include "platform/MessagePort.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace bm::engine::test {

class WaitingMessagePort : public platform::MessagePort {
public:
    void Post(platform::Message message) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(std::move(message));
        m_changed.notify_all();
    }

    // Waits (with a generous safety limit; tests never measure time) until a
    // message after index `from` satisfies `match`; its index, or -1.
    int64_t WaitFor(const std::function<bool(const platform::Message&)>& match, size_t from = 0)
    {
        std::unique_lock lock(m_mutex);
        int64_t found = -1;
        m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
            for (size_t i = from; i < m_messages.size(); ++i) {
                if (match(m_messages[i])) {
                    found = int64_t(i);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    // Posts an idle report with a value not used before to `worker` and waits
    // until the worker has handled everything posted before it and, with
    // `idleToo`, has gone idle after it; false on the safety limit.
    bool Sync(EngineClient& worker, bool idleToo = true)
    {
        const int32_t value = ++m_syncValue;
        const size_t from = Size();
        worker.Post(IdleReport{value});
        const int64_t at = WaitFor(
            [&](const platform::Message& m) { return m.number == platform::msg::kIdleReport && m.wParam == value; },
            from);
        if (at < 0)
            return false;
        return !idleToo ||
               WaitFor([](const platform::Message& m) { return m.number == platform::msg::kIdleReport && m.wParam == 0; },
                       size_t(at) + 1) >= 0;
    }

    std::vector<platform::Message> Snapshot() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    size_t Size() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages.size();
    }
    // Messages with this number from index `from` on.
    std::vector<platform::Message> Numbered(int32_t number, size_t from = 0) const
    {
        std::lock_guard lock(m_mutex);
        std::vector<platform::Message> found;
        for (size_t i = from; i < m_messages.size(); ++i) {
            if (m_messages[i].number == number)
                found.push_back(m_messages[i]);
        }
        return found;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<platform::Message> m_messages;
    int32_t m_syncValue = 0;
};

} // namespace bm::engine::test
