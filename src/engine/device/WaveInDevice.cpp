#include "engine/device/WaveInDevice.h"

#include <algorithm>

namespace bm::device {

namespace {
constexpr size_t kSamplesPerBuffer = size_t(kInputBufferBytes) / 2;
} // namespace

WaveInDevice::WaveInDevice(std::mutex& deviceLock) : m_deviceLock(deviceLock)
{
    for (auto& done : m_done)
        done.store(true);
}

WaveInDevice::~WaveInDevice() = default;

int WaveInDevice::Open(DeviceEvents* events)
{
    std::lock_guard lock(m_deviceLock);
    if (m_open)
        return kDeviceOk;
    m_events = events;
    const int result = BackendOpen();
    if (result != kDeviceOk) {
        m_events = nullptr;
        return result;
    }
    for (int i = 0; i < kInputBufferCount; ++i) {
        m_buffers[i].assign(kSamplesPerBuffer, 0);
        m_bytesRecorded[i].store(0);
        m_done[i].store(true);
    }
    ResetLocked();
    m_open = true;
    return kDeviceOk;
}

void WaveInDevice::ResetLocked()
{
    LockStream();
    m_started = false;
    while (m_queueCount > 0) {
        const int index = m_queue[m_queueHead];
        m_queueHead = (m_queueHead + 1) % kInputBufferCount;
        --m_queueCount;
        m_done[index].store(true, std::memory_order_release);
        if (m_events)
            m_events->InputBufferFull(index);
    }
    m_queueHead = 0;
    UnlockStream();
}

void WaveInDevice::Reset()
{
    std::lock_guard lock(m_deviceLock);
    if (m_open)
        ResetLocked();
}

void WaveInDevice::Start()
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open)
        return;
    LockStream();
    m_started = true;
    UnlockStream();
}

void WaveInDevice::Close()
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open)
        return;
    m_open = false;
    ResetLocked();
    BackendClose();
    for (auto& buffer : m_buffers)
        std::vector<int16_t>().swap(buffer);
    m_events = nullptr;
}

int WaveInDevice::Add(int index)
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open || index < 0 || index >= kInputBufferCount || !m_done[index].load(std::memory_order_acquire))
        return 0;
    m_bytesRecorded[index].store(0);
    m_done[index].store(false);
    LockStream();
    m_queue[(m_queueHead + m_queueCount) % kInputBufferCount] = index;
    ++m_queueCount;
    UnlockStream();
    return 1;
}

bool WaveInDevice::IsOpen() const
{
    std::lock_guard lock(m_deviceLock);
    return m_open;
}

bool WaveInDevice::IsDone(int index) const
{
    return index >= 0 && index < kInputBufferCount && m_done[index].load(std::memory_order_acquire);
}

uint32_t WaveInDevice::UserValue(int index) const { return index >= 0 && index < kInputBufferCount ? uint32_t(index) : 0; }

int32_t WaveInDevice::BytesRecorded(int index) const
{
    return index >= 0 && index < kInputBufferCount ? m_bytesRecorded[index].load(std::memory_order_acquire) : 0;
}

std::span<const int16_t> WaveInDevice::Data(int index) const
{
    if (index < 0 || index >= kInputBufferCount)
        return {};
    return m_buffers[index];
}

void WaveInDevice::Push(const int16_t* frames, size_t count) noexcept
{
    if (!m_started)
        return;
    while (count > 0 && m_queueCount > 0) {
        const int index = m_queue[m_queueHead];
        const size_t filled = size_t(m_bytesRecorded[index].load(std::memory_order_relaxed)) / 2;
        const size_t n = std::min(count, (kSamplesPerBuffer - filled) / 2);
        std::copy_n(frames, n * 2, m_buffers[index].data() + filled);
        frames += n * 2;
        count -= n;
        m_bytesRecorded[index].store(int32_t((filled + n * 2) * 2), std::memory_order_release);
        if (filled + n * 2 >= kSamplesPerBuffer) {
            m_queueHead = (m_queueHead + 1) % kInputBufferCount;
            --m_queueCount;
            m_done[index].store(true, std::memory_order_release);
            if (m_events)
                m_events->InputBufferFull(index);
        }
    }
}

} // namespace bm::device
