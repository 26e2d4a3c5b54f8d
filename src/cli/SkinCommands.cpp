// skin menu | hints | texts | font | text-width | render-menu | render-text |
// check: what the program makes of a skin archive's entries, for people who
// make or check skins.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "core/ReplacingFile.h"
#include "core/Text.h"
#include "platform/HeadlessWindowSystem.h"
#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/BitmapWriter.h"
#include "ui/skin/PopupMenu.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/SkinManifest.h"
#include "ui/skin/StringTable.h"

#include <ostream>

namespace bm::cli {

namespace {

const std::vector<std::string> kFontOptions{"cell", "chars"};

// The start every skin command shares: `count` positional words, or
// `count + 1` when the first names the archive (otherwise the program
// folder's archive is used); the archive opened read-only. Sets `first` to
// the index of the first word after the archive.
int StartSkinCommand(Invocation& in, size_t count, const std::vector<std::string>& valueOptions,
                     ResourceArchive& archive, size_t& first)
{
    if (!in.Expect(count, count + 1, {}, valueOptions))
        return kExitUsage;
    std::string path;
    if (in.ArgCount() > count) {
        path = in.Arg(0);
        first = 1;
    } else {
        path = in.ProgramFolder() + "Brickmelody.wad";
        first = 0;
    }
    Error error;
    if (!archive.Open(path, ArchiveAccess::ReadOnly, &error))
        return in.Failed(error.message);
    return kExitOk;
}

// "W,H" or "FIRST,LAST" into two numbers within [min, max].
bool ParsePair(Invocation& in, const std::string& name, int64_t min, int64_t max, int32_t& a, int32_t& b)
{
    auto value = in.Value(name);
    if (!value)
        return true;
    const size_t comma = value->find(',');
    auto number = [&](std::string_view text, int32_t& out) {
        text = Trim(text);
        if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const int64_t v = ParseDecimal64(text);
        if (v < min || v > max)
            return false;
        out = static_cast<int32_t>(v);
        return true;
    };
    if (comma == std::string::npos || !number(std::string_view(*value).substr(0, comma), a)
        || !number(std::string_view(*value).substr(comma + 1), b)) {
        in.Usage("--" + name + " takes two whole numbers from " + std::to_string(min) + " to " + std::to_string(max)
                 + " separated by a comma");
        return false;
    }
    return true;
}

// The font parameters: those the program uses for a known font entry,
// changed by --cell and --chars.
bool FontParameters(Invocation& in, std::string_view entry, FontParams& params)
{
    if (const SkinEntry* known = FindSkinEntry(entry); known && known->kind == SkinEntryKind::Font)
        params = known->font;
    int32_t w = params.cellWidth, h = params.cellHeight, first = params.firstChar, last = params.lastChar;
    if (!ParsePair(in, "cell", 0, 4096, w, h) || !ParsePair(in, "chars", 0, 255, first, last))
        return false;
    if (first > last) {
        in.Usage("--chars: FIRST must not be above LAST");
        return false;
    }
    params.cellWidth = w;
    params.cellHeight = h;
    params.firstChar = static_cast<uint8_t>(first);
    params.lastChar = static_cast<uint8_t>(last);
    return true;
}

bool LoadFontEntry(Invocation& in, const ResourceArchive& archive, const std::string& entry, const FontParams& p,
                   BitmapFont& font)
{
    if (archive.FindEntry(entry) < 0) {
        in.Failed("no entry \"" + entry + "\" in " + archive.Path());
        return false;
    }
    if (!font.LoadFont(archive, entry, p.cellWidth, p.cellHeight, p.firstChar, p.lastChar, p.spaceWidth, p.spacing)) {
        in.Failed("\"" + entry + "\" is not an uncompressed 8-bit bitmap");
        return false;
    }
    return true;
}

// The font entry with its parameters (the program's own for its fonts,
// else the options): kExitOk, or the exit status of the failure reported.
int LoadNamedFont(Invocation& in, const ResourceArchive& archive, const std::string& entry, BitmapFont& font)
{
    FontParams params;
    if (!FontParameters(in, entry, params))
        return kExitUsage;
    return LoadFontEntry(in, archive, entry, params, font) ? kExitOk : kExitFailed;
}

int WriteBitmap(Invocation& in, const std::string& path, const Image24& image)
{
    const std::string bytes = EncodeBitmap24(image);
    ReplacingFile file;
    Error error;
    if (!file.Create(path, &error) || !file.Write(bytes.data(), bytes.size(), &error)
        || !file.Commit(ReplaceMode::Unflushed, &error))
        return in.Failed(error.message);
    return kExitOk;
}

std::string Hex(uint32_t value)
{
    return FormatHex(value);
}

void MenuJson(JsonWriter& json, const MenuDescription& menu)
{
    json.BeginObject();
    json.Field("entry", menu.entry);
    json.Field("help_file", menu.helpFile);
    json.Key("bitmaps");
    json.BeginArray();
    for (const auto& named : menu.bitmaps) {
        json.BeginObject();
        json.Field("keyword", named.keyword);
        json.Field("entry", named.entry);
        json.Field("loaded", named.loaded);
        json.Field("width", named.width);
        json.Field("height", named.height);
        json.EndObject();
    }
    json.EndArray();
    json.Field("icon_cell_width", menu.images.iconCellWidth);
    json.Field("icon_cell_height", menu.images.iconCellHeight);
    json.Key("items");
    json.BeginArray();
    for (const MenuItem& item : menu.items) {
        json.BeginObject();
        json.Field("separator", item.IsSeparator());
        json.Field("command", item.commandId);
        json.Field("icon", item.iconIndex);
        json.Field("enabled", item.enabled);
        json.Field("checked", item.checked);
        json.Field("text", item.text);
        json.Field("right_text", item.rightText);
        if (item.subMenu) {
            json.Key("sub_menu");
            MenuJson(json, *item.subMenu);
        }
        json.EndObject();
    }
    json.EndArray();
    json.Key("dropped_sub_menus");
    json.BeginArray();
    for (const std::string& dropped : menu.droppedSubMenus)
        json.String(dropped);
    json.EndArray();
    json.EndObject();
}

void MenuText(std::ostream& out, const MenuDescription& menu, int depth)
{
    const std::string indent(static_cast<size_t>(depth) * 4, ' ');
    for (const auto& named : menu.bitmaps) {
        out << indent << named.keyword << " \"" << named.entry << "\" ";
        if (named.loaded)
            out << named.width << " x " << named.height << '\n';
        else
            out << "does not load\n";
    }
    for (const MenuItem& item : menu.items) {
        if (item.IsSeparator()) {
            out << indent << "----\n";
            continue;
        }
        out << indent << (item.subMenu ? "POPUP" : std::to_string(item.commandId)) << "\ticon " << item.iconIndex
            << "\tenabled " << item.enabled << "\tchecked " << item.checked << "\t\"" << item.text << "\"\t\""
            << item.rightText << "\"\n";
        if (item.subMenu)
            MenuText(out, *item.subMenu, depth + 1);
    }
    for (const std::string& dropped : menu.droppedSubMenus)
        out << indent << "dropped sub-menu \"" << dropped << "\"\n";
}

int RunSkinMenu(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 1, {}, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    if (archive.FindEntry(entry) < 0)
        return in.Failed("no entry \"" + entry + "\" in " + archive.Path());
    MenuDescription menu;
    const bool accepted = LoadMenu(archive, entry, KeepEveryItem{}, menu);
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("accepted", accepted);
        json.Key("menu");
        MenuJson(json, menu);
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        MenuText(in.Out(), menu, 0);
        if (!accepted)
            in.Out() << "no item accepted: the menu would not open\n";
    }
    return kExitOk;
}

int RunSkinHints(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 0, {}, archive, first); status != kExitOk)
        return status;
    StringTable table(archive);
    JsonWriter json;
    json.BeginObject();
    json.Field("hints_dat", archive.FindEntry("hints.dat") >= 0);
    json.Key("keys");
    json.BeginArray();
    for (const HintKey& key : HintKeys()) {
        HintRecord record;
        table.LookUpText(key.key, record);
        if (in.Json()) {
            json.BeginObject();
            json.Field("key", key.key);
            json.Field("group", HintKeyGroupName(key.group));
            json.Field("found", record.found);
            json.Field("text", record.text);
            json.Field("text_colour", Hex(record.textColour));
            json.Field("clear_colour", Hex(record.clearColour));
            json.Field("third_colour", Hex(record.thirdColour));
            json.Field("clear_style", record.clearStyle);
            json.EndObject();
        } else {
            in.Out() << key.key << '\t' << (record.found ? "found" : "default") << '\t' << Hex(record.textColour) << '\t'
                     << Hex(record.clearColour) << '\t' << Hex(record.thirdColour) << '\t' << record.clearStyle << "\t\""
                     << record.text << "\"\n";
        }
    }
    json.EndArray();
    json.EndObject();
    if (in.Json())
        in.Out() << json.Text() << '\n';
    return kExitOk;
}

int RunSkinTexts(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 1, {}, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    if (archive.FindEntry(entry) < 0)
        return in.Failed("no entry \"" + entry + "\" in " + archive.Path());
    // The lines a dialog would take in turn; a last line without CR LF counts.
    std::string text, line;
    ReadTextEntry(archive, entry, text);
    std::vector<std::string> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
        NextLine(rest, line);
        lines.push_back(line);
    }
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("entry", entry);
        if (const SkinEntry* known = FindSkinEntry(entry); known && known->kind == SkinEntryKind::TextList)
            json.Field("lines_taken", known->lines);
        json.Key("lines");
        json.BeginArray();
        for (const std::string& l : lines)
            json.String(l);
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    for (size_t i = 0; i < lines.size(); ++i)
        in.Out() << i + 1 << '\t' << lines[i] << '\n';
    return kExitOk;
}

int RunSkinFont(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 1, kFontOptions, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    BitmapFont font;
    if (int status = LoadNamedFont(in, archive, entry, font); status != kExitOk)
        return status;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("entry", entry);
        json.Field("strip_width", font.Strip().width);
        json.Field("strip_height", font.Strip().height);
        json.Field("cell_width", font.CellWidth());
        json.Field("cell_height", font.CellHeight());
        json.Field("first", static_cast<int>(font.FirstChar()));
        json.Field("last", static_cast<int>(font.LastChar()));
        json.Field("space_width", static_cast<int>(font.SpaceWidth()));
        json.Field("spacing", static_cast<int>(font.Spacing()));
        json.Key("glyphs");
        json.BeginArray();
        for (int code = font.FirstChar(); code <= font.LastChar(); ++code) {
            json.BeginObject();
            json.Field("code", code);
            json.Field("left", static_cast<int>(font.GlyphLeft(static_cast<uint8_t>(code))));
            json.Field("width", static_cast<int>(font.GlyphWidth(static_cast<uint8_t>(code))));
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        in.Out() << json.Text() << '\n';
        return kExitOk;
    }
    in.Out() << "strip " << font.Strip().width << " x " << font.Strip().height << ", cells " << font.CellWidth() << " x "
             << font.CellHeight() << ", codes " << int(font.FirstChar()) << "-" << int(font.LastChar()) << '\n';
    for (int code = font.FirstChar(); code <= font.LastChar(); ++code)
        in.Out() << code << "\tleft " << int(font.GlyphLeft(static_cast<uint8_t>(code))) << "\twidth "
                 << int(font.GlyphWidth(static_cast<uint8_t>(code))) << '\n';
    return kExitOk;
}

int RunSkinTextWidth(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 2, kFontOptions, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    BitmapFont font;
    if (int status = LoadNamedFont(in, archive, entry, font); status != kExitOk)
        return status;
    const std::string text = in.Arg(first + 1);
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("text", text);
        json.Field("width", font.TextWidth(text));
        json.Field("height", font.CellHeight());
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        in.Out() << font.TextWidth(text) << '\n';
    }
    return kExitOk;
}

// The popup pictures the main window hands every menu, where the archive has them.
MenuImages PopupImages(const ResourceArchive& archive)
{
    MenuImages images;
    auto tile = std::make_shared<Image8>();
    if (LoadBitmap8(archive, kPopupTileEntry, &tile->pixels, &tile->width, &tile->height))
        images.tile = std::move(tile);
    auto right = std::make_shared<Image8>();
    if (LoadBitmap8(archive, kPopupRightEntry, &right->pixels, &right->width, &right->height))
        images.right = std::move(right);
    auto icons = std::make_shared<Image24>();
    if (LoadBitmap24(archive, kPopupIconsEntry, &icons->pixels, &icons->width, &icons->height)) {
        images.icons = std::move(icons);
        images.iconCellWidth = kPopupIconCell;
        images.iconCellHeight = kPopupIconCell;
    }
    return images;
}

int RunSkinRenderMenu(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 2, {"font"}, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    const std::string out = in.Arg(first + 1);
    if (archive.FindEntry(entry) < 0)
        return in.Failed("no entry \"" + entry + "\" in " + archive.Path());
    if (in.ReplacesInput(archive.Path(), out))
        return kExitFailed;
    const std::string fontEntry = in.Value("font").value_or(std::string(kMainFontEntry));
    BitmapFont font;
    if (int status = LoadNamedFont(in, archive, fontEntry, font); status != kExitOk)
        return status;

    platform::HeadlessWindowSystem system;
    platform::RecordingMessagePort port;
    PopupMenu menu(archive, system, nullptr, port, font);
    menu.SetImages(PopupImages(archive));
    if (!menu.Load(entry, KeepEveryItem{}))
        return in.Failed("\"" + entry + "\" gives no item: the menu would not open");
    menu.Layout();
    if (int status = WriteBitmap(in, out, menu.Canvas()); status != kExitOk)
        return status;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("path", out);
        json.Field("width", menu.Canvas().width);
        json.Field("height", menu.Canvas().height);
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        in.Out() << "wrote " << out << " (" << menu.Canvas().width << " x " << menu.Canvas().height << ")\n";
    }
    return kExitOk;
}

int RunSkinRenderText(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 3, kFontOptions, archive, first); status != kExitOk)
        return status;
    const std::string entry = in.Arg(first);
    const std::string text = in.Arg(first + 1);
    const std::string out = in.Arg(first + 2);
    if (in.ReplacesInput(archive.Path(), out))
        return kExitFailed;
    BitmapFont font;
    if (int status = LoadNamedFont(in, archive, entry, font); status != kExitOk)
        return status;
    // Cells past 4096 × 4096 pixels would make a picture nobody can look at.
    const int32_t width = std::min(std::max(font.TextWidth(text), 1), 1 << 14);
    const int32_t height = std::min(std::max(font.CellHeight(), 1), 1 << 12);
    Image24 image(width, height);
    BitmapFont::ResetClip();
    font.DrawText(0, 0, text, 0xFFFFFF, image.View());
    if (int status = WriteBitmap(in, out, image); status != kExitOk)
        return status;
    if (in.Json()) {
        JsonWriter json;
        json.BeginObject();
        json.Field("path", out);
        json.Field("width", width);
        json.Field("height", height);
        json.EndObject();
        in.Out() << json.Text() << '\n';
    } else {
        in.Out() << "wrote " << out << " (" << width << " x " << height << ")\n";
    }
    return kExitOk;
}

int RunSkinCheck(Invocation& in)
{
    ResourceArchive archive;
    size_t first = 0;
    if (int status = StartSkinCommand(in, 0, {}, archive, first); status != kExitOk)
        return status;
    int missing = 0, malformed = 0;
    JsonWriter json;
    json.BeginObject();
    json.Key("entries");
    json.BeginArray();
    for (const SkinEntry& entry : SkinManifest()) {
        const SkinCheck check = CheckSkinEntry(archive, entry);
        missing += !check.present;
        malformed += check.present && !check.ok;
        if (in.Json()) {
            json.BeginObject();
            json.Field("name", entry.name);
            json.Field("kind", SkinEntryKindName(entry.kind));
            json.Field("use", entry.use);
            json.Field("present", check.present);
            json.Field("ok", check.ok);
            json.Field("detail", check.detail);
            json.EndObject();
        } else {
            in.Out() << (check.ok ? "ok" : check.present ? "BAD" : "MISSING") << '\t' << SkinEntryKindName(entry.kind) << '\t'
                     << entry.name << '\t' << check.detail << '\n';
        }
    }
    json.EndArray();
    json.Field("missing", missing);
    json.Field("malformed", malformed);
    json.EndObject();
    if (in.Json())
        in.Out() << json.Text() << '\n';
    else
        in.Out() << SkinManifest().size() << " entries: " << missing << " missing, " << malformed << " malformed\n";
    if (missing + malformed > 0)
        return in.Failed(std::to_string(missing) + " entries missing and " + std::to_string(malformed)
                         + " malformed in " + archive.Path());
    return kExitOk;
}

const Registrar kSkinMenu{{"skin menu", "[ARCHIVE] ENTRY [--json]",
                           "The menu ENTRY as the program builds it: items, commands, states, sub-menus, bitmaps.",
                           RunSkinMenu}};
const Registrar kSkinHints{{"skin hints", "[ARCHIVE] [--json]",
                            "Every key the program looks up in hints.dat with the record it yields.", RunSkinHints}};
const Registrar kSkinTexts{{"skin texts", "[ARCHIVE] ENTRY [--json]", "The lines of a dialog text list, in order.",
                            RunSkinTexts}};
const Registrar kSkinFont{{"skin font", "[ARCHIVE] ENTRY [--cell W,H] [--chars FIRST,LAST] [--json]",
                           "A font's cells and each code's glyph left and width (cell 0,0: derived from the strip).",
                           RunSkinFont}};
const Registrar kSkinTextWidth{{"skin text-width", "[ARCHIVE] ENTRY TEXT [--cell W,H] [--chars FIRST,LAST] [--json]",
                                "The width of TEXT in pixels in the font ENTRY.", RunSkinTextWidth}};
const Registrar kSkinRenderMenu{{"skin render-menu", "[ARCHIVE] ENTRY OUT.bmp [--font ENTRY] [--json]",
                                 "Draws the menu ENTRY (no item hot) into a 24-bit BMP.", RunSkinRenderMenu}};
const Registrar kSkinRenderText{{"skin render-text", "[ARCHIVE] FONT TEXT OUT.bmp [--cell W,H] [--chars FIRST,LAST] [--json]",
                                 "Draws TEXT in white on black in the font FONT into a 24-bit BMP.", RunSkinRenderText}};
const Registrar kSkinCheck{{"skin check", "[ARCHIVE] [--json]",
                            "Every entry the program loads: present or missing, well-formed or why not; exit 1 on any fault.",
                            RunSkinCheck}};

} // namespace

} // namespace bm::cli
