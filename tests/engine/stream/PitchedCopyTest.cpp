#include "engine/stream/PitchedCopy.h"
#include "engine/stream/SampleStream.h"
#include "StreamFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::stream::test {
namespace {

using bm::test::TempDir;

TEST(PitchedCopySpan, FollowsSongAndSampleKinds)
{
    SampleDescriptor wave;
    wave.path = "a.wav";
    wave.length = 40000;
    SampleDescriptor song;
    song.path = "b.NCP";
    const double r = 0.5;
    wave.kind = 0;
    EXPECT_EQ(PitchedCopySpan(wave, r, 162816), 162816);
    wave.kind = 2;
    EXPECT_EQ(PitchedCopySpan(wave, r, 162816), 160000) << "stretched to 80000 frames, then resampled to 40000";
    song.kind = 0;
    EXPECT_EQ(PitchedCopySpan(song, r, 162816), 325632);
    song.kind = 1;
    EXPECT_EQ(PitchedCopySpan(song, r, 162816), 162816);
    EXPECT_EQ(PitchedCopySpan(wave, 0.0, 162816), -1);
}

TEST(PitchedCopy, OctaveUpHalvesTheSampleAndFailuresLeaveNothing)
{
    TempDir samples;
    TempDir out;
    FolderList folders;
    folders.Assign({samples.Path(), ""});
    StreamEnvironment env;
    env.folders = &folders;
    WriteWave(samples / "a.wav", {2, 44100, Ramp(1000, 1), {}, {}});
    SampleDescriptor d;
    d.firstText = "a";
    d.path = "a.wav";

    ASSERT_TRUE(MakePitchedCopy(d, SampleRef::Empty(), 12, 162816, out / "up.wav", env));
    SampleStream copy(env);
    ASSERT_TRUE(copy.OpenRead(out / "up.wav", 0, SampleRef::Empty()));
    EXPECT_EQ(copy.Length(), 2000 - 12); // D = 4000 x 0.5 bytes, less 12
    std::vector<int16_t> all(size_t(copy.Length() / 2));
    copy.Read(all.data(), copy.Length());
    EXPECT_EQ(all[0], 3);  // output frame 0 reads source frame 2
    EXPECT_EQ(all[2], 5);

    Error error;
    EXPECT_FALSE(MakePitchedCopy(d, SampleRef::Empty(), -1000, 162816, out / "low.wav", env, &error));
    EXPECT_FALSE(std::filesystem::exists(out / "low.wav"));
    d.path = "missing.wav";
    EXPECT_FALSE(MakePitchedCopy(d, SampleRef::Empty(), 1, 162816, out / "none.wav", env, &error));
    EXPECT_FALSE(std::filesystem::exists(out / "none.wav"));
    EXPECT_FALSE(MakePitchedCopy(d, SampleRef::Empty(), 1, 162816, out / "no/such/dir.wav", env, &error));
}

TEST(PitchedCopy, AStretchableSampleKeepsItsLengthAndAnEarlierFileSurvivesAFailure)
{
    TempDir samples;
    TempDir cacheFolder;
    TempDir out;
    FolderList folders;
    folders.Assign({samples.Path(), ""});
    SampleCache cache(cacheFolder.Path(), 200);
    cache.SetFreeMegabytesForTest(100000);
    CatalogueView catalogue;
    StreamEnvironment env;
    env.folders = &folders;
    env.catalogue = &catalogue;
    env.cache = &cache;
    constexpr int kFrames = 30000; // within the stretchable lengths
    WriteWave(samples / "loop.wav", {2, 44100, Ramp(kFrames), {}, {}});
    SampleLibrary library = OneVariantLibrary();
    SampleDescriptor& d = OnlyVariant(library);
    d.firstText = "loop";
    d.path = "loop.wav";
    d.length = kFrames;
    d.kind = 3;
    catalogue.Publish(library);
    const SampleRef key = SampleRef::Make(0, 0, 0, 0, 0, 0);

    for (double semitones : {0.0, 12.0, -12.0, 5.0}) {
        SCOPED_TRACE(semitones);
        ASSERT_TRUE(MakePitchedCopy(d, key, semitones, 162816, out / "copy.wav", env));
        SampleStream copy(env);
        ASSERT_TRUE(copy.OpenRead(out / "copy.wav", 0, SampleRef::Empty()));
        EXPECT_NEAR(double(copy.Length()), 4.0 * kFrames, 4.0 * 16) << "the duration stays the same";
    }

    // A copy that fails (here: the sample is gone) leaves the earlier file of
    // the chosen name as it was.
    const std::string before = bm::test::ReadFile(out / "copy.wav");
    std::filesystem::remove(samples / "loop.wav");
    Error error;
    EXPECT_FALSE(MakePitchedCopy(d, key, 3, 162816, out / "copy.wav", env, &error));
    EXPECT_EQ(bm::test::ReadFile(out / "copy.wav"), before);
}

} // namespace
} // namespace bm::stream::test
