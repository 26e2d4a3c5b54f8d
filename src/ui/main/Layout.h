#pragma once

// Every rectangle of the main window in one place: the controls with their
// strip entries, frame layouts, hint keys and roles, the areas that the
// window draws itself (arrangement, library browser, meters, text displays),
// the border pieces and the bitmap fonts. The art generator draws the skin
// from these tables and the main window places its controls from them, so
// the picture and the program cannot disagree.
//
// Coordinates are client pixels of the 800 × 600 window; rectangles are
// inclusive at both ends. Nothing here allocates; every table is constexpr.
//
//     for (const layout::Control& c : layout::kControls)
//         window.AddButton(c.rect, c.strip, c.layout, true);
//     const platform::Rect cell = layout::LibraryCellRect(row, column);

#include "platform/Geometry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bm::layout {

using platform::Rect;

// Rect's own helpers are not constexpr; the tables need these at compile time.
constexpr int32_t WidthOf(const Rect& r) { return r.right - r.left + 1; }
constexpr int32_t HeightOf(const Rect& r) { return r.bottom - r.top + 1; }
constexpr bool Holds(const Rect& r, int32_t x, int32_t y)
{
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}
constexpr Rect Union(const Rect& a, const Rect& b)
{
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

inline constexpr int32_t kWindowWidth = 800;
inline constexpr int32_t kWindowHeight = 600;
inline constexpr Rect kWindow{0, 0, kWindowWidth - 1, kWindowHeight - 1};

// ---------------------------------------------------------------------------
// Skin, move bar and border pieces

inline constexpr std::string_view kSkinEntry = "IF8060.bmp";
inline constexpr std::string_view kMoveBarEntry = "movebar.bmp";
// The mask covers exactly this rectangle; a press where it is non-zero
// starts moving the window.
inline constexpr Rect kMoveBar{12, 7, 119, 26};

// Anchoring of a border piece: the edge or corner of the outline it lies on.
enum class PieceKind : int32_t {
    Left = 1,
    Top = 2,
    LeftTop = 3,
    Right = 4,
    Bottom = 8,
    LeftBottom = 9,
};

// A border piece: an 8-bit mask placed at (x, y) over the outline. Where the
// mask is below 255 the blurred desktop shows through, which softens the
// window's edge. Width and height are the mask bitmap's size.
struct Piece {
    std::string_view entry;
    int32_t x = 0;
    int32_t y = 0;
    PieceKind kind = PieceKind::Left;
    int32_t width = 0;
    int32_t height = 0;

    constexpr Rect Bounds() const { return {x, y, x + width - 1, y + height - 1}; }
};

// The outline: the left tab (x 0 to 123) starts 4 rows lower than the rest
// of the top edge; the left edge steps in by 9 pixels between the upper and
// the lower deck (the notch framed by m14lb, m13l and m12lt); the corners are
// rounded. The pieces follow it in the order the window adds them.
inline constexpr std::array<Piece, 12> kPieces{{
    {"m1l.bmp", 0, 35, PieceKind::Left, 8, 288},
    {"m2lt.bmp", 0, 0, PieceKind::LeftTop, 32, 35},
    {"m3t.bmp", 32, 4, PieceKind::Top, 92, 3},
    {"m4lt.bmp", 124, 0, PieceKind::LeftTop, 12, 12},
    {"m5t.bmp", 136, 0, PieceKind::Top, 664, 5},
    {"m7r.bmp", 792, 5, PieceKind::Right, 8, 595},
    {"m9b.bmp", 56, 599, PieceKind::Bottom, 736, 1},
    {"m10lb.bmp", 0, 564, PieceKind::LeftBottom, 56, 36},
    {"m11l.bmp", 0, 407, PieceKind::Left, 8, 157},
    {"m12lt.bmp", 0, 389, PieceKind::LeftTop, 24, 18},
    {"m13l.bmp", 9, 339, PieceKind::Left, 8, 50},
    {"m14lb.bmp", 0, 323, PieceKind::LeftBottom, 24, 16},
}};

// ---------------------------------------------------------------------------
// Bitmap fonts, in the order the window loads them; the first is its default.

enum class FontId : int32_t { Text8, Text9, Bold, Digits };

struct FontSpec {
    FontId id = FontId::Text8;
    std::string_view entry;
    int32_t cellWidth = 0;  // 0: derived from the strip (width / code count)
    int32_t cellHeight = 0; // 0: the strip's height
    uint8_t firstChar = 0;
    uint8_t lastChar = 255;
    uint8_t spaceWidth = 8;
    uint8_t spacing = 1;
};

inline constexpr std::array<FontSpec, 4> kFonts{{
    {FontId::Text8, "western--14x12-8pt.bmp", 0, 0, 0, 255, 8, 1},
    {FontId::Text9, "western--14x13-9pt.bmp", 0, 0, 0, 255, 8, 1},
    {FontId::Bold, "SFont 12X14.BMP", 0, 0, 0, 255, 8, 1},
    {FontId::Digits, "DF 26X12 8pt.BMP", 26, 12, 48, 129, 8, 1},
}};

constexpr const FontSpec& Font(FontId id) { return kFonts[static_cast<size_t>(id)]; }

// The digit font covers codes 48 to 129 only, so the readouts write the
// point and the minus sign with two codes of its own; every digit is as wide
// as a blank (8 pixels of ink and 1 of spacing), so right-aligned numbers
// keep their places.
inline constexpr char kDigitPoint = static_cast<char>(128);
inline constexpr char kDigitMinus = static_cast<char>(129);
constexpr char DigitFontCode(char c)
{
    return c == '.' ? kDigitPoint : c == '-' ? kDigitMinus : c;
}

// ---------------------------------------------------------------------------
// Controls

// Frame layouts of the skinned buttons (1 to 10). Layout 0 means no table:
// cell 0 is the shape and cell 1 + s is the picture of state value s, for
// pictures that the window switches by number (knob, lever, lamps).
constexpr int32_t LayoutCellCount(int32_t layout, int32_t frames)
{
    switch (layout) {
    case 0: return 1 + frames;
    case 1: return 1;
    case 2: case 3: return 3;
    case 4: case 5: case 6: return 4;
    case 7: return 6;
    case 8: return 5;
    case 9: return 8;
    case 10: return 2;
    default: return 0;
    }
}

enum class ControlId : int32_t {
    Play, Stop, ToStart, Rewind, FastForward, ToEnd, Loop, Record,
    ChannelSwitch0, ChannelSwitch11 = ChannelSwitch0 + 11,
    ChannelVolume0, ChannelVolume11 = ChannelVolume0 + 11,
    Power, PowerLamp, Progress,
    VolumeDown, VolumeUp, VolumeKnob,
    SwapUp, SwapLever, SwapDown,
    WireLoad, WireRender,
    Edit, Region, RegionPlay, TimeFormat, Minimize, Close,
    ZoomWindow, MeasureWindow, Silence,
    StyleMenu, GroupMenu, ChordMenu, MainMenu, Tempo, TempoFaster, TempoSlower,
    LibraryPageUp, LibraryRowUp, LibraryRowDown, LibraryPageDown,
    SelectorLeft, SelectorDisplay, SelectorRight, SelectorDots,
    Count
};

// What a control is to the person using it.
enum class Role : int32_t {
    Push,      // acts on release (or on press where the window says so)
    Repeat,    // acts while held
    Toggle,    // push button with an on look the window sets
    MenuOpen,  // opens a popup menu on press
    Picture,   // shows one of several pictures chosen by the window (lamp, lever, knob, bar)
    Drag,      // is dragged into the arrangement
};

struct Control {
    ControlId id = ControlId::Play;
    Rect rect;
    std::string_view strip;   // archive entry of the picture strip
    int32_t layout = 0;       // frame layout 1 to 10, or 0 (see LayoutCellCount)
    int32_t frames = 0;       // layout 0: the number of pictures after the shape cell
    std::string_view hint;    // hint key with its blank, empty when the control has none
    Role role = Role::Push;
    int32_t command = 0;      // the command a release runs, 0 when the window routes it itself
    std::string_view what;    // a few words for the layout table

    constexpr int32_t CellCount() const { return LayoutCellCount(layout, frames); }
};

// The arrangement: 12 channel rows 25 pixels apart; row c holds the pixels
// T + 25c + 6 to T + 25c + 25 (20 pixels); the top 6 pixels of the area are
// the region handle band.
inline constexpr int32_t kChannels = 12;
inline constexpr int32_t kRowPitch = 25;
inline constexpr int32_t kRowOffset = 6;
inline constexpr int32_t kRowHeight = 20;
inline constexpr int32_t kRegionBandHeight = 6;
inline constexpr Rect kArrangement{80, 31, 789, 333};
inline constexpr Rect kRegionBand{kArrangement.left, kArrangement.top, kArrangement.right,
                                  kArrangement.top + kRegionBandHeight - 1};

constexpr Rect ChannelRowRect(int32_t channel)
{
    const int32_t top = kArrangement.top + kRowPitch * channel + kRowOffset;
    return {kArrangement.left, top, kArrangement.right, top + kRowHeight - 1};
}
// The channel switch is 32 × 13 and the volume indicator 24 × 23, both
// centred on their row.
constexpr Rect ChannelSwitchRect(int32_t channel)
{
    const int32_t top = ChannelRowRect(channel).top + 4;
    return {11, top, 42, top + 12};
}
constexpr Rect ChannelVolumeRect(int32_t channel)
{
    const int32_t top = ChannelRowRect(channel).top - 1;
    return {51, top, 74, top + 22};
}
// Pictures of the channel volume indicator: frame f shows a volume of
// f × 5 (0 to 100).
inline constexpr int32_t kChannelVolumeFrames = 21;
inline constexpr std::array<std::string_view, kChannels> kChannelSwitchStrips{
    "CH Butt 01.bmp", "CH Butt 02.bmp", "CH Butt 03.bmp", "CH Butt 04.bmp", "CH Butt 05.bmp", "CH Butt 06.bmp",
    "CH Butt 07.bmp", "CH Butt 08.bmp", "CH Butt 09.bmp", "CH Butt 10.bmp", "CH Butt 11.bmp", "CH Butt 12.bmp",
};
inline constexpr std::string_view kChannelVolumeStrip = "VL Channel 00.bmp";

// Pictures of the knob, the swap lever and the selector (layout 0 frames).
inline constexpr int32_t kKnobFrames = 8;
inline constexpr int32_t kLeverFrames = 5;
inline constexpr int32_t kSelectorFrames = 5;

namespace detail {

constexpr Control Make(ControlId id, Rect r, std::string_view strip, int32_t layout, std::string_view hint, Role role,
                       int32_t command, std::string_view what, int32_t frames = 0)
{
    return {id, r, strip, layout, frames, hint, role, command, what};
}

constexpr auto MakeControls()
{
    std::array<Control, static_cast<size_t>(ControlId::Count)> c{};
    using enum ControlId;
    auto at = [&c](ControlId id) -> Control& { return c[static_cast<size_t>(id)]; };
    at(Play) = Make(Play, {447, 346, 491, 367}, "Transp Butt 06.bmp", 7, "%TRANS_PLAY ", Role::Toggle, 0, "play");
    at(Stop) = Make(Stop, {495, 346, 539, 367}, "Transp Butt 05.bmp", 6, "%TRANS_STOP ", Role::Push, 0, "stop");
    at(ToStart) = Make(ToStart, {543, 346, 587, 367}, "Transp Butt 01.bmp", 6, "%TRANS_HOME ", Role::Push, 1226,
                       "to start");
    at(Rewind) = Make(Rewind, {591, 346, 635, 367}, "Transp Butt 02.bmp", 6, "%TRANS_REW ", Role::Repeat, 0,
                      "rewind");
    at(FastForward) = Make(FastForward, {639, 346, 683, 367}, "Transp Butt 03.bmp", 6, "%TRANS_FF ", Role::Repeat,
                           0, "fast forward");
    at(ToEnd) = Make(ToEnd, {687, 346, 731, 367}, "Transp Butt 04.bmp", 6, "%TRANS_END ", Role::Push, 1227,
                     "to end");
    at(Loop) = Make(Loop, {735, 346, 779, 367}, "Transp Butt 07.bmp", 7, "%TRANS_LOOP ", Role::Toggle, 1233, "loop");
    at(Record) = Make(Record, {42, 393, 85, 417}, "Rec Butt.bmp", 7, "%TRANS_REC ", Role::Toggle, 0, "record");
    for (int32_t ch = 0; ch < kChannels; ++ch) {
        const auto sw = static_cast<ControlId>(static_cast<int32_t>(ChannelSwitch0) + ch);
        const auto vol = static_cast<ControlId>(static_cast<int32_t>(ChannelVolume0) + ch);
        at(sw) = Make(sw, ChannelSwitchRect(ch), kChannelSwitchStrips[ch], 4, "%CHANNEL_SWITCH ", Role::Toggle, 0,
                      "channel switch");
        at(vol) = Make(vol, ChannelVolumeRect(ch), kChannelVolumeStrip, 0, "%CHANNEL_VOL ", Role::Picture, 0,
                       "channel volume", kChannelVolumeFrames);
    }
    at(Power) = Make(Power, {521, 559, 580, 588}, "Power Butt.bmp", 6, "%POWER_OFF ", Role::Push, 1162, "power");
    at(PowerLamp) = Make(PowerLamp, {543, 541, 558, 552}, "Power Lamp.bmp", 0, "", Role::Picture, 0, "power lamp", 2);
    at(Progress) = Make(Progress, {684, 530, 783, 537}, "Progress.bmp", 0, "", Role::Picture, 0,
                        "processing progress (frame 1 empty, 2 full)", 2);
    at(VolumeDown) = Make(VolumeDown, {522, 468, 549, 487}, "VOL Button 01.bmp", 3, "%VOLUME ", Role::Repeat, 0,
                          "volume down");
    at(VolumeUp) = Make(VolumeUp, {558, 468, 585, 487}, "VOL Button 02.bmp", 3, "%VOLUME ", Role::Repeat, 0,
                        "volume up");
    at(VolumeKnob) = Make(VolumeKnob, {522, 398, 585, 461}, "Volume 01.bmp", 0, "", Role::Picture, 0,
                          "volume knob", kKnobFrames);
    at(SwapUp) = Make(SwapUp, {604, 472, 635, 487}, "RES Butt.bmp", 5, "%SWAP_SWITCH ", Role::Push, 0,
                      "swap switch up");
    at(SwapLever) = Make(SwapLever, {604, 490, 635, 545}, "RES Switch.bmp", 0, "", Role::Picture, 0,
                         "swap lever (positions 0 to 4)", kLeverFrames);
    at(SwapDown) = Make(SwapDown, {604, 548, 635, 563}, "RES Butt.bmp", 5, "%SWAP_SWITCH ", Role::Push, 0,
                        "swap switch down");
    at(WireLoad) = Make(WireLoad, {684, 476, 695, 485}, "Wire 01.bmp", 0, "", Role::Picture, 0,
                        "worker lamp (frame 2 lit)", 2);
    at(WireRender) = Make(WireRender, {684, 492, 695, 501}, "Wire 02.bmp", 0, "", Role::Picture, 0,
                          "rendering lamp (frame 2 lit)", 2);
    at(Edit) = Make(Edit, {184, 5, 231, 26}, "UP Butt 01.bmp", 6, "%EDIT ", Role::MenuOpen, 0, "edit menu");
    at(Region) = Make(Region, {244, 5, 287, 26}, "UP Butt 02.bmp", 7, "%REG_CREATE ", Role::Toggle, 0,
                      "region create (on look: remove)");
    at(RegionPlay) = Make(RegionPlay, {290, 5, 333, 26}, "UP Butt 04.bmp", 7, "%REG_PLAY ", Role::Toggle, 1225,
                          "region play switch");
    at(TimeFormat) = Make(TimeFormat, {698, 5, 722, 26}, "UP Butt 06.bmp", 6, "%TIME_FORMAT ", Role::Push, 0,
                          "time format");
    at(Minimize) = Make(Minimize, {738, 5, 763, 26}, "UP Butt 07.bmp", 6, "%MINIMIZE ", Role::Push, 0, "minimise");
    at(Close) = Make(Close, {764, 5, 789, 26}, "UP Butt 08.bmp", 6, "%CLOSE ", Role::Push, 1162, "close");
    at(ZoomWindow) = Make(ZoomWindow, {120, 334, 155, 342}, "Zoom Wnd Butt.bmp", 7, "%ZOOM_WND ", Role::Toggle, 0,
                          "zoom window");
    at(MeasureWindow) = Make(MeasureWindow, {751, 334, 786, 342}, "Measure Wnd Butt.bmp", 7, "%MEASURE_WND ",
                             Role::Toggle, 0, "measure window");
    at(Silence) = Make(Silence, {104, 396, 175, 413}, "Silence_01.bmp", 6, "%SILENCE_WND ", Role::Drag, 0,
                       "silence cell");
    at(StyleMenu) = Make(StyleMenu, {169, 349, 212, 373}, "LB Butt 03.bmp", 6, "%CHANGE_STYLE ", Role::MenuOpen, 0,
                         "style menu");
    at(GroupMenu) = Make(GroupMenu, {367, 349, 410, 373}, "LB Butt 04.bmp", 6, "%CHANGE_GROUP ", Role::MenuOpen, 0,
                         "group menu");
    at(ChordMenu) = Make(ChordMenu, {452, 392, 495, 416}, "LB Butt 05.bmp", 5, "%CHANGE_CHORD ", Role::MenuOpen, 0,
                         "chord menu");
    at(MainMenu) = Make(MainMenu, {95, 570, 150, 599}, "LB Butt 06.bmp", 6, "%MAIN_MENU ", Role::MenuOpen, 1166,
                        "main menu");
    at(Tempo) = Make(Tempo, {413, 573, 440, 596}, "LB Butt 07.bmp", 5, "%CHANGE_BPM ", Role::Push, 1165,
                     "tempo dialog");
    at(TempoFaster) = Make(TempoFaster, {442, 573, 464, 596}, "LB Butt 08.bmp", 6, "%INCREASE_BPM ", Role::Repeat,
                           1428, "tempo faster");
    at(TempoSlower) = Make(TempoSlower, {465, 573, 487, 596}, "LB Butt 09.bmp", 6, "%DECREASE_BPM ", Role::Repeat,
                           1429, "tempo slower");
    at(LibraryPageUp) = Make(LibraryPageUp, {473, 420, 500, 444}, "LB Arrow 01.bmp", 5, "", Role::Repeat, 1217,
                             "library five rows up");
    at(LibraryRowUp) = Make(LibraryRowUp, {473, 456, 500, 480}, "LB Butt 01.bmp", 5, "%LIB_SCROLL_UP ",
                            Role::Repeat, 1215, "library row up (scroll bar arrow)");
    at(LibraryRowDown) = Make(LibraryRowDown, {473, 510, 500, 534}, "LB Butt 02.bmp", 5, "%LIB_SCROLL_DOWN ",
                              Role::Repeat, 1216, "library row down (scroll bar arrow)");
    at(LibraryPageDown) = Make(LibraryPageDown, {473, 542, 500, 566}, "LB Arrow 02.bmp", 5, "", Role::Repeat, 1218,
                               "library five rows down");
    at(SelectorLeft) = Make(SelectorLeft, {156, 574, 173, 595}, "LB MenuButt 01.bmp", 6, "", Role::Push, 0,
                            "display selector left");
    at(SelectorDisplay) = Make(SelectorDisplay, {175, 574, 258, 595}, "LB Menu 01.bmp", 0, "", Role::Picture, 0,
                               "display selector (positions 0 to 4)", kSelectorFrames);
    at(SelectorRight) = Make(SelectorRight, {260, 574, 277, 595}, "LB MenuButt 02.bmp", 6, "", Role::Push, 0,
                             "display selector right");
    at(SelectorDots) = Make(SelectorDots, {281, 580, 304, 589}, "LB Menu 02.bmp", 0, "", Role::Picture, 0,
                            "selector position dots", kSelectorFrames);
    return c;
}

} // namespace detail

// Indexed by ControlId.
inline constexpr auto kControls = detail::MakeControls();

constexpr const Control& ControlOf(ControlId id) { return kControls[static_cast<size_t>(id)]; }

// The names the five selector positions stand for in the library browser's
// cells: what each filled cell shows below its name.
inline constexpr std::array<std::string_view, kSelectorFrames> kSelectorNames{"NAME", "KEY", "TEMPO", "LENGTH",
                                                                              "FILE"};

// ---------------------------------------------------------------------------
// Hint records: one per key, in the order the window creates them (the hint
// display takes the first shown one whose rectangle holds the pointer). A key
// shared by several controls covers all of them.

struct HintSpot {
    std::string_view key;
    Rect rect;
    bool shownAtStart = true;
};

inline constexpr std::array<HintSpot, 30> kHintSpots{{
    {"%TRANS_HOME ", ControlOf(ControlId::ToStart).rect},
    {"%TRANS_REW ", ControlOf(ControlId::Rewind).rect},
    {"%TRANS_FF ", ControlOf(ControlId::FastForward).rect},
    {"%TRANS_END ", ControlOf(ControlId::ToEnd).rect},
    {"%TRANS_STOP ", ControlOf(ControlId::Stop).rect},
    {"%TRANS_PLAY ", ControlOf(ControlId::Play).rect},
    {"%TRANS_LOOP ", ControlOf(ControlId::Loop).rect},
    {"%TRANS_REC ", ControlOf(ControlId::Record).rect},
    {"%POWER_OFF ", ControlOf(ControlId::Power).rect},
    {"%SWAP_SWITCH ", Union(ControlOf(ControlId::SwapUp).rect, ControlOf(ControlId::SwapDown).rect)},
    {"%VOLUME ", Union(ControlOf(ControlId::VolumeKnob).rect, ControlOf(ControlId::VolumeUp).rect)},
    {"%EDIT ", ControlOf(ControlId::Edit).rect},
    {"%REG_CREATE ", ControlOf(ControlId::Region).rect},
    {"%REG_REMOVE ", ControlOf(ControlId::Region).rect, false},
    {"%REG_PLAY ", ControlOf(ControlId::RegionPlay).rect},
    {"%TIME_FORMAT ", ControlOf(ControlId::TimeFormat).rect},
    {"%MINIMIZE ", ControlOf(ControlId::Minimize).rect},
    {"%CLOSE ", ControlOf(ControlId::Close).rect},
    {"%ZOOM_WND ", ControlOf(ControlId::ZoomWindow).rect},
    {"%MEASURE_WND ", ControlOf(ControlId::MeasureWindow).rect},
    {"%SILENCE_WND ", ControlOf(ControlId::Silence).rect},
    {"%CHANGE_STYLE ", ControlOf(ControlId::StyleMenu).rect},
    {"%CHANGE_GROUP ", ControlOf(ControlId::GroupMenu).rect},
    {"%CHANGE_CHORD ", ControlOf(ControlId::ChordMenu).rect},
    {"%MAIN_MENU ", ControlOf(ControlId::MainMenu).rect},
    {"%CHANGE_BPM ", ControlOf(ControlId::Tempo).rect},
    {"%INCREASE_BPM ", ControlOf(ControlId::TempoFaster).rect},
    {"%DECREASE_BPM ", ControlOf(ControlId::TempoSlower).rect},
    {"%LIB_SCROLL_UP ", ControlOf(ControlId::LibraryRowUp).rect},
    {"%LIB_SCROLL_DOWN ", ControlOf(ControlId::LibraryRowDown).rect},
}};

// ---------------------------------------------------------------------------
// Library browser: rows of 21 pixels; an open part's entries are rows of six
// cells of 73 pixels (variants 0 to 5). The view shows as many whole rows as
// its area holds.

inline constexpr int32_t kLibraryRowHeight = 21;
inline constexpr int32_t kLibraryCellWidth = 73;
inline constexpr int32_t kLibraryColumns = 6;
inline constexpr int32_t kLibraryPartIconWidth = 25;
inline constexpr Rect kLibrary{30, 420, 30 + kLibraryColumns * kLibraryCellWidth - 1, 566};
inline constexpr int32_t kLibraryVisibleRows = HeightOf(kLibrary) / kLibraryRowHeight;

constexpr Rect LibraryRowRect(int32_t visibleRow)
{
    const int32_t top = kLibrary.top + visibleRow * kLibraryRowHeight;
    return {kLibrary.left, top, kLibrary.right, top + kLibraryRowHeight - 1};
}
constexpr Rect LibraryCellRect(int32_t visibleRow, int32_t column)
{
    const Rect row = LibraryRowRect(visibleRow);
    const int32_t left = kLibrary.left + column * kLibraryCellWidth;
    return {left, row.top, left + kLibraryCellWidth - 1, row.bottom};
}
// The visible row under a point, or -1.
constexpr int32_t LibraryRowAt(int32_t x, int32_t y)
{
    if (!Holds(kLibrary, x, y))
        return -1;
    const int32_t row = (y - kLibrary.top) / kLibraryRowHeight;
    return row < kLibraryVisibleRows ? row : -1;
}
// The add-samples button that the free last entry row shows after the
// %ADD_SAMPLES text, right-aligned in that row and centred vertically
// ("LB Add Butt.bmp", layout 6).
inline constexpr std::string_view kLibraryAddStrip = "LB Add Butt.bmp";
inline constexpr int32_t kLibraryAddWidth = 64;
inline constexpr int32_t kLibraryAddHeight = 17;
constexpr Rect LibraryAddRect(int32_t visibleRow)
{
    const Rect row = LibraryRowRect(visibleRow);
    const int32_t top = row.top + (kLibraryRowHeight - kLibraryAddHeight) / 2;
    return {row.right - 3 - kLibraryAddWidth + 1, top, row.right - 3, top + kLibraryAddHeight - 1};
}

// ---------------------------------------------------------------------------
// Scroll bars: the library's vertical bar (its arrows are the row up and row
// down buttons) and the arrangement's horizontal bar between the two tool
// window buttons. Each track strip is one picture of the bar's size; the
// vertical thumb strip is one thumb, the horizontal one two (normal, held)
// side by side; both keep kScrollThumbEnd pixels at each end unstretched.

struct ScrollBarSpec {
    Rect rect;
    bool vertical = false;
    std::string_view track;
    std::string_view thumb;
    int32_t thumbLength = 0; // of the thumb picture along the bar
};
inline constexpr int32_t kScrollThumbEnd = 4;
inline constexpr ScrollBarSpec kLibraryScroll{{505, 420, 513, 566}, true, "86Scrl_V.bmp", "86Scrl_bsV.bmp", 24};
inline constexpr ScrollBarSpec kArrangementScroll{{159, 334, 747, 342}, false, "86Scrl_H.bmp", "86Scrl_bsH.bmp", 24};

// ---------------------------------------------------------------------------
// Areas the window draws itself, and its text displays.

// The channel meters: 12 columns of 27 segments, lit from the bottom up to
// the meter's level (0 to 27). "EQ_Markers.bmp" holds three column pictures
// side by side: unlit, lit, peak mark.
inline constexpr Rect kMeters{594, 379, 784, 463};
inline constexpr std::string_view kMeterEntry = "EQ_Markers.bmp";
inline constexpr int32_t kMeterSegments = 27;
inline constexpr int32_t kMeterSegmentPitch = 3;  // 2 lit rows and a gap
inline constexpr int32_t kMeterColumnWidth = 14;
inline constexpr int32_t kMeterColumnPitch = 16;
inline constexpr int32_t kMeterColumnTop = 382;   // top row of the highest segment
inline constexpr int32_t kMeterColumnHeight = kMeterSegments * kMeterSegmentPitch - 1;
constexpr Rect MeterColumnRect(int32_t channel)
{
    const int32_t left = kMeters.left + channel * kMeterColumnPitch;
    return {left, kMeterColumnTop, left + kMeterColumnWidth - 1, kMeterColumnTop + kMeterColumnHeight - 1};
}
// Segment s counted from the bottom (0) of a column.
constexpr Rect MeterSegmentRect(int32_t channel, int32_t segment)
{
    const Rect column = MeterColumnRect(channel);
    const int32_t bottom = column.bottom - segment * kMeterSegmentPitch;
    return {column.left, bottom - 1, column.right, bottom};
}

// "Region Borders.bmp": the region handles of the band, 8 × 7 pixels each,
// side by side in the order of RegionHandle.
inline constexpr std::string_view kRegionBordersEntry = "Region Borders.bmp";
inline constexpr int32_t kRegionHandleWidth = 8;
inline constexpr int32_t kRegionHandleHeight = 7;
enum class RegionHandle : int32_t { StartOn, EndOn, StartOff, EndOff, StartCurrent, EndCurrent, Count };

inline constexpr Rect kVolumeKnobArea = ControlOf(ControlId::VolumeKnob).rect;
inline constexpr Rect kSilenceCell = ControlOf(ControlId::Silence).rect;
inline constexpr Rect kProgressBar = ControlOf(ControlId::Progress).rect;

// The display in the top bar: song name on the left, the time on the right
// as two hot areas (the play position and the song's length).
inline constexpr Rect kDisplayPanel{340, 5, 693, 26};
inline constexpr std::array<Rect, 2> kTimeHotAreas{{{548, 8, 617, 23}, {621, 8, 690, 23}}};

enum class TextId : int32_t {
    SongName, Time, StyleName, GroupName, ChordName, VolumeValue, BpmValue, Status, Count
};

enum class Align : int32_t { Left, Centre, Right };

// A text display: where the window writes the text of a readout record in
// that record's colours (the hint area and the status line share one strip).
struct TextArea {
    TextId id = TextId::SongName;
    Rect rect;
    FontId font = FontId::Text8;
    Align align = Align::Left;
    std::string_view key; // the readout record whose text and colours it uses; empty for the status line
};

inline constexpr std::array<TextArea, static_cast<size_t>(TextId::Count)> kTextAreas{{
    {TextId::SongName, {346, 9, 543, 22}, FontId::Text9, Align::Left, "%SONG_NAME "},
    {TextId::Time, {548, 8, 690, 23}, FontId::Digits, Align::Right, "%TIME "},
    {TextId::StyleName, {30, 350, 166, 371}, FontId::Text9, Align::Left, "%STYLE_NAME "},
    {TextId::GroupName, {215, 350, 364, 371}, FontId::Text9, Align::Left, "%GROUP_NAME "},
    {TextId::ChordName, {180, 395, 449, 414}, FontId::Text9, Align::Left, "%CHORD_NAME "},
    {TextId::VolumeValue, {522, 492, 585, 506}, FontId::Text8, Align::Centre, "%VOLUME_VALUE "},
    {TextId::BpmValue, {310, 573, 410, 596}, FontId::Digits, Align::Right, "%BPM_VALUE "},
    {TextId::Status, {30, 376, 500, 390}, FontId::Text8, Align::Left, ""},
}};

constexpr const TextArea& TextAreaOf(TextId id) { return kTextAreas[static_cast<size_t>(id)]; }
inline constexpr Rect kStatusLine = TextAreaOf(TextId::Status).rect;
inline constexpr Rect kHintArea = kStatusLine;

// ---------------------------------------------------------------------------
// Tool windows: the zoom and measure windows are skins of their own with two
// buttons each (layout 5: the disabled look when no step is left).

struct ToolWindowSpec {
    std::string_view skin;
    int32_t width = 0;
    int32_t height = 0;
    std::string_view lessStrip; // the left button: zoom out, remove measures
    Rect less;
    std::string_view moreStrip; // the right button: zoom in, add measures
    Rect more;
};
inline constexpr int32_t kToolButtonLayout = 5;
inline constexpr ToolWindowSpec kZoomWindow{"Zoom Wnd.bmp",      112, 36, "Zoom Out Butt.bmp", {6, 7, 33, 28},
                                            "Zoom In Butt.bmp",  {78, 7, 105, 28}};
inline constexpr ToolWindowSpec kMeasureWindow{"Measure Wnd.bmp",        112, 36, "Measure Sub Butt.bmp",
                                               {6, 7, 33, 28},           "Measure Add Butt.bmp",
                                               {78, 7, 105, 28}};

// The splash window and its link button.
inline constexpr std::string_view kSplashSkin = "sp_01.bmp";
inline constexpr int32_t kSplashWidth = 420;
inline constexpr int32_t kSplashHeight = 220;
inline constexpr std::string_view kSplashButtonStrip = "sp_butt.bmp";
inline constexpr int32_t kSplashButtonLayout = 6;
inline constexpr Rect kSplashButton{106, 158, 313, 182};
inline constexpr std::string_view kSplashSound = "splash.wav";

} // namespace bm::layout
