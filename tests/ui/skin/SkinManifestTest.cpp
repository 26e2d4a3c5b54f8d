#include "ui/skin/SkinManifest.h"

#include "core/Text.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace bm {
namespace {

TEST(SkinManifestTest, NamesEveryEntryAndKeyOnce)
{
    std::set<std::string> names;
    for (const SkinEntry& entry : SkinManifest()) {
        EXPECT_TRUE(names.insert(ToLowerAscii(entry.name)).second) << entry.name;
        EXPECT_LE(entry.name.size(), 59u) << entry.name;
        EXPECT_EQ(FindSkinEntry(ToLowerAscii(entry.name)), &entry);
    }
    for (const char* name : {"IF8060.bmp", "main_menu.res", "hints.dat", "splash.wav", "note_order.dat", "sp_01.bmp",
                             "DF 26X12 8pt.BMP", "Options.res", "m14lb.bmp", "icon32.bmp"})
        EXPECT_NE(FindSkinEntry(name), nullptr) << name;
    EXPECT_EQ(FindSkinEntry("DF 26X12 8pt.BMP")->font.cellWidth, 26);
    EXPECT_EQ(FindSkinEntry("Options.res")->lines, 32);

    ASSERT_EQ(HintKeys().size(), 60u);
    std::set<std::string_view> keys;
    for (const HintKey& key : HintKeys()) {
        EXPECT_TRUE(keys.insert(key.key).second) << key.key;
        EXPECT_EQ(key.key.front(), '%');
        EXPECT_EQ(key.key.back(), ' ');
    }
    // Messages first, control hints in their search order, readouts last.
    EXPECT_EQ(HintKeys().front().key, "%ADD_SAMPLES ");
    EXPECT_EQ(HintKeys()[23].key, "%TRANS_HOME ");
    EXPECT_EQ(HintKeys().back().key, "%CHORD_NAME ");
}

SkinCheck Check(ResourceArchive& archive, std::string_view name)
{
    return CheckSkinEntry(archive, *FindSkinEntry(name));
}

TEST(SkinManifestTest, ChecksPresenceAndForm)
{
    test::SkinArchive skin;
    std::string hints;
    for (const HintKey& key : HintKeys())
        hints += std::string(key.key) + "0x1 0x2 0x3 \"text\" 0\r\n";
    skin.Bitmap24("IF8060.bmp", 8, 4, [](int32_t, int32_t) { return 1u; })
        .Bitmap24("movebar.bmp", 8, 4, [](int32_t, int32_t) { return 1u; }) // 24-bit where 8 is needed
        .FontStrip("western--14x12-8pt.bmp", 4, 6, 0, 255)
        .FontStrip("DF 26X12 8pt.BMP", 26, 12, 48, 100) // too few cells
        .Add("main_menu.res", "TILEBMP \"gone.bmp\"\r\nMENUITEM \"A\", \"\", 1, 1, -1, 0\r\nPOPUP \"B\", \"lost.res\", 1, 0\r\n")
        .Add("edit_menu.res", "SEPARATOR\r\n")
        .Add("hints.dat", hints)
        .Add("BPM_Select.res", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8")
        .Add("Options.res", "only\r\ntwo\r\n")
        .Add("splash.wav", std::string("RIFF\x04\0\0\0WAVE", 12))
        .Add("sp_01.bmp", "RIFF");
    ResourceArchive& archive = skin.Open();

    EXPECT_TRUE(Check(archive, "IF8060.bmp").ok);
    EXPECT_EQ(Check(archive, "IF8060.bmp").detail, "24-bit 8 x 4");
    const SkinCheck bar = Check(archive, "movebar.bmp");
    EXPECT_TRUE(bar.present);
    EXPECT_FALSE(bar.ok);
    EXPECT_NE(bar.detail.find("is 24-bit"), std::string::npos);
    EXPECT_TRUE(Check(archive, "western--14x12-8pt.bmp").ok);
    EXPECT_FALSE(Check(archive, "DF 26X12 8pt.BMP").ok);
    const SkinCheck menu = Check(archive, "main_menu.res");
    EXPECT_FALSE(menu.ok);
    EXPECT_NE(menu.detail.find("gone.bmp"), std::string::npos);
    EXPECT_NE(menu.detail.find("lost.res"), std::string::npos);
    EXPECT_FALSE(Check(archive, "edit_menu.res").ok);
    EXPECT_TRUE(Check(archive, "hints.dat").ok);
    EXPECT_TRUE(Check(archive, "BPM_Select.res").ok); // the last line counts for a text list
    EXPECT_FALSE(Check(archive, "Options.res").ok);
    EXPECT_TRUE(Check(archive, "splash.wav").ok);
    EXPECT_FALSE(Check(archive, "sp_01.bmp").ok);
    const SkinCheck missing = Check(archive, "icon19.bmp");
    EXPECT_FALSE(missing.present);
    EXPECT_EQ(missing.detail, "missing");
}

} // namespace
} // namespace bm
