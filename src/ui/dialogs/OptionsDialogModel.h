#pragma once

// The options dialog without its window: four pages (display switches;
// folders and cache sizes; sample folders; start-up), stepped through with
// Prev and Next or chosen from the page list, and the rules between the
// controls. Nothing reaches the settings before OK.

#include "engine/EngineCommand.h"
#include "platform/Dialogs.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/services/HelpPages.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class OptionsDialogModel {
public:
    static constexpr std::string_view kTextList = "Options.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::Options;
    enum Text {
        Caption, OkButton, CancelButton, HelpButton, PrevButton, NextButton,
        Page0Name, WindowAnimationBox, LampsAnimationBox, ActiveBordersBox, SmartModeBox, ButtonHintsBox,
        SampleHintsBox, MovelessHintsBox, SpectrumBox,
        Page1Name, TemporaryFolderLabel, DiskCacheLabel, DiskCacheUnit, FlushButton, MemoryLabel, MemoryUnit,
        Page2Name, FoldersLabel, AddButton, EditButton, RemoveButton,
        Page3Name, NoActionChoice, MakeNewChoice, OpenLastChoice, SplashBox,
        TextCount
    };
    static std::vector<std::string> BuiltInTexts();
    static constexpr int kPageCount = 4;
    // The check boxes of page 0, in the order of options lines 2 to 9.
    enum Switch { WindowAnimation, LampsAnimation, ActiveBorders, SmartMode, ButtonHints, SampleHints, MovelessHints, Spectrum, SwitchCount };

    OptionsDialogModel(const app::OptionsFile& options, const std::vector<std::string>& folders,
                       std::vector<std::string> texts);

    const std::string& TextOf(Text which) const { return m_texts[which]; }
    std::vector<std::string> PageNames() const;

    void SelectPage(int page);
    void NextPage();
    void PrevPage();
    int Page() const { return m_page; }

    void SetSwitch(Switch which, bool on) { m_switches[which] = on; }
    bool SwitchOn(Switch which) const { return m_switches[which]; }
    bool SwitchEnabled(Switch which) const;

    void EditTemporaryFolder(std::string text) { m_temporaryFolder = std::move(text); }
    void EditDiskCache(std::string text) { m_diskCache = std::move(text); }
    void EditMemory(std::string text) { m_memory = std::move(text); }
    const std::string& TemporaryFolderText() const { return m_temporaryFolder; }
    const std::string& DiskCacheText() const { return m_diskCache; }
    const std::string& MemoryText() const { return m_memory; }

    // "..." of the temporary folder: a folder chooser from the field's full
    // path; a chosen folder replaces the field.
    void BrowseTemporaryFolder(platform::Dialogs& dialogs);
    // The sample folder list's buttons. A cancelled chooser changes nothing.
    void AddFolder(platform::Dialogs& dialogs);
    void EditFolder(platform::Dialogs& dialogs);
    void RemoveFolder();
    void SelectFolder(int index);
    const std::vector<std::string>& Folders() const { return m_folders; }
    int SelectedFolder() const { return m_selectedFolder; }
    bool EditEnabled() const { return m_selectedFolder >= 0; }
    bool RemoveEnabled() const { return m_selectedFolder >= 0; }

    // "Flush": the engine frees its memory cache and clears the disk cache.
    void Flush(engine::EngineClient& engine) const;

    // 0 "No action", 1 "Make new", 2 "Open last".
    void SetStartChoice(int choice);
    int StartChoice() const { return m_startChoice; }
    void SetShowSplash(bool on) { m_showSplash = on; }
    bool ShowSplash() const { return m_showSplash; }

    OptionsResult Result() const;

private:
    std::vector<std::string> m_texts;
    app::OptionsFile m_options;
    int m_page = 0;
    std::array<bool, SwitchCount> m_switches{};
    std::string m_temporaryFolder;
    std::string m_diskCache;
    std::string m_memory;
    std::vector<std::string> m_folders;
    int m_selectedFolder = -1;
    int m_startChoice = 0;
    bool m_showSplash = false;
};

} // namespace bm::dialogs
