// The generator's building blocks: harmony arithmetic, oscillator tuning,
// loop seams and level matching.

#include "Audio.h"
#include "Dsp.h"
#include "Harmony.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace bm::content {
namespace {

struct StepCase {
    const char* chord;
    int rootMidi;
    int steps;
    int expected;
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.chord << " " << c.rootMidi << " +" << c.steps; }

class ScaleStepTable : public ::testing::TestWithParam<StepCase> {};

TEST_P(ScaleStepTable, StaysInCMajor)
{
    const auto& c = GetParam();
    const ChordInfo* chord = FindChord(c.chord);
    ASSERT_NE(chord, nullptr);
    EXPECT_EQ(ScaleStep(chord->degree, c.rootMidi, c.steps), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Content, ScaleStepTable,
                         ::testing::Values(StepCase{"C", 60, 2, 64},  // major third on C
                                           StepCase{"A", 57, 2, 60},  // minor third on A
                                           StepCase{"A", 57, 4, 64},  // fifth
                                           StepCase{"F", 53, 6, 64},  // major seventh on F
                                           StepCase{"G", 55, 6, 65},  // minor seventh on G
                                           StepCase{"E", 52, 4, 59},  // fifth of E minor
                                           StepCase{"C", 60, -1, 59}, // a step below wraps the octave
                                           StepCase{"D", 62, 7, 74},  // an octave is seven steps
                                           StepCase{"D", 62, 9, 77})); // tenth

TEST(Harmony, ChordsAreTheDiatonicTriadsNamedByTheNoteOrder)
{
    std::vector<std::string> names;
    for (const auto& c : FactoryChords())
        names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"C", "D", "E", "F", "G", "A"}));
    EXPECT_EQ(NoteAtOrAbove(9, 33), 33);
    EXPECT_EQ(NoteAtOrAbove(0, 33), 36);
    EXPECT_EQ(NoteAtOrAbove(11, 60), 71);
    EXPECT_EQ(CloseVoicing(*FindChord("A"), 55, false), (std::vector<int>{57, 60, 64}));
    EXPECT_EQ(CloseVoicing(*FindChord("G"), 55, true), (std::vector<int>{55, 59, 62, 65}));
    EXPECT_EQ(FindChord("C#"), nullptr);
}

struct OscCase {
    Wave wave;
    double hz;
    double pulseWidth;
};

void PrintTo(const OscCase& c, std::ostream* os)
{
    static const char* const kNames[] = {"sine", "saw", "square", "triangle"};
    *os << kNames[static_cast<int>(c.wave)] << " " << c.hz << " Hz width " << c.pulseWidth;
}

class OscillatorTable : public ::testing::TestWithParam<OscCase> {};

// One second of the wave: its rising zero crossings count its cycles, and
// its mean is zero (no offset, also for narrow pulses).
TEST_P(OscillatorTable, RunsAtItsFrequencyWithoutOffset)
{
    const auto& c = GetParam();
    Oscillator osc(0.1);
    double previous = osc.Next(c.hz, c.wave, c.pulseWidth);
    double sum = previous;
    int crossings = 0;
    for (int i = 1; i < kRate; ++i) {
        const double v = osc.Next(c.hz, c.wave, c.pulseWidth);
        if (previous < 0.0 && v >= 0.0)
            ++crossings;
        previous = v;
        sum += v;
    }
    EXPECT_NEAR(crossings, c.hz, 1.0);
    EXPECT_NEAR(sum / kRate, 0.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Content, OscillatorTable,
                         ::testing::Values(OscCase{Wave::Sine, 55.0, 0.5}, OscCase{Wave::Saw, 440.0, 0.5},
                                           OscCase{Wave::Square, 261.0, 0.5}, OscCase{Wave::Square, 220.0, 0.3},
                                           OscCase{Wave::Triangle, 1234.0, 0.5}, OscCase{Wave::Saw, 3000.0, 0.5}));

TEST(Dsp, EqualTemperamentAroundA440AndSeededNoise)
{
    EXPECT_DOUBLE_EQ(MidiToHz(69), 440.0);
    EXPECT_DOUBLE_EQ(MidiToHz(57), 220.0);
    EXPECT_NEAR(MidiToHz(60), 261.6256, 1e-4);
    Rng a(7), b(7), c(8);
    for (int i = 0; i < 100; ++i) {
        const double x = a.Uniform();
        EXPECT_EQ(x, b.Uniform());
        EXPECT_GE(x, 0.0);
        EXPECT_LT(x, 1.0);
    }
    EXPECT_NE(Rng(7).Next(), c.Next());
}

TEST(Audio, AVoiceCutByTheLoopEndFadesToSilence)
{
    Audio loop = Audio::Mono(1000);
    const std::vector<float> voice(800, 1.0f);
    MixVoice(loop, voice, 600, 0.5);
    EXPECT_EQ(loop.left[599], 0.0f);
    EXPECT_FLOAT_EQ(loop.left[600], 0.5f);
    EXPECT_FLOAT_EQ(loop.left[700], 0.5f);
    EXPECT_LT(loop.left[999], 0.01f);
    for (size_t i = 601; i < 1000; ++i)
        EXPECT_LE(loop.left[i], loop.left[i - 1] + 1e-6f);
    // A voice that fits is copied whole.
    Audio other = Audio::Mono(1000);
    MixVoice(other, std::vector<float>(100, 1.0f), 10, 1.0);
    EXPECT_FLOAT_EQ(other.left[109], 1.0f);
    EXPECT_EQ(other.left[110], 0.0f);
}

TEST(Audio, EffectsOnALoopWrapTheirTailToTheStart)
{
    Audio loop = Audio::Mono(kLoopFrames);
    for (int i = 0; i < 2000; ++i)
        loop.left[static_cast<size_t>(kLoopFrames - 4000 + i)] = static_cast<float>(std::sin(i * 0.05) * 0.5);
    Audio wrapped = loop;
    AddReverb(wrapped, 0.8, 0.5, 0.5, Tail::Wrap);
    Audio cut = loop;
    AddReverb(cut, 0.8, 0.5, 0.5, Tail::Cut);
    ASSERT_TRUE(wrapped.IsStereo());
    // The tail of the sound near the end sounds again at the loop's start.
    EXPECT_GT(std::fabs(wrapped.left[3000]), 1e-4f);
    EXPECT_EQ(cut.left[3000], 0.0f);
    double largest = 0.0;
    for (size_t i = 1; i < wrapped.left.size(); ++i)
        largest = std::max(largest, static_cast<double>(std::fabs(wrapped.left[i] - wrapped.left[i - 1])));
    EXPECT_LE(std::fabs(wrapped.left.back() - wrapped.left.front()), largest);
}

TEST(Audio, LevelsMatchTogetherAndStayUnderTheCeiling)
{
    Audio quiet = Audio::Mono(1000), loud = Audio::Mono(1000);
    for (size_t i = 0; i < 1000; ++i) {
        quiet.left[i] = static_cast<float>(0.01 * std::sin(i * 0.1));
        loud.left[i] = static_cast<float>(0.02 * std::sin(i * 0.1));
    }
    MatchLevel({&quiet, &loud}, -20.0, -1.5);
    EXPECT_NEAR(20.0 * std::log10(RmsOf(quiet)), -20.0, 0.01);
    EXPECT_NEAR(RmsOf(loud) / RmsOf(quiet), 2.0, 1e-4); // one gain for the set
    // A target the peaks cannot reach stops at the peak cap.
    MatchLevel({&quiet, &loud}, -3.0, -6.0);
    EXPECT_NEAR(20.0 * std::log10(PeakOf(loud)), -6.0, 0.01);

    Audio hot = Audio::Stereo(3);
    hot.left = {2.0f, -2.0f, 0.6f / 32767.0f};
    hot.right = {0.0f, 1.0f, -1.0f};
    const auto pcm = ToPcm(hot);
    // -1 dBFS: 0.891 of full scale.
    EXPECT_EQ(pcm, (std::vector<int16_t>{29203, 0, -29203, 29203, 1, -29203}));
}

} // namespace
} // namespace bm::content
