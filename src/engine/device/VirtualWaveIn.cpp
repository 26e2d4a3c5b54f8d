#include "engine/device/VirtualWaveIn.h"

#include <algorithm>

namespace bm::device {

VirtualWaveIn::VirtualWaveIn(std::mutex& deviceLock) : WaveInDevice(deviceLock) {}

VirtualWaveIn::~VirtualWaveIn() { Close(); }

void VirtualWaveIn::SetInput(std::vector<int16_t> samples)
{
    std::lock_guard lock(m_stream);
    m_input = std::move(samples);
    m_input.resize(m_input.size() & ~size_t(1));
    m_inputPos = 0;
}

void VirtualWaveIn::Advance(size_t frames)
{
    std::lock_guard lock(m_stream);
    const size_t fromInput = std::min(frames, (m_input.size() - m_inputPos) / 2);
    Push(m_input.data() + m_inputPos, fromInput);
    m_inputPos += fromInput * 2;
    const size_t rest = frames - fromInput;
    if (rest > 0) {
        if (m_silence.size() < rest * 2)
            m_silence.assign(rest * 2, 0);
        Push(m_silence.data(), rest);
    }
}

void VirtualWaveIn::FailOpenWith(int code) { m_failOpen.store(code); }

int VirtualWaveIn::BackendOpen() { return m_failOpen.load(); }
void VirtualWaveIn::BackendClose() {}
void VirtualWaveIn::LockStream() { m_stream.lock(); }
void VirtualWaveIn::UnlockStream() { m_stream.unlock(); }

} // namespace bm::device
