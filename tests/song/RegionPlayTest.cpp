#include "song/RegionPlay.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using Jumps = std::vector<std::pair<int32_t, int32_t>>;

TEST(RegionPlay, StartsInOrAfterTheGivenMeasureAndJumpsBetweenRegionsInOrder)
{
    Song song;
    song.measures.resize(10);
    // Listed out of order, with one region off and one that ends before it starts.
    song.regions = {{5, 6, true}, {1, 2, true}, {3, 3, false}, {8, 7, true}};
    const Jumps jumps{{6, 10}, {2, 5}};

    EXPECT_EQ(MakeRegionPlay(song, 2).startMeasure, 2) << "inside a region";
    EXPECT_EQ(MakeRegionPlay(song, 3).startMeasure, 5) << "the next region's start";
    EXPECT_EQ(MakeRegionPlay(song, 9).startMeasure, 1) << "after the last region: the first";
    EXPECT_EQ(MakeRegionPlay(song, 3).jumps, jumps);

    song.regions = {{3, 3, false}};
    const RegionPlay none = MakeRegionPlay(song, 4);
    EXPECT_TRUE(none.jumps.empty());
    EXPECT_EQ(none.startMeasure, 4);
}

} // namespace
} // namespace bm
