#include "ui/skin/PopupMenu.h"

#include "ui/skin/BitmapFont.h"

#include "platform/HeadlessWindowSystem.h"
#include "SkinFixture.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using platform::HeadlessWindowHost;
using platform::WindowKind;
namespace vk = platform::vk;

// Icon strip: 5 columns of 16-pixel cells, 2 rows; each cell one colour.
uint32_t IconColour(int column, int row) { return 0x200000u * static_cast<uint32_t>(row + 1) + 0x20u * static_cast<uint32_t>(column + 1); }

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_skin.FontStrip("font.bmp", 6, 8, 0, 255)
            .Bitmap24("icons.bmp", 80, 32, [](int32_t x, int32_t y) { return IconColour(x / 16, y / 16); })
            .Add("menu.res", "ICONBMP \"icons.bmp\", 16, 16\r\n"
                             "MENUITEM \"Open\", \"O\", 1, 1, -1, 0\r\n"
                             "SEPARATOR\r\n"
                             "MENUITEM \"Off\", \"\", 2, 0, -1, 1\r\n"
                             "MENUITEM \"Mark\", \"\", 3, 1, 1, 1\r\n"
                             "POPUP \"More\", \"sub.res\", 1, -1\r\n"
                             "SEPARATOR\r\n"
                             "MENUITEM \"Last\", \"\", 4, 1, -1, -1\r\n")
            .Bitmap8("tile.bmp", 2, 1, [](int32_t x, int32_t) { return x == 0 ? 64u : 255u; })
            .Bitmap8("right.bmp", 3, 1, [](int32_t, int32_t) { return 128u; })
            .Add("tiled.res", "TILEBMP \"tile.bmp\"\r\nRIGHTBMP \"right.bmp\"\r\nMENUITEM \"Tiled\", \"\", 1, 1, -1, -1\r\n")
            .Add("sub.res", "MENUITEM \"Inner\", \"\", 10, 1, -1, -1\r\nMENUITEM \"Other\", \"\", 11, 1, -1, -1\r\n");
        ResourceArchive& archive = m_skin.Open();
        ASSERT_TRUE(m_font.LoadFont(archive, "font.bmp", 0, 0, 0, 255));
        m_owner = m_system.CreateWindow(WindowKind::Main, nullptr);
        m_owner->SetClientSize(800, 600);
        m_owner->AttachCanvas(m_ownerCanvas.pixels.data(), 800, 600);
        m_owner->Move({100, 100});
        m_menu = std::make_unique<PopupMenu>(archive, m_system, m_owner.get(), m_port, m_font);
        ASSERT_TRUE(m_menu->Load("menu.res", KeepEveryItem{}));
    }

    HeadlessWindowHost& MenuHost() { return static_cast<HeadlessWindowHost&>(m_menu->Host()); }
    static HeadlessWindowHost& HostOf(PopupMenu& menu) { return static_cast<HeadlessWindowHost&>(menu.Host()); }

    // The commands posted so far, as "number:argument".
    std::vector<std::string> Posted()
    {
        std::vector<std::string> out;
        for (const platform::Message& m : m_port.Take()) {
            EXPECT_EQ(m.number, platform::msg::kCommand);
            out.push_back(std::to_string(m.wParam) + ":" + std::to_string(m.lParam));
        }
        return out;
    }

    // Shows the menu at (200, 200) and runs `script` inside its loop.
    int32_t Run(std::function<void(HeadlessWindowHost&)> script)
    {
        m_system.OnModal([&](HeadlessWindowHost& host) {
            if (&host == &MenuHost())
                script(host);
        });
        return m_menu->Show({200, 200});
    }

    test::SkinArchive m_skin;
    test::ClipGuard m_clip;
    BitmapFont m_font;
    platform::HeadlessWindowSystem m_system{{0, 0, 1023, 767}};
    Image24 m_ownerCanvas{800, 600, 0x123456};
    std::unique_ptr<platform::WindowHost> m_owner;
    platform::RecordingMessagePort m_port;
    std::unique_ptr<PopupMenu> m_menu;
};

TEST_F(PopupMenuTest, ItemsAreMeasuredAsTheirLabelsAndIconsNeed)
{
    m_menu->Layout();
    const auto& items = m_menu->Description().items;
    ASSERT_EQ(items.size(), 7u);
    // Text column: the widest command label + icon cell + 4.
    int32_t column = 0;
    for (const char* label : {"Open", "Off", "Mark", "Last"})
        column = std::max(column, m_font.TextWidth(label) + 16 + 4);
    EXPECT_EQ(m_menu->TextColumnWidth(), column);
    EXPECT_EQ(m_menu->MeasureItem(items[0]), (Point{m_font.TextWidth("O") + column + 14, 16}));
    EXPECT_EQ(m_menu->MeasureItem(items[1]), (Point{0, 8}));
    EXPECT_EQ(m_menu->MeasureItem(items[4]), (Point{m_font.TextWidth("More") + 16 + 30, 16}));
    // Stacked inside a one-pixel frame.
    EXPECT_EQ(items[0].rect.top, 1);
    EXPECT_EQ(items[1].rect, (Rect{1, 17, m_menu->Canvas().width - 2, 24}));
    EXPECT_EQ(m_menu->Canvas().height, 5 * 16 + 2 * 8 + 2);
}

TEST_F(PopupMenuTest, TheRightPictureGetsRoomOfItsOwnSoShortcutsKeepClearOfLabels)
{
    auto right = std::make_shared<Image8>();
    right->width = 20;
    right->height = 16;
    right->pixels.assign(20 * 16, 128);
    m_menu->Description().images.right = right;
    m_menu->Layout();
    const auto& items = m_menu->Description().items;
    const int32_t column = m_menu->TextColumnWidth();
    EXPECT_EQ(m_menu->MeasureItem(items[0]), (Point{m_font.TextWidth("O") + column + 14 + 20, 16}));
    EXPECT_EQ(m_menu->MeasureItem(items[4]), (Point{m_font.TextWidth("More") + 16 + 30 + 20, 16}));
}

TEST_F(PopupMenuTest, DrawsFrameShadesIconColumnsAndTheHotBar)
{
    MenuColours colours;
    colours.background = 0x30C850; // light: 0x30+80, 0xFF (above 174), 0x50+80; dark: 0, 0x78, 0
    m_menu->SetColours(colours);
    m_menu->Layout();
    const Image24& canvas = m_menu->Canvas();
    EXPECT_EQ(canvas.Pixel(0, 0), 0x80FFA0u);
    EXPECT_EQ(canvas.Pixel(canvas.width - 1, canvas.height - 1), 0x007800u);
    const auto& items = m_menu->Description().items;
    // The disabled item draws icon column 0; the checked one column 3.
    EXPECT_EQ(canvas.Pixel(items[2].rect.left + 3, items[2].rect.top + 3), IconColour(0, 1));
    EXPECT_EQ(canvas.Pixel(items[0].rect.left + 3, items[0].rect.top + 3), IconColour(1, 0));
    EXPECT_EQ(canvas.Pixel(items[3].rect.left + 3, items[3].rect.top + 3), IconColour(3, 1));
    // A plain item without an icon has the background in the icon column.
    EXPECT_EQ(canvas.Pixel(items[6].rect.left + 1, items[6].rect.top + 1), 0x30C850u);
    m_menu->SetHot(3); // hot and checked: column 4, and the bar behind the text
    EXPECT_EQ(canvas.Pixel(items[3].rect.left + 3, items[3].rect.top + 3), IconColour(4, 1));
    EXPECT_EQ(canvas.Pixel(items[3].rect.right - 1, items[3].rect.top + 1), colours.highlight);
    EXPECT_EQ(HostOf(*m_menu).ScreenPixel(items[3].rect.right - 1, items[3].rect.top + 1), colours.highlight);
    m_menu->SetHot(0);
    EXPECT_EQ(canvas.Pixel(items[3].rect.right - 1, items[3].rect.top + 1), 0x30C850u);
}

TEST_F(PopupMenuTest, TileAndRightPicturesAreShadesOfTheBackground)
{
    MenuColours colours;
    colours.background = 0x408020;
    m_menu->SetColours(colours);
    ASSERT_TRUE(m_menu->Load("tiled.res", KeepEveryItem{}));
    m_menu->Layout();
    const Image24& canvas = m_menu->Canvas();
    const Rect r = m_menu->Description().items[0].rect;
    EXPECT_EQ(canvas.Pixel(2, r.bottom), 0x204010u);     // byte 64: half the colour (tiles start at x 0)
    EXPECT_EQ(canvas.Pixel(3, r.bottom), 0x7FFF3Fu);     // byte 255: nearly twice, each channel at most 255
    EXPECT_EQ(canvas.Pixel(r.right, r.top), 0x408020u);  // the right picture's byte 128: the colour itself
    EXPECT_EQ(canvas.Pixel(r.right - 3, r.bottom), canvas.Pixel(r.right - 5, r.bottom)); // left of it the tile goes on
}

TEST_F(PopupMenuTest, UpAndDownWrapAndSkipSeparators)
{
    std::vector<int> hot;
    Run([&](HeadlessWindowHost& host) {
        for (int32_t key : {vk::kDown, vk::kDown, vk::kDown, vk::kDown, vk::kDown, vk::kDown, vk::kUp, vk::kUp}) {
            host.Key(key);
            hot.push_back(m_menu->HotIndex());
        }
        host.Key(vk::kEscape);
    });
    EXPECT_EQ(hot, (std::vector<int>{0, 2, 3, 4, 6, 0, 6, 4}));
    EXPECT_EQ(Posted(), (std::vector<std::string>{"1024:0"}));

    m_port.Take();
    Run([&](HeadlessWindowHost& host) {
        host.Key(vk::kUp); // from none, Up starts at the last item
        hot.push_back(m_menu->HotIndex());
        host.Key(vk::kReturn);
    });
    EXPECT_EQ(hot.back(), 6);
    EXPECT_EQ(Posted(), (std::vector<std::string>{"1028:0"}));
}

TEST_F(PopupMenuTest, EnterAndReleasesChooseOnlyEnabledItems)
{
    const int32_t result = Run([&](HeadlessWindowHost& host) {
        host.Key(vk::kReturn); // nothing hot
        host.Key(vk::kDown);
        host.Key(vk::kDown); // the disabled item
        host.Key(vk::kReturn);
        const Rect sep = m_menu->Description().items[1].rect;
        host.Release(sep.left + 5, sep.top + 2); // a separator
        host.RightPress(20, 5); // pressing does nothing
        const Rect open = m_menu->Description().items[0].rect;
        host.RightRelease(open.left + 5, open.top + 5);
    });
    EXPECT_EQ(result, 1025);
    EXPECT_EQ(Posted(), (std::vector<std::string>{"1025:0"}));
    EXPECT_FALSE(MenuHost().IsVisible());
    EXPECT_EQ(MenuHost().ModalResults(), (std::vector<int>{1025}));
}

TEST_F(PopupMenuTest, FocusLossAndPressesOutsideCancel)
{
    EXPECT_EQ(Run([](HeadlessWindowHost& host) { host.LoseFocus(); }), 1024);
    EXPECT_EQ(Run([](HeadlessWindowHost& host) { host.Press(-30, -30); }), 1024);
    // Releases outside do nothing: the host ends the loop itself.
    EXPECT_EQ(Run([](HeadlessWindowHost& host) { host.Release(-30, -30); }), 1024);
    EXPECT_EQ(MenuHost().ForcedModalEnds(), 1);
    EXPECT_EQ(Posted(), (std::vector<std::string>{"1024:0", "1024:0"}));
}

TEST_F(PopupMenuTest, SubMenusOpenBesideTheirItemAndCloseOnTheirOwn)
{
    PopupMenu* child = nullptr;
    Run([&](HeadlessWindowHost& host) {
        for (int i = 0; i < 4; ++i)
            host.Key(vk::kDown); // onto "More"
        host.Key(vk::kRight);
        child = m_menu->OpenSubMenu();
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(HostOf(*child).IsVisible());
        EXPECT_EQ(child->HotIndex(), 0);
        const Rect parent = m_menu->ScreenRect();
        EXPECT_EQ(child->ScreenRect().left, parent.right - 1);
        host.Key(vk::kDown); // keys go to the open sub-menu
        EXPECT_EQ(child->HotIndex(), 1);
        host.Key(vk::kLeft); // closes only the sub-menu
        EXPECT_EQ(m_menu->OpenSubMenu(), nullptr);
        EXPECT_TRUE(MenuHost().IsVisible());
        EXPECT_EQ(m_menu->HotIndex(), 4);

        // Resting the pointer on the item opens it too.
        const Rect more = m_menu->Description().items[4].rect;
        host.MoveTo(more.left + 3, more.top + 3);
        host.MoveTo(more.left + 4, more.top + 3);
        ASSERT_TRUE(host.FireTimer(PopupMenu::kSubMenuTimerId));
        child = m_menu->OpenSubMenu();
        ASSERT_NE(child, nullptr);
        // A release in the sub-menu (delivered to the top menu, which holds
        // the mouse) chooses its item and closes the chain.
        const Rect inner = child->Description().items[1].rect;
        const Point screen = HostOf(*child).ClientToScreen({inner.left + 5, inner.top + 5});
        const Point client = host.ScreenToClient(screen);
        host.MoveTo(client.x, client.y);
        EXPECT_EQ(child->HotIndex(), 1);
        host.Release(client.x, client.y);
    });
    EXPECT_EQ(Posted(), (std::vector<std::string>{"1035:0", "1025:1035"}));
    EXPECT_EQ(m_menu->Description().items[4].commandId, 1035);
    EXPECT_FALSE(MenuHost().IsVisible());
    EXPECT_EQ(m_system.Windows().size(), 1u + 1u); // the owner and the top menu; sub-menus are gone
}

TEST_F(PopupMenuTest, MenusStayOnTheScreenAndRepaintTheOwnerOnClosing)
{
    m_owner->Move({300, 200});
    m_system.OnModal([](HeadlessWindowHost& host) { host.Key(vk::kEscape); });
    m_menu->Show({1000, 750});
    const Rect shown = m_menu->ScreenRect();
    EXPECT_EQ(shown.right, 1000 - 1); // flipped left of the point
    EXPECT_EQ(shown.bottom, 750 - 1); // and above it
    auto& owner = static_cast<HeadlessWindowHost&>(*m_owner);
    ASSERT_FALSE(owner.Presented().empty());
    EXPECT_EQ(owner.Presented().back(), shown.Translated(-300, -200));
    EXPECT_EQ(owner.ScreenPixel(shown.left - 300, shown.top - 200), 0x123456u);

    m_menu->Show({-50, 10});
    EXPECT_EQ(m_menu->ScreenRect().left, 0);
}

TEST_F(PopupMenuTest, AFilteredMenuOffersOnlyWhatTheFilterKeeps)
{
    class NoPopups : public MenuItemFilter {
    public:
        bool Filter(std::string_view, MenuItem& item) const override
        {
            if (item.text == "Open")
                item.text = "Open now";
            return item.rightText != "sub.res";
        }
    };
    ASSERT_TRUE(m_menu->Load("menu.res", NoPopups{}));
    std::vector<std::string> texts;
    for (const MenuItem& item : m_menu->Description().items)
        texts.push_back(item.text);
    // Dropping "More" leaves two separators in a row only when they are written so.
    EXPECT_EQ(texts, (std::vector<std::string>{"Open now", "-", "Off", "Mark", "-", "Last"}));
}

} // namespace
} // namespace bm
