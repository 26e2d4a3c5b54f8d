#include "engine/UiTicker.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace bm::engine {

namespace {

constexpr std::array<int32_t, UiTicker::kSlots> kPeriods{5, 4, 4, 5, 10, 2};
constexpr std::array<int32_t, UiTicker::kSlots> kMessages{
    platform::msg::kTick0, platform::msg::kVolumeDownTick, platform::msg::kVolumeUpTick,
    platform::msg::kTick3, platform::msg::kTick4,          platform::msg::kTick};
constexpr std::array<int64_t, UiTicker::kSlots> kWParams{0, 1, 2, 0, -1, 0};

} // namespace

UiTicker::UiTicker(platform::MessagePort& port) : m_port(port)
{
    for (int i = 0; i < kSlots; ++i) {
        m_slots[size_t(i)].period = kPeriods[size_t(i)];
        m_slots[size_t(i)].threshold = kPeriods[size_t(i)];
    }
}

UiTicker::~UiTicker() { Stop(); }

void UiTicker::Start()
{
    if (m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_runMutex);
        m_stop = false;
    }
    m_thread = std::thread([this] {
        auto next = std::chrono::steady_clock::now();
        std::unique_lock lock(m_runMutex);
        while (!m_stop) {
            next += std::chrono::milliseconds(kPeriodMs);
            if (m_stopChanged.wait_until(lock, next, [this] { return m_stop; }))
                break;
            lock.unlock();
            Tick();
            lock.lock();
            // After a long stall, keep the period instead of catching up.
            const auto now = std::chrono::steady_clock::now();
            if (now - next > std::chrono::milliseconds(10 * kPeriodMs))
                next = now;
        }
    });
}

void UiTicker::Stop()
{
    {
        std::lock_guard lock(m_runMutex);
        m_stop = true;
    }
    m_stopChanged.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void UiTicker::Tick()
{
    std::array<platform::Message, kSlots> due;
    int dueCount = 0;
    {
        std::lock_guard lock(m_mutex);
        for (int i = 0; i < kSlots; ++i) {
            Slot& slot = m_slots[size_t(i)];
            if (!slot.armed)
                continue;
            ++slot.counter;
            if (slot.state == 1) {
                slot.threshold = std::max(slot.period, slot.counter * 7 / 5);
                slot.state = 2;
            }
            if (slot.state == 2 && slot.counter >= slot.threshold) {
                slot.state = 0;
                due[size_t(dueCount++)] = {kMessages[size_t(i)], kWParams[size_t(i)], slot.counter / slot.period, {}, 0};
                slot.counter %= slot.period;
            }
        }
    }
    for (int i = 0; i < dueCount; ++i)
        m_port.Post(std::move(due[size_t(i)]));
}

void UiTicker::Enable(int slot, bool on)
{
    if (slot < 0 || slot >= kSlots)
        return;
    std::lock_guard lock(m_mutex);
    Slot& s = m_slots[size_t(slot)];
    s.counter = s.period;
    s.threshold = s.period;
    s.state = 2;
    s.armed = on;
}

void UiTicker::Acknowledge(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    std::lock_guard lock(m_mutex);
    m_slots[size_t(slot)].state = 1;
}

bool UiTicker::IsArmed(int slot) const
{
    if (slot < 0 || slot >= kSlots)
        return false;
    std::lock_guard lock(m_mutex);
    return m_slots[size_t(slot)].armed;
}

} // namespace bm::engine
