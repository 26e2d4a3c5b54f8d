#pragma once

// A skinned popup menu: a window of its own that draws the items of a menu
// description (MenuDescription.h) with the program's bitmap font, runs a
// modal loop, and posts the chosen command to the window it belongs to as
// msg::kCommand (wParam the command number): 1024 + n for an item, 1024
// when cancelled (Escape, focus loss, a press outside every open menu).
//
//     PopupMenu menu(archive, system, &mainHost, mainHost.Port(), font);
//     menu.SetImages(popupImages);            // tile, right border, icons
//     if (menu.Load("edit_menu.res", filter))
//         menu.Show(mainHost.ClientToScreen(point));
//
// Sub-menus open beside their item when the pointer rests on it, on a
// release over it, or on Right or Enter; Left or Escape closes only the
// sub-menu; a choice in a sub-menu closes the whole chain. A menu stays on
// the screen: it flips to the left of its point (or its parent) and upwards
// at the screen's edges. After a choice made in a sub-menu, closing also
// posts command 1025 with the chosen command as lParam (the owner releases
// the button that opened the menu).
//
// Drawing (sizes as the description gives them): a one-pixel frame in a
// light and a dark shade of the background colour; each item composed of
// the tiled background, the right picture at the item's right edge, the
// highlight bar (hot items), the icon cell (columns 0 disabled, 1 normal,
// 2 hot, 3 checked, 4 hot and checked; a check item without an icon gets a
// tick instead), the label, the right label or the sub-menu arrow. The 8-bit
// tile and right pictures are shades of the background colour: a byte v
// gives each channel × v / 128 (128 is the colour itself, 255 nearly twice
// as bright, 0 black).
//
// UI thread only.

#include "ui/skin/MenuDescription.h"
#include "ui/skin/SkinWindow.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace bm {

class BitmapFont;

namespace platform {
class MessagePort;
class WindowSystem;
} // namespace platform

// The five colours of a menu, 0x00RRGGBB.
struct MenuColours {
    uint32_t text = 0xE8E8E8;
    uint32_t background = 0x3A3F46;
    uint32_t highlightText = 0xFFFFFF;
    uint32_t highlight = 0x2F6FB5;
    uint32_t greyText = 0x8A8F96;
};

// Item states of the painter.
namespace menu_state {
constexpr int kHot = 1;
constexpr int kDisabled = 4;
constexpr int kChecked = 8;
} // namespace menu_state

class PopupMenu : public SkinWindow {
public:
    static constexpr int32_t kSeparatorHeight = 8;
    static constexpr uint32_t kSubMenuTimerId = 1;
    static constexpr uint32_t kSubMenuDelayMs = 300;

    // `owner` (may be null) is the window the menu belongs to and whose
    // covered part is repainted on closing; commands go to `target`.
    PopupMenu(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost* owner,
              platform::MessagePort& target, const BitmapFont& font);
    ~PopupMenu() override;

    // The owner's menu pictures; bitmap lines of the description replace them.
    void SetImages(const MenuImages& images);
    void SetColours(const MenuColours& colours) { m_colours = colours; }
    const MenuColours& Colours() const { return m_colours; }

    // Reads the description (running the filter on every item); true when
    // an item was accepted.
    bool Load(std::string_view entry, const MenuItemFilter& filter);
    MenuDescription& Description() { return *m_menu; }
    const MenuDescription& Description() const { return *m_menu; }

    // Measures the items, sizes the window and draws every item (none hot).
    void Layout();
    // Shows the menu with its top-left corner at the screen point (kept on
    // the screen) and runs its modal loop; returns the command it posted
    // (1024 when cancelled).
    int32_t Show(Point screen);
    // Closes the menu and its sub-menus as Escape on the top menu does.
    void Cancel();

    // Sizes (width, height) of an item, in the menu's font.
    Point MeasureItem(const MenuItem& item);
    int32_t TextColumnWidth() const { return m_textColumn; }
    // Composes an item into the canvas with a state of menu_state bits and
    // presents it.
    void DrawItem(size_t index, int state);
    void DrawFrame();
    // The index of the item under a client point, -1 when none; separators count.
    int ItemAt(int32_t x, int32_t y) const;
    int HotIndex() const { return m_hot; }
    void SetHot(int index);
    // The open sub-menu, or null.
    PopupMenu* OpenSubMenu() const { return m_child.get(); }
    PopupMenu* Parent() const { return m_parent; }
    bool IsOpen() const { return m_open; }
    // The menu's rectangle on the screen.
    Rect ScreenRect() const;

protected:
    void HandleEvent(const platform::WindowEvent& event) override;

private:
    PopupMenu(PopupMenu& parent, MenuDescription& description);

    PopupMenu& Root();
    PopupMenu& Deepest();
    int ItemState(size_t index) const;
    void RouteMouse(platform::EventType type, Point screen);
    void MouseAt(platform::EventType type, int32_t x, int32_t y);
    void KeyDown(int32_t key);
    void Step(int direction);
    void Activate(size_t index, bool fromKey);
    void OpenChild(size_t index, bool selectFirst);
    void CloseChild();
    void Choose(const MenuItem& item);
    void CloseChain(int32_t result);
    void HideAndRepaint();
    Point Place(Point wanted, const Rect* beside) const;
    uint32_t Shade(uint8_t value) const;

    platform::WindowSystem& m_system;
    platform::WindowHost* m_owner;
    platform::MessagePort& m_target;
    const BitmapFont& m_font;
    PopupMenu* m_parent = nullptr;
    MenuDescription m_ownMenu;
    MenuDescription* m_menu;
    MenuColours m_colours;
    int32_t m_textColumn = -1;
    int m_hot = -1;
    int m_childIndex = -1;
    std::unique_ptr<PopupMenu> m_child;
    // Closed sub-menus, destroyed once no event of theirs can be running.
    std::vector<std::unique_ptr<PopupMenu>> m_closed;
    bool m_open = false;
    int32_t m_pending = 0; // a sub-menu's choice, posted with 1025 on closing
    int32_t m_result = kMenuCommandBase;
};

} // namespace bm
