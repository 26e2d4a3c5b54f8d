#pragma once

// An input device without a sound card: the owner supplies the audio
// (canonical interleaved samples, e.g. read from a file) and drives the
// clock. Same contract as WaveInDevice.
//
// Example (test thread):
//     VirtualWaveIn in(lock);
//     in.SetInput(samples);   // before or after the open
//     in.Advance(4410);       // fills one buffer once started and added

#include "engine/device/WaveInDevice.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace bm::device {

class VirtualWaveIn final : public WaveInDevice {
public:
    explicit VirtualWaveIn(std::mutex& deviceLock);
    ~VirtualWaveIn() override;

    // The audio the device will capture, interleaved stereo; after its end
    // the device captures silence.
    void SetInput(std::vector<int16_t> samples);
    // Captures `frames` frames from the input.
    void Advance(size_t frames);

    void FailOpenWith(int code);

private:
    int BackendOpen() override;
    void BackendClose() override;
    void LockStream() override;
    void UnlockStream() override;

    std::mutex m_stream;
    std::vector<int16_t> m_input;  // guarded by m_stream
    size_t m_inputPos = 0;         // samples; guarded by m_stream
    std::vector<int16_t> m_silence;
    std::atomic<int> m_failOpen{kDeviceOk};
};

} // namespace bm::device
