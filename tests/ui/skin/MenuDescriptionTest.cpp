#include "ui/skin/MenuDescription.h"

#include "SkinFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace bm {
namespace {

using namespace std::string_literals;

// A filter that drops items by a rule and records what it was offered.
class RuleFilter : public MenuItemFilter {
public:
    explicit RuleFilter(std::function<bool(std::string_view, MenuItem&)> rule) : m_rule(std::move(rule)) {}
    bool Filter(std::string_view entry, MenuItem& item) const override
    {
        offered.push_back(std::string(entry) + ":" + item.text);
        return m_rule(entry, item);
    }
    mutable std::vector<std::string> offered;

private:
    std::function<bool(std::string_view, MenuItem&)> m_rule;
};

std::vector<std::string> Texts(const MenuDescription& menu)
{
    std::vector<std::string> out;
    for (const MenuItem& item : menu.items)
        out.push_back(item.text);
    return out;
}

struct MenuCase {
    const char* name;
    std::string text;
    bool result;
    std::vector<std::string> texts;
};

class MenuLinesTest : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuLinesTest, BuildsTheItemsTheLinesGive)
{
    const MenuCase& c = GetParam();
    test::SkinArchive skin;
    skin.Add("menu.res", c.text).Add("sub.res", "MENUITEM \"Inner\", \"\", 7, 1, -1, 0\r\n");
    MenuDescription menu;
    EXPECT_EQ(LoadMenu(skin.Open(), "menu.res", KeepEveryItem{}, menu), c.result) << c.name;
    EXPECT_EQ(Texts(menu), c.texts) << c.name;
}

const std::string kItem = "MENUITEM \"Open\", \"Ctrl+O\", 5, 1, -1, 2\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, MenuLinesTest,
    ::testing::Values(
        MenuCase{"separators only", "SEPARATOR\r\nSEPARATOR\r\n", false, {}},
        MenuCase{"leading separator", "SEPARATOR\r\n" + kItem, true, {"Open"}},
        MenuCase{"two separators give one", kItem + "SEPARATOR\r\n  SEPARATOR\r\n" + kItem, true, {"Open", "-", "Open"}},
        MenuCase{"lower-case keywords", "menuitem \"a\", \"\", 1, 1, -1, 0\r\nseparator\r\n" + kItem, true, {"Open"}},
        MenuCase{"blank and unknown lines", "\r\n   \r\n; a comment\r\nITEM \"x\"\r\n" + kItem, true, {"Open"}},
        MenuCase{"last line without CR LF", kItem + "MENUITEM \"Late\", \"\", 1, 1, -1, 0", true, {"Open"}},
        MenuCase{"no quotes", "MENUITEM Open, 5, 1, -1, 0\r\n", true, {""}},
        MenuCase{"unterminated quote", "MENUITEM \"Open, 5, 1, -1, 0\r\n", true, {""}},
        MenuCase{"NUL ends the text", "MENUITEM \"A\", \"\", 1, 1, -1, 0\r\n\0MENUITEM \"B\"\r\n"s, true, {"A"}},
        MenuCase{"popup", "POPUP \"More\", \"sub.res\", 1, 3, 99\r\n", true, {"More"}},
        MenuCase{"popup of a missing entry", "POPUP \"More\", \"nothing.res\", 1, 3\r\n" + kItem, true, {"Open"}},
        MenuCase{"popup naming itself", "POPUP \"Again\", \"menu.res\", 1, 0\r\n", false, {}},
        MenuCase{"popup naming itself in capitals", "POPUP \"Again\", \"MENU.RES\", 1, 0\r\n" + kItem, true, {"Open"}}));

TEST(MenuDescriptionTest, ReadsFieldsInTheirOrder)
{
    test::SkinArchive skin;
    skin.Add("menu.res", "HELPFILE \"HTMLHelp/Menu.htm\"\r\n"
                         "MENUITEM \"Open\" ,  \"Ctrl+O\" , 5 ,0, 1 , 2, 99\r\n"
                         "MENUITEM \"Huge\", \"\", 99999999999, 1, -1, -3\r\n"
                         "MENUITEM \"Low\", \"\", -99999999999, 1, -1, -3\r\n"
                         "MENUITEM \"Few\"\r\n");
    MenuDescription menu;
    ASSERT_TRUE(LoadMenu(skin.Open(), "menu.res", KeepEveryItem{}, menu));
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(menu.helpFile, "HTMLHelp/Menu.htm");
    const MenuItem& open = menu.items[0];
    EXPECT_EQ(open.commandId, 1029);
    EXPECT_EQ(open.rightText, "Ctrl+O");
    EXPECT_EQ(open.enabled, 0);
    EXPECT_EQ(open.checked, 1);
    EXPECT_EQ(open.iconIndex, 2);
    // Numbers past 32 bits saturate, and so does the command made of them.
    EXPECT_EQ(menu.items[1].commandId, INT32_MAX);
    EXPECT_EQ(menu.items[2].commandId, INT32_MIN + 1024);
    // Missing fields read as 0 and empty.
    EXPECT_EQ(menu.items[3].commandId, 1024);
    EXPECT_EQ(menu.items[3].enabled, 0);
    EXPECT_EQ(menu.items[3].checked, 0);
    EXPECT_EQ(menu.items[3].rightText, "");
}

TEST(MenuDescriptionTest, TheFilterDecidesAndEmptySubMenusDisappear)
{
    test::SkinArchive skin;
    skin.Bitmap24("icons.bmp", 80, 32, [](int32_t x, int32_t) { return x + 1u; })
        .Bitmap8("tile.bmp", 4, 4, [](int32_t, int32_t) { return 100u; })
        .Add("menu.res", "TILEBMP \"tile.bmp\"\r\nICONBMP \"icons.bmp\", 16, 16\r\nRIGHTBMP \"nothing.bmp\"\r\n"
                         "MENUITEM \"Cut\", \"\", 100, 1, -1, 0\r\n"
                         "SEPARATOR\r\n"
                         "POPUP \"Refused\", \"refused.res\", 1, 0\r\n"
                         "POPUP \"Kept\", \"kept.res\", 1, 1\r\n"
                         "MENUITEM \"Paste\", \"\", 101, 1, -1, 0\r\n")
        .Add("refused.res", "MENUITEM \"Drop me\", \"\", 7, 1, -1, 0\r\nSEPARATOR\r\n")
        .Add("kept.res", "MENUITEM \"Keep me\", \"\", 8, 1, 0, 0\r\n");
    RuleFilter filter([](std::string_view, MenuItem& item) {
        if (item.text == "Drop me")
            return false;
        if (item.text == "Paste")
            item.enabled = 0;
        if (item.text == "Keep me")
            item.checked = 1;
        return true;
    });
    MenuDescription menu;
    ASSERT_TRUE(LoadMenu(skin.Open(), "menu.res", filter, menu));
    EXPECT_EQ(Texts(menu), (std::vector<std::string>{"Cut", "-", "Kept", "Paste"}));
    EXPECT_EQ(menu.items[3].enabled, 0);
    // The kept sub-menu shares the parent's images and took the filter's state.
    const MenuItem& kept = menu.items[2];
    ASSERT_TRUE(kept.subMenu);
    EXPECT_EQ(kept.subMenu->entry, "kept.res");
    EXPECT_EQ(kept.subMenu->items[0].checked, 1);
    EXPECT_EQ(kept.subMenu->images.icons, menu.images.icons);
    EXPECT_EQ(kept.subMenu->images.tile, menu.images.tile);
    EXPECT_EQ(menu.images.iconCellWidth, 16);
    EXPECT_EQ(menu.images.right, nullptr); // a missing bitmap leaves none
    ASSERT_EQ(menu.bitmaps.size(), 3u);
    EXPECT_FALSE(menu.bitmaps[2].loaded);
    EXPECT_EQ(menu.droppedSubMenus, (std::vector<std::string>{"refused.res"}));
    // Each item was offered with the entry it came from; the separator of
    // the refused sub-menu had nothing before it and was not offered.
    EXPECT_EQ(filter.offered,
              (std::vector<std::string>{"menu.res:Cut", "menu.res:-", "menu.res:Refused", "refused.res:Drop me",
                                        "menu.res:Kept", "kept.res:Keep me", "menu.res:Paste"}));
}

TEST(MenuDescriptionTest, RecursionStopsAtCyclesAndDepth)
{
    test::SkinArchive skin;
    // a -> b -> a: the inner a is refused, so b has only its own item.
    skin.Add("a.res", "POPUP \"To b\", \"b.res\", 1, 0\r\n")
        .Add("b.res", "POPUP \"To a\", \"a.res\", 1, 0\r\nMENUITEM \"In b\", \"\", 1, 1, -1, 0\r\n");
    // A chain deeper than the limit: level0 -> level1 -> ... -> level11.
    for (int i = 0; i < 12; ++i)
        skin.Add("level" + std::to_string(i) + ".res", "POPUP \"Down\", \"level" + std::to_string(i + 1) + ".res\", 1, 0\r\n"
                                                          "MENUITEM \"Here\", \"\", 1, 1, -1, 0\r\n");
    ResourceArchive& archive = skin.Open();
    MenuDescription cycle;
    ASSERT_TRUE(LoadMenu(archive, "a.res", KeepEveryItem{}, cycle));
    ASSERT_EQ(cycle.items.size(), 1u);
    EXPECT_EQ(Texts(*cycle.items[0].subMenu), (std::vector<std::string>{"In b"}));

    MenuDescription deep;
    ASSERT_TRUE(LoadMenu(archive, "level0.res", KeepEveryItem{}, deep));
    int depth = 1;
    for (const MenuDescription* m = &deep; m->items[0].subMenu; m = m->items[0].subMenu.get())
        ++depth;
    EXPECT_EQ(depth, kMaxMenuDepth);
}

TEST(MenuDescriptionTest, VeryLongLinesAreReadWhole)
{
    test::SkinArchive skin;
    const std::string label(1 << 20, 'x');
    skin.Add("menu.res", "MENUITEM \"" + label + "\", \"\", 3, 1, -1, 0\r\n");
    MenuDescription menu;
    ASSERT_TRUE(LoadMenu(skin.Open(), "menu.res", KeepEveryItem{}, menu));
    EXPECT_EQ(menu.items.at(0).text.size(), label.size());
    EXPECT_EQ(menu.items[0].commandId, 1027);
}

} // namespace
} // namespace bm
