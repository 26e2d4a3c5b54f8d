#include "engine/Successors.h"

#include "SongBuilder.h"

#include <gtest/gtest.h>

namespace bm::engine {
namespace {

// The measures a walk from `start` visits until it leaves the song or a
// jump goes back (playback without looping).
std::vector<int32_t> Walk(const EngineSong& song, int32_t start)
{
    std::vector<int32_t> visited;
    for (int32_t a = start; a >= 0 && a < song.MeasureCount() && visited.size() < 100;) {
        visited.push_back(a);
        const int32_t next = song.measures[size_t(a)].successor;
        a = next <= a ? -1 : next;
    }
    return visited;
}

std::vector<int32_t> Successors(const EngineSong& song)
{
    std::vector<int32_t> successors;
    for (const auto& measure : song.measures)
        successors.push_back(measure.successor);
    return successors;
}

TEST(Successors, PlainPlaybackWrapsTheLastMeasureToTheFirst)
{
    EngineSong song = test::MakeSong(4, 100);
    SetPlainSuccessors(song);
    EXPECT_EQ(Successors(song), (std::vector<int32_t>{1, 2, 3, 0}));
}

TEST(Successors, RegionPairsSkipTheGapsAndEndAfterTheLastRegion)
{
    EngineSong song = test::MakeSong(10, 100);
    SetJumpSuccessors(song, {{6, 10}, {1, 5}});
    EXPECT_EQ(Walk(song, 0), (std::vector<int32_t>{0, 1, 5, 6}));
    SetJumpSuccessors(song, {{7, 10}});
    EXPECT_EQ(Walk(song, 4), (std::vector<int32_t>{4, 5, 6, 7}));
}

TEST(Successors, ALoopPairDrawsTheMeasuresBeforeItsStartIntoIt)
{
    EngineSong song = test::MakeSong(8, 100);
    SetJumpSuccessors(song, {{5, 2}, {2, 4}});
    EXPECT_EQ(Successors(song), (std::vector<int32_t>{2, 2, 4, 4, 5, 2, 2, 2}));
    SetJumpSuccessors(song, {});
    EXPECT_EQ(Successors(song), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    SetJumpSuccessors(song, {{-5, 99}, {INT32_MIN, INT32_MAX}});
    EXPECT_EQ(song.measures[0].successor, INT32_MAX) << "out-of-range pairs stay within the list";
}

} // namespace
} // namespace bm::engine
