#include "engine/EngineWorker.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"
#include "WaitingMessagePort.h"
#include "engine/device/VirtualWaveIn.h"
#include "engine/device/VirtualWaveOut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace bm::engine {
namespace {

namespace msg = platform::msg;
using platform::Message;

class EngineWorkerTest : public ::testing::Test {
protected:
    void StartWorker(device::VirtualClock clock = device::VirtualClock::Manual)
    {
        output = std::make_unique<device::VirtualWaveOut>(deviceLock, clock);
        output->KeepPlayed(true);
        EngineSettings settings;
        settings.temporaryFolder = temp.Path();
        worker = std::make_unique<EngineWorker>(port, source, context, *output, &input, std::move(settings));
        worker->Start();
    }

    void TearDown() override
    {
        if (worker) {
            worker->Post(End{});
            EXPECT_TRUE(worker->WaitFinished(std::chrono::seconds(30)));
        }
    }

    // Waits until the worker has handled everything posted so far and gone idle.
    void Sync() { ASSERT_TRUE(port.Sync(*worker)); }

    // The song on both sides: posted to the worker and mirrored for a
    // direct render.
    void LoadSong(int32_t measures, int32_t m, int32_t perBar)
    {
        worker->Post(SetTempo{m, perBar});
        worker->Post(InsertMeasures{0, measures});
        mirror = test::MakeSong(measures, m, perBar);
        for (int ch = 0; ch < kChannels; ++ch)
            worker->Post(SetChannelGain{ch, 100});
    }
    void Place(int32_t measure, int ch, const std::string& path, int32_t start, int32_t length, int32_t reverse = 0)
    {
        worker->Post(SetSlot{measure, ch, start, length, reverse, test::KeyFor(path), path});
        test::Place(mirror, measure, ch, path, start, length, reverse);
    }
    void AddConstant(const std::string& path, int64_t frames, int16_t left, int16_t right)
    {
        source.AddConstant(path, frames, left, right);
        mirrorSource.AddConstant(path, frames, left, right);
    }
    void AddRamp(const std::string& path, int64_t frames, int32_t base)
    {
        source.AddRamp(path, frames, base);
        mirrorSource.AddRamp(path, frames, base);
    }

    // Plays buffer by buffer until playback stops; returns what was played.
    std::vector<int16_t> PlayToTheEnd(size_t from, int maxBuffers = 100)
    {
        for (int i = 0; i < maxBuffers; ++i) {
            if (!port.Numbered(msg::kPlaybackStopped, from).empty())
                break;
            output->CompleteNext();
            Sync();
        }
        return output->TakePlayed();
    }

    std::vector<int16_t> DirectRender(int32_t first, int32_t count)
    {
        SongRenderer renderer(mirrorSource);
        std::vector<int16_t> out(size_t(count) * size_t(mirror.samplesPerMeasure) * 2);
        renderer.Render(mirror, first, count, kUnitGain, out.data());
        return out;
    }

    bm::test::TempDir temp;
    test::WaitingMessagePort port;
    test::FakeSampleSource source;
    test::FakeSampleSource mirrorSource;
    EngineSong mirror;
    EngineSampleContext context;
    std::mutex deviceLock;
    std::unique_ptr<device::VirtualWaveOut> output;
    device::VirtualWaveIn input{deviceLock};
    std::unique_ptr<EngineWorker> worker;
};

struct BufferCase {
    int32_t samplesPerMeasure;
    int32_t bufferBytes;
};

class PlaybackBufferSize : public EngineWorkerTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(PlaybackBufferSize, HoldsTheWholeMeasuresThatFitIn20000Frames)
{
    StartWorker();
    LoadSong(12, GetParam().samplesPerMeasure, 1);
    worker->Post(PlaySong{255, 0});
    Sync();
    EXPECT_EQ(output->BufferBytes(), GetParam().bufferBytes);
    EXPECT_EQ(output->QueuedBuffers(), 3);
}

INSTANTIATE_TEST_SUITE_P(EngineWorker, PlaybackBufferSize,
                         ::testing::Values(BufferCase{20352, 81408}, BufferCase{5000, 80000}, BufferCase{30000, 120000},
                                           BufferCase{6666, 79992}));

class SongPlayback : public EngineWorkerTest {
protected:
    static constexpr int32_t kM = 20352;
    void SetUp() override
    {
        StartWorker();
        LoadSong(5, kM, 1);
        for (int32_t m = 0; m < 5; ++m) {
            const std::string path = "m" + std::to_string(m) + ".wav";
            AddConstant(path, kM, int16_t(1000 * (m + 1)), int16_t(-1000 * (m + 1)));
            Place(m, 0, path, 0, kM);
        }
        Sync();
    }
    // Which measure each played measure was, from its middle frame.
    static std::vector<int> MeasuresIn(const std::vector<int16_t>& played)
    {
        std::vector<int> measures;
        for (size_t frame = kM / 2; frame * 2 < played.size(); frame += kM)
            measures.push_back(int(std::lround(played[frame * 2] * 32768.0 / 32767.0 / 1000.0)) - 1);
        return measures;
    }
};

TEST_F(SongPlayback, WithoutLoopEndsAfterTheLastMeasure)
{
    const size_t from = port.Size();
    worker->Post(PlaySong{200, 3});
    Sync();
    EXPECT_EQ(output->QueuedBuffers(), 2) << "measures 3 and 4; the jump back to 0 ends it";
    const auto started = port.Numbered(msg::kPlaybackStarted, from);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].wParam, kModeSong);
    EXPECT_EQ(worker->DeviceVolume(), 200);
    output->SetRawVolume(0xFFFFFFFFu); // full level, so the measures can be told by their value
    const auto played = PlayToTheEnd(from);
    EXPECT_EQ(MeasuresIn(played), (std::vector<int>{3, 4}));
    const auto stopped = port.Numbered(msg::kPlaybackStopped, from);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].wParam, kModeSong);
    EXPECT_EQ(stopped[0].lParam, 0);
    EXPECT_FALSE(output->IsOpen());
    EXPECT_EQ(worker->Mode(), kModeIdle);
}

TEST_F(SongPlayback, WithLoopContinuesAtMeasure0)
{
    worker->Post(LoopOn{});
    const size_t from = port.Size();
    worker->Post(PlaySong{255, 3});
    Sync();
    for (int i = 0; i < 5; ++i) {
        output->CompleteNext();
        Sync();
    }
    EXPECT_EQ(MeasuresIn(output->TakePlayed()), (std::vector<int>{3, 4, 0, 1, 2}));
    EXPECT_TRUE(port.Numbered(msg::kPlaybackStopped, from).empty());
    worker->Post(Stop{});
    Sync();
    EXPECT_FALSE(output->IsOpen());
}

TEST_F(SongPlayback, JumpPairsSetTheSuccessors)
{
    // Loop pair (4, 1): measure 4 on and those before 1 go to 1; pair (1, 3):
    // measure 1 goes to 3 (from <= j < to - 1).
    worker->Post(LoopOn{});
    worker->Post(PlaySongWithJumps{255, 0, {{4, 1}, {1, 3}}});
    Sync();
    for (int i = 0; i < 5; ++i) {
        output->CompleteNext();
        Sync();
    }
    EXPECT_EQ(MeasuresIn(output->TakePlayed()), (std::vector<int>{0, 1, 3, 4, 1}));
}

TEST_F(SongPlayback, PositionFollowsTheMeasuresBeingHeard)
{
    EXPECT_EQ(worker->Position(), -1);
    worker->Post(PlaySong{255, 3});
    Sync();
    output->Advance(100);
    EXPECT_EQ(worker->Position(), 3 * kM + 100);
    output->Advance(kM);
    EXPECT_EQ(worker->Position(), 4 * kM + 100);
    EXPECT_EQ(worker->Position(), 4 * kM + 100) << "asking again is stable";
    output->Advance(kM);
    EXPECT_EQ(worker->Position(), -1) << "after the end nothing is being heard";
}

TEST_F(SongPlayback, SpectrumIsZeroWhenStoppedAndShowsWhatIsHeard)
{
    EXPECT_EQ(worker->Spectrum(0), dsp::SpectrumAnalyser::Bands{});
    worker->Post(PlaySong{255, 0});
    Sync();
    const auto bands = worker->Spectrum(0);
    EXPECT_GT(bands[0], 0) << "a constant level shows in the lowest band";
    worker->Post(Stop{});
    Sync();
    EXPECT_EQ(worker->Spectrum(0), dsp::SpectrumAnalyser::Bands{});
}

TEST_F(SongPlayback, ADeviceThatCannotOpenEndsTheStart)
{
    output->FailOpenWith(device::kDeviceBadId);
    const size_t from = port.Size();
    worker->Post(PlaySong{255, 0});
    Sync();
    const auto stopped = port.Numbered(msg::kPlaybackStopped, from);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].wParam, 0);
    EXPECT_EQ(stopped[0].lParam, kDeviceFailed);
    EXPECT_TRUE(port.Numbered(msg::kPlaybackStarted, from).empty());
    EXPECT_EQ(worker->Mode(), kModeIdle);
}

TEST_F(SongPlayback, StartingAgainWhilePlayingResetsTheDevice)
{
    worker->Post(PlaySong{255, 0});
    Sync();
    const size_t from = port.Size();
    worker->Post(PlaySong{255, 2});
    Sync();
    const int64_t restart = port.WaitFor([](const Message& m) { return m.number == msg::kPlaybackStopped; }, from);
    ASSERT_GE(restart, 0);
    const auto stopped = port.Numbered(msg::kPlaybackStopped, from);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].wParam, kModeSong);
    EXPECT_EQ(stopped[0].lParam, kModeSong);
    EXPECT_EQ(output->OpenCount(), 1);
    EXPECT_TRUE(output->TakePlayed().empty()) << "the reset dropped the first start's buffers";
    const auto played = PlayToTheEnd(size_t(restart) + 1);
    EXPECT_EQ(MeasuresIn(played), (std::vector<int>{2, 3, 4}));
}

TEST_F(EngineWorkerTest, PreviewOfSixEmptyPathsDoesNotOpenTheDevice)
{
    StartWorker();
    Preview preview{255, 0, {}};
    for (int i = 0; i < kPreviewEntries; ++i)
        preview.entries.push_back({"", 5000, SampleRef::Make(1, i, 0, 0, 0, 0)});
    const size_t from = port.Size();
    worker->Post(preview);
    Sync();
    EXPECT_EQ(output->OpenCount(), 0);
    EXPECT_TRUE(port.Numbered(msg::kPlaybackStarted, from).empty());
    EXPECT_TRUE(port.Numbered(msg::kSampleLength, from).empty());
}

TEST_F(EngineWorkerTest, PreviewPlaysEachEntryOnceOneAfterAnother)
{
    StartWorker();
    LoadSong(1, 5000, 4); // playback buffers of 20 000 frames
    AddRamp("a.wav", 15000, 1);
    AddRamp("b.wav", 10000, 20001);
    Sync();
    const size_t from = port.Size();
    worker->Post(Preview{128, 1, {{"a.wav", 999, test::KeyFor("a.wav")}, {"", 0, {}}, {"b.wav", 0, test::KeyFor("b.wav")}}});
    Sync();
    // The true lengths are reported, last entry first.
    const auto lengths = port.Numbered(msg::kSampleLength, from);
    ASSERT_EQ(lengths.size(), 2u);
    EXPECT_EQ(lengths[0].lParam, 10000);
    EXPECT_EQ(std::get<SampleRef>(lengths[0].payload), test::KeyFor("b.wav"));
    EXPECT_EQ(lengths[1].lParam, 15000);
    EXPECT_EQ(worker->Mode(), kModePreview);
    EXPECT_EQ(output->QueuedBuffers(), 2) << "25 000 frames fill two buffers";
    output->SetRawVolume(0xFFFFFFFFu);
    output->Advance(123);
    EXPECT_EQ(worker->Position(), 123) << "preview positions are device frames";
    const auto played = PlayToTheEnd(from);
    ASSERT_EQ(played.size(), size_t(40000) * 2);
    // Reversed: a's last frame (value 15000) first, then b's from 30000 down.
    EXPECT_EQ(played[0], 15000);
    EXPECT_EQ(played[size_t(14999) * 2], 1);
    EXPECT_EQ(played[size_t(15000) * 2], 30000);
    EXPECT_EQ(played[size_t(24999) * 2], 20001);
    EXPECT_EQ(played[size_t(25000) * 2], 0);
    EXPECT_EQ(port.Numbered(msg::kPlaybackStopped, from).size(), 1u);
}

TEST_F(EngineWorkerTest, EndToEndPlaybackEqualsADirectRender)
{
    StartWorker();
    constexpr int32_t m = 5000; // four measures per playback buffer
    LoadSong(10, m, 2);
    AddRamp("ramp.wav", 12000, -3000);
    AddConstant("pad.wav", 25000, 9000, -7000);
    AddRamp("short.wav", 700, 100);
    Place(0, 0, "ramp.wav", 0, 12000);
    Place(2, 0, "pad.wav", 150, 25000);
    Place(1, 3, "short.wav", 4900, 700, 1);
    Place(5, 3, "ramp.wav", 1000, 12000, 1);
    Place(3, 7, "pad.wav", 0, 25000);
    Place(9, 11, "short.wav", 4000, 700);
    worker->Post(SetChannelGain{7, 180});
    mirror.channelGain[7] = 180;
    const std::vector<std::tuple<int, int, int, int>> points = {
        {0, 0, 0, -32768}, {0, 0, 9000, 32767}, {0, 0, 30000, 1000}, {3, 1, 2000, 20000}, {3, 1, 40000, -30000}, {7, 0, 17000, 0}};
    for (const auto& [ch, kind, position, value] : points) {
        auto& envelope = mirror.envelopes[size_t(ch)][size_t(kind)];
        worker->Post(InsertEnvelopePoint{ch, kind, int32_t(envelope.size()), position, value});
        envelope.push_back({position, value});
    }
    Sync();
    const size_t from = port.Size();
    worker->Post(PlaySong{255, 0});
    Sync();
    const auto played = PlayToTheEnd(from);
    const auto expected = DirectRender(0, 10);
    ASSERT_EQ(played.size(), size_t(12) * m * 2) << "three buffers of four measures";
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    EXPECT_TRUE(std::all_of(played.begin() + ptrdiff_t(expected.size()), played.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(EngineWorkerTest, ImmediateClockPlaysTheWholeSongAsFastAsItRenders)
{
    StartWorker(device::VirtualClock::Immediate);
    LoadSong(6, 20352, 8);
    AddRamp("r.wav", 100000, 7);
    Place(0, 2, "r.wav", 10, 100000);
    Place(4, 5, "r.wav", 300, 100000);
    Sync();
    const size_t from = port.Size();
    worker->Post(PlaySong{255, 0});
    ASSERT_GE(port.WaitFor([](const Message& m) { return m.number == msg::kPlaybackStopped; }, from), 0);
    Sync();
    const auto played = output->TakePlayed();
    EXPECT_EQ(played, DirectRender(0, 6));
}

TEST_F(EngineWorkerTest, SlotChangesInvalidateTheMeasuresTheSampleReachesAndRebuildTheCache)
{
    StartWorker();
    LoadSong(8, 1000, 2);
    AddConstant("a.wav", 2500, 1, 1);
    Sync();
    size_t from = port.Size();
    Place(2, 4, "a.wav", 700, 2500); // reaches ceil(3200 / 1000) = 4 measures
    Sync();
    auto invalidated = port.Numbered(msg::kMeasuresInvalidated, from);
    ASSERT_EQ(invalidated.size(), 1u);
    EXPECT_EQ(invalidated[0].wParam, 2);
    EXPECT_EQ(invalidated[0].lParam, 4);
    EXPECT_NE(context.memoryCache.Find("a.wav"), nullptr);
    EXPECT_EQ(context.barSpan, 2000);

    from = port.Size();
    worker->Post(SetChannelGain{4, 0});
    worker->Post(SetSlot{6, 4, 0, 2500, 0, test::KeyFor("a.wav"), "a.wav"});
    Sync();
    invalidated = port.Numbered(msg::kMeasuresInvalidated, from);
    ASSERT_EQ(invalidated.size(), 1u) << "the gain change marks, the slot on a silent channel does not";
    EXPECT_EQ(invalidated[0].wParam, 2);
    EXPECT_EQ(context.memoryCache.Size(), 0u) << "no channel with a gain uses it any more";
}

TEST_F(EngineWorkerTest, EnvelopeChangesMarkTheSlotsBetweenTheNeighbours)
{
    StartWorker();
    LoadSong(10, 1000, 1);
    AddConstant("a.wav", 1000, 1, 1);
    for (int32_t measure = 0; measure < 10; ++measure)
        Place(measure, 1, "a.wav", 0, 1000);
    worker->Post(InsertEnvelopePoint{1, 0, 0, 0, 5});
    worker->Post(InsertEnvelopePoint{1, 0, 1, 3500, 5});
    worker->Post(InsertEnvelopePoint{1, 0, 2, 6500, 5});
    Sync();
    size_t from = port.Size();
    worker->Post(SetEnvelopePoint{1, 0, 1, 3500, 5});
    Sync();
    EXPECT_TRUE(port.Numbered(msg::kMeasuresInvalidated, from).empty()) << "all three alike: nothing changes";

    worker->Post(SetEnvelopePoint{1, 0, 1, 3500, 900});
    Sync();
    auto invalidated = port.Numbered(msg::kMeasuresInvalidated, from);
    ASSERT_EQ(invalidated.size(), 1u);
    EXPECT_EQ(invalidated[0].wParam, 0);
    EXPECT_EQ(invalidated[0].lParam, 7) << "frames 1 ... 6499: measures 0 to 6";

    from = port.Size();
    worker->Post(SetEnvelopePoint{1, 0, 2, 6500, 40});
    Sync();
    invalidated = port.Numbered(msg::kMeasuresInvalidated, from);
    ASSERT_EQ(invalidated.size(), 1u);
    EXPECT_EQ(invalidated[0].wParam, 3);
    EXPECT_EQ(invalidated[0].lParam, 7) << "the last point holds to the song's end";

    from = port.Size();
    worker->Post(SetChannelGain{2, 0});
    worker->Post(InsertEnvelopePoint{2, 1, 0, 100, 3000});
    worker->Post(DeleteEnvelopePoint{1, 0, 1});
    Sync();
    invalidated = port.Numbered(msg::kMeasuresInvalidated, from);
    ASSERT_EQ(invalidated.size(), 1u) << "a channel without gain marks nothing";
    EXPECT_EQ(invalidated[0].wParam, 0);
    EXPECT_EQ(invalidated[0].lParam, 7);
}

TEST_F(EngineWorkerTest, SwapFilePreRendersAndPlaybackReadsIt)
{
    std::filesystem::create_directories(temp.Path());
    ASSERT_TRUE(bm::test::WriteFile(temp / "temp_000.wav", "someone's"));
    StartWorker();
    constexpr int32_t m = 4000;
    LoadSong(6, m, 2);
    AddRamp("r.wav", 9000, 11);
    Place(0, 0, "r.wav", 0, 9000);
    Place(3, 6, "r.wav", 2000, 9000, 1);
    Sync();
    size_t from = port.Size();
    worker->Post(SwitchSwap{1});
    Sync();
    const auto switched = port.Numbered(msg::kSwapSwitched, from);
    ASSERT_EQ(switched.size(), 1u);
    EXPECT_EQ(switched[0].wParam, 1);
    EXPECT_EQ(switched[0].lParam, 0);
    const std::string swapPath = temp / "temp_001.wav";
    ASSERT_TRUE(std::filesystem::exists(swapPath)) << "temp_000.wav was taken";
    int32_t prerendered = 0;
    for (const auto& message : port.Numbered(msg::kMeasuresPrerendered, from))
        prerendered += int32_t(message.lParam);
    EXPECT_EQ(prerendered, 6);
    EXPECT_EQ(std::filesystem::file_size(swapPath), 44u + 6u * m * 4);
    const std::string bytes = bm::test::ReadFile(swapPath);
    const auto expected = DirectRender(0, 6);
    EXPECT_EQ(std::memcmp(bytes.data() + 44, expected.data(), expected.size() * 2), 0);

    from = port.Size();
    worker->Post(SetSwapSize{int32_t(8 * m * 4), 77});
    Sync();
    auto sized = port.Numbered(msg::kSwapSizeSet, from);
    ASSERT_EQ(sized.size(), 1u);
    EXPECT_EQ(sized[0].wParam, 1);
    EXPECT_EQ(sized[0].lParam, 77);
    EXPECT_EQ(std::filesystem::file_size(swapPath), 44u + 8u * m * 4);

    from = port.Size();
    worker->Post(PlaySong{255, 0});
    Sync();
    const auto played = PlayToTheEnd(from);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
    for (const auto& state : port.Numbered(msg::kWorkerState, from))
        EXPECT_NE(state.wParam, 2) << "measures come from the swap file: nothing is rendered";

    from = port.Size();
    worker->Post(SwitchSwap{0});
    Sync();
    EXPECT_FALSE(std::filesystem::exists(swapPath));
    EXPECT_TRUE(std::filesystem::exists(temp / "temp_000.wav"));
    const auto off = port.Numbered(msg::kSwapSwitched, from);
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0].lParam, 0);
    worker->Post(SetSwapSize{100, 5});
    Sync();
    sized = port.Numbered(msg::kSwapSizeSet, from);
    ASSERT_EQ(sized.size(), 1u);
    EXPECT_EQ(sized[0].wParam, 1) << "no swap file: 1";
}

TEST_F(EngineWorkerTest, SwapFileThatCannotBeCreatedReportsMinus1)
{
    StartWorker();
    worker->SetTemporaryFolder(temp / "missing/folder/");
    const size_t from = port.Size();
    worker->Post(SwitchSwap{1});
    Sync();
    const auto switched = port.Numbered(msg::kSwapSwitched, from);
    ASSERT_EQ(switched.size(), 1u);
    EXPECT_EQ(switched[0].lParam, -1);
}

TEST_F(EngineWorkerTest, EndClosesEverythingAndSetsTheFinishedEvent)
{
    StartWorker();
    LoadSong(2, 1000, 1);
    AddConstant("a.wav", 3000, 5, 5);
    Place(0, 0, "a.wav", 0, 3000);
    worker->Post(SwitchSwap{1});
    worker->Post(PlaySong{255, 0});
    Sync();
    ASSERT_TRUE(std::filesystem::exists(temp / "temp_000.wav"));
    worker->Post(End{});
    EXPECT_TRUE(worker->WaitFinished(std::chrono::seconds(30)));
    EXPECT_FALSE(output->IsOpen());
    EXPECT_FALSE(std::filesystem::exists(temp / "temp_000.wav"));
    EXPECT_EQ(context.memoryCache.Size(), 0u);
    worker.reset();
}

TEST_F(SongPlayback, HoldWhilePlayingKeepsFeedingTheDeviceButHoldsPreRendering)
{
    worker->Post(SwitchSwap{1});
    Sync();
    worker->Post(PlaySong{255, 0});
    Sync();
    // Neither of these is urgent, so nothing below releases the hold early
    // (Sync() would: its idle report is urgent).
    const size_t from = port.Size();
    worker->Post(HoldBackground{});
    worker->Post(SetChannelGain{0, 50}); // every measure must be rendered again
    const int64_t marked = port.WaitFor([](const Message& m) { return m.number == msg::kMeasuresInvalidated; }, from);
    ASSERT_GE(marked, 0);
    ASSERT_GE(port.WaitFor([](const Message& m) { return m.number == msg::kWorkerState && m.lParam == 1; },
                           size_t(marked) + 1),
              0);
    output->CompleteNext();
    const int64_t rendered =
        port.WaitFor([](const Message& m) { return m.number == msg::kWorkerState && m.lParam == 2; }, size_t(marked));
    ASSERT_GE(rendered, 0) << "the returned buffer is refilled at once";
    ASSERT_GE(port.WaitFor([](const Message& m) { return m.number == msg::kWorkerState && m.lParam == 1; },
                           size_t(rendered) + 1),
              0);
    EXPECT_EQ(output->QueuedBuffers(), 3);
    EXPECT_TRUE(port.Numbered(msg::kMeasuresPrerendered, from).empty()) << "pre-rendering is held";
    Sync(); // urgent: ends the hold
    EXPECT_FALSE(port.Numbered(msg::kMeasuresPrerendered, from).empty());
}

TEST_F(EngineWorkerTest, WorkerReportsWakingAndIdling)
{
    StartWorker();
    Sync();
    ASSERT_GE(port.WaitFor([](const Message& m) { return m.number == msg::kWorkerState && m.lParam == 1; }), 0);
    const auto states = port.Numbered(msg::kWorkerState);
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states.front().wParam, 1);
    EXPECT_EQ(states.front().lParam, 0);
    EXPECT_EQ(states.back().wParam, 0);
    EXPECT_EQ(states.back().lParam, 1);
}

} // namespace
} // namespace bm::engine
