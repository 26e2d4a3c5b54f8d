#pragma once

// The main window's keyboard table: each row is a key, the exact set of
// modifiers that must be held (Ctrl 1, Shift 2, Alt 4), whether the row also
// runs on auto-repeat, and the command it sends. A key-down runs every row
// that matches, in table order, with parameter 0. The same table serves keys
// pressed with and without Alt.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm::ui {

struct KeyRow {
    int32_t key = 0;      // virtual-key code
    uint32_t mask = 0;    // modifiers that must be held exactly
    bool repeats = false; // also on auto-repeat
    int32_t command = 0;
};

std::span<const KeyRow> KeyboardTable();

// The commands a key-down sends, in table order. `modifiers` may carry
// mouse-button bits; only Ctrl, Shift and Alt take part.
std::vector<int32_t> CommandsForKey(int32_t key, uint32_t modifiers, bool repeat);

// The rows that send a command, in table order.
std::vector<const KeyRow*> RowsForCommand(int32_t command);

// A key's name as menus show shortcuts ("Z", "F6", "Del", "Space"), and a
// row's whole shortcut ("Ctrl+Z", "Shift+Ins", "Alt+F4").
std::string KeyName(int32_t key);
std::string ShortcutText(const KeyRow& row);

} // namespace bm::ui
