#pragma once

// Every entry the program loads from Brickmelody.wad, with the form it needs
// (bit depth, font cells, line counts), and every key it looks up in
// "hints.dat". The CLI's `skin check` and the art generator's tests read
// this one list, so a skin that passes the check has what the program asks
// for. CheckSkinEntry tells whether an archive's entry is present and usable.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace bm {

class ResourceArchive;

enum class SkinEntryKind {
    Bitmap24,  // skins, button strips, icon strips
    Bitmap8,   // masks: move bar, border pieces, menu tile and right picture
    Font,      // 8-bit glyph strip
    Menu,      // menu description (its sub-menus and bitmaps are checked with it)
    Hints,     // "hints.dat"
    TextList,  // a dialog's text list
    Sound,     // a RIFF WAVE file
    NoteOrder, // "note_order.dat"
};

struct FontParams {
    int32_t cellWidth = 0; // 0: derived from the strip
    int32_t cellHeight = 0;
    uint8_t firstChar = 0;
    uint8_t lastChar = 255;
    uint8_t spaceWidth = 8;
    uint8_t spacing = 1;
};

struct SkinEntry {
    std::string_view name;
    SkinEntryKind kind;
    std::string_view use;
    FontParams font{};  // Font
    int32_t lines = 0;  // TextList: lines the dialog takes in turn (0: not fixed)
};

// In the order the program loads them: the main window, its menus and
// popup pictures, the tool windows, the splash, the dialogs.
std::span<const SkinEntry> SkinManifest();
const SkinEntry* FindSkinEntry(std::string_view name);

// The main window's font and the popup menu pictures it hands every menu.
constexpr std::string_view kMainFontEntry = "western--14x12-8pt.bmp";
constexpr FontParams kMainFontParams{};
constexpr std::string_view kPopupTileEntry = "popup_tile.bmp";
constexpr std::string_view kPopupRightEntry = "popup_right.bmp";
constexpr std::string_view kPopupIconsEntry = "icon19.bmp";
constexpr int32_t kPopupIconCell = 19;
constexpr std::string_view kPopupLargeIconsEntry = "icon32.bmp";
constexpr int32_t kPopupLargeIconCell = 32;

enum class HintKeyGroup { Message, Channel, FileType, ControlHint, Readout };

struct HintKey {
    std::string_view key; // with its trailing blank
    HintKeyGroup group;
};

// The 60 keys, in the order the main window looks them up: the message
// texts, the channel strip texts and the file-type descriptions, then the
// control hints (in the order the hint display searches them), then the
// readout labels.
std::span<const HintKey> HintKeys();
std::string_view HintKeyGroupName(HintKeyGroup group);
std::string_view SkinEntryKindName(SkinEntryKind kind);

struct SkinCheck {
    bool present = false;
    bool ok = false;     // present and in the form the program needs
    std::string detail;  // what it is ("24-bit 800 × 600") or why not
};

SkinCheck CheckSkinEntry(const ResourceArchive& archive, const SkinEntry& entry);

} // namespace bm
