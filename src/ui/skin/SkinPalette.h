#pragma once

// The colours of the program's look, as 0x00RRGGBB (the order the pixel
// routines take). The art generator paints the skin, the strips, the menus,
// the splash and the tool windows in these colours; what the program draws
// itself at run time (arrangement, library cells, menu items, readouts) uses
// the same ones so that both read as one surface.
//
// Note that "hints.dat" writes its colours the other way round (0x00BBGGRR);
// ToHintColour turns one of these into that order.

#include <array>
#include <cstdint>

namespace bm::palette {

// The body of the window, from its top to its bottom.
inline constexpr uint32_t kShellTop = 0x2A2F37;
inline constexpr uint32_t kShell = 0x22262D;
inline constexpr uint32_t kShellBottom = 0x1A1D22;
// Recessed panels and the deep wells of the arrangement, the library and the displays.
inline constexpr uint32_t kPanel = 0x1B1E23;
inline constexpr uint32_t kWell = 0x111317;
inline constexpr uint32_t kEdgeLight = 0x3C434E;
inline constexpr uint32_t kEdgeDark = 0x0B0C0F;

// The arrangement: alternate channel rows, measure lines, bar lines, the
// play cursor, region spans and selections.
inline constexpr uint32_t kRowEven = 0x14171C;
inline constexpr uint32_t kRowOdd = 0x171A20;
inline constexpr uint32_t kMeasureLine = 0x20242B;
inline constexpr uint32_t kBarLine = 0x303641;
inline constexpr uint32_t kCursor = 0xF2B05E;
inline constexpr uint32_t kRegion = 0x3FD0C2;
inline constexpr uint32_t kRegionOff = 0x56606E;
inline constexpr uint32_t kSelection = 0xFFFFFF;

// Text: ordinary, secondary, faint, engraved panel labels.
inline constexpr uint32_t kText = 0xDCE1E8;
inline constexpr uint32_t kTextDim = 0x98A2B0;
inline constexpr uint32_t kTextFaint = 0x5F6877;
inline constexpr uint32_t kLabel = 0x7A8494;

// Accents: the teal of everything that is on or selected, amber for the
// cursor and warnings, red for recording and power, green for lit lamps.
inline constexpr uint32_t kAccent = 0x3FD0C2;
inline constexpr uint32_t kAccentDeep = 0x1D5E59;
inline constexpr uint32_t kAmber = 0xF2B05E;
inline constexpr uint32_t kRed = 0xEF5B5B;
inline constexpr uint32_t kGreen = 0x7BD88F;

// The displays (song name, time, tempo).
inline constexpr uint32_t kDisplay = 0x0B1618;
inline constexpr uint32_t kDisplayText = 0x8CF0E2;
inline constexpr uint32_t kDisplayDim = 0x2A4B48;

// The library browser's cells (its grid lines are 0x3C3C3C and 0x454545).
inline constexpr uint32_t kCell = 0x1D2127;
inline constexpr uint32_t kCellFilled = 0x262B33;
inline constexpr uint32_t kPartRow = 0x2A3039;

// Menus, in place of the system's menu colours.
inline constexpr uint32_t kMenuText = 0xDCE1E8;
inline constexpr uint32_t kMenuBackground = 0x24282F;
inline constexpr uint32_t kMenuHighlight = 0x22625D;
inline constexpr uint32_t kMenuHighlightText = 0xFFFFFF;
inline constexpr uint32_t kMenuGrey = 0x646D7B;

// One colour per channel for the slots of the arrangement and the lamps of
// the channel switches: twelve muted hues around the wheel.
inline constexpr std::array<uint32_t, 12> kChannelColours{
    0x3FD0C2, 0x4FA8E8, 0x7D8CF0, 0xB07CE8, 0xDE75C0, 0xEF6F7C,
    0xF28F5E, 0xF2B05E, 0xD9D066, 0x9BD46A, 0x63CF8E, 0x52C4D9,
};

// 0x00RRGGBB to the 0x00BBGGRR of "hints.dat".
constexpr uint32_t ToHintColour(uint32_t rgb)
{
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

} // namespace bm::palette
