// Runs the art generator into a scratch program folder and checks what the
// program will find there: every entry of the archive loads with the depth
// its loader needs and fits its control, the window's outline is one shape
// holding every control, the fonts measure sanely, the menus carry only
// real commands with the keyboard table's shortcuts, the string table and
// the dialog text lists are complete, the splash sound is within bounds, and
// the help pages link up.

#include "core/Binary.h"
#include "ui/main/Layout.h"
#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/ResourceArchive.h"

#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace bm {
namespace {

namespace fs = std::filesystem;
using namespace bm::layout;

struct Picture {
    std::vector<uint8_t> pixels;
    int32_t width = 0, height = 0;
    uint32_t At(int32_t x, int32_t y) const // 0xRRGGBB of a 24-bit picture
    {
        const uint8_t* p = &pixels[static_cast<size_t>(y * width + x) * 3];
        return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    uint8_t Byte(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// One generator run for the whole suite.
class SkinArt : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<test::TempDir>();
        s_run = test::RunCommand({BM_MAKE_SKIN, s_dir->Path(), "--assets", BM_SKIN_ASSETS});
        s_archive = std::make_unique<ResourceArchive>();
        s_opened = s_run.status == 0 && s_archive->Open(s_dir->Path() + "Brickmelody.wad", ArchiveAccess::ReadOnly);
    }
    static void TearDownTestSuite()
    {
        s_archive.reset();
        s_dir.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_opened) << s_run.err; }

    static const ResourceArchive& Archive() { return *s_archive; }
    static Picture Load24(std::string_view name)
    {
        Picture p;
        EXPECT_TRUE(LoadBitmap24(Archive(), name, &p.pixels, &p.width, &p.height)) << name << " as 24 bits";
        return p;
    }
    static Picture Load8(std::string_view name)
    {
        Picture p;
        EXPECT_TRUE(LoadBitmap8(Archive(), name, &p.pixels, &p.width, &p.height)) << name << " as 8 bits";
        return p;
    }
    static std::string Text(std::string_view name)
    {
        std::string text;
        EXPECT_TRUE(ReadTextEntry(Archive(), name, text)) << name;
        return text;
    }

    static std::unique_ptr<test::TempDir> s_dir;
    static test::CliResult s_run;
    static std::unique_ptr<ResourceArchive> s_archive;
    static bool s_opened;
};

std::unique_ptr<test::TempDir> SkinArt::s_dir;
test::CliResult SkinArt::s_run;
std::unique_ptr<ResourceArchive> SkinArt::s_archive;
bool SkinArt::s_opened = false;

// ---------------------------------------------------------------------------
// Pictures

struct Named {
    std::string name;
    int32_t width, height; // expected size; 0 = any
};

std::vector<Named> Pictures24()
{
    std::vector<Named> list = {{std::string(kSkinEntry), kWindowWidth, kWindowHeight}};
    std::set<std::string_view> seen;
    for (const Control& c : kControls)
        if (seen.insert(c.strip).second)
            list.push_back({std::string(c.strip), c.CellCount() * c.rect.Width(), c.rect.Height()});
    for (const ScrollBarSpec* s : {&kLibraryScroll, &kArrangementScroll}) {
        list.push_back({std::string(s->track), s->rect.Width(), s->rect.Height()});
        list.push_back(s->vertical ? Named{std::string(s->thumb), s->rect.Width(), s->thumbLength}
                                   : Named{std::string(s->thumb), 2 * s->thumbLength, s->rect.Height()});
    }
    list.push_back({std::string(kMeterEntry), 3 * kMeterColumnWidth, kMeterColumnHeight});
    list.push_back({std::string(kRegionBordersEntry), static_cast<int32_t>(RegionHandle::Count) * kRegionHandleWidth,
                    kRegionHandleHeight});
    list.push_back({std::string(kLibraryAddStrip), 4 * kLibraryAddWidth, kLibraryAddHeight});
    for (const ToolWindowSpec* t : {&kZoomWindow, &kMeasureWindow}) {
        list.push_back({std::string(t->skin), t->width, t->height});
        list.push_back({std::string(t->lessStrip), 4 * t->less.Width(), t->less.Height()});
        list.push_back({std::string(t->moreStrip), 4 * t->more.Width(), t->more.Height()});
    }
    list.push_back({std::string(kSplashSkin), kSplashWidth, kSplashHeight});
    list.push_back({std::string(kSplashButtonStrip), 4 * kSplashButton.Width(), kSplashButton.Height()});
    for (const char* snap : {"Snap Grid H.bmp", "Snap Grid V.bmp", "Snap Cursor H.bmp", "Snap Cursor V.bmp", "Snap Info.bmp"})
        list.push_back({snap, 0, 0});
    list.push_back({"icon19.bmp", 5 * 19, 0});
    list.push_back({"icon32.bmp", 5 * 32, 0});
    return list;
}

std::vector<Named> Pictures8()
{
    std::vector<Named> list = {{std::string(kMoveBarEntry), kMoveBar.Width(), kMoveBar.Height()},
                               {"popup_tile.bmp", 0, 0},
                               {"popup_right.bmp", 0, 0},
                               {"western--14x12-8pt.bmp", 256 * 14, 12},
                               {"western--14x13-9pt.bmp", 256 * 14, 13},
                               {"SFont 12X14.BMP", 256 * 12, 14},
                               {"DF 26X12 8pt.BMP", 82 * 26, 12}};
    for (const Piece& p : kPieces)
        list.push_back({std::string(p.entry), p.width, p.height});
    return list;
}

TEST_F(SkinArt, EveryPictureLoadsWithItsDepthAndSize)
{
    for (const Named& n : Pictures24()) {
        const Picture p = Load24(n.name);
        if (n.width) {
            EXPECT_EQ(p.width, n.width) << n.name;
        }
        if (n.height) {
            EXPECT_EQ(p.height, n.height) << n.name;
        }
        EXPECT_FALSE(LoadBitmap8(Archive(), n.name, nullptr, nullptr, nullptr)) << n.name << " must be 24-bit";
    }
    for (const Named& n : Pictures8()) {
        const Picture p = Load8(n.name);
        if (n.width) {
            EXPECT_EQ(p.width, n.width) << n.name;
        }
        if (n.height) {
            EXPECT_EQ(p.height, n.height) << n.name;
        }
        EXPECT_FALSE(LoadBitmap24(Archive(), n.name, nullptr, nullptr, nullptr)) << n.name << " must be 8-bit";
    }
    const Picture icons19 = Load24("icon19.bmp"), icons32 = Load24("icon32.bmp");
    EXPECT_EQ(icons19.height % 19, 0);
    EXPECT_EQ(icons19.height / 19, icons32.height / 32) << "both strips hold the same icons";
}

// A strip's shape cell (cell 0) marks the button; every other cell draws the
// whole shape (no pure black inside it, which the keyed copy would skip) and
// nothing outside the rectangle's cell.
TEST_F(SkinArt, StripCellsFillTheirShapeCell)
{
    std::set<std::string_view> seen;
    for (const Control& c : kControls) {
        if (!seen.insert(c.strip).second)
            continue;
        const Picture p = Load24(c.strip);
        const int32_t w = c.rect.Width();
        if (p.width != c.CellCount() * w)
            continue; // reported by the size test
        int32_t shapePixels = 0;
        for (int32_t y = 0; y < p.height; ++y)
            for (int32_t x = 0; x < w; ++x) {
                if (p.At(x, y) == 0)
                    continue;
                ++shapePixels;
                for (int32_t cell = 1; cell < c.CellCount(); ++cell) {
                    ASSERT_NE(p.At(cell * w + x, y), 0u) << c.strip << " cell " << cell << " at " << x << "," << y;
                }
            }
        EXPECT_GT(shapePixels, w * p.height / 3) << c.strip << ": the shape covers most of the rectangle";
    }
}

TEST_F(SkinArt, CellsOfEachStateLookDifferent)
{
    // The pressed, hover, on and disabled cells of a button must be told apart at a glance.
    for (const Control& c : kControls) {
        if (c.layout < 2 || c.layout == 10)
            continue;
        const Picture p = Load24(c.strip);
        const int32_t w = c.rect.Width();
        auto cellDifference = [&](int32_t a, int32_t b) {
            int64_t sum = 0;
            for (int32_t y = 0; y < p.height; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    const uint32_t pa = p.At(a * w + x, y), pb = p.At(b * w + x, y);
                    for (int shift : {0, 8, 16})
                        sum += std::abs(static_cast<int>((pa >> shift) & 0xFF) - static_cast<int>((pb >> shift) & 0xFF));
                }
            return static_cast<double>(sum) / (w * p.height * 3);
        };
        for (int32_t a = 1; a < c.CellCount(); ++a)
            for (int32_t b = a + 1; b < c.CellCount(); ++b)
                EXPECT_GT(cellDifference(a, b), 3.0) << c.strip << " cells " << a << " and " << b;
    }
}

// ---------------------------------------------------------------------------
// The window's outline

TEST_F(SkinArt, SkinIsOneShapeWithoutHolesHoldingEveryControl)
{
    const Picture skin = Load24(kSkinEntry);
    ASSERT_EQ(skin.width, kWindowWidth);
    ASSERT_EQ(skin.height, kWindowHeight);
    auto inside = [&](int32_t x, int32_t y) { return skin.At(x, y) != 0; };

    // Flood the inside from the middle of the play button, and the outside
    // from the border: together they must reach every pixel.
    std::vector<uint8_t> seen(static_cast<size_t>(kWindowWidth * kWindowHeight), 0);
    auto flood = [&](std::vector<std::pair<int32_t, int32_t>> todo, bool in) {
        int64_t count = 0;
        for (auto [x, y] : todo)
            seen[static_cast<size_t>(y * kWindowWidth + x)] = 1;
        while (!todo.empty()) {
            auto [x, y] = todo.back();
            todo.pop_back();
            ++count;
            // The inside counts as connected through edges, the outside also
            // through corners (a staircase edge leaves outside pixels that only
            // touch diagonally).
            const int32_t dx[8] = {1, -1, 0, 0, 1, 1, -1, -1}, dy[8] = {0, 0, 1, -1, 1, -1, 1, -1};
            for (int k = 0; k < (in ? 4 : 8); ++k) {
                const int32_t nx = x + dx[k], ny = y + dy[k];
                if (nx < 0 || ny < 0 || nx >= kWindowWidth || ny >= kWindowHeight)
                    continue;
                uint8_t& s = seen[static_cast<size_t>(ny * kWindowWidth + nx)];
                if (!s && inside(nx, ny) == in) {
                    s = 1;
                    todo.push_back({nx, ny});
                }
            }
        }
        return count;
    };
    const Rect play = ControlOf(ControlId::Play).rect;
    ASSERT_TRUE(inside(play.left + 10, play.top + 10));
    flood({{play.left + 10, play.top + 10}}, true);
    std::vector<std::pair<int32_t, int32_t>> border;
    for (int32_t x = 0; x < kWindowWidth; ++x)
        for (int32_t y : {0, kWindowHeight - 1})
            if (!inside(x, y))
                border.push_back({x, y});
    for (int32_t y = 0; y < kWindowHeight; ++y)
        for (int32_t x : {0, kWindowWidth - 1})
            if (!inside(x, y))
                border.push_back({x, y});
    flood(border, false); {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0)
        << "a second piece of window or a black hole inside it";
            }

    for (const Control& c : kControls)
        for (int32_t y = c.rect.top; y <= c.rect.bottom; ++y)
            for (int32_t x = c.rect.left; x <= c.rect.right; ++x)
                ASSERT_TRUE(inside(x, y)) << c.what << " at " << x << "," << y << " lies outside the window";
    for (const Rect& r : {kArrangement, kLibrary, kMeters, kDisplayPanel, kMoveBar})
        for (int32_t y = r.top; y <= r.bottom; ++y)
            for (int32_t x = r.left; x <= r.right; ++x)
                ASSERT_TRUE(inside(x, y)) << x << "," << y;

    // The corners are cut, the tab starts lower than the rest of the top, and
    // the left edge steps in between the decks.
    EXPECT_FALSE(inside(0, 0));
    EXPECT_FALSE(inside(kWindowWidth - 1, kWindowHeight - 1));
    EXPECT_FALSE(inside(60, 2));
    EXPECT_TRUE(inside(300, 0));
    EXPECT_TRUE(inside(60, 4));
    for (int32_t y = 340; y <= 388; ++y) {
        EXPECT_FALSE(inside(8, y)) << y;
        EXPECT_TRUE(inside(9, y)) << y;
    }
    EXPECT_TRUE(inside(0, 200));
    EXPECT_TRUE(inside(0, 480));
}

TEST_F(SkinArt, BorderPiecesAndMoveBarFollowTheOutline)
{
    const Picture skin = Load24(kSkinEntry);
    for (const Piece& piece : kPieces) {
        const Picture mask = Load8(piece.entry);
        ASSERT_EQ(mask.width, piece.width) << piece.entry;
        int32_t soft = 0;
        for (int32_t y = 0; y < mask.height; ++y)
            for (int32_t x = 0; x < mask.width; ++x) {
                const bool inWindow = skin.At(piece.x + x, piece.y + y) != 0;
                if (inWindow && mask.Byte(x, y) < 255)
                    ++soft;
                // Only the outermost pixels of the window are blended with the
                // desktop: a softened pixel has the outside within 3 pixels.
                if (inWindow && mask.Byte(x, y) < 255) {
                    bool nearEdge = false;
                    for (int32_t dy = -3; dy <= 3 && !nearEdge; ++dy)
                        for (int32_t dx = -3; dx <= 3 && !nearEdge; ++dx) {
                            const int32_t sx = piece.x + x + dx, sy = piece.y + y + dy;
                            nearEdge = sx < 0 || sy < 0 || sx >= kWindowWidth || sy >= kWindowHeight ||
                                       skin.At(sx, sy) == 0;
                        }
                    EXPECT_TRUE(nearEdge) << piece.entry << " " << x << "," << y;
                }
            }
        EXPECT_GT(soft, 0) << piece.entry << " softens some of the edge it lies on";
    }
    const Picture bar = Load8(kMoveBarEntry);
    int32_t grabbable = 0;
    for (uint8_t b : bar.pixels)
        grabbable += b != 0;
    EXPECT_GT(grabbable, bar.width * bar.height * 9 / 10);
}

// ---------------------------------------------------------------------------
// Fonts, measured as the window measures them

struct Measured {
    int32_t cellWidth = 0, cellHeight = 0;
    std::array<int32_t, 256> width{}, left{};
    std::array<bool, 256> ink{};
};

Measured Measure(const Picture& strip, const FontSpec& look)
{
    Measured m;
    const int32_t codes = look.lastChar - look.firstChar + 1;
    m.cellWidth = look.cellWidth ? look.cellWidth : strip.width / codes;
    m.cellHeight = look.cellHeight ? look.cellHeight : strip.height;
    for (int32_t code = 0; code < 256; ++code) {
        m.width[static_cast<size_t>(code)] = look.spaceWidth;
        if (code < look.firstChar || code > look.lastChar)
            continue;
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < m.cellWidth; ++x)
            for (int32_t y = 0; y < m.cellHeight; ++y)
                if (strip.Byte((code - look.firstChar) * m.cellWidth + x, y)) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        if (first >= 0) {
            m.left[static_cast<size_t>(code)] = first;
            m.width[static_cast<size_t>(code)] = last - first + 1;
            // Visible ink, not the faint spacing marks.
            for (int32_t x = first; x <= last; ++x)
                for (int32_t y = 0; y < m.cellHeight; ++y)
                    m.ink[static_cast<size_t>(code)] =
                        m.ink[static_cast<size_t>(code)] || strip.Byte((code - look.firstChar) * m.cellWidth + x, y) > 96;
        }
    }
    return m;
}

int32_t Width(const Measured& m, const std::string& text)
{
    int32_t w = 0;
    for (size_t i = 0; i < text.size(); ++i)
        w += m.width[static_cast<uint8_t>(text[i])] + (i + 1 < text.size() ? 1 : 0);
    return w;
}

TEST_F(SkinArt, TextFontsHaveInkForEveryPrintableCodeAndSaneWidths)
{
    for (size_t i = 0; i < 3; ++i) {
        const FontSpec& look = kFonts[i];
        const Measured m = Measure(Load8(look.entry), look);
        EXPECT_EQ(m.cellWidth * 256, Load8(look.entry).width) << look.entry;
        for (int code = 33; code <= 126; ++code) {
            EXPECT_TRUE(m.ink[static_cast<size_t>(code)]) << look.entry << " has no ink for " << char(code);
            EXPECT_GE(m.width[static_cast<size_t>(code)], 1);
            EXPECT_LE(m.width[static_cast<size_t>(code)], m.cellWidth);
        }
        // Windows-1252 above 127: the euro sign, accented letters, typographic quotes.
        for (int code : {0x80, 0x85, 0x93, 0xC4, 0xE9, 0xF1, 0xFC})
            EXPECT_TRUE(m.ink[static_cast<size_t>(code)]) << look.entry << " code " << code;
        EXPECT_GT(m.width['W'], m.width['i']) << look.entry << " is proportional";
        EXPECT_EQ(m.width['0'], m.width['8']) << look.entry << ": figures line up";
        EXPECT_GE(m.width[' '] + 1, 3) << "a space still separates words";
        EXPECT_LE(m.width[' '] + 1, 6) << "but is not the window's wide fallback";
    }
}

TEST_F(SkinArt, DigitFontShowsEveryReadoutCharacterWithEqualDigits)
{
    const FontSpec& look = Font(FontId::Digits);
    const Picture strip = Load8(look.entry);
    EXPECT_EQ(strip.width, 26 * (look.lastChar - look.firstChar + 1));
    const Measured m = Measure(strip, look);
    for (char d = '0'; d <= '9'; ++d) {
        EXPECT_TRUE(m.ink[static_cast<uint8_t>(d)]) << d;
        EXPECT_EQ(m.width[static_cast<uint8_t>(d)], m.width['0']) << d;
    }
    EXPECT_EQ(m.width['0'], look.spaceWidth) << "a blank is as wide as a digit, so numbers align";
    for (char c : std::string(":BPM")) // the time's colon and the letters a readout may add
        EXPECT_TRUE(m.ink[static_cast<uint8_t>(c)]) << c;
    for (char c : {DigitFontCode('.'), DigitFontCode('-')})
        EXPECT_TRUE(m.ink[static_cast<uint8_t>(c)]);
    EXPECT_LT(m.width[':'], m.width['0']);
}

// ---------------------------------------------------------------------------
// Menus

struct MenuLine {
    std::string keyword;
    std::string label, right;
    std::vector<int32_t> numbers;
};

std::string Quoted(const std::string& line, size_t& at)
{
    const size_t open = line.find('"', at);
    if (open == std::string::npos)
        return {};
    const size_t close = line.find('"', open + 1);
    if (close == std::string::npos)
        return {};
    at = close + 1;
    return line.substr(open + 1, close - open - 1);
}

int32_t Number(const std::string& line, size_t& at)
{
    const size_t comma = line.find(',', at);
    if (comma == std::string::npos)
        return 0;
    at = comma + 1;
    return static_cast<int32_t>(std::strtol(line.c_str() + at, nullptr, 10));
}

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The menu description syntax, keywords tested in their order; lines that
// start with none of them are ignored.
std::vector<MenuLine> ReadMenu(const ResourceArchive& archive, std::string_view entry)
{
    std::vector<MenuLine> lines;
    std::string text, raw;
    if (!ReadTextEntry(archive, entry, text))
        return lines;
    std::string_view rest = text;
    while (NextLine(rest, raw)) {
        const std::string line = Trim(raw);
        for (const char* keyword : {"TILEBMP", "RIGHTBMP", "ICONBMP", "HELPFILE", "MENUITEM", "POPUP", "SEPARATOR"}) {
            if (line.compare(0, std::strlen(keyword), keyword) != 0)
                continue;
            MenuLine m{keyword, {}, {}, {}};
            size_t at = std::strlen(keyword);
            const std::string k = keyword;
            if (k != "SEPARATOR")
                m.label = Quoted(line, at);
            if (k == "MENUITEM" || k == "POPUP")
                m.right = Quoted(line, at);
            const int count = k == "MENUITEM" ? 4 : k == "POPUP" ? 2 : k == "ICONBMP" ? 2 : 0;
            for (int i = 0; i < count; ++i)
                m.numbers.push_back(Number(line, at));
            lines.push_back(m);
            break;
        }
    }
    return lines;
}

struct Key {
    std::string key;
    int mods; // 1 Ctrl, 2 Shift, 4 Alt
    int command;
};

const Key kKeyboard[] = {
    {"Z", 1, 1124}, {"Backspace", 4, 1124}, {"X", 1, 1126}, {"C", 1, 1127}, {"Insert", 1, 1127}, {"V", 1, 1128},
    {"Insert", 2, 1128}, {"Delete", 1, 1129}, {"Delete", 0, 1129}, {"A", 1, 1130}, {"D", 1, 1131},
    {"F", 1, 1144}, {"P", 1, 1145}, {"R", 1, 1134}, {".", 1, 1135}, {",", 1, 1136}, {"F6", 0, 1137},
    {"F6", 2, 1138}, {"N", 1, 1154}, {"O", 1, 1155}, {"S", 1, 1157}, {"E", 1, 1159}, {"F4", 4, 1162},
    {"F4", 1, 1156}, {"F1", 0, 1161}, {"Esc", 0, 1166}, {"Space", 0, 1224}, {"Space", 1, 1233},
    {"Space", 2, 1225}, {"Home", 1, 1226}, {"Home", 0, 1226}, {"End", 1, 1227}, {"End", 0, 1227},
    {"Left", 0, 1228}, {"Left", 1, 1229}, {"Right", 0, 1230}, {"Right", 1, 1231}, {"Enter", 0, 1232},
    {"Up", 0, 1215}, {"Down", 0, 1216}, {"PgUp", 0, 1219}, {"PgDn", 0, 1220}, {"Up", 2, 1424},
    {"Down", 2, 1425}, {"Left", 2, 1427}, {"Right", 2, 1426}, {"Left", 4, 1429}, {"Right", 4, 1428},
    {"Up", 1, 1431}, {"Down", 1, 1432},
};

// The command numbers of the main window.
std::set<int> AllCommands()
{
    std::set<int> all = {1024, 1025, 1124, 1254, 1255, 1525, 1526};
    const std::pair<int, int> ranges[] = {{1126, 1138}, {1144, 1147}, {1154, 1167}, {1215, 1220}, {1223, 1252},
                                          {1262, 1271}, {1273, 1275}, {1284, 1288}, {1294, 1297}, {1304, 1333},
                                          {1424, 1432}};
    for (auto [a, b] : ranges)
        for (int c = a; c <= b; ++c)
            all.insert(c);
    return all;
}
// Commands nobody starts from a menu: the menu's own notices, the main
// menu itself, the region list sent to the engine, the time window of the
// time display, the channel volume popup's buttons.
const std::set<int> kNotFromMenus = {1024, 1025, 1166, 1223, 1430, 1525, 1526};


// "Ctrl+Shift+F6" → ("F6", 3).
std::pair<std::string, int> ParseShortcut(const std::string& text)
{
    int mods = 0;
    std::string rest = text;
    for (auto [name, bit] : {std::pair<const char*, int>{"Ctrl+", 1}, {"Shift+", 2}, {"Alt+", 4}})
        for (size_t at; (at = rest.find(name)) == 0;) {
            mods |= bit;
            rest = rest.substr(std::strlen(name));
        }
    if (rest == "Del")
        rest = "Delete";
    if (rest == "Ins")
        rest = "Insert";
    return {rest, mods};
}

const char* const kNamedMenus[] = {"main_menu.res",  "edit_menu.res",  "work_menu.res", "reg_menu.res",
                                   "lib_menu.res",   "place_menu.res", "move_menu.res", "group_menu.res",
                                   "cpart_menu.res", "time_menu.res"};

// Every menu reachable from the ten named ones, each read once.
std::map<std::string, std::vector<MenuLine>> AllMenus(const ResourceArchive& archive)
{
    std::map<std::string, std::vector<MenuLine>> menus;
    std::vector<std::string> todo(std::begin(kNamedMenus), std::end(kNamedMenus));
    while (!todo.empty()) {
        const std::string name = todo.back();
        todo.pop_back();
        if (menus.count(name))
            continue;
        menus[name] = ReadMenu(archive, name);
        for (const MenuLine& m : menus[name])
            if (m.keyword == "POPUP")
                todo.push_back(m.right);
    }
    return menus;
}

TEST_F(SkinArt, MenusNameRealCommandsWithTheKeyboardTablesShortcuts)
{
    const std::set<int> commands = AllCommands();
    const auto menus = AllMenus(Archive());
    std::set<int> offered;
    for (const auto& [name, lines] : menus) {
        SCOPED_TRACE(name);
        EXPECT_NE(Archive().FindEntry(name), -1) << "a sub-menu that is not there";
        int items = 0;
        int32_t iconRows = 0;
        for (const MenuLine& m : lines) {
            if (m.keyword == "TILEBMP" || m.keyword == "RIGHTBMP") {
                EXPECT_TRUE(LoadBitmap8(Archive(), m.label, nullptr, nullptr, nullptr)) << m.label;
            }
            if (m.keyword == "ICONBMP") {
                int32_t w = 0, h = 0;
                EXPECT_TRUE(LoadBitmap24(Archive(), m.label, nullptr, &w, &h)) << m.label;
                ASSERT_EQ(m.numbers.size(), 2u);
                EXPECT_EQ(w, 5 * m.numbers[0]) << "five columns of icon cells";
                iconRows = m.numbers[1] > 0 ? h / m.numbers[1] : 0;
            }
            if (m.keyword == "MENUITEM") {
                ++items;
                const int command = 1024 + m.numbers[0];
                offered.insert(command);
                EXPECT_TRUE(commands.count(command)) << m.label << ": " << command << " is no command";
                EXPECT_FALSE(kNotFromMenus.count(command)) << m.label;
                EXPECT_FALSE(m.label.empty());
                EXPECT_LT(m.numbers[3], iconRows) << m.label << ": no such icon";
                // Shortcut text ↔ keyboard table, both ways.
                std::set<std::pair<std::string, int>> keys;
                for (const Key& k : kKeyboard)
                    if (k.command == command)
                        keys.insert({k.key, k.mods});
                if (m.right.empty()) { {
                    EXPECT_TRUE(keys.empty()) << m.label << " should show its shortcut";
                    }
                } else {
                    EXPECT_TRUE(keys.count(ParseShortcut(m.right))) << m.label << ": " << m.right;
                }
            }
            if (m.keyword == "POPUP") {
                ++items;
                EXPECT_LT(m.numbers[1], iconRows) << m.label;
            }
        }
        EXPECT_GT(items, 0);
        EXPECT_GE(iconRows, 1) << "every menu names its icon strip";
    }
    for (int command : commands)
        if (!kNotFromMenus.count(command)) {
            EXPECT_TRUE(offered.count(command)) << command << " is in no menu";
        }
}

TEST_F(SkinArt, MenusHoldTheirSpecialItems)
{
    const auto menus = AllMenus(Archive());
    auto items = [&](const std::string& name) {
        std::vector<MenuLine> out;
        for (const MenuLine& m : menus.at(name))
            if (m.keyword == "MENUITEM")
                out.push_back(m);
        return out;
    };
    std::vector<int> switchStates;
    for (const MenuLine& m : items("reg_menu.res"))
        if (m.numbers[0] == 1245 - 1024)
            switchStates.push_back(m.numbers[1]);
    EXPECT_EQ(switchStates, (std::vector<int>{0, 1})) << "the region switch twice: written off, then on";

    auto commandsOf = [&](const std::string& name) {
        std::vector<int> out;
        for (const MenuLine& m : items(name))
            out.push_back(1024 + m.numbers[0]);
        return out;
    };
    std::vector<int> groups, chords, times;
    for (int c = 1304; c <= 1323; ++c)
        groups.push_back(c);
    for (int c = 1324; c <= 1333; ++c)
        chords.push_back(c);
    for (int c = 1294; c <= 1297; ++c)
        times.push_back(c);
    EXPECT_EQ(commandsOf("group_menu.res"), groups);
    EXPECT_EQ(commandsOf("cpart_menu.res"), chords);
    EXPECT_EQ(commandsOf("time_menu.res"), times);
    EXPECT_EQ(commandsOf("move_menu.res"), (std::vector<int>{1274, 1275}));
    EXPECT_EQ(commandsOf("place_menu.res"), (std::vector<int>{1284, 1285, 1286, 1287, 1288}));
    // Items whose state the program checks are check items, or the mark could not show.
    for (const char* name : {"group_menu.res", "cpart_menu.res", "time_menu.res"})
        for (const MenuLine& m : items(name))
            EXPECT_EQ(m.numbers[2], 0) << name << " " << m.label;
    for (const auto& [name, lines] : menus)
        for (const MenuLine& m : lines)
            if (m.keyword == "MENUITEM" && (m.numbers[0] == 1137 - 1024 || m.numbers[0] == 1145 - 1024)) {
                EXPECT_EQ(m.numbers[2], 0) << name << " " << m.label;
            }
}

// ---------------------------------------------------------------------------
// The string table

struct Hint {
    bool found = false;
    uint32_t text = 0xA0A0A0, clear = 0x606060;
    std::string words = "I don't know.";
};

uint32_t Hex(const std::string& line, size_t& at)
{
    const size_t p = line.find("0x", at);
    if (p == std::string::npos)
        return 0;
    at = p + 2;
    uint32_t v = 0;
    while (at < line.size() && std::isxdigit(static_cast<unsigned char>(line[at])))
        v = v * 16 + static_cast<uint32_t>(std::stoul(std::string(1, line[at++]), nullptr, 16));
    return v;
}

Hint LookUp(const std::string& table, const std::string& key)
{
    Hint h;
    std::string_view rest = table;
    std::string raw;
    while (NextLine(rest, raw)) {
        const std::string line = Trim(raw);
        if (line.compare(0, key.size(), key) != 0)
            continue;
        size_t at = key.size();
        h.found = true;
        h.text = Hex(line, at);
        h.clear = Hex(line, at);
        Hex(line, at);
        h.words = Quoted(line, at);
        break;
    }
    return h;
}

const char* const kHintKeys[60] = {
    "%ADD_SAMPLES ", "%MB_HEADER ", "%WAVE_OPEN_ERR ", "%MAKE_SWAP_ERR ", "%DEL_SWAP_ERR ", "%LINK_LOST_ERR ",
    "%RESTORE_ERR ", "%SAVE_ERROR ", "%SAVE_CHANGES ", "%SAVE_CHANGES_AT ", "%REM_FILES ", "%SAME_NAME_WARN ",
    "%SAME_FILE_WARN ", "%OVERWRITE_PROMPT ", "%DATA_LOSS_WARN ", "%CHANNEL_SWITCH ", "%CHANNEL_VOL ",
    "%CHANNEL_VALUE ", "%EXT_STR_WAV ", "%EXT_STR_NCP ", "%EXT_STR_WCP ", "%EXT_STR_KNOWN ", "%EXT_STR_ALL ",
    "%TRANS_HOME ", "%TRANS_REW ", "%TRANS_FF ", "%TRANS_END ", "%TRANS_STOP ", "%TRANS_PLAY ", "%TRANS_LOOP ",
    "%TRANS_REC ", "%POWER_OFF ", "%SWAP_SWITCH ", "%VOLUME ", "%EDIT ", "%REG_CREATE ", "%REG_REMOVE ",
    "%REG_PLAY ", "%TIME_FORMAT ", "%MINIMIZE ", "%CLOSE ", "%ZOOM_WND ", "%MEASURE_WND ", "%SILENCE_WND ",
    "%CHANGE_STYLE ", "%CHANGE_GROUP ", "%CHANGE_CHORD ", "%MAIN_MENU ", "%CHANGE_BPM ", "%INCREASE_BPM ",
    "%DECREASE_BPM ", "%LIB_SCROLL_UP ", "%LIB_SCROLL_DOWN ", "%STYLE_NAME ", "%GROUP_NAME ", "%VOLUME_VALUE ",
    "%BPM_VALUE ", "%TIME ", "%SONG_NAME ", "%CHORD_NAME ",
};

// Relative luminance of a 0x00BBGGRR colour, 0 to 1.
double Luminance(uint32_t bgr)
{
    auto lin = [](uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(bgr & 0xFF) + 0.7152 * lin((bgr >> 8) & 0xFF) + 0.0722 * lin((bgr >> 16) & 0xFF);
}

TEST_F(SkinArt, StringTableDefinesEveryKeyReadablyAndToFit)
{
    const std::string table = Text("hints.dat");
    const Measured font = Measure(Load8(kFonts[0].entry), kFonts[0]);
    std::set<std::string> keys;
    for (const char* key : kHintKeys) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(keys.insert(key).second);
        const Hint h = LookUp(table, key);
        ASSERT_TRUE(h.found) << "left at the default";
        EXPECT_FALSE(h.words.empty());
        EXPECT_NE(h.words, "I don't know.");
        // Light text on its dark background: a contrast of at least 4.5 to 1.
        const double ratio = (Luminance(h.text) + 0.05) / (Luminance(h.clear) + 0.05);
        EXPECT_GE(ratio, 4.5);
    }
    EXPECT_NE(LookUp(table, "%CHANNEL_SWITCH ").words.find('~'), std::string::npos) << "two wordings";
    for (const char* key : {"%CHANNEL_SWITCH ", "%CHANNEL_VOL ", "%CHANNEL_VALUE "})
        EXPECT_NE(LookUp(table, key).words.find('#'), std::string::npos) << key;
    for (const char* key : {"%SAVE_ERROR ", "%LINK_LOST_ERR "})
        EXPECT_NE(LookUp(table, key).words.find('%'), std::string::npos) << key << " names the file";
    EXPECT_NE(LookUp(table, "%SAVE_CHANGES_AT ").words.find('\''), std::string::npos);
    EXPECT_EQ(LookUp(table, "%TIME ").words, "#") << "not the line of %TIME_FORMAT";
    for (const char* key : {"%EXT_STR_WAV ", "%EXT_STR_NCP ", "%EXT_STR_WCP ", "%EXT_STR_KNOWN ", "%EXT_STR_ALL "})
        EXPECT_EQ(LookUp(table, key).words.find('|'), std::string::npos) << key << " is joined into filters";

    // Every hint, with its numbers filled in, fits the status line.
    for (const HintSpot& spot : kHintSpots) {
        const std::string words = LookUp(table, std::string(spot.key)).words;
        EXPECT_LE(Width(font, words), kStatusLine.Width() - 8) << spot.key << words;
    }
    std::string channel = LookUp(table, "%CHANNEL_SWITCH ").words;
    for (size_t at; (at = channel.find('#')) != std::string::npos;)
        channel.replace(at, 1, "12");
    for (size_t from = 0, to; from <= channel.size(); from = to + 1) {
        to = channel.find('~', from);
        if (to == std::string::npos)
            to = channel.size();
        EXPECT_LE(Width(font, channel.substr(from, to - from)), kStatusLine.Width() - 8);
    }
}

// ---------------------------------------------------------------------------
// Dialog text lists and the other texts

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::string_view rest = text;
    std::string line;
    while (NextLine(rest, line))
        out.push_back(line);
    return out;
}

// The printf conversions of a text, in order ("%.1f", "%s").
std::vector<std::string> Conversions(const std::string& text)
{
    std::vector<std::string> out;
    static const std::regex conversion("%[-+ #0]*[0-9]*(?:\\.[0-9]+)?[dsf%]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion); it != std::sregex_iterator(); ++it)
        if (it->str() != "%%")
            out.push_back(it->str());
    return out;
}

TEST_F(SkinArt, DialogTextListsHaveTheirLinesAndFormats)
{
    struct List {
        const char* entry;
        size_t lines;
        std::map<size_t, std::vector<std::string>> formats; // line index → conversions
    };
    const List lists[] = {
        {"BPM_Select.res", 8, {}},
        {"Insert_Measure.res", 16, {{7, {"%.4f"}}, {9, {"%d"}}, {11, {"%s", "%s"}}, {15, {"%d", "%.4f", "%s", "%s"}}}},
        {"Remove_Measure.res", 16, {{7, {"%.4f"}}, {9, {"%d"}}, {11, {"%s", "%s"}}, {15, {"%d", "%.4f", "%s", "%s"}}}},
        {"Export_File.res", 16, {{7, {"%s", "%.1f"}}, {8, {"%s", "%.1f"}}, {9, {"%s"}}}},
        {"Export_Progress.res", 11, {{4, {"%.1f", "%s"}}, {6, {"%.1f", "%s"}}}},
        {"Options.res", 32, {}},
        {"Record.res", 16, {}},
        {"shift_notes.res", 7, {}},
        {"file_properties.res", 16, {}},
        {"file_remove.res", 16, {}},
        {"save_pitch.res", 16, {}},
        {"save_record.res", 16, {}},
        {"replace.res", 8, {}},
    };
    for (const List& list : lists) {
        SCOPED_TRACE(list.entry);
        const std::string text = Text(list.entry);
        const std::vector<std::string> lines = Lines(text);
        EXPECT_EQ(lines.size(), list.lines);
        ASSERT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) << "the last line ends too";
        for (size_t i = 0; i < lines.size(); ++i) {
            const auto it = list.formats.find(i);
            EXPECT_EQ(Conversions(lines[i]), it == list.formats.end() ? std::vector<std::string>{} : it->second)
                << "line " << i + 1 << ": " << lines[i];
            EXPECT_EQ(lines[i].find('\n'), std::string::npos);
        }
    }
    const std::vector<std::string> options = Lines(Text("Options.res"));
    EXPECT_EQ(options[4], "<<   Prev");
    EXPECT_EQ(options[5], "Next   >>");
    EXPECT_EQ(Lines(Text("save_pitch.res"))[14], "Pitch (semitones):") << "the pitch field's label";
    const std::vector<std::string> notes = Lines(Text("note_order.dat"));
    EXPECT_EQ(notes.size(), 12u);
}

TEST_F(SkinArt, TextEntriesEndEveryLineWithCrLf)
{
    for (const ArchiveEntry& e : Archive().Entries()) {
        const std::string name(e.Name());
        if (name.size() < 4 || (name.compare(name.size() - 4, 4, ".res") != 0 && name.compare(name.size() - 4, 4, ".dat") != 0))
            continue;
        std::string bytes; {
        ASSERT_TRUE(Archive().ReadWholeEntry(name, bytes));
        }
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << " byte " << i;
            }
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
    }
}

// ---------------------------------------------------------------------------
// The splash sound

TEST_F(SkinArt, SplashSoundIsAShortChimeBelowFullScale)
{
    std::string wav;
    ASSERT_TRUE(Archive().ReadWholeEntry(kSplashSound, wav));
    ASSERT_GE(wav.size(), 44u);
    const auto* p = reinterpret_cast<const uint8_t*>(wav.data());
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(ReadLE16(p + 20), 1) << "PCM";
    EXPECT_EQ(ReadLE16(p + 22), 2) << "stereo";
    EXPECT_EQ(ReadLE32(p + 24), 44100u);
    EXPECT_EQ(ReadLE16(p + 34), 16);
    EXPECT_EQ(wav.substr(36, 4), "data");
    const uint32_t bytes = ReadLE32(p + 40);
    ASSERT_EQ(bytes + 44, wav.size());
    const double seconds = bytes / 4.0 / 44100.0;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 3.0);
    int peak = 0;
    for (uint32_t i = 0; i < bytes / 2; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(ReadLE16s(p + 44 + 2 * i))));
    EXPECT_LE(peak, 29204) << "-1 dBFS";
    EXPECT_GE(peak, 16384) << "loud enough to be heard";
    EXPECT_EQ(ReadLE16s(p + 44 + bytes - 2), 0) << "it fades to silence";
}

// ---------------------------------------------------------------------------
// Help pages, previews and repeatability

std::string Decode(const std::string& href)
{
    std::string out;
    for (size_t i = 0; i < href.size(); ++i)
        if (href[i] == '%' && i + 2 < href.size()) {
            out.push_back(static_cast<char>(std::stoi(href.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(href[i]);
        }
    return out;
}

TEST_F(SkinArt, HelpPagesExistAndLinkUp)
{
    const std::string help = s_dir->Path() + "HTMLHelp/";
    const char* const pages[] = {"Introducing.htm",
                                 "The BPM Select Dialog.htm",
                                 "The Insert Measure Dialog.htm",
                                 "The Shift Notes Dialog.htm",
                                 "The Export Dialog.htm",
                                 "The Export Progress Dialog.htm",
                                 "The Options Dialog.htm",
                                 "The Record Dialog.htm",
                                 "The Remove Sample Dialog.htm",
                                 "The Save Sample Copy Dialog.htm",
                                 "The Save Recorded Sample Dialog.htm",
                                 "The File Properties Dialog.htm"};
    for (const char* page : pages)
        EXPECT_TRUE(fs::is_regular_file(help + page)) << page;

    // Every page reached from the first one; every link and picture resolves.
    static const std::regex link("(?:href|src)=\"([^\"#]+)\"");
    std::set<std::string> reached = {"Introducing.htm"};
    std::vector<std::string> todo = {"Introducing.htm"};
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        const std::string html = test::ReadFile(help + page);
        EXPECT_NE(html.find("href=\"help.css\""), std::string::npos) << page << " uses the shared stylesheet";
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
            const std::string target = Decode((*it)[1].str());
            EXPECT_TRUE(fs::is_regular_file(help + target)) << page << " links to missing " << target;
            if (target.size() > 4 && target.compare(target.size() - 4, 4, ".htm") == 0 && reached.insert(target).second)
                todo.push_back(target);
        }
    }
    for (const char* page : pages) {
        EXPECT_TRUE(reached.count(page)) << page << " is reached from Introducing.htm";
            }
}

// Width and height from a PNG's header.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes)
{
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    auto be = [p](size_t at) {
        return static_cast<uint32_t>(p[at]) << 24 | static_cast<uint32_t>(p[at + 1]) << 16 |
               static_cast<uint32_t>(p[at + 2]) << 8 | p[at + 3];
    };
    return {be(16), be(20)};
}

TEST_F(SkinArt, PreviewsAndTheArchiveAreTheSameOnEveryRun)
{
    EXPECT_EQ(PngSize(test::ReadFile(s_dir->Path() + "skin-preview.png")), (std::pair<uint32_t, uint32_t>{800, 600}));
    EXPECT_EQ(PngSize(test::ReadFile(s_dir->Path() + "skin-preview@2x.png")),
              (std::pair<uint32_t, uint32_t>{1600, 1200}));

    test::TempDir again;
    const test::CliResult run = test::RunCommand({BM_MAKE_SKIN, again.Path(), "--assets", BM_SKIN_ASSETS});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* file : {"Brickmelody.wad", "skin-preview.png", "HTMLHelp/images/window.png"}) {
        const std::string first = test::ReadFile(s_dir->Path() + file);
        EXPECT_FALSE(first.empty()) << file;
        EXPECT_TRUE(first == test::ReadFile(again.Path() + file)) << file << " differs between two runs";
    }
    EXPECT_FALSE(fs::exists(again.Path() + "Brickmelody.wad.part"));
    EXPECT_FALSE(fs::exists(again.Path() + "Brickmelody.wad.entries"));
}

TEST(SkinArtRun, RefusesMissingAssetsWithoutLeavingAnArchive)
{
    test::TempDir dir;
    const test::CliResult run = test::RunCommand({BM_MAKE_SKIN, dir.Path(), "--assets", dir.Path() + "none/"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("bm-make-skin: "), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.Path() + "Brickmelody.wad"));
    EXPECT_EQ(test::RunCommand({BM_MAKE_SKIN}).status, 2) << "usage";
}

} // namespace
} // namespace bm
