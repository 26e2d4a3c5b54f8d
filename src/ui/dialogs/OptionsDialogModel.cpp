#include "ui/dialogs/OptionsDialogModel.h"

#include "ui/dialogs/FieldValues.h"

#include <algorithm>

namespace bm::dialogs {

namespace {

constexpr int64_t kMebibyte = 1048576;

std::string WithFinalSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

} // namespace

std::vector<std::string> OptionsDialogModel::BuiltInTexts()
{
    return {"Options", "OK", "Cancel", "Help", "<<   Prev", "Next   >>",
            "Display",
            "Window Animation", "Lamps Animation", "Active Borders", "Smart mode", "Button Hints", "Sample Hints",
            "Moveless hints", "Spectrum Analizer",
            "Folders and Memory",
            "Temporary folder:", "Disk cache for samples:", "MB", "Flush", "Memory cache for samples:", "MB",
            "Sample Folders",
            "Folders searched for samples, in this order:", "Add", "Edit", "Remove",
            "Start",
            "No action", "Make new", "Open last", "Show splash screen"};
}

OptionsDialogModel::OptionsDialogModel(const app::OptionsFile& options, const std::vector<std::string>& folders,
                                       std::vector<std::string> texts)
    : m_texts(std::move(texts)), m_options(options)
{
    m_texts.resize(TextCount);
    m_switches = {options.windowAnimation != 0, options.lampsAnimation != 0, options.activeBorders != 0,
                  options.smartMode != 0,       options.buttonHints != 0,    options.sampleHints != 0,
                  options.movelessHints != 0,   options.spectrumAnalyzer != 0};
    m_temporaryFolder = options.temporaryFolder;
    m_diskCache = std::to_string(options.diskCacheMegabytes);
    m_memory = std::to_string(options.memoryCacheBytes / kMebibyte);
    m_folders = app::SavedFolders(folders);
    m_selectedFolder = m_folders.empty() ? -1 : 0;
    m_startChoice = options.openAtStart == 1 ? 1 : options.openAtStart == 2 ? 2 : 0;
    m_showSplash = options.showSplash != 0;
}

std::vector<std::string> OptionsDialogModel::PageNames() const
{
    return {m_texts[Page0Name], m_texts[Page1Name], m_texts[Page2Name], m_texts[Page3Name]};
}

void OptionsDialogModel::SelectPage(int page) { m_page = std::clamp(page, 0, kPageCount - 1); }
void OptionsDialogModel::NextPage() { m_page = (m_page + 1) % kPageCount; }
void OptionsDialogModel::PrevPage() { m_page = (m_page + kPageCount - 1) % kPageCount; }

bool OptionsDialogModel::SwitchEnabled(Switch which) const
{
    switch (which) {
    case SmartMode:
        return m_switches[ActiveBorders];
    case MovelessHints:
        return m_switches[ButtonHints] || m_switches[SampleHints];
    default:
        return true;
    }
}

void OptionsDialogModel::BrowseTemporaryFolder(platform::Dialogs& dialogs)
{
    platform::FolderRequest request;
    request.title = m_texts[TemporaryFolderLabel];
    request.initialFolder = m_temporaryFolder.empty() ? std::string() : MakeAbsolute(m_temporaryFolder);
    std::string chosen;
    if (dialogs.ChooseFolder(request, chosen) && !chosen.empty())
        m_temporaryFolder = chosen;
}

void OptionsDialogModel::AddFolder(platform::Dialogs& dialogs)
{
    platform::FolderRequest request;
    request.title = m_texts[FoldersLabel];
    if (m_selectedFolder >= 0)
        request.initialFolder = m_folders[size_t(m_selectedFolder)];
    std::string chosen;
    if (!dialogs.ChooseFolder(request, chosen) || chosen.empty())
        return;
    m_folders.push_back(WithFinalSlash(chosen));
    m_selectedFolder = int(m_folders.size()) - 1;
}

void OptionsDialogModel::EditFolder(platform::Dialogs& dialogs)
{
    if (m_selectedFolder < 0)
        return;
    platform::FolderRequest request;
    request.title = m_texts[FoldersLabel];
    request.initialFolder = m_folders[size_t(m_selectedFolder)];
    std::string chosen;
    if (dialogs.ChooseFolder(request, chosen) && !chosen.empty())
        m_folders[size_t(m_selectedFolder)] = WithFinalSlash(chosen);
}

void OptionsDialogModel::RemoveFolder()
{
    if (m_selectedFolder < 0)
        return;
    m_folders.erase(m_folders.begin() + m_selectedFolder);
    m_selectedFolder = -1;
}

void OptionsDialogModel::SelectFolder(int index)
{
    m_selectedFolder = index >= 0 && size_t(index) < m_folders.size() ? index : -1;
}

void OptionsDialogModel::Flush(engine::EngineClient& engine) const { engine.Post(engine::ClearCaches{}); }

void OptionsDialogModel::SetStartChoice(int choice) { m_startChoice = std::clamp(choice, 0, 2); }

OptionsResult OptionsDialogModel::Result() const
{
    OptionsResult result;
    app::OptionsFile& o = result.options;
    o = m_options;
    o.windowAnimation = m_switches[WindowAnimation];
    o.lampsAnimation = m_switches[LampsAnimation];
    o.activeBorders = m_switches[ActiveBorders];
    o.smartMode = m_switches[SmartMode];
    o.buttonHints = m_switches[ButtonHints];
    o.sampleHints = m_switches[SampleHints];
    o.movelessHints = m_switches[MovelessHints];
    o.spectrumAnalyzer = m_switches[Spectrum];
    o.diskCacheMegabytes = ReadInteger(m_diskCache);
    // Line 12 holds bytes in 32 bits: a size beyond that is stored as the
    // largest whole number of megabytes that fits, never as a wrapped value.
    o.memoryCacheBytes =
        int32_t(std::clamp<int64_t>(int64_t(ReadInteger(m_memory)) * kMebibyte, -2048 * kMebibyte, 2047 * kMebibyte));
    // An empty field would put every work file into whatever folder the
    // program runs in; the folder stays as it was instead.
    o.temporaryFolder = m_temporaryFolder.empty() ? m_options.temporaryFolder : WithFinalSlash(m_temporaryFolder);
    o.showSplash = m_showSplash ? 1 : 0;
    o.openAtStart = m_startChoice;
    result.savedFolders = m_folders;
    return result;
}

bool CommitOptions(const OptionsResult& result, app::OptionsFile& live, FolderList& folders,
                   const std::string& programFolder, Error* error)
{
    live = result.options;
    std::vector<std::string> current = folders.Snapshot();
    std::vector<std::string> builtIn;
    if (current.size() >= app::kBuiltInFolderCount)
        builtIn.assign(current.end() - app::kBuiltInFolderCount, current.end());
    else
        builtIn = {programFolder + "SMPLDATA/", programFolder, ""};
    std::vector<std::string> next = result.savedFolders;
    next.insert(next.end(), builtIn.begin(), builtIn.end());
    folders.Assign(next);
    return app::WriteOptionsFile(programFolder, live, folders, std::nullopt, error);
}

} // namespace bm::dialogs
