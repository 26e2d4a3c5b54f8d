#include "ui/main/KeyboardTable.h"

#include "platform/WindowEvent.h"
#include "ui/main/CommandIds.h"

#include <array>

namespace bm::ui {

namespace {

using namespace platform::vk;
constexpr uint32_t kNone = 0;
constexpr uint32_t kCtrl = platform::mods::kCtrl;
constexpr uint32_t kShift = platform::mods::kShift;
constexpr uint32_t kAlt = platform::mods::kAlt;

constexpr std::array kRows{
    KeyRow{'Z', kCtrl, false, cmd::kUndo},
    KeyRow{kBack, kAlt, false, cmd::kUndo},
    KeyRow{'X', kCtrl, false, cmd::kCut},
    KeyRow{'C', kCtrl, false, cmd::kCopy},
    KeyRow{kInsert, kCtrl, false, cmd::kCopy},
    KeyRow{'V', kCtrl, false, cmd::kPaste},
    KeyRow{kInsert, kShift, false, cmd::kPaste},
    KeyRow{kDelete, kCtrl, false, cmd::kDelete},
    KeyRow{kDelete, kNone, false, cmd::kDelete},
    KeyRow{'A', kCtrl, false, cmd::kSelectAll},
    KeyRow{'D', kCtrl, false, cmd::kSelectNone},
    KeyRow{'F', kCtrl, false, cmd::kEnvelopeKind0},
    KeyRow{'P', kCtrl, false, cmd::kEnvelopeKind1},
    KeyRow{'R', kCtrl, false, cmd::kReverseToggle},
    KeyRow{kOemPeriod, kCtrl, false, cmd::kReverseOff},
    KeyRow{kOemComma, kCtrl, false, cmd::kReverseOn},
    KeyRow{kF6, kNone, false, cmd::kFollowFlag},
    KeyRow{kF6, kShift, false, cmd::kSmoothFlag},
    KeyRow{'N', kCtrl, false, cmd::kNewSong},
    KeyRow{'O', kCtrl, false, cmd::kOpen},
    KeyRow{'S', kCtrl, false, cmd::kSave},
    KeyRow{'E', kCtrl, false, cmd::kExport},
    KeyRow{kF4, kAlt, false, cmd::kExit},
    KeyRow{kF4, kCtrl, false, cmd::kCloseSong},
    KeyRow{kF1, kNone, false, cmd::kHelp},
    KeyRow{kEscape, kNone, false, cmd::kMainMenu},
    KeyRow{kSpace, kNone, false, cmd::kPlayStop},
    KeyRow{kSpace, kCtrl, false, cmd::kLoop},
    KeyRow{kSpace, kShift, false, cmd::kRegionPlaySwitch},
    KeyRow{kHome, kCtrl, false, cmd::kToStart},
    KeyRow{kHome, kNone, false, cmd::kToStart},
    KeyRow{kEnd, kCtrl, false, cmd::kToEnd},
    KeyRow{kEnd, kNone, false, cmd::kToEnd},
    KeyRow{kLeft, kNone, true, cmd::kMeasureBack},
    KeyRow{kLeft, kCtrl, true, cmd::kPreviousRegionEdge},
    KeyRow{kRight, kNone, true, cmd::kMeasureOn},
    KeyRow{kRight, kCtrl, true, cmd::kNextRegionEdge},
    KeyRow{kReturn, kNone, false, cmd::kStopAtPosition},
    KeyRow{kUp, kNone, true, cmd::kLibraryUp},
    KeyRow{kDown, kNone, true, cmd::kLibraryDown},
    KeyRow{kPrior, kNone, false, cmd::kLibraryTop},
    KeyRow{kNext, kNone, false, cmd::kLibraryBottom},
    KeyRow{kUp, kShift, false, cmd::kZoomIn},
    KeyRow{kDown, kShift, false, cmd::kZoomOut},
    KeyRow{kLeft, kShift, true, cmd::kRemoveLastFour},
    KeyRow{kRight, kShift, true, cmd::kAppendFour},
    KeyRow{kLeft, kAlt, true, cmd::kTempoSlower},
    KeyRow{kRight, kAlt, true, cmd::kTempoFaster},
    KeyRow{kUp, kCtrl, true, cmd::kFinerMeasures},
    KeyRow{kDown, kCtrl, true, cmd::kCoarserMeasures},
};

} // namespace

std::span<const KeyRow> KeyboardTable()
{
    return kRows;
}

std::vector<int32_t> CommandsForKey(int32_t key, uint32_t modifiers, bool repeat)
{
    std::vector<int32_t> out;
    const uint32_t held = modifiers & platform::mods::kKeys;
    for (const KeyRow& row : kRows) {
        if (row.key == key && row.mask == held && (row.repeats || !repeat))
            out.push_back(row.command);
    }
    return out;
}

std::string KeyName(int32_t key)
{
    switch (key) {
    case kBack: return "Backspace";
    case kReturn: return "Enter";
    case kEscape: return "Esc";
    case kSpace: return "Space";
    case kPrior: return "PgUp";
    case kNext: return "PgDn";
    case kEnd: return "End";
    case kHome: return "Home";
    case kLeft: return "Left";
    case kUp: return "Up";
    case kRight: return "Right";
    case kDown: return "Down";
    case kInsert: return "Ins";
    case kDelete: return "Del";
    case kOemPeriod: return ".";
    case kOemComma: return ",";
    default: break;
    }
    if (key >= kF1 && key <= kF12)
        return "F" + std::to_string(key - kF1 + 1);
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string(1, static_cast<char>(key));
    return {};
}

std::string ShortcutText(const KeyRow& row)
{
    std::string text;
    if (row.mask & kCtrl)
        text += "Ctrl+";
    if (row.mask & kShift)
        text += "Shift+";
    if (row.mask & kAlt)
        text += "Alt+";
    return text + KeyName(row.key);
}

std::vector<const KeyRow*> RowsForCommand(int32_t command)
{
    std::vector<const KeyRow*> out;
    for (const KeyRow& row : kRows) {
        if (row.command == command)
            out.push_back(&row);
    }
    return out;
}

} // namespace bm::ui
