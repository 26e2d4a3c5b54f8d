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
    EXPECT_EQ(PitchedCopySpan(wave, r, 162816), 80000);
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

} // namespace
} // namespace bm::stream::test
