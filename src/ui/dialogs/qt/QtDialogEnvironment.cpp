#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include "ui/dialogs/qt/ExportDialogView.h"
#include "ui/dialogs/qt/ExportProgressView.h"
#include "ui/dialogs/qt/MeasureDialogView.h"
#include "ui/dialogs/qt/OptionsDialogView.h"
#include "ui/dialogs/qt/RecordDialogView.h"
#include "ui/dialogs/qt/ReplaceQuestionView.h"
#include "ui/dialogs/qt/SampleDialogView.h"
#include "ui/dialogs/qt/ShiftNotesDialogView.h"
#include "ui/dialogs/qt/TempoDialogView.h"

namespace bm::dialogs {

DialogSet MakeQtDialogSet(const QtDialogEnvironment& environment)
{
    DialogSet set;
    set.tempo = std::make_unique<QtTempoDialog>(environment);
    set.measures = std::make_unique<QtMeasureDialog>(environment);
    set.shiftNotes = std::make_unique<QtShiftNotesDialog>(environment);
    set.exportFile = std::make_unique<QtExportDialog>(environment);
    set.exportProgress = std::make_unique<QtExportProgressDialog>(environment);
    set.options = std::make_unique<QtOptionsDialog>(environment);
    set.record = std::make_unique<QtRecordDialog>(environment);
    set.sample = std::make_unique<QtSampleDialog>(environment);
    set.replace = std::make_unique<QtReplaceQuestion>(environment);
    return set;
}

} // namespace bm::dialogs
