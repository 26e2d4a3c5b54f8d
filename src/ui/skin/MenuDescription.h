#pragma once

// Menu descriptions: text entries of the archive ("main_menu.res", ...) that
// name a menu's bitmaps, its items with their command numbers and initial
// state, and its sub-menus, each again a description entry.
//
// Lines are trimmed and recognised by the keyword at their start, exact
// case, tested in this order (the first that matches decides):
//     TILEBMP "popup_tile.bmp"                  8-bit background tile
//     RIGHTBMP "popup_right.bmp"                8-bit picture at the right edge
//     ICONBMP "icon19.bmp", 19, 19              24-bit icon strip, cell w, h
//     HELPFILE "HTMLHelp/Menu.htm"
//     MENUITEM "Open...", "Ctrl+O", 133, 1, -1, 4   label, right label, n, enabled, checked, icon
//     POPUP "Recent", "recent_menu.res", 1, 2        label, sub-menu entry, enabled, icon
//     SEPARATOR
// A quoted field is the text between the next two double quotes; a number
// is the decimal integer after the next comma. MENUITEM n gives command
// 1024 + n. Unknown lines are ignored.
//
// Before an item is added it is offered to an item filter (the main window
// decides from its state whether the item applies and how it looks). A
// separator is neither offered nor added at the top of a menu or after
// another separator. A POPUP item that the filter keeps loads its sub-menu
// (which shares the parent's images); a sub-menu left without any item is
// dropped together with its item.

#include "ui/skin/Image.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

class ResourceArchive;

constexpr int32_t kMenuCommandBase = 1024;   // MENUITEM n posts 1024 + n; 1024 alone: cancelled
constexpr int32_t kMenuSubMenuValue = 1025;  // posted on closing with a sub-menu's choice
// Sub-menus deeper than this are refused (a description that names itself
// or one of its parents would otherwise never end).
constexpr int kMaxMenuDepth = 8;

struct MenuDescription;

struct MenuItem {
    int32_t commandId = 0;  // 1024 + n; for a sub-menu item the command chosen in it
    int32_t iconIndex = 0;  // row of the icon strip; negative: no icon
    int32_t enabled = 1;    // 0: greyed, not selectable
    int32_t checked = -1;   // -1 not a check item, 0 unchecked, other: checked
    std::string text;       // "-" for a separator
    std::string rightText;  // MENUITEM: right-hand label; POPUP: the sub-menu's entry
    std::unique_ptr<MenuDescription> subMenu;
    int32_t hot = 0;
    Rect rect; // place in the menu window, set by the layout

    bool IsSeparator() const { return text == "-"; }
    bool IsSubMenu() const { return subMenu != nullptr; }
};

// An 8-bit or 24-bit menu picture that a menu and its sub-menus share.
struct MenuImages {
    std::shared_ptr<const Image8> tile;
    std::shared_ptr<const Image8> right;
    std::shared_ptr<const Image24> icons;
    int32_t iconCellWidth = 16;
    int32_t iconCellHeight = 16;
};

struct MenuDescription {
    std::string entry; // the description's archive entry
    std::vector<MenuItem> items;
    std::string helpFile;
    MenuImages images;
    // The bitmaps the description named, with whether each loaded.
    struct NamedBitmap {
        std::string keyword; // TILEBMP, RIGHTBMP or ICONBMP
        std::string entry;
        bool loaded = false;
        int32_t width = 0;
        int32_t height = 0;
    };
    std::vector<NamedBitmap> bitmaps;
    // Sub-menu entries that could not be loaded (missing, refused for depth
    // or a cycle, or empty after filtering).
    std::vector<std::string> droppedSubMenus;
};

// Decides per item whether it is shown and how: the main window knows which
// commands apply now. May change enabled, checked, the texts and the icon;
// returns false to drop the item. `entry` is the description the item is in.
class MenuItemFilter {
public:
    virtual ~MenuItemFilter() = default;
    virtual bool Filter(std::string_view entry, MenuItem& item) const = 0;
};

// Keeps every item as written (tests and tools).
class KeepEveryItem : public MenuItemFilter {
public:
    bool Filter(std::string_view, MenuItem&) const override { return true; }
};

// Loads the description `entry` into `menu` (whose images it starts from and
// replaces where the description names bitmaps). True when at least one
// MENUITEM or POPUP item was added; a missing entry gives no items and false.
bool LoadMenu(const ResourceArchive& archive, std::string_view entry, const MenuItemFilter& filter,
              MenuDescription& menu);

// The same from a description text (sub-menus are still read from the archive).
bool LoadMenuText(const ResourceArchive& archive, std::string_view entry, std::string_view text,
                  const MenuItemFilter& filter, MenuDescription& menu);

} // namespace bm
