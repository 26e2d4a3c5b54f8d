#include "engine/device/SdlAudio.h"

#include "engine/device/DeviceEvents.h"
#include "engine/device/SdlLibrary.h"

#include <mutex>

namespace bm::device {

namespace {
std::mutex g_sdlAudioLock;
int g_users = 0;
} // namespace

bool AcquireSdlAudio()
{
    const SdlFunctions* sdl = LoadSdl();
    if (!sdl)
        return false;
    std::lock_guard lock(g_sdlAudioLock);
    if (g_users == 0 && sdl->initSubSystem(SDL_INIT_AUDIO) != 0) {
        sdl->tlsCleanup();
        return false;
    }
    ++g_users;
    return true;
}

void ReleaseSdlAudio()
{
    // Only a successful acquire, which loaded the library, is released.
    const SdlFunctions* sdl = LoadSdl();
    if (!sdl)
        return;
    std::lock_guard lock(g_sdlAudioLock);
    if (g_users > 0 && --g_users == 0)
        sdl->quitSubSystem(SDL_INIT_AUDIO);
    // SDL keeps per-thread data (its error text) for threads it did not
    // start, such as the engine worker; free this thread's now.
    sdl->tlsCleanup();
}

int SdlAudioDevice::Open(SdlDirection direction, Callback callback, void* userdata)
{
    // Frames SDL moves per callback: about 23 ms, small against the
    // playback buffers of up to 20 000 frames and the input's 4 410.
    constexpr Uint16 kCallbackFrames = 1024;
    if (!AcquireSdlAudio())
        return kDeviceNoDriver;
    const SdlFunctions& sdl = *LoadSdl();
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannelCount;
    want.samples = kCallbackFrames;
    want.callback = callback;
    want.userdata = userdata;
    SDL_AudioSpec have{};
    m_device = sdl.openAudioDevice(nullptr, direction == SdlDirection::Capture ? 1 : 0, &want, &have, 0);
    if (m_device == 0) {
        ReleaseSdlAudio();
        return kDeviceBadId;
    }
    sdl.pauseAudioDevice(m_device, 0);
    return kDeviceOk;
}

void SdlAudioDevice::Close()
{
    if (m_device == 0)
        return;
    LoadSdl()->closeAudioDevice(m_device);
    m_device = 0;
    ReleaseSdlAudio();
}

void SdlAudioDevice::Lock()
{
    if (m_device != 0)
        LoadSdl()->lockAudioDevice(m_device);
}

void SdlAudioDevice::Unlock()
{
    if (m_device != 0)
        LoadSdl()->unlockAudioDevice(m_device);
}

} // namespace bm::device
