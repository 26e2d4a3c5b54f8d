// Clicks, context menus, the wheel, the ticks and timers, the value slider
// and the library's keyboard access of the window's areas.

#include "AreasFixture.h"

#include "platform/HeadlessWindowSystem.h"

namespace bm::ui::test {
namespace {

using engine::CommandCode;
using platform::Point;
namespace mods = platform::mods;
namespace vk = platform::vk;

constexpr int32_t kS = 20352;

class AreasClickTest : public AreasTest {
protected:
    AreasClickTest()
    {
        GiveMeasures(16);
        Posted();
    }
    const ChannelSlot& Slot(int32_t m, int32_t c) { return S().doc.song.measures[m].slots[c]; }
    bool Posts(CommandCode code)
    {
        const auto codes = PostedCodes();
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }
};

TEST_F(AreasClickTest, AClickPlacesTheCursorOnTheNearestMeasureBoundary)
{
    const int32_t y = AtMeasure(0, 4).y;
    Click({AtMeasure(3, 0).x + 4, y});
    EXPECT_EQ(S().view.cursorMeasure, 3);
    Click({AtMeasure(3, 0).x + 5, y});
    EXPECT_EQ(S().view.cursorMeasure, 4) << "past the midpoint";
    Click({AtMeasure(16, 0).x + 1, y});
    EXPECT_EQ(S().view.cursorMeasure, 4) << "the song's end is no measure";
    S().view.transport = Transport::Playing;
    Click({AtMeasure(8, 0).x, y});
    EXPECT_EQ(S().view.cursorMeasure, 4) << "not while playing";
}

TEST_F(AreasClickTest, CtrlClickTogglesTheSelectionOfThePointElseTheSlot)
{
    S().view.envelopeShown[1] = true;
    Place(2, 3, 1, 0, 0);
    Envelope& pan = S().doc.song.envelopes[3][1];
    pan.insert(pan.begin() + 1, {3 * kS, 0, 0});
    Click(OnSlot(2, 3), mods::kCtrl);
    EXPECT_EQ(Slot(2, 3).selected, 1);
    const geometry::Frame f = F();
    Click({geometry::SampleX(f, 3 * kS), geometry::EnvelopeY(f, 3, 0)}, mods::kCtrl);
    EXPECT_EQ(pan[1].selected, 1);
    EXPECT_EQ(Slot(2, 3).selected, 1) << "the point took the click";
    Click(OnSlot(2, 3), mods::kCtrl);
    EXPECT_EQ(Slot(2, 3).selected, 0);
    EXPECT_EQ(S().view.cursorMeasure, 0) << "Ctrl clicks leave the cursor";
}

TEST_F(AreasClickTest, ADoubleClickOnASlotPreviewsItsSample)
{
    Place(2, 3, 1, 0, 2);
    S().doc.song.measures[2].slots[3].reverse = 1;
    const Point at = OnSlot(2, 3);
    A().OnLeftDoubleClick(at.x, at.y, mods::kLeftButton);
    A().OnLeftUp(at.x, at.y, 0);
    const auto posted = Posted();
    const auto preview = std::find_if(posted.begin(), posted.end(),
                                      [](const auto& c) { return engine::CodeOf(c) == CommandCode::Preview; });
    ASSERT_NE(preview, posted.end());
    EXPECT_EQ(std::get<engine::Preview>(*preview).reverse, 1) << "a reversed slot previews backwards";
    EXPECT_EQ(std::get<engine::Preview>(*preview).entries.at(0).ref, SampleRef::Make(0, 0, 1, 0, 2, 0));
}

TEST_F(AreasClickTest, LibraryClicksSelectThenPreviewTheCellOrTheWholeEntry)
{
    Click(OnCell(2, 2));
    EXPECT_EQ(S().view.librarySelection, SampleRef::Make(0, 0, 1, 0, 2, 0));
    auto posted = Posted();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(std::get<engine::Preview>(posted.back()).entries.size(), 1u);
    Click(OnCell(3, 0), mods::kCtrl | mods::kAlt);
    posted = Posted();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(std::get<engine::Preview>(posted.back()).entries.size(), 3u) << "the entry's three samples";
    EXPECT_EQ(std::get<engine::Preview>(posted.back()).reverse, 1);
    Click(OnCell(2, 1));
    EXPECT_EQ(S().view.librarySelection, SampleRef::Make(0, 0, 1, 0, 1, 0)) << "an empty cell is selected";
    EXPECT_FALSE(Posts(CommandCode::Preview));
}

TEST_F(AreasClickTest, PartRowsOpenAndCloseTheirParts)
{
    Click(OnCell(0, 3));
    EXPECT_EQ(S().doc.library.selection.part, 0);
    EXPECT_EQ(S().doc.library.selection.chord, 0);
    Click(OnCell(0, 3));
    EXPECT_EQ(S().doc.library.selection.part, -1);
    EXPECT_EQ(LibraryRowCount(S().doc.library), 2);
}

TEST_F(AreasClickTest, TheAddButtonOfTheFreeRowAddsSamples)
{
    // The user part's free entry is the fifth row.
    const platform::Rect add = layout::LibraryAddRect(4);
    dialogs.openAnswers.push_back({});
    Click({add.left + 5, add.top + 5});
    EXPECT_EQ(dialogs.opens.size(), 1u) << "command 1251 asked for files";
}

TEST_F(AreasClickTest, TimeAreasOpenTheTimeWindowOnAClickOrASecondsRest)
{
    const platform::Rect second = layout::kTimeHotAreas[1];
    Click({second.left + 3, second.top + 3});
    EXPECT_EQ(view.timeWindows, (std::vector<int32_t>{1}));
    const platform::Rect first = layout::kTimeHotAreas[0];
    A().OnMouseMove(first.left + 3, first.top + 3, 0);
    EXPECT_EQ(host.timers[ArrangementAreas::kHoverTimer], 1000u);
    EXPECT_TRUE(A().OnTimer(ArrangementAreas::kHoverTimer));
    EXPECT_EQ(view.timeWindows, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(host.timers.count(ArrangementAreas::kHoverTimer), 0u) << "once";
    A().OnMouseMove(first.left + 4, first.top + 3, 0);
    EXPECT_EQ(host.timers.count(ArrangementAreas::kHoverTimer), 0u) << "not again before leaving";
    A().OnMouseMove(second.left + 4, second.top + 3, 0);
    A().OnMouseMove(300, 200, 0);
    A().OnMouseMove(first.left + 4, first.top + 3, 0);
    EXPECT_EQ(host.timers.count(ArrangementAreas::kHoverTimer), 1u) << "after leaving both it starts again";
    RightClick({first.left + 3, first.top + 3});
    EXPECT_EQ(view.timeWindows.back(), 0);
}

// ---- Context menus ----

TEST_F(AreasClickTest, ARightClickOnAPointOverASlotOpensThePointsMenu)
{
    S().view.envelopeShown[0] = true;
    Place(2, 3, 1, 0, 0);
    Envelope& volume = S().doc.song.envelopes[3][0];
    volume.insert(volume.begin() + 1, {2 * kS + kS / 4, 0, 0});
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 2, 0);
    const geometry::Frame f = F();
    const Point at{geometry::SampleX(f, 2 * kS + kS / 4), geometry::EnvelopeY(f, 3, 0)};
    ASSERT_TRUE(HitSlot(S().doc.song, S().doc.library, f, at.x, at.y).Valid()) << "a slot lies under it too";
    RightClick(at);
    EXPECT_EQ(host.menus, (std::vector<std::string>{"work_menu.res"}));
    EXPECT_EQ(S().view.pointedPoint, (PointedPoint{3, 0, 1}));
    EXPECT_EQ(S().view.pointedChannel, 3);
    EXPECT_TRUE(S().view.librarySelection.IsEmpty());

    RightClick(OnSlot(2, 3, 20));
    EXPECT_EQ(host.menus.back(), "work_menu.res");
    EXPECT_EQ(S().view.pointedMeasure, 2);
    EXPECT_FALSE(S().view.pointedPoint.Valid());
    EXPECT_EQ(S().view.librarySelection, SampleRef::Make(0, 0, 1, 0, 0, 0));
}

TEST_F(AreasClickTest, EmptyRowsOpenTheEditMenuAndNothingOpensBelowTheTwelfthRow)
{
    RightClick(AtMeasure(5, 7));
    EXPECT_EQ(host.menus, (std::vector<std::string>{"edit_menu.res"}));
    EXPECT_EQ(S().view.pointedChannel, 7);
    RightClick({AtMeasure(5, 0).x, layout::kArrangement.bottom + 1});
    RightClick({AtMeasure(5, 0).x, layout::kArrangement.top + 1});
    EXPECT_EQ(host.menus.size(), 1u);
    RightClick(AtMeasure(5, 7), mods::kAlt);
    EXPECT_EQ(host.menus.size(), 1u) << "with a modifier nothing opens";
}

TEST_F(AreasClickTest, TheRegionMenuOffersOneOfItsTwoOnOffItems)
{
    S().doc.song.regions = {{2, 5, true}};
    const platform::Rect handle = geometry::StartHandleRect(F(), 2);
    std::vector<int32_t> shown;
    host.onMenu = [&](const std::string&) {
        for (int32_t written : {0, 1}) {
            MenuItemState item{cmd::kRegionOnOff, written, -1, "switch"};
            if (C().FilterMenuItem("reg_menu.res", item, written))
                shown.push_back(written);
        }
    };
    RightClick({handle.left + 3, handle.top + 2});
    EXPECT_EQ(host.menus, (std::vector<std::string>{"reg_menu.res"}));
    EXPECT_EQ(S().view.currentRegion, 0);
    EXPECT_EQ(S().view.regionSide, RegionSide::Start);
    EXPECT_EQ(shown, (std::vector<int32_t>{1}));
    S().doc.song.regions[0].on = false;
    shown.clear();
    RightClick({handle.left + 3, handle.top + 2});
    EXPECT_EQ(shown, (std::vector<int32_t>{0}));
}

TEST_F(AreasClickTest, LibraryEntryRowsOpenTheLibraryMenuWithTheirCell)
{
    RightClick(OnCell(3, 5));
    EXPECT_EQ(host.menus, (std::vector<std::string>{"lib_menu.res"}));
    EXPECT_EQ(S().view.librarySelection, SampleRef::Make(0, 0, 1, 0, 5, 1));
    RightClick(OnCell(1, 0));
    EXPECT_EQ(host.menus.size(), 1u) << "a part row has no menu";
}

TEST_F(AreasClickTest, CtrlAndShiftRightPressesSelectAlikeOrTheChannel)
{
    Place(2, 3, 1, 0, 0);
    Place(6, 5, 1, 0, 0);
    Place(7, 5, 1, 1, 0);
    A().OnRightDown(OnSlot(2, 3).x, OnSlot(2, 3).y, mods::kRightButton | mods::kCtrl);
    EXPECT_EQ(Slot(6, 5).selected, 1) << "the same sample elsewhere";
    EXPECT_EQ(Slot(7, 5).selected, 0);
    A().OnRightUp(OnSlot(2, 3).x, OnSlot(2, 3).y, mods::kCtrl);
    EXPECT_TRUE(host.menus.empty());
    const Point row = AtMeasure(13, 5);
    A().OnRightDown(row.x, row.y, mods::kRightButton | mods::kShift);
    EXPECT_EQ(Slot(7, 5).selected, 1) << "the whole channel";
    A().OnRightUp(row.x, row.y, mods::kShift);
    A().OnRightDown(row.x, row.y, mods::kRightButton | mods::kCtrl);
    EXPECT_EQ(Slot(6, 5).selected, 0);
    EXPECT_EQ(Slot(7, 5).selected, 0);
    A().OnRightUp(row.x, row.y, mods::kCtrl);
}

// ---- Wheel, ticks ----

TEST_F(AreasClickTest, TheWheelScrollsTheLibraryTheArrangementAndTurnsTheKnob)
{
    LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    chord.entries.insert(chord.entries.begin(), 6, chord.entries[0]);
    GiveMeasures(200);
    A().OnWheel(OnCell(2, 0).x, OnCell(2, 0).y, -3);
    EXPECT_EQ(S().view.libraryFirstRow, 3);
    A().OnWheel(OnCell(2, 0).x, OnCell(2, 0).y, -30);
    EXPECT_EQ(S().view.libraryFirstRow, LastLibraryFirstRow(S().doc.library, layout::kLibraryVisibleRows));
    A().OnWheel(300, 100, -2);
    EXPECT_EQ(S().view.scrollX, 2 * 9 * 4);
    A().OnWheel(300, 100, 1);
    EXPECT_EQ(S().view.scrollX, 9 * 4);
    S().view.masterVolume = 250;
    A().OnWheel(layout::kVolumeKnobArea.left + 5, layout::kVolumeKnobArea.top + 5, 2);
    EXPECT_EQ(S().view.masterVolume, 255);
    EXPECT_EQ(A().Knob().Frame(), 2);
    A().OnWheel(layout::kVolumeKnobArea.left + 5, layout::kVolumeKnobArea.top + 5, -3);
    EXPECT_EQ(S().view.masterVolume, 240);
}

TEST_F(AreasClickTest, TheTickFollowsThePlayCursorAndFeedsTheMeters)
{
    GiveMeasures(400);
    S().view.transport = Transport::Playing;
    S().view.followMode = FollowMode::Page;
    S().view.smoothFlag = false;
    app.options.spectrumAnalyzer = 1;
    readings.levels[4] = 32767;
    readings.position = int64_t(kS) * 100; // pixel 900
    A().OnTick();
    EXPECT_EQ(S().view.scrollX, 900) << "a page on";
    EXPECT_EQ(A().CursorPixel(), 900);
    EXPECT_EQ(A().Meters().Level(4), 26);
    readings.levels = {};
    A().OnTick();
    EXPECT_EQ(A().Meters().Level(4), 24);
    readings.position = -1;
    A().OnTick();
    EXPECT_EQ(A().Meters().Level(4), 22) << "falling on while nothing plays";
    EXPECT_EQ(S().view.scrollX, 900) << "no position, no following";

    // A drag holds the view.
    readings.position = int64_t(kS) * 300;
    const Point from{AtMeasure(102, 0).x, AtMeasure(102, 0).y};
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    A().OnMouseMove(from.x + 10, from.y + 10, mods::kLeftButton);
    A().OnTick();
    EXPECT_EQ(S().view.scrollX, 900);
    A().OnLeftUp(from.x + 10, from.y + 10, 0);
    A().OnTick();
    EXPECT_EQ(S().view.scrollX, 2700);
}

TEST_F(AreasClickTest, VolumeTicksTurnTheKnobAFrameAtATime)
{
    S().view.masterVolume = 3;
    A().StepMasterVolume(-5);
    EXPECT_EQ(S().view.masterVolume, 0);
    EXPECT_EQ(A().Knob().Frame(), 7);
    A().StepMasterVolume(5);
    EXPECT_EQ(S().view.masterVolume, 5);
    EXPECT_EQ(A().Knob().Frame(), 0);
}

// ---- The value slider ----

TEST_F(AreasClickTest, TheValueSliderSetsTheStartOffsetOfThePointedSlot)
{
    Place(2, 3, 1, 0, 0);
    A().OnMouseMove(OnSlot(2, 3).x, OnSlot(2, 3).y, 0);
    S().view.pointedMeasure = 2;
    S().view.pointedChannel = 3;
    ASSERT_EQ(C().OnCommand(cmd::kValueSlider), 1);
    const ValueSliderWindow* slider = A().Slider();
    ASSERT_NE(slider, nullptr);
    EXPECT_FALSE(slider->Request().vertical);
    EXPECT_EQ(slider->Request().ticks, 16);
    auto* window = dynamic_cast<platform::HeadlessWindowHost*>(&slider->Window());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsVisible());
    const int32_t middle = ValueSliderWindow::kMargin + (ValueSliderWindow::kLength - 1) / 2;
    window->Press(middle, 10);
    window->MoveTo(ValueSliderWindow::kMargin + ValueSliderWindow::kLength + 30, 10);
    EXPECT_EQ(Slot(2, 3).start, kS - 1) << "dragged past the end of the track";
    window->Release(0, 10);
    EXPECT_EQ(Slot(2, 3).start, kS - 1) << "the release does not move it";
    window->Press(ValueSliderWindow::kMargin, 10);
    EXPECT_EQ(Slot(2, 3).start, 0);
    EXPECT_TRUE(Posts(CommandCode::SetSlot));
    window->Key(vk::kEscape);
    EXPECT_FALSE(slider->IsOpen());
    A().OnTick();
    EXPECT_EQ(A().Slider(), nullptr);
}

// ---- Keyboard ----

TEST_F(AreasClickTest, TheFocusRingWalksTheLibraryAndItsKeysPreviewAndOpenTheMenu)
{
    EXPECT_FALSE(A().OnKey(vk::kReturn, mods::kShift, false)) << "no ring yet";
    EXPECT_TRUE(A().OnKey(vk::kTab, 0, false));
    EXPECT_TRUE(A().Focus().shown);
    EXPECT_EQ(A().Focus().row, 0);
    A().OnKey(vk::kTab, 0, false); // part 1
    A().OnKey(vk::kTab, 0, false); // entry 0, cell 0
    A().OnKey(vk::kTab, 0, false); // cell 1
    A().OnKey(vk::kTab, 0, false); // cell 2
    EXPECT_EQ(A().Focus().row, 2);
    EXPECT_EQ(A().Focus().column, 2);
    A().OnKey(vk::kTab, mods::kShift, false);
    EXPECT_EQ(A().Focus().column, 1);
    A().OnKey(vk::kTab, 0, false);

    EXPECT_FALSE(A().OnKey(vk::kReturn, 0, false)) << "Enter alone is the table's (stop at the position)";
    EXPECT_TRUE(A().OnKey(vk::kReturn, mods::kShift, false));
    EXPECT_EQ(S().view.librarySelection, SampleRef::Make(0, 0, 1, 0, 2, 0));
    EXPECT_TRUE(Posts(CommandCode::Preview));
    EXPECT_TRUE(A().OnKey(vk::kReturn, mods::kCtrl | mods::kAlt, false));
    auto posted = Posted();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(std::get<engine::Preview>(posted.back()).entries.size(), 3u);
    EXPECT_EQ(std::get<engine::Preview>(posted.back()).reverse, 1);

    EXPECT_TRUE(A().OnKey(vk::kApps, 0, false));
    EXPECT_TRUE(A().OnKey(vk::kF10, mods::kShift, false));
    EXPECT_EQ(host.menus, (std::vector<std::string>{"lib_menu.res", "lib_menu.res"}));
    const platform::Rect cell = layout::LibraryCellRect(2, 2);
    EXPECT_EQ(host.menuPoints[0], host.ToScreen({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}));
    EXPECT_FALSE(A().OnKey(vk::kF10, 0, false));

    // Shift+Enter on a part row opens or closes it.
    while (A().Focus().row != 0)
        A().OnKey(vk::kTab, mods::kShift, false);
    A().OnKey(vk::kReturn, mods::kShift, false);
    EXPECT_EQ(S().doc.library.selection.part, 0);
}

TEST_F(AreasClickTest, TheFocusRingKeepsItsRowInView)
{
    LibraryChord& chord = S().doc.library.styles[0].groups[0].parts[1].chords[0];
    chord.entries.insert(chord.entries.begin(), 10, chord.entries[0]);
    for (int i = 0; i < 3 + 6 * 9; ++i)
        A().OnKey(vk::kTab, 0, false);
    EXPECT_EQ(A().Focus().row, 11);
    EXPECT_EQ(S().view.libraryFirstRow, 11 - layout::kLibraryVisibleRows + 1);
}

} // namespace
} // namespace bm::ui::test
