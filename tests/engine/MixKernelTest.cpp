#include "engine/MixKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

namespace bm::engine {
namespace {

struct Sweep {
    int64_t gain;
    int32_t volumeFrom, volumeTo;
    int32_t panFrom, panTo;
};

// Runs shaped as the renderer makes them: a line from one envelope value to
// another over the run, in 16.16 fixed point with a truncated slope.
MixRun MakeRun(const Sweep& sweep, int32_t frames, const std::vector<int16_t>& in, std::vector<int64_t>& acc)
{
    MixRun run;
    run.in = in.data();
    run.accumulator = acc.data();
    run.frames = frames;
    run.gain = sweep.gain;
    run.volume = int64_t(sweep.volumeFrom) * 65536;
    run.volumeSlope = int64_t(double(sweep.volumeTo - int64_t(sweep.volumeFrom)) / frames * 65536.0);
    run.pan = int64_t(sweep.panFrom) * 65536;
    run.panSlope = int64_t(double(sweep.panTo - int64_t(sweep.panFrom)) / frames * 65536.0);
    return run;
}

TEST(MixKernel, FastKernelEqualsThe64BitLoop)
{
    std::mt19937 random(3);
    constexpr int32_t kFrames = 777;
    std::vector<int16_t> in(kFrames * 2);
    const std::vector<Sweep> fixed = {
        {1000, 32767, 32767, 0, 0},          {4000, -32768, 32767, -32768, 32767}, {65535, 32767, -32768, 32767, -32768},
        {65536, 0, 0, 0, 0} /* 64-bit path */, {0, 5, 5, 5, 5},                     {1, -32768, -32768, 32767, 32767},
        {258007, 32767, 32767, 0, 0},        {3000, 40000, -40000, 50000, -50000} /* out of range values */,
    };
    for (int round = 0; round < 300; ++round) {
        for (auto& s : in)
            s = int16_t(random());
        in[0] = -32768;
        in[1] = 32767;
        Sweep sweep = round < int(fixed.size())
                        ? fixed[size_t(round)]
                        : Sweep{int64_t(random() % 70000), int32_t(random() % 65536) - 32768,
                                int32_t(random() % 65536) - 32768, int32_t(random() % 65536) - 32768,
                                int32_t(random() % 65536) - 32768};
        std::vector<int64_t> fast(kFrames * 2, 17);
        std::vector<int64_t> reference(kFrames * 2, 17);
        Mix(MakeRun(sweep, kFrames, in, fast));
        MixReference(MakeRun(sweep, kFrames, in, reference));
        ASSERT_EQ(fast, reference) << "round " << round << " gain " << sweep.gain;
    }
}

TEST(MixKernel, ShortRunsAndSteepSlopes)
{
    std::vector<int16_t> in = {-32768, 32767, 12345, -12345, 1, -1};
    for (int32_t frames = 1; frames <= 3; ++frames) {
        const Sweep sweep{2000, -32768, 32767, 32767, -32768};
        std::vector<int64_t> fast(6, 0);
        std::vector<int64_t> reference(6, 0);
        Mix(MakeRun(sweep, frames, in, fast));
        MixReference(MakeRun(sweep, frames, in, reference));
        EXPECT_EQ(fast, reference) << frames;
    }
}

// A damaged song can carry any 32-bit envelope value and the export any
// gain: the mix must stay defined (no overflow) and such values act as the
// ends of the 16-bit range.
TEST(MixKernel, EnvelopeValuesBeyondSixteenBitsActAsTheRangeEnds)
{
    const std::vector<int16_t> in = {-32768, 32767, 32767, -32768};
    const int64_t gain = INT32_MAX;
    std::vector<int64_t> wild(4, 0);
    std::vector<int64_t> edge(4, 0);
    MixReference(MakeRun({gain, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 2, in, wild));
    MixReference(MakeRun({gain, -32768, -32768, 32767, 32767}, 2, in, edge));
    EXPECT_EQ(wild, edge);
    std::fill(wild.begin(), wild.end(), 0);
    std::fill(edge.begin(), edge.end(), 0);
    Mix(MakeRun({gain, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, 2, in, wild));
    MixReference(MakeRun({gain, 32767, 32767, -32768, -32768}, 2, in, edge));
    EXPECT_EQ(wild, edge);
    EXPECT_EQ(wild[0], 0) << "the pan takes the left channel away";
    EXPECT_NE(wild[1], 0) << "at full volume";
}

} // namespace
} // namespace bm::engine
