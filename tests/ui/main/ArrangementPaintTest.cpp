// Pixels of the painted areas: bars, their looks, envelope points, region
// handles, the cursor, the band and drop outline, the meters and the
// library's cells, and which rectangles a change repaints.

#include "AreasFixture.h"

#include "support/ArchiveImage.h"

#include <fstream>

namespace bm::ui::test {
namespace {

using platform::Point;
using platform::Rect;
namespace mods = platform::mods;
namespace msg = platform::msg;

constexpr int32_t kS = 20352;

class PaintTest : public AreasTest {
protected:
    PaintTest()
    {
        GiveMeasures(16);
        Posted();
        // The group's colours as the library keeps them (0x00BBGGRR).
        S().doc.library.styles[0].groups[0].colours = {0x00332211, 0x00887766, 0x00110000, 0x00F0F0F0};
    }
    Rect Bar(int32_t m, int32_t c) const { return SlotBarRect(controller->State().doc.song, controller->State().doc.library, F(), m, c); }
    // A pixel inside a bar, clear of its frame, stripe and arrow.
    uint32_t Inside(int32_t m, int32_t c) const
    {
        const Rect bar = Bar(m, c);
        return host.canvas.Pixel(bar.right - 2, bar.bottom - 3);
    }
};

TEST_F(PaintTest, AShortSlotAtTheNarrowestZoomIsStillFourPixelsWide)
{
    S().view.measureWidth = 1;
    S().doc.library.styles[0].groups[0].parts[1].chords[0].entries[0].variants[0].length = 20000;
    Place(3, 2, 1, 0, 0);
    A().Paint(Area::Arrangement);
    const geometry::Frame f = F();
    const int32_t x = geometry::MeasureX(f, 3);
    const int32_t y = geometry::RowTop(f, 2) + 10;
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_NE(host.canvas.Pixel(x + i, y), kSkin) << "pixel " << i;
    EXPECT_EQ(host.canvas.Pixel(x + 4, y), kSkin);
    EXPECT_EQ(host.canvas.Pixel(x - 1, y), kSkin);
    EXPECT_EQ(host.canvas.Pixel(x + 2, geometry::RowTop(f, 2) - 1), kSkin) << "rows are 20 pixels high";
    EXPECT_NE(host.canvas.Pixel(x + 2, geometry::RowBottom(f, 2)), kSkin);
    EXPECT_EQ(host.canvas.Pixel(x + 2, geometry::RowBottom(f, 2) + 1), kSkin);
}

TEST_F(PaintTest, SelectedSwitchedOffReversedAndMissingBarsLookDifferent)
{
    Place(1, 0, 1, 0, 0);
    Place(1, 1, 1, 0, 0, true);
    Place(1, 2, 1, 0, 0);
    S().doc.song.channelOn[2] = false;
    Place(1, 3, 1, 0, 0);
    S().doc.song.measures[1].slots[3].reverse = 1;
    S().doc.song.measures[1].slots[4].ref = SampleRef::Make(0, 0, 1, 0, 1, 0); // an empty variant
    A().Paint(Area::Arrangement);
    EXPECT_EQ(Inside(1, 0), 0x112233u) << "the group's own colour";
    EXPECT_EQ(Inside(1, 1), 0x667788u) << "selected: the light shade";
    EXPECT_EQ(host.canvas.Pixel(Bar(1, 1).left, Bar(1, 1).top), colours::kSelectedFrame);
    const std::vector<uint32_t> looks{Inside(1, 0), Inside(1, 1), Inside(1, 2), Inside(1, 4)};
    for (size_t i = 0; i < looks.size(); ++i)
        for (size_t j = i + 1; j < looks.size(); ++j)
            EXPECT_NE(looks[i], looks[j]) << i << " and " << j;
    const Rect reversed = Bar(1, 3);
    EXPECT_EQ(host.canvas.Pixel(reversed.left + 5, reversed.top + 1), colours::kReverseMark);
    EXPECT_EQ(host.canvas.Pixel(reversed.left + 2, reversed.top + 10), colours::kReverseMark) << "the arrow's tip";
    EXPECT_NE(host.canvas.Pixel(Bar(1, 0).left + 5, Bar(1, 0).top + 1), colours::kReverseMark);
}

TEST_F(PaintTest, EnvelopePointsSitAtTheirValuesHeight)
{
    S().view.envelopeShown = {true, true};
    Envelope& volume = S().doc.song.envelopes[4][0];
    volume.insert(volume.begin() + 1, {4 * kS, 16384, 0});
    Envelope& pan = S().doc.song.envelopes[6][1];
    pan.insert(pan.begin() + 1, {7 * kS, -16384, 1});
    A().Paint(Area::Arrangement);
    const geometry::Frame f = F();
    const int32_t x = geometry::SampleX(f, 4 * kS);
    const int32_t y = geometry::RowTop(f, 4) + 12 - 4;
    EXPECT_EQ(geometry::EnvelopeY(f, 4, 16384), y);
    EXPECT_EQ(host.canvas.Pixel(x, y), colours::kVolumeCurve);
    EXPECT_EQ(host.canvas.Pixel(x + 1, y + 1), colours::kVolumeCurve);
    EXPECT_EQ(host.canvas.Pixel(x + 1, y - 3), kSkin) << "above the marker (x itself is a measure line)";
    const int32_t px = geometry::SampleX(f, 7 * kS);
    const int32_t py = geometry::EnvelopeY(f, 6, -16384);
    EXPECT_EQ(host.canvas.Pixel(px + 2, py - 2), colours::kSelectedPoint) << "a selected point is larger and white";
    // The curve runs from the row's rest value to the point.
    EXPECT_EQ(host.canvas.Pixel(geometry::MeasureX(f, 0) + 2, geometry::RowTop(f, 4) + 3), colours::kVolumeCurve)
        << "volume rests at the top of its span";
    EXPECT_EQ(host.canvas.Pixel(geometry::MeasureX(f, 2) + 1, geometry::RowTop(f, 4) + 5), colours::kVolumeCurve)
        << "half way down to the point";
    S().view.envelopeShown = {false, false};
    A().Paint(Area::Arrangement);
    EXPECT_EQ(host.canvas.Pixel(x + 1, y), kSkin) << "hidden kinds are not drawn";
}

TEST_F(PaintTest, RegionHandlesComeFromTheirPicturesOrArePlainBoxes)
{
    S().doc.song.regions = {{2, 5, true}, {8, 9, false}};
    A().Paint(Area::Arrangement);
    const geometry::Frame f = F();
    const Rect start = geometry::StartHandleRect(f, 2);
    EXPECT_EQ(host.canvas.Pixel(start.left + 3, start.top + 3), colours::kHandleOn);
    const Rect off = geometry::EndHandleRect(f, 9);
    EXPECT_EQ(host.canvas.Pixel(off.left + 3, off.top + 3), colours::kHandleOff);
    EXPECT_EQ(host.canvas.Pixel(geometry::MeasureX(f, 4), f.T + 3), colours::kRegionOn) << "the span between";

    // With "Region Borders.bmp": four cells, each its own colour; black is
    // left out.
    const std::string path = dir.Path() + "skin.wad";
    {
        bm::test::BitmapSpec look;
        look.width = 32;
        look.height = 7;
        look.pixel = [](int32_t x, int32_t y) -> uint32_t { return y == 0 ? 0 : 0x100000u * uint32_t(1 + x / 8) + 0x40; };
        std::ofstream(path, std::ios::binary)
            << bm::test::ArchiveImage("WADn", {{"Region Borders.bmp", bm::test::BitmapImage(look)}});
    }
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly, nullptr));
    ArrangementPainter painter;
    painter.LoadPictures(archive);
    host.canvas = host.background;
    painter.Paint(host.canvas.View(), host.background.View(), S(), 0, {}, layout::kArrangement);
    EXPECT_EQ(host.canvas.Pixel(start.left + 3, start.top + 3), 0x200040u) << "cell 1: a start handle, on";
    EXPECT_EQ(host.canvas.Pixel(off.left + 3, off.top + 3), 0x300040u) << "cell 2: an end handle, off";
    EXPECT_EQ(host.canvas.Pixel(start.left + 3, start.top), kSkin) << "black is transparent";
}

TEST_F(PaintTest, TheCursorMovesByRepaintingTwoColumns)
{
    A().Paint(Area::Arrangement);
    const geometry::Frame f = F();
    const int32_t y = geometry::RowTop(f, 5) + 2;
    EXPECT_EQ(host.canvas.Pixel(geometry::MeasureX(f, 0), y), colours::kCursor);
    host.presented.clear();
    C().SetCursor(6);
    EXPECT_EQ(host.canvas.Pixel(geometry::MeasureX(f, 6), y), colours::kCursor);
    EXPECT_NE(host.canvas.Pixel(geometry::MeasureX(f, 0), y), colours::kCursor);
    ASSERT_GE(host.presented.size(), 2u);
    EXPECT_EQ(host.presented[0].Width(), 1);
    EXPECT_EQ(host.presented[0].left, geometry::MeasureX(f, 0));
    EXPECT_EQ(host.presented[1].left, geometry::MeasureX(f, 6));
}

TEST_F(PaintTest, EditsRepaintOnlyTheirChannelOrTheirMeasures)
{
    A().Paint(Area::Arrangement);
    Place(2, 7, 1, 0, 0);
    S().view.pointedMeasure = 2;
    S().view.pointedChannel = 7;
    host.presented.clear();
    C().OnCommand(cmd::kSlotReverse);
    ASSERT_EQ(host.presented.size(), 1u);
    const geometry::Frame f = F();
    EXPECT_EQ(host.presented[0], (Rect{layout::kArrangement.left, geometry::RowTop(f, 7) - 3,
                                       layout::kArrangement.right, geometry::RowBottom(f, 7) + 3}));
    EXPECT_EQ(host.canvas.Pixel(Bar(2, 7).left + 5, Bar(2, 7).top + 1), colours::kReverseMark);

    host.presented.clear();
    Deliver(msg::kMeasuresPrerendered, 3, 2);
    ASSERT_EQ(host.presented.size(), 1u);
    EXPECT_EQ(host.presented[0].left, geometry::MeasureX(f, 3));
    EXPECT_EQ(host.presented[0].right, geometry::MeasureX(f, 5) - 1);
}

TEST_F(PaintTest, TheBandAndTheDropTargetAreOutlined)
{
    const Point from{AtMeasure(2, 1).x + 3, AtMeasure(2, 1).y};
    A().OnLeftDown(from.x, from.y, mods::kLeftButton);
    A().OnMouseMove(from.x + 60, from.y + 60, mods::kLeftButton);
    ASSERT_TRUE(A().Overlay().rubberBand.has_value());
    const Rect band = *A().Overlay().rubberBand;
    const int32_t x = band.left + ((band.left + band.top) & 1); // the dots lie on even sums
    EXPECT_EQ(host.canvas.Pixel(x, band.top), colours::kRubberBand);
    A().OnLeftUp(from.x + 60, from.y + 60, 0);
    EXPECT_NE(host.canvas.Pixel(x, band.top), colours::kRubberBand) << "taken off at the release";

    const Point cell = OnCell(2, 0);
    A().OnLeftDown(cell.x, cell.y, mods::kLeftButton);
    const Point over{AtMeasure(6, 3).x + 10, AtMeasure(6, 3).y};
    A().OnMouseMove(over.x, over.y, mods::kLeftButton);
    ASSERT_EQ(A().Overlay().dropOutline.size(), 1u);
    const Rect outline = A().Overlay().dropOutline[0];
    EXPECT_EQ(host.canvas.Pixel(outline.left, outline.top + 5), colours::kDropOutline);
    EXPECT_EQ(host.canvas.Pixel(outline.right, outline.top + 5), colours::kDropOutline);
    A().OnLeftUp(layout::kLibrary.left + 3, layout::kLibrary.top + 3, 0);
    EXPECT_NE(host.canvas.Pixel(outline.left, outline.top + 5), colours::kDropOutline);
}

TEST_F(PaintTest, MetersFallByTwoSegmentsATick)
{
    app.options.spectrumAnalyzer = 1;
    S().view.transport = Transport::Playing;
    readings.position = 0;
    readings.levels[3] = 32767 / 2; // 13 segments
    A().OnTick();
    readings.levels = {};
    auto lit = [&](int32_t segment) {
        const Rect r = layout::MeterSegmentRect(3, segment);
        return host.canvas.Pixel(r.left + 2, r.top);
    };
    const uint32_t unlit = lit(20);
    EXPECT_NE(lit(12), unlit) << "the top lit segment";
    EXPECT_NE(lit(11), lit(12)) << "the top one is the peak mark";
    EXPECT_EQ(lit(13), unlit);
    host.presented.clear();
    A().OnTick();
    EXPECT_EQ(lit(11), unlit);
    EXPECT_NE(lit(10), unlit);
    ASSERT_FALSE(host.presented.empty());
    EXPECT_EQ(host.presented.back(), layout::kMeters);
    for (int i = 0; i < 10; ++i)
        A().OnTick();
    host.presented.clear();
    A().OnTick();
    EXPECT_TRUE(host.presented.empty()) << "a meter at rest is not repainted";
    EXPECT_EQ(lit(0), unlit);
}

TEST_F(PaintTest, LibraryCellsShowTheirGroupTheSelectionAndTheProgress)
{
    S().view.librarySelection = SampleRef::Make(0, 0, 1, 0, 2, 0);
    S().view.progressRef = SampleRef::Make(0, 0, 1, 0, 0, 1);
    S().view.progressPercent = 50;
    A().Paint(Area::Library);
    const Rect filled = layout::LibraryCellRect(2, 0);
    EXPECT_EQ(host.canvas.Pixel(filled.left + 5, filled.bottom - 2), 0x112233u);
    EXPECT_EQ(host.canvas.Pixel(filled.left + 10, filled.bottom), library_colours::kRowLine);
    EXPECT_EQ(host.canvas.Pixel(layout::LibraryCellRect(2, 1).left, filled.top + 5), library_colours::kColumnLine);
    EXPECT_EQ(host.canvas.Pixel(layout::LibraryCellRect(2, 1).left + 5, filled.top + 5), library_colours::kEmptyCell);
    const Rect selected = layout::LibraryCellRect(2, 2);
    EXPECT_EQ(host.canvas.Pixel(selected.left + 1, selected.top + 5), library_colours::kSelection);
    EXPECT_EQ(host.canvas.Pixel(selected.left + 5, selected.bottom - 2), 0x667788u);
    const Rect busy = layout::LibraryCellRect(3, 0);
    EXPECT_EQ(host.canvas.Pixel(busy.left + 30, busy.bottom - 2), library_colours::kProgress);
    EXPECT_EQ(host.canvas.Pixel(busy.left + 40, busy.bottom - 2), 0x112233u) << "past the progress point";
    S().view.progressPercent = 100;
    A().Paint(Area::Library);
    EXPECT_EQ(host.canvas.Pixel(busy.left + 30, busy.bottom - 2), 0x112233u);
    const Rect add = layout::LibraryAddRect(4);
    EXPECT_NE(host.canvas.Pixel(add.left + 2, add.top + 2), library_colours::kEmptyCell) << "the add button";
    EXPECT_EQ(host.presented.back(), layout::kLibrary);
}

TEST_F(PaintTest, TheAddButtonShowsItsNormalAndPressedCellsNotItsShape)
{
    // "LB Add Butt.bmp": the shape cell, then normal, pressed and hover,
    // each of its own colour.
    const int32_t w = layout::kLibraryAddWidth;
    const std::string path = dir.Path() + "skin.wad";
    {
        bm::test::BitmapSpec look;
        look.width = 4 * w;
        look.height = layout::kLibraryAddHeight;
        look.pixel = [w](int32_t x, int32_t) -> uint32_t {
            constexpr uint32_t kCells[] = {0xFFFFFF, 0x204060, 0x406020, 0x602040};
            return kCells[x / w];
        };
        std::ofstream(path, std::ios::binary)
            << bm::test::ArchiveImage("WADn", {{std::string(layout::kLibraryAddStrip), bm::test::BitmapImage(look)}});
    }
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path, ArchiveAccess::ReadOnly, nullptr));
    LibraryBrowser browser;
    browser.LoadPictures(archive);
    const Rect add = layout::LibraryAddRect(4);
    browser.Paint(host.canvas.View(), host.background.View(), S(), {}, nullptr, false);
    EXPECT_EQ(host.canvas.Pixel(add.left + 5, add.top + 5), 0x204060u) << "the normal look";
    browser.Paint(host.canvas.View(), host.background.View(), S(), {}, nullptr, true);
    EXPECT_EQ(host.canvas.Pixel(add.left + 5, add.top + 5), 0x406020u) << "the pressed look";
}

} // namespace
} // namespace bm::ui::test
