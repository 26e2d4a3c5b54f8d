#pragma once

// The program's dialogs as a person answers them. Failures are test
// failures (GoogleTest), so only the tests link this.

#include "ProgramUnderTest.h"

#include <optional>
#include <string>

namespace bm::e2e {

// The program's window other than the main one (a dialog), waited for.
std::optional<Window> WaitOtherWindow(const XDisplay& x, ProgramRun& run);
// The file dialog that a command has just opened: `typed` into its name
// field, Return, and the dialog gone.
void AnswerFileDialog(const XDisplay& x, ProgramRun& run, const std::string& typed);

} // namespace bm::e2e
