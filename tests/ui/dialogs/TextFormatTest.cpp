// The dialog text formats come from an archive anyone can edit: they must
// give what printf would for well-formed ones and stay safe for the rest.

#include "ui/dialogs/TextFormat.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

TEST(TextFormatTest, FillsWellFormedFormatsAsPrintfWould)
{
    EXPECT_EQ(FormatText("%.1f %s", {62.5, "%"}), "62.5 %");
    EXPECT_EQ(FormatText("%d cells (%.4f bars, %s)", {int64_t(32), 8.0, "00:14.76"}), "32 cells (8.0000 bars, 00:14.76)");
    EXPECT_EQ(FormatText("[%5d|%-4s|%05.1f|%x]", {42, "ab", 3.14159, 255}), "[   42|ab  |003.1|ff]");
    EXPECT_EQ(FormatText("100%% done", {}), "100% done");
    EXPECT_EQ(FormatText("%ld and %lld", {7, 8}), "7 and 8");
}

TEST(TextFormatTest, ConvertsEachValueToWhatItsPlaceAsksFor)
{
    EXPECT_EQ(FormatText("%d", {2.9}), "2");
    EXPECT_EQ(FormatText("%.2f", {3}), "3.00");
    EXPECT_EQ(FormatText("%s|%s", {5, 1.5}), "5|1.5");
    EXPECT_EQ(FormatText("%d", {"12 bars"}), "12");
}

TEST(TextFormatTest, HostileFormatsNeverReadPastTheValuesOrGrowWithout)
{
    // More places than values: the missing ones print 0 or nothing.
    EXPECT_EQ(FormatText("%s %d %f %s", {"a"}), "a 0 0.000000 ");
    // Conversions that would write or take pointers are printed as text.
    EXPECT_EQ(FormatText("%n%p%*d", {1, 2}), "%n%p%*d");
    // Widths and precisions are capped.
    EXPECT_EQ(FormatText("%99999999d", {1}).size(), 64u);
    EXPECT_EQ(FormatText("%.99999f", {1.0}).size(), 66u);
    EXPECT_EQ(FormatText("%.2s", {"abcdef"}), "ab");
    // A format ending inside a conversion keeps its tail.
    EXPECT_EQ(FormatText("50%", {}), "50%");
    EXPECT_EQ(FormatText("x %.", {1}), "x %.");
}

} // namespace
} // namespace bm::dialogs
