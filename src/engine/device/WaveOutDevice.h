#pragma once

// The output side of the device layer: one output device with three buffers
// of the playback buffer size. The buffer scheme lives here; a backend
// (SdlWaveOut, VirtualWaveOut) only moves queued audio to its destination by
// calling Pull() from its own clock.
//
// Buffer life: Open() leaves all three buffers done. Write(i) stamps buffer i
// with the write counter, clears its done flag and queues it; the backend
// plays it and Pull() marks it done again and reports OutputBufferDone()
// once per written buffer. Reset() returns every queued buffer at once (each
// reported once) and sets the position back to 0.
//
// Threads: the operations are made by the engine worker; Position(),
// GetVolume() and CopyHeardLeft() may also be called from the UI thread. All
// of them take the device lock, which the input device shares. Pull() runs
// on the backend's thread under the backend's stream lock, never under the
// device lock, so closing a device can always wait for its thread.

#include "engine/device/DeviceEvents.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace bm::device {

class WaveOutDevice {
public:
    // `deviceLock` is shared with the input device.
    explicit WaveOutDevice(std::mutex& deviceLock);
    virtual ~WaveOutDevice();
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    // Opens the device with three buffers of `bufferBytes` (a positive
    // multiple of 4) each, all done. Result kDeviceOk, also when the device
    // is already open (nothing changes then); else the backend's error code.
    // `events` may be null (no completions are reported).
    int Open(DeviceEvents* events, int32_t bufferBytes);
    // Returns every queued buffer (reported as done) and sets the position to
    // 0. The device stays open.
    void Reset();
    void Close();

    // Queues buffer `index` when the device is open, the index is 0 to 2 and
    // the buffer is done. 1 on success, else 0 (nothing is queued then).
    int Write(int index);
    // Copies `samples` (interleaved, at most the buffer size; the rest is
    // silence) into buffer `index` and writes it as Write() does. A buffer
    // that is still queued is left untouched (result 0).
    int Send(int index, std::span<const int16_t> samples);

    // Frames handed to the device since the open or the last reset. Result
    // kDeviceOk, or kDeviceError when the device is closed.
    int GetPosition(int64_t& frames) const;

    // The larger channel volume reduced to 0 ... 255; -1 when closed.
    int GetVolume() const;
    // Both channels at v × 256 (the stored value is (v & 0xFFFFFF) ×
    // 0x01000100, modulo 2^32); returns GetVolume().
    int SetVolume(int32_t v);
    // The stored stereo volume: left in the low word, right in the high word.
    // Playback applies it as a gain that is full from 0xFF00 (volume 255) up.
    // Kept while the device is closed.
    uint32_t RawVolume() const;
    void SetRawVolume(uint32_t value);

    bool IsOpen() const;
    int32_t BufferBytes() const;
    bool IsDone(int index) const;
    // The write counter value the buffer was last written with.
    uint32_t UserValue(int index) const;

    // For the spectrum display: `count` left-channel samples of what is
    // being heard, starting at frame `startFrame` of the queued buffer with
    // the smallest write number and continuing into the queued buffer with
    // the next write number; zeros where there is none. False (out zeroed)
    // when the device is closed or nothing is queued.
    bool CopyHeardLeft(int64_t startFrame, int16_t* out, int count) const;

protected:
    // Backend hooks, called with the device lock held.
    virtual int BackendOpen() = 0;
    virtual void BackendClose() = 0;
    // Called after a buffer was queued (a virtual device may play it at once).
    virtual void BackendQueued() {}
    // The lock that Pull() runs under; it keeps the backend's thread away
    // while the queue changes.
    virtual void LockStream() = 0;
    virtual void UnlockStream() = 0;

    // Backend thread, with the stream lock held: copies up to `frames` frames
    // of queued audio (volume applied) to `out`, completes the buffers it
    // finishes and counts the position. Returns the frames delivered; the
    // caller makes the rest silence. Never allocates.
    size_t Pull(int16_t* out, size_t frames) noexcept;
    // With the stream lock held: frames left in the oldest queued buffer (0
    // when nothing is queued), and the number of queued buffers.
    size_t HeadFramesLocked() const;
    int QueuedCountLocked() const { return m_queueCount; }

    std::mutex& DeviceLock() const { return m_deviceLock; }

private:
    void ResetLocked();

    std::mutex& m_deviceLock;
    bool m_open = false;
    int32_t m_bufferBytes = 0;
    uint32_t m_writeCounter = 0;
    DeviceEvents* m_events = nullptr;
    std::array<std::vector<int16_t>, kOutputBufferCount> m_buffers;
    std::array<std::atomic<bool>, kOutputBufferCount> m_done{};
    std::array<std::atomic<uint32_t>, kOutputBufferCount> m_userValue{};
    std::atomic<uint32_t> m_volume{0xFFFFFFFFu};
    std::atomic<int64_t> m_position{0};

    // Queue of written buffers in play order; guarded by the stream lock.
    std::array<int, kOutputBufferCount> m_queue{};
    int m_queueHead = 0;
    int m_queueCount = 0;
    size_t m_playOffset = 0; // samples of the head buffer already played
};

} // namespace bm::device
