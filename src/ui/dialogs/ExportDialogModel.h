#pragma once

// The export dialog without its window. The peak level is kept three ways
// that follow each other: a slider of nine decibel steps, a decibel field
// (one decimal) and a percentage field (two decimals), linked through the
// ratio r = 1.122022 ^ dB. The free-space line measures the file system
// the file goes to and says how much room the export leaves there.

#include "platform/Dialogs.h"
#include "platform/Volume.h"
#include "ui/dialogs/DialogTexts.h"
#include "ui/dialogs/ExportDialog.h"
#include "ui/services/HelpPages.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class ExportDialogModel {
public:
    static constexpr std::string_view kTextList = "Export_File.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::Export;
    enum Text {
        Caption, FileLabel, FormatLabel, AttributesLabel, OkButton, CancelButton, HelpButton,
        FreeSpaceMessage, NoSpaceMessage, DiskErrorMessage, DecibelUnit,
        FadeInBox, FadeOutBox, NormaliseBox, RegionsBox, LevelNote, TextCount
    };
    static std::vector<std::string> BuiltInTexts();

    static constexpr const char* kFormatName = "PCM";
    static constexpr const char* kAttributesName = "44 100 Hz; 16 bits; stereo";
    static constexpr std::array<int, 9> kSliderDecibels = {-12, -9, -6, -3, -1, 0, 1, 3, 6};
    static constexpr int kZeroDecibelPosition = 5;
    static constexpr double kDecibelRatio = 1.122022;

    ExportDialogModel(const ExportRequest& request, std::vector<std::string> texts, platform::VolumeQuery& volumes);

    const std::string& TextOf(Text which) const { return m_texts[which]; }

    void EditFileName(std::string name);
    void SetFadeIn(bool on) { m_fadeIn = on; }
    void SetFadeOut(bool on) { m_fadeOut = on; }
    void SetNormalise(bool on);
    void MoveLevelSlider(int position);
    void EditDecibels(std::string text);
    void EditPercentage(std::string text);
    void SetRegionsOnly(bool on);

    // The save-file chooser for the file name field: starts at the current
    // name made absolute (in the folder itself when it names one); a chosen
    // file replaces the name. False when cancelled.
    bool Browse(platform::Dialogs& dialogs, const MessageTexts& messages);
    platform::SaveFileRequest BrowseRequest(const MessageTexts& messages) const;

    const std::string& FileName() const { return m_fileName; }
    bool FadeIn() const { return m_fadeIn; }
    bool FadeOut() const { return m_fadeOut; }
    bool Normalise() const { return m_normalise; }
    bool LevelControlsEnabled() const { return m_normalise; }
    int LevelSlider() const { return m_slider; }
    const std::string& DecibelText() const { return m_decibelText; }
    const std::string& PercentageText() const { return m_percentText; }
    bool RegionsOnly() const { return m_regionsOnly; }
    bool RegionsEnabled() const { return m_request.regionsAvailable; }
    const std::string& FreeSpaceText() const { return m_freeSpaceText; }

    bool FileNameError() const { return m_nameError; }
    bool DiskError() const { return m_diskError; }
    bool LevelError() const { return m_levelError; }
    bool PercentageError() const { return m_percentError; }
    bool OkEnabled() const { return !m_nameError && !m_diskError && !m_levelError && !m_percentError; }

    // The folder whose file system is measured for the current name.
    std::string TargetFolder() const;
    ExportChoice Result() const;

    // The decibel field's text of 10 × dB (truncated) and the percentage
    // field's text of 10 000 × r.
    std::string DecibelDisplay(int64_t tenths) const;
    static std::string PercentageDisplay(int64_t hundredths);

private:
    void ShowDecibels(double decibels);
    void ShowPercentage(double ratio);
    void UpdateFreeSpace();

    ExportRequest m_request;
    std::vector<std::string> m_texts;
    platform::VolumeQuery& m_volumes;
    std::string m_fileName;
    bool m_fadeIn = false;
    bool m_fadeOut = false;
    bool m_normalise = false;
    int m_slider = kZeroDecibelPosition;
    double m_decibels = 0.0;
    double m_ratio = 1.0;
    std::string m_decibelText;
    std::string m_percentText;
    bool m_regionsOnly = false;
    std::string m_freeSpaceText;
    bool m_nameError = false;
    bool m_diskError = true;
    bool m_levelError = false;
    bool m_percentError = false;
};

} // namespace bm::dialogs
