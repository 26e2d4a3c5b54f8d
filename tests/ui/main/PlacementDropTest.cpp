// Putting the placement buffer down: the envelope merge over tables of
// spans, checked against the result and against the engine's copy rebuilt
// from the commands posted, and the slots' targets.

#include "ui/main/PlacementDrop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bm::ui {
namespace {

using engine::CommandCode;

struct MergeCase {
    std::string name;
    Envelope target;
    Envelope buffer;
    int64_t offset = 0;
    Envelope expected;
};

Envelope Points(std::initializer_list<std::pair<int32_t, int32_t>> points)
{
    Envelope out;
    for (auto [p, v] : points)
        out.push_back({p, v, 0});
    return out;
}

// What the engine makes of the posted commands, applied to its copy.
Envelope Replay(Envelope list, const std::vector<engine::EngineCommand>& posted)
{
    for (const auto& c : posted) {
        if (const auto* d = std::get_if<engine::DeleteEnvelopePoint>(&c)) {
            EXPECT_LT(d->index, static_cast<int32_t>(list.size()));
            list.erase(list.begin() + d->index);
        } else if (const auto* i = std::get_if<engine::InsertEnvelopePoint>(&c)) {
            EXPECT_LE(i->index, static_cast<int32_t>(list.size()));
            list.insert(list.begin() + i->index, {i->position, i->value, 0});
        } else if (const auto* s = std::get_if<engine::SetEnvelopePoint>(&c)) {
            list[s->index].position = s->position;
            list[s->index].value = s->value;
        }
    }
    return list;
}

class MergeEnvelopeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeEnvelopeTest, TheSpanIsReplacedAndTheEngineFollows)
{
    const MergeCase& c = GetParam();
    Envelope list = c.target;
    engine::RecordingEngineClient engine;
    MergeEnvelope(list, c.buffer, c.offset, 1000, 3, 1, &engine);
    Envelope expected = c.expected;
    for (auto& p : list)
        p.selected = 0;
    EXPECT_EQ(list, expected);
    Envelope replayed = Replay(c.target, engine.posted);
    EXPECT_EQ(replayed, expected) << "the engine's copy, index by index";
    for (const auto& command : engine.posted) {
        std::visit(
            [](const auto& r) {
                if constexpr (requires { r.channel; r.kind; }) {
                    EXPECT_EQ(r.channel, 3);
                    EXPECT_EQ(r.kind, 1);
                }
            },
            command);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spans, MergeEnvelopeTest,
    ::testing::Values(
        MergeCase{"Inside", Points({{0, 100}, {300, 50}, {500, 60}, {999, 100}}), Points({{0, 10}, {100, 20}}), 250,
                  Points({{0, 100}, {250, 10}, {350, 20}, {500, 60}, {999, 100}})},
        MergeCase{"DuplicatesAtBothEnds", Points({{0, 100}, {200, 1}, {400, 2}, {999, 100}}),
                  Points({{0, 5}, {200, 6}}), 200, Points({{0, 100}, {200, 5}, {400, 6}, {999, 100}})},
        MergeCase{"AtTheSongsStart", Points({{0, 100}, {50, 7}, {999, 100}}), Points({{0, 1}, {100, 2}}), 0,
                  Points({{0, 1}, {100, 2}, {999, 100}})},
        MergeCase{"PastTheSongsEnd", Points({{0, 100}, {900, 3}, {999, 100}}), Points({{0, 1}, {200, 2}}), 850,
                  Points({{0, 100}, {850, 1}, {999, 1}})},
        MergeCase{"BeforeTheSongsStart", Points({{0, 100}, {999, 100}}), Points({{0, 0}, {100, 1000}}), -50,
                  Points({{0, 500}, {50, 1000}, {999, 100}})},
        MergeCase{"DoubledFirstPoint", Points({{0, 100}, {999, 100}}), Points({{0, 1}, {0, 2}, {10, 3}}), 0,
                  Points({{0, 2}, {10, 3}, {999, 100}})},
        MergeCase{"NothingDropped", Points({{0, 100}, {999, 100}}), Envelope{}, 0, Points({{0, 100}, {999, 100}})}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

TEST(PutDownPlacementTest, SlotsLandByMeasureAndShiftedChannelOrAreDropped)
{
    Song song;
    song.measures.resize(4);
    for (auto& channel : song.envelopes)
        for (auto& list : channel)
            list = Points({{0, 0}, {4 * song.samplesPerMeasure - 1, 0}});
    SampleLibrary library;
    SongFragment buffer;
    buffer.measures.resize(3);
    buffer.measures[0].slots[0].ref = SampleRef::Make(0, 0, 0, 0, 1, 0);
    buffer.measures[0].slots[0].start = 77;
    buffer.measures[0].slots[0].selected = 1;
    buffer.measures[2].slots[10].ref = SampleRef::Make(0, 0, 0, 0, 2, 0); // channel 12: dropped
    buffer.measures[2].slots[1].ref = SampleRef::Make(0, 0, 0, 0, 3, 0);  // measure 4: dropped
    buffer.envelopes[9][0] = Points({{100, 5}, {200, 6}});
    buffer.inUse[9][0] = 1;
    buffer.envelopes[5][1] = Points({{100, 5}}); // not in use: left alone
    engine::RecordingEngineClient engine;

    const DropCounts counts = PutDownPlacement(song, library, buffer, {2, 2}, engine);
    EXPECT_EQ(counts.slots, 1);
    EXPECT_EQ(counts.envelopes, 1);
    const ChannelSlot& placed = song.measures[2].slots[2];
    EXPECT_EQ(placed.ref, SampleRef::Make(0, 0, 0, 0, 1, 0));
    EXPECT_EQ(placed.start, 77);
    EXPECT_EQ(placed.selected, 1);
    const int64_t offset = 2 * int64_t(song.samplesPerMeasure);
    EXPECT_EQ(song.envelopes[11][0][1].position, offset + 100);
    EXPECT_EQ(song.envelopes[11][0][2].position, offset + 200);
    EXPECT_EQ(song.envelopes[7][1].size(), 2u);
    ASSERT_FALSE(engine.posted.empty());
    EXPECT_EQ(engine::CodeOf(engine.posted[0]), CommandCode::SetSlot);
    EXPECT_EQ(std::count_if(engine.posted.begin(), engine.posted.end(),
                            [](const auto& c) { return engine::CodeOf(c) == CommandCode::SetSlot; }),
              1);
}

} // namespace
} // namespace bm::ui
