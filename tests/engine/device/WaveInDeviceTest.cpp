#include "engine/device/VirtualWaveIn.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace bm::device {
namespace {

class InputEvents : public DeviceEvents {
public:
    void OutputBufferDone() noexcept override {}
    void InputBufferFull(int32_t index) noexcept override { indexes.push_back(index); }
    std::vector<int32_t> indexes; // the virtual clock runs on the test thread
};

constexpr size_t kFramesPerBuffer = kInputBufferBytes / kBytesPerFrame;

std::vector<int16_t> Counting(size_t frames)
{
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i % 30000);
    return samples;
}

TEST(WaveInDevice, ClosedDeviceIsANoOp)
{
    std::mutex lock;
    VirtualWaveIn in(lock);
    EXPECT_EQ(in.Add(0), 0);
    in.Start();
    in.Reset();
    in.Close();
    in.Advance(kFramesPerBuffer);
    EXPECT_FALSE(in.IsOpen());
}

TEST(WaveInDevice, OpeningAnOpenInputReturns0AndChangesNothing)
{
    std::mutex lock;
    InputEvents events;
    VirtualWaveIn in(lock);
    ASSERT_EQ(in.Open(&events), kDeviceOk);
    for (int i = 0; i < kInputBufferCount; ++i) {
        EXPECT_TRUE(in.IsDone(i));
        EXPECT_EQ(in.UserValue(i), uint32_t(i));
    }
    ASSERT_EQ(in.Add(4), 1);
    EXPECT_EQ(in.Open(&events), kDeviceOk);
    EXPECT_FALSE(in.IsDone(4));
    EXPECT_EQ(in.Add(4), 0) << "still with the device";
    EXPECT_EQ(in.Add(10), 0);
    EXPECT_TRUE(events.indexes.empty());
}

TEST(WaveInDevice, FillsAddedBuffersInOrderIn17640ByteBlocksOnceStarted)
{
    std::mutex lock;
    InputEvents events;
    VirtualWaveIn in(lock);
    const auto input = Counting(kFramesPerBuffer * 2 + 10);
    in.SetInput(input);
    ASSERT_EQ(in.Open(&events), kDeviceOk);
    ASSERT_EQ(in.Add(7), 1);
    ASSERT_EQ(in.Add(2), 1);
    ASSERT_EQ(in.Add(5), 1);
    in.Advance(100);
    EXPECT_EQ(in.BytesRecorded(7), 0) << "not started: captured frames are dropped";
    in.SetInput(input);
    in.Start();
    in.Advance(kFramesPerBuffer - 1);
    EXPECT_TRUE(events.indexes.empty());
    in.Advance(kFramesPerBuffer + 11);
    EXPECT_EQ(events.indexes, (std::vector<int32_t>{7, 2}));
    EXPECT_EQ(in.BytesRecorded(7), kInputBufferBytes);
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + kInputBufferBytes / 2, in.Data(7).begin()));
    EXPECT_TRUE(std::equal(input.begin() + kInputBufferBytes / 2, input.begin() + kInputBufferBytes, in.Data(2).begin()));
    EXPECT_EQ(in.BytesRecorded(5), 40) << "10 frames so far, then silence after the input's end";

    in.Reset();
    EXPECT_EQ(events.indexes, (std::vector<int32_t>{7, 2, 5}));
    EXPECT_TRUE(in.IsDone(5));
    EXPECT_EQ(in.BytesRecorded(5), 40);
    ASSERT_EQ(in.Add(5), 1);
    in.Advance(kFramesPerBuffer);
    EXPECT_EQ(in.BytesRecorded(5), 0) << "a reset stops the input";
}

TEST(WaveInDevice, FailedOpenPassesTheCodeOn)
{
    std::mutex lock;
    VirtualWaveIn in(lock);
    in.FailOpenWith(kDeviceNoDriver);
    EXPECT_EQ(in.Open(nullptr), kDeviceNoDriver);
    EXPECT_FALSE(in.IsOpen());
}

} // namespace
} // namespace bm::device
