#include "engine/device/VirtualWaveOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace bm::device {
namespace {

class CountingEvents : public DeviceEvents {
public:
    void OutputBufferDone() noexcept override { ++outputDone; }
    void InputBufferFull(int32_t index) noexcept override { inputs[size_t(inputCount++)] = index; }
    std::atomic<int> outputDone{0};
    std::atomic<int> inputCount{0};
    std::array<int, 64> inputs{};
};

constexpr int32_t kFrames = 100;
constexpr int32_t kBufferBytes = kFrames * kBytesPerFrame;

std::vector<int16_t> Ramp(int16_t base)
{
    std::vector<int16_t> samples(kFrames * 2);
    for (int i = 0; i < kFrames; ++i) {
        samples[size_t(i) * 2] = int16_t(base + i);
        samples[size_t(i) * 2 + 1] = int16_t(-base - i);
    }
    return samples;
}

TEST(WaveOutDevice, ClosedDeviceIsANoOpWithFailureResults)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    int64_t frames = 42;
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.Write(0), 0);
    EXPECT_EQ(out.Send(0, Ramp(1)), 0);
    EXPECT_EQ(out.GetPosition(frames), kDeviceError);
    EXPECT_EQ(frames, 42);
    EXPECT_EQ(out.GetVolume(), -1);
    EXPECT_EQ(out.SetVolume(128), -1);
    EXPECT_EQ(out.RawVolume(), 0xFFFFFFFFu) << "a closed device keeps its volume";
    out.Reset();
    out.Close();
    int16_t heard[4];
    EXPECT_FALSE(out.CopyHeardLeft(0, heard, 4));
}

TEST(WaveOutDevice, OpenLeavesAllBuffersDoneAndASecondOpenChangesNothing)
{
    std::mutex lock;
    CountingEvents events;
    VirtualWaveOut out(lock);
    ASSERT_EQ(out.Open(&events, kBufferBytes), kDeviceOk);
    for (int i = 0; i < kOutputBufferCount; ++i)
        EXPECT_TRUE(out.IsDone(i));
    EXPECT_EQ(out.Write(1), 1);
    EXPECT_EQ(out.Open(&events, kBufferBytes * 2), kDeviceOk);
    EXPECT_EQ(out.OpenCount(), 1);
    EXPECT_EQ(out.BufferBytes(), kBufferBytes);
    EXPECT_FALSE(out.IsDone(1)) << "the queued buffer is still queued";
    EXPECT_EQ(out.Open(&events, 6), kDeviceOk) << "already open wins over a bad size";
}

TEST(WaveOutDevice, OpenFailuresPassTheErrorOnAndBadSizesAreRefused)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    out.FailOpenWith(kDeviceBadId);
    EXPECT_EQ(out.Open(nullptr, kBufferBytes), kDeviceBadId);
    EXPECT_FALSE(out.IsOpen());
    out.FailOpenWith(kDeviceOk);
    EXPECT_EQ(out.Open(nullptr, 0), kDeviceError);
    EXPECT_EQ(out.Open(nullptr, 6), kDeviceError);
    EXPECT_EQ(out.Open(nullptr, kBufferBytes), kDeviceOk);
}

TEST(WaveOutDevice, WritesCarryTheWriteCounterAndNeedADoneBuffer)
{
    std::mutex lock;
    CountingEvents events;
    VirtualWaveOut out(lock);
    ASSERT_EQ(out.Open(&events, kBufferBytes), kDeviceOk);
    EXPECT_EQ(out.Send(2, Ramp(1)), 1);
    EXPECT_EQ(out.Send(0, Ramp(2)), 1);
    EXPECT_EQ(out.UserValue(2), 0u);
    EXPECT_EQ(out.UserValue(0), 1u);
    EXPECT_EQ(out.Write(2), 0) << "its previous write has not come back";
    EXPECT_EQ(out.Write(3), 0);
    EXPECT_EQ(out.Write(-1), 0);
    EXPECT_EQ(out.UserValue(2), 0u) << "a refused write does not count";

    EXPECT_TRUE(out.CompleteNext());
    EXPECT_EQ(events.outputDone.load(), 1);
    EXPECT_TRUE(out.IsDone(2));
    EXPECT_EQ(out.Write(2), 1);
    EXPECT_EQ(out.UserValue(2), 2u);
}

TEST(WaveOutDevice, PlaysBuffersInWriteOrderAndCountsFramesHandedOver)
{
    std::mutex lock;
    CountingEvents events;
    VirtualWaveOut out(lock);
    out.KeepPlayed(true);
    ASSERT_EQ(out.Open(&events, kBufferBytes), kDeviceOk);
    const auto a = Ramp(1000);
    const auto b = Ramp(2000);
    ASSERT_EQ(out.Send(1, a), 1);
    ASSERT_EQ(out.Send(0, b), 1);

    EXPECT_EQ(out.Advance(30), 30u);
    int64_t position = 0;
    ASSERT_EQ(out.GetPosition(position), kDeviceOk);
    EXPECT_EQ(position, 30);
    EXPECT_EQ(events.outputDone.load(), 0);
    EXPECT_EQ(out.Advance(150), 150u) << "crosses into the second buffer";
    EXPECT_EQ(events.outputDone.load(), 1);
    EXPECT_EQ(out.Advance(500), 20u) << "only queued frames count";
    EXPECT_EQ(events.outputDone.load(), 2);
    ASSERT_EQ(out.GetPosition(position), kDeviceOk);
    EXPECT_EQ(position, 200);

    std::vector<int16_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(out.TakePlayed(), expected);
}

TEST(WaveOutDevice, ShortSendIsPaddedWithSilence)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    out.KeepPlayed(true);
    ASSERT_EQ(out.Open(nullptr, kBufferBytes), kDeviceOk);
    ASSERT_EQ(out.Send(0, Ramp(5)), 1);
    out.CompleteNext();
    ASSERT_EQ(out.Send(0, std::vector<int16_t>{7, 8}), 1);
    out.CompleteNext();
    const auto played = out.TakePlayed();
    ASSERT_EQ(played.size(), size_t(kFrames) * 4);
    EXPECT_EQ(played[kFrames * 2], 7);
    EXPECT_EQ(played[kFrames * 2 + 1], 8);
    EXPECT_EQ(played[kFrames * 2 + 2], 0);
    EXPECT_EQ(played.back(), 0);
}

TEST(WaveOutDevice, ResetReturnsEveryQueuedBufferOnceAndRewindsThePosition)
{
    std::mutex lock;
    CountingEvents events;
    VirtualWaveOut out(lock);
    ASSERT_EQ(out.Open(&events, kBufferBytes), kDeviceOk);
    for (int i = 0; i < kOutputBufferCount; ++i)
        ASSERT_EQ(out.Write(i), 1);
    out.Advance(10);
    out.Reset();
    EXPECT_EQ(events.outputDone.load(), 3);
    for (int i = 0; i < kOutputBufferCount; ++i)
        EXPECT_TRUE(out.IsDone(i));
    int64_t position = -1;
    ASSERT_EQ(out.GetPosition(position), kDeviceOk);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(out.Advance(10), 0u);
    EXPECT_TRUE(out.IsOpen());
    ASSERT_EQ(out.Write(0), 1);
    out.Close();
    EXPECT_EQ(events.outputDone.load(), 4) << "closing returns the queued buffer";
    EXPECT_FALSE(out.IsOpen());
}

TEST(WaveOutDevice, VolumeArithmetic)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    ASSERT_EQ(out.Open(nullptr, kBufferBytes), kDeviceOk);
    EXPECT_EQ(out.SetVolume(128), 128);
    EXPECT_EQ(out.RawVolume(), 0x80008000u);
    EXPECT_EQ(out.SetVolume(255), 255);
    EXPECT_EQ(out.RawVolume(), 0xFF00FF00u);
    EXPECT_EQ(out.SetVolume(0), 0);
    EXPECT_EQ(out.SetVolume(0x1000080), 128) << "only the low 24 bits count";
    out.SetRawVolume(0xC0004000u); // left 0x4000, right 0xC000
    EXPECT_EQ(out.GetVolume(), 192);
    out.SetRawVolume(0x0000FFFFu);
    EXPECT_EQ(out.GetVolume(), 255);
}

TEST(WaveOutDevice, VolumeIsAppliedAsAGainPerChannel)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    out.KeepPlayed(true);
    ASSERT_EQ(out.Open(nullptr, 2 * kBytesPerFrame), kDeviceOk);
    out.SetRawVolume(0x40000000u | 0xFF00u); // left at volume 255 (full), right 0x4000
    ASSERT_EQ(out.Send(0, std::vector<int16_t>{30000, 30000, -32768, -32768}), 1);
    out.CompleteNext();
    EXPECT_EQ(out.TakePlayed(), (std::vector<int16_t>{30000, 30000 * 0x4000 / 0xFF00, -32768, -32768 * 0x4000 / 0xFF00}));
}

TEST(WaveOutDevice, ImmediateClockPlaysEachBufferWhenWritten)
{
    std::mutex lock;
    CountingEvents events;
    VirtualWaveOut out(lock, VirtualClock::Immediate);
    out.KeepPlayed(true);
    ASSERT_EQ(out.Open(&events, kBufferBytes), kDeviceOk);
    ASSERT_EQ(out.Send(0, Ramp(3)), 1);
    EXPECT_EQ(events.outputDone.load(), 1);
    EXPECT_TRUE(out.IsDone(0));
    EXPECT_EQ(out.TakePlayed(), Ramp(3));
    int64_t position = 0;
    out.GetPosition(position);
    EXPECT_EQ(position, kFrames);
}

TEST(WaveOutDevice, HeardAudioStartsAtTheOldestQueuedBufferAndContinuesInWriteOrder)
{
    std::mutex lock;
    VirtualWaveOut out(lock);
    ASSERT_EQ(out.Open(nullptr, kBufferBytes), kDeviceOk);
    int16_t heard[8];
    EXPECT_FALSE(out.CopyHeardLeft(0, heard, 8)) << "nothing queued";
    ASSERT_EQ(out.Send(2, Ramp(100)), 1); // write 0
    ASSERT_EQ(out.Send(0, Ramp(500)), 1); // write 1
    ASSERT_TRUE(out.CopyHeardLeft(kFrames - 4, heard, 8));
    EXPECT_EQ(std::vector<int16_t>(heard, heard + 8), (std::vector<int16_t>{196, 197, 198, 199, 500, 501, 502, 503}));

    out.CompleteNext(); // buffer 2 done: buffer 0 is now the oldest, with no successor
    ASSERT_TRUE(out.CopyHeardLeft(kFrames - 2, heard, 4));
    EXPECT_EQ(std::vector<int16_t>(heard, heard + 4), (std::vector<int16_t>{598, 599, 0, 0}));
}

} // namespace
} // namespace bm::device
