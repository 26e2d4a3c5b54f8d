// The drag states of the arrangement and the library browser, each from
// its start to the song after the release: what moved, the undo snapshot,
// and the engine commands posted.

#include "AreasFixture.h"

#include "song/SongModel.h"

namespace bm::ui::test {
namespace {

using engine::CommandCode;
using platform::Point;
namespace mods = platform::mods;

constexpr int32_t kS = 20352;

int CountOf(const std::vector<engine::EngineCommand>& posted, CommandCode code)
{
    return static_cast<int>(std::count_if(posted.begin(), posted.end(),
                                          [code](const auto& c) { return engine::CodeOf(c) == code; }));
}

// The (measure, channel) of every 0x20005 posted.
std::vector<std::pair<int32_t, int32_t>> SlotsTold(const std::vector<engine::EngineCommand>& posted)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const auto& c : posted) {
        if (const auto* s = std::get_if<engine::SetSlot>(&c))
            out.emplace_back(s->measure, s->channel);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class DragTest : public AreasTest {
protected:
    DragTest()
    {
        GiveMeasures(16);
        Posted();
    }
    SampleRef Ref(int32_t part, int32_t entry, int32_t variant, int32_t chord = 0)
    {
        return SampleRef::Make(0, 0, part, chord, variant, entry);
    }
    const ChannelSlot& Slot(int32_t m, int32_t c) { return S().doc.song.measures[m].slots[c]; }
    // Where a carried library cell must be let go so that it lands on
    // (measure, channel): the window's left edge on the measure's start.
    Point CellDropAt(int32_t measure, int32_t channel, Point from)
    {
        const int32_t column = (from.x - layout::kLibrary.left) / layout::kLibraryCellWidth;
        const int32_t grab = from.x - column * layout::kLibraryCellWidth - layout::kLibrary.left;
        return {AtMeasure(measure, channel).x + grab, AtMeasure(measure, channel).y};
    }
};

// ---- 3: carrying a library cell ----

TEST_F(DragTest, ALibraryCellCarriedIntoARowIsPlacedThereAfterASnapshot)
{
    Place(3, 4, 1, 1, 0, true);
    const Point from = OnCell(2, 2); // entry 0, variant 2 of the user part
    const Point to = CellDropAt(5, 4, from);
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    A().OnMouseMove(from.x + 20, from.y - 50, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kCarry);
    ASSERT_TRUE(A().DragWindow().IsOpen());
    EXPECT_EQ(A().GrabOffset(), (Point{10, 8}));
    EXPECT_EQ(A().DragWindow().Position(),
              (Point{from.x + 20 - 10 + FakeAreaHost::kOrigin.x, from.y - 50 - 8 + FakeAreaHost::kOrigin.y}));
    A().OnMouseMove(to.x, to.y, mods::kLeftButton);
    ASSERT_EQ(A().Overlay().dropOutline.size(), 1u) << "the target is outlined";
    EXPECT_EQ(A().Overlay().dropOutline[0].left, AtMeasure(5, 4).x);
    A().OnLeftUp(to.x, to.y, 0);

    EXPECT_EQ(A().DragState(), ArrangementAreas::kIdle);
    EXPECT_EQ(Slot(5, 4).ref, Ref(1, 0, 2));
    EXPECT_EQ(Slot(5, 4).selected, 1) << "what was put down is the selection";
    EXPECT_EQ(Slot(3, 4).selected, 0) << "after select none";
    EXPECT_FALSE(A().DragWindow().IsOpen());
    EXPECT_TRUE(S().doc.placement.measures.empty());
    ASSERT_TRUE(S().doc.undo.HoldsSong());
    EXPECT_TRUE(S().doc.undo.measures[5].slots[4].IsEmpty());
    EXPECT_EQ(SlotsTold(Posted()), (std::vector<std::pair<int32_t, int32_t>>{{5, 4}}));
    EXPECT_FALSE(host.captured);
}

TEST_F(DragTest, AltCarriesTheCellBackwards)
{
    const Point from = OnCell(3, 4);
    LeftDrag(from, CellDropAt(2, 0, from), mods::kAlt);
    EXPECT_EQ(Slot(2, 0).ref, Ref(1, 1, 4));
    EXPECT_EQ(Slot(2, 0).reverse, 1);
}

TEST_F(DragTest, TwoPixelsDoNotStartADragThreeDo)
{
    const Point from = OnCell(2, 0);
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    A().OnMouseMove(from.x + 2, from.y - 2, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kButtonDown);
    A().OnMouseMove(from.x - 2, from.y + 2, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kButtonDown);
    A().OnMouseMove(from.x, from.y + 3, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kCarry);
    A().OnLeftUp(from.x, from.y + 3, 0);
}

TEST_F(DragTest, ADropOutsideTheArrangementLeavesTheSongAlone)
{
    const Song before = S().doc.song;
    const Point from = OnCell(2, 0);
    LeftDrag(from, {from.x + 100, from.y});
    EXPECT_EQ(S().doc.song, before);
    EXPECT_FALSE(S().doc.undo.HoldsSong());
    EXPECT_TRUE(S().doc.placement.measures.empty());
    // An empty cell carries nothing.
    LeftDrag(OnCell(2, 1), CellDropAt(2, 0, OnCell(2, 1)));
    EXPECT_EQ(S().doc.song, before);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(DragTest, TheSilenceCellCarriesTheSilenceSampleFoundByItsNames)
{
    LibraryStyle style;
    style.name = "ncp";
    LibraryGroup group;
    group.name = "xb";
    LibraryPart part;
    part.name = "p1";
    LibraryChord chord;
    chord.name = "c1";
    LibraryEntry entry;
    entry.variants[3] = {"Silence", "", "silence.wav", "Silence", 20352, 0, 0, 0};
    chord.entries = {entry, {}};
    part.chords = {chord};
    group.parts = {part};
    style.groups = {group};
    S().doc.library.styles.push_back(style);
    const LibrarySelection browser = S().doc.library.selection;

    const Point from{layout::kSilenceCell.left + 5, layout::kSilenceCell.top + 4};
    const Point to{AtMeasure(7, 2).x + 5, AtMeasure(7, 2).y};
    LeftDrag(from, to);
    EXPECT_EQ(Slot(7, 2).ref, SampleRef::Make(1, 0, 0, 0, 3, 0));
    EXPECT_EQ(S().doc.library.selection, browser) << "the browser keeps its place";
}

// ---- 9, 10, 11: the selection ----

TEST_F(DragTest, MovingTheSelectionEmptiesItsPlaceAndPutsItDownShifted)
{
    Place(2, 1, 1, 0, 0);
    Place(3, 2, 1, 1, 2, true);
    // A plain press on an unselected slot selects it alone.
    const Point from = OnSlot(2, 1);
    const Point to{AtMeasure(6, 3).x + 2, AtMeasure(6, 3).y};
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    EXPECT_EQ(Slot(2, 1).selected, 1);
    EXPECT_EQ(Slot(3, 2).selected, 0);
    A().OnMouseMove(to.x, to.y, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kMove);
    A().OnLeftUp(to.x, to.y, 0);

    EXPECT_TRUE(Slot(2, 1).IsEmpty());
    EXPECT_EQ(Slot(6, 3).ref, Ref(1, 0, 0));
    EXPECT_EQ(Slot(3, 2).ref, Ref(1, 1, 2)) << "the unselected slot stays";
    EXPECT_EQ(S().doc.undo.measures[2].slots[1].ref, Ref(1, 0, 0));
    EXPECT_EQ(SlotsTold(Posted()), (std::vector<std::pair<int32_t, int32_t>>{{2, 1}, {6, 3}}));
    C().OnCommand(cmd::kUndo);
    EXPECT_EQ(Slot(2, 1).ref, Ref(1, 0, 0));
    EXPECT_TRUE(Slot(6, 3).IsEmpty());
}

TEST_F(DragTest, ShiftCopiesTheSelectionAndAMovedPointTakesItsEnvelopeAlong)
{
    S().view.envelopeShown[0] = true;
    Place(2, 1, 1, 0, 0, true);
    Envelope& list = S().doc.song.envelopes[1][0];
    list.insert(list.begin() + 1, {2 * kS + 100, 1000, 1});
    const Point from = OnSlot(2, 1);
    const Point to{AtMeasure(9, 1).x + 2, from.y};
    LeftDrag(from, to, mods::kShift);
    EXPECT_EQ(Slot(2, 1).ref, Ref(1, 0, 0));
    EXPECT_EQ(Slot(2, 1).selected, 0) << "the original is deselected";
    EXPECT_EQ(Slot(9, 1).ref, Ref(1, 0, 0));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].position, 2 * kS + 100);
    EXPECT_EQ(list[2].position, 9 * kS + 100);
    EXPECT_EQ(list[2].value, 1000);
    const auto posted = Posted();
    EXPECT_EQ(CountOf(posted, CommandCode::InsertEnvelopePoint), 1);
    EXPECT_EQ(CountOf(posted, CommandCode::SetSlot), 1);
}

TEST_F(DragTest, ARightDragOfTheSelectionAsksMoveOrCopy)
{
    Place(2, 1, 1, 0, 0, true);
    const Point from = OnSlot(2, 1);
    const Point to{AtMeasure(5, 1).x + 2, from.y};
    int busy = 0;
    host.onMenu = [&](const std::string&) {
        busy = S().view.busy;
        EXPECT_EQ(S().view.dragState, ArrangementAreas::kIdle) << "the state is 0 while the menu runs";
        EXPECT_TRUE(C().IsCommandAvailable(cmd::kDropMove));
        EXPECT_FALSE(C().IsCommandAvailable(cmd::kDropPlace));
        C().OnCommand(cmd::kDropMove);
    };
    RightDrag(from, to);
    EXPECT_EQ(host.menus, (std::vector<std::string>{"move_menu.res"}));
    EXPECT_EQ(host.menuPoints[0], host.ToScreen(to));
    EXPECT_GT(busy, 0) << "the busy counter is raised while the menu runs";
    EXPECT_EQ(S().view.busy, 0);
    EXPECT_TRUE(Slot(2, 1).IsEmpty());
    EXPECT_EQ(Slot(5, 1).ref, Ref(1, 0, 0));

    // Cancelled: nothing changes and nothing is left over.
    const Song before = S().doc.song;
    host.onMenu = [&](const std::string&) { C().OnCommand(cmd::kMenuCancelled); };
    RightDrag(OnSlot(5, 1), {AtMeasure(8, 1).x + 2, from.y});
    EXPECT_EQ(S().doc.song, before);
    EXPECT_TRUE(S().doc.placement.measures.empty());
    EXPECT_EQ(C().Drop().dragState, 0);
    EXPECT_FALSE(A().DragWindow().IsOpen());
}

// ---- 8, 5, 6, 7: right drags of a library cell ----

TEST_F(DragTest, ARightDragOfACellOffersThePlacementsAtItsTarget)
{
    Place(5, 4, 1, 1, 0);
    const Point from = OnCell(2, 2);
    std::vector<SampleRef> selectionInMenu;
    host.onMenu = [&](const std::string&) {
        selectionInMenu.push_back(S().view.librarySelection);
        C().OnCommand(cmd::kDropPlaceReversed);
    };
    RightDrag(from, CellDropAt(6, 4, from));
    EXPECT_EQ(host.menus, (std::vector<std::string>{"place_menu.res"}));
    EXPECT_TRUE(selectionInMenu[0].IsEmpty()) << "the target slot's reference (empty)";
    EXPECT_EQ(Slot(6, 4).ref, Ref(1, 0, 2));
    EXPECT_EQ(Slot(6, 4).reverse, 1);

    AnswerMenus(cmd::kDropReplace);
    RightDrag(from, CellDropAt(5, 4, from));
    EXPECT_EQ(Slot(5, 4).ref, Ref(1, 0, 2)) << "replaced through the menu";
}

TEST_F(DragTest, ARightDragOfACellReleasedOutsideOpensNoMenu)
{
    const Song before = S().doc.song;
    AnswerMenus(cmd::kDropPlace);
    const Point from = OnCell(2, 2);
    RightDrag(from, {from.x + 60, from.y + 20});
    RightDrag(from, {AtMeasure(3, 0).x, layout::kArrangement.top + 1}); // above row 0
    EXPECT_TRUE(host.menus.empty());
    EXPECT_EQ(S().doc.song, before);
    EXPECT_EQ(A().DragState(), 0);
}

TEST_F(DragTest, CtrlRightDragReplacesTheTargetsSampleEverywhereOrInTheSelection)
{
    Place(1, 0, 1, 0, 0);
    Place(3, 2, 1, 0, 0);
    Place(7, 5, 1, 0, 0, true);
    Place(4, 0, 1, 1, 0);
    const Point from = OnCell(3, 2); // entry 1, variant 2
    RightDrag(from, CellDropAt(3, 2, from), mods::kCtrl);
    EXPECT_EQ(Slot(1, 0).ref, Ref(1, 1, 2));
    EXPECT_EQ(Slot(3, 2).ref, Ref(1, 1, 2));
    EXPECT_EQ(Slot(7, 5).ref, Ref(1, 1, 2));
    EXPECT_EQ(Slot(4, 0).ref, Ref(1, 1, 0)) << "another sample stays";
    EXPECT_EQ(SlotsTold(Posted()), (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {3, 2}, {7, 5}}));
    EXPECT_EQ(S().doc.undo.measures[1].slots[0].ref, Ref(1, 0, 0));

    // A selected target: only the selected slots change.
    Place(1, 0, 1, 0, 0, true);
    Place(3, 2, 1, 0, 0, false);
    Place(7, 5, 1, 0, 0, true);
    RightDrag(from, CellDropAt(1, 0, from), mods::kCtrl);
    EXPECT_EQ(Slot(1, 0).ref, Ref(1, 1, 2));
    EXPECT_EQ(Slot(7, 5).ref, Ref(1, 1, 2));
    EXPECT_EQ(Slot(3, 2).ref, Ref(1, 0, 0));
}

class ByNameTest : public DragTest {
protected:
    ByNameTest()
    {
        // Both parts get the chords D and E (copies of C, so the same
        // sample names in every chord).
        for (LibraryPart& part : S().doc.library.styles[0].groups[0].parts) {
            LibraryChord d = part.chords[0];
            d.name = "D";
            LibraryChord e = part.chords[0];
            e.name = "E";
            part.chords.push_back(d);
            part.chords.push_back(e);
        }
        S().doc.noteOrder = NoteOrder({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"});
        // One line of the shipped part's "loop000" through the chords, and
        // another sample.
        S().doc.song.measures[1].slots[0].ref = Ref(0, 0, 0, 0);
        S().doc.song.measures[3].slots[0].ref = Ref(0, 0, 0, 1);
        S().doc.song.measures[5].slots[0].ref = Ref(0, 0, 0, 2);
        S().doc.song.measures[7].slots[0].ref = Ref(0, 1, 0, 0);
    }
};

TEST_F(ByNameTest, ShiftRightDragGivesEachSlotTheCarriedSampleInItsOwnChord)
{
    const Point from = OnCell(3, 2); // the user part's entry 1, variant 2, chord C
    RightDrag(from, CellDropAt(3, 0, from), mods::kShift);
    EXPECT_EQ(Slot(1, 0).ref, Ref(1, 1, 2, 0));
    EXPECT_EQ(Slot(3, 0).ref, Ref(1, 1, 2, 1));
    EXPECT_EQ(Slot(5, 0).ref, Ref(1, 1, 2, 2));
    EXPECT_EQ(Slot(7, 0).ref, Ref(0, 1, 0, 0)) << "another name";
    EXPECT_EQ(SlotsTold(Posted()).size(), 3u);
}

TEST_F(ByNameTest, TheShiftedReplaceTransposesTheChordsFirst)
{
    scripted.shiftNotes->answers.push_back(dialogs::ShiftNotesValues{2, 1, 1});
    AnswerMenus(cmd::kDropReplaceShifted);
    const Point from = OnCell(3, 2);
    RightDrag(from, CellDropAt(1, 0, from));
    EXPECT_EQ(Slot(1, 0).ref, Ref(1, 1, 2, 1)) << "C up two: D";
    EXPECT_EQ(Slot(3, 0).ref, Ref(1, 1, 2, 2)) << "D up two: E";
    EXPECT_EQ(Slot(5, 0).ref, Ref(0, 0, 0, 2)) << "E up two is F#, which the part lacks: unchanged";

    const Song before = S().doc.song;
    scripted.shiftNotes->answers.push_back(std::nullopt);
    RightDrag(from, CellDropAt(1, 0, from));
    EXPECT_EQ(S().doc.song, before) << "a cancelled dialog changes nothing";
}

// ---- 2: swapping library cells ----

TEST_F(DragTest, ShiftDragSwapsTwoCellsOfAUserPartAndRenumbersTheirSlots)
{
    Place(2, 0, 1, 0, 0);
    Place(4, 1, 1, 1, 2);
    Place(6, 2, 1, 1, 0);
    S().doc.clipboard.measures.resize(1);
    S().doc.clipboard.measures[0].slots[3].ref = Ref(1, 0, 0);
    const SampleDescriptor a = *S().doc.library.Find(Ref(1, 0, 0));
    const SampleDescriptor b = *S().doc.library.Find(Ref(1, 1, 2));
    LeftDrag(OnCell(2, 0), OnCell(3, 2), mods::kShift);
    EXPECT_EQ(*S().doc.library.Find(Ref(1, 0, 0)), b);
    EXPECT_EQ(*S().doc.library.Find(Ref(1, 1, 2)), a);
    EXPECT_EQ(Slot(2, 0).ref, Ref(1, 1, 2)) << "the slots keep their sound";
    EXPECT_EQ(Slot(4, 1).ref, Ref(1, 0, 0));
    EXPECT_EQ(Slot(6, 2).ref, Ref(1, 1, 0));
    EXPECT_EQ(S().doc.clipboard.measures[0].slots[3].ref, Ref(1, 1, 2));
    EXPECT_EQ(SlotsTold(Posted()), (std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {4, 1}}));
    EXPECT_GT(samples.published, 0);

    // The shipped part's cells stay where they are.
    S().doc.library.selection.part = 0;
    const auto styles = S().doc.library.styles;
    LeftDrag(OnCell(2, 0), OnCell(3, 2), mods::kShift);
    EXPECT_EQ(S().doc.library.styles, styles);
}

// ---- 12: region edges ----

TEST_F(DragTest, RegionEdgesMoveWithinTheirNeighboursAndSendTheJumps)
{
    S().doc.song.regions = {{1, 3, true}, {6, 9, true}};
    S().view.regionPlaySwitch = true;
    const geometry::Frame f = F();
    const platform::Rect start = geometry::StartHandleRect(f, 6);
    LeftDrag({start.left + 4, start.top + 2}, {geometry::MeasureX(f, 2), start.top + 2});
    EXPECT_EQ(S().doc.song.regions[1].start, 4) << "not before the end of the region before it, plus one";
    EXPECT_EQ(S().doc.undo.regions[1].start, 6);
    const auto posted = Posted();
    EXPECT_GE(CountOf(posted, CommandCode::SetJumps), 1);
    const auto& jumps = std::get<engine::SetJumps>(posted.back());
    EXPECT_EQ(jumps.unused, 1);

    const platform::Rect end = geometry::EndHandleRect(f, 3);
    LeftDrag({end.left + 3, end.top + 2}, {geometry::MeasureX(f, 12), end.top + 2});
    EXPECT_EQ(S().doc.song.regions[0].end, 3) << "the next region starts at 4";
    const platform::Rect last = geometry::EndHandleRect(f, 9);
    LeftDrag({last.left + 3, last.top + 2}, {geometry::MeasureX(f, 40), last.top + 2});
    EXPECT_EQ(S().doc.song.regions[1].end, 15) << "not past the last measure";
    LeftDrag({geometry::EndHandleRect(f, 15).left + 3, last.top + 2}, {geometry::MeasureX(f, 0), last.top + 2});
    EXPECT_EQ(S().doc.song.regions[1].end, 4) << "not before its own start";
}

TEST_F(DragTest, ModifierClicksOnAHandleRemoveJoinOrSwitchTheRegion)
{
    S().doc.song.regions = {{1, 3, false}, {4, 6, false}, {9, 10, false}};
    const geometry::Frame f = F();
    auto onEnd = [&](int32_t end) {
        const platform::Rect r = geometry::EndHandleRect(f, end);
        return Point{r.left + 1, r.top + 2};
    };
    Click(onEnd(3), mods::kShift);
    ASSERT_EQ(S().doc.song.regions.size(), 2u) << "touching regions join";
    EXPECT_EQ(S().doc.song.regions[0], (Region{1, 6, false}));
    Click(onEnd(6), mods::kShift);
    EXPECT_EQ(S().doc.song.regions.size(), 2u) << "9 does not touch 6";
    Click(onEnd(10), mods::kAlt);
    EXPECT_TRUE(S().doc.song.regions[1].on);
    Click(onEnd(10), mods::kCtrl);
    ASSERT_EQ(S().doc.song.regions.size(), 1u);
    EXPECT_EQ(S().view.currentRegion, -1) << "the region is forgotten again";
}

// ---- 13, 14, 15: the rubber band ----

TEST_F(DragTest, TheRubberBandSelectsWhatItCoversAndLetsGoOfWhatItLeaves)
{
    S().view.envelopeShown[0] = true;
    Place(2, 1, 1, 0, 0);
    Place(3, 2, 1, 0, 2);
    Place(8, 1, 1, 1, 0);
    Envelope& list = S().doc.song.envelopes[2][0];
    list.insert(list.begin() + 1, {3 * kS + 50, 0, 0});
    const Point from{AtMeasure(1, 0).x + 3, AtMeasure(1, 0).y};
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    const Point far{AtMeasure(4, 2).x + 3, AtMeasure(4, 2).y};
    A().OnMouseMove(far.x, far.y, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kBand);
    EXPECT_EQ(Slot(2, 1).selected, 1);
    EXPECT_EQ(Slot(3, 2).selected, 1);
    EXPECT_EQ(Slot(8, 1).selected, 0);
    EXPECT_EQ(list[1].selected, 1);
    EXPECT_EQ(list[0].selected, 0) << "the list's first point never joins";
    EXPECT_TRUE(A().Overlay().rubberBand.has_value());
    const Point near{AtMeasure(2, 1).x + 3, AtMeasure(2, 1).y};
    A().OnMouseMove(near.x, near.y, mods::kLeftButton);
    EXPECT_EQ(Slot(2, 1).selected, 1);
    EXPECT_EQ(Slot(3, 2).selected, 0) << "left the band";
    EXPECT_EQ(list[1].selected, 0);
    A().OnLeftUp(near.x, near.y, 0);
    EXPECT_FALSE(A().Overlay().rubberBand.has_value());
    EXPECT_FALSE(S().doc.undo.HoldsSong()) << "selecting is no edit";

    // Shift adds to the selection, Ctrl takes out of it.
    LeftDrag({AtMeasure(7, 1).x + 3, from.y}, {AtMeasure(8, 1).x + 3, AtMeasure(8, 1).y}, mods::kShift);
    EXPECT_EQ(Slot(2, 1).selected, 1);
    EXPECT_EQ(Slot(8, 1).selected, 1);
    LeftDrag({AtMeasure(1, 0).x + 3, from.y}, {AtMeasure(2, 1).x + 3, AtMeasure(2, 1).y}, mods::kCtrl);
    EXPECT_EQ(Slot(2, 1).selected, 0);
    EXPECT_EQ(Slot(8, 1).selected, 1);
}

// ---- 16: sliding ----

TEST_F(DragTest, CtrlShiftSlidesASlotOnTheSixteenthGridUpToItsNeighbour)
{
    Place(2, 0, 1, 0, 0);
    Place(6, 0, 1, 1, 0);
    const Point from = OnSlot(2, 0);
    A().OnLeftDown(from.x, from.y, mods::kLeftButton | mods::kCtrl | mods::kShift);
    A().OnMouseMove(from.x + 19, from.y + 7, mods::kLeftButton | mods::kCtrl | mods::kShift);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kSlide);
    // 19 pixels are 42965 frames; the nearest sixteenth of measure 4 is 2 × 1272.
    EXPECT_TRUE(Slot(2, 0).IsEmpty());
    EXPECT_EQ(Slot(4, 0).ref, Ref(1, 0, 0));
    EXPECT_EQ(Slot(4, 0).start, 2 * (kS / 16));
    EXPECT_EQ(CountOf(Posted(), CommandCode::SetSlot), 0) << "the engine hears at the release";
    ASSERT_FALSE(host.pointerMoves.empty());
    EXPECT_EQ(host.pointerMoves.back().y, from.y) << "the pointer is held on the row";

    A().OnMouseMove(from.x + 200, from.y, mods::kLeftButton | mods::kCtrl | mods::kShift);
    EXPECT_EQ(Slot(5, 0).start, 15 * (kS / 16)) << "the last sixteenth before the neighbour";
    EXPECT_EQ(Slot(6, 0).ref, Ref(1, 1, 0));
    A().OnLeftUp(from.x + 200, from.y, 0);
    EXPECT_EQ(SlotsTold(Posted()), (std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {5, 0}}));
    EXPECT_EQ(S().doc.undo.measures[2].slots[0].ref, Ref(1, 0, 0));
}

TEST_F(DragTest, SelectedSlotsSlideTogetherWithoutMeetingInAMeasure)
{
    Place(2, 0, 1, 0, 0, true);
    Place(3, 0, 1, 1, 0, true);
    S().doc.song.measures[2].slots[0].start = kS - 10;
    Place(5, 1, 1, 0, 2, true);
    const Point from = OnSlot(3, 0);
    LeftDrag(from, {from.x - 9, from.y}, mods::kCtrl | mods::kShift);
    EXPECT_EQ(Slot(2, 0).ref, Ref(1, 1, 0)) << "the grabbed slot moved one measure back";
    EXPECT_EQ(Slot(1, 0).ref, Ref(1, 0, 0));
    EXPECT_EQ(Slot(1, 0).start, kS - 10) << "the others keep their offsets";
    EXPECT_EQ(Slot(4, 1).ref, Ref(1, 0, 2));
}

// ---- 17: envelope points ----

TEST_F(DragTest, CtrlDragsAPointBetweenItsNeighboursWithItsValueClamped)
{
    S().view.envelopeShown[0] = true;
    Envelope& list = S().doc.song.envelopes[3][0];
    list.insert(list.begin() + 1, {4 * kS, 0, 0});
    const geometry::Frame f = F();
    const Point at{geometry::SampleX(f, 4 * kS), geometry::EnvelopeY(f, 3, 0)};
    A().OnLeftDown(at.x, at.y, mods::kLeftButton | mods::kCtrl);
    A().OnMouseMove(at.x + 9, at.y - 3, mods::kLeftButton | mods::kCtrl);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kPoint);
    EXPECT_EQ(list[1].position, 5 * kS);
    EXPECT_EQ(list[1].value, 3 * 65536 / 19);
    A().OnMouseMove(at.x - 500, at.y - 50, mods::kLeftButton | mods::kCtrl);
    EXPECT_EQ(list[1].position, 1) << "after the first point";
    EXPECT_EQ(list[1].value, 32767);
    A().OnMouseMove(at.x - 500, at.y + 50, mods::kLeftButton | mods::kCtrl | mods::kShift);
    EXPECT_EQ(list[1].position, 1) << "Shift holds the position";
    EXPECT_EQ(list[1].value, -32768);
    A().OnLeftUp(at.x, at.y, 0);
    const auto posted = Posted();
    EXPECT_EQ(CountOf(posted, CommandCode::SetEnvelopePoint), 3);
    const auto& last = std::get<engine::SetEnvelopePoint>(posted.back());
    EXPECT_EQ(last.channel, 3);
    EXPECT_EQ(last.index, 1);
    EXPECT_EQ(last.value, -32768);
    EXPECT_EQ(S().doc.undo.envelopes[3][0][1].position, 4 * kS);
}

// ---- 18, 19: the knob ----

TEST_F(DragTest, TheKnobTurnsTheMasterVolumeOrScalesTheChannels)
{
    const platform::Rect knob = layout::kVolumeKnobArea;
    const Point centre{(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2};
    S().view.masterVolume = 200;
    A().OnLeftDown(centre.x + 30, centre.y, mods::kLeftButton);
    A().OnMouseMove(centre.x + 33, centre.y, mods::kLeftButton);
    A().OnMouseMove(centre.x, centre.y + 30, mods::kLeftButton);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kKnobVolume);
    EXPECT_EQ(S().view.masterVolume, 236) << "a quarter turn clockwise is 36 steps";
    A().OnMouseMove(centre.x - 30, centre.y - 30, mods::kLeftButton);
    EXPECT_EQ(S().view.masterVolume, 255);
    A().OnLeftUp(centre.x - 30, centre.y - 30, 0);

    for (int c = 0; c < kChannels; ++c)
        S().doc.song.channelVolume[c] = 100;
    S().doc.song.channelVolume[2] = 180;
    A().OnRightDown(centre.x + 30, centre.y, mods::kRightButton);
    A().OnMouseMove(centre.x + 33, centre.y, mods::kRightButton);
    A().OnMouseMove(centre.x, centre.y + 30, mods::kRightButton);
    EXPECT_EQ(S().view.channelGain, 256 + 36);
    EXPECT_EQ(S().doc.song.channelVolume[0], 100 * 292 / 256);
    EXPECT_EQ(S().doc.song.channelVolume[2], 200) << "205 is past the channel volume's top";
    EXPECT_EQ(S().doc.undo.channelVolume[0], 100) << "a snapshot first";
    EXPECT_EQ(CountOf(Posted(), CommandCode::SetChannelGain), 12);
    A().OnRightUp(centre.x, centre.y + 30, 0);
    EXPECT_EQ(S().view.channelGain, 256);
    EXPECT_EQ(A().DragState(), 0);
}

// ---- 20 ----

TEST_F(DragTest, AfterAFileDialogTheNextReleaseOnlyResetsTheState)
{
    S().view.dragState = ArrangementAreas::kAfterDialog;
    const Point at{AtMeasure(5, 0).x, AtMeasure(5, 0).y};
    A().OnLeftUp(at.x, at.y, 0);
    EXPECT_EQ(S().view.dragState, 0);
    EXPECT_EQ(S().view.cursorMeasure, 0) << "the release was no click";
    S().view.dragState = ArrangementAreas::kAfterDialog;
    Click(at);
    EXPECT_EQ(S().view.cursorMeasure, 5) << "a press resets the state and goes on";
}

// ---- Paste and the drag command ----

TEST_F(DragTest, PasteCarriesTheClipboardUntilTheNextRelease)
{
    Place(2, 3, 1, 0, 0, true);
    C().OnCommand(cmd::kCopy);
    const Point at{AtMeasure(4, 3).x + 1, AtMeasure(4, 3).y};
    A().OnMouseMove(at.x, at.y, 0);
    ASSERT_EQ(C().OnCommand(cmd::kPaste), 1);
    EXPECT_EQ(A().DragState(), ArrangementAreas::kCarry);
    EXPECT_TRUE(A().DragWindow().IsOpen());
    const Point to{AtMeasure(9, 5).x + 1, AtMeasure(9, 5).y};
    A().OnMouseMove(to.x, to.y, 0);
    A().OnLeftDown(to.x, to.y, mods::kLeftButton);
    A().OnLeftUp(to.x, to.y, 0);
    EXPECT_EQ(Slot(9, 5).ref, Ref(1, 0, 0)) << "two rows down from where the drag began";
    EXPECT_EQ(Slot(2, 3).ref, Ref(1, 0, 0));
    EXPECT_EQ(A().DragState(), 0);

    // A right click gives a carried paste up.
    C().OnCommand(cmd::kPaste);
    const Song before = S().doc.song;
    RightClick(to);
    EXPECT_EQ(S().doc.song, before);
    EXPECT_EQ(A().DragState(), 0);
    EXPECT_TRUE(host.menus.empty());
}

// ---- Auto-scroll ----

TEST_F(DragTest, ADragNearTheRightEdgeScrollsFasterTheFurtherPastIt)
{
    GiveMeasures(400);
    const Point from{AtMeasure(1, 0).x + 3, AtMeasure(1, 0).y};
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    A().OnMouseMove(layout::kArrangement.right - 20, from.y, mods::kLeftButton);
    A().OnTick();
    EXPECT_EQ(S().view.scrollX, 0) << "not yet near the edge";
    A().OnMouseMove(layout::kArrangement.right - 8, from.y, mods::kLeftButton);
    A().OnTick();
    const int32_t slow = S().view.scrollX;
    EXPECT_GT(slow, 0);
    A().OnMouseMove(layout::kArrangement.right + 40, from.y, mods::kLeftButton);
    A().OnTick();
    EXPECT_GT(S().view.scrollX - slow, slow);
    A().OnLeftUp(layout::kArrangement.right + 40, from.y, 0);
}

} // namespace
} // namespace bm::ui::test
