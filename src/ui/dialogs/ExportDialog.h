#pragma once

// The export dialog (command 1159): the target file, the fades, the peak
// level and the range, checked against the free space where the file goes.

#include <cstdint>
#include <optional>
#include <string>

namespace bm::dialogs {

struct ExportRequest {
    std::string proposedName;
    // Bytes the file will take for the whole song and for the active
    // regions only (ExportFileBytes of their frames).
    int64_t wholeSongBytes = 0;
    int64_t regionsBytes = 0;
    bool regionsAvailable = false;
    // Relative names are measured on the program folder's file system.
    std::string programFolder;
};

struct ExportChoice {
    std::string fileName;
    bool fadeIn = false;
    bool fadeOut = false;
    bool normalise = false;
    double decibels = 0.0;  // the peak level typed or chosen, when normalising
    int32_t level = 1000;   // the target peak in thousandths of full scale (1000 without normalising)
    bool regionsOnly = false;
    bool operator==(const ExportChoice&) const = default;
};

class ExportDialog {
public:
    virtual ~ExportDialog() = default;
    virtual std::optional<ExportChoice> Run(const ExportRequest& request) = 0;
};

} // namespace bm::dialogs
