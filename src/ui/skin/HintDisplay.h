#pragma once

// The hint display of a skinned window: on every tick of the window's timer
// it finds the record to show (a status text while one counts down, else
// the channel strip text the window resolved, else the first shown hint
// whose rectangle holds the pointer), and when that changes it clears the
// hint area with the clearing effect of the record shown last and draws the
// new text in its text colour.
//
// Clearing effects (clearStyle), each finished within kEffectTicks ticks and
// animated only while window animation is on (otherwise, and for style 0,
// the area is restored from the skin at once):
//     1 wipe from the left      2 wipe from the right     3 fade to the clear colour
//     4 slide out to the left   5 slide out to the right
//     6 slide out upwards       7 slide out downwards
// During an effect the old text is drawn in its clear colour.

#include "ui/skin/Image.h"
#include "ui/skin/StringTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bm {

class BitmapFont;
class SkinWindow;

class HintDisplay {
public:
    static constexpr int kEffectTicks = 8;
    static constexpr int kStatusTicks = 300;

    HintDisplay(SkinWindow& window, const StringTable& table, const BitmapFont& font, const Rect& area);

    // Option "Window Animation".
    void SetAnimation(bool on) { m_animate = on; }
    // One tick: `pointer` in client pixels (none when it is off the window);
    // `channel` a channel strip record with '#' and '~' already filled in, or null.
    void Tick(std::optional<Point> pointer, const HintRecord* channel);
    // Shows a status text instead of the hints for `ticks` ticks. `colour`
    // is 0x00BBGGRR as the hint records keep it.
    void ShowStatus(std::string text, uint32_t colour, int ticks = kStatusTicks);
    int StatusTicksLeft() const { return m_statusTicks; }

    // The record whose text stands in the area (once any effect is over).
    const std::optional<HintRecord>& Shown() const { return m_shown; }
    bool EffectRunning() const { return m_effectTick >= 0; }
    const Rect& Area() const { return m_area; }

private:
    static bool Same(const std::optional<HintRecord>& a, const std::optional<HintRecord>& b);
    void DrawRecord(const HintRecord& record, uint32_t colour, int32_t dx, int32_t dy);
    void DrawEffectFrame();
    void Finish();

    SkinWindow& m_window;
    const StringTable& m_table;
    const BitmapFont& m_font;
    Rect m_area;
    bool m_animate = true;
    std::optional<HintRecord> m_shown;   // in the area now (the old text during an effect)
    std::optional<HintRecord> m_next;    // what comes once the effect is over
    int m_effectTick = -1;
    std::optional<HintRecord> m_status;
    int m_statusTicks = 0;
};

} // namespace bm
