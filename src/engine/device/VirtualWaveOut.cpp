#include "engine/device/VirtualWaveOut.h"

#include <utility>

namespace bm::device {

VirtualWaveOut::VirtualWaveOut(std::mutex& deviceLock, VirtualClock clock) : WaveOutDevice(deviceLock), m_clock(clock) {}

VirtualWaveOut::~VirtualWaveOut() { Close(); }

int VirtualWaveOut::BackendOpen()
{
    const int fail = m_failOpen.load();
    if (fail != kDeviceOk)
        return fail;
    m_openCount.fetch_add(1);
    return kDeviceOk;
}

void VirtualWaveOut::BackendClose() {}

void VirtualWaveOut::BackendQueued()
{
    if (m_clock != VirtualClock::Immediate)
        return;
    std::lock_guard lock(m_stream);
    while (QueuedCountLocked() > 0)
        PlayLocked(HeadFramesLocked());
}

void VirtualWaveOut::LockStream() { m_stream.lock(); }
void VirtualWaveOut::UnlockStream() { m_stream.unlock(); }

size_t VirtualWaveOut::PlayLocked(size_t frames)
{
    if (m_scratch.size() < frames * 2)
        m_scratch.resize(frames * 2);
    const size_t delivered = Pull(m_scratch.data(), frames);
    if (m_keep)
        m_played.insert(m_played.end(), m_scratch.begin(), m_scratch.begin() + ptrdiff_t(delivered * 2));
    return delivered;
}

size_t VirtualWaveOut::Advance(size_t frames)
{
    std::lock_guard lock(m_stream);
    return PlayLocked(frames);
}

bool VirtualWaveOut::CompleteNext()
{
    std::lock_guard lock(m_stream);
    if (QueuedCountLocked() == 0)
        return false;
    PlayLocked(HeadFramesLocked());
    return true;
}

int VirtualWaveOut::QueuedBuffers() const
{
    std::lock_guard lock(m_stream);
    return QueuedCountLocked();
}

void VirtualWaveOut::KeepPlayed(bool keep)
{
    std::lock_guard lock(m_stream);
    m_keep = keep;
}

std::vector<int16_t> VirtualWaveOut::TakePlayed()
{
    std::lock_guard lock(m_stream);
    return std::exchange(m_played, {});
}

void VirtualWaveOut::FailOpenWith(int code) { m_failOpen.store(code); }

int VirtualWaveOut::OpenCount() const { return m_openCount.load(); }

} // namespace bm::device
