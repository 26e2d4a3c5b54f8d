#include "engine/SongRenderer.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"

#include <gtest/gtest.h>

#include <random>

namespace bm::engine {
namespace {

using test::FakeSampleSource;
using test::MakeSong;
using test::Mixed;
using test::Place;

constexpr int32_t kM = 1000;

struct Observer : SongObserver {
    void MeasuresInvalidated(int32_t first, int32_t count) override { invalidated.push_back({first, count}); }
    void SampleLengthCorrected(const SampleRef& key, int32_t frames) override { lengths.push_back({key, frames}); }
    void RenderProgress(const SampleRef& context, int32_t percent) override
    {
        EXPECT_EQ(context, SampleRef::Make(9, 8, 7, 6, 5, 4));
        progress.push_back(percent);
    }
    std::vector<std::pair<int32_t, int32_t>> invalidated;
    std::vector<std::pair<SampleRef, int32_t>> lengths;
    std::vector<int32_t> progress;
};

std::vector<int16_t> RenderAll(SongRenderer& renderer, EngineSong& song, int64_t master = kUnitGain,
                               SongObserver* observer = nullptr)
{
    std::vector<int16_t> out(size_t(song.MeasureCount()) * size_t(song.samplesPerMeasure) * 2, 12345);
    EXPECT_EQ(renderer.Render(song, 0, song.MeasureCount(), master, out.data(), observer), song.MeasureCount());
    return out;
}

int16_t Left(const std::vector<int16_t>& out, int64_t frame) { return out[size_t(frame) * 2]; }
int16_t Right(const std::vector<int16_t>& out, int64_t frame) { return out[size_t(frame) * 2 + 1]; }

TEST(SongRenderer, ChannelsWithGain0Or401AreSilentAndNotLoaded)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 3 * kM, 1000, 1000);
    source.AddConstant("b.wav", 3 * kM, 1000, 1000);
    EngineSong song = MakeSong(3, kM);
    Place(song, 0, 0, "a.wav", 0, 3 * kM);
    Place(song, 1, 5, "b.wav", 0, 3 * kM);
    song.channelGain[0] = 0;
    song.channelGain[5] = 401;
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(source.TotalOpens(), 0);

    song.channelGain[5] = 400;
    const auto loud = RenderAll(renderer, song);
    EXPECT_EQ(Left(loud, kM + 10), Mixed(1000, 4000));
    EXPECT_EQ(source.Opens("a.wav"), 0);
}

TEST(SongRenderer, ASampleCutByTheNextFadesOverTheMeasureEndAndBeforeTheCut)
{
    FakeSampleSource source;
    source.AddConstant("first.wav", 2 * kM, 20000, -20000);
    source.AddConstant("second.wav", kM, 8000, 8000);
    EngineSong song = MakeSong(3, kM);
    Place(song, 0, 3, "first.wav", 0, 2 * kM);
    Place(song, 1, 3, "second.wav", 100, kM);
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);

    // Measure 0: full level until the last 100 frames, which fall from
    // 400/400 to 201/400 (the second sample starts at frame 100 of measure 1).
    EXPECT_EQ(Left(out, 0), Mixed(20000));
    EXPECT_EQ(Left(out, kM - 101), Mixed(20000));
    EXPECT_EQ(Left(out, kM - 100), Mixed(20000 * 400 / 400));
    EXPECT_EQ(Right(out, kM - 100), Mixed(-20000 * 399 / 400));
    EXPECT_EQ(Left(out, kM - 1), Mixed(20000 * 202 / 400));
    EXPECT_EQ(Right(out, kM - 1), Mixed(-20000 * 201 / 400));
    // Measure 1: the first sample goes on for 100 frames, faded to 0 just
    // before the cut (k / 400 counting back from the last sample).
    EXPECT_EQ(Left(out, kM), Mixed(20000 * 199 / 400));
    EXPECT_EQ(Right(out, kM), Mixed(-20000 * 198 / 400));
    EXPECT_EQ(Left(out, kM + 99), Mixed(20000 * 1 / 400));
    EXPECT_EQ(Right(out, kM + 99), 0);
    // The second sample is untouched from its start.
    EXPECT_EQ(Left(out, kM + 100), Mixed(8000));
    EXPECT_EQ(Right(out, 2 * kM + 99), Mixed(8000));
    EXPECT_EQ(Left(out, 2 * kM + 100), 0) << "its length ends 100 frames into measure 2";
}

TEST(SongRenderer, TheLastMeasureFadesToSilenceOverItsLast100Frames)
{
    FakeSampleSource source;
    source.AddConstant("pad.wav", 4 * kM, 16000, 16000);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "pad.wav", 0, 4 * kM);
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    const int64_t end = 2 * kM;
    EXPECT_EQ(Left(out, end - 201), Mixed(16000)) << "nothing before the last 200 frames";
    // Channel end fade over 200 frames (B = 0), then the mix fade k / 200
    // over the last 200 samples.
    for (int64_t frame = end - 200; frame < end; ++frame) {
        const int64_t j = (frame - (end - 200)) * 2;
        int64_t left = Mixed(16000 * (400 - j) / 400);
        int64_t right = Mixed(16000 * (400 - j - 1) / 400);
        const int64_t kLeft = (end - frame) * 2 - 1; // counted back from the last sample
        if (kLeft < 200)
            left = left * kLeft / 200;
        if (kLeft - 1 < 200)
            right = right * (kLeft - 1) / 200;
        ASSERT_EQ(Left(out, frame), left) << frame;
        ASSERT_EQ(Right(out, frame), right) << frame;
    }
    EXPECT_EQ(Left(out, end - 1), 0);
    EXPECT_EQ(Right(out, end - 1), 0);
}

TEST(SongRenderer, ClipsTo16BitsAndKeepsThePeakAtUnitMasterGain)
{
    FakeSampleSource source;
    source.AddConstant("loud.wav", 2 * kM, 20001, -20001);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "loud.wav", 0, 2 * kM);
    song.channelGain[0] = 200; // 20001 × 2000 / 1000 × 32767 / 32768 = 40000
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    EXPECT_EQ(Left(out, 10), 32767);
    EXPECT_EQ(Right(out, 10), -32768);
    EXPECT_EQ(song.measures[0].peak, 40000);

    song.measures[0].peak = 7;
    RenderAll(renderer, song, 500);
    EXPECT_EQ(song.measures[0].peak, 7) << "only unit master gain stores peaks";
}

TEST(SongRenderer, ExportGainsUse64BitArithmeticInsteadOfWrapping)
{
    FakeSampleSource source;
    source.AddConstant("full.wav", 2 * kM, 32767, -32768);
    source.AddConstant("quiet.wav", 2 * kM, 3, -3);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "full.wav", 0, 2 * kM);
    Place(song, 0, 1, "quiet.wav", 0, 2 * kM);
    song.channelGain[0] = 400;
    song.channelGain[1] = 400;
    // The largest export gain: level 1000 × 32767 / 127 thousandths.
    const int64_t master = 1000LL * 32767 / 127;
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song, master);
    EXPECT_EQ(Left(out, 5), 32767);
    EXPECT_EQ(Right(out, 5), -32768);
    song.channelGain[0] = 0;
    const auto quiet = RenderAll(renderer, song, master);
    EXPECT_EQ(Left(quiet, 5), Mixed(3, master * 400 / 100));
}

struct VolumeCase {
    int32_t volume;
    int64_t expected; // for a sample of 30000 at gain 100
};

class VolumeEnvelope : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeEnvelope, ScalesByHalfTheValuePlus32768Over32768)
{
    FakeSampleSource source;
    source.AddConstant("s.wav", 2 * kM, 30000, -30000);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 2, "s.wav", 0, 2 * kM);
    song.envelopes[2][kVolumeEnvelope] = {{0, GetParam().volume}};
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    EXPECT_EQ(Left(out, 500), GetParam().expected);
    EXPECT_EQ(Right(out, 500), -GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SongRenderer, VolumeEnvelope,
                         ::testing::Values(VolumeCase{-32768, 0}, VolumeCase{32767, 30000LL * 32767 / 32768},
                                           VolumeCase{0, 30000LL * 16384 / 32768},
                                           VolumeCase{-32767, 0} /* (1 / 2) truncates to 0 */));

TEST(SongRenderer, VolumeEnvelopeSegmentsUse1616SlopesWithAnArithmeticShift)
{
    FakeSampleSource source;
    source.AddConstant("s.wav", 3 * kM, 32767, 32767);
    EngineSong song = MakeSong(3, kM);
    Place(song, 0, 0, "s.wav", 0, 3 * kM);
    // From 0 at frame 0 down to -1 at frame 3: slope -21845 / 65536 per frame.
    // With the arithmetic shift frame 1 already reads -1.
    // Then a rise from 0 at 1000 to 1000 at 2000 (slope 1 per frame),
    // entered in the middle at 1500 when measure 1 is rendered alone.
    song.envelopes[0][kVolumeEnvelope] = {{0, 0}, {3, -1}, {1000, 0}, {2000, 1000}, {2500, -32768}};
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    auto mixed = [](int64_t v) { return Mixed(32767, 1000, v); };
    EXPECT_EQ(Left(out, 0), mixed(0));
    EXPECT_EQ(Left(out, 1), mixed(-1));
    EXPECT_EQ(Left(out, 2), mixed(-1));
    EXPECT_NE(mixed(0), mixed(-1));
    // From (3, -1) towards (1000, 0): -1 held until the slope adds up.
    EXPECT_EQ(Left(out, 3), mixed(-1));
    EXPECT_EQ(Left(out, 1000), mixed(0));
    EXPECT_EQ(Left(out, 1250), mixed(250));
    EXPECT_EQ(Left(out, 1999), mixed(999));
    // Between (2000, 1000) and (2500, -32768): slope trunc(-33768 / 500 × 65536).
    const int64_t slope = int64_t(-33768.0 / 500.0 * 65536.0);
    EXPECT_EQ(Left(out, 2100), mixed((1000 * 65536 + 100 * slope) >> 16));
    EXPECT_EQ(Left(out, 2600), 0) << "beyond the last point its value holds";

    // Starting a call at a measure inside a segment interpolates the start.
    std::vector<int16_t> one(size_t(kM) * 2);
    song.envelopes[0][kVolumeEnvelope] = {{0, 0}, {3000, 3000}};
    ASSERT_EQ(renderer.Render(song, 1, 1, kUnitGain, one.data()), 1);
    EXPECT_EQ(Left(one, 0), mixed(1000));
    EXPECT_EQ(Left(one, 500), mixed(1500));
}

TEST(SongRenderer, BeforeTheFirstPointTheEnvelopeRunsFromZeroAtFrameZero)
{
    FakeSampleSource source;
    source.AddConstant("s.wav", 2 * kM, 30000, 30000);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "s.wav", 0, 2 * kM);
    song.envelopes[0][kVolumeEnvelope] = {{1000, 1000}};
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    EXPECT_EQ(Left(out, 0), Mixed(30000, 1000, 0));
    EXPECT_EQ(Left(out, 400), Mixed(30000, 1000, 400));
}

TEST(SongRenderer, PanAttenuatesTheFarChannelOnly)
{
    FakeSampleSource source;
    source.AddConstant("s.wav", 2 * kM, 30000, 30000);
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "s.wav", 0, 2 * kM);
    SongRenderer renderer(source);

    song.envelopes[0][kPanEnvelope] = {{0, 16384}};
    auto out = RenderAll(renderer, song);
    EXPECT_EQ(Left(out, 7), Mixed(30000));
    EXPECT_EQ(Right(out, 7), Mixed(30000 * (32768 - 16384) / 32768));

    song.envelopes[0][kPanEnvelope] = {{0, -32768}};
    out = RenderAll(renderer, song);
    EXPECT_EQ(Left(out, 7), 0);
    EXPECT_EQ(Right(out, 7), Mixed(30000));
}

TEST(SongRenderer, ReverseSlotsPlayTheLastFramesFirst)
{
    FakeSampleSource source;
    const int32_t length = 2 * kM + 500;
    source.AddRamp("ramp.wav", length, 1);
    EngineSong song = MakeSong(4, kM);
    Place(song, 0, 0, "ramp.wav", 300, length, 1);
    song.envelopes[0][kVolumeEnvelope] = {{0, 32767}};
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song);
    // Frame k of the sample holds (1 + k, -(1 + k)); played backwards from frame 300.
    EXPECT_EQ(Left(out, 299), 0);
    EXPECT_EQ(Left(out, 300), Mixed(length));
    EXPECT_EQ(Right(out, 300), Mixed(-length));
    EXPECT_EQ(Left(out, kM - 1), Mixed(length - (kM - 1 - 300)));
    EXPECT_EQ(Left(out, kM), Mixed(length - (kM - 300)));
    EXPECT_EQ(Left(out, 2 * kM + 700), Mixed(length - (2 * kM + 400))) << "running into measure 2";
    EXPECT_EQ(Left(out, 2 * kM + 799), Mixed(1)) << "the sample's first frame comes last";
    EXPECT_EQ(Left(out, 2 * kM + 800), 0);
    ASSERT_GE(source.panReads.size(), 3u);
    EXPECT_TRUE(source.panReads[0].reverse);
    EXPECT_EQ(source.panReads[0].position, length - (kM - 300));
    EXPECT_EQ(source.panReads[0].songPosition, 300);
}

TEST(SongRenderer, PanDelayReadsStartWhereEachBlockIsHeard)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 5 * kM, 100, 100);
    source.AddConstant("b.wav", 500, 100, 100);
    EngineSong song = MakeSong(3, kM);
    Place(song, 0, 1, "a.wav", 250, 5 * kM);
    Place(song, 2, 1, "b.wav", 600, 500);
    SongRenderer renderer(source);
    RenderAll(renderer, song);
    ASSERT_EQ(source.panReads.size(), 4u);
    EXPECT_EQ(source.panReads[0].path, "a.wav");
    EXPECT_EQ(source.panReads[0].position, 0);
    EXPECT_EQ(source.panReads[0].frames, kM - 250);
    EXPECT_EQ(source.panReads[0].songPosition, 250);
    EXPECT_EQ(source.panReads[1].position, kM - 250);
    EXPECT_EQ(source.panReads[1].frames, kM);
    EXPECT_EQ(source.panReads[1].songPosition, kM);
    EXPECT_EQ(source.panReads[2].path, "b.wav");
    EXPECT_EQ(source.panReads[2].frames, 400) << "up to the measure's end";
    EXPECT_EQ(source.panReads[2].songPosition, 2 * kM + 600);
    EXPECT_EQ(source.panReads[3].path, "a.wav");
    EXPECT_EQ(source.panReads[3].position, 2 * kM - 250);
    EXPECT_EQ(source.panReads[3].frames, 600) << "the running sample up to the cut";
}

TEST(SongRenderer, RenderingMeasureByMeasureEqualsOneCall)
{
    FakeSampleSource source;
    std::mt19937 random(5);
    for (int i = 0; i < 6; ++i)
        source.AddRamp("s" + std::to_string(i) + ".wav", 300 + i * 700, i * 1000);
    constexpr int32_t m = 800;
    EngineSong song = MakeSong(12, m);
    for (int32_t measure = 0; measure < 12; ++measure) {
        for (int ch = 0; ch < kChannels; ++ch) {
            if (random() % 3 == 0) {
                const int i = int(random() % 6);
                Place(song, measure, ch, "s" + std::to_string(i) + ".wav", int32_t(random() % m), 300 + i * 700,
                      int32_t(random() % 2));
            }
        }
        song.channelGain[size_t(measure)] = int32_t(random() % 200);
    }
    song.envelopes[3][kVolumeEnvelope] = {{0, -20000}, {4000, 32767}, {9000, 0}};
    song.envelopes[3][kPanEnvelope] = {{100, 20000}, {5000, -32768}};
    SongRenderer whole(source);
    const auto expected = RenderAll(whole, song);

    SongRenderer pieces(source);
    std::vector<int16_t> out(expected.size());
    for (int32_t measure = 0; measure < 12; ++measure)
        ASSERT_EQ(pieces.Render(song, measure, 1, kUnitGain, out.data() + size_t(measure) * m * 2), 1);
    EXPECT_EQ(out, expected);
}

TEST(SongRenderer, AWrongSlotLengthIsCorrectedEverywhereAndReported)
{
    FakeSampleSource source;
    source.AddConstant("x.wav", 1500, 100, 100);
    EngineSong song = MakeSong(6, kM);
    Place(song, 0, 0, "x.wav", 0, 900);
    Place(song, 4, 7, "x.wav", 800, 900);
    for (auto& measure : song.measures)
        measure.rendered = 1;
    Observer observer;
    SongRenderer renderer(source);
    std::vector<int16_t> out(size_t(kM) * 2);
    ASSERT_EQ(renderer.Render(song, 0, 1, kUnitGain, out.data(), &observer), 1);
    EXPECT_EQ(song.measures[0].slots[0].length, 1500);
    EXPECT_EQ(song.measures[4].slots[7].length, 1500);
    ASSERT_EQ(observer.lengths.size(), 1u);
    EXPECT_EQ(observer.lengths[0].second, 1500);
    EXPECT_EQ(observer.invalidated, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {4, 2}}));
    EXPECT_EQ(song.measures[1].rendered, 0);
    EXPECT_EQ(song.measures[2].rendered, 1);
    EXPECT_EQ(source.Opens("x.wav"), 2) << "opened again after the correction";
    EXPECT_EQ(Left(out, 999), Mixed(100));
}

TEST(SongRenderer, AMissingSampleIsSilentAndReportedWithLength0)
{
    FakeSampleSource source;
    EngineSong song = MakeSong(2, kM);
    Place(song, 0, 0, "gone.wav", 0, 1800);
    Observer observer;
    SongRenderer renderer(source);
    const auto out = RenderAll(renderer, song, kUnitGain, &observer);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    ASSERT_EQ(observer.lengths.size(), 1u);
    EXPECT_EQ(observer.lengths[0].second, 0);
    EXPECT_EQ(source.Opens("gone.wav"), 1) << "with length 0 it has ended by the next measure";
}

TEST(SongRenderer, PostsProgressWhenTheTwentiethChanges)
{
    FakeSampleSource source;
    EngineSong song = MakeSong(40, 10);
    Observer observer;
    SongRenderer renderer(source);
    std::vector<int16_t> out(size_t(40) * 10 * 2);
    const SampleRef context = SampleRef::Make(9, 8, 7, 6, 5, 4);
    ASSERT_EQ(renderer.Render(song, 0, 40, 2000, out.data(), &observer, &context), 40);
    ASSERT_EQ(observer.progress.size(), 20u);
    EXPECT_EQ(observer.progress[0], 0);
    EXPECT_EQ(observer.progress[1], 5);
    EXPECT_EQ(observer.progress[19], 95);
    observer.progress.clear();
    ASSERT_EQ(renderer.Render(song, 0, 40, 2000, out.data(), &observer), 40);
    EXPECT_TRUE(observer.progress.empty()) << "no context, no progress";
}

TEST(SongRenderer, StopsAtTheEndOfTheListAndToleratesOddStarts)
{
    FakeSampleSource source;
    source.AddConstant("a.wav", 3000, 100, 100);
    EngineSong song = MakeSong(3, kM);
    Place(song, 0, 0, "a.wav", -50, 3000);
    Place(song, 1, 1, "a.wav", 5000, 3000);
    SongRenderer renderer(source);
    std::vector<int16_t> out(size_t(kM) * 2 * 5, 77);
    EXPECT_EQ(renderer.Render(song, 1, 5, kUnitGain, out.data()), 2);
    EXPECT_EQ(out[size_t(kM) * 2 * 2], 77) << "measures past the end are left alone";
    EXPECT_EQ(renderer.Render(song, 3, 1, kUnitGain, out.data()), 0);
    EXPECT_EQ(renderer.Render(song, -1, 1, kUnitGain, out.data()), 0);
    const auto all = RenderAll(renderer, song);
    EXPECT_EQ(Left(all, 0), Mixed(100)) << "a negative start begins at the measure's start";
}

} // namespace
} // namespace bm::engine
