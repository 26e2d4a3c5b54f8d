#pragma once

// What the program says on its standard streams: the usage of its command
// line, and why start-up ended when the main window did not run.

#include "app/AppContext.h"
#include "app/Startup.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace bm::app {

// The program's own options, looked at before anything starts: "--help" or
// "-h" as the first argument prints the usage on `out`, "--version" the
// version. Returns the exit status (0) when one was given and the program
// ends here, nothing when the arguments are a command line for start-up.
std::optional<int> RunInformationOption(const std::vector<std::string>& arguments, std::ostream& out);

// The program's exit status after start-up: 0 when the main window ran or the
// start song went to the running copy; otherwise 1, after one line on `err`
// that says what is wrong with the archive file and where it was looked for.
int ReportStartupOutcome(StartupOutcome outcome, const AppContext& context, std::ostream& err);

} // namespace bm::app
