#include "song/NoteOrder.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

struct TransposeCase {
    const char* name;
    int steps;
    const char* expected;
};

class NoteOrderTranspose : public ::testing::TestWithParam<TransposeCase> {};

TEST_P(NoteOrderTranspose, WrapsByOctaves)
{
    const NoteOrder order = NoteOrder::FromText("C\r\nC#\r\n  D  \r\n\r\nD#\r\nE\r\nF\r\nF#\r\nG\r\nG#\r\nA\r\nA#\r\nB\r\n");
    ASSERT_EQ(order.Names().size(), 12u);
    const TransposeCase& c = GetParam();
    EXPECT_EQ(order.Transpose(c.name, c.steps), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Steps, NoteOrderTranspose,
                         ::testing::Values(TransposeCase{"A#", 3, "C#"}, // the eleventh name up by 3: the second
                                           TransposeCase{"A", 3, "C"},
                                           TransposeCase{"C", 0, "C"}, TransposeCase{"D", 2, "E"},
                                           TransposeCase{"C", -1, "B"}, TransposeCase{"C#", -14, "B"},
                                           TransposeCase{"E", 24, "E"}, TransposeCase{"E", -24, "E"},
                                           TransposeCase{"H", 5, "H"}, // not in the list
                                           TransposeCase{"c", 1, "c"}  // names match exactly
                                           ));

TEST(NoteOrder, LongerListsTakeTheFirstMatchAndShortListsKeepTheName)
{
    const NoteOrder twoOctaves = NoteOrder::FromText("C\nD\nE\nF\nG\nA\nB\nC\nD\nE\nF\nG\nA\nB\nC2\n");
    // Index 0 + 13 = 13, inside the 15-name list: no wrap.
    EXPECT_EQ(twoOctaves.Transpose("C", 13), "B");
    EXPECT_EQ(twoOctaves.Transpose("C", 14), "C2");
    EXPECT_EQ(twoOctaves.Transpose("C", 15), "F"); // 15 - 12 = 3

    const NoteOrder shortList = NoteOrder::FromText("C\nD\nE\n");
    EXPECT_EQ(shortList.Transpose("C", -1), "C") << "index 11 leaves a three-name list";
    EXPECT_EQ(shortList.Transpose("D", 1), "E");
    EXPECT_EQ(NoteOrder().Transpose("C", 1), "C");
}

} // namespace
} // namespace bm
