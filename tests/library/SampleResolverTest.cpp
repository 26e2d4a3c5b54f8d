#include "library/SampleResolver.h"

#include "library/LibraryFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using test::AddChord;
using test::AddEntry;
using test::AddGroup;
using test::AddPart;
using test::AddStyle;
using test::Sample;

const std::string kProgram = "/opt/bm/";

SlotTexts Texts(std::string style, std::string group, std::string part, std::string chord, std::string first,
                std::string second, std::string path, std::string fourth = "key")
{
    return {std::move(style), std::move(group), std::move(part), std::move(chord),
            std::move(first), std::move(second), std::move(path), std::move(fourth)};
}

// Style "Pop" / group "Drums" / parts "Loops" (chords "C", "D") and "Fills"
// (chord "C"), plus style "Rock" / group "Drums" / part "Loops" / chord "C".
SampleLibrary MakeLibrary()
{
    SampleLibrary lib;
    auto& pop = AddStyle(lib, "Pop");
    auto& drums = AddGroup(pop, "Drums");
    auto& loops = AddPart(drums, "Loops");
    auto& c = AddChord(loops, "C");
    AddEntry(c, Sample("kick", "a", "pop/kick.wav"));         // 0 0 0 0 v0 e0
    AddEntry(c, Sample("snare", "a", "pop/snare.wav"), 3);    // 0 0 0 0 v3 e1
    c.entries.emplace_back();
    auto& d = AddChord(loops, "D");
    AddEntry(d, Sample("hat", "a", "pop/hat.wav"));           // 0 0 0 1 v0 e0
    auto& fills = AddPart(drums, "Fills");
    auto& fc = AddChord(fills, "C");
    AddEntry(fc, Sample("roll", "b", "pop/roll.wav", "F"));   // 0 0 1 0 v0 e0
    auto& rock = AddStyle(lib, "Rock");
    auto& rd = AddGroup(rock, "Drums");
    auto& rl = AddPart(rd, "Loops");
    auto& rc = AddChord(rl, "C");
    AddEntry(rc, Sample("kick", "a", "rock/kick.wav"));       // 1 0 0 0 v0 e0
    return lib;
}

struct ResolveCase {
    const char* name;
    SlotTexts texts;
    FuzzySearch fuzzy;
    SampleRef ref;
    int score;
};

class SampleResolverTable : public testing::TestWithParam<ResolveCase> {};

TEST_P(SampleResolverTable, ResolvesTextsToReferenceAndScore)
{
    SampleLibrary lib = MakeLibrary();
    SampleResolver resolver(lib, {}, kProgram);
    const auto& c = GetParam();
    Resolution r = resolver.Resolve(c.texts, c.fuzzy);
    EXPECT_EQ(r.score, c.score);
    EXPECT_EQ(r.ref, c.ref);
}

const std::string kKick = kProgram + "pop/kick.wav";

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleResolverTable,
    testing::Values(
        ResolveCase{"Exact", Texts("Pop", "Drums", "Loops", "C", "kick", "a", kKick), FuzzySearch::Allowed,
                    SampleRef::Make(0, 0, 0, 0, 0, 0), 120},
        ResolveCase{"VariantAndEntryWords", Texts("Pop", "Drums", "Loops", "C", "snare", "a", kProgram + "pop/snare.wav"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 0, 3, 1), 120},
        // A stored relative path is compared by its end.
        ResolveCase{"PathTail", Texts("Pop", "Drums", "Loops", "C", "kick", "a", "/pop/kick.wav"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 0, 0, 0), 120},
        ResolveCase{"BackslashPath", Texts("Pop", "Drums", "Loops", "C", "kick", "a", "\\opt\\bm\\pop\\kick.wav"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 0, 0, 0), 120},
        ResolveCase{"ChordDiffers", Texts("Pop", "Drums", "Loops", "X", "hat", "a", kProgram + "pop/hat.wav"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 1, 0, 0), 110},
        ResolveCase{"PartAndChordDiffer", Texts("Pop", "Drums", "Other", "X", "roll", "b", kProgram + "pop/roll.wav", "F"),
                    FuzzySearch::Disabled, SampleRef::Make(0, 0, 1, 0, 0, 0), 100},
        ResolveCase{"AnyPathAndFourth", Texts("Rock", "Drums", "Loops", "C", "kick", "a", kAnyText, kAnyText),
                    FuzzySearch::Disabled, SampleRef::Make(1, 0, 0, 0, 0, 0), 120},
        ResolveCase{"FourthMustMatch", Texts("Pop", "Drums", "Loops", "C", "kick", "a", kKick, "other"),
                    FuzzySearch::Disabled, SampleRef::Make(0, 0, 0, 0, 0, 0), 0},
        ResolveCase{"CaseSensitive", Texts("pop", "Drums", "Loops", "C", "kick", "a", kKick),
                    FuzzySearch::Disabled, SampleRef::Make(0, 0, 0, 0, 0, 0), 0},
        // Second pass: 10 style + 10 group + 10 part + 10 chord + 20 first +
        // 30 path; the fourth text and second text differ.
        ResolveCase{"FuzzyAllButTexts", Texts("Pop", "Drums", "Loops", "C", "kick", "z", kKick, "other"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 0, 0, 0), 90},
        // Only the first and second texts: the Pop kick comes first.
        ResolveCase{"FuzzyFirstOfEqualWins", Texts("Jazz", "x", "x", "x", "kick", "a", "/nowhere.wav", "x"),
                    FuzzySearch::Allowed, SampleRef::Make(0, 0, 0, 0, 0, 0), 40},
        ResolveCase{"FuzzyStyleAndPath", Texts("Rock", "x", "x", "x", "y", "y", kProgram + "rock/", "x"),
                    FuzzySearch::Allowed, SampleRef::Make(1, 0, 0, 0, 0, 0), 40},
        ResolveCase{"NothingAtAll", Texts("", "", "", "", "", "", "/zzz", ""), FuzzySearch::Allowed,
                    SampleRef::Make(0, 0, 0, 0, 0, 0), 0}),
    [](const testing::TestParamInfo<ResolveCase>& info) { return std::string(info.param.name); });

TEST(SampleResolver, EmptyLibraryGivesZerosInBothModes)
{
    SampleLibrary lib;
    SampleResolver resolver(lib, {}, kProgram);
    for (auto fuzzy : {FuzzySearch::Allowed, FuzzySearch::Disabled}) {
        Resolution r = resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", "kick", "a", kKick), fuzzy);
        EXPECT_EQ(r.score, 0);
        EXPECT_EQ(r.ref, SampleRef::Make(0, 0, 0, 0, 0, 0));
    }
}

TEST(SampleResolver, StopsAfterTheFirstGroupWithAHundred)
{
    // Two groups of the same name: the first holds a 100 match, the second a
    // 120 match. The search ends after the first group.
    SampleLibrary lib;
    auto& style = AddStyle(lib, "Pop");
    auto& g0 = AddGroup(style, "Drums");
    AddEntry(AddChord(AddPart(g0, "P1"), "C1"), Sample("kick", "a", "k.wav"));
    auto& g1 = AddGroup(style, "Drums");
    AddEntry(AddChord(AddPart(g1, "Loops"), "C"), Sample("kick", "a", "k.wav"));
    SampleResolver resolver(lib, {}, kProgram);
    Resolution r = resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", "kick", "a", kProgram + "k.wav"),
                                    FuzzySearch::Allowed);
    EXPECT_EQ(r.score, 100);
    EXPECT_EQ(r.ref, SampleRef::Make(0, 0, 0, 0, 0, 0));
}

TEST(SampleResolver, HigherScoreLaterInTheGroupReplacesAndFullScoreStops)
{
    SampleLibrary lib;
    auto& style = AddStyle(lib, "Pop");
    auto& g = AddGroup(style, "Drums");
    AddEntry(AddChord(AddPart(g, "Other"), "C"), Sample("kick", "a", "k.wav"));  // 110
    auto& p = AddPart(g, "Loops");
    AddEntry(AddChord(p, "C"), Sample("kick", "a", "k.wav"), 2);                 // 120
    AddEntry(AddChord(p, "C"), Sample("kick", "a", "k.wav"));                    // 120, later
    SampleResolver resolver(lib, {}, kProgram);
    Resolution r = resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", "kick", "a", "k.wav"), FuzzySearch::Allowed);
    EXPECT_EQ(r.score, 120);
    EXPECT_EQ(r.ref, SampleRef::Make(0, 0, 1, 0, 2, 0));
}

TEST(SampleResolver, FullPathsComeFromTheFolderListElseTheProgramFolder)
{
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFile(dir / "found.wav", "x"));
    SampleLibrary lib;
    auto& chord = AddChord(AddPart(AddGroup(AddStyle(lib, "Pop"), "Drums"), "Loops"), "C");
    AddEntry(chord, Sample("found", "a", "found.wav"));
    AddEntry(chord, Sample("missing", "a", "sub\\missing.wav"));
    AddEntry(chord, Sample("absolute", "a", "/abs/x.wav"));
    SampleResolver resolver(lib, {"/nowhere/", dir.Path(), ""}, kProgram);

    EXPECT_EQ(resolver.FullPath("found.wav"), dir / "found.wav");
    EXPECT_EQ(resolver.FullPath("sub\\missing.wav"), kProgram + "sub/missing.wav");
    EXPECT_EQ(resolver.FullPath("/abs/x.wav"), "/abs/x.wav");
    EXPECT_EQ(resolver.FullPath(""), "");

    // The song writer stores full paths; each comes back with every text.
    for (const char* name : {"found", "missing", "absolute"}) {
        const SampleDescriptor* d = nullptr;
        for (const auto& entry : chord.entries) {
            if (entry.variants[0].firstText == name)
                d = &entry.variants[0];
        }
        ASSERT_NE(d, nullptr);
        Resolution r = resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", name, "a", resolver.FullPath(d->path)),
                                        FuzzySearch::Disabled);
        EXPECT_EQ(r.score, 120) << name;
    }
    // A relative given path is found the same way as the variants' paths.
    EXPECT_EQ(resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", "found", "a", "found.wav"), FuzzySearch::Disabled)
                  .score,
              120);
}

TEST(SampleResolver, EmptyVariantsNeverMatch)
{
    SampleLibrary lib;
    auto& chord = AddChord(AddPart(AddGroup(AddStyle(lib, "Pop"), "Drums"), "Loops"), "C");
    chord.entries.emplace_back(); // the free place only
    SampleResolver resolver(lib, {}, kProgram);
    Resolution r = resolver.Resolve(Texts("Pop", "Drums", "Loops", "C", "", "", kAnyText, ""), FuzzySearch::Allowed);
    EXPECT_EQ(r.score, 0);
}

} // namespace
} // namespace bm
