#pragma once

// The main window as start-up and other copies of the program reach it. The
// window itself (layout, commands, document) lives in the window layer and
// implements this.

#include "platform/CopyDataRecord.h"

#include <cstdint>
#include <string>

namespace bm::app {

// The main window command that opens a file handed over by another copy.
constexpr int32_t kOpenFromOtherCopyCommand = 1155;
// Longest record (path and terminating zero) that the running copy opens; a
// longer one only brings the window to the front.
constexpr uint32_t kMaxHandedPathBytes = 260;

class ProgramWindow {
public:
    virtual ~ProgramWindow() = default;

    // Main thread: runs the window modally; returns when its shut-down order
    // has ended the run.
    virtual void Run() = 0;
    // Main thread: command 1155 with the path another copy was started with.
    virtual void OpenFromOtherCopy(const std::string& path) = 0;
    // Main thread: minimises and restores the window, so it comes to the front.
    virtual void BringToFront() = 0;
};

// The running copy's side of the handshake: brings the window to the front,
// then, when the byte count is 1 to 260, opens the zero-terminated path of
// the record. The record's tag plays no part here.
void DeliverFromOtherCopy(const platform::CopyDataRecord& record, ProgramWindow& window);

} // namespace bm::app
