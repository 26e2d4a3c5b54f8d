// Export through the dialogs, driven by keys: Ctrl+E, the file name typed,
// both fades and normalising to -1 dB ticked, the progress dialog to its
// end; the file holds exactly what the command-line render makes with the
// same choices.

#include "ProgramUnderTest.h"
#include "Sound.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

TEST(Export, TheDialogsWriteWhatTheRenderMakesWithTheSameChoices)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->DismissSplash());
    const std::string target = session.Root() + "/exported song.wav";

    ASSERT_TRUE(x.Key({"ctrl+e"}));
    const std::optional<Window> dialog = x.WaitWindow(run->Pid(), "^Export to WAV$", 10s);
    ASSERT_TRUE(dialog.has_value()) << "no export dialog";
    x.Activate(*dialog);
    // The file name field has the focus; then, in tab order: the browse
    // button, format, attributes, the two fades, normalise, the level
    // slider and the decibel field.
    ASSERT_TRUE(x.Key({"ctrl+a"}));
    ASSERT_TRUE(x.Type(target));
    ASSERT_TRUE(x.Key({"Tab", "Tab", "Tab", "Tab", "space", "Tab", "space", "Tab", "space", "Tab", "Tab", "ctrl+a"}));
    ASSERT_TRUE(x.Type("-1"));
    ASSERT_TRUE(x.Key({"Return"}));

    // The progress dialog runs to its end and closes by itself.
    EXPECT_TRUE(x.WaitWindow(run->Pid(), "^Exporting$", 10s).has_value()) << "no progress dialog";
    ASSERT_TRUE(WaitUntil([&] { return x.Windows("^Export", run->Pid()).empty() && fs::exists(target); }, 120s))
        << "the export did not end";
    ASSERT_EQ(run->PowerOff(), 0);

    const std::string rendered = session.Root() + "/rendered.wav";
    ASSERT_TRUE(RunCliIn(folder.Path(), {"render", folder / "DEMOSONGS/Intro.ncp", rendered, "--level-db", "-1",
                                         "--fade-in", "--fade-out"})
                    .ok());
    const Samples exported = ReadWaveSound(target);
    const Samples expected = ReadWaveSound(rendered);
    ASSERT_GT(expected.size(), 0u);
    ASSERT_EQ(exported.size(), expected.size());
    size_t differing = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        differing += exported[i] != expected[i];
    EXPECT_EQ(differing, 0u) << "of " << expected.size() << " samples";
    // The fades: silence at both ends, sound in between.
    EXPECT_EQ(exported[0], 0);
    EXPECT_EQ(exported[exported.size() - 1], 0);
    EXPECT_GE(FirstSounding(exported), 1);
}

} // namespace
} // namespace bm::e2e
