#include "app/OptionsFile.h"

#include "core/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace bm::app {
namespace {

constexpr uint64_t kMiB = 1048576;
const MachineFacts kMachine{512 * kMiB, 586};

std::vector<std::string> FileLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// 23 value lines as a first run writes them, for fixtures to change.
std::vector<std::string> ValueLines(const std::string& folder)
{
    return {"keep me", "0", "1", "1", "1", "1", "1", "0", "1", folder + "TEMP/", "200", "10485760", "2", "1",
            "0", "1", "2", "20352", "8", "", folder + "USERDATA/", folder + "DEMOSONGS/Intro.ncp", ""};
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

struct MemoryCase {
    uint64_t totalBytes;
    int32_t expected;
};

class MemoryProbe : public testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryProbe, LimitsTheMemoryCache)
{
    EXPECT_EQ(DefaultMemoryCacheBytes(GetParam().totalBytes), GetParam().expected);
    test::TempDir dir;
    EXPECT_EQ(DefaultOptions(dir.Path(), {GetParam().totalBytes, 586}).memoryCacheBytes, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Machines, MemoryProbe,
                         testing::Values(MemoryCase{0, 0}, MemoryCase{17 * kMiB - 1, 0}, MemoryCase{17 * kMiB, 0},
                                         MemoryCase{18 * kMiB - 1, 0}, MemoryCase{18 * kMiB, 2 * 1048576},
                                         MemoryCase{24 * kMiB, 8388608}, MemoryCase{26 * kMiB, 10485760},
                                         MemoryCase{512 * kMiB, 10485760},
                                         MemoryCase{uint64_t(1) << 40, 10485760}));

TEST(OptionsFile, ProcessorProbeSetsActiveBordersAndSpectrum)
{
    OptionsFile old = DefaultOptions("/p/", {64 * kMiB, 486});
    EXPECT_EQ(old.activeBorders, 0);
    EXPECT_EQ(old.spectrumAnalyzer, 0);
    OptionsFile current = DefaultOptions("/p/", {64 * kMiB, 586});
    EXPECT_EQ(current.activeBorders, 1);
    EXPECT_EQ(current.spectrumAnalyzer, 1);
}

TEST(OptionsFile, FirstRunSetsDefaultsCreatesFoldersAndWritesTwentyFourLines)
{
    test::TempDir dir;
    const std::string folder = dir.Path();
    OptionsFile options;
    FolderList folders;
    EXPECT_EQ(ReadOptionsFile(folder, options, folders, kMachine, FolderCreation::Create), OptionsSource::Defaults);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "TEMP"));
    EXPECT_TRUE(std::filesystem::is_directory(folder + "USERDATA"));
    EXPECT_EQ(options.startSong, folder + "DEMOSONGS/Intro.ncp");
    EXPECT_EQ(folders.Snapshot(),
              (std::vector<std::string>{folder + "SMPLDATA/", folder + "SMPLDATA/", folder, ""}));

    ASSERT_TRUE(WriteOptionsFile(folder, options, folders));
    std::vector<std::string> expected = ValueLines(folder);
    expected[0] = "";
    expected.push_back(folder + "SMPLDATA/");
    std::vector<std::string> lines = FileLines(test::ReadFile(folder + "Brickmelody.opt"));
    EXPECT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines, expected);
}

TEST(OptionsFile, LookingWithoutCreationLeavesTheFolderAlone)
{
    test::TempDir dir;
    OptionsFile options;
    FolderList folders;
    EXPECT_EQ(ReadOptionsFile(dir.Path(), options, folders, kMachine, FolderCreation::Skip), OptionsSource::Defaults);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_EQ(options.temporaryFolder, dir / "TEMP/");
}

TEST(OptionsFile, ReadsEveryLineInOrderAndDropsBlankFolderLinesOnTheNextWrite)
{
    test::TempDir dir;
    const std::string folder = dir.Path();
    std::vector<std::string> lines;
    for (int i = 1; i <= 23; ++i)
        lines.push_back(std::to_string(i * 10));
    lines[0] = "  first line  ";
    lines[9] = "C:\\Work\\Temp\\";
    lines[22] = "Headline of the day";
    lines.insert(lines.end(), {"/samples/a/", "", "   ", "D:\\more\\b\\", "/samples/c/"});
    ASSERT_TRUE(test::WriteFile(folder + "Brickmelody.opt", Join(lines)));

    OptionsFile options;
    FolderList folders;
    ASSERT_EQ(ReadOptionsFile(folder, options, folders, kMachine, FolderCreation::Create), OptionsSource::File);
    EXPECT_FALSE(std::filesystem::exists(folder + "TEMP")); // only a missing file creates folders
    EXPECT_EQ(options.keptText, "first line");
    EXPECT_EQ(options.windowAnimation, 20);
    EXPECT_EQ(options.spectrumAnalyzer, 90);
    EXPECT_EQ(options.temporaryFolder, "C:/Work/Temp/");
    EXPECT_EQ(options.diskCacheMegabytes, 110);
    EXPECT_EQ(options.memoryCacheBytes, 120);
    EXPECT_EQ(options.timeFormat, 130);
    EXPECT_EQ(options.openAtStart, 170);
    EXPECT_EQ(options.measuresPerBar, 190);
    EXPECT_EQ(options.fileDialogFolder, "200");
    EXPECT_EQ(options.startSong, "220");
    EXPECT_EQ(options.lastNewsHeadline, "Headline of the day");
    EXPECT_EQ(folders.Snapshot(), (std::vector<std::string>{"/samples/a/", "D:/more/b/", "/samples/c/",
                                                            folder + "SMPLDATA/", folder, ""}));

    ASSERT_TRUE(WriteOptionsFile(folder, options, folders));
    std::vector<std::string> written = FileLines(test::ReadFile(folder + "Brickmelody.opt"));
    ASSERT_EQ(written.size(), 26u);
    EXPECT_EQ(std::vector<std::string>(written.begin() + 23, written.end()),
              (std::vector<std::string>{"/samples/a/", "D:/more/b/", "/samples/c/"}));
}

TEST(OptionsFile, NumbersAreReadLenientlyAndLineEndsMayBeBare)
{
    test::TempDir dir;
    std::vector<std::string> lines = ValueLines(dir.Path());
    lines[1] = "yes";     // not a number: 0
    lines[10] = "64 MB";  // digits up to the first non-digit
    lines[17] = "-5";     // no range check on reading
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", Join(lines, "\n")));
    OptionsFile options;
    FolderList folders;
    ReadOptionsFile(dir.Path(), options, folders, kMachine, FolderCreation::Skip);
    EXPECT_EQ(options.windowAnimation, 0);
    EXPECT_EQ(options.diskCacheMegabytes, 64);
    EXPECT_EQ(options.samplesPerMeasure, -5);
    EXPECT_EQ(options.keptText, "keep me");
}

TEST(OptionsFile, ShortFileLeavesTheRestAsItWas)
{
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", "text\r\n1\r\n0\r\n"));
    OptionsFile options;
    options.temporaryFolder = dir.Path();
    options.samplesPerMeasure = 777;
    FolderList folders;
    folders.Assign({"/stale/"});
    ASSERT_EQ(ReadOptionsFile(dir.Path(), options, folders, kMachine, FolderCreation::Create), OptionsSource::File);
    EXPECT_EQ(options.keptText, "text");
    EXPECT_EQ(options.windowAnimation, 1);
    EXPECT_EQ(options.lampsAnimation, 0);
    EXPECT_EQ(options.activeBorders, 0);
    EXPECT_EQ(options.temporaryFolder, dir.Path());
    EXPECT_EQ(options.samplesPerMeasure, 777);
    // The list is rebuilt: no saved folders, no default one, the three built-in ones.
    EXPECT_EQ(folders.Snapshot(), (std::vector<std::string>{dir / "SMPLDATA/", dir.Path(), ""}));
}

TEST(OptionsFile, RoundTripsAndTakesATemporaryFolderOverride)
{
    test::TempDir dir;
    OptionsFile options = DefaultOptions(dir.Path(), kMachine);
    options.keptText = "x";
    options.followFlag = 0;
    options.lastNewsHeadline = "news";
    FolderList folders;
    folders.Assign({"/one/", "/two/", dir / "SMPLDATA/", dir.Path(), ""});
    ASSERT_TRUE(WriteOptionsFile(dir.Path(), options, folders, std::string("/elsewhere/")));

    OptionsFile back;
    FolderList backFolders;
    ReadOptionsFile(dir.Path(), back, backFolders, kMachine, FolderCreation::Skip);
    EXPECT_EQ(back.temporaryFolder, "/elsewhere/");
    back.temporaryFolder = options.temporaryFolder;
    EXPECT_EQ(FormatOptionsFile(back, backFolders.Snapshot()), FormatOptionsFile(options, folders.Snapshot()));
    EXPECT_EQ(backFolders.Snapshot(), folders.Snapshot());
}

TEST(OptionsFile, FailedWriteLeavesTheOldFileWhole)
{
    test::TempDir dir;
    const std::string old = Join(ValueLines(dir.Path())) + "/kept/\r\n";
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", old));
    OptionsFile options = DefaultOptions(dir.Path(), kMachine);
    options.keptText = "changed";
    FolderList folders;
    for (auto fault : {DurableWriteFault::CreateTemporary, DurableWriteFault::WriteHalfway,
                       DurableWriteFault::Flush, DurableWriteFault::Rename}) {
        Error error;
        EXPECT_FALSE(WriteOptionsFile(dir.Path(), options, folders, std::nullopt, &error, fault));
        EXPECT_FALSE(error.message.empty());
        EXPECT_EQ(test::ReadFile(dir / "Brickmelody.opt"), old);
    }
    ASSERT_TRUE(WriteOptionsFile(dir.Path(), options, folders));
    EXPECT_EQ(FileLines(test::ReadFile(dir / "Brickmelody.opt")).at(0), "changed");
}

// Damages about 1% of the bytes of a valid file, 100 rounds: whatever is read
// writes and reads back to the same text.
TEST(OptionsFile, DamagedFilesReadAndWriteBackStably)
{
    const std::string valid = Join(ValueLines("C:\\p\\")) + "/one/\r\n\r\n/two/\r\n";
    std::mt19937 random(1303);
    auto readAndWrite = [](std::string_view text) {
        OptionsFile options;
        std::vector<std::string> folders;
        ParseOptionsText(text, options, folders);
        folders.insert(folders.end(), {"/p/SMPLDATA/", "/p/", ""});
        return FormatOptionsFile(options, folders);
    };
    for (int round = 0; round < 100; ++round) {
        std::string text = valid;
        for (size_t n = 0; n < text.size() / 100 + 1; ++n)
            text[random() % text.size()] = static_cast<char>(random());
        const std::string written = readAndWrite(text);
        EXPECT_EQ(readAndWrite(written), written) << round;
    }
}

TEST(OptionsFile, SavedFoldersLeaveOutTheBuiltInThree)
{
    EXPECT_TRUE(SavedFolders({}).empty());
    EXPECT_TRUE(SavedFolders({"a", "b", ""}).empty());
    EXPECT_EQ(SavedFolders({"x/", "a", "b", ""}), std::vector<std::string>{"x/"});
}

} // namespace
} // namespace bm::app
