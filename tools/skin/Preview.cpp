#include "Preview.h"

#include "Glyphs.h"
#include "Skin.h"

#include "ui/main/Layout.h"
#include "ui/skin/SkinPalette.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace bm::art {

namespace {

using namespace bm::layout;

// Copies pixels of `strip`'s cell `cell` that are not pure black, as the
// window's keyed copy does.
void PutCell(Image& img, const Image& strip, int32_t cellWidth, int32_t cell, int32_t x, int32_t y)
{
    for (int32_t j = 0; j < strip.Height(); ++j)
        for (int32_t i = 0; i < cellWidth; ++i) {
            const int32_t sx = cell * cellWidth + i;
            if (sx >= strip.Width() || strip.Alpha(sx, j) < 0.5f || !img.Inside(x + i, y + j))
                continue;
            const float a = strip.Alpha(sx, j);
            const Rgb& c = strip.At(sx, j);
            img.At(x + i, y + j) = {c.r / a, c.g / a, c.b / a};
        }
}

const StripFont& FontOf(const FontSet& fonts, FontId id) { return fonts[static_cast<size_t>(id)]; }

void Text(Image& img, const FontSet& fonts, FontId id, const Rect& r, Align align, const std::string& text, Rgb colour,
          int32_t inset = 5)
{
    const StripFont& f = FontOf(fonts, id);
    const int32_t w = f.TextWidth(text);
    int32_t x = r.left + inset;
    if (align == Align::Right)
        x = r.right - inset - w + 1;
    else if (align == Align::Centre)
        x = r.left + (r.Width() - w) / 2;
    const int32_t y = r.top + (r.Height() - f.cellHeight) / 2;
    f.Draw(img, x, y, text, colour);
}

std::string Digits(const std::string& s)
{
    std::string out;
    for (char c : s)
        out.push_back(DigitFontCode(c));
    return out;
}

void Desktop(Image& img)
{
    for (int32_t y = 0; y < img.Height(); ++y)
        for (int32_t x = 0; x < img.Width(); ++x) {
            const float t = static_cast<float>(x + y) / static_cast<float>(img.Width() + img.Height());
            img.At(x, y) = Mix(Hex(0x56708A), Hex(0x8A7A9A), t);
            img.Alpha(x, y) = 1.0f;
        }
}

void SampleArrangement(Image& img, const FontSet& fonts)
{
    const int32_t w = 18; // pixels per measure
    const int32_t left = kArrangement.left;
    // Bar lines every eight measures and measure lines between.
    for (int32_t m = 1; left + m * w < kArrangement.right; ++m) {
        const int32_t x = left + m * w;
        const Rgb c = Hex(m % 8 == 0 ? palette::kBarLine : palette::kMeasureLine);
        for (int32_t y = ChannelRowRect(0).top; y <= ChannelRowRect(kChannels - 1).bottom; ++y)
            img.At(x, y) = c;
    }
    struct Slot {
        int32_t channel, measure, length;
        const char* name;
    };
    const Slot slots[] = {{0, 0, 8, "Kick 4x4"},   {0, 8, 8, "Kick 4x4"},   {0, 16, 8, "Kick fill"},
                          {1, 4, 8, "Hats open"},  {1, 12, 16, "Hats 16th"}, {2, 8, 16, "Snare back"},
                          {3, 0, 16, "Bass Am"},   {3, 16, 8, "Bass F"},    {4, 8, 8, "Pad wide"},
                          {4, 16, 16, "Pad wide"}, {5, 16, 8, "Lead hook"}, {6, 24, 8, "Arp up"},
                          {7, 0, 4, "Riser"},      {8, 20, 12, "Chords"},   {9, 28, 4, "Impact"}};
    for (const Slot& s : slots) {
        const Rect row = ChannelRowRect(s.channel);
        const Rect bar{left + s.measure * w + 1, row.top + 1, left + (s.measure + s.length) * w - 1, row.bottom - 1};
        const Rgb colour = Hex(palette::kChannelColours[static_cast<size_t>(s.channel)]);
        Fill(img, RoundBox(BoxOf(bar), 2), bar, VGrad(static_cast<float>(bar.top), Mix(colour, Hex(0x14171C), 0.45f),
                                                      static_cast<float>(bar.bottom), Mix(colour, Hex(0x14171C), 0.62f)));
        Fill(img, Outline(RoundBox(BoxOf(bar).Inset(0.5f), 1.5f), 0.5f), bar, Solid(colour), 0.8f);
        FontOf(fonts, FontId::Text8).Draw(img, bar.left + 4, row.top + 4, s.name, Shade(colour, 0.55f));
    }
    // Volume envelope of channel 3 and the play cursor.
    const Rect row3 = ChannelRowRect(3);
    Fill(img, Segment(static_cast<float>(left), static_cast<float>(row3.top) + 3, static_cast<float>(left + 12 * w),
                      static_cast<float>(row3.top) + 3, 0.6f),
         row3, Solid(Hex(0xFFFFFF)), 0.7f);
    Fill(img, Segment(static_cast<float>(left + 12 * w), static_cast<float>(row3.top) + 3,
                      static_cast<float>(left + 20 * w), static_cast<float>(row3.bottom) - 4, 0.6f),
         row3, Solid(Hex(0xFFFFFF)), 0.7f);
    for (int32_t m : {0, 12, 20})
        Fill(img, Circle(static_cast<float>(left + m * w) + 0.5f, m == 20 ? static_cast<float>(row3.bottom) - 4
                                                                          : static_cast<float>(row3.top) + 3, 2.0f),
             row3, Solid(Hex(0xFFFFFF)));
    const int32_t cursor = left + 10 * w;
    for (int32_t y = kRegionBand.bottom + 1; y <= ChannelRowRect(kChannels - 1).bottom; ++y)
        img.At(cursor, y) = Hex(palette::kCursor);
    // A region over measures 8 to 23.
    const int32_t regionStart = left + 8 * w - 1, regionEnd = left + 24 * w - 1;
    for (int32_t x = regionStart; x <= regionEnd; ++x)
        for (int32_t y = kRegionBand.top + 2; y <= kRegionBand.top + 3; ++y)
            img.Over(x, y, Hex(palette::kRegion), 0.5f);
    (void)regionEnd;
}

void SampleLibrary(Image& img, const Output& out, const FontSet& fonts)
{
    const StripFont& f = FontOf(fonts, FontId::Text8);
    const char* parts[] = {"Beats", "Percussion"};
    for (int32_t r = 0; r < 2; ++r) {
        const Rect row = LibraryRowRect(r);
        Fill(img, RoundBox(BoxOf(row).Inset(0.5f), 2), row, Solid(Hex(palette::kPartRow)));
        DrawIcon(img, Icon::Folder, {static_cast<float>(row.left) + 6, static_cast<float>(row.top) + 3,
                                     static_cast<float>(row.left) + 21, static_cast<float>(row.top) + 18},
                 Hex(palette::kTextDim));
        f.Draw(img, row.left + kLibraryPartIconWidth + 6, row.top + 4, parts[r], Hex(palette::kText));
    }
    const char* names[4][6] = {{"Kick 4x4", "Kick 4x4", "Kick fill", "", "Kick rev", ""},
                               {"Hats 16th", "Hats 8th", "Hats open", "Shaker", "", ""},
                               {"Snare back", "Clap", "Snare roll", "", "", ""},
                               {"", "", "", "", "", ""}};
    for (int32_t r = 0; r < 4; ++r) {
        const int32_t visible = r + 2;
        for (int32_t col = 0; col < kLibraryColumns; ++col) {
            const Rect cell = LibraryCellRect(visible, col);
            const bool filled = names[r][col][0] != 0;
            for (int32_t y = cell.top; y <= cell.bottom; ++y)
                for (int32_t x = cell.left; x <= cell.right; ++x)
                    img.At(x, y) = Hex(filled ? palette::kCellFilled : palette::kCell);
            for (int32_t y = cell.top; y <= cell.bottom; ++y)
                img.At(cell.right, y) = Hex(0x3C3C3C);
            for (int32_t x = cell.left; x <= cell.right; ++x)
                img.At(x, cell.bottom) = Hex(0x454545);
            if (filled)
                f.Draw(img, cell.left + 4, cell.top + 4, names[r][col], Hex(col == 1 && r == 1 ? palette::kAccent : palette::kText));
        }
    }
    const Rect free = LibraryRowRect(5);
    f.Draw(img, free.left + 6, free.top + 4, "Add your own samples here", Hex(palette::kTextDim));
    if (const Image* add = out.Find(kLibraryAddStrip))
        PutCell(img, *add, kLibraryAddWidth, 1, LibraryAddRect(5).left, LibraryAddRect(5).top);
}

void ScrollBar(Image& img, const Output& out, const ScrollBarSpec& bar, float at)
{
    const Image* track = out.Find(bar.track);
    const Image* thumb = out.Find(bar.thumb);
    if (!track || !thumb)
        return;
    PutCell(img, *track, track->Width(), 0, bar.rect.left, bar.rect.top);
    const int32_t cellWidth = bar.vertical ? thumb->Width() : thumb->Width() / 2;
    if (bar.vertical) {
        const int32_t y = bar.rect.top + static_cast<int32_t>(at * static_cast<float>(bar.rect.Height() - thumb->Height()));
        PutCell(img, *thumb, cellWidth, 0, bar.rect.left, y);
    } else {
        const int32_t x = bar.rect.left + static_cast<int32_t>(at * static_cast<float>(bar.rect.Width() - cellWidth));
        PutCell(img, *thumb, cellWidth, 0, x, bar.rect.top);
    }
}

void Meters(Image& img, const Output& out)
{
    const Image* markers = out.Find(kMeterEntry);
    if (!markers)
        return;
    const int32_t levels[kChannels] = {22, 17, 19, 14, 20, 9, 12, 6, 15, 3, 0, 0};
    for (int32_t ch = 0; ch < kChannels; ++ch) {
        const Rect column = MeterColumnRect(ch);
        const int32_t lit = levels[ch] * kMeterSegmentPitch;
        for (int32_t j = 0; j < kMeterColumnHeight; ++j)
            for (int32_t i = 0; i < kMeterColumnWidth; ++i) {
                const int32_t cell = kMeterColumnHeight - j <= lit ? 1 : 0;
                img.At(column.left + i, column.top + j) = markers->At(cell * kMeterColumnWidth + i, j);
            }
    }
}

void Pieces(Image& img, const Image& desktop)
{
    for (const Piece& p : kPieces) {
        const std::vector<uint8_t> mask = PieceMask(p);
        for (int32_t j = 0; j < p.height; ++j)
            for (int32_t i = 0; i < p.width; ++i) {
                const uint8_t m = mask[static_cast<size_t>(j * p.width + i)];
                const int32_t x = p.x + i, y = p.y + j;
                if (m == 255 || !img.Inside(x, y))
                    continue;
                const Rgb s = desktop.At(x, y), k = img.At(x, y);
                const float t = static_cast<float>(m) / 256.0f;
                img.At(x, y) = {s.r + (k.r - s.r) * t, s.g + (k.g - s.g) * t, s.b + (k.b - s.b) * t};
            }
    }
}

} // namespace

Image ComposePreview(const Output& out, const FontSet& fonts)
{
    Image desktop(kWindowWidth, kWindowHeight, {}, 1.0f);
    Desktop(desktop);
    const Image* skin = out.Find(kSkinEntry);
    Image img = desktop;
    for (int32_t y = 0; y < kWindowHeight; ++y)
        for (int32_t x = 0; x < kWindowWidth; ++x)
            if (skin && skin->Alpha(x, y) >= 0.5f)
                img.At(x, y) = skin->At(x, y);

    SampleArrangement(img, fonts);
    SampleLibrary(img, out, fonts);
    for (const Control& c : kControls)
        if (const Image* strip = out.Find(c.strip)) {
            // Shown as a new song starts: channels on at half volume, the power lamp lit.
            int32_t cell = 1;
            if (c.layout == 4)
                cell = 3;
            else if (c.strip == kChannelVolumeStrip)
                cell = 1 + kChannelVolumeFrames / 2;
            else if (c.id == ControlId::PowerLamp)
                cell = 2;
            PutCell(img, *strip, c.rect.Width(), cell, c.rect.left, c.rect.top);
        }
    ScrollBar(img, out, kLibraryScroll, 0.0f);
    ScrollBar(img, out, kArrangementScroll, 0.12f);
    Meters(img, out);

    const Rgb text = Hex(palette::kText), display = Hex(palette::kDisplayText);
    auto area = [](TextId id) { return TextAreaOf(id); };
    Text(img, fonts, area(TextId::SongName).font, area(TextId::SongName).rect, Align::Left, "Intro.ncp", display, 4);
    Text(img, fonts, FontId::Digits, kTimeHotAreas[0], Align::Right, Digits("011:01"), display, 3);
    Text(img, fonts, FontId::Digits, kTimeHotAreas[1], Align::Right, Digits("048:00"), Hex(palette::kDisplayDim) , 3);
    Text(img, fonts, area(TextId::StyleName).font, area(TextId::StyleName).rect, Align::Left, "House", text);
    Text(img, fonts, area(TextId::GroupName).font, area(TextId::GroupName).rect, Align::Left, "Drums & Percussion", text);
    Text(img, fonts, area(TextId::ChordName).font, area(TextId::ChordName).rect, Align::Left, "Beats \xB7 A minor", text);
    Text(img, fonts, area(TextId::VolumeValue).font, area(TextId::VolumeValue).rect, Align::Centre, "80 %", text);
    Text(img, fonts, FontId::Digits, area(TextId::BpmValue).rect, Align::Right, Digits("126.0"), display, 6);
    Text(img, fonts, FontId::Text8, kStatusLine, Align::Left, "Play the song from the cursor (Space)",
         Hex(palette::kTextDim));

    Pieces(img, desktop);
    return img;
}

Image ComposeMenu(const Output& out, const FontSet& fonts, std::string_view description, int32_t hotItem)
{
    struct Item {
        std::string label, right;
        int32_t icon = -1, checked = -1;
        bool separator = false, popup = false;
    };
    std::vector<Item> items;
    int32_t cell = 19;
    std::string iconEntry = "icon19.bmp";
    size_t start = 0;
    while (start < description.size()) {
        size_t end = description.find("\r\n", start);
        if (end == std::string_view::npos)
            end = description.size();
        const std::string line(description.substr(start, end - start));
        start = end + 2;
        auto quoted = [&line](size_t& at) {
            const size_t a = line.find('"', at), b = a == std::string::npos ? a : line.find('"', a + 1);
            if (b == std::string::npos)
                return std::string();
            at = b + 1;
            return line.substr(a + 1, b - a - 1);
        };
        auto number = [&line](size_t& at) {
            const size_t c = line.find(',', at);
            if (c == std::string::npos)
                return 0;
            at = c + 1;
            return std::atoi(line.c_str() + at);
        };
        size_t at = 0;
        if (line.rfind("ICONBMP", 0) == 0) {
            iconEntry = quoted(at);
            cell = number(at);
        } else if (line.rfind("MENUITEM", 0) == 0) {
            Item it;
            it.label = quoted(at);
            it.right = quoted(at);
            number(at);
            number(at);
            it.checked = number(at);
            it.icon = number(at);
            items.push_back(it);
        } else if (line.rfind("POPUP", 0) == 0) {
            Item it;
            it.label = quoted(at);
            quoted(at);
            number(at);
            it.icon = number(at);
            it.popup = true;
            items.push_back(it);
        } else if (line.rfind("SEPARATOR", 0) == 0 && !items.empty() && !items.back().separator) {
            Item it;
            it.separator = true;
            items.push_back(it);
        }
    }
    const StripFont& f = FontOf(fonts, FontId::Text8);
    int32_t column = 0, rightColumn = 0, height = 2;
    for (const Item& it : items) {
        column = std::max(column, f.TextWidth(it.label) + cell + 4);
        rightColumn = std::max(rightColumn, f.TextWidth(it.right));
        height += it.separator ? 8 : cell;
    }
    const int32_t width = column + rightColumn + 14 + 12 + 6;
    Image img(width, height, Hex(palette::kMenuBackground), 1.0f);
    const Image* icons = out.Find(iconEntry);
    int32_t y = 1;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        if (it.separator) {
            for (int32_t x = 6; x < width - 6; ++x) {
                img.At(x, y + 3) = Shade(Hex(palette::kMenuBackground), -0.35f);
                img.At(x, y + 4) = Shade(Hex(palette::kMenuBackground), 0.08f);
            }
            y += 8;
            continue;
        }
        const bool hot = static_cast<int32_t>(i) == hotItem;
        if (hot)
            Fill(img, RoundBox({2, static_cast<float>(y), static_cast<float>(width - 2), static_cast<float>(y + cell)}, 3),
                 {0, y, width - 1, y + cell - 1}, Solid(Hex(palette::kMenuHighlight)));
        if (icons && it.icon >= 0) {
            const int32_t col = it.checked > 0 ? (hot ? 4 : 3) : hot ? 2 : 1;
            PutCell(img, icons->Crop({0, it.icon * cell, icons->Width() - 1, it.icon * cell + cell - 1}), cell, col, 4, y);
        }
        const Rgb ink = Hex(hot ? palette::kMenuHighlightText : palette::kMenuText);
        const int32_t ty = y + (cell - f.cellHeight) / 2;
        f.Draw(img, 4 + cell + 6, ty, it.label, ink);
        if (it.popup)
            DrawIcon(img, Icon::ChevronRight, {static_cast<float>(width - 16), static_cast<float>(y + cell / 2 - 5),
                                               static_cast<float>(width - 6), static_cast<float>(y + cell / 2 + 5)},
                     Hex(palette::kTextDim));
        else
            f.Draw(img, width - 10 - f.TextWidth(it.right), ty, it.right, Hex(hot ? palette::kMenuHighlightText : palette::kTextDim));
        y += cell;
    }
    for (int32_t x = 0; x < width; ++x) {
        img.At(x, 0) = Shade(Hex(palette::kMenuBackground), 0.3f);
        img.At(x, height - 1) = Shade(Hex(palette::kMenuBackground), -0.5f);
    }
    for (int32_t yy = 0; yy < height; ++yy) {
        img.At(0, yy) = Shade(Hex(palette::kMenuBackground), 0.3f);
        img.At(width - 1, yy) = Shade(Hex(palette::kMenuBackground), -0.5f);
    }
    return img;
}

} // namespace bm::art
