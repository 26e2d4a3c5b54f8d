#pragma once

// Reference-counted start of SDL's audio subsystem, shared by the SDL wave
// devices (and safe to call from more than one thread).

namespace bm::device {

// True when the audio subsystem is running; each success must be matched by
// one ReleaseSdlAudio() on the same thread.
bool AcquireSdlAudio();
void ReleaseSdlAudio();

} // namespace bm::device
