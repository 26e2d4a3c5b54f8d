#include "engine/device/SdlLibrary.h"

#include <dlfcn.h>

namespace bm::device {

namespace {

// The run-time name of SDL 2 on every distribution (its ABI has kept this
// name since 2.0.0).
constexpr const char* kSdlLibraryName = "libSDL2-2.0.so.0";

template <typename Function>
bool Resolve(void* library, const char* name, Function& out)
{
    out = reinterpret_cast<Function>(::dlsym(library, name));
    return out != nullptr;
}

SdlFunctions* LoadOnce()
{
    static SdlFunctions functions{};
    void* library = ::dlopen(kSdlLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    const bool complete = Resolve(library, "SDL_InitSubSystem", functions.initSubSystem) &&
                          Resolve(library, "SDL_QuitSubSystem", functions.quitSubSystem) &&
                          Resolve(library, "SDL_TLSCleanup", functions.tlsCleanup) &&
                          Resolve(library, "SDL_OpenAudioDevice", functions.openAudioDevice) &&
                          Resolve(library, "SDL_PauseAudioDevice", functions.pauseAudioDevice) &&
                          Resolve(library, "SDL_CloseAudioDevice", functions.closeAudioDevice) &&
                          Resolve(library, "SDL_LockAudioDevice", functions.lockAudioDevice) &&
                          Resolve(library, "SDL_UnlockAudioDevice", functions.unlockAudioDevice);
    if (!complete) {
        ::dlclose(library);
        return nullptr;
    }
    return &functions;
}

} // namespace

const SdlFunctions* LoadSdl()
{
    // A function-local static is initialised once, even when several threads
    // open devices at the same moment.
    static const SdlFunctions* const functions = LoadOnce();
    return functions;
}

} // namespace bm::device
