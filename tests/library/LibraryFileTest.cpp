#include "library/LibraryReader.h"
#include "library/LibraryWriter.h"

#include "core/Paths.h"
#include "library/LibraryFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace bm {
namespace {

using test::AddChord;
using test::AddEntry;
using test::AddGroup;
using test::AddPart;
using test::AddStyle;
using test::Sample;

SampleLibrary MakeLibrary()
{
    SampleLibrary lib;
    auto& style = AddStyle(lib, "Pop");
    style.valueA = 20352;
    style.valueB = -3;
    auto& group = AddGroup(style, "Drums");
    group.firstText = "g";
    group.colours = {0x0, 0xFF, 0x00ABCDEF, 0xFFFFFFFF};
    auto& part = AddPart(group, "Loops", 1);
    part.displayValue = 0x1F;
    auto& chord = AddChord(part, "C", "Pop/C");
    chord.displayValue = 0xA;
    SampleDescriptor kick = Sample("kick", "a b", "Pop/kick.wav", "C");
    kick.number2 = 7;
    kick.nominalLength = 88000;
    kick.kind = 2;
    AddEntry(chord, kick, 1);
    AddChord(part, "D", "");
    NormaliseAllEntries(lib);
    AddStyle(lib, "Empty style");
    return lib;
}

TEST(LibraryWriter, WritesTheRecordLayout)
{
    const std::string expected =
        "%STYLE s\r\nPop\r\n20352\r\n-3\r\n0\r\n\r\n"
        "%GROUP g\r\nDrums\r\n0x0\r\n0xFF\r\n0xABCDEF\r\n0xFFFFFFFF\r\n-1\r\n\r\n"
        "%PART \r\nLoops\r\n1\r\n0x1F\r\n-1\r\n\r\n"
        "%CHORD \r\nC\r\nPop/C\r\n0xA\r\n0\r\n\r\n"
        "-\r\n\"kick\"  \"a b\"  \"Pop/kick.wav\"  \"C\"  \"88192\"  \"7\"  \"88000\"  \"2\"\r\n-\r\n-\r\n-\r\n-\r\n"
        "-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n"
        "%CHORD \r\nD\r\n\r\n0x0\r\n0\r\n\r\n"
        "-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n"
        "\r\n\r\n\r\n"
        "%STYLE s\r\nEmpty style\r\n0\r\n0\r\n0\r\n\r\n\r\n\r\n\r\n";
    EXPECT_EQ(FormatLibrary(MakeLibrary()), expected);
}

TEST(LibraryFile, RoundTripGivesIdenticalBytesAndTree)
{
    test::TempDir dir;
    SampleLibrary lib = MakeLibrary();
    lib.selection = {0, 0, 0, 1, 42};
    ASSERT_TRUE(WriteLibraryFile(dir / "library.dat", lib));
    const std::string first = test::ReadFile(dir / "library.dat");

    SampleLibrary back;
    ASSERT_TRUE(ReadLibraryFile(dir / "library.dat", back, dir / "user/"));
    EXPECT_EQ(back.styles, lib.styles);
    ASSERT_TRUE(WriteLibraryFile(dir / "again.dat", back));
    EXPECT_EQ(test::ReadFile(dir / "again.dat"), first);
}

TEST(LibraryFile, BrowserOpensOnStyleZeroWithItsStoredSelection)
{
    test::TempDir dir;
    SampleLibrary lib = MakeLibrary();
    AddGroup(lib.styles[0], "Bass");
    AddChord(AddPart(lib.styles[0].groups[1], "Lines"), "E");
    lib.selection = {0, 1, 0, 0, 17};
    ASSERT_TRUE(WriteLibraryFile(dir / "library.dat", lib));

    SampleLibrary back;
    ASSERT_TRUE(ReadLibraryFile(dir / "library.dat", back, {}));
    EXPECT_EQ(back.selection, (LibrarySelection{0, 1, 0, 0, 17}));

    // Browsing in the second style is stored there, but the next run opens
    // on style 0 with the group it kept.
    back.selection = {1, -1, -1, -1, 0};
    ASSERT_TRUE(WriteLibraryFile(dir / "library.dat", back));
    SampleLibrary third;
    ASSERT_TRUE(ReadLibraryFile(dir / "library.dat", third, {}));
    EXPECT_EQ(third.selection, (LibrarySelection{0, 1, 0, 0, 17}));
    EXPECT_EQ(third.styles[1].selectedGroup, -1);
}

std::string Header(const std::string& chords)
{
    return "%STYLE x\r\nPop\r\n0\r\n0\r\n0\r\n\r\n%GROUP \r\nDrums\r\n0\r\n0\r\n0\r\n0\r\n0\r\n\r\n"
           "%PART \r\nLoops\r\n0\r\n0x0\r\n0\r\n\r\n"
        + chords;
}

std::string Chord(const std::string& name, const std::vector<std::string>& variants)
{
    std::string out = "%CHORD \r\n" + name + "\r\n\r\n0x0\r\n0\r\n\r\n";
    for (const auto& v : variants)
        out += v + "\r\n";
    return out;
}

const std::string kFilled = "\"a\"  \"b\"  \"x.wav\"  \"d\"  \"1\"  \"2\"  \"3\"  \"4\"";

TEST(LibraryReader, EightVariantLinesMakeTwoEntriesAndAFreeThird)
{
    std::vector<std::string> lines(8, kFilled);
    lines[7] = "-";
    SampleLibrary lib;
    ParseLibrary(Header(Chord("C", lines)), lib);
    const auto& entries = lib.styles.at(0).groups.at(0).parts.at(0).chords.at(0).entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_FALSE(entries[1].variants[0].IsEmpty());
    EXPECT_TRUE(entries[1].variants[1].IsEmpty());
    EXPECT_TRUE(entries[2].IsEmpty());
    EXPECT_EQ(entries[0].variants[5].nominalLength, 3);
    EXPECT_EQ(entries[0].variants[5].kind, 4);
}

TEST(LibraryReader, TrailingEmptyEntriesCollapseToOne)
{
    std::vector<std::string> lines(18, "-");
    lines[2] = kFilled;
    SampleLibrary lib;
    ParseLibrary(Header(Chord("C", lines) + Chord("D", {})), lib);
    const auto& chords = lib.styles.at(0).groups.at(0).parts.at(0).chords;
    ASSERT_EQ(chords.size(), 2u);
    ASSERT_EQ(chords[0].entries.size(), 2u);
    EXPECT_EQ(chords[0].entries[0].variants[2].firstText, "a");
    EXPECT_TRUE(chords[0].entries[1].IsEmpty());
    ASSERT_EQ(chords[1].entries.size(), 1u);
    EXPECT_TRUE(chords[1].entries[0].IsEmpty());
}

struct DefaultsCase {
    int style;
    int group;
    const char* path;
    int32_t nominal;
    int32_t kind;
};

class SixFieldDefaults : public testing::TestWithParam<DefaultsCase> {};

TEST_P(SixFieldDefaults, OlderLinesGetNominalLengthAndKind)
{
    const auto& c = GetParam();
    std::string text;
    for (int s = 0; s <= c.style; ++s) {
        text += "%STYLE \r\nS\r\n0\r\n0\r\n0\r\n";
        for (int g = 0; g <= (s == c.style ? c.group : 0); ++g)
            text += "%GROUP \r\nG\r\n0\r\n0\r\n0\r\n0\r\n-1\r\n%PART \r\nP\r\n0\r\n0\r\n-1\r\n%CHORD \r\nC\r\n\r\n0\r\n0\r\n";
    }
    // Blanks after the sixth field are not "more than two characters".
    text += "\"n\"  \"s\"  \"" + std::string(c.path) + "\"  \"k\"  \"100\"  \"5\"  \r\n";
    SampleLibrary lib;
    ParseLibrary(text, lib);
    const auto& d = lib.styles.at(static_cast<size_t>(c.style))
                        .groups.at(static_cast<size_t>(c.group))
                        .parts.at(0)
                        .chords.at(0)
                        .entries.at(0)
                        .variants[0];
    EXPECT_EQ(d.length, 100);
    EXPECT_EQ(d.number2, 5);
    EXPECT_EQ(d.nominalLength, c.nominal);
    EXPECT_EQ(d.kind, c.kind);
}

INSTANTIATE_TEST_SUITE_P(Table, SixFieldDefaults,
                         testing::Values(DefaultsCase{0, 0, "a.ncp", 75584, 1}, DefaultsCase{0, 1, "a.NCP", 75584, 1},
                                         DefaultsCase{0, 2, "s\\a.ncp", 75584, 2},
                                         DefaultsCase{0, 3, "a.ncp", 75584, 3}, DefaultsCase{0, 5, "a.ncp", 75584, 3},
                                         DefaultsCase{1, 0, "a.ncp", 81408, 0}, DefaultsCase{1, 2, "a.ncp", 81408, 0},
                                         DefaultsCase{0, 0, "a.wav", 0, 0}, DefaultsCase{0, 0, "ncp", 0, 0}));

TEST(LibraryReader, ReadsLenientNumbersAndStoredPaths)
{
    std::string text = "%STYLE first text \r\n  Name with blanks  \r\n12abc\r\nxyz\r\n-7\r\n"
                       "%GROUP\r\n\r\n  0xff\r\nABC\r\n0XDeadBeef1\r\nzz\r\n3\r\n"
                       "%PART p\r\nP\r\n1\r\n1f\r\n0\r\n"
                       "%CHORD c\r\nC\r\nsub\\dir\\\r\n0x\r\n9\r\n"
                       "\"a\"  \"b\"  \"dir\\x.wav\"  \"d\"  \"-5\"  \"2\"  \"3\"  \"4\"\r\n";
    SampleLibrary lib;
    ParseLibrary(text, lib);
    ASSERT_EQ(lib.styles.size(), 1u);
    const auto& style = lib.styles[0];
    EXPECT_EQ(style.firstText, "first text");
    EXPECT_EQ(style.name, "  Name with blanks  ");
    EXPECT_EQ(style.valueA, 12);
    EXPECT_EQ(style.valueB, 0);
    EXPECT_EQ(style.selectedGroup, -7);
    const auto& group = style.groups.at(0);
    EXPECT_EQ(group.firstText, "");
    EXPECT_EQ(group.name, "");
    EXPECT_EQ(group.colours, (std::array<uint32_t, 4>{0xFF, 0xABC, 0xEADBEEF1, 0}));
    const auto& part = group.parts.at(0);
    EXPECT_EQ(part.displayValue, 0x1Fu);
    const auto& chord = part.chords.at(0);
    EXPECT_EQ(chord.folder, "sub/dir/");
    EXPECT_EQ(chord.displayValue, 0u);
    EXPECT_EQ(chord.storedPosition, 9);
    EXPECT_EQ(chord.entries.at(0).variants[0].path, "dir/x.wav");
    EXPECT_EQ(chord.entries.at(0).variants[0].length, -5);
    // Out-of-range stored selection reads as none.
    EXPECT_EQ(lib.selection, (LibrarySelection{0, -1, -1, -1, 0}));
}

TEST(LibraryReader, MissingFileLeavesTheLibraryEmpty)
{
    test::TempDir dir;
    SampleLibrary lib = MakeLibrary();
    Error error;
    EXPECT_FALSE(ReadLibraryFile(dir / "none.dat", lib, {}, &error));
    EXPECT_TRUE(lib.styles.empty());
    EXPECT_FALSE(error.message.empty());
}

TEST(LibraryReader, CreatesChordFoldersOnlyInsideTheUserFolder)
{
    test::TempDir dir;
    const std::string text = Header(Chord("C", {}) ) + "%CHORD \r\nA\r\nPop\\A\r\n0\r\n0\r\n"
        + "%CHORD \r\nB\r\n../escape\r\n0\r\n0\r\n" + "%CHORD \r\nB\r\n" + dir.Path() + "abs\r\n0\r\n0\r\n";
    ASSERT_TRUE(test::WriteFile(dir / "library.dat", text));
    SampleLibrary lib;
    ASSERT_TRUE(ReadLibraryFile(dir / "library.dat", lib, dir / "user/"));
    EXPECT_TRUE(FolderExists(dir / "user/Pop/A"));
    EXPECT_FALSE(FolderExists(dir / "escape"));
    EXPECT_FALSE(FolderExists(dir / "abs"));
    EXPECT_EQ(CreateChordFolders(lib, dir / "user/"), 2);
}

TEST(LibraryReader, ChordFolderSafety)
{
    for (const char* ok : {"", "Pop", "Pop/C/", "Pop\\C\\", "a..b", "...", "x/.../y"})
        EXPECT_TRUE(IsSafeChordFolder(ok)) << ok;
    for (const char* bad : {"..", "../x", "a/../../b", "a\\..\\..", "/etc", "\\etc", "C:\\x", "C:x", "a\nb", "a\x01"})
        EXPECT_FALSE(IsSafeChordFolder(bad)) << bad;
}

TEST(LibraryWriter, FailedWriteKeepsTheOldFile)
{
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFile(dir / "library.dat", "old"));
    SampleLibrary lib = MakeLibrary();
    Error error;
    EXPECT_FALSE(WriteLibraryFile(dir / "library.dat", lib, &error, DurableWriteFault::WriteHalfway));
    EXPECT_EQ(test::ReadFile(dir / "library.dat"), "old");
    EXPECT_FALSE(WriteLibraryFile(dir / "missing/library.dat", lib, &error));
}

struct MalformedCase {
    const char* name;
    std::string text;
    size_t styles;
    size_t entries; // entries of the first chord, or 0 when there is none
};

class MalformedLibrary : public testing::TestWithParam<MalformedCase> {};

size_t FirstChordEntries(const SampleLibrary& lib)
{
    for (const auto& s : lib.styles)
        for (const auto& g : s.groups)
            for (const auto& p : g.parts)
                for (const auto& c : p.chords)
                    return c.entries.size();
    return 0;
}

TEST_P(MalformedLibrary, ReadsWhatItCanWithoutCrashing)
{
    const auto& c = GetParam();
    SampleLibrary lib;
    ParseLibrary(c.text, lib);
    EXPECT_EQ(lib.styles.size(), c.styles);
    EXPECT_EQ(FirstChordEntries(lib), c.entries);
    // Whatever was read can be written and read back unchanged.
    SampleLibrary back;
    ParseLibrary(FormatLibrary(lib), back);
    EXPECT_EQ(FormatLibrary(back), FormatLibrary(lib));
}

std::string Big(size_t n, char c) { return std::string(n, c); }

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedLibrary,
    testing::Values(
        MalformedCase{"Empty", "", 0, 0},
        MalformedCase{"TruncatedStyle", "%STYLE x\r\nPop\r\n1", 1, 0},
        MalformedCase{"TruncatedChord", Header("%CHORD \r\nC"), 1, 1},
        MalformedCase{"VariantsBeforeAnyChord", kFilled + "\r\n-\r\n" + Header(Chord("C", {kFilled})), 1, 2},
        MalformedCase{"GroupBeforeStyle", "%GROUP \r\nG\r\n0\r\n0\r\n0\r\n0\r\n0\r\n%PART \r\nP\r\n0\r\n0\r\n0\r\n"
                                          "%CHORD \r\nC\r\n\r\n0\r\n0\r\n" + kFilled + "\r\n", 0, 0},
        MalformedCase{"UnterminatedQuotes", Header(Chord("C", {"\"a\"  \"b", "\"x"})), 1, 2},
        MalformedCase{"HugeNumbers", Header(Chord("C", {"\"a\"  \"b\"  \"p\"  \"d\"  \"99999999999999999999\"  "
                                                        "\"-99999999999999999999\"  \"1e9\"  \"0x10\""}))
                                         + "%STYLE \r\nS\r\n99999999999999999999\r\n0\r\n2147483648\r\n", 2, 2},
        MalformedCase{"LongLine", Header(Chord("C", {"\"" + Big(1 << 20, 'a') + "\"  \"b\"", Big(2 << 20, ' ')})), 1, 2},
        MalformedCase{"NulBytes", Header(Chord(std::string("C\0D", 3), {std::string("\"a\0\"  \"b\"", 9),
                                                                         std::string("\0", 1)})), 1, 2},
        // Keys of records whose first text is empty lose their blank when trimmed.
        MalformedCase{"KeysWithoutBlank", "%STYLE\r\nS\r\n0\r\n0\r\n0\r\n%GROUP\r\nG\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                                          "%PART\r\nP\r\n0\r\n0\r\n0\r\n%CHORD\r\nC\r\n\r\n0\r\n0\r\n" + kFilled + "\r\n",
                      1, 2},
        MalformedCase{"KeysOnly", "%STYLE\r\n%GROUP\r\n%PART\r\n%CHORD\r\n-\r\n", 1, 0},
        MalformedCase{"LoneCarriageReturns", "%STYLE x\rPop\r0\r0\r0\r", 1, 0}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(LibraryReader, ValuesOfHugeNumbersSaturate)
{
    SampleLibrary lib;
    ParseLibrary(Header(Chord("C", {"\"a\"  \"b\"  \"p\"  \"d\"  \"99999999999\"  \"-99999999999\"  \"1\"  \"2\""})),
                 lib);
    const auto& d = lib.styles[0].groups[0].parts[0].chords[0].entries[0].variants[0];
    EXPECT_EQ(d.length, INT32_MAX);
    EXPECT_EQ(d.number2, INT32_MIN);
}

TEST(LibraryReader, SurvivesDamagedCatalogues)
{
    SampleLibrary source = MakeLibrary();
    AddEntry(source.styles[0].groups[0].parts[0].chords[1], Sample("x.ncp", "y", "songs\\x.ncp"));
    const std::string valid = FormatLibrary(source);
    std::mt19937 random(1234);
    for (int round = 0; round < 100; ++round) {
        std::string text = valid;
        for (size_t i = 0; i < text.size() / 100 + 1; ++i)
            text[random() % text.size()] = static_cast<char>(random() & 0xFF);
        SampleLibrary lib;
        ParseLibrary(text, lib);
        for (const auto& style : lib.styles)
            for (const auto& group : style.groups)
                for (const auto& part : group.parts)
                    for (const auto& chord : part.chords)
                        ASSERT_TRUE(!chord.entries.empty() && chord.entries.back().IsEmpty());
    }
}

} // namespace
} // namespace bm
