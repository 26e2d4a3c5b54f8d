#include "ui/skin/MenuDescription.h"

#include "core/Text.h"
#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"

#include <algorithm>
#include <climits>

namespace bm {

namespace {

// The keywords in the order they are tested.
enum class Keyword { TileBmp, RightBmp, IconBmp, HelpFile, MenuItem, Popup, Separator, None };

Keyword KeywordOf(std::string_view line)
{
    static constexpr std::pair<std::string_view, Keyword> kKeywords[] = {
        {"TILEBMP", Keyword::TileBmp},   {"RIGHTBMP", Keyword::RightBmp}, {"ICONBMP", Keyword::IconBmp},
        {"HELPFILE", Keyword::HelpFile}, {"MENUITEM", Keyword::MenuItem}, {"POPUP", Keyword::Popup},
        {"SEPARATOR", Keyword::Separator}};
    for (const auto& [word, keyword] : kKeywords) {
        if (StartsWith(line, word))
            return keyword;
    }
    return Keyword::None;
}

// The decimal integer after the next comma from `pos`; 0 when there is no
// comma. `pos` moves past the comma.
int32_t NextNumber(std::string_view line, size_t& pos)
{
    const size_t comma = line.find(',', pos);
    if (comma == std::string_view::npos) {
        pos = line.size();
        return 0;
    }
    pos = comma + 1;
    return ParseDecimal(line.substr(pos));
}

int32_t CommandFor(int32_t n)
{
    // Saturate instead of overflowing on huge numbers.
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{kMenuCommandBase} + n, INT32_MIN, INT32_MAX));
}

struct Loader {
    const ResourceArchive& archive;
    const MenuItemFilter& filter;
    std::vector<std::string> chain; // entries being loaded, outermost first

    bool Load(std::string_view entry, std::string_view text, MenuDescription& menu);
    void AddSeparator(MenuDescription& menu);
};

void Loader::AddSeparator(MenuDescription& menu)
{
    if (menu.items.empty() || menu.items.back().IsSeparator())
        return;
    MenuItem item;
    item.text = "-";
    if (filter.Filter(menu.entry, item)) {
        // The filter may not turn a separator into something else.
        item.text = "-";
        item.subMenu.reset();
        menu.items.push_back(std::move(item));
    }
}

bool Loader::Load(std::string_view entry, std::string_view text, MenuDescription& menu)
{
    menu.entry.assign(entry);
    chain.emplace_back(entry);
    bool accepted = false;
    std::string raw;
    while (NextLine(text, raw)) {
        const std::string_view line = Trim(raw);
        if (line.empty())
            continue;
        const Keyword keyword = KeywordOf(line);
        size_t pos = 0;
        switch (keyword) {
        case Keyword::TileBmp:
        case Keyword::RightBmp: {
            MenuDescription::NamedBitmap named{keyword == Keyword::TileBmp ? "TILEBMP" : "RIGHTBMP",
                                               QuotedField(line, pos)};
            auto image = std::make_shared<Image8>();
            if (LoadBitmap8(archive, named.entry, &image->pixels, &image->width, &image->height)) {
                named.loaded = true;
                named.width = image->width;
                named.height = image->height;
                (keyword == Keyword::TileBmp ? menu.images.tile : menu.images.right) = std::move(image);
            }
            menu.bitmaps.push_back(std::move(named));
            break;
        }
        case Keyword::IconBmp: {
            MenuDescription::NamedBitmap named{"ICONBMP", QuotedField(line, pos)};
            const int32_t w = NextNumber(line, pos);
            const int32_t h = NextNumber(line, pos);
            auto image = std::make_shared<Image24>();
            if (LoadBitmap24(archive, named.entry, &image->pixels, &image->width, &image->height)) {
                named.loaded = true;
                named.width = image->width;
                named.height = image->height;
                menu.images.icons = std::move(image);
                menu.images.iconCellWidth = w;
                menu.images.iconCellHeight = h;
            }
            menu.bitmaps.push_back(std::move(named));
            break;
        }
        case Keyword::HelpFile:
            menu.helpFile = QuotedField(line, pos);
            break;
        case Keyword::MenuItem: {
            MenuItem item;
            item.text = QuotedField(line, pos);
            item.rightText = QuotedField(line, pos);
            item.commandId = CommandFor(NextNumber(line, pos));
            item.enabled = NextNumber(line, pos);
            item.checked = NextNumber(line, pos);
            item.iconIndex = NextNumber(line, pos);
            if (filter.Filter(menu.entry, item)) {
                item.subMenu.reset();
                menu.items.push_back(std::move(item));
                accepted = true;
            }
            break;
        }
        case Keyword::Popup: {
            MenuItem item;
            item.text = QuotedField(line, pos);
            item.rightText = QuotedField(line, pos);
            item.enabled = NextNumber(line, pos);
            item.iconIndex = NextNumber(line, pos);
            if (!filter.Filter(menu.entry, item))
                break;
            const std::string subEntry = item.rightText;
            const bool cycle = std::any_of(chain.begin(), chain.end(),
                                           [&](const std::string& open) { return EqualsIgnoreCase(open, subEntry); });
            auto sub = std::make_unique<MenuDescription>();
            sub->images = menu.images; // shared, not owned
            std::string subText;
            bool loaded = false;
            if (!cycle && chain.size() < static_cast<size_t>(kMaxMenuDepth) && ReadTextEntry(archive, subEntry, subText))
                loaded = Load(subEntry, subText, *sub);
            if (!loaded) {
                menu.droppedSubMenus.push_back(subEntry);
                break;
            }
            item.subMenu = std::move(sub);
            menu.items.push_back(std::move(item));
            accepted = true;
            break;
        }
        case Keyword::Separator:
            AddSeparator(menu);
            break;
        case Keyword::None:
            break;
        }
    }
    chain.pop_back();
    return accepted;
}

} // namespace

bool LoadMenuText(const ResourceArchive& archive, std::string_view entry, std::string_view text,
                  const MenuItemFilter& filter, MenuDescription& menu)
{
    Loader loader{archive, filter, {}};
    return loader.Load(entry, text, menu);
}

bool LoadMenu(const ResourceArchive& archive, std::string_view entry, const MenuItemFilter& filter,
              MenuDescription& menu)
{
    std::string text;
    if (!ReadTextEntry(archive, entry, text)) {
        menu.entry.assign(entry);
        return false;
    }
    return LoadMenuText(archive, entry, text, filter, menu);
}

} // namespace bm
