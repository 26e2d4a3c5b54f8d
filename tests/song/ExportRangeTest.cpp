#include "song/ExportRange.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

Song SongWith(size_t measures, std::vector<Region> regions)
{
    Song song;
    song.measures.resize(measures);
    song.regions = std::move(regions);
    return song;
}

// The measures an export walks: from the first, a jump's `to` after its
// `from`, else the next, until the song's end or `count` measures.
std::vector<int32_t> Walk(const ExportRange& range, int32_t measures)
{
    std::vector<int32_t> walked;
    for (int32_t s = range.firstMeasure; s >= 0 && s < measures && int32_t(walked.size()) < range.count;) {
        walked.push_back(s);
        int32_t next = s + 1;
        for (const auto& [from, to] : range.jumps) {
            if (from == s) {
                next = to;
                break;
            }
        }
        s = next;
    }
    return walked;
}

using Jumps = std::vector<std::pair<int32_t, int32_t>>;

struct RangeCase {
    std::string name;
    size_t measures = 0;
    std::vector<Region> regions;
    ExportRange expected;
    std::vector<int32_t> walked;
};

RangeCase Case(std::string name, size_t measures, std::vector<Region> regions, int32_t first, int32_t count,
               Jumps jumps, std::vector<int32_t> walked)
{
    RangeCase c;
    c.name = std::move(name);
    c.measures = measures;
    c.regions = std::move(regions);
    c.expected.firstMeasure = first;
    c.expected.count = count;
    c.expected.jumps = std::move(jumps);
    c.walked = std::move(walked);
    return c;
}

std::vector<RangeCase> Cases()
{
    std::vector<RangeCase> cases;
    cases.push_back(Case("OneRegion", 10, {{4, 7, true}}, 4, 4, {{7, 10}}, {4, 5, 6, 7}));
    cases.push_back(Case("TwoRegions", 10, {{0, 1, true}, {5, 6, true}}, 0, 4, {{6, 10}, {1, 5}}, {0, 1, 5, 6}));
    cases.push_back(Case("RegionsThatAreOffAreSkipped", 10, {{0, 1, false}, {3, 3, true}, {8, 9, false}}, 3, 1,
                         {{3, 10}}, {3}));
    cases.push_back(Case("NoActiveRegion", 10, {{2, 5, false}}, 0, 0, Jumps(), {}));
    cases.push_back(Case("ClippedToTheSong", 6, {{-3, 1, true}, {4, 20, true}}, 0, 4, {{5, 6}, {1, 4}}, {0, 1, 4, 5}));
    cases.push_back(Case("BackwardsOrOutsideRegionsLeftOut", 6, {{3, 2, true}, {7, 9, true}, {2, 2, true}}, 2, 1,
                         {{2, 6}}, {2}));
    return cases;
}

class ActiveRegionRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ActiveRegionRange, GivesFirstCountJumpsAndTheMeasuresWalked)
{
    const RangeCase& c = GetParam();
    const Song song = SongWith(c.measures, c.regions);
    const ExportRange range = MakeExportRange(song, ExportScope::ActiveRegions);
    EXPECT_EQ(range.firstMeasure, c.expected.firstMeasure);
    EXPECT_EQ(range.count, c.expected.count);
    EXPECT_EQ(range.jumps, c.expected.jumps);
    EXPECT_EQ(Walk(range, int32_t(c.measures)), c.walked);
}

INSTANTIATE_TEST_SUITE_P(ExportRange, ActiveRegionRange, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(ExportRange, WholeSongIsEveryMeasureFromTheFirstWithoutJumps)
{
    const Song song = SongWith(10, {{4, 7, true}});
    const ExportRange range = MakeExportRange(song, ExportScope::WholeSong);
    EXPECT_EQ(range, (ExportRange{0, 10, {}}));
    EXPECT_EQ(MakeExportRange(SongWith(0, {}), ExportScope::WholeSong).count, 0);
}

} // namespace
} // namespace bm
