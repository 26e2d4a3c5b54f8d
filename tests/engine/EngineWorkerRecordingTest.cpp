#include "engine/EngineWorker.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"
#include "WaitingMessagePort.h"
#include "core/Binary.h"
#include "engine/audiofile/WaveHeaderReader.h"
#include "engine/device/VirtualWaveIn.h"
#include "engine/device/VirtualWaveOut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace bm::engine {
namespace {

namespace msg = platform::msg;
using platform::Message;

constexpr size_t kBufferFrames = device::kInputBufferBytes / 4;

// The input signal: frame f holds (f % 30000 + 1, -(f % 20000) - 1), so that
// every buffer starts with its own, never silent, values.
std::vector<int16_t> Signal(size_t frames)
{
    std::vector<int16_t> samples(frames * 2);
    for (size_t f = 0; f < frames; ++f) {
        samples[2 * f] = int16_t(f % 30000 + 1);
        samples[2 * f + 1] = int16_t(-int32_t(f % 20000) - 1);
    }
    return samples;
}

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        signal = Signal(kBufferFrames * 40);
        input.SetInput(signal);
        EngineSettings settings;
        settings.temporaryFolder = temp.Path();
        worker = std::make_unique<EngineWorker>(port, source, context, output, &input, std::move(settings));
        worker->Start();
    }
    void TearDown() override
    {
        worker->Post(End{});
        EXPECT_TRUE(worker->WaitFinished(std::chrono::seconds(30)));
    }

    // Waits until the worker has handled everything posted so far.
    void Sync() { ASSERT_TRUE(port.Sync(*worker, false)); }
    void Do(EngineCommand command)
    {
        worker->Post(std::move(command));
        Sync();
    }
    // Captures `buffers` input buffers (at most the ten of the ring at a
    // time) and lets the worker take them.
    void Capture(size_t buffers)
    {
        while (buffers > 0) {
            const size_t n = std::min<size_t>(buffers, device::kInputBufferCount);
            input.Advance(n * kBufferFrames);
            m_captured += n * kBufferFrames;
            buffers -= n;
            Sync();
        }
    }
    size_t Captured() const { return m_captured; }
    // The signal's frames [first, first + count) as bytes.
    std::string SignalBytes(size_t first, size_t count) const
    {
        return std::string(reinterpret_cast<const char*>(signal.data() + first * 2), count * 4);
    }
    std::string RecordingFile() const { return temp / "rec_0000.wav"; }

    bm::test::TempDir temp;
    std::vector<int16_t> signal;
    test::WaitingMessagePort port;
    test::FakeSampleSource source;
    EngineSampleContext context;
    std::mutex deviceLock;
    device::VirtualWaveOut output{deviceLock};
    device::VirtualWaveIn input{deviceLock};
    std::unique_ptr<EngineWorker> worker;

private:
    size_t m_captured = 0;
};

// A canonical 44-byte wave header for `dataBytes`, followed by the data.
void ExpectWave(const std::string& file, const std::string& data)
{
    WaveHeaderInfo info;
    ASSERT_EQ(ReadWaveHeader(file, info), WaveHeaderResult::Accepted);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frameRate, 44100u);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, data.size());
    const std::string bytes = bm::test::ReadFile(file);
    ASSERT_EQ(bytes.size(), 44 + data.size());
    EXPECT_EQ(ReadLE32(reinterpret_cast<const uint8_t*>(bytes.data()) + 4), 36 + data.size());
    EXPECT_TRUE(bytes.compare(44, std::string::npos, data) == 0) << "the data is the captured input";
}

TEST_F(RecordingTest, WritingAppendsExactlyTheBuffersCapturedWhileOnAndRecordOnAgainStartsAFreshFile)
{
    Do(StartRecording{});
    EXPECT_EQ(worker->Mode(), kModeRecording);
    EXPECT_TRUE(input.IsOpen());
    Capture(2); // monitored only
    EXPECT_FALSE(std::filesystem::exists(RecordingFile()));

    Do(OpenRecordingFile{});
    ExpectWave(RecordingFile(), "");
    const size_t first = Captured();
    Capture(13); // more than one ring
    Do(CloseRecordingFile{});
    Capture(1); // monitored again: not in the file
    ExpectWave(RecordingFile(), SignalBytes(first, 13 * kBufferFrames));
    EXPECT_EQ(worker->Mode(), kModeRecording);

    // Record on again: the previous take is gone.
    Do(OpenRecordingFile{});
    const size_t second = Captured();
    Capture(2);
    Do(CloseRecordingFile{});
    ExpectWave(RecordingFile(), SignalBytes(second, 2 * kBufferFrames));

    Do(EndRecording{});
    EXPECT_EQ(worker->Mode(), kModeIdle);
    EXPECT_FALSE(input.IsOpen());
    EXPECT_FALSE(output.IsOpen());
    ExpectWave(RecordingFile(), SignalBytes(second, 2 * kBufferFrames)); // the file stays
}

TEST_F(RecordingTest, StartDeletesAnEarlierRecordingAndEndWhileWritingFinishesTheFile)
{
    ASSERT_TRUE(bm::test::WriteFile(RecordingFile(), "an earlier take"));
    Do(StartRecording{});
    EXPECT_FALSE(std::filesystem::exists(RecordingFile()));

    Do(OpenRecordingFile{});
    const size_t first = Captured();
    Capture(3);
    Do(EndRecording{}); // the dialog closes while writing
    Capture(1);         // the input is closed: nothing arrives
    ExpectWave(RecordingFile(), SignalBytes(first, 3 * kBufferFrames));

    // Monitoring again deletes the take, and a later buffer goes nowhere.
    Do(StartRecording{});
    EXPECT_FALSE(std::filesystem::exists(RecordingFile()));
    Capture(1);
    EXPECT_FALSE(std::filesystem::exists(RecordingFile()));
}

TEST_F(RecordingTest, PublishesTheNewestBuffersFirstFrameAndTheRecordedBytesOncePerRing)
{
    Do(StartRecording{});
    EXPECT_GT(worker->FreeSpace(), 0.0);
    Do(OpenRecordingFile{});
    Capture(1); // buffer 0
    EXPECT_EQ(worker->RecordedBytes(), uint32_t(device::kInputBufferBytes));
    EXPECT_EQ(worker->InputLeft(), signal[0]);
    EXPECT_EQ(worker->InputRight(), signal[1]);

    Capture(9); // buffers 1 ... 9: the length is not refreshed
    EXPECT_EQ(worker->RecordedBytes(), uint32_t(device::kInputBufferBytes));
    const size_t newest = 9 * kBufferFrames;
    EXPECT_EQ(worker->InputLeft(), signal[newest * 2]);
    EXPECT_EQ(worker->InputRight(), signal[newest * 2 + 1]);

    Capture(1); // buffer 0 again
    EXPECT_EQ(worker->RecordedBytes(), uint32_t(11 * device::kInputBufferBytes));
    EXPECT_GT(worker->FreeSpace(), 0.0);

    // Monitoring from the start again (while writing) clears the values
    // and ends the take: buffer 0 comes first and finds no file to write.
    Do(StartRecording{});
    EXPECT_EQ(worker->InputLeft(), 0);
    EXPECT_EQ(worker->InputRight(), 0);
    EXPECT_EQ(worker->RecordedBytes(), 0u);
    EXPECT_EQ(worker->Mode(), kModeRecording);
    Capture(1);
    EXPECT_EQ(worker->InputLeft(), signal[Captured() * 2 - kBufferFrames * 2]);
    EXPECT_EQ(worker->RecordedBytes(), 0u);
    EXPECT_FALSE(std::filesystem::exists(RecordingFile()));
}

TEST_F(RecordingTest, WithoutATemporaryFolderBuffersAreOnlyMetered)
{
    worker->SetTemporaryFolder(temp / "missing/");
    Do(StartRecording{});
    EXPECT_EQ(worker->FreeSpace(), 0.0) << "an unreadable drive has no free space";
    Do(OpenRecordingFile{});
    Capture(11);
    EXPECT_EQ(worker->InputLeft(), signal[10 * kBufferFrames * 2]);
    EXPECT_EQ(worker->RecordedBytes(), 0u);
    EXPECT_FALSE(std::filesystem::exists(temp / "missing"));
    Do(CloseRecordingFile{});
    EXPECT_EQ(worker->Mode(), kModeRecording);
}

TEST_F(RecordingTest, InputThatCannotBeOpenedStopsWithTheDeviceFailure)
{
    input.FailOpenWith(device::kDeviceBadId);
    const size_t from = port.Size();
    Do(StartRecording{});
    EXPECT_EQ(worker->Mode(), kModeIdle);
    EXPECT_FALSE(output.IsOpen());
    EXPECT_FALSE(input.IsOpen());
    bool failed = false;
    for (const auto& m : port.Numbered(msg::kPlaybackStopped, from))
        failed = failed || m.lParam == kDeviceFailed;
    EXPECT_TRUE(failed);
}

TEST_F(RecordingTest, PreviewRunsBesideRecordingAndStoppingOrWritingKeepsTheRecording)
{
    constexpr int64_t kSampleFrames = 200000; // longer than the test plays
    source.AddConstant("a.wav", kSampleFrames, 1000, -1000);
    const Preview preview{255, 0, {{"a.wav", int32_t(kSampleFrames), test::KeyFor("a.wav")}}};
    Do(StartRecording{});
    Do(Preview(preview));
    EXPECT_EQ(worker->Mode(), kModePreview | kModeRecording);
    EXPECT_EQ(output.QueuedBuffers(), 3);

    Do(Stop{});
    EXPECT_EQ(worker->Mode(), kModeRecording);
    EXPECT_TRUE(input.IsOpen());
    Capture(1);
    EXPECT_EQ(worker->InputLeft(), signal[0]) << "the input still runs";

    Do(Preview(preview));
    EXPECT_EQ(worker->Mode(), kModePreview | kModeRecording);
    const size_t from = port.Size();
    Do(OpenRecordingFile{}); // writing stops the preview first
    EXPECT_EQ(worker->Mode(), kModeRecording);
    const auto stopped = port.Numbered(msg::kPlaybackStopped, from);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].wParam, kModePreview | kModeRecording);
    const size_t first = Captured();
    Capture(2);

    // Ending the recording while a preview plays leaves the preview.
    Do(CloseRecordingFile{});
    Do(Preview(preview));
    Do(EndRecording{});
    EXPECT_EQ(worker->Mode(), kModePreview);
    EXPECT_FALSE(input.IsOpen());
    EXPECT_TRUE(output.IsOpen());
    ExpectWave(RecordingFile(), SignalBytes(first, 2 * kBufferFrames));
}

} // namespace
} // namespace bm::engine
