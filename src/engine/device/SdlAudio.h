#pragma once

// Reference-counted start of SDL's audio subsystem, shared by the SDL wave
// devices (and safe to call from more than one thread), and one open SDL
// audio device in the canonical format (44 100 Hz, 16-bit stereo), running
// from the open on.

#include <cstdint>

namespace bm::device {

// True when the audio subsystem is running (false also when the SDL library
// is not installed); each success must be matched by one ReleaseSdlAudio()
// on the same thread.
bool AcquireSdlAudio();
void ReleaseSdlAudio();

enum class SdlDirection { Playback, Capture };

class SdlAudioDevice {
public:
    using Callback = void (*)(void* userdata, uint8_t* stream, int bytes);

    // Opens the default device of that direction with the callback and
    // starts it: kDeviceOk, kDeviceNoDriver (no audio system) or
    // kDeviceBadId (no such device).
    int Open(SdlDirection direction, Callback callback, void* userdata);
    // Waits for a running callback to return; the callback must never take
    // a lock that the caller of Close holds.
    void Close();
    // Keeps the callback from running meanwhile.
    void Lock();
    void Unlock();

private:
    uint32_t m_device = 0;
};

} // namespace bm::device
