#pragma once

// What the Qt dialogs need from the program: the archive with their text
// lists, the message boxes and file choosers, the shell for help pages, the
// engine, the program folder, the string-table texts and the window they
// belong to.

#include "engine/EngineCommand.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/Volume.h"
#include "ui/dialogs/DialogSet.h"
#include "ui/dialogs/DialogTexts.h"

#include <string>

class QWidget;

namespace bm {
class ResourceArchive;
}

namespace bm::dialogs {

class RecordingReadout;

struct QtDialogEnvironment {
    const ResourceArchive* archive = nullptr; // none: the built-in texts
    platform::Dialogs* dialogs = nullptr;
    platform::Shell* shell = nullptr;
    engine::EngineClient* engine = nullptr;
    platform::VolumeQuery* volumes = nullptr;
    const RecordingReadout* readout = nullptr;
    std::string programFolder;
    MessageTexts messages;
    QWidget* parent = nullptr;
};

// The Qt dialogs, each opened modally over `environment.parent`. The
// environment's objects must outlive the set.
DialogSet MakeQtDialogSet(const QtDialogEnvironment& environment);

} // namespace bm::dialogs
