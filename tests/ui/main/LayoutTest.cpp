#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace bm::layout {
namespace {

std::string Describe(const Rect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

struct Fixed {
    ControlId id;
    Rect rect;
    std::string_view strip;
};

// The rectangles and pictures the window's controls must have whatever the art looks like.
const Fixed kFixed[] = {
    {ControlId::Play, {447, 346, 491, 367}, "Transp Butt 06.bmp"},
    {ControlId::Stop, {495, 346, 539, 367}, "Transp Butt 05.bmp"},
    {ControlId::ToStart, {543, 346, 587, 367}, "Transp Butt 01.bmp"},
    {ControlId::Rewind, {591, 346, 635, 367}, "Transp Butt 02.bmp"},
    {ControlId::FastForward, {639, 346, 683, 367}, "Transp Butt 03.bmp"},
    {ControlId::ToEnd, {687, 346, 731, 367}, "Transp Butt 04.bmp"},
    {ControlId::Loop, {735, 346, 779, 367}, "Transp Butt 07.bmp"},
    {ControlId::Record, {42, 393, 85, 417}, "Rec Butt.bmp"},
    {ControlId::Power, {521, 559, 580, 588}, "Power Butt.bmp"},
    {ControlId::Edit, {184, 5, 231, 26}, "UP Butt 01.bmp"},
    {ControlId::Region, {244, 5, 287, 26}, "UP Butt 02.bmp"},
    {ControlId::RegionPlay, {290, 5, 333, 26}, "UP Butt 04.bmp"},
    {ControlId::TimeFormat, {698, 5, 722, 26}, "UP Butt 06.bmp"},
    {ControlId::Minimize, {738, 5, 763, 26}, "UP Butt 07.bmp"},
    {ControlId::Close, {764, 5, 789, 26}, "UP Butt 08.bmp"},
    {ControlId::ZoomWindow, {120, 334, 155, 342}, "Zoom Wnd Butt.bmp"},
    {ControlId::MeasureWindow, {751, 334, 786, 342}, "Measure Wnd Butt.bmp"},
    {ControlId::Silence, {104, 396, 175, 413}, "Silence_01.bmp"},
    {ControlId::StyleMenu, {169, 349, 212, 373}, "LB Butt 03.bmp"},
    {ControlId::GroupMenu, {367, 349, 410, 373}, "LB Butt 04.bmp"},
    {ControlId::ChordMenu, {452, 392, 495, 416}, "LB Butt 05.bmp"},
    {ControlId::MainMenu, {95, 570, 150, 599}, "LB Butt 06.bmp"},
    {ControlId::Tempo, {413, 573, 440, 596}, "LB Butt 07.bmp"},
    {ControlId::TempoFaster, {442, 573, 464, 596}, "LB Butt 08.bmp"},
    {ControlId::TempoSlower, {465, 573, 487, 596}, "LB Butt 09.bmp"},
    {ControlId::LibraryRowUp, {473, 456, 500, 480}, "LB Butt 01.bmp"},
    {ControlId::LibraryRowDown, {473, 510, 500, 534}, "LB Butt 02.bmp"},
};

TEST(LayoutTest, FixedRectanglesAndPicturesHoldExactly)
{
    for (const Fixed& f : kFixed) {
        const Control& c = ControlOf(f.id);
        EXPECT_EQ(c.id, f.id);
        EXPECT_EQ(c.rect, f.rect) << f.strip << " is at " << Describe(c.rect);
        EXPECT_EQ(c.strip, f.strip);
    }
    EXPECT_EQ(kMoveBar, (Rect{12, 7, 119, 26}));
    EXPECT_EQ(kMeters, (Rect{594, 379, 784, 463}));
    EXPECT_EQ(kSplashButton, (Rect{106, 158, 313, 182}));
    EXPECT_EQ(kSkinEntry, "IF8060.bmp");

    struct PiecePlace {
        std::string_view entry;
        int32_t x, y, kind;
    };
    const PiecePlace places[] = {{"m1l.bmp", 0, 35, 1},    {"m2lt.bmp", 0, 0, 3},    {"m3t.bmp", 32, 4, 2},
                                 {"m4lt.bmp", 124, 0, 3},  {"m5t.bmp", 136, 0, 2},   {"m7r.bmp", 792, 5, 4},
                                 {"m9b.bmp", 56, 599, 8},  {"m10lb.bmp", 0, 564, 9}, {"m11l.bmp", 0, 407, 1},
                                 {"m12lt.bmp", 0, 389, 3}, {"m13l.bmp", 9, 339, 1},  {"m14lb.bmp", 0, 323, 9}};
    ASSERT_EQ(std::size(places), kPieces.size());
    for (size_t i = 0; i < kPieces.size(); ++i) {
        EXPECT_EQ(kPieces[i].entry, places[i].entry);
        EXPECT_EQ(kPieces[i].x, places[i].x) << places[i].entry;
        EXPECT_EQ(kPieces[i].y, places[i].y) << places[i].entry;
        EXPECT_EQ(static_cast<int32_t>(kPieces[i].kind), places[i].kind) << places[i].entry;
        EXPECT_TRUE(Inside(kPieces[i].Bounds(), kWindow)) << places[i].entry;
    }
}

TEST(LayoutTest, ControlsStayInsideTheWindowAndNeverOverlap)
{
    for (size_t i = 0; i < kControls.size(); ++i) {
        const Control& a = kControls[i];
        EXPECT_EQ(static_cast<size_t>(a.id), i) << "the table is indexed by id";
        EXPECT_FALSE(a.rect.Empty()) << a.what;
        EXPECT_TRUE(Inside(a.rect, kWindow)) << a.what << " at " << Describe(a.rect);
        EXPECT_FALSE(a.strip.empty()) << a.what;
        EXPECT_GT(a.CellCount(), 1) << a.what << ": a shape cell and at least one picture";
        for (size_t j = i + 1; j < kControls.size(); ++j)
            EXPECT_FALSE(a.rect.Intersects(kControls[j].rect))
                << a.what << " " << Describe(a.rect) << " overlaps " << kControls[j].what << " "
                << Describe(kControls[j].rect);
    }
}

TEST(LayoutTest, AreasAndTextDisplaysKeepClearOfControlsAndEachOther)
{
    std::vector<std::pair<std::string, Rect>> areas = {
        {"arrangement", kArrangement},      {"library", kLibrary},
        {"library scroll", kLibraryScroll.rect}, {"arrangement scroll", kArrangementScroll.rect},
        {"meters", kMeters},                {"display panel", kDisplayPanel},
        {"move bar", kMoveBar},
    };
    for (const TextArea& t : kTextAreas)
        if (!Inside(t.rect, kDisplayPanel))
            areas.push_back({"text " + std::to_string(static_cast<int>(t.id)), t.rect});

    for (size_t i = 0; i < areas.size(); ++i) {
        EXPECT_TRUE(Inside(areas[i].second, kWindow)) << areas[i].first;
        for (const Control& c : kControls)
            EXPECT_FALSE(areas[i].second.Intersects(c.rect)) << areas[i].first << " covers " << c.what;
        for (size_t j = i + 1; j < areas.size(); ++j)
            EXPECT_FALSE(areas[i].second.Intersects(areas[j].second)) << areas[i].first << " / " << areas[j].first;
    }
    // The top display holds the song name and the two time areas side by side.
    EXPECT_TRUE(Inside(TextAreaOf(TextId::SongName).rect, kDisplayPanel));
    EXPECT_TRUE(Inside(TextAreaOf(TextId::Time).rect, kDisplayPanel));
    EXPECT_FALSE(kTimeHotAreas[0].Intersects(kTimeHotAreas[1]));
    EXPECT_FALSE(kTimeHotAreas[0].Intersects(TextAreaOf(TextId::SongName).rect));
    for (const Rect& hot : kTimeHotAreas)
        EXPECT_TRUE(Inside(hot, TextAreaOf(TextId::Time).rect));
    for (size_t i = 0; i < kTextAreas.size(); ++i)
        EXPECT_EQ(static_cast<size_t>(kTextAreas[i].id), i);
}

TEST(LayoutTest, ChannelRowsAreTwentyFivePixelsApartWithTheirSwitchesAndIndicators)
{
    for (int32_t ch = 0; ch < kChannels; ++ch) {
        const Rect row = ChannelRowRect(ch);
        EXPECT_EQ(row.top, kArrangement.top + 25 * ch + 6);
        EXPECT_EQ(row.Height(), 20);
        EXPECT_TRUE(Inside(row, kArrangement));

        const Control& sw = ControlOf(static_cast<ControlId>(static_cast<int32_t>(ControlId::ChannelSwitch0) + ch));
        const Control& vol = ControlOf(static_cast<ControlId>(static_cast<int32_t>(ControlId::ChannelVolume0) + ch));
        EXPECT_EQ(sw.rect.left, 11);
        EXPECT_EQ(sw.rect.right, 42);
        EXPECT_EQ(sw.rect.Height(), 13);
        EXPECT_EQ(vol.rect.left, 51);
        EXPECT_EQ(vol.rect.right, 74);
        EXPECT_EQ(vol.rect.Height(), 23);
        EXPECT_EQ(vol.strip, "VL Channel 00.bmp");
        EXPECT_EQ(sw.strip, kChannelSwitchStrips[static_cast<size_t>(ch)]);

        // The window's row rule, (y - T - 3) / 25, finds this channel for every
        // pixel of the row and of both controls.
        for (const Rect& r : {row, sw.rect, vol.rect})
            for (int32_t y = r.top; y <= r.bottom; ++y)
                EXPECT_EQ((y - kArrangement.top - 3) / kRowPitch, ch) << "y " << y;
    }
    EXPECT_EQ(kArrangement.top + 3 + kRowPitch * kChannels - 1, kArrangement.bottom)
        << "the area ends where the row rule stops finding row 11";
    EXPECT_EQ(kRegionBand.Height(), 6);
    EXPECT_EQ(kRegionBand.top, kArrangement.top);
}

TEST(LayoutTest, LibraryRowsAndCellsFollowTheirArithmetic)
{
    EXPECT_EQ(kLibrary.Width(), 6 * 73);
    EXPECT_EQ(kLibraryVisibleRows, kLibrary.Height() / 21);
    EXPECT_GE(kLibraryVisibleRows, 7);
    EXPECT_LE(LibraryRowRect(kLibraryVisibleRows - 1).bottom, kLibrary.bottom);
    for (int32_t row = 0; row < kLibraryVisibleRows; ++row) {
        EXPECT_EQ(LibraryRowRect(row).Height(), 21);
        for (int32_t col = 0; col < kLibraryColumns; ++col) {
            const Rect cell = LibraryCellRect(row, col);
            EXPECT_EQ(cell.Width(), 73);
            EXPECT_EQ(cell.left, kLibrary.left + 73 * col);
            EXPECT_EQ(LibraryRowAt(cell.left, cell.top), row);
            EXPECT_EQ(LibraryRowAt(cell.right, cell.bottom), row);
        }
        EXPECT_TRUE(Inside(LibraryAddRect(row), LibraryRowRect(row)));
    }
    EXPECT_EQ(LibraryRowAt(kLibrary.left - 1, kLibrary.top), -1);
    EXPECT_EQ(LibraryRowAt(kLibrary.left, kLibrary.top - 1), -1);
    EXPECT_EQ(LibraryRowAt(kLibrary.left, kLibrary.top + 21 * kLibraryVisibleRows), -1)
        << "a partial row below the last whole one is not a row";
}

TEST(LayoutTest, HintSpotsCoverEachKeyOnceAndHoldTheirControls)
{
    std::set<std::string_view> keys;
    for (const HintSpot& h : kHintSpots) {
        EXPECT_TRUE(keys.insert(h.key).second) << h.key;
        EXPECT_EQ(h.key.front(), '%');
        EXPECT_EQ(h.key.back(), ' ');
        EXPECT_TRUE(Inside(h.rect, kWindow)) << h.key;
        EXPECT_EQ(h.shownAtStart, h.key != "%REG_REMOVE ") << h.key;
    }
    for (const Control& c : kControls) {
        if (c.hint.empty() || c.hint == "%CHANNEL_SWITCH " || c.hint == "%CHANNEL_VOL ")
            continue;
        bool covered = false;
        for (const HintSpot& h : kHintSpots)
            covered = covered || (h.key == c.hint && Inside(c.rect, h.rect));
        EXPECT_TRUE(covered) << c.what << " with " << c.hint;
    }
    // The spots are searched in order and the first hit wins, so no two may
    // share a pixel unless they are the two wordings of the region button.
    for (size_t i = 0; i < kHintSpots.size(); ++i)
        for (size_t j = i + 1; j < kHintSpots.size(); ++j)
            if (kHintSpots[i].key != "%REG_CREATE " || kHintSpots[j].key != "%REG_REMOVE ") {
                EXPECT_FALSE(kHintSpots[i].rect.Intersects(kHintSpots[j].rect))
                    << kHintSpots[i].key << kHintSpots[j].key;
            }
}

TEST(LayoutTest, MeterSegmentsStackInsideTheMeterArea)
{
    for (int32_t ch = 0; ch < kChannels; ++ch) {
        const Rect column = MeterColumnRect(ch);
        EXPECT_TRUE(Inside(column, kMeters)) << ch;
        if (ch > 0) {
            EXPECT_GT(column.left, MeterColumnRect(ch - 1).right);
        }
        EXPECT_EQ(MeterSegmentRect(ch, 0).bottom, column.bottom);
        EXPECT_EQ(MeterSegmentRect(ch, kMeterSegments - 1).top, column.top);
    }
}

TEST(LayoutTest, FontsAndDigitCodes)
{
    ASSERT_EQ(kFonts.size(), 4u);
    EXPECT_EQ(kFonts[0].entry, "western--14x12-8pt.bmp") << "the first font is the window's default";
    EXPECT_EQ(kFonts[1].entry, "western--14x13-9pt.bmp");
    EXPECT_EQ(kFonts[2].entry, "SFont 12X14.BMP");
    EXPECT_EQ(kFonts[3].entry, "DF 26X12 8pt.BMP");
    EXPECT_EQ(kFonts[3].cellWidth, 26);
    EXPECT_EQ(kFonts[3].cellHeight, 12);
    EXPECT_EQ(kFonts[3].firstChar, 48);
    EXPECT_EQ(kFonts[3].lastChar, 129);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kFonts[i].cellWidth, 0) << "derived from the strip";
        EXPECT_EQ(kFonts[i].lastChar, 255);
    }
    for (char c : std::string("0123456789:"))
        EXPECT_EQ(DigitFontCode(c), c);
    EXPECT_GE(static_cast<uint8_t>(DigitFontCode('.')), kFonts[3].firstChar);
    EXPECT_LE(static_cast<uint8_t>(DigitFontCode('-')), kFonts[3].lastChar);
    EXPECT_NE(DigitFontCode('.'), DigitFontCode('-'));
}

TEST(LayoutTest, ToolWindowButtonsFitTheirWindows)
{
    for (const ToolWindowSpec* t : {&kZoomWindow, &kMeasureWindow}) {
        const Rect whole{0, 0, t->width - 1, t->height - 1};
        EXPECT_TRUE(Inside(t->less, whole)) << t->skin;
        EXPECT_TRUE(Inside(t->more, whole)) << t->skin;
        EXPECT_FALSE(t->less.Intersects(t->more)) << t->skin;
    }
    EXPECT_TRUE(Inside(kSplashButton, Rect{0, 0, kSplashWidth - 1, kSplashHeight - 1}));
}

} // namespace
} // namespace bm::layout
