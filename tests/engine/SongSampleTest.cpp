#include "engine/SongSampleRenderPath.h"

#include "SongBuilder.h"
#include "core/File.h"
#include "engine/SongRenderer.h"
#include "engine/SongSampleModel.h"
#include "engine/stream/SampleStream.h"
#include "engine/stream/StreamFixtures.h"
#include "engine/stream/StreamSampleSource.h"
#include "song/PackageFixture.h"
#include "song/PackageWriter.h"
#include "song/SongWriter.h"

#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sys/stat.h>

namespace bm::engine {
namespace {

namespace fs = std::filesystem;
using platform::Message;
namespace msg = platform::msg;

constexpr const char* kUserFolder = "USERDATA/Pop/C/";

// Sets a file's last-write time to a local date and time.
void SetWriteTime(const std::string& path, int year, int month, int day, int hour)
{
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&when), 0}, {std::mktime(&when), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Stereo frames of one constant value.
std::vector<int16_t> Constant(int frames, int16_t value) { return std::vector<int16_t>(size_t(frames) * 2, value); }

int Count(const std::vector<Message>& messages, int32_t number)
{
    int n = 0;
    for (const Message& m : messages)
        n += m.number == number;
    return n;
}

class SongSampleTest : public ::testing::Test {
protected:
    void SetUp() override { folders.Assign(inst.folders.sampleFolders); }

    // Publishes the library and makes the song path (after the samples are added).
    void Start()
    {
        catalogue.Publish(inst.library);
        env = {&folders, &catalogue, &cache, &context, nullptr};
        songs = std::make_unique<SongSampleRenderPath>(SongSampleSettings{env, inst.program, &port});
        env.songs = songs.get();
    }

    std::string Stored(const std::string& name) const { return std::string(kUserFolder) + name; }
    std::string Full(const std::string& name) const { return inst.program + Stored(name); }

    SampleRef AddWave(const std::string& name, std::vector<int16_t> samples)
    {
        const int32_t frames = int32_t(samples.size() / 2);
        bm::test::WriteFile(Full(name), stream::test::WaveBytes({2, 44100, std::move(samples), {}, {}}));
        return inst.AddTo(inst.UserChord(), 0, bm::test::Sample(name, "x", Stored(name), "key", frames));
    }

    // A library entry for a song file written later (it may name itself).
    SampleRef AddSongEntry(const std::string& name)
    {
        return inst.AddTo(inst.UserChord(), 0, bm::test::Sample(name, "x", Stored(name), "key", 1000));
    }

    void WriteSong(const std::string& name, const Song& song)
    {
        SongWriter writer(inst.library, inst.folders.sampleFolders, inst.program);
        Error error;
        ASSERT_TRUE(writer.Write(song, Full(name), SongWriteMode::Plain, &error)) << error.message;
    }

    static Song MakeSong(size_t measures, int32_t m, int32_t perBar)
    {
        Song song;
        song.measures.resize(measures);
        song.samplesPerMeasure = m;
        song.measuresPerBar = perBar;
        song.channelOn.fill(true);
        song.channelVolume.fill(100);
        return song;
    }

    static void Put(Song& song, size_t measure, size_t channel, const SampleRef& ref, int32_t start = 0)
    {
        song.measures[measure].slots[channel].ref = ref;
        song.measures[measure].slots[channel].start = start;
    }

    std::string CachePath(const std::string& name, int64_t span, const SampleRef& key) const
    {
        return cache.PathOf(stream::CacheFileName(Full(name), span, stream::SpanInName::Yes, key));
    }

    // Cache temporaries left in the cache folder.
    int Temporaries() const
    {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(cache.Folder()))
            n += stream::IsCacheTemporaryName(entry.path().filename().string());
        return n;
    }

    // Opens a song as the engine's streams do and reads it whole.
    bool ReadSong(const std::string& name, int64_t span, const SampleRef& key, std::vector<int16_t>& out,
                  bool* fresh = nullptr)
    {
        stream::SampleStream stream(env);
        if (!stream.OpenRead(Stored(name), span, key))
            return false;
        EXPECT_EQ(stream.Outcome(), stream::OpenOutcome::Song);
        if (fresh)
            *fresh = stream.FreshRender();
        out.assign(size_t(stream.Length() / 2), 0);
        return stream.Read(out.data(), stream.Length()) == stream.Length();
    }

    bm::test::Installation inst;
    FolderList folders;
    stream::CatalogueView catalogue;
    stream::SampleCache cache{inst.folders.temporaryFolder, 200};
    platform::RecordingMessagePort port;
    EngineSampleContext context;
    std::unique_ptr<SongSampleRenderPath> songs;
    stream::StreamEnvironment env;
};

TEST_F(SongSampleTest, RegionsDeliverTheirMeasuresInListOrder)
{
    Song song = MakeSong(4, 1000, 1);
    for (size_t k = 0; k < 4; ++k)
        Put(song, k, 0, AddWave("dc" + std::to_string(k) + ".wav", Constant(1000, int16_t(1000 * (k + 1)))));
    song.regions = {{2, 3, true}, {0, 0, false}};
    const SampleRef key = AddSongEntry("regions.ncp");
    WriteSong("regions.ncp", song);
    Start();

    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("regions.ncp", 1000, key, out));
    ASSERT_EQ(out.size(), 3u * 1000 * 2);
    // The middle of each delivered measure: measures 2, 3 and 0.
    EXPECT_EQ(out[500 * 2], test::Mixed(3000));
    EXPECT_EQ(out[1500 * 2 + 1], test::Mixed(4000));
    EXPECT_EQ(out[2500 * 2], test::Mixed(1000));
}

TEST_F(SongSampleTest, SixteenMeasuresOpenedAtHalfTheirBarAreRenderedWithMeasureLength10176)
{
    const SampleRef click = AddWave("click.wav", Constant(200, 8000));
    Song song = MakeSong(16, 20352, 8);
    Put(song, 5, 0, click, 10176); // half a measure in
    const SampleRef key = AddSongEntry("sixteen.ncp");
    WriteSong("sixteen.ncp", song);
    Start();
    context.barSpan = 20352 * 8;

    std::vector<int16_t> out;
    bool fresh = false;
    ASSERT_TRUE(ReadSong("sixteen.ncp", 81408, key, out, &fresh));
    EXPECT_TRUE(fresh);
    ASSERT_EQ(out.size(), 16u * 10176 * 2);
    const size_t at = 5 * 10176 + 5088; // the start, re-timed
    EXPECT_EQ(out[(at - 1) * 2], 0);
    EXPECT_EQ(out[(at + 50) * 2], test::Mixed(8000));
    EXPECT_EQ(out[(at + 250) * 2], 0);
    EXPECT_TRUE(fs::exists(CachePath("sixteen.ncp", 81408, key)));
    EXPECT_EQ(Temporaries(), 0);
    // The song's samples were opened at a span other than the engine's.
    EXPECT_TRUE(context.dirty);

    const std::vector<Message> messages = port.Take();
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(messages[0].number, msg::kSongSampleRendering);
    EXPECT_EQ(messages[0].lParam, 1);
    EXPECT_EQ(std::get<SampleRef>(messages[0].payload), key);
    EXPECT_EQ(messages[1].number, msg::kWorkerState);
    EXPECT_EQ(messages[1].wParam, 2);
    EXPECT_EQ(messages[1].lParam, 0);
    EXPECT_EQ(messages.back().number, msg::kWorkerState);
    EXPECT_EQ(messages.back().wParam, 0);
    EXPECT_EQ(messages.back().lParam, 2);
    std::vector<int64_t> progress;
    for (const Message& m : messages) {
        if (m.number == msg::kProgress) {
            EXPECT_EQ(std::get<SampleRef>(m.payload), key);
            progress.push_back(m.lParam);
        }
    }
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(SongSampleTest, SecondOpenReusesTheCacheWithoutProgressAndAStaleCacheIsRenderedAgain)
{
    Song song = MakeSong(2, 1000, 2);
    Put(song, 0, 0, AddWave("ramp.wav", stream::test::Ramp(1500, 10)));
    const SampleRef key = AddSongEntry("twice.ncp");
    WriteSong("twice.ncp", song);
    Start();
    context.barSpan = 3000;

    std::vector<int16_t> first;
    ASSERT_TRUE(ReadSong("twice.ncp", 3000, key, first));
    EXPECT_FALSE(context.dirty); // rendered at the engine's own span
    port.Take();

    const std::string cached = CachePath("twice.ncp", 3000, key);
    SetWriteTime(Full("twice.ncp"), 2010, 1, 1, 12);
    SetWriteTime(cached, 2011, 1, 1, 12);
    std::vector<int16_t> second;
    bool fresh = true;
    ASSERT_TRUE(ReadSong("twice.ncp", 3000, key, second, &fresh));
    EXPECT_FALSE(fresh);
    EXPECT_EQ(second, first);
    const std::vector<Message> messages = port.Take();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].number, msg::kSongSampleRendering);
    EXPECT_GT(FileWriteTime(cached), FileWriteTime(Full("twice.ncp"))); // touched: now
    EXPECT_GT(FileWriteTime(cached) / 1000000000, std::time(nullptr) - 600);

    // A song newer than its cache file is rendered again.
    SetWriteTime(cached, 2009, 1, 1, 12);
    ASSERT_TRUE(ReadSong("twice.ncp", 3000, key, second, &fresh));
    EXPECT_TRUE(fresh);
    EXPECT_EQ(second, first);
    EXPECT_GE(Count(port.Take(), msg::kProgress), 2);
}

TEST_F(SongSampleTest, DateFlagTellsWhetherTheSongWasWrittenAfter2002)
{
    const SampleRef key = AddSongEntry("old.ncp");
    Song song = MakeSong(1, 1000, 1);
    Put(song, 0, 0, AddWave("one.wav", Constant(10, 1)));
    WriteSong("old.ncp", song);
    Start();

    SetWriteTime(Full("old.ncp"), 2001, 12, 31, 23);
    EXPECT_FALSE(SongSampleRenderPath::WrittenAfter2002(Full("old.ncp")));
    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("old.ncp", 1000, key, out));
    const std::vector<Message> messages = port.Take();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].number, msg::kSongSampleRendering);
    EXPECT_EQ(messages[0].lParam, 0);

    SetWriteTime(Full("old.ncp"), 2002, 1, 1, 1);
    EXPECT_TRUE(SongSampleRenderPath::WrittenAfter2002(Full("old.ncp")));
}

TEST_F(SongSampleTest, SongsThatUseThemselvesOrEachOtherAreSilentWhereTheyRepeatAndRenderingEnds)
{
    const SampleRef dc = AddWave("dc.wav", Constant(1000, 1000));
    const SampleRef dc2 = AddWave("dc2.wav", Constant(1000, 2000));
    const SampleRef self = AddSongEntry("self.ncp");
    const SampleRef a = AddSongEntry("a.ncp");
    const SampleRef b = AddSongEntry("b.ncp");
    Song song = MakeSong(1, 1000, 1);
    Put(song, 0, 0, self);
    Put(song, 0, 1, dc);
    WriteSong("self.ncp", song);
    Put(song, 0, 0, b);
    WriteSong("a.ncp", song);
    Put(song, 0, 0, a);
    Put(song, 0, 1, dc2);
    WriteSong("b.ncp", song);
    Start();

    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("self.ncp", 1000, self, out));
    EXPECT_EQ(out[500 * 2], test::Mixed(1000)); // only the wave sounds
    EXPECT_EQ(Count(port.Take(), msg::kSongSampleRendering), 2);

    // a plays b, in which a is silent: dc + b's own dc2 mixed twice.
    ASSERT_TRUE(ReadSong("a.ncp", 1000, a, out));
    EXPECT_EQ(out[500 * 2], test::Mixed(1000) + test::Mixed(test::Mixed(2000)));
    EXPECT_EQ(Count(port.Take(), msg::kSongSampleRendering), 3);
}

TEST_F(SongSampleTest, NestingIsBoundedAtEightSongs)
{
    const SampleRef dc = AddWave("dc.wav", Constant(1000, 1000));
    std::vector<SampleRef> chain;
    for (int k = 0; k < 10; ++k)
        chain.push_back(AddSongEntry("s" + std::to_string(k) + ".ncp"));
    for (size_t k = 0; k < chain.size(); ++k) {
        Song song = MakeSong(1, 1000, 1);
        Put(song, 0, 1, dc);
        if (k + 1 < chain.size())
            Put(song, 0, 0, chain[k + 1]);
        WriteSong("s" + std::to_string(k) + ".ncp", song);
    }
    Start();

    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("s0.ncp", 1000, chain[0], out));
    for (size_t k = 0; k < chain.size(); ++k) {
        const std::string name = "s" + std::to_string(k) + ".ncp";
        EXPECT_EQ(fs::exists(CachePath(name, 1000, chain[k])), k < size_t(SongSampleRenderPath::kMaxNesting)) << name;
    }
}

TEST_F(SongSampleTest, BadSongFilesAreUnavailableAndLeaveNoCacheFile)
{
    Song good = MakeSong(3, 500, 2);
    Put(good, 0, 0, AddWave("ramp.wav", stream::test::Ramp(700)));
    good.regions = {{0, 1, true}};
    const SampleRef key = AddSongEntry("bad.ncp");
    WriteSong("good.ncp", good);
    Start();
    const std::string valid = bm::test::ReadFile(Full("good.ncp"));
    ASSERT_FALSE(valid.empty());

    const std::vector<std::string> refused{
        "",
        "%VER 1.1\r\n%COL\r\n",
        "%SIZE 1\r\n%VER 1.0\r\n%COL\r\n",     // the version line must come first
        "%VER 1.0\r\n%SIZE 3\r\n",             // no measures
        "%VER 1.0\r\n%CPT 2147483647\r\n%COL\r\n", // a measure of no frames
        std::string("\x00\xff\xfe garbage", 12),
    };
    for (const std::string& text : refused) {
        ASSERT_TRUE(bm::test::WriteFile(Full("bad.ncp"), text));
        std::vector<int16_t> out;
        EXPECT_FALSE(ReadSong("bad.ncp", 1000, key, out)) << text;
        EXPECT_FALSE(fs::exists(CachePath("bad.ncp", 1000, key))) << text;
    }

    // Hostile counts are clipped: a region far past the end delivers the song.
    ASSERT_TRUE(bm::test::WriteFile(Full("bad.ncp"), "%VER 1.0\r\n%SIZE 99999999999\r\n%SPC -7\r\n%CPT 1\r\n"
                                                     "%REG 0 2147483647 e\r\n%LP 0 0 -5 99999999999 0\r\n%COL\r\n"));
    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("bad.ncp", 1000, key, out));
    EXPECT_EQ(out.size(), 1000u * 2);

    // Damaged copies of a valid song: about 1 % of the bytes changed, or cut
    // short; each gives a sample or none, never a crash.
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        std::string text = valid;
        if (round % 10 == 9)
            text.resize(random() % text.size());
        for (size_t n = text.size() / 100 + 1; n > 0; --n)
            text[random() % text.size()] = char(random());
        ASSERT_TRUE(bm::test::WriteFile(Full("bad.ncp"), text));
        std::remove(CachePath("bad.ncp", 1000, key).c_str());
        ReadSong("bad.ncp", 1000, key, out);
    }
}

TEST_F(SongSampleTest, FailedRenderDeletesTheIncompleteCacheFile)
{
    Song song = MakeSong(16, 20352, 8);
    Put(song, 0, 0, AddWave("ramp.wav", stream::test::Ramp(1000)));
    const SampleRef key = AddSongEntry("big.ncp");
    WriteSong("big.ncp", song);
    Start();

    // Files may grow to 100 000 bytes only: the render's writes fail part way.
    std::vector<int16_t> out;
    bool opened = false;
    {
        bm::test::FileSizeLimit full(100000);
        ASSERT_TRUE(full.Active());
        opened = ReadSong("big.ncp", 81408, key, out);
    }

    EXPECT_FALSE(opened);
    EXPECT_FALSE(fs::exists(CachePath("big.ncp", 81408, key)));
    EXPECT_EQ(Temporaries(), 0);
    const std::vector<Message> messages = port.Take();
    for (const Message& m : messages)
        EXPECT_FALSE(m.number == msg::kProgress && m.lParam == 100); // begun, never finished
    EXPECT_GE(Count(messages, msg::kProgress), 1);
    EXPECT_EQ(messages.back().number, msg::kWorkerState);
    EXPECT_EQ(messages.back().lParam, 2);
}

// A song used as a sample sounds as the song itself rendered at the
// re-timed measure length: the outer mix carries the inner song's frames,
// each through the mixer's full-volume rule (s × 32767 / 32768).
TEST_F(SongSampleTest, SongInASlotPlaysTheInnerSongRenderedAtItsRetimedLength)
{
    std::vector<int16_t> noise(2500 * 2);
    std::mt19937 random(3);
    for (auto& s : noise)
        s = int16_t(int(random() % 40001) - 20000);
    const SampleRef tone = AddWave("noise.wav", noise);
    const SampleRef ramp = AddWave("ramp.wav", stream::test::Ramp(1200, 100));

    // Inner: 4 measures of 1500 frames, 4 per bar; opened at a span of 4000
    // it is re-timed to measures of 1000.
    Song inner = MakeSong(4, 1500, 4);
    Put(inner, 0, 0, tone);
    Put(inner, 2, 1, ramp, 750);
    Put(inner, 3, 2, ramp, 1499);
    inner.measures[3].slots[2].reverse = 1;
    inner.channelVolume[1] = 150;
    inner.envelopes[0][kVolumeEnvelope] = {{0, 32767, 0}, {3000, -32768, 0}, {5999, 32767, 0}};
    inner.envelopes[1][kPanEnvelope] = {{0, -20000, 0}, {5999, 30000, 0}};
    const SampleRef innerKey = AddSongEntry("inner.ncp");
    WriteSong("inner.ncp", inner);
    Start();

    // What the inner song is at measures of 1000, built by hand.
    EngineSong expectedSong = test::MakeSong(4, 1000, 4);
    auto place = [&](int32_t measure, int channel, const SampleRef& ref, int32_t start, int32_t length) {
        EngineSlot& slot = expectedSong.measures[size_t(measure)].slots[size_t(channel)];
        slot = {Stored(inst.library.Find(ref)->firstText), start, length, 0, ref};
    };
    place(0, 0, tone, 0, 2500);
    place(2, 1, ramp, 500, 1200);
    place(3, 2, ramp, 999, 1200);
    expectedSong.measures[3].slots[2].reverse = 1;
    expectedSong.channelGain[1] = 150;
    for (auto& channel : expectedSong.envelopes) {
        channel[kVolumeEnvelope] = {{0, 32767}, {999, 32767}};
        channel[kPanEnvelope] = {{0, 0}, {999, 0}};
    }
    expectedSong.envelopes[0][kVolumeEnvelope] = {{0, 32767}, {2000, -32768}, {3999, 32767}};
    expectedSong.envelopes[1][kPanEnvelope] = {{0, -20000}, {3999, 30000}};
    stream::StreamEnvironment plain{&folders, &catalogue, &cache, nullptr, nullptr};
    stream::StreamSampleSource plainSource(plain);
    SongRenderer plainRenderer(plainSource);
    std::vector<int16_t> expected(4000 * 2);
    ASSERT_EQ(plainRenderer.Render(expectedSong, 0, 4, kUnitGain, expected.data()), 4);

    // Outer: 3 measures of 2000, 2 per bar (bar span 4000); the inner song
    // in measure 0, nothing after it.
    EngineSong outer = test::MakeSong(3, 2000, 2);
    outer.measures[0].slots[0] = {Stored("inner.ncp"), 0, 1000, 0, innerKey};
    stream::StreamSampleSource source(env);
    SongRenderer renderer(source);
    std::vector<int16_t> mixed(3 * 2000 * 2, 1);
    ASSERT_EQ(renderer.Render(outer, 0, 3, kUnitGain, mixed.data()), 3);
    EXPECT_EQ(outer.measures[0].slots[0].length, 4000); // the true length of the rendered song

    int64_t loud = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(mixed[i], int16_t(int64_t(expected[i]) * 32767 / 32768)) << "sample " << i;
        loud = std::max<int64_t>(loud, std::abs(expected[i]));
    }
    EXPECT_GT(loud, 10000);
    for (size_t i = expected.size(); i < mixed.size(); ++i)
        ASSERT_EQ(mixed[i], 0) << "sample " << i;
}

// The package collector follows songs used as samples into their own
// samples; it must find the same files that rendering such a song opens.
TEST_F(SongSampleTest, PackageCollectorPacksTheFilesTheSongPathOpens)
{
    const SampleRef wave = AddWave("w.wav", Constant(100, 5));
    const SampleRef deep = AddWave("deep.wav", Constant(100, 6));
    const SampleRef innerKey = AddSongEntry("in.ncp");
    const SampleRef middleKey = AddSongEntry("mid.ncp");
    Song inner = MakeSong(2, 1000, 1);
    Put(inner, 0, 3, deep);
    WriteSong("in.ncp", inner);
    Song middle = MakeSong(2, 1000, 2);
    Put(middle, 0, 0, wave);
    Put(middle, 1, 5, innerKey);
    WriteSong("mid.ncp", middle);
    Start();

    // The files the song path resolves, following songs as rendering does.
    std::set<std::string> opened;
    std::function<void(const std::string&)> follow = [&](const std::string& file) {
        SongSampleModel model;
        ASSERT_TRUE(ReadSongSampleModel(bm::test::ReadFile(file), file, inst.library, inst.folders.sampleFolders,
                                        inst.program, model));
        for (const EngineMeasure& measure : model.song.measures) {
            for (const EngineSlot& slot : measure.slots) {
                if (slot.IsEmpty())
                    continue;
                const std::string found = FindInFolders(slot.path, inst.folders.sampleFolders);
                if (opened.insert(found).second && found.ends_with(".ncp"))
                    follow(found);
            }
        }
    };
    Song outer = MakeSong(1, 1000, 1);
    Put(outer, 0, 0, middleKey);
    WriteSong("outer.ncp", outer);
    follow(Full("outer.ncp"));

    PackageWriter writer(inst.library, inst.folders);
    Error error;
    ASSERT_TRUE(writer.Write(outer, inst.program + "p.wcp", &error)) << error.message;
    std::set<std::string> packed;
    for (const SampleRef& ref : writer.Packed())
        packed.insert(FindInFolders(inst.library.Find(ref)->path, inst.folders.sampleFolders));
    EXPECT_EQ(packed, opened);
    EXPECT_EQ(packed.size(), 4u);

    // And the song really plays through that path: the deep sample sounds.
    std::vector<int16_t> out;
    ASSERT_TRUE(ReadSong("mid.ncp", 2000, middleKey, out));
    EXPECT_EQ(out[1050 * 2], test::Mixed(test::Mixed(6)));
}

} // namespace
} // namespace bm::engine
