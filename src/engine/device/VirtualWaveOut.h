#pragma once

// An output device without a sound card, for tests and headless work. It
// keeps the whole contract of WaveOutDevice; only its clock is driven by the
// owner:
// - VirtualClock::Manual: nothing plays until the owner calls Advance() or
//   CompleteNext() (tests step the device buffer by buffer);
// - VirtualClock::Immediate: a buffer is played the moment it is written, so
//   the worker renders as fast as it can.
// What is played (volume applied) can be kept for comparison.
//
// Example (test thread):
//     std::mutex lock;
//     VirtualWaveOut out(lock);
//     out.KeepPlayed(true);
//     ... worker writes buffers ...
//     out.CompleteNext();          // reports OutputBufferDone once
//     auto audio = out.TakePlayed();

#include "engine/device/WaveOutDevice.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace bm::device {

enum class VirtualClock { Manual, Immediate };

class VirtualWaveOut final : public WaveOutDevice {
public:
    explicit VirtualWaveOut(std::mutex& deviceLock, VirtualClock clock = VirtualClock::Manual);
    ~VirtualWaveOut() override;

    // Plays up to `frames` frames of queued audio; returns the frames that
    // came from buffers (the rest would be silence).
    size_t Advance(size_t frames);
    // Plays the rest of the oldest queued buffer; false when none is queued.
    bool CompleteNext();
    int QueuedBuffers() const;

    void KeepPlayed(bool keep);
    std::vector<int16_t> TakePlayed();

    // Tests: make the next opens fail with `code` (kDeviceOk = succeed).
    void FailOpenWith(int code);
    int OpenCount() const;

private:
    int BackendOpen() override;
    void BackendClose() override;
    void BackendQueued() override;
    void LockStream() override;
    void UnlockStream() override;
    size_t PlayLocked(size_t frames);

    VirtualClock m_clock;
    mutable std::mutex m_stream;
    std::atomic<int> m_failOpen{kDeviceOk};
    std::atomic<int> m_openCount{0};
    bool m_keep = false;             // guarded by m_stream
    std::vector<int16_t> m_played;   // guarded by m_stream
    std::vector<int16_t> m_scratch;  // guarded by m_stream
};

} // namespace bm::device
