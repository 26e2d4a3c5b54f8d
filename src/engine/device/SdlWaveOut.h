#pragma once

// The output device on the sound card through SDL2: a playback device at
// 44 100 Hz, 16-bit stereo. SDL pulls audio on its own thread; the callback
// copies from the queued buffers, applies the stored volume as a gain (SDL
// has no device volume) and reports each finished buffer. It never
// allocates, never waits for the worker and never touches files.
//
// Which driver SDL uses follows SDL_AUDIODRIVER ("dummy" and "disk" for
// tests; "disk" writes what it plays to SDL_DISKAUDIOFILE).

#include "engine/device/SdlAudio.h"
#include "engine/device/WaveOutDevice.h"

#include <cstdint>

namespace bm::device {

class SdlWaveOut final : public WaveOutDevice {
public:
    explicit SdlWaveOut(std::mutex& deviceLock);
    ~SdlWaveOut() override;

private:
    int BackendOpen() override;
    void BackendClose() override;
    void LockStream() override;
    void UnlockStream() override;
    static void Callback(void* self, uint8_t* stream, int bytes);

    SdlAudioDevice m_device;
};

} // namespace bm::device
