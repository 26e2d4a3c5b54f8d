#pragma once

// What the main window does when the user switches the program off and its
// power-off animation has run down, in this order:
//   1. set its closing flag;  2. write "library.dat";  3. stop the playback
//   clock;  4. post Stop, SwitchSwap{0} and End to the engine;  5. wait at
//   most 10 000 ms for the worker's finished event;  6. post the quit
//   message that ends its modal run.

#include "app/EngineWorker.h"

#include <chrono>

namespace bm::app {

constexpr std::chrono::milliseconds kWorkerEndTimeout{10000};

// The main window's parts of the order.
class ShutdownSteps {
public:
    virtual ~ShutdownSteps() = default;
    virtual void SetClosing() = 0;
    // Program folder + "library.dat".
    virtual void WriteLibrary() = 0;
    virtual void StopPlaybackClock() = 0;
    virtual void PostQuit() = 0;
};

// Main thread. Returns whether the worker finished within the time-out; the
// order goes on to the quit either way.
bool RunShutdownOrder(ShutdownSteps& window, EngineWorker& engine);

} // namespace bm::app
