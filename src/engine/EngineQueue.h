#pragma once

// The queue between every other thread and the engine worker, with the
// worker's three events.
//
// Post rules:
// - Device completions (0x10001, 0x10002) are stored as single words without
//   allocating, so the device callbacks can post them.
// - Posting 0x20002 ... 0x20004, 0x30001 ... 0x30003, 0x30008 ... 0x3000B or
//   -1 also sets the interrupt event.
// - Posting 0x60001 first removes an earlier queued 0x60001, then sets and at
//   once resets the interrupt event (a worker waiting on the older one is
//   released, and no stale signal is left behind).
// - Every post sets the wake event.
//
// Threads: Post() and the DeviceEvents calls from any thread; Take() and
// Clear() on the worker only. The queue lock is held only to add or remove
// an entry, never while a command is handled.

#include "platform/AutoResetEvent.h"
#include "engine/EngineCommand.h"
#include "engine/device/DeviceEvents.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace bm::engine {

class EngineQueue final : public EngineClient, public device::DeviceEvents {
public:
    EngineQueue();

    void Post(EngineCommand command) override;
    void OutputBufferDone() noexcept override;
    void InputBufferFull(int32_t index) noexcept override;

    // The first queued command, or nothing when the queue is empty.
    std::optional<EngineCommand> Take();
    // Drops every queued command.
    void Clear();
    size_t Size() const;

    platform::AutoResetEvent& WakeEvent() { return m_wake; }
    platform::AutoResetEvent& InterruptEvent() { return m_interrupt; }
    platform::AutoResetEvent& FinishedEvent() { return m_finished; }

    // Whether posting a command of this code sets the interrupt event.
    static bool IsUrgent(CommandCode code);

private:
    struct Entry {
        uint32_t word = 0; // 0: `command` holds the record; else a device completion
        EngineCommand command;
    };
    void PostWord(uint32_t word) noexcept;
    void GrowForOneMore(std::unique_lock<std::mutex>& lock);
    size_t IndexOf(size_t position) const { return (m_head + position) % m_entries.size(); }

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries; // ring buffer
    size_t m_head = 0;
    size_t m_count = 0;
    // Completions that found the ring full (never expected: the ring keeps
    // room for far more completions than there are device buffers); taken
    // after the ring so that none is lost.
    uint32_t m_overflowOutput = 0;
    std::array<uint32_t, device::kInputBufferCount> m_overflowInput{};

    platform::AutoResetEvent m_wake;
    platform::AutoResetEvent m_interrupt;
    platform::AutoResetEvent m_finished;
};

} // namespace bm::engine
