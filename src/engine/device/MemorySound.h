#pragma once

// A short sound played once from memory on a second output device of its
// own (the splash chime), beside whatever the engine plays. Canonical audio
// only: 44 100 Hz, 16-bit, stereo. When no device can be opened the sound is
// silent; nothing else fails.
//
//     MemorySound chime(std::move(frames));
//     chime.Start();           // plays on SDL's thread
//     ...
//     chime.Stop();            // or the destructor; waits for the callback

#include "engine/device/SdlAudio.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace bm::device {

class MemorySound {
public:
    explicit MemorySound(std::vector<int16_t> samples) : m_samples(std::move(samples)) {}
    ~MemorySound() { Stop(); }
    MemorySound(const MemorySound&) = delete;
    MemorySound& operator=(const MemorySound&) = delete;

    // True when a device was opened.
    bool Start();
    void Stop();
    bool Playing() const { return m_open && m_position.load() < m_samples.size(); }

    // The samples of a canonical wave file ("RIFF", PCM 16-bit stereo at
    // 44 100 Hz); empty for anything else or a damaged file.
    static std::vector<int16_t> CanonicalSamples(std::string_view wave);

private:
    static void Callback(void* self, uint8_t* stream, int bytes);

    std::vector<int16_t> m_samples;
    std::atomic<size_t> m_position{0};
    SdlAudioDevice m_device;
    bool m_open = false;
};

} // namespace bm::device
