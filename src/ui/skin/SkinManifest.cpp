#include "ui/skin/SkinManifest.h"

#include "core/Text.h"
#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/MenuDescription.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/StringTable.h"

#include <functional>

namespace bm {

namespace {

using K = SkinEntryKind;

constexpr FontParams kDerived{};
constexpr FontParams kDigits{26, 12, 48, 129, 8, 1};

constexpr SkinEntry kEntries[] = {
    // The main window: note order, skin, move bar, fonts, border pieces.
    {"note_order.dat", K::NoteOrder, "note names in order"},
    {"IF8060.bmp", K::Bitmap24, "main window skin"},
    {"movebar.bmp", K::Bitmap8, "main window move bar mask"},
    {"western--14x12-8pt.bmp", K::Font, "main window font", kDerived},
    {"western--14x13-9pt.bmp", K::Font, "second font", kDerived},
    {"SFont 12X14.BMP", K::Font, "third font", kDerived},
    {"DF 26X12 8pt.BMP", K::Font, "digit font", kDigits},
    {"m1l.bmp", K::Bitmap8, "border piece (0, 35) left"},
    {"m2lt.bmp", K::Bitmap8, "border piece (0, 0) left-top"},
    {"m3t.bmp", K::Bitmap8, "border piece (32, 4) top"},
    {"m4lt.bmp", K::Bitmap8, "border piece (124, 0) left-top"},
    {"m5t.bmp", K::Bitmap8, "border piece (136, 0) top"},
    {"m7r.bmp", K::Bitmap8, "border piece (792, 5) right"},
    {"m9b.bmp", K::Bitmap8, "border piece (56, 599) bottom"},
    {"m10lb.bmp", K::Bitmap8, "border piece (0, 564) left-bottom"},
    {"m11l.bmp", K::Bitmap8, "border piece (0, 407) left"},
    {"m12lt.bmp", K::Bitmap8, "border piece (0, 389) left-top"},
    {"m13l.bmp", K::Bitmap8, "border piece (9, 339) left"},
    {"m14lb.bmp", K::Bitmap8, "border piece (0, 323) left-bottom"},
    {"hints.dat", K::Hints, "hint, message and readout texts"},
    // Controls of the main window.
    {"Transp Butt 06.bmp", K::Bitmap24, "play button"},
    {"Transp Butt 05.bmp", K::Bitmap24, "stop button"},
    {"Transp Butt 01.bmp", K::Bitmap24, "to start button"},
    {"Transp Butt 02.bmp", K::Bitmap24, "rewind button"},
    {"Transp Butt 03.bmp", K::Bitmap24, "fast forward button"},
    {"Transp Butt 04.bmp", K::Bitmap24, "to end button"},
    {"Transp Butt 07.bmp", K::Bitmap24, "loop button"},
    {"Rec Butt.bmp", K::Bitmap24, "record button"},
    {"VL Channel 00.bmp", K::Bitmap24, "channel volume indicators"},
    {"Power Butt.bmp", K::Bitmap24, "power button"},
    {"Power Lamp.bmp", K::Bitmap24, "power lamp"},
    {"Progress.bmp", K::Bitmap24, "progress bar"},
    {"VOL Button 01.bmp", K::Bitmap24, "volume down"},
    {"VOL Button 02.bmp", K::Bitmap24, "volume up"},
    {"Volume 01.bmp", K::Bitmap24, "volume knob, 8 frames"},
    {"RES Butt.bmp", K::Bitmap24, "swap switch buttons"},
    {"RES Switch.bmp", K::Bitmap24, "swap switch lever, 5 positions"},
    {"Wire 01.bmp", K::Bitmap24, "wire"},
    {"Wire 02.bmp", K::Bitmap24, "wire"},
    {"UP Butt 01.bmp", K::Bitmap24, "top row button"},
    {"UP Butt 02.bmp", K::Bitmap24, "top row button"},
    {"UP Butt 04.bmp", K::Bitmap24, "top row button"},
    {"UP Butt 06.bmp", K::Bitmap24, "top row button"},
    {"UP Butt 07.bmp", K::Bitmap24, "top row button"},
    {"UP Butt 08.bmp", K::Bitmap24, "top row button"},
    {"Zoom Wnd Butt.bmp", K::Bitmap24, "zoom window button"},
    {"Measure Wnd Butt.bmp", K::Bitmap24, "measure window button"},
    {"Silence_01.bmp", K::Bitmap24, "silence cell"},
    {"LB Butt 03.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 04.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 05.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 06.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 07.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 08.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 09.bmp", K::Bitmap24, "library row button"},
    {"LB Butt 01.bmp", K::Bitmap24, "library scroll up"},
    {"LB Butt 02.bmp", K::Bitmap24, "library scroll down"},
    {"LB Arrow 01.bmp", K::Bitmap24, "library arrow"},
    {"LB Arrow 02.bmp", K::Bitmap24, "library arrow"},
    {"86Scrl_V.bmp", K::Bitmap24, "library scroll bar track"},
    {"86Scrl_bsV.bmp", K::Bitmap24, "library scroll bar thumb"},
    {"86Scrl_H.bmp", K::Bitmap24, "arrangement scroll bar track"},
    {"86Scrl_bsH.bmp", K::Bitmap24, "arrangement scroll bar thumb"},
    {"LB MenuButt 01.bmp", K::Bitmap24, "library menu button"},
    {"LB MenuButt 02.bmp", K::Bitmap24, "library menu button"},
    {"LB Menu 01.bmp", K::Bitmap24, "library menu"},
    {"LB Menu 02.bmp", K::Bitmap24, "library menu"},
    {"popup_tile.bmp", K::Bitmap8, "popup menu background tile"},
    {"popup_right.bmp", K::Bitmap8, "popup menu right border"},
    {"icon19.bmp", K::Bitmap24, "popup menu icons, 19-pixel cells"},
    {"icon32.bmp", K::Bitmap24, "popup menu icons, 32-pixel cells"},
    {"EQ_Markers.bmp", K::Bitmap24, "level display markers"},
    {"Region Borders.bmp", K::Bitmap24, "region handles"},
    // Menus.
    {"main_menu.res", K::Menu, "main menu"},
    {"edit_menu.res", K::Menu, "arrangement menu"},
    {"work_menu.res", K::Menu, "slot and envelope point menu"},
    {"reg_menu.res", K::Menu, "region menu"},
    {"lib_menu.res", K::Menu, "library menu"},
    {"place_menu.res", K::Menu, "drop menu of a library cell"},
    {"move_menu.res", K::Menu, "drop menu of the selection"},
    {"group_menu.res", K::Menu, "style and group menu"},
    {"cpart_menu.res", K::Menu, "chord menu"},
    {"time_menu.res", K::Menu, "time menu"},
    // Tool windows.
    {"Zoom Wnd.bmp", K::Bitmap24, "zoom window skin"},
    {"Zoom In Butt.bmp", K::Bitmap24, "zoom in button"},
    {"Zoom Out Butt.bmp", K::Bitmap24, "zoom out button"},
    {"Measure Wnd.bmp", K::Bitmap24, "measure window skin"},
    {"Measure Add Butt.bmp", K::Bitmap24, "measure add button"},
    {"Measure Sub Butt.bmp", K::Bitmap24, "measure remove button"},
    // The splash.
    {"sp_01.bmp", K::Bitmap24, "splash skin"},
    {"sp_butt.bmp", K::Bitmap24, "splash button"},
    {"splash.wav", K::Sound, "splash sound"},
    // Dialog text lists.
    {"BPM_Select.res", K::TextList, "tempo dialog", {}, 8},
    {"Insert_Measure.res", K::TextList, "insert measures dialog", {}, 16},
    {"Remove_Measure.res", K::TextList, "remove measures dialog", {}, 16},
    {"shift_notes.res", K::TextList, "shift notes dialog", {}, 7},
    {"Export_File.res", K::TextList, "export dialog", {}, 16},
    {"Export_Progress.res", K::TextList, "export progress dialog", {}, 11},
    {"Options.res", K::TextList, "options dialog", {}, 32},
    {"Record.res", K::TextList, "record dialog", {}, 16},
    {"replace.res", K::TextList, "package replace question", {}, 0},
    {"file_properties.res", K::TextList, "file properties dialog", {}, 15},
    {"file_remove.res", K::TextList, "remove sample dialog", {}, 15},
    {"save_pitch.res", K::TextList, "save pitched copy dialog", {}, 15},
    {"save_record.res", K::TextList, "save recording dialog", {}, 15},
};

using G = HintKeyGroup;

constexpr HintKey kHintKeys[] = {
    {"%ADD_SAMPLES ", G::Message},      {"%MB_HEADER ", G::Message},        {"%WAVE_OPEN_ERR ", G::Message},
    {"%MAKE_SWAP_ERR ", G::Message},    {"%DEL_SWAP_ERR ", G::Message},     {"%LINK_LOST_ERR ", G::Message},
    {"%RESTORE_ERR ", G::Message},      {"%SAVE_ERROR ", G::Message},       {"%SAVE_CHANGES ", G::Message},
    {"%SAVE_CHANGES_AT ", G::Message},  {"%REM_FILES ", G::Message},        {"%SAME_NAME_WARN ", G::Message},
    {"%SAME_FILE_WARN ", G::Message},   {"%OVERWRITE_PROMPT ", G::Message}, {"%DATA_LOSS_WARN ", G::Message},
    {"%CHANNEL_SWITCH ", G::Channel},   {"%CHANNEL_VOL ", G::Channel},      {"%CHANNEL_VALUE ", G::Channel},
    {"%EXT_STR_WAV ", G::FileType},     {"%EXT_STR_NCP ", G::FileType},     {"%EXT_STR_WCP ", G::FileType},
    {"%EXT_STR_KNOWN ", G::FileType},   {"%EXT_STR_ALL ", G::FileType},
    {"%TRANS_HOME ", G::ControlHint},   {"%TRANS_REW ", G::ControlHint},    {"%TRANS_FF ", G::ControlHint},
    {"%TRANS_END ", G::ControlHint},    {"%TRANS_STOP ", G::ControlHint},   {"%TRANS_PLAY ", G::ControlHint},
    {"%TRANS_LOOP ", G::ControlHint},   {"%TRANS_REC ", G::ControlHint},    {"%POWER_OFF ", G::ControlHint},
    {"%SWAP_SWITCH ", G::ControlHint},  {"%VOLUME ", G::ControlHint},       {"%EDIT ", G::ControlHint},
    {"%REG_CREATE ", G::ControlHint},   {"%REG_REMOVE ", G::ControlHint},   {"%REG_PLAY ", G::ControlHint},
    {"%TIME_FORMAT ", G::ControlHint},  {"%MINIMIZE ", G::ControlHint},     {"%CLOSE ", G::ControlHint},
    {"%ZOOM_WND ", G::ControlHint},     {"%MEASURE_WND ", G::ControlHint},  {"%SILENCE_WND ", G::ControlHint},
    {"%CHANGE_STYLE ", G::ControlHint}, {"%CHANGE_GROUP ", G::ControlHint}, {"%CHANGE_CHORD ", G::ControlHint},
    {"%MAIN_MENU ", G::ControlHint},    {"%CHANGE_BPM ", G::ControlHint},   {"%INCREASE_BPM ", G::ControlHint},
    {"%DECREASE_BPM ", G::ControlHint}, {"%LIB_SCROLL_UP ", G::ControlHint}, {"%LIB_SCROLL_DOWN ", G::ControlHint},
    {"%STYLE_NAME ", G::Readout},       {"%GROUP_NAME ", G::Readout},       {"%VOLUME_VALUE ", G::Readout},
    {"%BPM_VALUE ", G::Readout},        {"%TIME ", G::Readout},             {"%SONG_NAME ", G::Readout},
    {"%CHORD_NAME ", G::Readout},
};

std::string Size(int32_t width, int32_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

SkinCheck CheckBitmap(const ResourceArchive& archive, const SkinEntry& entry, int bits)
{
    SkinCheck check;
    int32_t width = 0, height = 0;
    const bool loaded = bits == 24 ? LoadBitmap24(archive, entry.name, nullptr, &width, &height)
                                   : LoadBitmap8(archive, entry.name, nullptr, &width, &height);
    if (!loaded) {
        // Say which form it has, when it is a bitmap at all.
        const int other = bits == 24 ? 8 : 24;
        const bool otherLoads = other == 24 ? LoadBitmap24(archive, entry.name, nullptr, &width, &height)
                                            : LoadBitmap8(archive, entry.name, nullptr, &width, &height);
        check.detail = otherLoads ? "is " + std::to_string(other) + "-bit; needs an uncompressed " + std::to_string(bits) + "-bit bitmap"
                                  : "not an uncompressed " + std::to_string(bits) + "-bit bitmap";
        return check;
    }
    check.ok = true;
    check.detail = std::to_string(bits) + "-bit " + Size(width, height);
    return check;
}

SkinCheck CheckFont(const ResourceArchive& archive, const SkinEntry& entry)
{
    SkinCheck check = CheckBitmap(archive, entry, 8);
    if (!check.ok)
        return check;
    BitmapFont font;
    const FontParams& p = entry.font;
    font.LoadFont(archive, entry.name, p.cellWidth, p.cellHeight, p.firstChar, p.lastChar, p.spaceWidth, p.spacing);
    const int32_t codes = p.lastChar - p.firstChar + 1;
    const int32_t needed = font.CellWidth() * codes;
    if (font.CellWidth() <= 0 || font.CellHeight() <= 0) {
        check.ok = false;
        check.detail += ": strip too narrow for " + std::to_string(codes) + " cells";
    } else if (font.Strip().width < needed || font.Strip().height < font.CellHeight()) {
        check.ok = false;
        check.detail += ": needs " + Size(needed, font.CellHeight()) + " for " + std::to_string(codes) + " cells of "
                        + Size(font.CellWidth(), font.CellHeight());
    } else if (p.cellWidth == 0 && font.Strip().width % codes != 0) {
        check.ok = false;
        check.detail += ": width is not a whole number of " + std::to_string(codes) + " cells";
    } else {
        int inked = 0;
        for (int code = p.firstChar; code <= p.lastChar; ++code)
            inked += font.GlyphWidth(static_cast<uint8_t>(code)) != p.spaceWidth || font.GlyphLeft(static_cast<uint8_t>(code)) != 0;
        check.detail += ", cells " + Size(font.CellWidth(), font.CellHeight()) + ", codes " + std::to_string(p.firstChar)
                        + "-" + std::to_string(p.lastChar);
        if (inked == 0) {
            check.ok = false;
            check.detail += ": no glyph has ink";
        }
    }
    return check;
}

void CheckMenuBitmaps(const MenuDescription& menu, SkinCheck& check)
{
    for (const auto& named : menu.bitmaps) {
        if (!named.loaded) {
            check.ok = false;
            check.detail += "; " + named.keyword + " \"" + named.entry + "\" does not load";
        }
    }
    for (const std::string& dropped : menu.droppedSubMenus) {
        check.ok = false;
        check.detail += "; sub-menu \"" + dropped + "\" is missing, empty or names itself";
    }
    for (const MenuItem& item : menu.items) {
        if (item.subMenu)
            CheckMenuBitmaps(*item.subMenu, check);
    }
}

int CountItems(const MenuDescription& menu)
{
    int count = 0;
    for (const MenuItem& item : menu.items) {
        if (!item.IsSeparator())
            ++count;
        if (item.subMenu)
            count += CountItems(*item.subMenu);
    }
    return count;
}

SkinCheck CheckMenu(const ResourceArchive& archive, const SkinEntry& entry)
{
    SkinCheck check;
    MenuDescription menu;
    if (!LoadMenu(archive, entry.name, KeepEveryItem{}, menu)) {
        check.detail = "no MENUITEM or POPUP line gives an item";
        CheckMenuBitmaps(menu, check);
        return check;
    }
    check.ok = true;
    check.detail = std::to_string(CountItems(menu)) + " items";
    CheckMenuBitmaps(menu, check);
    return check;
}

SkinCheck CheckHints(const ResourceArchive& archive)
{
    SkinCheck check;
    std::string text;
    if (!ReadTextEntry(archive, "hints.dat", text)) {
        check.detail = "empty";
        return check;
    }
    std::string missing;
    int absent = 0;
    for (const HintKey& key : HintKeys()) {
        HintRecord record;
        if (!FindHint(text, key.key, record)) {
            ++absent;
            if (absent <= 5)
                missing += (missing.empty() ? "" : ", ") + std::string(Trim(key.key));
        }
    }
    check.ok = absent == 0;
    check.detail = std::to_string(HintKeys().size() - static_cast<size_t>(absent)) + " of " + std::to_string(HintKeys().size()) + " keys";
    if (absent > 0)
        check.detail += "; missing " + missing + (absent > 5 ? ", ..." : "");
    return check;
}

SkinCheck CheckLines(const ResourceArchive& archive, const SkinEntry& entry)
{
    SkinCheck check;
    std::string text;
    if (!ReadTextEntry(archive, entry.name, text)) {
        check.detail = "empty";
        return check;
    }
    std::string_view rest = text;
    std::string line;
    int lines = 0;
    while (!rest.empty()) {
        NextLine(rest, line);
        ++lines;
    }
    check.ok = lines >= entry.lines;
    check.detail = std::to_string(lines) + " lines";
    if (!check.ok)
        check.detail += "; the dialog takes " + std::to_string(entry.lines);
    return check;
}

SkinCheck CheckNoteOrder(const ResourceArchive& archive, const SkinEntry& entry)
{
    SkinCheck check;
    std::string text;
    if (!ReadTextEntry(archive, entry.name, text)) {
        check.detail = "empty";
        return check;
    }
    std::string_view rest = text;
    std::string line;
    int names = 0;
    while (NextLine(rest, line))
        names += !Trim(line).empty();
    check.ok = names > 0;
    check.detail = std::to_string(names) + " names";
    return check;
}

SkinCheck CheckSound(const ResourceArchive& archive, const SkinEntry& entry)
{
    SkinCheck check;
    char header[12] = {};
    const size_t read = archive.ReadEntry(entry.name, header, sizeof header);
    check.ok = read == sizeof header && std::string_view(header, 4) == "RIFF" && std::string_view(header + 8, 4) == "WAVE";
    check.detail = check.ok ? std::to_string(archive.GetEntrySize(entry.name)) + " bytes" : "not a RIFF WAVE file";
    return check;
}

} // namespace

std::span<const SkinEntry> SkinManifest()
{
    return kEntries;
}

const SkinEntry* FindSkinEntry(std::string_view name)
{
    for (const SkinEntry& entry : kEntries) {
        if (EqualsIgnoreCase(entry.name, name))
            return &entry;
    }
    return nullptr;
}

std::span<const HintKey> HintKeys()
{
    return kHintKeys;
}

std::string_view HintKeyGroupName(HintKeyGroup group)
{
    switch (group) {
    case G::Message: return "message";
    case G::Channel: return "channel";
    case G::FileType: return "file type";
    case G::ControlHint: return "control hint";
    case G::Readout: return "readout";
    }
    return "";
}

std::string_view SkinEntryKindName(SkinEntryKind kind)
{
    switch (kind) {
    case K::Bitmap24: return "bitmap24";
    case K::Bitmap8: return "bitmap8";
    case K::Font: return "font";
    case K::Menu: return "menu";
    case K::Hints: return "hints";
    case K::TextList: return "text list";
    case K::Sound: return "sound";
    case K::NoteOrder: return "note order";
    }
    return "";
}

SkinCheck CheckSkinEntry(const ResourceArchive& archive, const SkinEntry& entry)
{
    if (archive.FindEntry(entry.name) < 0)
        return {false, false, "missing"};
    SkinCheck check;
    switch (entry.kind) {
    case K::Bitmap24: check = CheckBitmap(archive, entry, 24); break;
    case K::Bitmap8: check = CheckBitmap(archive, entry, 8); break;
    case K::Font: check = CheckFont(archive, entry); break;
    case K::Menu: check = CheckMenu(archive, entry); break;
    case K::Hints: check = CheckHints(archive); break;
    case K::TextList: check = CheckLines(archive, entry); break;
    case K::Sound: check = CheckSound(archive, entry); break;
    case K::NoteOrder: check = CheckNoteOrder(archive, entry); break;
    }
    check.present = true;
    return check;
}

} // namespace bm
