#pragma once

// The input device on the sound card through SDL2: a capture device at
// 44 100 Hz, 16-bit stereo. The callback stores captured frames into the
// added buffers and reports each buffer once it holds 17 640 bytes; it never
// allocates, never waits for the worker and never touches files.
//
// With SDL_AUDIODRIVER=disk, SDL reads the captured audio from
// SDL_DISKAUDIOFILEIN.

#include "engine/device/SdlAudio.h"
#include "engine/device/WaveInDevice.h"

#include <cstdint>

namespace bm::device {

class SdlWaveIn final : public WaveInDevice {
public:
    explicit SdlWaveIn(std::mutex& deviceLock);
    ~SdlWaveIn() override;

private:
    int BackendOpen() override;
    void BackendClose() override;
    void LockStream() override;
    void UnlockStream() override;
    static void Callback(void* self, uint8_t* stream, int bytes);

    SdlAudioDevice m_device;
};

} // namespace bm::device
