// Play and stop from the keyboard: Space plays from the cursor, the time
// display runs, the view follows the cursor past the right edge, the meters
// move; Space stops, and what the disk driver wrote is the song's render
// from the cursor's measure on.

#include "ProgramUnderTest.h"
#include "Sound.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bm::e2e {
namespace {

Image Area(const Image& face, const platform::Rect& r)
{
    return face.Crop(r.left, r.top, r.right, r.bottom);
}

bool Same(const Image& a, const Image& b)
{
    return Compare(a, b, 0).pixels == 0 && !Compare(a, b, 0).sizesDiffer;
}

// The worker lamp is lit (green) while the engine loads samples or
// renders; the sound is compared only once the song's samples are loaded.
bool WorkerLampLit(const Image& face)
{
    const platform::Rect& r = layout::ControlOf(layout::ControlId::WireLoad).rect;
    const Image lamp = face.Crop(r.left, r.top, r.right, r.bottom);
    int best = 0;
    for (int32_t y = 0; y < lamp.height; ++y) {
        for (int32_t x = 0; x < lamp.width; ++x) {
            const uint8_t* p = lamp.At(x, y);
            best = std::max(best, int(p[1]) - int(p[0]));
        }
    }
    return best > 60;
}

bool WaitForIdleEngine(ProgramRun& run, std::chrono::milliseconds timeout)
{
    int quiet = 0;
    return WaitUntil(
        [&] {
            quiet = WorkerLampLit(run.Face()) ? 0 : quiet + 1;
            return quiet >= 25;
        },
        timeout);
}

// Frames of one measure of the demo songs (20 352 samples per measure).
constexpr int64_t kMeasureFrames = 20352;
constexpr int32_t kStartMeasure = 36;

TEST(Playback, SpacePlaysFollowsAndStopsAndTheSoundIsTheRenderFromTheCursor)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    const Window w = run->Main();
    // A key closes the splash and does nothing else.
    ASSERT_TRUE(run->DismissSplash());
    x.MoveTo(w, 400, 200);
    ASSERT_TRUE(WaitForIdleEngine(*run, 30s)) << "the engine did not finish loading the song";

    // The widest measures, and the cursor a little before the view's right
    // edge: playback has to scroll the view soon.
    ASSERT_TRUE(x.Key({"shift+Up", "shift+Up", "shift+Up"}));
    std::vector<std::string> rights(kStartMeasure, "Right");
    ASSERT_TRUE(x.Key(rights));
    const Image before = run->Face();
    const platform::Rect& time = layout::TextAreaOf(layout::TextId::Time).rect;
    const platform::Rect& scroll = layout::kArrangementScroll.rect;

    ASSERT_TRUE(x.Key({"space"}));
    // The time display runs, the meters light up, the view scrolls.
    Image playing;
    EXPECT_TRUE(WaitUntil(
        [&] {
            playing = run->Face();
            return !Same(Area(playing, time), Area(before, time));
        },
        5s))
        << "the time display did not move";
    EXPECT_TRUE(WaitUntil([&] { return !Same(Area(run->Face(), layout::kMeters), Area(before, layout::kMeters)); }, 5s))
        << "the meters did not move";
    EXPECT_TRUE(WaitUntil([&] { return !Same(Area(run->Face(), scroll), Area(before, scroll)); }, 10s))
        << "the view did not follow the cursor";
    // Let a few measures play, then stop.
    EXPECT_TRUE(WaitUntil([&] { return FrameCount(ReadRawSound(run->SoundFile())) >= 8 * kMeasureFrames; }, 15s));
    ASSERT_TRUE(x.Key({"space"}));
    // Stopped: the time display and the written sound stand still.
    Image a, b;
    EXPECT_TRUE(WaitUntil(
        [&] {
            a = Area(run->Face(), time);
            const int64_t frames = FrameCount(ReadRawSound(run->SoundFile()));
            PollPause(150ms);
            b = Area(run->Face(), time);
            return Same(a, b) && frames == FrameCount(ReadRawSound(run->SoundFile()));
        },
        5s))
        << "playback did not stop";
    const Samples written = ReadRawSound(run->SoundFile());
    ASSERT_EQ(run->PowerOff(), 0);
    // The device starts a moment before the engine's first buffer reaches
    // it: what it writes until then is digital silence, not an underrun.
    int64_t lead = 0;
    while (lead < FrameCount(written) && written[size_t(lead) * 2] == 0 && written[size_t(lead) * 2 + 1] == 0)
        ++lead;
    EXPECT_LT(lead, 4096) << "the sound started late";
    const Samples played(written.begin() + lead * 2, written.end());

    // The song's render, from a little before the cursor's measure on.
    const ProgramFolder& folder = session.Folder();
    const std::string rendered = session.Root() + "/render.wav";
    ASSERT_TRUE(RunCliIn(folder.Path(), {"render", folder / "DEMOSONGS/Intro.ncp", rendered}).ok());
    const Samples song = ReadWaveSound(rendered);
    const int64_t from = (kStartMeasure - 1) * kMeasureFrames;
    ASSERT_GT(FrameCount(song), from + 8 * kMeasureFrames);
    const Samples tail(song.begin() + from * 2, song.end());
    // All but the last buffers before the stop.
    const SoundMatch m = MatchSound(played, tail, 2 * kMeasureFrames, FrameCount(played) - 8192);
    ASSERT_TRUE(m.found) << m.Describe();
    // It starts at the cursor's measure (a measure that begins with silence
    // of its own starts a little later, within the silence stripped above).
    const int64_t start = m.referenceStart + from - m.playedStart;
    EXPECT_GE(start, kStartMeasure * kMeasureFrames) << m.Describe();
    EXPECT_LT(start, kStartMeasure * kMeasureFrames + 4096) << m.Describe();
    EXPECT_LT(m.residual, 1e-3) << m.Describe();
    EXPECT_GT(m.gain, 0.1) << m.Describe();
    EXPECT_EQ(m.silentGaps, 0) << m.Describe();
    EXPECT_GE(m.frames, 7 * kMeasureFrames) << m.Describe();
}

} // namespace
} // namespace bm::e2e
