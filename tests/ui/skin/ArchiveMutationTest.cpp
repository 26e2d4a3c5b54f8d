// Damages about 1% of the bytes of a valid archive, 100 rounds, and uses
// whatever Open accepts: no crash, no read past an entry, no file outside
// the extraction folder, and our own changes keep an accepted archive valid.

#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace bm {
namespace {

std::string ValidArchive()
{
    test::BitmapSpec skin{6, 5, 24, true, false, [](int32_t x, int32_t y) { return uint32_t(x * 40 + y); }};
    test::BitmapSpec font{7, 3, 8, true, false, [](int32_t x, int32_t y) { return uint32_t(x ^ y); }};
    return test::ArchiveImage("WADn", {{"main_menu.res", "TILEBMP \"m.bmp\"\r\nMENUITEM 1 \"Open\"\r\nSEPARATOR\r\n"},
                                      {"skin.bmp", test::BitmapImage(skin)},
                                      {"font.bmp", test::BitmapImage(font)},
                                      {"hints.dat", "%MB_HEADER \"Brickmelody\"\r\n%A \"b\"\r\n"},
                                      {"empty.dat", ""},
                                      {"splash.wav", std::string(300, '\x11')},
                                      {"note_order.dat", "C\r\nC#\r\nD\r\n"}});
}

// Reads every entry every way there is.
void UseEverything(ResourceArchive& archive, const std::string& folder)
{
    for (const ArchiveEntry& entry : archive.Entries()) {
        std::string name(entry.Name());
        int32_t size = archive.GetEntrySize(name);
        ASSERT_GE(size, 0);
        std::string whole;
        if (archive.ReadWholeEntry(name, whole)) {
            EXPECT_EQ(whole.size(), static_cast<size_t>(size)) << name;
        }
        char buffer[64];
        EXPECT_LE(archive.ReadEntry(name, buffer, sizeof buffer, static_cast<size_t>(size) / 2), sizeof buffer);
        std::string text, line;
        if (ReadTextEntry(archive, name, text)) {
            std::string_view rest = text;
            while (NextLine(rest, line)) {
            }
        }
        std::vector<uint8_t> pixels;
        int32_t width = 0, height = 0;
        if (LoadBitmap24(archive, name, &pixels, &width, &height)) {
            EXPECT_EQ(pixels.size(), static_cast<size_t>(width) * static_cast<size_t>(height) * 3) << name;
        }
        if (LoadBitmap8(archive, name, &pixels, &width, &height)) {
            EXPECT_EQ(pixels.size(), static_cast<size_t>(width) * static_cast<size_t>(height)) << name;
        }
    }
    // Extraction writes durably (with a flush), so one name per round is enough.
    if (!archive.Entries().empty())
        archive.ExtractEntry(archive.Entries()[0].Name(), folder);
}

TEST(ArchiveMutationTest, DamagedArchivesNeverCrashOrEscape)
{
    const std::string valid = ValidArchive();
    const size_t directory = test::GetLE32(valid, 8);
    std::mt19937 random(20240611);
    test::TempDir dir;
    std::string path = dir / "mutated.wad";
    std::string folder = dir / "out/";
    std::string source = dir / "source.bin";
    ASSERT_TRUE(test::WriteFile(source, "added"));
    int opened = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        std::string bytes = valid;
        // Odd rounds damage only the header and the directory, where Open's
        // checks are; even rounds damage anywhere.
        bool structureOnly = round % 2 == 1;
        size_t damage = std::max<size_t>(1, bytes.size() / 100);
        for (size_t i = 0; i < damage; ++i) {
            size_t at = random() % bytes.size();
            if (structureOnly) {
                size_t region = 16 + (bytes.size() - directory);
                at = random() % region;
                at = at < 16 ? at : directory + (at - 16);
            }
            bytes[at] = static_cast<char>(random());
        }
        ASSERT_TRUE(test::WriteFile(path, bytes));

        ResourceArchive archive;
        Error error;
        if (!archive.Open(path, ArchiveAccess::ReadOnly, &error)) {
            EXPECT_FALSE(error.message.empty());
            continue;
        }
        ++opened;
        UseEverything(archive, folder);
        for (auto& item : std::filesystem::recursive_directory_iterator(dir.Path())) {
            std::string where = item.path().string();
            EXPECT_TRUE(where == path || where == source || where.rfind(folder, 0) == 0 || where + "/" == folder)
                << where;
        }

        // What Open accepts, our own changes keep acceptable.
        ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadWrite, &error)) << error.message;
        if (!archive.Entries().empty()) {
            EXPECT_TRUE(archive.RemoveEntry(std::string(archive.Entries()[0].Name()), &error)) << error.message;
        }
        EXPECT_TRUE(archive.AddFile("main_menu.res", source, &error)) << error.message;
        archive.Close();
        EXPECT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly, &error)) << error.message;
    }
    // The loop is only worth its time when both outcomes occur.
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, 100);
    RecordProperty("opened", opened);
}

} // namespace
} // namespace bm
