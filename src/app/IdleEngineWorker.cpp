#include "app/IdleEngineWorker.h"

#include <variant>

namespace bm::app {

IdleEngineWorker::~IdleEngineWorker()
{
    if (!m_thread.joinable())
        return;
    bool ended;
    {
        std::lock_guard lock(m_mutex);
        ended = m_ended;
    }
    if (!ended)
        Post(engine::End{});
    m_thread.join();
}

void IdleEngineWorker::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Work(); });
}

bool IdleEngineWorker::WaitFinished(std::chrono::milliseconds timeout) { return m_finished.WaitFor(timeout); }

size_t IdleEngineWorker::HandledCount() const
{
    std::lock_guard lock(m_mutex);
    return m_handled;
}

void IdleEngineWorker::Post(engine::EngineCommand command)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(command));
    }
    m_wake.Set();
}

void IdleEngineWorker::Work()
{
    for (;;) {
        m_wake.Wait();
        std::deque<engine::EngineCommand> taken;
        {
            std::lock_guard lock(m_mutex);
            taken.swap(m_queue);
        }
        for (const auto& command : taken) {
            bool end = std::holds_alternative<engine::End>(command);
            {
                std::lock_guard lock(m_mutex);
                ++m_handled;
                m_ended = m_ended || end;
            }
            if (end) {
                m_finished.Set();
                return;
            }
        }
    }
}

} // namespace bm::app
