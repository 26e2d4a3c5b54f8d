#pragma once

// The user's settings and a few program-wide paths, kept from one run to the
// next in the text file program folder + "Brickmelody.opt": 23 values, one
// per line in the order of the members below, then one sample folder per
// line. Numbers are decimal, read leniently (a non-number reads 0) and never
// range-checked here; the code that uses a value clamps it where it must.
//
// In memory the sample folder list always ends with three entries that are
// never written: program folder + "SMPLDATA/", the program folder, and an
// empty text (which lets a stored absolute path be found as it stands).

#include "core/Error.h"
#include "core/File.h"
#include "core/Paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bm::app {

constexpr int kOptionsValueLines = 23;
constexpr size_t kBuiltInFolderCount = 3;

// Plain data. Before start-up every value is zero or empty; a short file
// leaves the values it does not reach as they were.
struct OptionsFile {
    std::string keptText;            // line 1: kept and written back unchanged
    int32_t windowAnimation = 0;     // line 2
    int32_t lampsAnimation = 0;      // line 3
    int32_t activeBorders = 0;       // line 4
    int32_t smartMode = 0;           // line 5
    int32_t buttonHints = 0;         // line 6
    int32_t sampleHints = 0;         // line 7
    int32_t movelessHints = 0;       // line 8
    int32_t spectrumAnalyzer = 0;    // line 9
    std::string temporaryFolder;     // line 10: work files, package work folder, sample cache
    int32_t diskCacheMegabytes = 0;  // line 11: size limit of the sample cache in the temporary folder
    int32_t memoryCacheBytes = 0;    // line 12: size limit of the engine's in-memory sample cache
    int32_t timeFormat = 0;          // line 13: 0 to 3, the status display's time format
    int32_t followFlag = 0;          // line 14: follow the play cursor
    int32_t smoothFlag = 0;          // line 15: smooth following
    int32_t showSplash = 0;          // line 16
    int32_t openAtStart = 0;         // line 17: 0 no action, 1 make new, 2 open the start song
    int32_t samplesPerMeasure = 0;   // line 18: tempo of a new song
    int32_t measuresPerBar = 0;      // line 19
    std::string fileDialogFolder;    // line 20: initial folder of the file dialogs
    std::string userFolder;          // line 21: the user's own samples
    std::string startSong;           // line 22: song opened at start; opening or saving a song updates it
    std::string lastNewsHeadline;    // line 23: the last news headline seen
};

// What the defaults depend on; ProbeMachine() asks the system, tests give
// their own figures.
struct MachineFacts {
    uint64_t totalMemoryBytes = 0;
    int32_t processorType = 0; // 486, 586, ...
};

MachineFacts ProbeMachine();

// Default of line 12: nothing below 17 MiB of memory; otherwise the whole
// megabytes minus 16, nothing when that is below 2, at most 10, in bytes.
int32_t DefaultMemoryCacheBytes(uint64_t totalMemoryBytes);

// The values of a first run for a program in `programFolder` (ends with '/').
OptionsFile DefaultOptions(const std::string& programFolder, const MachineFacts& machine);

std::string OptionsFilePath(const std::string& programFolder);

// Whether reading a missing file creates the temporary and user folders. The
// program does; a tool that only looks at the settings does not.
enum class FolderCreation { Create, Skip };

enum class OptionsSource { File, Defaults };

// Reads the lines of an options file in order into `options`: the 23 values
// (lines it does not reach stay as they were), then appends every further
// non-blank line to `folders` as a folder, '\' turned into '/'.
void ParseOptionsText(std::string_view text, OptionsFile& options, std::vector<std::string>& folders);

// Reads program folder + "Brickmelody.opt" into `options` and rebuilds
// `folders`: the saved folders (blank lines dropped, '\' turned into '/'),
// or the one default folder when the file is missing, then the three
// built-in entries. The new list replaces the old one in a single step under
// the list's lock, so no thread ever sees it half read.
OptionsSource ReadOptionsFile(const std::string& programFolder, OptionsFile& options, FolderList& folders,
                              const MachineFacts& machine, FolderCreation creation);

// The file's text: the 23 values and every folder but the built-in last
// three, each line ended by CR LF. `temporaryFolder`, when given, is written
// in place of the current one.
std::string FormatOptionsFile(const OptionsFile& options, const std::vector<std::string>& folders,
                              const std::optional<std::string>& temporaryFolder = std::nullopt);

// Writes the file durably: the old file stays whole when the write fails.
bool WriteOptionsFile(const std::string& programFolder, const OptionsFile& options, const FolderList& folders,
                      const std::optional<std::string>& temporaryFolder = std::nullopt, Error* error = nullptr,
                      DurableWriteFault fault = DurableWriteFault::None);

// The folders that the file holds: all but the built-in last three.
std::vector<std::string> SavedFolders(const std::vector<std::string>& folders);

} // namespace bm::app
