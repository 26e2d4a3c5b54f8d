#include "engine/device/SdlWaveOut.h"

#include "engine/device/SdlAudio.h"

#include <SDL.h>

#include <cstring>

namespace bm::device {

namespace {
// Frames SDL asks for per callback: about 23 ms, small against the playback
// buffers of up to 20 000 frames.
constexpr Uint16 kCallbackFrames = 1024;
} // namespace

SdlWaveOut::SdlWaveOut(std::mutex& deviceLock) : WaveOutDevice(deviceLock) {}

SdlWaveOut::~SdlWaveOut() { Close(); }

int SdlWaveOut::BackendOpen()
{
    if (!AcquireSdlAudio())
        return kDeviceNoDriver;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannelCount;
    want.samples = kCallbackFrames;
    want.callback = &SdlWaveOut::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        ReleaseSdlAudio();
        return kDeviceBadId;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return kDeviceOk;
}

void SdlWaveOut::BackendClose()
{
    if (m_device == 0)
        return;
    // Waits for the callback thread to finish; the callback never takes the
    // device lock that our caller holds.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    ReleaseSdlAudio();
}

void SdlWaveOut::LockStream()
{
    if (m_device != 0)
        SDL_LockAudioDevice(m_device);
}

void SdlWaveOut::UnlockStream()
{
    if (m_device != 0)
        SDL_UnlockAudioDevice(m_device);
}

void SdlWaveOut::Callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlWaveOut*>(self);
    const size_t frames = size_t(bytes) / kBytesPerFrame;
    const size_t delivered = device->Pull(reinterpret_cast<int16_t*>(stream), frames);
    std::memset(stream + delivered * kBytesPerFrame, 0, size_t(bytes) - delivered * kBytesPerFrame);
}

} // namespace bm::device
