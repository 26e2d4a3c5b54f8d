#include "engine/device/MemorySound.h"

#include "core/Binary.h"
#include "engine/device/DeviceEvents.h"

#include <algorithm>
#include <cstring>

namespace bm::device {

bool MemorySound::Start()
{
    if (m_open || m_samples.empty())
        return m_open;
    m_position = 0;
    m_open = m_device.Open(SdlDirection::Playback, &MemorySound::Callback, this) == kDeviceOk;
    return m_open;
}

void MemorySound::Stop()
{
    if (!m_open)
        return;
    m_device.Close();
    m_open = false;
}

void MemorySound::Callback(void* self, uint8_t* stream, int bytes)
{
    auto& sound = *static_cast<MemorySound*>(self);
    const size_t wanted = static_cast<size_t>(bytes) / sizeof(int16_t);
    const size_t at = sound.m_position.load();
    const size_t take = at < sound.m_samples.size() ? std::min(wanted, sound.m_samples.size() - at) : 0;
    std::memcpy(stream, sound.m_samples.data() + at, take * sizeof(int16_t));
    std::memset(stream + take * sizeof(int16_t), 0, static_cast<size_t>(bytes) - take * sizeof(int16_t));
    sound.m_position = at + take;
}

std::vector<int16_t> MemorySound::CanonicalSamples(std::string_view wave)
{
    auto u32 = [&](size_t at) -> uint32_t {
        return at + 4 <= wave.size() ? ReadLE32(reinterpret_cast<const uint8_t*>(wave.data()) + at) : 0;
    };
    auto u16 = [&](size_t at) -> uint32_t {
        return at + 2 <= wave.size() ? ReadLE16(reinterpret_cast<const uint8_t*>(wave.data()) + at) : 0;
    };
    if (wave.size() < 12 || wave.substr(0, 4) != "RIFF" || wave.substr(8, 4) != "WAVE")
        return {};
    bool canonical = false;
    for (size_t at = 12; at + 8 <= wave.size();) {
        const std::string_view id = wave.substr(at, 4);
        const uint64_t size = u32(at + 4);
        const size_t body = at + 8;
        if (id == "fmt ")
            canonical = u16(body) == 1 && u16(body + 2) == 2 && u32(body + 4) == 44100 && u16(body + 14) == 16;
        if (id == "data") {
            if (!canonical)
                return {};
            const size_t bytes = static_cast<size_t>(std::min<uint64_t>(size, wave.size() - body)) & ~size_t(3);
            std::vector<int16_t> samples(bytes / 2);
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<int16_t>(u16(body + 2 * i));
            return samples;
        }
        at = body + static_cast<size_t>(size) + (size & 1);
    }
    return {};
}

} // namespace bm::device
