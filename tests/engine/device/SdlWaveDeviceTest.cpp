#include "engine/device/SdlWaveIn.h"
#include "engine/device/SdlWaveOut.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace bm::device {
namespace {

using test::ScopedEnv;

// Completions arrive on SDL's thread; the test waits for them.
class WaitingEvents : public DeviceEvents {
public:
    void OutputBufferDone() noexcept override
    {
        std::lock_guard lock(m_mutex);
        ++m_output;
        m_changed.notify_all();
    }
    void InputBufferFull(int32_t index) noexcept override
    {
        std::lock_guard lock(m_mutex);
        if (m_inputCount < int(m_inputs.size()))
            m_inputs[size_t(m_inputCount)] = index;
        ++m_inputCount;
        m_changed.notify_all();
    }
    // A generous safety limit only; the tests never measure time.
    bool WaitOutputs(int n)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_output >= n; });
    }
    bool WaitInputs(int n)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_inputCount >= n; });
    }
    int FirstInput()
    {
        std::lock_guard lock(m_mutex);
        return m_inputs[0];
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_output = 0;
    int m_inputCount = 0;
    std::array<int, 32> m_inputs{};
};

constexpr int32_t kFrames = 2000;

std::vector<int16_t> Signal(int seed)
{
    std::vector<int16_t> samples(kFrames * 2);
    for (int i = 0; i < kFrames * 2; ++i)
        samples[size_t(i)] = int16_t(((i * 37 + seed * 1000) % 20000) + 1); // never 0
    return samples;
}

TEST(SdlWaveOut, DummyDriverPlaysEveryWrittenBufferAndCountsItsFrames)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    std::mutex lock;
    WaitingEvents events;
    SdlWaveOut out(lock);
    ASSERT_EQ(out.Open(&events, kFrames * kBytesPerFrame), kDeviceOk);
    EXPECT_EQ(out.Open(&events, kFrames * kBytesPerFrame), kDeviceOk);
    EXPECT_EQ(out.SetVolume(128), 128);
    for (int i = 0; i < kOutputBufferCount; ++i)
        ASSERT_EQ(out.Send(i, Signal(i)), 1);
    ASSERT_TRUE(events.WaitOutputs(3));
    int64_t position = 0;
    ASSERT_EQ(out.GetPosition(position), kDeviceOk);
    EXPECT_EQ(position, 3 * kFrames) << "silence after the last buffer is not counted";
    for (int i = 0; i < kOutputBufferCount; ++i)
        EXPECT_TRUE(out.IsDone(i));
    out.Close();
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.GetVolume(), -1);
}

TEST(SdlWaveOut, CloseWhileBuffersAreQueuedReturnsThem)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    std::mutex lock;
    WaitingEvents events;
    SdlWaveOut out(lock);
    ASSERT_EQ(out.Open(&events, 44100 * kBytesPerFrame), kDeviceOk); // one second each
    for (int i = 0; i < kOutputBufferCount; ++i)
        ASSERT_EQ(out.Write(i), 1);
    out.Close();
    EXPECT_TRUE(events.WaitOutputs(3));
}

TEST(SdlWaveOut, DiskDriverWritesExactlyWhatWasQueued)
{
    test::TempDir dir;
    const std::string file = dir / "played.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv target("SDL_DISKAUDIOFILE", file);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "2");
    std::mutex lock;
    WaitingEvents events;
    SdlWaveOut out(lock);
    // Buffers of 10 × 2000 frames take about 40 ms each at this pace, far
    // longer than queueing the next one.
    constexpr int kRepeats = 10;
    ASSERT_EQ(out.Open(&events, kRepeats * kFrames * kBytesPerFrame), kDeviceOk);
    std::vector<int16_t> expected;
    for (int i = 0; i < kOutputBufferCount; ++i) {
        std::vector<int16_t> signal;
        for (int k = 0; k < kRepeats; ++k) {
            const auto part = Signal(i + k);
            signal.insert(signal.end(), part.begin(), part.end());
        }
        expected.insert(expected.end(), signal.begin(), signal.end());
        ASSERT_EQ(out.Send(i, signal), 1);
    }
    ASSERT_TRUE(events.WaitOutputs(3));
    out.Close();

    const std::string bytes = test::ReadFile(file);
    std::vector<int16_t> written(bytes.size() / 2);
    std::memcpy(written.data(), bytes.data(), written.size() * 2);
    // The device starts before the first buffer is written, so the file may
    // begin with silence, and on a busy machine (or under a sanitizer) it may
    // play silence between two buffers when the next one came late. The
    // signal itself is never 0, so without the silence it must be exactly
    // what was queued, in order.
    std::vector<int16_t> heard;
    std::copy_if(written.begin(), written.end(), std::back_inserter(heard), [](int16_t v) { return v != 0; });
    ASSERT_GE(heard.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin()));
}

TEST(SdlWaveIn, DiskDriverCapturesTheInputFileIn17640ByteBuffers)
{
    test::TempDir dir;
    const std::string file = dir / "input.raw";
    // Long enough that SDL is still reading it when the input starts.
    std::vector<int16_t> input(size_t(kSampleRate) * 2 * 10);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = int16_t(i * 7);
    ASSERT_TRUE(test::WriteFile(file, std::string(reinterpret_cast<const char*>(input.data()), input.size() * 2)));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv source("SDL_DISKAUDIOFILEIN", file);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "2");
    std::mutex lock;
    WaitingEvents events;
    SdlWaveIn in(lock);
    ASSERT_EQ(in.Open(&events), kDeviceOk);
    ASSERT_EQ(in.Add(3), 1);
    in.Start();
    ASSERT_TRUE(events.WaitInputs(1));
    EXPECT_EQ(events.FirstInput(), 3);
    EXPECT_EQ(in.BytesRecorded(3), kInputBufferBytes);
    // Capture may have begun before Start(); the block is a contiguous run
    // of the file.
    const auto data = in.Data(3);
    const auto at = std::search(input.begin(), input.end(), data.begin(), data.begin() + 64);
    ASSERT_NE(at, input.end());
    const size_t offset = size_t(at - input.begin());
    ASSERT_LE(offset + data.size(), input.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), input.begin() + ptrdiff_t(offset)));
    in.Close();
}

} // namespace
} // namespace bm::device
