#include "ui/dialogs/DialogTexts.h"

#include "ui/dialogs/ExportDialogModel.h"
#include "ui/dialogs/ExportProgressModel.h"
#include "ui/dialogs/MeasureDialogModel.h"
#include "ui/dialogs/OptionsDialogModel.h"
#include "ui/dialogs/RecordDialogModel.h"
#include "ui/dialogs/ReplaceQuestion.h"
#include "ui/dialogs/SampleDialogModel.h"
#include "ui/dialogs/ShiftNotesDialogModel.h"
#include "ui/dialogs/TempoDialogModel.h"
#include "ui/skin/TextList.h"

namespace bm::dialogs {

std::vector<std::string> LoadDialogTexts(const ResourceArchive* archive, std::string_view entry,
                                         std::vector<std::string> builtIn)
{
    if (archive)
        ReadTextList(*archive, entry, builtIn);
    return builtIn;
}

std::vector<TextListInfo> AllTextLists()
{
    return {
        {TempoDialogModel::kTextList, TempoDialogModel::BuiltInTexts()},
        {MeasureDialogModel::kInsertTextList, MeasureDialogModel::BuiltInTexts(MeasureMode::Insert)},
        {MeasureDialogModel::kRemoveTextList, MeasureDialogModel::BuiltInTexts(MeasureMode::Remove)},
        {ShiftNotesDialogModel::kTextList, ShiftNotesDialogModel::BuiltInTexts()},
        {ExportDialogModel::kTextList, ExportDialogModel::BuiltInTexts()},
        {ExportProgressModel::kTextList, ExportProgressModel::BuiltInTexts()},
        {OptionsDialogModel::kTextList, OptionsDialogModel::BuiltInTexts()},
        {RecordDialogModel::kTextList, RecordDialogModel::BuiltInTexts()},
        {ReplaceTexts::kTextList, ReplaceTexts::BuiltInTexts()},
        {SampleDialogModel::TextList(SampleDialogMode::Properties), SampleDialogModel::BuiltInTexts(SampleDialogMode::Properties)},
        {SampleDialogModel::TextList(SampleDialogMode::Remove), SampleDialogModel::BuiltInTexts(SampleDialogMode::Remove)},
        {SampleDialogModel::TextList(SampleDialogMode::PitchCopy), SampleDialogModel::BuiltInTexts(SampleDialogMode::PitchCopy)},
        {SampleDialogModel::TextList(SampleDialogMode::SaveRecording), SampleDialogModel::BuiltInTexts(SampleDialogMode::SaveRecording)},
    };
}

} // namespace bm::dialogs
