#pragma once

// The SDL2 functions the device layer calls, taken from the SDL shared
// library when a sound device is first opened rather than linked into every
// program. SDL brings in the X11, Wayland, PulseAudio and ALSA client
// libraries with it; loading them costs a few milliseconds at every start,
// and most users of the core (the command-line tool's file commands, the
// tests) never open a device.

#include <SDL.h>

namespace bm::device {

struct SdlFunctions {
    decltype(&::SDL_InitSubSystem) initSubSystem;
    decltype(&::SDL_QuitSubSystem) quitSubSystem;
    decltype(&::SDL_TLSCleanup) tlsCleanup;
    decltype(&::SDL_OpenAudioDevice) openAudioDevice;
    decltype(&::SDL_PauseAudioDevice) pauseAudioDevice;
    decltype(&::SDL_CloseAudioDevice) closeAudioDevice;
    decltype(&::SDL_LockAudioDevice) lockAudioDevice;
    decltype(&::SDL_UnlockAudioDevice) unlockAudioDevice;
};

// Any thread. Loads the library on the first call and keeps it loaded for
// the rest of the process (SDL's threads may outlive any one device). Null,
// on this and every later call, when the library or one of the functions is
// missing: the caller reports that no audio system is available.
const SdlFunctions* LoadSdl();

} // namespace bm::device
