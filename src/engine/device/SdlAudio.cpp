#include "engine/device/SdlAudio.h"

#include "engine/device/DeviceEvents.h"

#include <SDL.h>

#include <mutex>

namespace bm::device {

namespace {
std::mutex g_sdlAudioLock;
int g_users = 0;
} // namespace

bool AcquireSdlAudio()
{
    std::lock_guard lock(g_sdlAudioLock);
    if (g_users == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SDL_TLSCleanup();
        return false;
    }
    ++g_users;
    return true;
}

void ReleaseSdlAudio()
{
    std::lock_guard lock(g_sdlAudioLock);
    if (g_users > 0 && --g_users == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL keeps per-thread data (its error text) for threads it did not
    // start, such as the engine worker; free this thread's now.
    SDL_TLSCleanup();
}

int SdlAudioDevice::Open(SdlDirection direction, Callback callback, void* userdata)
{
    // Frames SDL moves per callback: about 23 ms, small against the
    // playback buffers of up to 20 000 frames and the input's 4 410.
    constexpr Uint16 kCallbackFrames = 1024;
    if (!AcquireSdlAudio())
        return kDeviceNoDriver;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannelCount;
    want.samples = kCallbackFrames;
    want.callback = callback;
    want.userdata = userdata;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, direction == SdlDirection::Capture ? 1 : 0, &want, &have, 0);
    if (m_device == 0) {
        ReleaseSdlAudio();
        return kDeviceBadId;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return kDeviceOk;
}

void SdlAudioDevice::Close()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    ReleaseSdlAudio();
}

void SdlAudioDevice::Lock()
{
    if (m_device != 0)
        SDL_LockAudioDevice(m_device);
}

void SdlAudioDevice::Unlock()
{
    if (m_device != 0)
        SDL_UnlockAudioDevice(m_device);
}

} // namespace bm::device
