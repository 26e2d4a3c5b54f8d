#include "ui/dialogs/ExportDialogModel.h"
#include "ui/dialogs/ExportJobs.h"

#include "support/FakePlatformDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace bm::dialogs {
namespace {

using M = ExportDialogModel;
constexpr int64_t kMiB = 1048576;

// File systems by the folder asked; the longest matching prefix answers.
class ScriptedVolumes : public platform::VolumeQuery {
public:
    std::optional<platform::VolumeInfo> Query(const std::string& folder) override
    {
        asked.push_back(folder);
        std::optional<platform::VolumeInfo> best;
        size_t bestLength = 0;
        for (const auto& [prefix, info] : volumes) {
            if (folder.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= bestLength) {
                best = info;
                bestLength = prefix.size();
            }
        }
        return best;
    }
    std::map<std::string, platform::VolumeInfo> volumes;
    std::vector<std::string> asked;
};

struct Fixture {
    ScriptedVolumes volumes;
    ExportRequest request;
    Fixture()
    {
        volumes.volumes["/"] = {"/", 100 * kMiB};
        volumes.volumes["/media/usb/"] = {"/media/usb", 3 * kMiB};
        request.proposedName = "/home/me/song.wav";
        request.wholeSongBytes = 10 * kMiB;
        request.regionsBytes = 2 * kMiB;
        request.regionsAvailable = true;
        request.programFolder = "/opt/brickmelody/";
    }
    M Make() { return M(request, M::BuiltInTexts(), volumes); }
};

TEST(ExportDialogModelTest, OpensWithTheNameTheFixedFormatAndTheFreeSpace)
{
    Fixture f;
    M m = f.Make();
    EXPECT_EQ(m.FileName(), "/home/me/song.wav");
    EXPECT_FALSE(m.Normalise());
    EXPECT_FALSE(m.LevelControlsEnabled());
    EXPECT_EQ(m.LevelSlider(), M::kZeroDecibelPosition);
    EXPECT_EQ(m.DecibelText(), "0.0 dB");
    EXPECT_EQ(m.PercentageText(), "100.00 %");
    EXPECT_EQ(m.FreeSpaceText(), "Free on / after the export: 90.0 MB");
    EXPECT_TRUE(m.OkEnabled());
    const ExportChoice c = m.Result();
    EXPECT_EQ(c.level, 1000);
    EXPECT_FALSE(c.regionsOnly);
}

TEST(ExportDialogModelTest, FreeSpaceIsMeasuredWhereTheFileGoes)
{
    Fixture f;
    M m = f.Make();
    m.EditFileName("/media/usb/out/take.wav");
    EXPECT_EQ(f.volumes.asked.back(), "/media/usb/out/");
    EXPECT_EQ(m.FreeSpaceText(), "Not enough space on /media/usb:\r\n-7.0 MB would be left after the export.");
    EXPECT_TRUE(m.OkEnabled()); // not enough space only warns
    m.SetRegionsOnly(true);
    EXPECT_EQ(m.FreeSpaceText(), "Free on /media/usb after the export: 1.0 MB");
    // A relative name goes below the program folder.
    m.EditFileName("exports/a.wav");
    EXPECT_EQ(f.volumes.asked.back(), "/opt/brickmelody/exports/");
}

TEST(ExportDialogModelTest, NoNameOrNoFileSystemDisablesOk)
{
    Fixture f;
    M m = f.Make();
    m.EditFileName("");
    EXPECT_TRUE(m.FileNameError());
    EXPECT_FALSE(m.OkEnabled());
    f.volumes.volumes.clear();
    m.EditFileName("/nowhere/a.wav");
    EXPECT_TRUE(m.DiskError());
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_EQ(m.FreeSpaceText(), "The free space on /nowhere/ cannot be read.\r\nChoose a folder that exists.");
}

TEST(ExportDialogModelTest, RegionsOnlyNeedsActiveRegions)
{
    Fixture f;
    f.request.regionsAvailable = false;
    M m = f.Make();
    EXPECT_FALSE(m.RegionsEnabled());
    m.SetRegionsOnly(true);
    EXPECT_FALSE(m.RegionsOnly());
}

TEST(ExportDialogModelTest, LevelFieldsFollowEachOther)
{
    Fixture f;
    M m = f.Make();
    m.SetNormalise(true);
    EXPECT_TRUE(m.LevelControlsEnabled());
    m.MoveLevelSlider(2);
    EXPECT_EQ(m.DecibelText(), "-6.0 dB");
    EXPECT_EQ(m.PercentageText(), "50.11 %");
    EXPECT_EQ(m.Result().level, 501);
    m.EditPercentage("200");
    EXPECT_EQ(m.DecibelText(), "6.0 dB");
    m.EditDecibels("-0.5");
    EXPECT_EQ(m.PercentageText(), "94.40 %");
    m.EditPercentage("94.4");
    EXPECT_EQ(m.DecibelText(), "-0.5 dB"); // the sign of a level above -1 dB stays
    m.EditDecibels("3 dB");
    const ExportChoice c = m.Result();
    EXPECT_TRUE(c.normalise);
    EXPECT_DOUBLE_EQ(c.decibels, 3.0);
    EXPECT_EQ(c.level, 1412); // trunc(10000 × 1.122022^3) / 10
}

TEST(ExportDialogModelTest, LevelsOutOfRangeDisableOkUntilNormalisingIsOff)
{
    Fixture f;
    M m = f.Make();
    m.SetNormalise(true);
    m.EditDecibels("25");
    EXPECT_TRUE(m.LevelError());
    EXPECT_TRUE(m.PercentageError());
    EXPECT_FALSE(m.OkEnabled());
    m.EditDecibels("19.9");
    EXPECT_TRUE(m.OkEnabled());
    // 20 dB is in range, but its ratio (1.122022 ^ 20) is 1000.06 %.
    m.EditDecibels("20");
    EXPECT_FALSE(m.LevelError());
    EXPECT_TRUE(m.PercentageError());
    m.EditDecibels("-20.1");
    EXPECT_FALSE(m.OkEnabled());
    m.EditPercentage("9.99");
    EXPECT_TRUE(m.PercentageError());
    m.EditPercentage("1000");
    EXPECT_TRUE(m.OkEnabled());
    m.EditPercentage("1000.01");
    EXPECT_FALSE(m.OkEnabled());
    m.EditPercentage("0");
    EXPECT_FALSE(m.OkEnabled());
    m.EditPercentage("-5");
    EXPECT_FALSE(m.OkEnabled());
    m.EditDecibels("1e300");
    EXPECT_FALSE(m.OkEnabled());
    m.SetNormalise(false);
    EXPECT_TRUE(m.OkEnabled());
    EXPECT_EQ(m.Result().level, 1000);
    // Switching it on again reads the decibel field once more.
    m.SetNormalise(true);
    EXPECT_FALSE(m.OkEnabled());
}

TEST(ExportDialogModelTest, BrowseStartsAtTheNameAndTakesTheChosenFile)
{
    test::TempDir dir;
    Fixture f;
    f.request.proposedName = dir / "song.wav";
    M m = f.Make();
    test::FakePlatformDialogs dialogs;
    MessageTexts texts;
    dialogs.choices.push_back(std::vector<std::string>{dir / "other.wav"});
    EXPECT_TRUE(m.Browse(dialogs, texts));
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].initialFolder, dir.Path());
    EXPECT_EQ(dialogs.saves[0].initialName, "song.wav");
    EXPECT_EQ(dialogs.saves[0].filter, "Wave files (*.wav)|*.wav||");
    EXPECT_EQ(m.FileName(), dir / "other.wav");

    // A folder as the name starts in it; a missing folder starts nowhere.
    m.EditFileName(dir.Path());
    EXPECT_FALSE(m.Browse(dialogs, texts));
    EXPECT_EQ(dialogs.saves[1].initialFolder, dir.Path());
    EXPECT_EQ(dialogs.saves[1].initialName, "");
    m.EditFileName(dir / "missing/x.wav");
    m.Browse(dialogs, texts);
    EXPECT_EQ(dialogs.saves[2].initialFolder, "");
    EXPECT_EQ(m.FileName(), dir / "missing/x.wav"); // cancelled: unchanged
}

TEST(ExportJobsTest, ProposedNamesAndJobs)
{
    EXPECT_EQ(ProposeExportName("/s/Intro.ncp"), "/s/Intro.wav");
    EXPECT_EQ(ProposeExportName("/s/Pack.WCP"), "/s/Pack.wav");
    EXPECT_EQ(ProposeExportName("/s/Untitled-1."), "/s/Untitled-1.wav");
    EXPECT_EQ(ProposeExportName("/s/a.wav"), "/s/a.wav");
    EXPECT_EQ(ProposeExportName("/s/a.mp3"), "/s/a.mp3.wav");

    Song song;
    song.samplesPerMeasure = 20352;
    song.measures.resize(10);
    song.regions = {{4, 7, true}};
    const ExportRequest request = MakeExportRequest(song, "/s/x.ncp", "/p/");
    EXPECT_EQ(request.proposedName, "/s/x.wav");
    EXPECT_EQ(request.wholeSongBytes, 10 * 20352 * 4 + 44);
    EXPECT_EQ(request.regionsBytes, 4 * 20352 * 4 + 44);
    EXPECT_TRUE(request.regionsAvailable);

    ExportChoice choice;
    choice.fileName = "/s/out";
    choice.fadeIn = true;
    choice.normalise = true;
    choice.level = 1412;
    choice.regionsOnly = true;
    const engine::ExportJob job = BuildExportJob(choice, song);
    EXPECT_EQ(job.outputPath, "/s/out.wav");
    EXPECT_EQ(job.fadeIn, 1);
    EXPECT_EQ(job.fadeOut, 0);
    EXPECT_EQ(job.level, 1412);
    EXPECT_EQ(job.firstMeasure, 4);
    EXPECT_EQ(job.count, 4);
    ASSERT_EQ(job.jumps.size(), 1u);
    EXPECT_EQ(job.jumps[0], (engine::JumpPair{7, 10}));
    choice.regionsOnly = false;
    choice.fileName = "/s/out.v2.wav";
    const engine::ExportJob whole = BuildExportJob(choice, song);
    EXPECT_EQ(whole.outputPath, "/s/out.v2.wav");
    EXPECT_EQ(whole.firstMeasure, 0);
    EXPECT_EQ(whole.count, 10);
    EXPECT_TRUE(whole.jumps.empty());
}

} // namespace
} // namespace bm::dialogs
