// Every dialog's text list, read from a real archive with too few lines,
// too many, exactly enough and none at all.

#include "ui/dialogs/DialogTexts.h"
#include "ui/dialogs/TempoDialogModel.h"
#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace bm::dialogs {
namespace {

// The number of lines each list holds.
const std::map<std::string, size_t> kLineCounts = {
    {"BPM_Select.res", 8},       {"Insert_Measure.res", 16}, {"Remove_Measure.res", 16}, {"shift_notes.res", 7},
    {"Export_File.res", 16},     {"Export_Progress.res", 11}, {"Options.res", 32},       {"Record.res", 16},
    {"replace.res", 8},          {"file_properties.res", 16}, {"file_remove.res", 16},   {"save_pitch.res", 16},
    {"save_record.res", 16}};

std::string Lines(const std::string& prefix, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += prefix + std::to_string(i) + "\r\n";
    return text;
}

class DialogTextListTest : public ::testing::TestWithParam<size_t> {
protected:
    TextListInfo Info() const { return AllTextLists()[GetParam()]; }
};

TEST_P(DialogTextListTest, BuiltInTextsMatchTheListAndAreFilled)
{
    const TextListInfo info = Info();
    const auto count = kLineCounts.find(std::string(info.entry));
    ASSERT_NE(count, kLineCounts.end()) << info.entry;
    EXPECT_EQ(info.builtIn.size(), count->second) << info.entry;
    for (const std::string& text : info.builtIn)
        EXPECT_FALSE(text.empty()) << info.entry;
}

TEST_P(DialogTextListTest, ArchiveLinesReplaceTheBuiltInTextsInOrder)
{
    const TextListInfo info = Info();
    const std::string name(info.entry);
    const size_t n = info.builtIn.size();
    test::TempDir dir;
    const std::string path = dir / "Brickmelody.wad";
    // The list sits among other entries with names that differ only in case
    // from nothing else; the short and long lists are packed under their own
    // archives.
    struct Case {
        std::string text;
        size_t replaced;
    };
    const Case cases[] = {{Lines("line ", n), n},
                          {Lines("line ", n - 1), n - 1},
                          {Lines("line ", n + 3), n},
                          {Lines("line ", n - 1) + "last without end", n}};
    for (const Case& c : cases) {
        ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"other.res", "x\r\n"}, {name, c.text}})));
        ResourceArchive archive;
        ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));
        const std::vector<std::string> texts = LoadDialogTexts(&archive, info.entry, info.builtIn);
        ASSERT_EQ(texts.size(), n);
        const bool unterminated = c.text.back() != '\n';
        for (size_t i = 0; i < n; ++i) {
            std::string expected = i < c.replaced ? "line " + std::to_string(i) : info.builtIn[i];
            if (unterminated && i == n - 1) {
                expected = "last without end";
            }
            EXPECT_EQ(texts[i], expected) << name << " " << i;
        }
    }
    // A missing entry, and no archive at all, keep every built-in text.
    ASSERT_TRUE(test::WriteFile(path, test::ArchiveImage("WADn", {{"other.res", "x\r\n"}})));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly));
    EXPECT_EQ(LoadDialogTexts(&archive, info.entry, info.builtIn), info.builtIn);
    EXPECT_EQ(LoadDialogTexts(nullptr, info.entry, info.builtIn), info.builtIn);
}

INSTANTIATE_TEST_SUITE_P(EveryList, DialogTextListTest, ::testing::Range<size_t>(0, 13),
                         [](const auto& info) {
                             std::string name(AllTextLists()[info.param].entry);
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(DialogTextsTest, EveryListIsKnown)
{
    EXPECT_EQ(AllTextLists().size(), kLineCounts.size());
}

TEST(DialogTextsTest, AModelTakesItsTextsFromTheList)
{
    std::vector<std::string> texts = TempoDialogModel::BuiltInTexts();
    texts[TempoDialogModel::Caption] = "Tempo";
    texts.resize(3); // a short list given straight to the model
    TempoDialogModel model({20352, 8, true}, texts);
    EXPECT_EQ(model.TextOf(TempoDialogModel::Caption), "Tempo");
    EXPECT_EQ(model.TextOf(TempoDialogModel::FactorLabel), "");
}

} // namespace
} // namespace bm::dialogs
