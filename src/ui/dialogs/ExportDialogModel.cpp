#include "ui/dialogs/ExportDialogModel.h"

#include "ui/dialogs/FieldValues.h"
#include "ui/dialogs/TextFormat.h"
#include "ui/skin/TextList.h"

#include "core/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bm::dialogs {

namespace {

constexpr double kMebibyte = 1048576.0;
constexpr int64_t kMinDecibelTenths = -200;
constexpr int64_t kMaxDecibelTenths = 200;
constexpr int64_t kMinPercentHundredths = 1000;   // 10.00 %
constexpr int64_t kMaxPercentHundredths = 100000; // 1000.00 %

// Truncates toward zero like an integer conversion, but saturates instead
// of overflowing on the huge values a typed field can produce.
int64_t Truncate(double value)
{
    if (std::isnan(value))
        return 0;
    return int64_t(std::clamp(value, -9.0e15, 9.0e15));
}

} // namespace

std::vector<std::string> ExportDialogModel::BuiltInTexts()
{
    return {"Export to WAV",
            "File name:",
            "Format:",
            "Attributes:",
            "Export",
            "Cancel",
            "Help",
            "Free on %s after the export: %.1f MB",
            "Not enough space on %s:\\n%.1f MB would be left after the export.",
            "The free space on %s cannot be read.\\nChoose a folder that exists.",
            "dB",
            "Autofade In",
            "Autofade Out",
            "Normalize peaks level (db):",
            "Save active regions only",
            "The loudest measure is brought to this level.\\n0 dB (100 %) is full scale."};
}

ExportDialogModel::ExportDialogModel(const ExportRequest& request, std::vector<std::string> texts,
                                     platform::VolumeQuery& volumes)
    : m_request(request), m_texts(std::move(texts)), m_volumes(volumes), m_fileName(request.proposedName)
{
    m_texts.resize(TextCount);
    ShowDecibels(0.0);
    ShowPercentage(1.0);
    m_levelError = false;
    m_percentError = false;
    UpdateFreeSpace();
}

std::string ExportDialogModel::DecibelDisplay(int64_t tenths) const
{
    // The sign is written apart from the whole part, so -0.5 dB keeps it.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%lld", tenths < 0 ? "-" : "",
                  static_cast<long long>(std::abs(tenths) / 10), static_cast<long long>(std::abs(tenths) % 10));
    return std::string(buffer) + " " + m_texts[DecibelUnit];
}

std::string ExportDialogModel::PercentageDisplay(int64_t hundredths)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld %%", hundredths < 0 ? "-" : "",
                  static_cast<long long>(std::abs(hundredths) / 100), static_cast<long long>(std::abs(hundredths) % 100));
    return buffer;
}

void ExportDialogModel::ShowDecibels(double decibels)
{
    const int64_t tenths = Truncate(10.0 * decibels);
    m_decibelText = DecibelDisplay(tenths);
    m_levelError = tenths < kMinDecibelTenths || tenths > kMaxDecibelTenths;
}

void ExportDialogModel::ShowPercentage(double ratio)
{
    const int64_t hundredths = Truncate(10000.0 * ratio);
    m_percentText = PercentageDisplay(hundredths);
    m_percentError = hundredths < kMinPercentHundredths || hundredths > kMaxPercentHundredths;
}

void ExportDialogModel::SetNormalise(bool on)
{
    m_normalise = on;
    if (!on) {
        m_levelError = false;
        m_percentError = false;
        return;
    }
    EditDecibels(m_decibelText);
}

void ExportDialogModel::MoveLevelSlider(int position)
{
    m_slider = std::clamp(position, 0, int(kSliderDecibels.size()) - 1);
    m_decibels = kSliderDecibels[size_t(m_slider)];
    m_ratio = std::pow(kDecibelRatio, m_decibels);
    ShowDecibels(m_decibels);
    ShowPercentage(m_ratio);
}

void ExportDialogModel::EditDecibels(std::string text)
{
    m_decibels = ReadReal(text);
    m_ratio = std::pow(kDecibelRatio, m_decibels);
    ShowPercentage(m_ratio);
    const int64_t tenths = Truncate(10.0 * m_decibels);
    m_levelError = tenths < kMinDecibelTenths || tenths > kMaxDecibelTenths;
    m_decibelText = std::move(text);
}

void ExportDialogModel::EditPercentage(std::string text)
{
    const double percent = ReadReal(text);
    const int64_t hundredths = Truncate(100.0 * percent);
    m_percentError = hundredths < kMinPercentHundredths || hundredths > kMaxPercentHundredths;
    m_percentText = std::move(text);
    if (percent <= 0.0) {
        // No decibel value belongs to nothing; the field's error keeps OK
        // off and the decibels stay as they were.
        return;
    }
    m_ratio = percent * 0.01;
    m_decibels = std::log(m_ratio) / std::log(kDecibelRatio);
    ShowDecibels(m_decibels);
}

void ExportDialogModel::EditFileName(std::string name)
{
    m_fileName = std::move(name);
    UpdateFreeSpace();
}

void ExportDialogModel::SetRegionsOnly(bool on)
{
    m_regionsOnly = on && m_request.regionsAvailable;
    UpdateFreeSpace();
}

std::string ExportDialogModel::TargetFolder() const
{
    const std::string name = NormaliseSeparators(m_fileName);
    if (!name.empty() && name[0] == '/')
        return name.back() == '/' ? name : FolderPart(name);
    // A relative name is written where the program runs from.
    const std::string folder = FolderPart(name);
    return AsFolder(m_request.programFolder) + folder;
}

void ExportDialogModel::UpdateFreeSpace()
{
    m_nameError = m_fileName.empty();
    m_diskError = true;
    const std::string folder = TargetFolder();
    const std::optional<platform::VolumeInfo> volume = m_volumes.Query(folder);
    if (!volume) {
        m_freeSpaceText = FormatText(ExpandLineBreaks(m_texts[DiskErrorMessage]), {folder});
        return;
    }
    const int64_t bytes = m_regionsOnly ? m_request.regionsBytes : m_request.wholeSongBytes;
    const int64_t remaining = volume->freeBytes - bytes;
    const Text message = remaining > 0 ? FreeSpaceMessage : NoSpaceMessage;
    m_freeSpaceText =
        FormatText(ExpandLineBreaks(m_texts[message]), {volume->mountPoint, double(remaining) / kMebibyte});
    m_diskError = false;
}

platform::SaveFileRequest ExportDialogModel::BrowseRequest(const MessageTexts& messages) const
{
    platform::SaveFileRequest request;
    request.filter = messages.waveFiles + "|*.wav||";
    request.defaultExtension = "*.wav";
    // The dialog's own OK asks nothing more, so the chooser asks before a
    // file is replaced.
    request.overwritePrompt = true;
    std::string full = m_fileName.empty() ? std::string() : MakeAbsolute(NormaliseSeparators(m_fileName));
    if (!full.empty() && FolderExists(full)) {
        request.initialFolder = AsFolder(full);
    } else if (!full.empty()) {
        request.initialFolder = FolderPart(full);
        request.initialName = FileNamePart(full);
    }
    // A chooser cannot start in a folder that is not there; it then starts
    // where it likes, with no name.
    if (!request.initialFolder.empty() && !FolderExists(request.initialFolder)) {
        request.initialFolder.clear();
        request.initialName.clear();
    }
    return request;
}

bool ExportDialogModel::Browse(platform::Dialogs& dialogs, const MessageTexts& messages)
{
    std::string chosen;
    if (!dialogs.SaveFile(BrowseRequest(messages), chosen) || chosen.empty())
        return false;
    EditFileName(chosen);
    return true;
}

ExportChoice ExportDialogModel::Result() const
{
    ExportChoice choice;
    choice.fileName = m_fileName;
    choice.fadeIn = m_fadeIn;
    choice.fadeOut = m_fadeOut;
    choice.normalise = m_normalise;
    choice.decibels = m_normalise ? m_decibels : 0.0;
    // The level in thousandths as the percentage field holds it: 10 000 × r
    // (hundredths of a percent), divided by 10.
    choice.level = m_normalise ? int32_t(std::clamp<int64_t>(Truncate(10000.0 * m_ratio) / 10, 0, INT32_MAX)) : 1000;
    choice.regionsOnly = m_regionsOnly;
    return choice;
}

} // namespace bm::dialogs
