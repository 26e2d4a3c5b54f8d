#include "engine/device/SdlAudio.h"

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

} // namespace bm::device
