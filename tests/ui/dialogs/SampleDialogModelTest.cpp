#include "ui/dialogs/SampleDialogModel.h"

#include "support/FakePlatformDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm::dialogs {
namespace {

using M = SampleDialogModel;
using Mode = SampleDialogMode;

M Make(const SampleRequest& r) { return M(r, M::BuiltInTexts(r.mode)); }

SampleRequest Request(Mode mode, int32_t kind = 1, int32_t length = 81408, bool restrict = false)
{
    SampleRequest r;
    r.mode = mode;
    r.path = "/user/loops/beat.wav";
    r.name = "beat";
    r.key = "C";
    r.fourth = "beat";
    r.kindIndex = kind;
    r.length = length;
    r.restrictKinds = restrict;
    return r;
}

TEST(SampleDialogModelTest, EachModeHasItsTextListHelpPageAndEditing)
{
    const struct {
        Mode mode;
        const char* list;
        services::HelpPage page;
        bool editable;
    } cases[] = {{Mode::Properties, "file_properties.res", services::HelpPage::FileProperties, true},
                 {Mode::ReadOnlyProperties, "file_properties.res", services::HelpPage::FileProperties, false},
                 {Mode::Remove, "file_remove.res", services::HelpPage::RemoveSample, false},
                 {Mode::PitchCopy, "save_pitch.res", services::HelpPage::SaveSampleCopy, true},
                 {Mode::SaveRecording, "save_record.res", services::HelpPage::SaveRecordedSample, true}};
    for (const auto& c : cases) {
        M m = Make(Request(c.mode));
        EXPECT_EQ(M::TextList(c.mode), c.list);
        EXPECT_EQ(m.HelpPage(), c.page);
        EXPECT_EQ(m.TextsEditable(), c.editable);
        EXPECT_EQ(m.BrowseEnabled(), c.editable);
        EXPECT_EQ(m.PitchShown(), c.mode == Mode::PitchCopy);
        m.Edit(M::Name, "renamed");
        EXPECT_EQ(m.FieldText(M::Name) == "renamed", c.editable);
    }
    M remove = Make(Request(Mode::Remove));
    EXPECT_FALSE(remove.KindEnabled());
    EXPECT_FALSE(remove.TempoControlsEnabled());
}

TEST(SampleDialogModelTest, KindListFollowsTheRestriction)
{
    M free = Make(Request(Mode::Properties, 7));
    EXPECT_EQ(free.KindNames().size(), 4u);
    EXPECT_EQ(free.KindNames()[0], "Plain sample (not stretched)");
    EXPECT_EQ(free.KindIndex(), 3); // clamped
    EXPECT_TRUE(free.KindEnabled());

    M restricted = Make(Request(Mode::Properties, 2, 81408, true));
    EXPECT_EQ(restricted.KindNames().size(), 5u);
    EXPECT_EQ(restricted.KindIndex(), 0);
    EXPECT_FALSE(restricted.KindEnabled());
    EXPECT_FALSE(restricted.TempoControlsEnabled());

    M pitched = Make(Request(Mode::PitchCopy, 2, 81408, true));
    EXPECT_EQ(pitched.KindNames().size(), 2u);
    EXPECT_EQ(pitched.KindIndex(), 0);
    EXPECT_TRUE(pitched.KindEnabled());
}

TEST(SampleDialogModelTest, TempoAndLength)
{
    M m = Make(Request(Mode::Properties));
    EXPECT_EQ(m.TempoText(), "130"); // 10 584 000 / 81 408
    EXPECT_EQ(m.TempoSlider(), 7);
    EXPECT_TRUE(m.TempoControlsEnabled());
    m.EditTempo("120");
    EXPECT_EQ(m.LengthText(), "88192");
    m.MoveTempoSlider(18);
    EXPECT_EQ(m.TempoText(), "240");
    EXPECT_EQ(m.LengthText(), "44096");
    m.SelectKind(0);
    EXPECT_FALSE(m.TempoControlsEnabled());
    EXPECT_EQ(Make(Request(Mode::Properties, 1, 0)).TempoText(), "");
}

TEST(SampleDialogModelTest, OkNeedsTextsAndALengthInRange)
{
    M m = Make(Request(Mode::Properties));
    m.EditLength("26431");
    EXPECT_FALSE(m.OkEnabled());
    m.EditLength("26432");
    EXPECT_TRUE(m.OkEnabled());
    m.EditLength("1058368");
    EXPECT_TRUE(m.OkEnabled());
    m.EditLength("1058369");
    EXPECT_FALSE(m.OkEnabled());
    m.SelectKind(0); // not stretched: any length
    EXPECT_TRUE(m.OkEnabled());
    m.Edit(M::Name, "");
    EXPECT_FALSE(m.OkEnabled());
    m.Edit(M::Name, "n");
    m.Edit(M::Path, "");
    EXPECT_FALSE(m.OkEnabled());

    M remove = Make(Request(Mode::Remove, 2, 5));
    EXPECT_TRUE(remove.OkEnabled());
    M restricted = Make(Request(Mode::Properties, 2, 5, true));
    EXPECT_TRUE(restricted.OkEnabled());
}

struct KeyCase {
    const char* key;
    double pitch;
    const char* result;
};

class TransposeKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TransposeKeyTest, Transposes)
{
    EXPECT_EQ(M::TransposeKey(GetParam().key, GetParam().pitch), GetParam().result)
        << GetParam().key << " + " << GetParam().pitch;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TransposeKeyTest,
    ::testing::Values(KeyCase{"A#m", 2, "Cm"}, KeyCase{"C", 12, "C+1"}, KeyCase{"C", 0, "C"},
                      KeyCase{"C", -12, "C-1"}, KeyCase{"G", 2, "A+1"}, KeyCase{"A", 3, "C"},
                      KeyCase{"C+1", 1, "C#+1"}, KeyCase{"C#", 0.6, "D"}, KeyCase{"Ab", 1, "Ab"},
                      KeyCase{"C0", 1, "C0"}, KeyCase{"c", 1, "c"}, KeyCase{"c0", 12, "c1"},
                      KeyCase{"c0", -1, "b-1"}, KeyCase{"am", 2, "am"}, KeyCase{"Hm", 2, "Hm"},
                      KeyCase{"", 3, ""}, KeyCase{"Cmaj", 2, "Cmaj"}, KeyCase{"C", 1e9, "E+83"}));

TEST(SampleDialogModelTest, PitchFillsTheCopysTexts)
{
    SampleRequest r = Request(Mode::PitchCopy, 0);
    r.path = "/user/loops/beat(pitch%s%s%s).wav";
    r.name = "beat %s";
    r.key = "A#m";
    r.fourth = "beat, pitched by %s";
    M m = Make(r);
    EXPECT_EQ(m.PitchText(), "0");
    EXPECT_EQ(m.FieldText(M::Name), "beat (copy)");
    EXPECT_EQ(m.FieldText(M::Path), "/user/loops/beat(pitch0).wav");
    EXPECT_EQ(m.FieldText(M::Key), "A#m");
    m.EditPitch("2");
    EXPECT_EQ(m.FieldText(M::Name), "beat ");
    EXPECT_EQ(m.FieldText(M::Key), "Cm");
    EXPECT_EQ(m.FieldText(M::Fourth), "beat, pitched by 2");
    m.EditPitch("-1.5");
    EXPECT_EQ(m.FieldText(M::Name), "beat (-1.5)");
    EXPECT_EQ(m.FieldText(M::Path), "/user/loops/beat(pitch-1.5).wav");
    // The plural ending: exactly one of a kind other than 0 and the restriction.
    m.SelectKind(1);
    EXPECT_EQ(m.FieldText(M::Name), "beat (-1.5s)");
    EXPECT_EQ(m.FieldText(M::Path), "/user/loops/beat(pitch-1.5s).wav");
    EXPECT_DOUBLE_EQ(m.Result(SampleOutcome::Ok).pitch, -1.5);
}

TEST(SampleDialogModelTest, OkAsksBeforeAFileIsReplaced)
{
    test::TempDir dir;
    test::WriteFile(dir / "take.wav", "RIFF");
    test::FakePlatformDialogs dialogs;
    MessageTexts texts;
    SampleRequest r = Request(Mode::SaveRecording);
    r.path = dir / "take.wav";
    M m = Make(r);
    dialogs.messageAnswers.push_back(platform::MessageAnswer::No);
    EXPECT_FALSE(m.Accept(dialogs, texts));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(dialogs.messages[0].defaultButton, 1);
    EXPECT_EQ(dialogs.messages[0].text, texts.overwritePrompt);
    dialogs.messageAnswers.push_back(platform::MessageAnswer::Yes);
    EXPECT_TRUE(m.Accept(dialogs, texts));
    m.Edit(M::Path, dir / "new.wav");
    EXPECT_TRUE(m.Accept(dialogs, texts));
    EXPECT_EQ(dialogs.messages.size(), 2u);
    // Adding an existing file asks nothing.
    SampleRequest add = Request(Mode::Properties);
    add.path = dir / "take.wav";
    EXPECT_TRUE(Make(add).Accept(dialogs, texts));
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST(SampleDialogModelTest, BrowseOpensOrSavesByMode)
{
    test::TempDir dir;
    test::FakePlatformDialogs dialogs;
    MessageTexts texts;
    SampleRequest r = Request(Mode::Properties);
    r.path = dir / "beat.wav";
    M open = Make(r);
    dialogs.choices.push_back(std::vector<std::string>{dir / "other.mp3", dir / "third.wav"});
    EXPECT_TRUE(open.Browse(dialogs, texts));
    EXPECT_EQ(open.FieldText(M::Path), dir / "other.mp3");
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(dialogs.opens[0].initialFolder, dir.Path());
    EXPECT_EQ(dialogs.opens[0].initialName, "beat.wav");
    EXPECT_EQ(dialogs.opens[0].filter, "Known files (*.wav, *.mp3, *.ncp)|*.wav;*.mp3;*.ncp|All files (*.*)|*.*||");

    r.mode = Mode::SaveRecording;
    r.path = dir / "gone/x.wav";
    M save = Make(r);
    EXPECT_FALSE(save.Browse(dialogs, texts));
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].initialFolder, "");

    r.mode = Mode::ReadOnlyProperties;
    EXPECT_FALSE(Make(r).Browse(dialogs, texts));
    EXPECT_EQ(dialogs.opens.size() + dialogs.saves.size(), 2u);
}

TEST(SampleDialogModelTest, SkipSetsTheOfferedLengthOrSkips)
{
    SampleRequest r = Request(Mode::Properties);
    r.offerSkip = true;
    EXPECT_TRUE(Make(r).Skip());
    r.skipLength = 40000;
    M m = Make(r);
    EXPECT_FALSE(m.Skip());
    EXPECT_EQ(m.LengthText(), "40000");
    const SampleResult result = m.Result(SampleOutcome::Ok);
    EXPECT_EQ(result.length, 40000);
    EXPECT_EQ(result.kindIndex, 1);
}

} // namespace
} // namespace bm::dialogs
