#include "app/OptionsFile.h"

#include "app/AppContext.h"
#include "core/Text.h"
#include "platform/SystemInfo.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace bm::app {

namespace {

// An options file is a few hundred bytes; a larger one than this is not an
// options file and is treated as unreadable.
constexpr uint64_t kMaxOptionsFileBytes = uint64_t(16) << 20;

constexpr uint64_t kMebibyte = 1048576;

void CreateFolder(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec); // a failure shows later, when files go there
}

std::string PathText(std::string_view line) { return NormaliseSeparators(line); }

} // namespace

MachineFacts ProbeMachine() { return {platform::TotalPhysicalMemory(), platform::ProcessorType()}; }

int32_t DefaultMemoryCacheBytes(uint64_t totalMemoryBytes)
{
    if (totalMemoryBytes < 17 * kMebibyte)
        return 0;
    uint64_t megabytes = totalMemoryBytes / kMebibyte - 16;
    if (megabytes < 2)
        return 0;
    return static_cast<int32_t>(std::min<uint64_t>(megabytes, 10) * kMebibyte);
}

OptionsFile DefaultOptions(const std::string& programFolder, const MachineFacts& machine)
{
    const int32_t fastProcessor = machine.processorType > 585 ? 1 : 0;
    OptionsFile o;
    o.keptText.clear();
    o.windowAnimation = 0;
    o.lampsAnimation = 1;
    o.activeBorders = fastProcessor;
    o.smartMode = 1;
    o.buttonHints = 1;
    o.sampleHints = 1;
    o.movelessHints = 0;
    o.spectrumAnalyzer = fastProcessor;
    o.temporaryFolder = programFolder + "TEMP/";
    o.diskCacheMegabytes = 200;
    o.memoryCacheBytes = DefaultMemoryCacheBytes(machine.totalMemoryBytes);
    o.timeFormat = 2;
    o.followFlag = 1;
    o.smoothFlag = 0;
    o.showSplash = 1;
    o.openAtStart = 2;
    o.samplesPerMeasure = 20352;
    o.measuresPerBar = 8;
    o.fileDialogFolder.clear();
    o.userFolder = programFolder + "USERDATA/";
    o.startSong = programFolder + "DEMOSONGS/Intro.ncp";
    o.lastNewsHeadline.clear();
    return o;
}

std::string OptionsFilePath(const std::string& programFolder)
{
    return programFolder + std::string(AppContext::kOptionsFileName);
}

void ParseOptionsText(std::string_view text, OptionsFile& options, std::vector<std::string>& folders)
{
    LineReader lines(text);
    std::string_view line;
    auto textLine = [&](std::string& value) {
        if (lines.NextRaw(line))
            value = std::string(line);
    };
    auto path = [&](std::string& value) {
        if (lines.NextRaw(line))
            value = PathText(line);
    };
    auto number = [&](int32_t& value) {
        if (lines.NextRaw(line))
            value = ParseDecimal(line);
    };
    textLine(options.keptText);
    number(options.windowAnimation);
    number(options.lampsAnimation);
    number(options.activeBorders);
    number(options.smartMode);
    number(options.buttonHints);
    number(options.sampleHints);
    number(options.movelessHints);
    number(options.spectrumAnalyzer);
    path(options.temporaryFolder);
    number(options.diskCacheMegabytes);
    number(options.memoryCacheBytes);
    number(options.timeFormat);
    number(options.followFlag);
    number(options.smoothFlag);
    number(options.showSplash);
    number(options.openAtStart);
    number(options.samplesPerMeasure);
    number(options.measuresPerBar);
    path(options.fileDialogFolder);
    path(options.userFolder);
    path(options.startSong);
    textLine(options.lastNewsHeadline);
    while (lines.Next(line))
        folders.push_back(PathText(line));
}

OptionsSource ReadOptionsFile(const std::string& programFolder, OptionsFile& options, FolderList& folders,
                              const MachineFacts& machine, FolderCreation creation)
{
    std::vector<std::string> list;
    std::string text;
    const bool opened = ReadWholeFile(OptionsFilePath(programFolder), text, kMaxOptionsFileBytes);
    if (opened) {
        ParseOptionsText(text, options, list);
    } else {
        options = DefaultOptions(programFolder, machine);
        if (creation == FolderCreation::Create) {
            CreateFolder(options.temporaryFolder);
            CreateFolder(options.userFolder);
        }
        list.push_back(programFolder + "SMPLDATA/");
    }
    list.push_back(programFolder + "SMPLDATA/");
    list.push_back(programFolder);
    list.emplace_back();
    folders.Assign(std::move(list));
    return opened ? OptionsSource::File : OptionsSource::Defaults;
}

std::vector<std::string> SavedFolders(const std::vector<std::string>& folders)
{
    if (folders.size() <= kBuiltInFolderCount)
        return {};
    return std::vector<std::string>(folders.begin(), folders.end() - kBuiltInFolderCount);
}

std::string FormatOptionsFile(const OptionsFile& o, const std::vector<std::string>& folders,
                              const std::optional<std::string>& temporaryFolder)
{
    std::string out;
    auto number = [&](int32_t value) { AppendLine(out, std::to_string(value)); };
    AppendLine(out, o.keptText);
    number(o.windowAnimation);
    number(o.lampsAnimation);
    number(o.activeBorders);
    number(o.smartMode);
    number(o.buttonHints);
    number(o.sampleHints);
    number(o.movelessHints);
    number(o.spectrumAnalyzer);
    AppendLine(out, temporaryFolder ? *temporaryFolder : o.temporaryFolder);
    number(o.diskCacheMegabytes);
    number(o.memoryCacheBytes);
    number(o.timeFormat);
    number(o.followFlag);
    number(o.smoothFlag);
    number(o.showSplash);
    number(o.openAtStart);
    number(o.samplesPerMeasure);
    number(o.measuresPerBar);
    AppendLine(out, o.fileDialogFolder);
    AppendLine(out, o.userFolder);
    AppendLine(out, o.startSong);
    AppendLine(out, o.lastNewsHeadline);
    for (const auto& folder : SavedFolders(folders))
        AppendLine(out, folder);
    return out;
}

bool WriteOptionsFile(const std::string& programFolder, const OptionsFile& options, const FolderList& folders,
                      const std::optional<std::string>& temporaryFolder, Error* error, DurableWriteFault fault)
{
    std::string text = FormatOptionsFile(options, folders.Snapshot(), temporaryFolder);
    return WriteFileDurably(OptionsFilePath(programFolder), text, error, fault);
}

} // namespace bm::app
