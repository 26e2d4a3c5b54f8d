#pragma once

// What a person does with the library browser's user part: open it, add
// files through its add button and the file dialog, accept the sample
// properties dialog; and test sounds to add.
//
//     OpenTheUserPart(x, run);
//     AddThroughTheFileDialog(x, run, "\"" + path + "\"");
//     std::optional<Window> previous;
//     AcceptSampleProperties(x, run, previous, true);

#include "DialogGestures.h"
#include "ProgramUnderTest.h"
#include "Sound.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bm::e2e {

// The drums group (the library's first) opens on its first part; its user
// part is the sixth and last.
inline constexpr int32_t kDrumsUserPart = 5;
// With every part closed but the user part, its entries follow the part rows.
inline constexpr int32_t kFirstUserEntryRow = kDrumsUserPart + 1;
inline constexpr int64_t kSampleFrames = 2 * kFramesPerSecond;
// The demo song's measure.
inline constexpr int64_t kDemoMeasureFrames = 20352;

// Two seconds of beats of filtered noise (no period, so where the played
// sound lies in it is unambiguous), different in each channel and for
// each seed.
Samples Beats(uint32_t seed);

// Moves the pointer away from every control that has a hint, so that the
// status line shows the program's messages. (It must not be there already:
// a move to where it is waits for a motion that never comes.)
void PointerAway(const XDisplay& x, ProgramRun& run);

Image LibraryArea(ProgramRun& run);
// A library cell's picture without its frame.
Image CellPicture(ProgramRun& run, int32_t row, int32_t column);

// Closes the drums' first part and opens their user part: its free entry,
// with the add button, shows under the part rows. (Fails the test when the
// browser does not answer.)
void OpenTheUserPart(const XDisplay& x, ProgramRun& run);

// The add button, then `typed` in the file dialog's name field and Return.
void AddThroughTheFileDialog(const XDisplay& x, ProgramRun& run, const std::string& typed);

// The sample properties dialog of one added file, accepted with Return
// (OK is its default button); `previous` is the dialog of the file before.
// A plain sample gets the first kind (a plain sample, not stretched)
// instead of the loop kind the group proposes.
void AcceptSampleProperties(const XDisplay& x, ProgramRun& run, std::optional<Window>& previous, bool plain);

} // namespace bm::e2e
