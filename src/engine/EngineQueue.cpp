#include "engine/EngineQueue.h"

#include <utility>

namespace bm::engine {

namespace {

constexpr uint32_t kOutputDoneWord = 0x80000000u;
constexpr uint32_t kInputFullWord = 0x80000001u; // + buffer index
constexpr size_t kInitialEntries = 256;
// Room that ordinary posts leave free for device completions, which cannot
// grow the ring. At most 3 output and 10 input buffers are ever in flight.
constexpr size_t kDeviceReserve = 64;

} // namespace

EngineQueue::EngineQueue() : m_entries(kInitialEntries) {}

bool EngineQueue::IsUrgent(CommandCode code)
{
    const auto c = int32_t(code);
    return (c >= 0x20002 && c <= 0x20004) || (c >= 0x30001 && c <= 0x30003) || (c >= 0x30008 && c <= 0x3000B)
        || c == -1;
}

void EngineQueue::GrowForOneMore(std::unique_lock<std::mutex>& lock)
{
    while (m_count + 1 + kDeviceReserve > m_entries.size()) {
        // Allocate outside the lock so that device callbacks never wait on
        // an allocation; then move the queued records over.
        const size_t wanted = m_entries.size() * 2;
        lock.unlock();
        std::vector<Entry> bigger(wanted);
        lock.lock();
        if (m_count + 1 + kDeviceReserve <= m_entries.size())
            return; // the worker made room meanwhile
        if (bigger.size() <= m_entries.size())
            continue;
        for (size_t i = 0; i < m_count; ++i)
            bigger[i] = std::move(m_entries[IndexOf(i)]);
        m_entries.swap(bigger);
        m_head = 0;
        // `bigger` now holds the old storage: moved-from records that own no
        // memory, so freeing it under the lock is cheap.
    }
}

void EngineQueue::Post(EngineCommand command)
{
    const CommandCode code = CodeOf(command);
    if (code == CommandCode::OutputBufferDone) {
        OutputBufferDone();
        return;
    }
    if (code == CommandCode::InputBufferFull) {
        InputBufferFull(std::get<engine::InputBufferFull>(command).index);
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        if (code == CommandCode::HoldBackground) {
            // At most one hold is queued: the newest replaces an older one.
            for (size_t i = 0; i < m_count; ++i) {
                Entry& entry = m_entries[IndexOf(i)];
                if (entry.word == 0 && CodeOf(entry.command) == CommandCode::HoldBackground) {
                    for (size_t j = i; j + 1 < m_count; ++j)
                        m_entries[IndexOf(j)] = std::move(m_entries[IndexOf(j + 1)]);
                    m_entries[IndexOf(m_count - 1)] = Entry{};
                    --m_count;
                    break;
                }
            }
        }
        GrowForOneMore(lock);
        Entry& entry = m_entries[IndexOf(m_count)];
        entry.word = 0;
        entry.command = std::move(command);
        ++m_count;
    }
    if (code == CommandCode::HoldBackground) {
        m_interrupt.Set();
        m_interrupt.Reset();
    } else if (IsUrgent(code)) {
        m_interrupt.Set();
    }
    m_wake.Set();
}

void EngineQueue::PostWord(uint32_t word) noexcept
{
    {
        std::lock_guard lock(m_mutex);
        if (m_count < m_entries.size()) {
            m_entries[IndexOf(m_count)].word = word;
            ++m_count;
        } else if (word == kOutputDoneWord) {
            ++m_overflowOutput;
        } else {
            ++m_overflowInput[word - kInputFullWord];
        }
    }
    m_wake.Set();
}

void EngineQueue::OutputBufferDone() noexcept { PostWord(kOutputDoneWord); }

void EngineQueue::InputBufferFull(int32_t index) noexcept
{
    if (index < 0 || index >= device::kInputBufferCount)
        return;
    PostWord(kInputFullWord + uint32_t(index));
}

std::optional<EngineCommand> EngineQueue::Take()
{
    std::lock_guard lock(m_mutex);
    if (m_count == 0) {
        if (m_overflowOutput > 0) {
            --m_overflowOutput;
            return EngineCommand{engine::OutputBufferDone{}};
        }
        for (int i = 0; i < device::kInputBufferCount; ++i) {
            if (m_overflowInput[size_t(i)] > 0) {
                --m_overflowInput[size_t(i)];
                return EngineCommand{engine::InputBufferFull{i}};
            }
        }
        return std::nullopt;
    }
    Entry& entry = m_entries[m_head];
    std::optional<EngineCommand> taken;
    if (entry.word == kOutputDoneWord)
        taken.emplace(engine::OutputBufferDone{});
    else if (entry.word != 0)
        taken.emplace(engine::InputBufferFull{int32_t(entry.word - kInputFullWord)});
    else
        taken.emplace(std::move(entry.command));
    entry.word = 0;
    m_head = (m_head + 1) % m_entries.size();
    --m_count;
    return taken;
}

void EngineQueue::Clear()
{
    std::vector<Entry> old(kInitialEntries);
    {
        std::lock_guard lock(m_mutex);
        old.swap(m_entries);
        m_head = 0;
        m_count = 0;
        m_overflowOutput = 0;
        m_overflowInput.fill(0);
    }
}

size_t EngineQueue::Size() const
{
    std::lock_guard lock(m_mutex);
    size_t size = m_count + m_overflowOutput;
    for (uint32_t n : m_overflowInput)
        size += n;
    return size;
}

} // namespace bm::engine
