#include "ControllerFixture.h"

#include "platform/WindowEvent.h"
#include "ui/main/KeyboardTable.h"

namespace bm::ui::test {
namespace {

using platform::mods::kAlt;
using platform::mods::kCtrl;
using platform::mods::kShift;
namespace vk = platform::vk;

TEST(KeyboardTableTest, ModifiersMustMatchExactly)
{
    EXPECT_EQ(CommandsForKey('Z', kCtrl, false), std::vector<int32_t>{cmd::kUndo});
    EXPECT_TRUE(CommandsForKey('Z', kCtrl | kAlt, false).empty()) << "Ctrl+Alt+Z is not Ctrl+Z";
    EXPECT_EQ(CommandsForKey(vk::kBack, kAlt, false), std::vector<int32_t>{cmd::kUndo});
    EXPECT_TRUE(CommandsForKey(vk::kBack, 0, false).empty());
    EXPECT_EQ(CommandsForKey(vk::kDelete, 0, false), std::vector<int32_t>{cmd::kDelete});
    EXPECT_EQ(CommandsForKey(vk::kSpace, kShift, false), std::vector<int32_t>{cmd::kRegionPlaySwitch});
    // Mouse-button bits in the modifier word do not spoil a match.
    EXPECT_EQ(CommandsForKey(vk::kF1, platform::mods::kLeftButton, false), std::vector<int32_t>{cmd::kHelp});
}

TEST(KeyboardTableTest, OnlyRowsMarkedRepeatingRunOnAutoRepeat)
{
    EXPECT_EQ(CommandsForKey(vk::kLeft, 0, true), std::vector<int32_t>{cmd::kMeasureBack});
    EXPECT_TRUE(CommandsForKey('Z', kCtrl, true).empty());
    EXPECT_EQ(CommandsForKey(vk::kRight, kAlt, true), std::vector<int32_t>{cmd::kTempoFaster});
    EXPECT_TRUE(CommandsForKey(vk::kUp, kShift, true).empty()) << "zoom does not repeat";
}

TEST(KeyboardTableTest, ShortcutTextsNameTheModifiersInOrder)
{
    EXPECT_EQ(ShortcutText(*RowsForCommand(cmd::kUndo).front()), "Ctrl+Z");
    EXPECT_EQ(ShortcutText(*RowsForCommand(cmd::kExit).front()), "Alt+F4");
    EXPECT_EQ(ShortcutText(*RowsForCommand(cmd::kPaste)[1]), "Shift+Ins");
    EXPECT_EQ(ShortcutText(*RowsForCommand(cmd::kReverseOff).front()), "Ctrl+.");
    EXPECT_TRUE(RowsForCommand(cmd::kOptions).empty());
}

TEST(CommandTableTest, EveryCommandNumberHasOneRowAndEveryKeySendsAKnownCommand)
{
    const std::vector<int32_t> numbers = {
        1024, 1025, 1124, 1126, 1127, 1128, 1129, 1130, 1131, 1132, 1133, 1134, 1135, 1136, 1137, 1138, 1144,
        1145, 1146, 1147, 1154, 1155, 1156, 1157, 1158, 1159, 1160, 1161, 1162, 1163, 1164, 1165, 1166, 1167,
        1215, 1216, 1217, 1218, 1219, 1220, 1223, 1224, 1225, 1226, 1227, 1228, 1229, 1230, 1231, 1232, 1233,
        1234, 1235, 1236, 1237, 1238, 1239, 1240, 1241, 1242, 1243, 1244, 1245, 1246, 1247, 1248, 1249, 1250,
        1251, 1252, 1254, 1255, 1262, 1263, 1264, 1265, 1266, 1267, 1268, 1269, 1270, 1271, 1273, 1274, 1275,
        1284, 1285, 1286, 1287, 1288, 1294, 1295, 1296, 1297, 1424, 1425, 1426, 1427, 1428, 1429, 1430, 1431,
        1432, 1525, 1526};
    for (int32_t n = 1304; n <= 1333; ++n)
        EXPECT_NE(MainController::FindCommand(n), nullptr) << n;
    for (int32_t n : numbers)
        EXPECT_NE(MainController::FindCommand(n), nullptr) << n;
    EXPECT_EQ(MainController::FindCommand(1272), nullptr);
    EXPECT_EQ(MainController::FindCommand(1253), nullptr);
    // Rows never overlap.
    const auto rows = MainController::Commands();
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_GT(rows[i].first, rows[i - 1].last) << rows[i].first;
    for (const KeyRow& row : KeyboardTable())
        EXPECT_NE(MainController::FindCommand(row.command), nullptr) << row.command;
}

class AvailabilityTest : public ControllerTest {};

TEST_F(AvailabilityTest, FollowsTheSongAndTheSelection)
{
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kSave)) << "an empty song";
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kUndo));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kNewSong));
    GiveMeasures(8);
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kSave));
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kCut)) << "nothing selected";
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kSelectAll)) << "no slot and no inner point";
    Place(2, 3, 1, 0, 0);
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kSelectAll));
    S().doc.song.measures[2].slots[3].selected = 1;
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kCut));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kReverseToggle));
    // A selected point counts only while its envelope is shown.
    S().doc.song.measures[2].slots[3].selected = 0;
    S().doc.song.envelopes[0][0][0].selected = 1;
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kDelete));
    S().view.envelopeShown[0] = true;
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kDelete));
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kReverseToggle)) << "reverse needs a slot";

    S().view.transport = Transport::Playing;
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kTempo));
    S().view.followFlag = false;
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kSmoothFlag));
    for (int i = 0; i < 10000 - 8; ++i)
        S().doc.song.measures.emplace_back();
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kInsertMeasures));
}

TEST_F(AvailabilityTest, LibraryCommandsFollowThePointedCell)
{
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kPreviewVariant));
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 0, 0);
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kPreviewVariant));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kSampleProperties));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kRemoveSamples));
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 1, 0); // an empty variant
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kPreviewVariant));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kPreviewEntry));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kAddFileToCell));
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 0, 2); // the free place
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kRemoveSamples));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kRecordIntoEntry));
    S().view.librarySelection = SampleRef::Make(0, 0, 0, 0, 0, 0); // shipped
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kSampleProperties));
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kDragEntry));
    EXPECT_FALSE(C().IsCommandAvailable(cmd::kCopyToSampleFolder));
    files.otherFileSystem = true;
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kCopyToSampleFolder));
    EXPECT_TRUE(C().IsCommandAvailable(cmd::kAddSamples)) << "the open part is the user's";
}

class MenuFilterTest : public ControllerTest {
protected:
    std::optional<MenuItemState> Filter(int32_t command, int32_t written = 1, const std::string& text = "item")
    {
        MenuItemState item{command, written, -1, text};
        if (!C().FilterMenuItem("any.res", item, written))
            return std::nullopt;
        return item;
    }
};

TEST_F(MenuFilterTest, EachRuleKeepsDropsEnablesOrChecks)
{
    GiveMeasures(4);
    auto save = Filter(cmd::kSave, 0);
    ASSERT_TRUE(save);
    EXPECT_EQ(save->enabled, 1) << "enabled by availability, whatever was written";
    auto cut = Filter(cmd::kCut);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->enabled, 0);
    EXPECT_FALSE(Filter(cmd::kSelectChannel)) << "kept only when available";
    auto follow = Filter(cmd::kFollowFlag);
    ASSERT_TRUE(follow);
    EXPECT_EQ(follow->checked, 1);
    auto format = Filter(cmd::kTimeFormat0 + 2);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->checked, 0);
    S().view.timeFormat = 2;
    EXPECT_EQ(Filter(cmd::kTimeFormat0 + 2)->checked, 1);
    EXPECT_EQ(Filter(9999)->enabled, 1) << "unknown commands stay as written";
}

TEST_F(MenuFilterTest, RegionSwitchKeepsOnlyTheItemMatchingTheRegion)
{
    GiveMeasures(8);
    S().doc.song.regions = {{0, 3, true}};
    EXPECT_FALSE(Filter(cmd::kRegionOnOff, 1)) << "no current region";
    S().view.currentRegion = 0;
    EXPECT_TRUE(Filter(cmd::kRegionOnOff, 1));
    EXPECT_FALSE(Filter(cmd::kRegionOnOff, 0));
    S().doc.song.regions[0].on = false;
    auto off = Filter(cmd::kRegionOnOff, 0);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->enabled, 1);
    EXPECT_FALSE(Filter(cmd::kRegionOnOff, 1));
}

TEST_F(MenuFilterTest, GroupAndChordItemsTakeTheLibrarysNames)
{
    auto group = Filter(cmd::kChooseGroup0 + 1);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->text, "Bass");
    EXPECT_EQ(group->checked, 0);
    EXPECT_EQ(Filter(cmd::kChooseGroup0)->checked, 1);
    EXPECT_FALSE(Filter(cmd::kChooseGroup0 + 2));
    // Chords are counted over every part of the group: part 0's C, part 1's C.
    auto second = Filter(cmd::kChooseChord0 + 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, "C");
    EXPECT_EQ(second->checked, 1) << "part 1, chord 0 is open";
    EXPECT_EQ(Filter(cmd::kChooseChord0)->checked, 0);
    EXPECT_FALSE(Filter(cmd::kChooseChord0 + 2));
}

} // namespace
} // namespace bm::ui::test
