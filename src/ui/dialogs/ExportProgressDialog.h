#pragma once

// The export progress dialog: runs modally while the engine exports, shows
// the engine's reports (message WM_USER+18 addressed to this dialog) and
// lets the user cancel. The main window forwards every message whose
// receiver is not 0 to Deliver() while Run() is in progress.

#include "engine/EngineCommand.h"
#include "platform/MessagePort.h"

namespace bm::dialogs {

enum class ExportOutcome { Finished, Cancelled, Failed };

class ExportProgressDialog {
public:
    virtual ~ExportProgressDialog() = default;
    // Hands the job to the engine with this dialog as its receiver and
    // returns when the engine reports the end.
    virtual ExportOutcome Run(engine::ExportJob job) = 0;
    // A message for this dialog; others are ignored.
    virtual void Deliver(const platform::Message& message) = 0;
};

} // namespace bm::dialogs
