#include "ui/services/HelpPages.h"

namespace bm::services {

std::string HelpPagePath(HelpPage page)
{
    const char* name = "Introducing.htm";
    switch (page) {
    case HelpPage::BpmSelect: name = "The BPM Select Dialog.htm"; break;
    case HelpPage::InsertMeasure: name = "The Insert Measure Dialog.htm"; break;
    case HelpPage::ShiftNotes: name = "The Shift Notes Dialog.htm"; break;
    case HelpPage::Export: name = "The Export Dialog.htm"; break;
    case HelpPage::ExportProgress: name = "The Export Progress Dialog.htm"; break;
    case HelpPage::Options: name = "The Options Dialog.htm"; break;
    case HelpPage::Record: name = "The Record Dialog.htm"; break;
    case HelpPage::RemoveSample: name = "The Remove Sample Dialog.htm"; break;
    case HelpPage::SaveSampleCopy: name = "The Save Sample Copy Dialog.htm"; break;
    case HelpPage::SaveRecordedSample: name = "The Save Recorded Sample Dialog.htm"; break;
    case HelpPage::FileProperties: name = "The File Properties Dialog.htm"; break;
    case HelpPage::Introducing: name = "Introducing.htm"; break;
    }
    return std::string(kHelpFolderName) + name;
}

bool OpenHelpPage(platform::Shell& shell, const std::string& programFolder, HelpPage page)
{
    return shell.Open(programFolder + HelpPagePath(page));
}

} // namespace bm::services
