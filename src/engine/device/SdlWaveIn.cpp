#include "engine/device/SdlWaveIn.h"

#include "engine/device/SdlAudio.h"

#include <SDL.h>

namespace bm::device {

namespace {
constexpr Uint16 kCallbackFrames = 1024;
} // namespace

SdlWaveIn::SdlWaveIn(std::mutex& deviceLock) : WaveInDevice(deviceLock) {}

SdlWaveIn::~SdlWaveIn() { Close(); }

int SdlWaveIn::BackendOpen()
{
    if (!AcquireSdlAudio())
        return kDeviceNoDriver;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannelCount;
    want.samples = kCallbackFrames;
    want.callback = &SdlWaveIn::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (m_device == 0) {
        ReleaseSdlAudio();
        return kDeviceBadId;
    }
    // Capture runs from the open on; frames are kept only once the input is
    // started and buffers are added.
    SDL_PauseAudioDevice(m_device, 0);
    return kDeviceOk;
}

void SdlWaveIn::BackendClose()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    ReleaseSdlAudio();
}

void SdlWaveIn::LockStream()
{
    if (m_device != 0)
        SDL_LockAudioDevice(m_device);
}

void SdlWaveIn::UnlockStream()
{
    if (m_device != 0)
        SDL_UnlockAudioDevice(m_device);
}

void SdlWaveIn::Callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlWaveIn*>(self);
    device->Push(reinterpret_cast<const int16_t*>(stream), size_t(bytes) / kBytesPerFrame);
}

} // namespace bm::device
