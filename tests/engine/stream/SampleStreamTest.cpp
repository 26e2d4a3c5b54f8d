#include "engine/stream/SampleStream.h"
#include "engine/stream/StreamSampleSource.h"
#include "StreamFixtures.h"

#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace bm::stream::test {
namespace {

using bm::test::TempDir;

class StreamTest : public ::testing::Test {
protected:
    StreamTest() : cache(temp.Path(), 200)
    {
        folders.Assign({samples.Path()});
        env.folders = &folders;
        env.catalogue = &catalogue;
        env.cache = &cache;
        cache.SetFreeMegabytesForTest(100000);
    }

    // A library with one stretchable sample at (0, 0, 0, 0, 0, 0).
    SampleRef PublishSample(const std::string& path, int32_t length, int32_t kind)
    {
        SampleLibrary library = OneVariantLibrary();
        SampleDescriptor& d = OnlyVariant(library);
        d.firstText = "sample";
        d.path = path;
        d.length = length;
        d.kind = kind;
        catalogue.Publish(library);
        return SampleRef::Make(0, 0, 0, 0, 0, 0);
    }

    // The names in the cache folder.
    std::vector<std::string> CacheFolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::vector<int16_t> ReadAll(SampleStream& stream)
    {
        std::vector<int16_t> all(size_t(stream.Length() / 2));
        EXPECT_EQ(stream.Read(all.data(), stream.Length()), stream.Length());
        return all;
    }

    TempDir samples;
    TempDir temp;
    FolderList folders;
    CatalogueView catalogue;
    SampleCache cache;
    StreamEnvironment env;
};

TEST_F(StreamTest, CreateWritesMonoHeaderAndKeepsSizesInStep)
{
    SampleStream stream(env);
    stream.SetMono(Channels::Mono);
    ASSERT_TRUE(stream.Create(temp / "mono.wav"));
    const int16_t data[3] = {1, 2, 3};
    ASSERT_TRUE(stream.Write(data, 6));
    EXPECT_EQ(stream.Length(), 6);
    stream.Close();
    const std::string bytes = bm::test::ReadFile(temp / "mono.wav");
    ASSERT_EQ(bytes.size(), 50u);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_EQ(ReadLE16(p + 22), 1);  // channels
    EXPECT_EQ(ReadLE16(p + 32), 2);  // block size
    EXPECT_EQ(ReadLE32(p + 40), 6u); // data size
    EXPECT_EQ(ReadLE32(p + 4), 42u); // RIFF size
}

TEST_F(StreamTest, LoopRepeatsRegionWithCrossFadeOfEachRepeat)
{
    // Start 0, span 2000 frames (8000 bytes), cross-fade 500 frames (2000 bytes).
    WriteWave(samples / "loop.wav", {2, 44100, Ramp(2000, 1), {0, 2000, 500, 5000}, {}});
    SampleStream stream(env);
    ASSERT_TRUE(stream.OpenRead("loop.wav", 1000, SampleRef::Empty()));
    EXPECT_EQ(stream.Length(), 20000);
    const std::vector<int16_t> all = ReadAll(stream);
    // First pass: bytes 0 to 5999 straight.
    for (int k = 0; k < 1500; ++k)
        ASSERT_EQ(all[size_t(k) * 2], k + 1);
    // Each repeat: sample i of the first 2000 bytes mixes the tail (from byte 6000) with the repeat.
    for (int repeat = 0; repeat < 2; ++repeat) {
        const int first = 1500 + repeat * 1500;
        for (int r = 0; r < 500; ++r) {
            for (int c = 0; c < 2; ++c) {
                const int i = r * 2 + c;
                const int sign = c == 0 ? 1 : -1;
                const int tail = sign * (1500 + r + 1);
                const int rep = sign * (r + 1);
                ASSERT_EQ(all[size_t(first + r) * 2 + size_t(c)], ((1000 - i - 1) * tail + i * rep) / 1000)
                    << "repeat " << repeat << " frame " << r;
            }
        }
        for (int r = 500; r < 1500; ++r)
            ASSERT_EQ(all[size_t(first + r) * 2], r + 1);
    }
}

TEST_F(StreamTest, TapsMixTheirChannelAndLeaveAnUntappedChannelSilent)
{
    // Track 0: two taps (half gain, delays 0 and 10); track 1 enabled without taps.
    WriteWave(samples / "taps.wav",
              {2, 44100, Ramp(100, 1000), {}, {0, 2, 0, 16384, 0, 16384, 10, 0, 0, 0}});
    SampleStream stream(env);
    ASSERT_TRUE(stream.OpenRead("taps.wav", 0, SampleRef::Empty()));
    const std::vector<int16_t> all = ReadAll(stream);
    EXPECT_EQ(all[0], 1000 / 2);                           // before frame 0 reads as 0
    EXPECT_EQ(all[20 * 2], (1020 / 2) + (1010 / 2));       // each term truncated
    EXPECT_EQ(all[20 * 2 + 1], 0);                         // untapped channel silent
}

TEST_F(StreamTest, TapSumIsLimitedAndEnvelopesScaleEachChannel)
{
    std::vector<int16_t> loud(200, 30000);
    // Track 0: two unity taps (sum 60000 -> 32767) and an envelope falling from 1 to 0
    // over 100 frames; track 1: a tap and an envelope of constant half gain.
    WriteWave(samples / "env.wav", {2, 44100, loud, {},
                                    {0, 2, 2, 32768, 0, 32768, 0, 0, 32768, 100, 0,
                                     0, 1, 2, 32768, 0, 0, 16384, 50, 16384}});
    SampleStream stream(env);
    ASSERT_TRUE(stream.OpenRead("env.wav", 0, SampleRef::Empty()));
    const std::vector<int16_t> all = ReadAll(stream);
    EXPECT_EQ(all[0], 32767);               // gain exactly 1: untouched, limited sum
    EXPECT_EQ(all[50 * 2], 32767 / 2);      // half way down
    EXPECT_EQ(all[1], 15000);               // half gain
    EXPECT_EQ(all[99 * 2 + 1], 30000);      // from the last point on: unchanged
}

TEST_F(StreamTest, SpanOtherThanBarSpanEmptiesMemoryCacheOfWorkerStreamsOnly)
{
    WriteWave(samples / "a.wav", {2, 44100, Ramp(100), {}, {}});
    engine::EngineSampleContext context;
    context.barSpan = 162816;
    {
        StreamEnvironment worker = env;
        worker.engine = &context;
        SampleStream stream(worker);
        ASSERT_TRUE(stream.OpenRead("a.wav", 162816, SampleRef::Empty()));
        context.memoryCache.Append("a.wav", stream.CopyIntoMemory());
        SampleStream fromMemory(worker);
        ASSERT_TRUE(fromMemory.OpenRead("a.wav", 162816, SampleRef::Empty()));
        EXPECT_EQ(fromMemory.Outcome(), OpenOutcome::Memory);
        EXPECT_EQ(ReadAll(fromMemory), Ramp(100));
    }
    // A stream outside the worker leaves the memory cache alone.
    SampleStream outside(env);
    ASSERT_TRUE(outside.OpenRead("a.wav", 1000, SampleRef::Empty()));
    EXPECT_EQ(context.memoryCache.Size(), 1u);
    StreamEnvironment worker = env;
    worker.engine = &context;
    SampleStream other(worker);
    ASSERT_TRUE(other.OpenRead("a.wav", 1000, SampleRef::Empty()));
    EXPECT_EQ(other.Outcome(), OpenOutcome::Direct);
    EXPECT_EQ(context.memoryCache.Size(), 0u);
    EXPECT_TRUE(context.dirty);
}

TEST_F(StreamTest, ConvertedSampleIsCachedReusedTouchedAndRebuiltWhenStaleOrDamaged)
{
    // A 48 kHz file is always converted; kind 1 with a key puts span and key in the name.
    std::vector<int16_t> tone(4800 * 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t((i * 37) % 2000);
    WriteWave(samples / "kick.wav", {2, 48000, tone, {}, {}});
    const SampleRef key = PublishSample("kick.wav", 30000, 1);
    const std::string cachePath = temp / "kick.wav.60000.0.0.0.0.wav";

    SampleStream first(env);
    ASSERT_TRUE(first.OpenRead("kick.wav", 60000, key));
    EXPECT_EQ(first.Outcome(), OpenOutcome::CacheFilled);
    const std::vector<int16_t> converted = ReadAll(first);
    first.Close();
    EXPECT_EQ(CacheFolderNames(), std::vector<std::string>{"kick.wav.60000.0.0.0.0.wav"}) << "no temporary left";

    namespace fs = std::filesystem;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(samples / "kick.wav", old - std::chrono::hours(1));
    fs::last_write_time(cachePath, old);
    SampleStream reused(env);
    ASSERT_TRUE(reused.OpenRead("kick.wav", 60000, key));
    EXPECT_EQ(reused.Outcome(), OpenOutcome::CacheReused);
    EXPECT_GT(fs::last_write_time(cachePath), old + std::chrono::hours(23)); // touched
    EXPECT_EQ(ReadAll(reused), converted);
    reused.Close();

    // Older than its source: rebuilt.
    fs::last_write_time(cachePath, old - std::chrono::hours(2));
    SampleStream stale(env);
    ASSERT_TRUE(stale.OpenRead("kick.wav", 60000, key));
    EXPECT_EQ(stale.Outcome(), OpenOutcome::CacheFilled);
    stale.Close();

    // Cut short between runs: not trusted.
    fs::resize_file(cachePath, fs::file_size(cachePath) - 100);
    SampleStream damaged(env);
    ASSERT_TRUE(damaged.OpenRead("kick.wav", 60000, key));
    EXPECT_EQ(damaged.Outcome(), OpenOutcome::CacheFilled);
    EXPECT_EQ(ReadAll(damaged), converted);
}

TEST_F(StreamTest, StretchReportsItsProgressWithTheSampleKeyOncePerPercentage)
{
    std::vector<int16_t> tone(30000 * 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t((i * 53) % 3000);
    WriteWave(samples / "pad.wav", {2, 44100, tone, {}, {}});
    const SampleRef key = PublishSample("pad.wav", 30000, 1);
    platform::RecordingMessagePort port;
    env.port = &port;

    SampleStream stretched(env);
    ASSERT_TRUE(stretched.OpenRead("pad.wav", 80000, key)); // 30 000 frames to 40 000
    EXPECT_EQ(stretched.Length(), 40000 * 4);
    const std::vector<platform::Message> posted = port.Take();
    ASSERT_GT(posted.size(), 50u);
    EXPECT_EQ(posted.front().lParam, 0);
    for (size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].number, platform::msg::kProgress);
        EXPECT_EQ(std::get<SampleRef>(posted[i].payload).words, key.words);
        EXPECT_LE(posted[i].lParam, 100);
        if (i > 0) {
            EXPECT_GT(posted[i].lParam, posted[i - 1].lParam);
        }
    }
    stretched.Close();

    SampleStream reused(env);
    ASSERT_TRUE(reused.OpenRead("pad.wav", 80000, key));
    EXPECT_EQ(reused.Outcome(), OpenOutcome::CacheReused);
    EXPECT_TRUE(port.Take().empty()) << "a cached stretch is not done again";
}

TEST_F(StreamTest, ConversionCutShortByAFullDiskLeavesNoFile)
{
    WriteWave(samples / "long.wav", {2, 48000, std::vector<int16_t>(48000 * 2, 700), {}, {}});

    // Files may grow to 50 000 bytes only: the cache file's write fails part way.
    SampleStream stream(env);
    bool opened = false;
    {
        bm::test::FileSizeLimit full(50000);
        ASSERT_TRUE(full.Active());
        opened = stream.OpenRead("long.wav", 0, SampleRef::Empty());
    }

    EXPECT_FALSE(opened);
    EXPECT_TRUE(CacheFolderNames().empty());
}

TEST_F(StreamTest, UnreadableSampleIsReportedAndSilent)
{
    bm::test::WriteFile(samples / "bad.wav", "RIFF\x10\0\0\0WAVEjunkjunkjunk");
    StreamSampleSource source(env);
    std::vector<std::string> reasons;
    source.onFailure = [&](const std::string& path, const std::string& why) { reasons.push_back(path + ": " + why); };
    EXPECT_EQ(source.Open("bad.wav", 1000, SampleRef::Empty()), nullptr);
    EXPECT_EQ(source.Open("missing.wav", 1000, SampleRef::Empty()), nullptr);
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_NE(reasons[1].find("not found"), std::string::npos);
}

TEST_F(StreamTest, EstimateOfHalfRateMonoFileQuadruplesItsData)
{
    WriteWave(samples / "half.wav", {1, 22050, std::vector<int16_t>(5000, 7), {}, {}});
    EXPECT_EQ(EstimateImportBytes("half.wav", env), 40000);
    EXPECT_EQ(EstimateImportBytes("half.txt", env), 0);
    EXPECT_EQ(EstimateImportBytes("none.wav", env), 0);
}

struct PanCase {
    const char* name;
    engine::EnvelopeNodes pan;
    bool reverse;
    int nearChannel;  // copied unchanged
    double delayAt0;  // far channel's delay at frame 0
};

class PanDelayTest : public StreamTest, public ::testing::WithParamInterface<PanCase> {};

TEST_P(PanDelayTest, NearChannelStraightFarChannelDelayed)
{
    const PanCase& pc = GetParam();
    WriteWave(samples / "pan.wav", {2, 44100, Ramp(3000, 1), {}, {}});
    SampleStream stream(env);
    ASSERT_TRUE(stream.OpenRead("pan.wav", 0, SampleRef::Empty()));
    std::vector<int16_t> out(1000 * 2);
    stream.ReadWithPanDelay(out.data(), 4000, 0, 1000 * 4, pc.pan, pc.reverse);
    const int far = 1 - pc.nearChannel;
    const int sign = far == 0 ? 1 : -1;
    EXPECT_EQ(out[size_t(pc.nearChannel)], (pc.nearChannel == 0 ? 1 : -1) * 1001);
    // The ramp makes the delayed value the source frame minus the delay.
    EXPECT_NEAR(out[size_t(far)], sign * (1001 - pc.delayAt0), 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Pan, PanDelayTest,
    ::testing::Values(PanCase{"Centre", {}, false, 1, 0.0},
                      PanCase{"HardLeft", {{0, 32767}, {5000, 32767}}, false, 0, 99.997},
                      PanCase{"HardRight", {{0, -32768}, {5000, -32768}}, false, 1, 100.0},
                      // Falling from full left to centre over 1000 frames; reverse evaluates the
                      // segment's end first, so the delay starts at 0.
                      PanCase{"Reverse", {{0, 32767}, {1000, 0}}, true, 1, 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamTest, PanSegmentEndsAtZeroCrossing)
{
    WriteWave(samples / "pan.wav", {2, 44100, Ramp(3000, 1), {}, {}});
    SampleStream stream(env);
    ASSERT_TRUE(stream.OpenRead("pan.wav", 0, SampleRef::Empty()));
    // Left to right across the centre at frame 500.
    const engine::EnvelopeNodes pan{{0, 32767}, {1000, -32767}};
    std::vector<int16_t> out(1000 * 2);
    stream.ReadWithPanDelay(out.data(), 4000, 0, 1000 * 4, pan, false);
    EXPECT_EQ(out[0], 1001);         // left near before the crossing
    EXPECT_EQ(out[600 * 2 + 1], -1601); // right near after it
    EXPECT_NEAR(out[600 * 2], 1601 - 20, 1.0); // left delayed by about 20 frames at frame 600
}

TEST_F(StreamTest, DamagedFilesNeverCrash)
{
    const std::string good = WaveBytes({2, 44100, Ramp(400, 1), {0, 300, 50, 800},
                                        {0, 1, 1, 16384, 5, 0, 32768, 0, 2, 0, 0}});
    std::mt19937 random(5);
    for (int round = 0; round < 100; ++round) {
        std::string bytes = good;
        for (size_t i = 0; i < bytes.size() / 100 + 1; ++i)
            bytes[random() % bytes.size()] = char(random());
        bm::test::WriteFile(samples / "m.wav", bytes);
        SampleStream stream(env);
        if (!stream.OpenRead("m.wav", 0, SampleRef::Empty()))
            continue;
        std::vector<int16_t> out(2048);
        stream.Read(out.data(), 4096);
        stream.ReadWithPanDelay(out.data(), 4096, 0, 0, {{0, 20000}, {100, -20000}}, round % 2 == 0);
        (void)stream.CopyIntoMemory();
    }
}

} // namespace
} // namespace bm::stream::test
