#include "ui/skin/ResourceArchive.h"

#include "support/FileSizeLimit.h"
#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm {
namespace {

using test::ArchiveImage;
using test::ImageEntry;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Bytes(size_t count, uint32_t seed)
{
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = static_cast<char>(seed >> 24);
    }
    return out;
}

class ResourceArchiveTest : public ::testing::Test {
protected:
    // Adds a file with these contents to `archive` under `name`.
    bool Add(ResourceArchive& archive, const std::string& name, const std::string& data)
    {
        std::string source = m_dir / ("source" + std::to_string(m_sources++));
        EXPECT_TRUE(WriteFile(source, data));
        Error error;
        bool added = archive.AddFile(name, source, &error);
        EXPECT_TRUE(added) << error.message;
        return added;
    }

    std::string Entry(const ResourceArchive& archive, const std::string& name)
    {
        std::string data;
        EXPECT_TRUE(archive.ReadWholeEntry(name, data)) << name;
        return data;
    }

    TempDir m_dir;
    std::string m_path = m_dir / "test.wad";
    int m_sources = 0;
};

TEST_F(ResourceArchiveTest, NewArchiveIsTheBareHeaderAndEntriesLieAsBuiltByHand)
{
    ResourceArchive archive;
    EXPECT_FALSE(archive.Open(m_path, ArchiveAccess::ReadOnly));
    Error error;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite, &error)) << error.message;
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WADn", {}));
    EXPECT_EQ(archive.DataEnd(), 16);
    EXPECT_EQ(archive.TotalLength(), 16);

    std::string big = Bytes(3000, 1);
    Add(archive, "main_menu.res", "MENUITEM 1\r\n");
    Add(archive, "Transp Butt 01.bmp", big);
    Add(archive, "empty.dat", "");
    archive.Close();
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WADn", {{"main_menu.res", "MENUITEM 1\r\n"},
                                                      {"Transp Butt 01.bmp", big},
                                                      {"empty.dat", ""}}));

    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadOnly, &error)) << error.message;
    ASSERT_EQ(archive.Entries().size(), 3u);
    EXPECT_EQ(archive.Entries()[1].Name(), "Transp Butt 01.bmp");
    EXPECT_EQ(archive.Entries()[1].offset, 16 + 4 + 12);
    EXPECT_EQ(archive.GetEntrySize("Transp Butt 01.bmp"), 3000);
    EXPECT_EQ(archive.GetEntrySize("empty.dat"), 0);
    EXPECT_EQ(archive.GetEntrySize("missing"), 0);
    EXPECT_EQ(Entry(archive, "Transp Butt 01.bmp"), big);
}

TEST_F(ResourceArchiveTest, LongNamesKeepTheirFirst59Characters)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    std::string sixty(60, 'n');
    Add(archive, sixty + "tail", "x");
    // 58 ASCII characters and a two-byte character would split at 59.
    Add(archive, std::string(58, 'u') + "\xC3\xA9" + "z", "y");
    ASSERT_EQ(archive.Entries().size(), 2u);
    EXPECT_EQ(archive.Entries()[0].Name(), sixty.substr(0, 59));
    EXPECT_EQ(archive.Entries()[0].name[59], '\0');
    EXPECT_EQ(archive.Entries()[1].Name(), std::string(58, 'u'));
    EXPECT_EQ(archive.FindEntry(sixty.substr(0, 59)), 0);
    EXPECT_EQ(archive.FindEntry(sixty), -1);
}

TEST_F(ResourceArchiveTest, LookupIgnoresLetterCase)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "hints.dat", "h");
    Add(archive, "main_menu.res", "m");
    EXPECT_EQ(archive.FindEntry("MAIN_MENU.RES"), 1);
    EXPECT_EQ(archive.FindEntry("Main_Menu.res"), 1);
    EXPECT_EQ(archive.GetEntrySize("MAIN_MENU.RES"), 1);
    EXPECT_EQ(archive.FindEntry("main_menu.re"), -1);
    EXPECT_EQ(archive.FindEntry(""), -1);
}

TEST_F(ResourceArchiveTest, ReadEntryStopsAtTheEntrysEnd)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "a", "0123456789");
    Add(archive, "b", "NEXT");
    char buffer[32] = {};
    EXPECT_EQ(archive.ReadEntry("a", buffer, 4, 3), 4u);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    EXPECT_EQ(archive.ReadEntry("a", buffer, sizeof buffer, 7), 3u) << "only what remains";
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(archive.ReadEntry("a", buffer, sizeof buffer, 10), 0u);
    EXPECT_EQ(archive.ReadEntry("a", buffer, sizeof buffer, 1000), 0u);
    EXPECT_EQ(archive.ReadEntry("missing", buffer, sizeof buffer, 0), 0u);
}

TEST_F(ResourceArchiveTest, AddingUnderAnExistingNameReplacesIt)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "a.smp", Bytes(100, 1));
    Add(archive, "b.smp", Bytes(50, 2));
    Add(archive, "A.SMP", Bytes(70, 3));
    ASSERT_EQ(archive.Entries().size(), 2u);
    EXPECT_EQ(archive.Entries()[0].Name(), "b.smp");
    EXPECT_EQ(archive.Entries()[1].Name(), "A.SMP");
    EXPECT_EQ(Entry(archive, "a.smp"), Bytes(70, 3));
    EXPECT_EQ(Entry(archive, "b.smp"), Bytes(50, 2));
    int64_t expected = 16 + (50 + 4) + (70 + 4) + 64 * 2;
    EXPECT_EQ(test::ReadFile(m_path).size(), static_cast<size_t>(expected));
    EXPECT_EQ(archive.TotalLength(), expected);
    archive.Close();
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WADn", {{"b.smp", Bytes(50, 2)}, {"A.SMP", Bytes(70, 3)}}));
}

TEST_F(ResourceArchiveTest, RemovingTheOnlyEntryLeavesTheBareHeader)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "only", Bytes(500, 4));
    Error error;
    EXPECT_TRUE(archive.RemoveEntry("ONLY", &error)) << error.message;
    EXPECT_FALSE(archive.RemoveEntry("only", &error));
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WADn", {}));
    EXPECT_EQ(ReadFile(m_path).size(), 16u);
    EXPECT_EQ(archive.DataEnd(), 16);
}

TEST_F(ResourceArchiveTest, RemovalMovesLaterBlocksDownAcrossSeveralChunks)
{
    // The block behind the removed one is larger than two move chunks.
    std::string large = Bytes(ResourceArchive::kMoveChunkBytes * 2 + 12345, 5);
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "first", Bytes(10, 6));
    Add(archive, "gone", Bytes(777, 7));
    Add(archive, "large", large);
    Add(archive, "last", Bytes(3, 8));
    ASSERT_TRUE(archive.RemoveEntry("gone"));
    EXPECT_EQ(Entry(archive, "large"), large);
    EXPECT_EQ(Entry(archive, "last"), Bytes(3, 8));
    archive.Close();
    EXPECT_EQ(ReadFile(m_path),
              ArchiveImage("WADn", {{"first", Bytes(10, 6)}, {"large", large}, {"last", Bytes(3, 8)}}));
}

TEST_F(ResourceArchiveTest, MagicMustMatchExactly)
{
    ASSERT_TRUE(WriteFile(m_path, ArchiveImage("WCPn", {{"wcp.ncp", "song"}})));
    ResourceArchive archive;
    Error error;
    EXPECT_FALSE(archive.Open(m_path, ArchiveAccess::ReadOnly, &error));
    EXPECT_NE(error.message.find("\"WCPn\""), std::string::npos) << error.message;
    EXPECT_FALSE(archive.IsOpen());
    archive.SetMagic("wcpn");
    EXPECT_FALSE(archive.Open(m_path, ArchiveAccess::ReadOnly));
    archive.SetMagic(ResourceArchive::kPackageMagic);
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "wcp.inf", "\r\n");
    archive.Close();
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WCPn", {{"wcp.ncp", "song"}, {"wcp.inf", "\r\n"}}));
}

TEST_F(ResourceArchiveTest, AnOpenArchiveIsLockedAgainstOtherOpeners)
{
    ResourceArchive first;
    ASSERT_TRUE(first.Open(m_path, ArchiveAccess::ReadWrite));
    ResourceArchive second;
    Error error;
    EXPECT_FALSE(second.Open(m_path, ArchiveAccess::ReadOnly, &error));
    EXPECT_NE(error.message.find("in use"), std::string::npos) << error.message;
    first.Close();
    EXPECT_TRUE(second.Open(m_path, ArchiveAccess::ReadOnly));
}

TEST_F(ResourceArchiveTest, ReadOnlyArchiveRefusesChanges)
{
    ASSERT_TRUE(WriteFile(m_path, ArchiveImage("WADn", {{"a", "1"}})));
    ASSERT_TRUE(WriteFile(m_dir / "src", "2"));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadOnly));
    EXPECT_FALSE(archive.AddFile("b", m_dir / "src"));
    EXPECT_FALSE(archive.RemoveEntry("a"));
    EXPECT_FALSE(archive.WriteDirectory());
    EXPECT_EQ(ReadFile(m_path), ArchiveImage("WADn", {{"a", "1"}}));
}

TEST_F(ResourceArchiveTest, FailedAddLeavesTheArchiveAsItWas)
{
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadWrite));
    Add(archive, "keep", Bytes(100, 9));
    std::string before = ReadFile(m_path);

    Error error;
    EXPECT_FALSE(archive.AddFile("keep", m_dir / "no such file", &error));
    EXPECT_FALSE(error.message.empty());
    EXPECT_FALSE(archive.AddFile("", m_path, &error));
    EXPECT_EQ(ReadFile(m_path), before);

    // A file size limit stands in for a full disk: the block does not fit.
    ASSERT_TRUE(WriteFile(m_dir / "large", Bytes(20000, 10)));
    bool added = false;
    {
        test::FileSizeLimit full(4096);
        ASSERT_TRUE(full.Active());
        added = archive.AddFile("keep", m_dir / "large", &error);
    }
    EXPECT_FALSE(added);
    EXPECT_NE(error.message.find("no room"), std::string::npos) << error.message;
    EXPECT_EQ(ReadFile(m_path), before);
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(Entry(archive, "keep"), Bytes(100, 9));
    EXPECT_TRUE(Add(archive, "keep", "small"));
}

// Extraction into a folder uses the entry's own name, which comes from
// whoever made the archive.
TEST_F(ResourceArchiveTest, ExtractWritesTheEntryToAFileOrIntoAFolder)
{
    ASSERT_TRUE(WriteFile(m_path, ArchiveImage("WADn", {{"0.smp", "sample"}, {"wcp.ncp", "song"}})));
    std::filesystem::create_directory(m_dir / "out");
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(m_path, ArchiveAccess::ReadOnly));
    Error error;
    EXPECT_TRUE(archive.ExtractEntry("0.SMP", m_dir / "out/", &error)) << error.message;
    EXPECT_EQ(ReadFile(m_dir / "out/0.smp"), "sample");
    EXPECT_TRUE(archive.ExtractEntry("wcp.ncp", m_dir / "out/renamed.ncp", &error)) << error.message;
    EXPECT_EQ(ReadFile(m_dir / "out/renamed.ncp"), "song");
    ASSERT_TRUE(WriteFile(m_dir / "out/renamed.ncp", "older and longer"));
    EXPECT_TRUE(archive.ExtractEntry("wcp.ncp", m_dir / "out/renamed.ncp"));
    EXPECT_EQ(ReadFile(m_dir / "out/renamed.ncp"), "song");
    EXPECT_FALSE(archive.ExtractEntry("missing", m_dir / "out/", &error));
    EXPECT_FALSE(archive.ExtractEntry("0.smp", m_dir / "no/such/folder/", &error));
}

class UnsafeEntryNameTest : public ::testing::TestWithParam<std::string> {};

TEST_P(UnsafeEntryNameTest, IsNotExtractedIntoAFolder)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "in");
    std::string path = dir / "evil.wcp";
    ASSERT_TRUE(WriteFile(path, ArchiveImage("WCPn", {{GetParam(), "payload"}})));
    ResourceArchive archive(ResourceArchive::kPackageMagic);
    Error error;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly, &error)) << error.message;
    EXPECT_FALSE(ResourceArchive::IsPlainFileName(GetParam()));
    EXPECT_FALSE(archive.ExtractEntry(GetParam(), dir / "in/", &error));
    EXPECT_NE(error.message.find("not a plain file name"), std::string::npos) << error.message;
    EXPECT_TRUE(std::filesystem::is_empty(dir / "in"));
    // Nothing landed beside or above the folder either.
    size_t files = 0;
    for (auto& item : std::filesystem::recursive_directory_iterator(dir.Path()))
        files += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeEntryNameTest,
                         ::testing::Values("", ".", "..", "../escape", "..\\escape", "sub/file", "/tmp/abs",
                                           "C:escape", "c:\\abs", "tab\there", "new\nline", std::string("\x7f"),
                                           std::string("\x1b[2J")));

TEST(PlainFileNameTest, AcceptsOrdinaryNames)
{
    for (const char* name : {"splash.wav", "Transp Butt 01.bmp", "...", "..a", "a..", "n\xC3\xA9.smp"})
        EXPECT_TRUE(ResourceArchive::IsPlainFileName(name)) << name;
}

// A damaged or hostile archive fails Open with a reason and is left closed.
struct Malformed {
    const char* label;
    std::function<std::string()> make;
    const char* reason; // part of the message
};

std::string Good() { return ArchiveImage("WADn", {{"one", "11111"}, {"two", "22"}, {"three", "3"}}); }

std::string With(std::string bytes, size_t at, uint32_t value)
{
    test::PutLE32(bytes, at, value);
    return bytes;
}

// Offsets in Good(): blocks at 16, 25, 31; directory at 36.
constexpr size_t kDirectory = 36;
size_t RecordOffsetField(size_t i) { return kDirectory + i * 64 + 60; }

const Malformed kMalformed[] = {
    {"Empty", [] { return std::string(); }, "too short"},
    {"ShortHeader", [] { return Good().substr(0, 10); }, "too short"},
    {"BadMagic", [] { std::string b = Good(); b[3] = 'N'; return b; }, "magic"},
    {"DirectoryInsideHeader", [] { return With(Good(), 8, 8); }, "inside the header"},
    {"NegativeCount", [] { return With(Good(), 12, 0xFFFFFFFFu); }, "negative"},
    {"CountOverflow", [] { return With(Good(), 12, 0x7FFFFFFFu); }, "does not fit"},
    {"CountPastEnd", [] { return With(Good(), 12, 4); }, "past the end of the file"},
    {"DirectoryPastEnd", [] { return With(With(Good(), 8, 0x7FFFFF00u), 4, 0x7FFFFF00u + 3 * 64); },
     "past the end of the file"},
    {"Truncated", [] { std::string b = Good(); b.pop_back(); return b; }, "past the end of the file"},
    {"TotalLengthWrong", [] { return With(Good(), 4, 1000); }, "total length"},
    {"BlockPastDataArea", [] { return With(Good(), 31, 2); }, "runs past the data area"},
    {"NegativeBlockSize", [] { return With(Good(), 16, 0x80000000u); }, "runs past the data area"},
    {"HugeBlockSize", [] { return With(Good(), 25, 0x7FFFFFFFu); }, "runs past the data area"},
    {"OffsetPastDataArea", [] { return With(Good(), RecordOffsetField(2), 34); }, "past the data area"},
    {"OffsetInHeader", [] { return With(Good(), RecordOffsetField(0), 4); }, "overlaps"},
    {"NegativeOffset", [] { return With(Good(), RecordOffsetField(0), 0xFFFFFFF0u); }, "overlaps"},
    {"OffsetsDescend", [] { return With(Good(), RecordOffsetField(2), 16); }, "overlaps"},
    {"BlocksOverlap", [] { return With(Good(), RecordOffsetField(1), 20); }, "overlaps"},
    {"UnterminatedName",
     [] {
         std::string b = Good();
         std::fill(b.begin() + kDirectory + 64, b.begin() + kDirectory + 124, 'x');
         return b;
     },
     "terminating zero"},
};

class MalformedArchiveTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedArchiveTest, FailsOpenWithAReason)
{
    TempDir dir;
    std::string path = dir / "bad.wad";
    std::string bytes = GetParam().make();
    ASSERT_TRUE(WriteFile(path, bytes));
    for (ArchiveAccess access : {ArchiveAccess::ReadOnly, ArchiveAccess::ReadWrite}) {
        ResourceArchive archive;
        Error error;
        EXPECT_FALSE(archive.Open(path, access, &error));
        EXPECT_NE(error.message.find(GetParam().reason), std::string::npos) << error.message;
        EXPECT_FALSE(archive.IsOpen());
        EXPECT_TRUE(archive.Entries().empty());
        EXPECT_EQ(archive.FindEntry("one"), -1);
    }
    EXPECT_EQ(ReadFile(path), bytes) << "a refused archive is not touched";
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedArchiveTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WellFormedArchiveTest, GoodImageOpens)
{
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir / "good.wad", Good()));
    ResourceArchive archive;
    Error error;
    ASSERT_TRUE(archive.Open(dir / "good.wad", ArchiveAccess::ReadOnly, &error)) << error.message;
    EXPECT_EQ(archive.Entries().size(), 3u);
    EXPECT_EQ(archive.GetEntrySize("one"), 5);
    EXPECT_EQ(archive.Entries()[2].offset, 31);
}

} // namespace
} // namespace bm
