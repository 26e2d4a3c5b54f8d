#pragma once

// The options dialog (command 1160): the settings of the options file and
// the saved sample folders, edited on four pages. On OK the caller commits
// the result with CommitOptions.

#include "app/OptionsFile.h"
#include "core/Error.h"
#include "core/Paths.h"

#include <optional>
#include <string>
#include <vector>

namespace bm::dialogs {

struct OptionsResult {
    app::OptionsFile options;
    // The saved sample folders in their new order; the three built-in
    // entries are not among them.
    std::vector<std::string> savedFolders;
};

class OptionsDialog {
public:
    virtual ~OptionsDialog() = default;
    // `folders` is the whole sample folder list (the built-in last three
    // included). Nothing when cancelled: then nothing has changed.
    virtual std::optional<OptionsResult> Run(const app::OptionsFile& options, const std::vector<std::string>& folders) = 0;
};

// Makes the result the program's settings: the values into `live`, the
// saved folders in front of the three built-in entries of `folders` (one
// step under the list's lock, so no thread searching samples sees half a
// list), and the options file written. False when the file could not be
// written (the settings are in force all the same).
bool CommitOptions(const OptionsResult& result, app::OptionsFile& live, FolderList& folders,
                   const std::string& programFolder, Error* error = nullptr);

} // namespace bm::dialogs
