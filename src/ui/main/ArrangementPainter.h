#pragma once

// Draws the arrangement into the main window's canvas: the measure and bar
// grid, the region spans and their handles in the top band, the slots'
// bars in their rows (each group in its library colours; selected bars
// light with a white frame, bars of a switched-off channel grey, reversed
// bars with a bright stripe and a backwards arrow, bars whose sample is
// missing dark grey), the shown envelope curves through their points, the
// play cursor, and what a drag shows on top (the rubber band, the drop
// target's outline). Only the part of the area inside the clip is touched,
// and only the measures that show there are visited, so repainting a
// column costs the same in a song of 10 measures or of 10 000.
//
// "Region Borders.bmp" holds four 8 × 7 pictures side by side: the start
// handle of a region that is off, the start handle of one that is on, then
// the end handles in the same order. Without the picture the handles are
// drawn as plain boxes.

#include "ui/main/ArrangementGeometry.h"
#include "ui/main/MainState.h"
#include "ui/skin/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace bm {
class BitmapFont;
class ResourceArchive;
}

namespace bm::ui {

namespace colours {
constexpr uint32_t kMeasureLine = 0x30363E;
constexpr uint32_t kBarLine = 0x59636F;
constexpr uint32_t kSongEnd = 0xA04040;
constexpr uint32_t kRegionOn = 0x3C8050;
constexpr uint32_t kRegionOff = 0x505458;
constexpr uint32_t kHandleOn = 0xE8C848;
constexpr uint32_t kHandleOff = 0x9A9A9A;
constexpr uint32_t kSelectedFrame = 0xFFFFFF;
constexpr uint32_t kSwitchedOff = 0x5A5A5A;
constexpr uint32_t kSwitchedOffFrame = 0x3A3A3A;
constexpr uint32_t kMissing = 0x383838;
constexpr uint32_t kMissingFrame = 0x8A3030;
constexpr uint32_t kReverseMark = 0xF4F4F4;
constexpr uint32_t kDefaultGroup = 0x5C7FA3;
constexpr uint32_t kVolumeCurve = 0xE8D04A;
constexpr uint32_t kPanCurve = 0x4AC8E8;
constexpr uint32_t kSelectedPoint = 0xFFFFFF;
constexpr uint32_t kCursor = 0xFF4A3A;
constexpr uint32_t kRubberBand = 0xF0F0F0;
constexpr uint32_t kDropOutline = 0xFFE040;
} // namespace colours

// What a drag draws over the arrangement.
struct ArrangementOverlay {
    std::optional<platform::Rect> rubberBand;
    std::vector<platform::Rect> dropOutline;
};

class ArrangementPainter {
public:
    static constexpr int32_t kHandlePictures = 4;

    ArrangementPainter() = default;
    // Loads "Region Borders.bmp" (kept as it is when missing).
    void LoadPictures(const ResourceArchive& archive);
    void SetHandlePictures(Image24 strip) { m_handles = std::move(strip); }
    void SetFont(const BitmapFont* font) { m_font = font; }

    // Paints the part of the arrangement area inside `clip`. The play
    // cursor stands at `cursorPixel` (pixels from the song's start).
    void Paint(Pixels24 canvas, ConstPixels24 background, const MainState& state, int64_t cursorPixel,
               const ArrangementOverlay& overlay, const platform::Rect& clip) const;

    // The colours a slot's bar is drawn in: fill and frame.
    struct BarColours {
        uint32_t fill = 0;
        uint32_t frame = 0;
        uint32_t text = 0;
    };
    static BarColours ColoursOf(const MainState& state, int32_t channel, const ChannelSlot& slot);

private:
    void PaintGrid(Pixels24 canvas, const MainState& state, const geometry::Frame& f, const platform::Rect& clip,
                   int64_t m0, int64_t m1) const;
    void PaintRegions(Pixels24 canvas, const MainState& state, const geometry::Frame& f,
                      const platform::Rect& clip) const;
    void PaintSlots(Pixels24 canvas, const MainState& state, const geometry::Frame& f, const platform::Rect& clip,
                    int64_t m0, int64_t m1) const;
    void PaintBar(Pixels24 canvas, const MainState& state, const platform::Rect& clip, const platform::Rect& bar,
                  int32_t channel, const ChannelSlot& slot) const;
    void PaintEnvelopes(Pixels24 canvas, const MainState& state, const geometry::Frame& f,
                        const platform::Rect& clip) const;
    void PaintHandle(Pixels24 canvas, const platform::Rect& clip, const platform::Rect& box, int32_t picture,
                     bool on) const;

    Image24 m_handles;
    const BitmapFont* m_font = nullptr;
};

} // namespace bm::ui
