#pragma once

// Every dialog the main window opens, one interface each. The program gets
// the Qt set (MakeQtDialogSet in ui/dialogs/qt); tests get the scripted one
// (ScriptedDialogs.h).
//
//     DialogSet& d = ...;
//     if (auto tempo = d.tempo->Run({song.samplesPerMeasure, song.measuresPerBar, !song.measures.empty()})) ...

#include "ui/dialogs/ExportDialog.h"
#include "ui/dialogs/ExportProgressDialog.h"
#include "ui/dialogs/MeasureDialog.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/RecordDialog.h"
#include "ui/dialogs/ReplaceQuestion.h"
#include "ui/dialogs/SampleDialog.h"
#include "ui/dialogs/ShiftNotesDialog.h"
#include "ui/dialogs/TempoDialog.h"

#include <memory>

namespace bm::dialogs {

struct DialogSet {
    std::unique_ptr<TempoDialog> tempo;
    std::unique_ptr<MeasureDialog> measures;
    std::unique_ptr<ShiftNotesDialog> shiftNotes;
    std::unique_ptr<ExportDialog> exportFile;
    std::unique_ptr<ExportProgressDialog> exportProgress;
    std::unique_ptr<OptionsDialog> options;
    std::unique_ptr<RecordDialog> record;
    std::unique_ptr<SampleDialog> sample;
    std::unique_ptr<ReplaceQuestion> replace;
};

} // namespace bm::dialogs
