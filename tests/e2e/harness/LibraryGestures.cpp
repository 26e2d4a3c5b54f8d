#include "LibraryGestures.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

namespace bm::e2e {

// Two seconds of beats of filtered noise (no period, so where the played
// sound lies in it is unambiguous), different in each channel and for
// each seed.
Samples Beats(uint32_t seed)
{
    Samples s(static_cast<size_t>(kSampleFrames) * 2);
    uint32_t state = seed;
    double left = 0, right = 0;
    for (int64_t i = 0; i < kSampleFrames; ++i) {
        const double beat = static_cast<double>(i % (kFramesPerSecond / 4)) / (kFramesPerSecond / 4);
        const double envelope = 1.0 - 0.8 * beat;
        state = state * 1664525u + 1013904223u;
        const double a = static_cast<double>(state >> 16) / 32768.0 - 1.0;
        state = state * 1664525u + 1013904223u;
        const double b = static_cast<double>(state >> 16) / 32768.0 - 1.0;
        left += 0.2 * (a - left);
        right += 0.2 * (b - right);
        s[size_t(i) * 2] = static_cast<int16_t>(20000 * envelope * left);
        s[size_t(i) * 2 + 1] = static_cast<int16_t>(20000 * envelope * right);
    }
    return s;
}

// The pointer away from every control that has a hint, so that the status
// line shows the program's messages. (It must not be there already: a move
// to where it is waits for a motion that never comes.)
void PointerAway(const XDisplay& x, ProgramRun& run)
{
    x.MoveTo(run.Main(), 400, 200);
}

Image LibraryArea(ProgramRun& run)
{
    const platform::Rect& r = layout::kLibrary;
    return run.Face().Crop(r.left, r.top, r.right, r.bottom);
}

Image CellPicture(ProgramRun& run, int32_t row, int32_t column)
{
    const platform::Rect r = layout::LibraryCellRect(row, column);
    return run.Face().Crop(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
}

// Closes the drums' first part and opens their user part: its free entry,
// with the add button, shows under the part rows.
void OpenTheUserPart(const XDisplay& x, ProgramRun& run)
{
    const platform::Rect addButton = layout::LibraryAddRect(kFirstUserEntryRow);
    const Image before = run.Face().Crop(addButton.left, addButton.top, addButton.right, addButton.bottom);
    const platform::Rect secondRow = layout::LibraryRowRect(1);
    const auto rowPicture = [&] {
        return run.Face().Crop(secondRow.left, secondRow.top, secondRow.right, secondRow.bottom);
    };
    const Image entryRow = rowPicture();
    const ClientPoint first = CentreOf(layout::LibraryRowRect(0));
    ASSERT_TRUE(x.Click(run.Main(), first.x, first.y));
    // The first part's entry row gives way to the second part's row.
    ASSERT_TRUE(WaitUntil([&] { return Compare(rowPicture(), entryRow, 0).pixels > 0; }, 5s))
        << "the first part did not close";
    const ClientPoint user = CentreOf(layout::LibraryRowRect(kDrumsUserPart));
    ASSERT_TRUE(x.Click(run.Main(), user.x, user.y));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const Image now = run.Face().Crop(addButton.left, addButton.top, addButton.right, addButton.bottom);
            return Compare(now, before, 0).pixels > 0;
        },
        5s))
        << "the user part did not open";
}

// The add button, then `typed` in the file dialog's name field and Return.
void AddThroughTheFileDialog(const XDisplay& x, ProgramRun& run, const std::string& typed)
{
    const ClientPoint add = CentreOf(layout::LibraryAddRect(kFirstUserEntryRow));
    ASSERT_TRUE(x.Click(run.Main(), add.x, add.y));
    AnswerFileDialog(x, run, typed);
}

// The sample properties dialog of one added file, accepted with Return
// (OK is its default button); `previous` is the dialog of the file before.
// A plain sample gets the first kind (a plain sample, not stretched)
// instead of the loop kind the group proposes: in tab order the path, name, key and description
// fields and the browse button come before the kind list.
void AcceptSampleProperties(const XDisplay& x, ProgramRun& run, std::optional<Window>& previous, bool plain)
{
    std::optional<Window> dialog;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (Window w : x.Windows("^Sample properties$", run.Pid())) {
                if (!previous || w != *previous)
                    dialog = w;
            }
            return dialog.has_value();
        },
        10s))
        << "no sample properties dialog";
    x.Activate(*dialog);
    ASSERT_TRUE(WaitUntil([&] { return x.Focused() == *dialog; }, 5s));
    if (plain) {
        ASSERT_TRUE(x.Key({"Tab", "Tab", "Tab", "Tab", "Tab", "Home"}));
    }
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitUntil([&] { return !x.Visible(*dialog); }, 10s)) << "the sample properties dialog stayed";
    previous = dialog;
}

} // namespace bm::e2e
