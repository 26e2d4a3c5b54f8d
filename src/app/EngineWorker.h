#pragma once

// The audio engine's worker thread as start-up and the main window's
// shut-down order see it: started once before the main window exists, fed
// through its command client, and ended by the End command, after which it
// sets its finished event.

#include "engine/EngineCommand.h"

#include <chrono>

namespace bm::app {

class EngineWorker {
public:
    virtual ~EngineWorker() = default;

    // Main thread, once: starts the worker thread.
    virtual void Start() = 0;
    // Where commands go; any thread, from Start() on.
    virtual engine::EngineClient& Client() = 0;
    // Main thread: waits for the finished event that the worker sets when it
    // has handled End. True when it came within `timeout`.
    virtual bool WaitFinished(std::chrono::milliseconds timeout) = 0;
};

} // namespace bm::app
