#include "ui/dialogs/OptionsDialogModel.h"

#include "support/FakePlatformDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

using M = OptionsDialogModel;

app::OptionsFile Options()
{
    app::OptionsFile o = app::DefaultOptions("/opt/bm/", {512ull << 20, 586});
    o.buttonHints = 0;
    o.sampleHints = 0;
    o.activeBorders = 1;
    return o;
}

std::vector<std::string> Folders()
{
    return {"/data/loops/", "/data/more/", "/opt/bm/SMPLDATA/", "/opt/bm/", ""};
}

M Make(const app::OptionsFile& o = Options()) { return M(o, Folders(), M::BuiltInTexts()); }

TEST(OptionsDialogModelTest, OpensOnPageZeroWithTheSettings)
{
    M m = Make();
    EXPECT_EQ(m.Page(), 0);
    EXPECT_EQ(m.PageNames().size(), 4u);
    EXPECT_TRUE(m.SwitchOn(M::LampsAnimation));
    EXPECT_FALSE(m.SwitchOn(M::ButtonHints));
    EXPECT_EQ(m.TemporaryFolderText(), "/opt/bm/TEMP/");
    EXPECT_EQ(m.DiskCacheText(), "200");
    EXPECT_EQ(m.MemoryText(), "10");
    EXPECT_EQ(m.Folders(), (std::vector<std::string>{"/data/loops/", "/data/more/"}));
    EXPECT_EQ(m.SelectedFolder(), 0);
    EXPECT_EQ(m.StartChoice(), 2);
    EXPECT_TRUE(m.ShowSplash());
    app::OptionsFile odd = Options();
    odd.openAtStart = 7;
    EXPECT_EQ(Make(odd).StartChoice(), 0);
}

TEST(OptionsDialogModelTest, PrevAndNextGoRound)
{
    M m = Make();
    m.PrevPage();
    EXPECT_EQ(m.Page(), 3);
    m.NextPage();
    EXPECT_EQ(m.Page(), 0);
    m.SelectPage(3);
    m.NextPage();
    EXPECT_EQ(m.Page(), 0);
}

TEST(OptionsDialogModelTest, DependentSwitches)
{
    M m = Make();
    EXPECT_TRUE(m.SwitchEnabled(M::SmartMode));
    m.SetSwitch(M::ActiveBorders, false);
    EXPECT_FALSE(m.SwitchEnabled(M::SmartMode));
    EXPECT_FALSE(m.SwitchEnabled(M::MovelessHints));
    m.SetSwitch(M::SampleHints, true);
    EXPECT_TRUE(m.SwitchEnabled(M::MovelessHints));
    m.SetSwitch(M::SampleHints, false);
    m.SetSwitch(M::ButtonHints, true);
    EXPECT_TRUE(m.SwitchEnabled(M::MovelessHints));
}

TEST(OptionsDialogModelTest, ResultStoresTheFieldsAsTheFileNeedsThem)
{
    M m = Make();
    m.EditMemory("8");
    m.EditDiskCache("many");
    m.EditTemporaryFolder("/var/tmp/bm");
    m.SetStartChoice(1);
    m.SetShowSplash(false);
    m.SetSwitch(M::WindowAnimation, true);
    OptionsResult r = m.Result();
    EXPECT_EQ(r.options.memoryCacheBytes, 8388608);
    EXPECT_EQ(r.options.diskCacheMegabytes, 0);
    EXPECT_EQ(r.options.temporaryFolder, "/var/tmp/bm/");
    EXPECT_EQ(r.options.openAtStart, 1);
    EXPECT_EQ(r.options.showSplash, 0);
    EXPECT_EQ(r.options.windowAnimation, 1);
    EXPECT_EQ(r.options.samplesPerMeasure, 20352); // what the dialog does not show stays
    // Sizes past the 32-bit line saturate; an empty folder keeps the old one.
    m.EditMemory("4096");
    m.EditTemporaryFolder("");
    r = m.Result();
    EXPECT_EQ(r.options.memoryCacheBytes, 2047 * 1048576);
    EXPECT_EQ(r.options.temporaryFolder, "/opt/bm/TEMP/");
}

TEST(OptionsDialogModelTest, FolderButtons)
{
    M m = Make();
    test::FakePlatformDialogs dialogs;
    dialogs.choices.push_back(std::vector<std::string>{"/new/"});
    m.AddFolder(dialogs);
    EXPECT_EQ(m.Folders().back(), "/new/");
    EXPECT_EQ(m.SelectedFolder(), 2);
    m.SelectFolder(0);
    dialogs.choices.push_back(std::vector<std::string>{"/edited"});
    m.EditFolder(dialogs);
    EXPECT_EQ(m.Folders()[0], "/edited/");
    EXPECT_EQ(dialogs.folders.back().initialFolder, "/data/loops/");
    dialogs.choices.push_back(std::nullopt); // cancelled
    m.EditFolder(dialogs);
    m.AddFolder(dialogs);
    EXPECT_EQ(m.Folders().size(), 3u);
    dialogs.choices.push_back(std::vector<std::string>{"/scratch/"});
    m.BrowseTemporaryFolder(dialogs);
    EXPECT_EQ(dialogs.folders.back().initialFolder, "/opt/bm/TEMP/");
    EXPECT_EQ(m.TemporaryFolderText(), "/scratch/");

    while (m.RemoveEnabled()) {
        m.RemoveFolder();
        EXPECT_FALSE(m.EditEnabled());
        m.SelectFolder(0);
    }
    EXPECT_TRUE(m.Folders().empty());
    m.SelectFolder(5);
    EXPECT_EQ(m.SelectedFolder(), -1);
}

TEST(OptionsDialogModelTest, FlushAsksTheEngineToClearItsCaches)
{
    engine::RecordingEngineClient engine;
    Make().Flush(engine);
    ASSERT_EQ(engine.posted.size(), 1u);
    EXPECT_EQ(engine::CodeOf(engine.posted[0]), engine::CommandCode::ClearCaches);
}

TEST(OptionsDialogModelTest, CommitWritesTheFileAndKeepsTheBuiltInFolders)
{
    test::TempDir dir;
    const std::string program = dir.Path();
    app::OptionsFile live = app::DefaultOptions(program, {512ull << 20, 586});
    FolderList folders;
    folders.Assign({"/data/loops/", program + "SMPLDATA/", program, ""});
    M m(live, folders.Snapshot(), M::BuiltInTexts());
    m.RemoveFolder();
    m.EditMemory("8");
    ASSERT_TRUE(CommitOptions(m.Result(), live, folders, program));
    EXPECT_EQ(folders.Snapshot(), (std::vector<std::string>{program + "SMPLDATA/", program, ""}));
    EXPECT_EQ(live.memoryCacheBytes, 8388608);

    app::OptionsFile reread;
    FolderList rereadFolders;
    ASSERT_EQ(app::ReadOptionsFile(program, reread, rereadFolders, {512ull << 20, 586}, app::FolderCreation::Skip),
              app::OptionsSource::File);
    EXPECT_EQ(reread.memoryCacheBytes, 8388608);
    // No saved folder is left; the list holds the built-in three only.
    EXPECT_EQ(rereadFolders.Snapshot().size(), 3u);
}

} // namespace
} // namespace bm::dialogs
