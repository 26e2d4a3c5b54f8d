// The worker's export: the measures it walks, the progress it reports, the
// normalising gain, the fades, the file it leaves (or does not leave) behind.

#include "engine/EngineWorker.h"
#include "engine/ExportAudio.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"
#include "WaitingMessagePort.h"
#include "core/Binary.h"
#include "engine/device/VirtualWaveOut.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>

namespace bm::engine {
namespace {

namespace msg = platform::msg;
using platform::Message;

constexpr ExportReceiver kReceiver = 0x5150;
constexpr int64_t kFailed = 3;
constexpr int64_t kCancelled = 4;
constexpr int64_t kFinished = 5;

struct WaveFile {
    std::string header; // the first 44 bytes
    std::vector<int16_t> samples;
};

WaveFile ReadWave(const std::string& path)
{
    const std::string bytes = bm::test::ReadFile(path);
    WaveFile wave;
    wave.header = bytes.substr(0, 44);
    if (bytes.size() > 44) {
        wave.samples.resize((bytes.size() - 44) / 2);
        std::memcpy(wave.samples.data(), bytes.data() + 44, wave.samples.size() * 2);
    }
    return wave;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Holds the worker inside the open of one sample until released, so a test
// can queue commands at a known point of an export.
class GatedSource : public test::FakeSampleSource {
public:
    std::unique_ptr<SampleReader> Open(const std::string& path, int64_t span, const SampleRef& key) override
    {
        {
            std::unique_lock lock(m_mutex);
            if (path == m_gate) {
                m_gate.clear();
                m_blocked = true;
                m_changed.notify_all();
                m_changed.wait(lock, [&] { return !m_blocked; });
            }
        }
        return FakeSampleSource::Open(path, span, key);
    }
    void Arm(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        m_gate = path;
    }
    bool WaitBlocked()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_blocked; });
    }
    void Release()
    {
        std::lock_guard lock(m_mutex);
        m_blocked = false;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_gate;
    bool m_blocked = false;
};

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        output = std::make_unique<device::VirtualWaveOut>(deviceLock);
        EngineSettings settings;
        settings.temporaryFolder = swapFolder.Path();
        worker = std::make_unique<EngineWorker>(port, source, context, *output, nullptr, std::move(settings));
        worker->Start();
    }

    void TearDown() override
    {
        if (!worker)
            return;
        worker->Post(End{});
        EXPECT_TRUE(worker->WaitFinished(std::chrono::seconds(30)));
    }

    void Sync() { ASSERT_TRUE(port.Sync(*worker)); }

    // A song of `measures` measures of length m, measure k holding on
    // channel 0 a constant sample (value(k), -value(k)) one measure long.
    void LoadSong(int32_t measures, int32_t m, const std::function<int16_t(int32_t)>& value)
    {
        worker->Post(SetTempo{m, 1});
        worker->Post(InsertMeasures{0, measures});
        mirror = test::MakeSong(measures, m, 1);
        for (int ch = 0; ch < kChannels; ++ch)
            worker->Post(SetChannelGain{ch, 100});
        for (int32_t k = 0; k < measures; ++k) {
            const std::string path = "m" + std::to_string(k) + ".wav";
            const int16_t v = value(k);
            source.AddConstant(path, m, v, int16_t(-v));
            mirrorSource.AddConstant(path, m, v, int16_t(-v));
            worker->Post(SetSlot{k, 0, 0, m, 0, test::KeyFor(path), path});
            test::Place(mirror, k, 0, path, 0, m);
        }
        Sync();
    }

    // The measures as the export should write them: each rendered alone at
    // `gain`, one after another.
    std::vector<int16_t> Expected(const std::vector<int32_t>& measures, int64_t gain)
    {
        SongRenderer renderer(mirrorSource);
        const size_t m = size_t(mirror.samplesPerMeasure);
        std::vector<int16_t> out(measures.size() * m * 2);
        for (size_t i = 0; i < measures.size(); ++i)
            renderer.Render(mirror, measures[i], 1, gain, out.data() + i * m * 2);
        return out;
    }

    ExportJob Job(const std::string& name, int32_t first, int32_t count, std::vector<JumpPair> jumps = {})
    {
        ExportJob job;
        job.receiver = kReceiver;
        job.outputPath = out / name;
        job.firstMeasure = first;
        job.count = count;
        job.jumps = std::move(jumps);
        return job;
    }

    // Starts the job and waits for its outcome (kind 3, 4 or 5).
    int64_t Export(ExportJob job)
    {
        const size_t from = port.Size();
        worker->Post(StartExport{std::move(job)});
        return Outcome(from);
    }
    int64_t Outcome(size_t from)
    {
        const int64_t at = port.WaitFor(
            [](const Message& m) { return m.number == msg::kExportProgress && m.wParam >= kFailed; }, from);
        return at < 0 ? -1 : port.Snapshot()[size_t(at)].wParam;
    }

    // The values of the export messages of one kind, from index `from`.
    std::vector<int64_t> Progress(int64_t kind, size_t from = 0) const
    {
        std::vector<int64_t> values;
        for (const Message& m : port.Numbered(msg::kExportProgress, from)) {
            if (m.wParam == kind)
                values.push_back(m.lParam);
        }
        return values;
    }

    ExportSummary Summary() const
    {
        for (const Message& m : port.Numbered(msg::kExportProgress)) {
            if (m.wParam == kFinished && std::holds_alternative<std::string>(m.payload))
                return ParseExportSummary(std::get<std::string>(m.payload)).value_or(ExportSummary{});
        }
        return {};
    }

    bm::test::TempDir swapFolder;
    bm::test::TempDir out;
    test::WaitingMessagePort port;
    GatedSource source;
    test::FakeSampleSource mirrorSource;
    EngineSong mirror;
    EngineSampleContext context;
    std::mutex deviceLock;
    std::unique_ptr<device::VirtualWaveOut> output;
    std::unique_ptr<EngineWorker> worker;
};

int16_t Loud(int32_t k) { return int16_t(1000 * (k + 1)); }

TEST_F(ExportTest, OneRegionWritesItsMeasuresWithProgressInBothStages)
{
    constexpr int32_t kM = 1000;
    LoadSong(10, kM, Loud);
    const size_t from = port.Size();
    source.Arm("m5.wav");
    worker->Post(StartExport{Job("region.wav", 4, 4, {{7, 10}})});
    ASSERT_TRUE(source.WaitBlocked()); // in the scan of measure 5
    worker->Post(IdleReport{99});       // served before the next measure
    source.Release();
    ASSERT_EQ(Outcome(from), kFinished);

    const std::vector<int64_t> steps{250, 500, 750, 1000, 1000};
    EXPECT_EQ(Progress(1, from), steps);
    EXPECT_EQ(Progress(2, from), steps);
    const auto messages = port.Numbered(msg::kExportProgress, from);
    EXPECT_TRUE(std::all_of(messages.begin(), messages.end(), [](const Message& m) { return m.receiver == kReceiver; }));
    const auto served = port.WaitFor([](const Message& m) { return m.number == msg::kIdleReport && m.wParam == 99; });
    const auto done = port.WaitFor([](const Message& m) { return m.number == msg::kExportProgress && m.wParam == 5; });
    EXPECT_LT(served, done);

    // Every write-stage render is announced: (2, 0) before, (0, 2) after.
    int busy = 0;
    int idle = 0;
    for (const Message& m : port.Numbered(msg::kWorkerState, from)) {
        busy += m.wParam == 2 && m.lParam == 0;
        idle += m.wParam == 0 && m.lParam == 2;
    }
    EXPECT_EQ(busy, 4);
    EXPECT_EQ(idle, 4);

    // The loudest of measures 4-7 is measure 7: 8000 at unit gain.
    const int64_t peak = test::Mixed(8000);
    const int64_t gain = 1000 * 32767 / peak;
    const WaveFile wave = ReadWave(out / "region.wav");
    EXPECT_EQ(Summary(), (ExportSummary{4, 4 * kM, peak, gain, SamplePeak(wave.samples)}));
    EXPECT_EQ(wave.samples, Expected({4, 5, 6, 7}, gain));
    EXPECT_EQ(FilesIn(out.Path()), std::vector<std::string>{"region.wav"});
}

TEST_F(ExportTest, TwoRegionsWriteTheirMeasuresInOrderAndTheHeaderHoldsTheSizes)
{
    constexpr int32_t kM = 1000;
    LoadSong(10, kM, Loud);
    ASSERT_EQ(Export(Job("two.wav", 0, 4, {{6, 10}, {1, 5}})), kFinished);
    const WaveFile wave = ReadWave(out / "two.wav");
    const int64_t gain = 1000 * 32767 / test::Mixed(7000);
    EXPECT_EQ(wave.samples, Expected({0, 1, 5, 6}, gain));

    const uint32_t data = 4 * kM * 4;
    const auto* h = reinterpret_cast<const uint8_t*>(wave.header.data());
    ASSERT_EQ(wave.header.size(), 44u);
    EXPECT_EQ(wave.header.substr(0, 4), "RIFF");
    EXPECT_EQ(ReadLE32(h + 4), data + 36);
    EXPECT_EQ(wave.header.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(ReadLE32(h + 16), 16u);
    EXPECT_EQ(ReadLE16(h + 20), 1);
    EXPECT_EQ(ReadLE16(h + 22), 2);
    EXPECT_EQ(ReadLE32(h + 24), 44100u);
    EXPECT_EQ(ReadLE32(h + 28), 176400u);
    EXPECT_EQ(ReadLE16(h + 32), 4);
    EXPECT_EQ(ReadLE16(h + 34), 16);
    EXPECT_EQ(wave.header.substr(36, 4), "data");
    EXPECT_EQ(ReadLE32(h + 40), data);
}

struct GainCase {
    const char* name;
    int16_t sample; // on channel 0 of every measure; channel 1 the same when twice
    bool twice;
    int32_t level;
    bool swap;
    int64_t peak; // the loudest stored measure peak
    int64_t gain;
};

class ExportGainTest : public ExportTest, public ::testing::WithParamInterface<GainCase> {};

TEST_P(ExportGainTest, NormalisesTheLoudestPeakToTheLevel)
{
    const GainCase& c = GetParam();
    constexpr int32_t kM = 1000;
    LoadSong(3, kM, [&](int32_t) { return c.sample; });
    if (c.twice) {
        for (int32_t k = 0; k < 3; ++k) {
            worker->Post(SetSlot{k, 1, 0, kM, 0, test::KeyFor("m0.wav"), "m0.wav"});
            test::Place(mirror, k, 1, "m0.wav", 0, kM);
        }
    }
    if (c.swap)
        worker->Post(SwitchSwap{1});
    Sync(); // pre-rendered into the swap file when it is on
    const int opens = source.TotalOpens();

    ExportJob job = Job("gain.wav", 0, 3);
    job.level = c.level;
    ASSERT_EQ(Export(job), kFinished);
    EXPECT_EQ(Summary().peak, c.peak);
    EXPECT_EQ(Summary().gain, c.gain);
    const std::vector<int16_t> written = ReadWave(out / "gain.wav").samples;
    EXPECT_EQ(written, Expected({0, 1, 2}, c.gain));
    EXPECT_EQ(Summary().writtenPeak, SamplePeak(written));
    if (c.swap && c.gain == kUnitGain) {
        EXPECT_EQ(source.TotalOpens(), opens) << "every measure comes from the swap file";
    } else if (c.swap) {
        EXPECT_GT(source.TotalOpens(), opens) << "the swap file holds unit gain only";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportGainTest,
    ::testing::Values(
        // 16 385 mixes to a stored peak of 16 384: 1000 × 32767 / 16384.
        GainCase{"HalfScale", 16385, false, 1000, false, 16384, 1999},
        GainCase{"HalfScaleFromSwap", 16385, false, 1000, true, 16384, 1999},
        GainCase{"LouderThanFullScale", 30000, true, 1000, false, 59998, 546},
        // Below 127 the song is not amplified: written at the level.
        GainCase{"QuietAtFullLevel", 100, false, 1000, true, 99, 1000},
        GainCase{"QuietAtHalfLevel", 100, false, 500, true, 99, 500},
        GainCase{"QuietAtHalfLevelWithoutSwap", 100, false, 500, false, 99, 500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportTest, FadesAQuarterMeasureAtEachEnd)
{
    constexpr int32_t kM = 20352;
    LoadSong(3, kM, [](int32_t) { return int16_t(12000); });
    ExportJob job = Job("fade.wav", 0, 3);
    job.fadeIn = 1;
    job.fadeOut = 1;
    ASSERT_EQ(Export(job), kFinished);
    const int64_t gain = Summary().gain;
    std::vector<int16_t> expected = Expected({0, 1, 2}, gain);
    const std::vector<int16_t> written = ReadWave(out / "fade.wav").samples;
    ASSERT_EQ(written.size(), expected.size());

    // 20 352 bytes = 5088 frames = 10 176 samples at each end.
    constexpr size_t n = 10176;
    const int16_t v = expected[n];
    EXPECT_EQ(written[0], 0);
    EXPECT_EQ(written[1], int16_t(1 * int64_t(expected[1]) / int64_t(n)));
    EXPECT_EQ(written[n - 1], int16_t(int64_t(n - 1) * expected[n - 1] / int64_t(n)));
    EXPECT_EQ(written[n], v) << "the fade ends after 5088 frames";
    EXPECT_EQ(written.back(), 0);
    EXPECT_EQ(written[written.size() - 1 - n], expected[expected.size() - 1 - n]);

    FadeIn(std::span<int16_t>(expected.data(), n));
    FadeOut(std::span<int16_t>(expected.data() + expected.size() - n, n));
    EXPECT_EQ(written, expected);
}

// The written peak is the file's loudest sample, also when a fade has
// lowered it: here the loudest frame lies at the start of the data and the
// second loudest at its end, so each fade takes one of them away.
TEST_F(ExportTest, WrittenPeakIsTheLoudestSampleOfTheFileAfterItsFades)
{
    constexpr int32_t kM = 1000;
    worker->Post(SetTempo{kM, 1});
    worker->Post(InsertMeasures{0, 2});
    for (int ch = 0; ch < kChannels; ++ch)
        worker->Post(SetChannelGain{ch, 100});
    // Frame 5 of the first measure and frame 900 of the last, inside the
    // fades (a quarter measure, 250 frames) and before the song's last 100
    // frames, which the renderer fades by itself.
    std::vector<int16_t> first(size_t(kM) * 2, 1000);
    first[10] = first[11] = 20000;
    std::vector<int16_t> last(size_t(kM) * 2, 1000);
    last[1800] = last[1801] = -16000;
    source.Add("first.wav", first);
    source.Add("last.wav", last);
    worker->Post(SetSlot{0, 0, 0, kM, 0, test::KeyFor("first.wav"), "first.wav"});
    worker->Post(SetSlot{1, 0, 0, kM, 0, test::KeyFor("last.wav"), "last.wav"});
    Sync();

    std::vector<int64_t> peaks;
    for (const auto& [fadeIn, fadeOut] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}}) {
        ExportJob job = Job("peak.wav", 0, 2);
        job.fadeIn = fadeIn;
        job.fadeOut = fadeOut;
        const size_t from = port.Size();
        worker->Post(StartExport{std::move(job)});
        ASSERT_EQ(Outcome(from), kFinished);
        ExportSummary summary;
        for (const Message& m : port.Numbered(msg::kExportProgress, from)) {
            if (m.wParam == kFinished)
                summary = ParseExportSummary(std::get<std::string>(m.payload)).value_or(ExportSummary{});
        }
        const std::vector<int16_t> written = ReadWave(out / "peak.wav").samples;
        EXPECT_EQ(summary.writtenPeak, SamplePeak(written)) << fadeIn << fadeOut;
        peaks.push_back(summary.writtenPeak);
    }
    EXPECT_GT(peaks[0], peaks[1]);
    EXPECT_GT(peaks[1], peaks[2]);
    EXPECT_GT(peaks[2], 0);
}

TEST_F(ExportTest, CancelDuringTheScanLeavesNoFileAndKeepsAnEarlierOne)
{
    constexpr int32_t kM = 1000;
    LoadSong(10, kM, Loud);
    ASSERT_TRUE(bm::test::WriteFile(out / "kept.wav", "an earlier export"));
    const size_t from = port.Size();
    source.Arm("m3.wav");
    worker->Post(StartExport{Job("kept.wav", 0, 10)});
    ASSERT_TRUE(source.WaitBlocked()); // in the scan of measure 3
    worker->Post(CancelExport{});
    source.Release();
    EXPECT_EQ(Outcome(from), kCancelled);
    Sync();
    EXPECT_EQ(Progress(1, from), (std::vector<int64_t>{100, 200, 300, 400}));
    EXPECT_TRUE(Progress(2, from).empty()) << "still in the scan";
    EXPECT_TRUE(Progress(kFinished, from).empty());
    EXPECT_EQ(bm::test::ReadFile(out / "kept.wav"), "an earlier export");
    EXPECT_EQ(FilesIn(out.Path()), std::vector<std::string>{"kept.wav"});

    // A cancel without a running export does nothing; a new job replaces a
    // running one, whose receiver hears it was cancelled.
    const size_t again = port.Size();
    worker->Post(CancelExport{});
    ExportJob first = Job("first.wav", 0, 10);
    first.receiver = 1;
    source.Arm("m3.wav");
    worker->Post(StartExport{first});
    ASSERT_TRUE(source.WaitBlocked());
    worker->Post(StartExport{Job("second.wav", 0, 2)});
    source.Release();
    EXPECT_EQ(Outcome(again), kCancelled);
    EXPECT_EQ(port.Numbered(msg::kExportProgress, again)[0].receiver, 1u);
    Sync();
    EXPECT_EQ(Progress(kFinished, again).size(), 1u);
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"kept.wav", "second.wav"}));
}

TEST_F(ExportTest, EndingTheWorkerMidExportCancelsItAndLeavesNoFile)
{
    constexpr int32_t kM = 1000;
    LoadSong(10, kM, Loud);
    const size_t from = port.Size();
    source.Arm("m3.wav");
    worker->Post(StartExport{Job("ended.wav", 0, 10)});
    ASSERT_TRUE(source.WaitBlocked());
    worker->Post(End{});
    source.Release();
    worker.reset(); // joins the thread
    EXPECT_EQ(Outcome(from), kCancelled);
    EXPECT_TRUE(FilesIn(out.Path()).empty());
}

TEST_F(ExportTest, SongChangesBetweenMeasuresEndOrFailTheExport)
{
    LoadSong(10, 1000, Loud);
    // Measures removed during the scan: both stages end at the song's new
    // end, and the file holds what was written.
    source.Arm("m2.wav");
    size_t from = port.Size();
    worker->Post(StartExport{Job("short.wav", 0, 10)});
    ASSERT_TRUE(source.WaitBlocked());
    worker->Post(RemoveMeasures{5, 5});
    source.Release();
    ASSERT_EQ(Outcome(from), kFinished);
    EXPECT_EQ(Progress(1, from), (std::vector<int64_t>{100, 200, 300, 400, 500, 1000}));
    EXPECT_EQ(Summary().measures, 5);
    EXPECT_EQ(ReadWave(out / "short.wav").samples.size(), 5u * 2000u);

    // A new measure length would mix two tempos in one file.
    source.Arm("m3.wav");
    from = port.Size();
    worker->Post(StartExport{Job("tempo.wav", 0, 5)});
    ASSERT_TRUE(source.WaitBlocked());
    worker->Post(SetTempo{2000, 1});
    source.Release();
    EXPECT_EQ(Outcome(from), kFailed);
    Sync();
    EXPECT_EQ(FilesIn(out.Path()), std::vector<std::string>{"short.wav"});
}

struct BadJob {
    const char* name;
    std::function<void(ExportJob&)> change;
    int64_t outcome;
    int64_t measures; // written when it finishes
};

class ExportBadJobTest : public ExportTest, public ::testing::WithParamInterface<BadJob> {};

TEST_P(ExportBadJobTest, FailsAtTheStartOrEndsWithoutHanging)
{
    LoadSong(10, 1000, Loud);
    ExportJob job = Job("bad.wav", 0, 5);
    GetParam().change(job);
    ASSERT_EQ(Export(job), GetParam().outcome);
    Sync();
    if (GetParam().outcome == kFailed) {
        EXPECT_TRUE(FilesIn(out.Path()).empty());
        EXPECT_TRUE(Progress(1).empty());
    } else {
        EXPECT_EQ(Summary().measures, GetParam().measures);
        EXPECT_EQ(int64_t(ReadWave(out / "bad.wav").samples.size()), GetParam().measures * 2000);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportBadJobTest,
    ::testing::Values(
        BadJob{"NoMeasures", [](ExportJob& j) { j.count = 0; }, kFailed, 0},
        BadJob{"NegativeCount", [](ExportJob& j) { j.count = -3; }, kFailed, 0},
        BadJob{"FirstBeforeTheSong", [](ExportJob& j) { j.firstMeasure = -1; }, kFailed, 0},
        BadJob{"FirstBeyondTheSong", [](ExportJob& j) { j.firstMeasure = 10; }, kFailed, 0},
        BadJob{"ZeroLevel", [](ExportJob& j) { j.level = 0; }, kFailed, 0},
        BadJob{"HugeLevel", [](ExportJob& j) { j.level = 1 << 30; }, kFailed, 0},
        BadJob{"MissingFolder", [](ExportJob& j) { j.outputPath += "/no/such/folder/x.wav"; }, kFailed, 0},
        BadJob{"FolderAsTarget", [](ExportJob& j) { j.outputPath = std::filesystem::path(j.outputPath).parent_path(); },
               kFailed, 0},
        // A cycle stops after the job's count; a jump out of the song ends it.
        BadJob{"JumpCycle", [](ExportJob& j) { j.jumps = {{2, 0}}; }, kFinished, 5},
        BadJob{"CycleOnItself", [](ExportJob& j) { j.jumps = {{0, 0}}; j.count = 1000; }, kFinished, 1000},
        BadJob{"JumpBelowZero", [](ExportJob& j) { j.jumps = {{1, -7}}; }, kFinished, 2},
        BadJob{"CountBeyondTheSong", [](ExportJob& j) { j.count = 50; }, kFinished, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportTest, AFailedWriteDeletesTheFileAndReportsFailure)
{
    constexpr int32_t kM = 20352;
    LoadSong(10, kM, Loud);
    // Files of this process may not grow past 200 000 bytes.
    const size_t from = port.Size();
    int64_t outcome = 0;
    {
        bm::test::FileSizeLimit full(200000);
        ASSERT_TRUE(full.Active());
        outcome = Export(Job("full.wav", 0, 10));
        Sync();
    }

    EXPECT_EQ(outcome, kFailed);
    EXPECT_EQ(Progress(1, from).back(), 1000);
    EXPECT_EQ(Progress(2, from), (std::vector<int64_t>{100, 200})) << "two measures fit";
    EXPECT_TRUE(FilesIn(out.Path()).empty());
}

} // namespace
} // namespace bm::engine
