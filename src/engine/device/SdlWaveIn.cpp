#include "engine/device/SdlWaveIn.h"

namespace bm::device {

SdlWaveIn::SdlWaveIn(std::mutex& deviceLock) : WaveInDevice(deviceLock) {}

SdlWaveIn::~SdlWaveIn() { Close(); }

int SdlWaveIn::BackendOpen()
{
    // Capture runs from the open on; frames are kept only once the input is
    // started and buffers are added.
    return m_device.Open(SdlDirection::Capture, &SdlWaveIn::Callback, this);
}

void SdlWaveIn::BackendClose() { m_device.Close(); }

void SdlWaveIn::LockStream() { m_device.Lock(); }

void SdlWaveIn::UnlockStream() { m_device.Unlock(); }

void SdlWaveIn::Callback(void* self, uint8_t* stream, int bytes)
{
    auto* device = static_cast<SdlWaveIn*>(self);
    device->Push(reinterpret_cast<const int16_t*>(stream), size_t(bytes) / kBytesPerFrame);
}

} // namespace bm::device
