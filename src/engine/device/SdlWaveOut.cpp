#include "engine/device/SdlWaveOut.h"


#include <cstring>

namespace bm::device {

SdlWaveOut::SdlWaveOut(std::mutex& deviceLock) : WaveOutDevice(deviceLock) {}

SdlWaveOut::~SdlWaveOut() { Close(); }

int SdlWaveOut::BackendOpen()
{
    return m_device.Open(SdlDirection::Playback, &SdlWaveOut::Callback, this);
}

void SdlWaveOut::BackendClose() { m_device.Close(); }

void SdlWaveOut::LockStream() { m_device.Lock(); }

void SdlWaveOut::UnlockStream() { m_device.Unlock(); }

void SdlWaveOut::Callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlWaveOut*>(self);
    const size_t frames = size_t(bytes) / kBytesPerFrame;
    const size_t delivered = device->Pull(reinterpret_cast<int16_t*>(stream), frames);
    std::memset(stream + delivered * kBytesPerFrame, 0, size_t(bytes) - delivered * kBytesPerFrame);
}

} // namespace bm::device
