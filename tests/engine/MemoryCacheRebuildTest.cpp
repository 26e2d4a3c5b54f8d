#include "engine/MemoryCacheRebuild.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"

#include <gtest/gtest.h>

namespace bm::engine {
namespace {

using test::FakeSampleSource;
using test::MakeSong;
using test::Place;

std::vector<std::string> Paths(const MemorySampleCache& cache)
{
    std::vector<std::string> paths;
    for (const auto& entry : cache.Entries())
        paths.push_back(entry.path);
    return paths;
}

TEST(MemoryCacheRebuild, LoadsEachDistinctSampleOnceFromChannelsWithAGain)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 1000, 1, 1);
    source.AddConstant("b.wav", 1000, 1, 1);
    source.AddConstant("off.wav", 1000, 1, 1);
    EngineSong song = MakeSong(4, 500, 4);
    Place(song, 0, 0, "a.wav", 0, 1000);
    Place(song, 2, 0, "a.wav", 0, 1000);
    Place(song, 1, 3, "b.wav", 0, 1000);
    Place(song, 3, 4, "a.wav", 0, 1000);
    Place(song, 0, 9, "off.wav", 0, 1000);
    song.channelGain[9] = 0;
    song.channelGain[4] = 401; // not 0: still loaded
    MemorySampleCache cache;
    EXPECT_EQ(RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, nullptr), RebuildResult::Done);
    EXPECT_EQ(Paths(cache), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(source.Opens("a.wav"), 2) << "once to size it, once to copy it";
    EXPECT_EQ(source.Opens("off.wav"), 0);
    EXPECT_EQ(source.spans.front(), 2000) << "opened at the bar span";
    EXPECT_EQ(source.keys.front(), test::KeyFor("a.wav"));

    const auto* kept = cache.Find("a.wav").get();
    EXPECT_EQ(RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, nullptr), RebuildResult::Done);
    EXPECT_EQ(cache.Find("a.wav").get(), kept) << "an entry still wanted is kept";
    EXPECT_EQ(source.Opens("a.wav"), 3);

    song.measures[1].slots[3] = EngineSlot{};
    RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, nullptr);
    EXPECT_EQ(Paths(cache), (std::vector<std::string>{"a.wav"}));
}

TEST(MemoryCacheRebuild, TrimsTheLeastUsedToTheMemorySettingLastOneFirstOnATie)
{
    FakeSampleSource source;
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        source.AddConstant(name, 1000, 1, 1);
    EngineSong song = MakeSong(6, 500);
    Place(song, 0, 0, "a.wav", 0, 1000);
    Place(song, 1, 0, "b.wav", 0, 1000);
    Place(song, 2, 0, "c.wav", 0, 1000);
    Place(song, 3, 0, "b.wav", 0, 1000);
    Place(song, 4, 0, "d.wav", 0, 1000);
    Place(song, 5, 0, "a.wav", 0, 1000);
    MemorySampleCache cache;
    FolderList folders;
    RebuildMemoryCache(song, source, cache, 3000, &folders, nullptr);
    EXPECT_EQ(Paths(cache), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    RebuildMemoryCache(song, source, cache, 2000, &folders, nullptr);
    EXPECT_EQ(Paths(cache), (std::vector<std::string>{"a.wav", "b.wav"}));
    RebuildMemoryCache(song, source, cache, 0, &folders, nullptr);
    EXPECT_TRUE(cache.Entries().empty());
}

TEST(MemoryCacheRebuild, KeepsOnlySamplesOfAtMost4MiB)
{
    FakeSampleSource source;
    source.AddConstant("fits.wav", 0x100000, 1, 1);
    source.AddConstant("big.wav", 0x100001, 1, 1);
    EngineSong song = MakeSong(3, 500);
    Place(song, 0, 0, "fits.wav", 0, 0x100000);
    Place(song, 0, 1, "big.wav", 0, 0x100001);
    Place(song, 2, 1, "big.wav", 0, 0x100001);
    MemorySampleCache cache;
    RebuildMemoryCache(song, source, cache, int64_t(1) << 40, nullptr, nullptr);
    EXPECT_EQ(Paths(cache), (std::vector<std::string>{"fits.wav"}));
    EXPECT_EQ(source.Opens("big.wav"), 1);
}

TEST(MemoryCacheRebuild, ReplacesAnEntryWhoseSizeChangedAndCorrectsLengths)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 1000, 1, 1);
    EngineSong song = MakeSong(2, 500);
    Place(song, 0, 0, "a.wav", 0, 1000);
    MemorySampleCache cache;
    RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, nullptr);
    source.AddConstant("a.wav", 1500, 1, 1);
    struct : SongObserver {
        void SampleLengthCorrected(const SampleRef&, int32_t frames) override { corrected = frames; }
        int32_t corrected = -1;
    } observer;
    RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, &observer);
    ASSERT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.Find("a.wav")->SizeFrames(), 1500);
    EXPECT_EQ(observer.corrected, 1500);
    EXPECT_EQ(song.measures[0].slots[0].length, 1500);
}

TEST(MemoryCacheRebuild, StopsAtOnceWhenAnOpenRenderedASong)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 1000, 1, 1);
    source.AddConstant("song.ncp", 1000, 1, 1);
    source.freshRenderPath = "song.ncp";
    EngineSong song = MakeSong(2, 500);
    Place(song, 0, 0, "song.ncp", 0, 1000);
    Place(song, 0, 1, "a.wav", 0, 1000);
    MemorySampleCache cache;
    EXPECT_EQ(RebuildMemoryCache(song, source, cache, 1 << 20, nullptr, nullptr), RebuildResult::StoppedForFreshRender);
    EXPECT_TRUE(cache.Entries().empty());
    EXPECT_EQ(source.Opens("a.wav"), 0);
}

TEST(EngineSampleContext, AnotherSpanFreesTheMemoryCacheAndMarksItDirty)
{
    EngineSampleContext context;
    context.barSpan = 162816;
    context.memoryCache.Append("a.wav", std::make_shared<test::FakeMemorySample>(std::vector<int16_t>(8)));
    EXPECT_NE(context.MemoryFor("a.wav", 162816), nullptr);
    EXPECT_EQ(context.MemoryFor("b.wav", 162816), nullptr);
    EXPECT_FALSE(context.dirty);
    EXPECT_EQ(context.MemoryFor("a.wav", 81408), nullptr);
    EXPECT_EQ(context.memoryCache.Size(), 0u);
    EXPECT_TRUE(context.dirty);
}

} // namespace
} // namespace bm::engine
