#pragma once

// The input side of the device layer: one capture device with ten buffers of
// 17 640 bytes (4410 canonical frames, a tenth of a second). Each buffer's
// user value is its index.
//
// Buffer life: Open() leaves all ten buffers done and the device stopped.
// Add(i) hands buffer i to the device; once Start() has been called the
// backend's Push() fills the added buffers in the order they were added and
// reports InputBufferFull(i) when a buffer holds 17 640 bytes. Reset() stops
// the input and returns every added buffer (reported once each, with the
// bytes it holds so far).
//
// Threads: operations on the engine worker, under the device lock shared
// with the output device; Push() on the backend's thread under the stream
// lock. Buffer data may be read by the worker once the buffer is done and
// before it is added again.

#include "engine/device/DeviceEvents.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace bm::device {

class WaveInDevice {
public:
    explicit WaveInDevice(std::mutex& deviceLock);
    virtual ~WaveInDevice();
    WaveInDevice(const WaveInDevice&) = delete;
    WaveInDevice& operator=(const WaveInDevice&) = delete;

    // kDeviceOk, also when already open (nothing changes then); else the
    // backend's error code. `events` may be null.
    int Open(DeviceEvents* events);
    void Reset();
    void Start();
    void Close();
    // Hands buffer `index` to the device when open, valid and done: 1, else 0.
    int Add(int index);

    bool IsOpen() const;
    bool IsDone(int index) const;
    uint32_t UserValue(int index) const;
    // Bytes the buffer received before it was returned.
    int32_t BytesRecorded(int index) const;
    // The buffer's 8820 samples (interleaved); valid while the buffer is done.
    std::span<const int16_t> Data(int index) const;

protected:
    virtual int BackendOpen() = 0;
    virtual void BackendClose() = 0;
    virtual void LockStream() = 0;
    virtual void UnlockStream() = 0;

    // Backend thread, with the stream lock held: stores `frames` captured
    // frames into the added buffers; dropped when the input is not started
    // or no buffer is added. Never allocates.
    void Push(const int16_t* frames, size_t count) noexcept;

private:
    void ResetLocked();

    std::mutex& m_deviceLock;
    bool m_open = false;
    DeviceEvents* m_events = nullptr;
    std::array<std::vector<int16_t>, kInputBufferCount> m_buffers;
    std::array<std::atomic<bool>, kInputBufferCount> m_done{};
    std::array<std::atomic<int32_t>, kInputBufferCount> m_bytesRecorded{};

    // Guarded by the stream lock.
    bool m_started = false;
    std::array<int, kInputBufferCount> m_queue{};
    int m_queueHead = 0;
    int m_queueCount = 0;
};

} // namespace bm::device
