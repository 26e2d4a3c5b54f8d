// Long random runs of mouse and key events, ticks and menu choices over the
// demo song: after every event the song keeps its shape, and every edit
// that a gesture or key made is undone by undo and redone by a second one.

#include "AreasFixture.h"

#include "Catalogue.h"
#include "Songs.h"

#include <random>

namespace bm::ui::test {
namespace {

namespace mods = platform::mods;
namespace vk = platform::vk;

// What undo keeps of a song (selection flags and region switches are view
// state, not edits).
struct Content {
    struct Slot {
        SampleRef ref;
        int32_t start = 0;
        int32_t reverse = 0;
        bool operator==(const Slot&) const = default;
    };
    std::vector<std::array<Slot, kChannels>> measures;
    std::vector<std::vector<std::pair<int32_t, int32_t>>> envelopes;
    std::vector<std::pair<int32_t, int32_t>> regions;
    std::array<int32_t, kChannels> volumes{};
    int32_t samplesPerMeasure = 0;
    bool operator==(const Content&) const = default;
};

Content ContentOf(const std::vector<Measure>& measures, const ChannelEnvelopes& envelopes,
                  const std::vector<Region>& regions, const std::array<int32_t, kChannels>& volumes, int32_t spm)
{
    Content c;
    for (const Measure& m : measures) {
        std::array<Content::Slot, kChannels> slots{};
        for (int i = 0; i < kChannels; ++i) {
            if (!m.slots[i].IsEmpty())
                slots[i] = {m.slots[i].ref, m.slots[i].start, m.slots[i].reverse};
        }
        c.measures.push_back(slots);
    }
    for (const auto& channel : envelopes) {
        for (const Envelope& list : channel) {
            std::vector<std::pair<int32_t, int32_t>> points;
            for (const EnvelopePoint& p : list)
                points.emplace_back(p.position, p.value);
            c.envelopes.push_back(points);
        }
    }
    for (const Region& r : regions)
        c.regions.emplace_back(r.start, r.end);
    c.volumes = volumes;
    c.samplesPerMeasure = spm;
    return c;
}

const content::DemoSong& Intro()
{
    static const content::Catalogue catalogue = content::BuildCatalogue();
    static const std::vector<content::DemoSong> songs = content::BuildDemoSongs(catalogue);
    return songs.front();
}

const SampleLibrary& DemoLibrary()
{
    static const content::Catalogue catalogue = content::BuildCatalogue();
    return catalogue.library;
}

class FuzzTest : public AreasTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    FuzzTest() : random(GetParam())
    {
        S().doc.library = DemoLibrary();
        S().doc.library.RestoreSelection();
        if (S().doc.library.selection.part < 0)
            S().doc.library.selection.part = 0;
        if (S().doc.library.selection.chord < 0)
            S().doc.library.selection.chord = 0;
        S().doc.song = Intro().song;
        S().doc.noteOrder = NoteOrder({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"});
        S().view.envelopeShown = {true, true};
        app.options.spectrumAnalyzer = 1;
        host.onMenu = [this](const std::string& entry) { ChooseFromMenu(entry); };
    }

    int32_t Any(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); }
    bool Chance(int percent) { return Any(0, 99) < percent; }

    void ChooseFromMenu(const std::string& entry)
    {
        static const std::map<std::string, std::vector<int32_t>> kChoices{
            {"work_menu.res", {1024, 1263, 1264, 1265, 1266, 1269, 1270, 1271, 1273}},
            {"edit_menu.res", {1024, 1126, 1127, 1128, 1129, 1130, 1131, 1134, 1135, 1136, 1146, 1147, 1144}},
            {"reg_menu.res", {1024, 1244, 1245, 1246}},
            {"lib_menu.res", {1024, 1234, 1235, 1252}},
            {"place_menu.res", {1024, 1284, 1285, 1286, 1287, 1288}},
            {"move_menu.res", {1024, 1274, 1275}},
        };
        const auto it = kChoices.find(entry);
        ASSERT_NE(it, kChoices.end()) << entry;
        const int32_t command = it->second[static_cast<size_t>(Any(0, static_cast<int32_t>(it->second.size()) - 1))];
        last += " menu " + entry + " " + std::to_string(command);
        if (command == cmd::kDropReplaceShifted)
            scripted.shiftNotes->answers.push_back(Chance(30) ? std::nullopt : std::optional<dialogs::ShiftNotesValues>{{Any(-12, 12), 1, 1}});
        C().OnCommand(command);
    }

    platform::Point AnyPoint()
    {
        switch (Any(0, 9)) {
        case 0: case 1:
            return {Any(layout::kLibrary.left, layout::kLibrary.right), Any(layout::kLibrary.top, layout::kLibrary.bottom)};
        case 2:
            return {Any(layout::kSilenceCell.left, layout::kSilenceCell.right), layout::kSilenceCell.top + 5};
        case 3:
            return {Any(layout::kVolumeKnobArea.left - 30, layout::kVolumeKnobArea.right + 30),
                    Any(layout::kVolumeKnobArea.top - 30, layout::kVolumeKnobArea.bottom + 30)};
        case 4:
            return {Any(0, layout::kWindowWidth + 40), Any(-20, layout::kWindowHeight)};
        default:
            return {Any(layout::kArrangement.left - 20, layout::kArrangement.right + 30),
                    Any(layout::kArrangement.top - 5, layout::kArrangement.bottom + 10)};
        }
    }

    uint32_t AnyKeys()
    {
        uint32_t keys = 0;
        if (Chance(20))
            keys |= mods::kCtrl;
        if (Chance(20))
            keys |= mods::kShift;
        if (Chance(8))
            keys |= mods::kAlt;
        return keys;
    }

    void Key()
    {
        struct K {
            int32_t key;
            uint32_t mods;
        };
        static const std::vector<K> kKeys{
            {vk::kDelete, 0},           {'A', mods::kCtrl},        {'D', mods::kCtrl},   {'R', mods::kCtrl},
            {vk::kOemPeriod, mods::kCtrl}, {vk::kOemComma, mods::kCtrl}, {'C', mods::kCtrl}, {'X', mods::kCtrl},
            {'V', mods::kCtrl},         {'Z', mods::kCtrl},        {vk::kLeft, 0},       {vk::kRight, 0},
            {vk::kHome, 0},             {vk::kEnd, 0},             {vk::kUp, 0},         {vk::kDown, 0},
            {vk::kUp, mods::kShift},    {vk::kDown, mods::kShift}, {'F', mods::kCtrl},   {'P', mods::kCtrl},
            {vk::kSpace, 0},            {vk::kTab, 0},             {vk::kTab, mods::kShift},
            {vk::kReturn, mods::kShift}, {vk::kApps, 0},           {vk::kLeft, mods::kShift},
            {vk::kF6, 0},               {vk::kLeft, mods::kCtrl},  {vk::kRight, mods::kCtrl},
        };
        const K& k = kKeys[static_cast<size_t>(Any(0, static_cast<int32_t>(kKeys.size()) - 1))];
        last = "key " + std::to_string(k.key) + " " + std::to_string(k.mods);
        keyed = true;
        C().OnKey(k.key, k.mods, false);
        A().OnKey(k.key, k.mods, false);
    }

    void Event()
    {
        const uint32_t buttons = (left ? mods::kLeftButton : 0) | (right ? mods::kRightButton : 0);
        const uint32_t keys = AnyKeys();
        readings.position = S().Playing() && S().Measures() > 0
                                ? Any(0, S().Measures() * S().doc.song.samplesPerMeasure - 1)
                                : -1;
        readings.levels[static_cast<size_t>(Any(0, 11))] = Any(0, 32767);
        const int kind = Any(0, 19);
        last = "event " + std::to_string(kind) + " keys " + std::to_string(keys) + " state " +
               std::to_string(S().view.dragState);
        switch (kind) {
        case 0: case 1: {
            const platform::Point p = AnyPoint();
            A().OnLeftDown(p.x, p.y, keys | buttons | mods::kLeftButton);
            left = true;
            at = p;
            break;
        }
        case 2: case 3:
            A().OnLeftUp(at.x, at.y, keys | (buttons & ~mods::kLeftButton));
            left = false;
            break;
        case 4: {
            const platform::Point p = AnyPoint();
            A().OnRightDown(p.x, p.y, keys | buttons | mods::kRightButton);
            right = true;
            at = p;
            break;
        }
        case 5:
            A().OnRightUp(at.x, at.y, keys | (buttons & ~mods::kRightButton));
            right = false;
            break;
        case 6: case 7: case 8: case 9: case 10:
            at = Chance(60) ? platform::Point{at.x + Any(-40, 40), at.y + Any(-30, 30)} : AnyPoint();
            A().OnMouseMove(at.x, at.y, keys | buttons);
            break;
        case 11:
            at = AnyPoint();
            A().OnLeftDoubleClick(at.x, at.y, keys | buttons | mods::kLeftButton);
            left = true;
            break;
        case 12:
            A().OnWheel(AnyPoint().x, AnyPoint().y, Any(-3, 3));
            break;
        case 13: case 14:
            A().OnTick();
            break;
        case 15:
            A().OnTimer(ArrangementAreas::kHoverTimer);
            break;
        case 16: case 17:
            Key();
            break;
        case 18:
            if (Chance(10))
                A().OnFocusLost();
            break;
        default:
            if (Chance(20))
                C().OnCommand(cmd::kZoomIn + Any(0, 1));
            break;
        }
    }

    void CheckShape(int step)
    {
        const Song& song = S().doc.song;
        const int64_t measures = S().Measures();
        const int64_t end = measures * song.samplesPerMeasure;
        for (int32_t m = 0; m < measures; ++m) {
            for (const ChannelSlot& slot : song.measures[m].slots) {
                if (!slot.IsEmpty()) {
                    ASSERT_TRUE(slot.start >= 0 && slot.start < song.samplesPerMeasure) << "step " << step;
                }
            }
        }
        for (int c = 0; c < kChannels; ++c) {
            for (int k = 0; k < kEnvelopeKinds; ++k) {
                const Envelope& list = song.envelopes[c][k];
                if (measures == 0)
                    continue;
                ASSERT_GE(list.size(), 2u) << "step " << step << " channel " << c << " kind " << k;
                EXPECT_EQ(list.front().position, 0) << "step " << step;
                EXPECT_EQ(list.back().position, end - 1) << "step " << step << " channel " << c << " kind " << k;
                for (size_t i = 1; i < list.size(); ++i) {
                    ASSERT_LE(list[i - 1].position, list[i].position) << "step " << step;
                }
            }
        }
        for (size_t i = 0; i < song.regions.size(); ++i) {
            const Region& r = song.regions[i];
            ASSERT_LE(r.start, r.end) << "step " << step;
            ASSERT_LT(r.end, measures) << "step " << step;
            ASSERT_GE(r.start, 0) << "step " << step;
            if (i > 0) {
                ASSERT_LT(song.regions[i - 1].end, r.start) << "step " << step;
            }
        }
    }

    Content Now() const
    {
        const Song& s = controller->State().doc.song;
        return ContentOf(s.measures, s.envelopes, s.regions, s.channelVolume, s.samplesPerMeasure);
    }
    Content Undoable() const
    {
        const UndoRecord& u = controller->State().doc.undo;
        return ContentOf(u.measures, u.envelopes, u.regions, u.channelVolume, u.samplesPerMeasure);
    }

    std::mt19937 random;
    std::string last; // what the last event was, for failure messages
    bool keyed = false; // a key was pressed during the gesture (its commands take their own snapshots)
    bool left = false;
    bool right = false;
    platform::Point at{300, 100};
};

TEST_P(FuzzTest, RandomGesturesKeepTheSongWholeAndUndoable)
{
    ASSERT_GT(S().Measures(), 0);
    CheckShape(-1);
    Content baseline = Now();
    int undone = 0;
    for (int step = 0; step < 1500; ++step) {
        const bool idleBefore = S().view.dragState <= ArrangementAreas::kButtonDown ||
                                S().view.dragState == ArrangementAreas::kAfterDialog;
        if (idleBefore) {
            baseline = Now();
            keyed = false;
        }
        const bool swapping = S().view.dragState == ArrangementAreas::kSwapCells;
        Event();
        ASSERT_NO_FATAL_FAILURE(CheckShape(step));
        ASSERT_EQ(S().view.busy, 0) << "step " << step;
        const bool idleAfter = S().view.dragState <= ArrangementAreas::kButtonDown ||
                               S().view.dragState == ArrangementAreas::kAfterDialog;
        const Content after = Now();
        if (!idleAfter || swapping || after == baseline || (keyed && !idleBefore))
            continue;
        ASSERT_TRUE(Undoable() == baseline) << "step " << step << ": an edit without its snapshot after " << last;
        C().OnCommand(cmd::kUndo);
        ASSERT_TRUE(Now() == baseline) << "step " << step;
        C().OnCommand(cmd::kUndo);
        ASSERT_TRUE(Now() == after) << "step " << step << ": undo twice comes back";
        ++undone;
    }
    EXPECT_GT(undone, 5) << "the run made edits";
}

INSTANTIATE_TEST_SUITE_P(Seeds, FuzzTest, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
} // namespace bm::ui::test
