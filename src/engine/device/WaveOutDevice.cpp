#include "engine/device/WaveOutDevice.h"

#include <algorithm>
#include <cstring>

namespace bm::device {

namespace {

// Largest buffer accepted: well above the playback buffer sizes in use
// (at most 20 000 frames, or one very long measure).
constexpr int32_t kMaxBufferBytes = 64 << 20;

// A channel volume as a gain: full at 0xFF00 and above (the value that
// volume 255 stores), so that full volume hands the audio over bit for bit;
// below that in proportion.
constexpr uint32_t kFullVolume = 0xFF00;

inline int16_t Scale(int16_t sample, uint32_t volume)
{
    if (volume >= kFullVolume)
        return sample;
    return static_cast<int16_t>(int32_t(sample) * int32_t(volume) / int32_t(kFullVolume));
}

} // namespace

WaveOutDevice::WaveOutDevice(std::mutex& deviceLock) : m_deviceLock(deviceLock)
{
    for (auto& done : m_done)
        done.store(true);
}

WaveOutDevice::~WaveOutDevice() = default;

int WaveOutDevice::Open(DeviceEvents* events, int32_t bufferBytes)
{
    std::lock_guard lock(m_deviceLock);
    if (m_open)
        return kDeviceOk;
    if (bufferBytes <= 0 || bufferBytes % kBytesPerFrame != 0 || bufferBytes > kMaxBufferBytes)
        return kDeviceError;
    m_events = events;
    m_bufferBytes = bufferBytes;
    const int result = BackendOpen();
    if (result != kDeviceOk) {
        m_events = nullptr;
        return result;
    }
    for (int i = 0; i < kOutputBufferCount; ++i) {
        m_buffers[i].assign(size_t(bufferBytes) / 2, 0);
        m_userValue[i].store(0);
        m_done[i].store(true);
    }
    ResetLocked();
    m_open = true;
    return kDeviceOk;
}

void WaveOutDevice::Reset()
{
    std::lock_guard lock(m_deviceLock);
    if (m_open)
        ResetLocked();
}

void WaveOutDevice::ResetLocked()
{
    LockStream();
    while (m_queueCount > 0) {
        const int index = m_queue[m_queueHead];
        m_queueHead = (m_queueHead + 1) % kOutputBufferCount;
        --m_queueCount;
        m_done[index].store(true, std::memory_order_release);
        if (m_events)
            m_events->OutputBufferDone();
    }
    m_queueHead = 0;
    m_playOffset = 0;
    m_position.store(0);
    UnlockStream();
}

void WaveOutDevice::Close()
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

int WaveOutDevice::Write(int index)
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open || index < 0 || index >= kOutputBufferCount || !m_done[index].load(std::memory_order_acquire))
        return 0;
    m_userValue[index].store(m_writeCounter++);
    m_done[index].store(false);
    LockStream();
    m_queue[(m_queueHead + m_queueCount) % kOutputBufferCount] = index;
    ++m_queueCount;
    UnlockStream();
    BackendQueued();
    return 1;
}

int WaveOutDevice::Send(int index, std::span<const int16_t> samples)
{
    {
        std::lock_guard lock(m_deviceLock);
        if (!m_open || index < 0 || index >= kOutputBufferCount || !m_done[index].load(std::memory_order_acquire))
            return 0;
        auto& buffer = m_buffers[index];
        const size_t n = std::min(samples.size(), buffer.size());
        std::copy_n(samples.data(), n, buffer.data());
        std::fill(buffer.begin() + ptrdiff_t(n), buffer.end(), int16_t(0));
    }
    // Only the worker writes buffers, so the buffer is still done here.
    return Write(index);
}

int WaveOutDevice::GetPosition(int64_t& frames) const
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open)
        return kDeviceError;
    frames = m_position.load();
    return kDeviceOk;
}

int WaveOutDevice::GetVolume() const
{
    std::lock_guard lock(m_deviceLock);
    if (!m_open)
        return -1;
    const uint32_t value = m_volume.load();
    return int(std::max(value & 0xFFFF, value >> 16) >> 8);
}

int WaveOutDevice::SetVolume(int32_t v)
{
    {
        std::lock_guard lock(m_deviceLock);
        if (m_open)
            m_volume.store((uint32_t(v) & 0xFFFFFFu) * 0x01000100u);
    }
    return GetVolume();
}

uint32_t WaveOutDevice::RawVolume() const { return m_volume.load(); }

void WaveOutDevice::SetRawVolume(uint32_t value)
{
    std::lock_guard lock(m_deviceLock);
    m_volume.store(value);
}

bool WaveOutDevice::IsOpen() const
{
    std::lock_guard lock(m_deviceLock);
    return m_open;
}

int32_t WaveOutDevice::BufferBytes() const
{
    std::lock_guard lock(m_deviceLock);
    return m_bufferBytes;
}

bool WaveOutDevice::IsDone(int index) const
{
    if (index < 0 || index >= kOutputBufferCount)
        return false;
    return m_done[index].load(std::memory_order_acquire);
}

uint32_t WaveOutDevice::UserValue(int index) const
{
    if (index < 0 || index >= kOutputBufferCount)
        return 0;
    return m_userValue[index].load();
}

bool WaveOutDevice::CopyHeardLeft(int64_t startFrame, int16_t* out, int count) const
{
    std::fill_n(out, count, int16_t(0));
    std::lock_guard lock(m_deviceLock);
    if (!m_open)
        return false;
    // Queued buffers are not written while the device lock is held (only
    // Send writes, and only done buffers), so reading them here is safe even
    // while the backend plays them.
    int first = -1;
    for (int i = 0; i < kOutputBufferCount; ++i) {
        if (!m_done[i].load(std::memory_order_acquire)
            && (first < 0 || int32_t(m_userValue[i].load() - m_userValue[first].load()) < 0))
            first = i;
    }
    if (first < 0)
        return false;
    int current = first;
    int64_t frame = std::max<int64_t>(0, startFrame);
    const int64_t framesPerBuffer = m_bufferBytes / kBytesPerFrame;
    for (int k = 0; k < count;) {
        if (frame >= framesPerBuffer) {
            const uint32_t next = m_userValue[current].load() + 1;
            current = -1;
            for (int i = 0; i < kOutputBufferCount; ++i) {
                if (!m_done[i].load(std::memory_order_acquire) && m_userValue[i].load() == next)
                    current = i;
            }
            if (current < 0)
                break;
            frame = 0;
        }
        out[k++] = m_buffers[current][size_t(frame) * 2];
        ++frame;
    }
    return true;
}

size_t WaveOutDevice::HeadFramesLocked() const
{
    if (m_queueCount == 0)
        return 0;
    return (m_buffers[m_queue[m_queueHead]].size() - m_playOffset) / 2;
}

size_t WaveOutDevice::Pull(int16_t* out, size_t frames) noexcept
{
    const uint32_t volume = m_volume.load(std::memory_order_relaxed);
    const uint32_t left = volume & 0xFFFF;
    const uint32_t right = volume >> 16;
    size_t delivered = 0;
    while (delivered < frames && m_queueCount > 0) {
        const int index = m_queue[m_queueHead];
        const auto& buffer = m_buffers[index];
        const size_t available = (buffer.size() - m_playOffset) / 2;
        const size_t n = std::min(available, frames - delivered);
        const int16_t* source = buffer.data() + m_playOffset;
        int16_t* target = out + delivered * 2;
        for (size_t f = 0; f < n; ++f) {
            target[2 * f] = Scale(source[2 * f], left);
            target[2 * f + 1] = Scale(source[2 * f + 1], right);
        }
        delivered += n;
        m_playOffset += n * 2;
        m_position.fetch_add(int64_t(n), std::memory_order_relaxed);
        if (m_playOffset >= buffer.size()) {
            m_playOffset = 0;
            m_queueHead = (m_queueHead + 1) % kOutputBufferCount;
            --m_queueCount;
            m_done[index].store(true, std::memory_order_release);
            if (m_events)
                m_events->OutputBufferDone();
        }
    }
    return delivered;
}

} // namespace bm::device
