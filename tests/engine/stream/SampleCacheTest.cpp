#include "engine/stream/CatalogueView.h"
#include "engine/stream/SampleCache.h"
#include "StreamFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bm::stream::test {
namespace {

namespace fs = std::filesystem;
using bm::test::TempDir;

TEST(CacheNames, FollowTheSampleNameSpanAndKey)
{
    const SampleRef key = SampleRef::Make(1, 2, 0, 10, 3, 4);
    EXPECT_EQ(CacheFileName("SMPLDATA/kick.wav", 162816, SpanInName::No, key), "kick.wav.1.2.0.a.wav");
    EXPECT_EQ(CacheFileName("a/b.mp3", 162816, SpanInName::Yes, SampleRef::Empty()), "b.mp3.162816.wav");
    EXPECT_EQ(CacheFileName("s.ncp", 5, SpanInName::Yes, SampleRef::Make(-2, 0, 0, 0, 0, 0)),
              "s.ncp.5.fffffffe.0.0.0.wav");
    for (const char* name : {"kick.wav.1.2.0.a.wav", "b.MP3.162816.wav", "x.ncp.5.wav", "y.wav.wav", "temp_0a3.wav"})
        EXPECT_TRUE(IsCacheFileName(name)) << name;
    for (const char* name : {"rec_0000.wav", "mine.wav", "notes.txt", ".wav.wav", "temp_12.wav", "k.wav.1.2.0.A.wav"})
        EXPECT_FALSE(IsCacheFileName(name)) << name;
}

class CacheSpaceTest : public ::testing::Test {
protected:
    // A file of `kb` KiB whose last write was `age` hours ago.
    void Make(const std::string& name, int kb, int age)
    {
        const std::string path = dir / name;
        bm::test::WriteFile(path, std::string(size_t(kb) * 1024 - 1, 'x'));
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(age));
    }
    bool Exists(const std::string& name) const { return fs::exists(dir / name); }
    TempDir dir;
};

TEST_F(CacheSpaceTest, RequestOverAQuarterOfTheLimitIsRefused)
{
    SampleCache cache(dir.Path(), 200);
    cache.SetFreeMegabytesForTest(100000);
    EXPECT_TRUE(cache.MakeRoom(52428800));
    EXPECT_FALSE(cache.MakeRoom(52428801));
}

TEST_F(CacheSpaceTest, EvictsLeastRecentlyUsedFirstSkippingWhatCannotGo)
{
    // Limit 8 MB, about 6 MB of cache; 2 MB asked (the most a request may
    // take) with 100 MB free: room is 8 - 6 = 2 MB, so files go oldest first
    // until a whole megabyte more is free.
    Make("old.wav.wav", 768, 40);
    Make("temp_001.wav", 768, 30); // in use: skipped
    Make("mid.mp3.wav", 768, 20);
    Make("big.wav.5.wav", 3072, 10);
    Make("new.wav.100.wav", 768, 1);
    Make("mine.wav", 2048, 50);     // the user's own file
    Make("rec_0000.wav", 2048, 60); // the unsaved recording
    SampleCache cache(dir.Path(), 8);
    cache.SetFreeMegabytesForTest(100);
    cache.MarkInUse("temp_001.wav");
    EXPECT_EQ(cache.List().size(), 5u);
    EXPECT_TRUE(cache.MakeRoom(2 * 1048576));
    EXPECT_FALSE(Exists("old.wav.wav"));
    EXPECT_TRUE(Exists("temp_001.wav"));
    EXPECT_FALSE(Exists("mid.mp3.wav"));
    EXPECT_TRUE(Exists("big.wav.5.wav"));
    EXPECT_TRUE(Exists("new.wav.100.wav"));
    EXPECT_TRUE(Exists("mine.wav"));
    EXPECT_TRUE(Exists("rec_0000.wav"));

    EXPECT_TRUE(cache.MakeRoom(SampleCache::kFlushAll));
    EXPECT_TRUE(Exists("temp_001.wav"));
    EXPECT_FALSE(Exists("new.wav.100.wav"));
    EXPECT_TRUE(Exists("mine.wav"));
    EXPECT_TRUE(Exists("rec_0000.wav"));
    cache.ReleaseInUse("temp_001.wav");
    EXPECT_TRUE(cache.MakeRoom(SampleCache::kFlushAll));
    EXPECT_FALSE(Exists("temp_001.wav"));
}

TEST_F(CacheSpaceTest, FailsWhenDiskAndCacheTogetherCannotHoldTheRequest)
{
    Make("a.wav.wav", 1024, 3);
    SampleCache cache(dir.Path(), 400);
    cache.SetFreeMegabytesForTest(2);
    EXPECT_FALSE(cache.MakeRoom(5 * 1048576));
    EXPECT_TRUE(Exists("a.wav.wav"));
    EXPECT_TRUE(cache.MakeRoom(1048576));
}

// The id of a process that has ended (forked, exited and reaped).
int64_t EndedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(CacheTemporaries, AreUniqueNeverListedAndCommittedByRename)
{
    TempDir dir;
    const std::string cachePath = dir / "kick.wav.60000.wav";
    const std::string first = CacheTemporaryPath(cachePath);
    const std::string second = CacheTemporaryPath(cachePath);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(cachePath + ".part", 0), 0u);
    EXPECT_TRUE(IsCacheTemporaryName(fs::path(first).filename().string()));
    EXPECT_FALSE(IsCacheFileName(fs::path(first).filename().string()));
    for (const char* name : {"mine.wav.part1-2", "kick.wav.wav.part-2", "kick.wav.wav.part1-", "temp_001.wav.part1-2",
                             "kick.wav.wav.part1-2x", "kick.wav.wav"})
        EXPECT_FALSE(IsCacheTemporaryName(name)) << name;

    // A commit replaces an older file under the cache name.
    bm::test::WriteFile(cachePath, "old");
    bm::test::WriteFile(first, "new");
    ASSERT_TRUE(CommitCacheFile(first, cachePath));
    EXPECT_EQ(bm::test::ReadFile(cachePath), "new");
    EXPECT_FALSE(fs::exists(first));

    // A failed rename (a folder holds the name) removes the temporary.
    fs::create_directories(dir / "dir.wav.wav/inside");
    bm::test::WriteFile(second, "data");
    Error error;
    EXPECT_FALSE(CommitCacheFile(second, dir / "dir.wav.wav", &error));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_NE(error.message.find("dir.wav.wav"), std::string::npos);
}

TEST_F(CacheSpaceTest, FlushRemovesTemporariesOfEndedProcessesOnly)
{
    const std::string ended = "a.wav.wav.part" + std::to_string(EndedProcessId()) + "-1";
    const std::string ours = fs::path(CacheTemporaryPath(dir / "b.wav.wav")).filename().string();
    const std::string running = "c.wav.wav.part1-1"; // process 1 always runs
    for (const std::string& name : {ended, ours, running, std::string("mine.wav.part7-1")})
        Make(name, 300, 1);
    // Counted as cache files, the four would overfill the 1 MB limit and be evicted.
    SampleCache cache(dir.Path(), 1);
    cache.SetFreeMegabytesForTest(100);
    EXPECT_TRUE(cache.List().empty());
    EXPECT_TRUE(cache.MakeRoom(200 * 1024));
    EXPECT_TRUE(Exists(ended)) << "only a flush removes temporaries";

    EXPECT_TRUE(cache.MakeRoom(SampleCache::kFlushAll));
    EXPECT_FALSE(Exists(ended));
    EXPECT_TRUE(Exists(ours)) << "a write in progress on another thread";
    EXPECT_TRUE(Exists(running));
    EXPECT_TRUE(Exists("mine.wav.part7-1")) << "not a cache name: the user's own";
}

TEST(StreamConcurrency, CatalogueViewAndCacheFromTwoThreads)
{
    TempDir dir;
    CatalogueView view;
    SampleCache cache(dir.Path(), 8);
    cache.SetFreeMegabytesForTest(1000);
    SampleLibrary library = OneVariantLibrary();
    auto& d = OnlyVariant(library);
    d.firstText = "x";
    std::thread ui([&] {
        for (int i = 0; i < 200; ++i) {
            d.length = i;
            view.Publish(library);
            bm::test::WriteFile(dir / ("s" + std::to_string(i) + ".wav.wav"), std::string(2000, 'y'));
            cache.MakeRoom(1048576);
        }
    });
    int32_t last = -1;
    for (int i = 0; i < 200; ++i) {
        if (auto found = view.Find(SampleRef::Make(0, 0, 0, 0, 0, 0))) {
            EXPECT_GE(found->length, last);
            last = found->length;
        }
        cache.MakeRoom(2 * 1048576);
        (void)cache.List();
    }
    ui.join();
}

} // namespace
} // namespace bm::stream::test
