#include "ui/skin/PopupMenu.h"

#include "platform/MessagePort.h"
#include "platform/WindowHost.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/PixelOps.h"

#include <algorithm>
#include <array>

namespace bm {

using platform::EventType;
using platform::WindowEvent;
namespace vk = platform::vk;

namespace {

// Cell sizes are clamped for the layout, so that a malformed ICONBMP line
// gives a usable menu instead of items of no height or of absurd widths.
int32_t CellSize(int32_t value, int32_t fallback)
{
    if (value <= 0)
        return fallback;
    return std::min(value, 256);
}

uint32_t Lighter(uint32_t colour)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (colour >> shift) & 0xFF;
        out |= (c > 174 ? 255 : c + 80) << shift;
    }
    return out;
}

uint32_t Darker(uint32_t colour)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (colour >> shift) & 0xFF;
        out |= (c <= 80 ? 0 : c - 80) << shift;
    }
    return out;
}

void Post(platform::MessagePort& port, int32_t command, int64_t argument)
{
    platform::Message message;
    message.number = platform::msg::kCommand;
    message.wParam = command;
    message.lParam = argument;
    port.Post(std::move(message));
}

} // namespace

PopupMenu::PopupMenu(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost* owner,
                     platform::MessagePort& target, const BitmapFont& font)
    : SkinWindow(archive, system.CreateWindow(platform::WindowKind::Popup, owner)),
      m_system(system),
      m_owner(owner),
      m_target(target),
      m_font(font),
      m_menu(&m_ownMenu)
{
    SetFont(&font);
}

PopupMenu::PopupMenu(PopupMenu& parent, MenuDescription& description)
    : SkinWindow(parent.Archive(), parent.m_system.CreateWindow(platform::WindowKind::Popup, &parent.Host())),
      m_system(parent.m_system),
      m_owner(parent.m_owner),
      m_target(parent.m_target),
      m_font(parent.m_font),
      m_parent(&parent),
      m_menu(&description),
      m_colours(parent.m_colours)
{
    SetFont(&m_font);
}

PopupMenu::~PopupMenu() = default;

void PopupMenu::SetImages(const MenuImages& images)
{
    m_menu->images = images;
}

bool PopupMenu::Load(std::string_view entry, const MenuItemFilter& filter)
{
    MenuImages images = m_menu->images;
    *m_menu = MenuDescription{};
    m_menu->images = std::move(images);
    m_textColumn = -1;
    m_hot = -1;
    return LoadMenu(Archive(), entry, filter, *m_menu);
}

Point PopupMenu::MeasureItem(const MenuItem& item)
{
    const int32_t iconWidth = CellSize(m_menu->images.iconCellWidth, 16);
    const int32_t height = CellSize(m_menu->images.iconCellHeight, 16);
    if (item.IsSeparator())
        return {0, kSeparatorHeight};
    if (m_textColumn < 0) {
        m_textColumn = 0;
        for (const MenuItem& other : m_menu->items) {
            if (!other.IsSeparator() && !other.IsSubMenu())
                m_textColumn = std::max(m_textColumn, m_font.TextWidth(other.text) + iconWidth + 4);
        }
    }
    // The right picture takes the item's right end; the arrow and the
    // shortcut are drawn left of it, so it is room of its own.
    const Image8* right = m_menu->images.right.get();
    const int32_t rightPicture = right && !right->Empty() ? right->width : 0;
    if (item.IsSubMenu())
        return {m_font.TextWidth(item.text) + iconWidth + 30 + rightPicture, height};
    return {m_font.TextWidth(item.rightText) + m_textColumn + 14 + rightPicture, height};
}

void PopupMenu::Layout()
{
    m_textColumn = -1;
    int32_t width = 0, height = 0;
    std::vector<Point> sizes;
    for (const MenuItem& item : m_menu->items) {
        sizes.push_back(MeasureItem(item));
        width = std::max(width, sizes.back().x);
        height += sizes.back().y;
    }
    // Room for the frame; a menu is never narrower than a few icon cells.
    width = std::max(width, 3 * CellSize(m_menu->images.iconCellWidth, 16)) + 2;
    height += 2;
    int32_t top = 1;
    for (size_t i = 0; i < m_menu->items.size(); ++i) {
        MenuItem& item = m_menu->items[i];
        item.rect = {1, top, width - 2, top + sizes[i].y - 1};
        item.hot = 0;
        top += sizes[i].y;
    }
    m_hot = -1;
    ResizeCanvas(width, height, m_colours.background);
    DrawFrame();
    for (size_t i = 0; i < m_menu->items.size(); ++i)
        DrawItem(i, ItemState(i));
    Blit(Canvas().Bounds());
}

uint32_t PopupMenu::Shade(uint8_t value) const
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (m_colours.background >> shift) & 0xFF;
        out |= std::min<uint32_t>(c * value / 128, 255) << shift;
    }
    return out;
}

void PopupMenu::DrawFrame()
{
    Image24& canvas = Canvas();
    const int32_t w = canvas.width, h = canvas.height;
    const uint32_t light = Lighter(m_colours.background), dark = Darker(m_colours.background);
    FillRect24({0, 0, w - 1, 0}, light, canvas.View());
    FillRect24({0, 0, 0, h - 1}, light, canvas.View());
    FillRect24({0, h - 1, w - 1, h - 1}, dark, canvas.View());
    FillRect24({w - 1, 0, w - 1, h - 1}, dark, canvas.View());
}

int PopupMenu::ItemState(size_t index) const
{
    const MenuItem& item = m_menu->items[index];
    int state = 0;
    if (static_cast<int>(index) == m_hot)
        state |= menu_state::kHot;
    if (item.enabled == 0)
        state |= menu_state::kDisabled;
    if (item.checked != -1 && item.checked != 0)
        state |= menu_state::kChecked;
    return state;
}

void PopupMenu::DrawItem(size_t index, int state)
{
    if (index >= m_menu->items.size())
        return;
    const MenuItem& item = m_menu->items[index];
    const Rect r = item.rect.Intersected({1, 1, Canvas().width - 2, Canvas().height - 2});
    if (r.Empty())
        return;
    Image24& canvas = Canvas();
    const MenuImages& images = m_menu->images;
    const int32_t iconWidth = CellSize(images.iconCellWidth, 16);
    const int32_t iconHeight = CellSize(images.iconCellHeight, 16);

    // The background: the tile (in menu coordinates, so tiles join across
    // items) or the plain colour; then the right picture at the right edge.
    // Both are shades of the background colour, looked up per byte.
    std::array<uint8_t, 256 * 3> shades;
    for (int v = 0; v < 256; ++v) {
        const uint32_t c = Shade(static_cast<uint8_t>(v));
        shades[static_cast<size_t>(v) * 3] = static_cast<uint8_t>(c);
        shades[static_cast<size_t>(v) * 3 + 1] = static_cast<uint8_t>(c >> 8);
        shades[static_cast<size_t>(v) * 3 + 2] = static_cast<uint8_t>(c >> 16);
    }
    auto shadeRow = [&](const Image8& picture, int32_t y, int32_t from, int32_t to, int32_t originX) {
        const uint8_t* source = picture.pixels.data() + static_cast<size_t>(y % picture.height) * static_cast<size_t>(picture.width);
        uint8_t* d = canvas.View().At(from, y);
        int32_t sx = (from - originX) % picture.width;
        for (int32_t x = from; x <= to; ++x, d += 3) {
            const uint8_t* c = &shades[static_cast<size_t>(source[sx]) * 3];
            d[0] = c[0];
            d[1] = c[1];
            d[2] = c[2];
            if (++sx == picture.width)
                sx = 0;
        }
    };
    const Image8* tile = images.tile.get();
    if (tile && !tile->Empty()) {
        for (int32_t y = r.top; y <= r.bottom; ++y)
            shadeRow(*tile, y, r.left, r.right, 0);
    } else {
        FillRect24(r, m_colours.background, canvas.View());
    }
    int32_t rightEdge = r.right;
    const Image8* right = images.right.get();
    if (right && !right->Empty()) {
        const int32_t left = std::max(r.left, r.right - right->width + 1);
        for (int32_t y = r.top; y <= r.bottom; ++y)
            shadeRow(*right, y, left, r.right, left);
        rightEdge = left - 1;
    }

    if (item.IsSeparator()) {
        const int32_t middle = r.top + kSeparatorHeight / 2 - 1;
        FillRect24({r.left + 2, middle, rightEdge - 2, middle}, Darker(m_colours.background), canvas.View());
        FillRect24({r.left + 2, middle + 1, rightEdge - 2, middle + 1}, Lighter(m_colours.background), canvas.View());
        Blit(r);
        return;
    }

    const bool hot = state & menu_state::kHot;
    const bool disabled = state & menu_state::kDisabled;
    const bool checked = state & menu_state::kChecked;
    if (hot)
        FillRect24({r.left + iconWidth + 1, r.top, rightEdge, r.bottom}, m_colours.highlight, canvas.View());

    const Image24* icons = images.icons.get();
    bool drewIcon = false;
    if (item.iconIndex >= 0 && icons && !icons->Empty()) {
        const int32_t column = disabled ? 0 : checked ? (hot ? 4 : 3) : (hot ? 2 : 1);
        const int64_t top = int64_t{item.iconIndex} * iconHeight;
        if (top + iconHeight <= icons->height && (column + 1) * iconWidth <= icons->width) {
            const Rect source{column * iconWidth, static_cast<int32_t>(top), (column + 1) * iconWidth - 1,
                              static_cast<int32_t>(top) + iconHeight - 1};
            CopyRectKeyed(icons->View(), source, canvas.View(), r.left, r.top);
            drewIcon = true;
        }
    }
    const uint32_t textColour = disabled ? m_colours.greyText : hot ? m_colours.highlightText : m_colours.text;
    if (checked && !drewIcon) {
        // A tick in the icon column: two strokes meeting low in the cell.
        const int32_t cx = r.left + iconWidth / 2, cy = r.top + iconHeight / 2 + 2;
        for (int32_t i = 0; i < 3; ++i)
            FillRect24({cx - 3 + i, cy - 2 + i, cx - 3 + i, cy - 1 + i}, textColour, canvas.View());
        for (int32_t i = 0; i < 5; ++i)
            FillRect24({cx + i, cy - 1 - i, cx + i, cy - i}, textColour, canvas.View());
    }

    BitmapFont::SetClip(r.left, r.top, rightEdge, r.bottom + 1);
    const int32_t textY = r.top + (r.Height() - m_font.CellHeight()) / 2;
    m_font.DrawText(r.left + iconWidth + 4, textY, item.text, textColour, canvas.View());
    if (item.IsSubMenu()) {
        // The arrow: a small triangle pointing right.
        const int32_t ax = rightEdge - 8, ay = r.top + r.Height() / 2;
        for (int32_t k = 0; k < 4; ++k)
            FillRect24({ax + k, ay - 3 + k, ax + k, ay + 3 - k}, textColour, canvas.View());
    } else if (!item.rightText.empty()) {
        const int32_t width = m_font.TextWidth(item.rightText);
        m_font.DrawText(rightEdge - 5 - width, textY, item.rightText, textColour, canvas.View());
    }
    BitmapFont::ResetClip();
    Blit(r);
}

int PopupMenu::ItemAt(int32_t x, int32_t y) const
{
    for (size_t i = 0; i < m_menu->items.size(); ++i) {
        if (m_menu->items[i].rect.Contains(x, y))
            return static_cast<int>(i);
    }
    return -1;
}

void PopupMenu::SetHot(int index)
{
    if (index == m_hot)
        return;
    const int old = m_hot;
    m_hot = index;
    if (old >= 0 && static_cast<size_t>(old) < m_menu->items.size()) {
        m_menu->items[static_cast<size_t>(old)].hot = 0;
        DrawItem(static_cast<size_t>(old), ItemState(static_cast<size_t>(old)));
    }
    if (index >= 0 && static_cast<size_t>(index) < m_menu->items.size()) {
        m_menu->items[static_cast<size_t>(index)].hot = 1;
        DrawItem(static_cast<size_t>(index), ItemState(static_cast<size_t>(index)));
    }
}

Rect PopupMenu::ScreenRect() const
{
    const Point p = Host().Position();
    return {p.x, p.y, p.x + Canvas().width - 1, p.y + Canvas().height - 1};
}

Point PopupMenu::Place(Point wanted, const Rect* beside) const
{
    const Rect screen = m_system.ScreenArea();
    const int32_t w = Canvas().width, h = Canvas().height;
    Point p = wanted;
    if (p.x + w - 1 > screen.right)
        p.x = beside ? beside->left - w + 2 : wanted.x - w;
    if (p.y + h - 1 > screen.bottom)
        p.y = beside ? beside->bottom + 1 - h : wanted.y - h;
    p.x = std::max(screen.left, std::min(p.x, screen.right - w + 1));
    p.y = std::max(screen.top, std::min(p.y, screen.bottom - h + 1));
    return p;
}

int32_t PopupMenu::Show(Point screen)
{
    Layout();
    Host().Move(Place(screen, nullptr));
    Host().Show();
    Host().Raise();
    Host().CaptureMouse();
    Blit(Canvas().Bounds());
    m_open = true;
    m_pending = 0;
    m_result = kMenuCommandBase;
    Host().RunModal();
    // The loop may have ended without a close (the window system ended it).
    if (m_open)
        CloseChain(kMenuCommandBase);
    m_closed.clear();
    return m_result;
}

void PopupMenu::Cancel()
{
    PopupMenu& root = Root();
    if (!root.m_open)
        return;
    Post(m_target, kMenuCommandBase, 0);
    root.CloseChain(kMenuCommandBase);
}

PopupMenu& PopupMenu::Root()
{
    PopupMenu* menu = this;
    while (menu->m_parent)
        menu = menu->m_parent;
    return *menu;
}

PopupMenu& PopupMenu::Deepest()
{
    PopupMenu* menu = this;
    while (menu->m_child && menu->m_child->m_open)
        menu = menu->m_child.get();
    return *menu;
}

void PopupMenu::HandleEvent(const WindowEvent& event)
{
    PopupMenu& root = Root();
    if (!root.m_open || !m_open)
        return;
    switch (event.type) {
    case EventType::LeftDown:
    case EventType::RightDown:
    case EventType::LeftUp:
    case EventType::RightUp:
    case EventType::MouseMove:
        root.RouteMouse(event.type, Host().ClientToScreen({event.x, event.y}));
        break;
    case EventType::KeyDown:
        root.Deepest().KeyDown(event.key);
        break;
    case EventType::FocusLost:
    case EventType::Close:
        // Sub-menus are shown without the focus; only the top menu's loss counts.
        if (!m_parent)
            Cancel();
        break;
    case EventType::Timer:
        if (event.timerId == kSubMenuTimerId) {
            Host().StopTimer(kSubMenuTimerId);
            if (m_hot >= 0 && m_menu->items[static_cast<size_t>(m_hot)].IsSubMenu() && m_childIndex != m_hot)
                OpenChild(static_cast<size_t>(m_hot), false);
        }
        break;
    default:
        break;
    }
}

void PopupMenu::RouteMouse(EventType type, Point screen)
{
    // The deepest open menu under the point takes it.
    std::vector<PopupMenu*> chain;
    for (PopupMenu* menu = this; menu && menu->m_open; menu = menu->m_child.get())
        chain.push_back(menu);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        PopupMenu* menu = *it;
        if (menu->ScreenRect().Contains(screen)) {
            const Point client = menu->Host().ScreenToClient(screen);
            menu->MouseAt(type, client.x, client.y);
            return;
        }
    }
    // A press outside every open menu ends it as losing the focus would:
    // the menu holds the mouse, so it is the only way to click it away.
    if (type == EventType::LeftDown || type == EventType::RightDown)
        Cancel();
}

void PopupMenu::MouseAt(EventType type, int32_t x, int32_t y)
{
    const int index = ItemAt(x, y);
    if (type == EventType::MouseMove) {
        if (index < 0 || m_menu->items[static_cast<size_t>(index)].IsSeparator())
            return;
        if (index != m_hot) {
            SetHot(index);
            if (m_child && m_childIndex != index)
                CloseChild();
        }
        // Every move restarts the wait: the sub-menu opens once the pointer rests.
        if (m_menu->items[static_cast<size_t>(index)].IsSubMenu() && m_childIndex != index)
            Host().StartTimer(kSubMenuTimerId, kSubMenuDelayMs);
        else
            Host().StopTimer(kSubMenuTimerId);
        return;
    }
    if ((type == EventType::LeftUp || type == EventType::RightUp) && index >= 0)
        Activate(static_cast<size_t>(index), false);
}

void PopupMenu::Activate(size_t index, bool fromKey)
{
    const MenuItem& item = m_menu->items[index];
    if (item.IsSeparator() || item.enabled == 0)
        return;
    if (item.IsSubMenu()) {
        if (m_childIndex != static_cast<int>(index) || !m_child)
            OpenChild(index, fromKey);
        return;
    }
    Choose(item);
}

void PopupMenu::KeyDown(int32_t key)
{
    switch (key) {
    case vk::kUp:
        Step(-1);
        break;
    case vk::kDown:
        Step(1);
        break;
    case vk::kReturn:
        if (m_hot >= 0)
            Activate(static_cast<size_t>(m_hot), true);
        break;
    case vk::kRight:
        if (m_hot >= 0 && m_menu->items[static_cast<size_t>(m_hot)].IsSubMenu())
            Activate(static_cast<size_t>(m_hot), true);
        break;
    case vk::kLeft:
        if (m_parent)
            m_parent->CloseChild();
        break;
    case vk::kEscape:
        if (m_parent)
            m_parent->CloseChild();
        else
            Cancel();
        break;
    default:
        break;
    }
}

void PopupMenu::Step(int direction)
{
    const int count = static_cast<int>(m_menu->items.size());
    if (count == 0)
        return;
    int index = m_hot;
    if (index < 0)
        index = direction > 0 ? -1 : count;
    for (int tries = 0; tries < count; ++tries) {
        index = ((index + direction) % count + count) % count;
        if (!m_menu->items[static_cast<size_t>(index)].IsSeparator()) {
            if (m_child && m_childIndex != index)
                CloseChild();
            SetHot(index);
            return;
        }
    }
}

void PopupMenu::OpenChild(size_t index, bool selectFirst)
{
    CloseChild();
    MenuItem& item = m_menu->items[index];
    if (!item.subMenu)
        return;
    std::unique_ptr<PopupMenu> child(new PopupMenu(*this, *item.subMenu));
    child->Layout();
    const Rect parent = ScreenRect();
    const Point itemTop = Host().ClientToScreen({item.rect.left, item.rect.top});
    const Point itemBottom = Host().ClientToScreen({item.rect.right, item.rect.bottom});
    const Rect beside{parent.left, itemTop.y, parent.right, itemBottom.y};
    child->Host().Move(child->Place({parent.right - 1, itemTop.y - 1}, &beside));
    child->Host().Show();
    child->m_open = true;
    child->Blit(child->Canvas().Bounds());
    m_child = std::move(child);
    m_childIndex = static_cast<int>(index);
    SetHot(static_cast<int>(index));
    if (selectFirst)
        m_child->Step(1);
}

void PopupMenu::CloseChild()
{
    if (!m_child)
        return;
    m_child->CloseChild();
    m_child->HideAndRepaint();
    Host().StopTimer(kSubMenuTimerId);
    // The child may be the menu whose event is being handled: keep it
    // until the top menu's loop has returned.
    Root().m_closed.push_back(std::move(m_child));
    m_childIndex = -1;
}

void PopupMenu::Choose(const MenuItem& item)
{
    const int32_t command = item.commandId;
    Post(m_target, command, 0);
    // Every sub-menu item on the way up takes the value its sub-menu gave.
    for (PopupMenu* menu = this; menu->m_parent; menu = menu->m_parent) {
        PopupMenu& parent = *menu->m_parent;
        if (parent.m_childIndex >= 0)
            parent.m_menu->items[static_cast<size_t>(parent.m_childIndex)].commandId = command;
    }
    PopupMenu& root = Root();
    if (m_parent)
        root.m_pending = command;
    root.CloseChain(command);
}

void PopupMenu::HideAndRepaint()
{
    if (!m_open)
        return;
    m_open = false;
    const Rect covered = ScreenRect();
    Host().StopTimer(kSubMenuTimerId);
    Host().ReleaseMouse();
    Host().Hide();
    if (m_owner) {
        const Point topLeft = m_owner->ScreenToClient({covered.left, covered.top});
        m_owner->Present(covered.Translated(topLeft.x - covered.left, topLeft.y - covered.top));
    }
}

void PopupMenu::CloseChain(int32_t result)
{
    CloseChild();
    HideAndRepaint();
    m_result = result;
    if (m_pending != 0)
        Post(m_target, kMenuSubMenuValue, m_pending);
    m_pending = 0;
    if (Host().InModalLoop())
        Host().EndModal(result);
}

} // namespace bm
