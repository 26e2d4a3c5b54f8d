#pragma once

// A skinned scroll bar: a track picture, a thumb whose two ends of e pixels
// are kept and whose middle repeats a tile, and optional arrow buttons at
// both ends. Minimum, maximum and position are whole numbers; the thumb's
// length follows the range.

#include "ui/skin/Image.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace bm {

class SkinButton;
class SkinWindow;

enum class ScrollAxis { Vertical, Horizontal };
enum class ScrollSnap { No, Yes };

class SkinScrollBar {
public:
    // Thumb length factor: the thumb covers 150 / 100 of the visible share.
    static constexpr int64_t kThumbFactor = 150;

    SkinScrollBar(SkinWindow& owner, const Rect& rect, ScrollAxis axis);
    ~SkinScrollBar();

    bool LoadTrack(std::string_view entry);
    // `endSize` e: pixels at each end of the thumb that are never repeated.
    bool LoadThumb(std::string_view entry, int32_t endSize);
    void SetTrack(Image24 track) { m_track = std::move(track); }
    void SetThumb(Image24 thumb, int32_t endSize);
    // The arrow buttons, at the top/left and the bottom/right end.
    SkinButton& SetFirstArrow(const Rect& rect, std::string_view strip, int layout);
    SkinButton& SetSecondArrow(const Rect& rect, std::string_view strip, int layout);
    SkinButton* FirstArrow() const { return m_first.get(); }
    SkinButton* SecondArrow() const { return m_second.get(); }

    // The thumb for a position, in the owner's client pixels.
    Rect ThumbRect(int32_t pos) const;
    // The position for a thumb whose start (top or left edge) is at the point.
    int32_t PosFromPoint(int32_t x, int32_t y) const;
    // Sets the position: a value outside [minimum, maximum] is clamped and
    // the result is false. With snap (and a track strip of at least twice the
    // bar's width plus 2), a position within 2 of a multiple of range / 8 goes
    // to that multiple. The arrow at an end that is reached takes the
    // disabled look and is disabled; the bar is redrawn.
    bool SetPos(int32_t pos, ScrollSnap snap = ScrollSnap::No);
    // Composes track and thumb into the owner's canvas and copies the bar's
    // rectangle to the screen.
    void Draw();

    void SetRange(int32_t minimum, int32_t maximum);
    int32_t Minimum() const { return m_minimum; }
    int32_t Maximum() const { return m_maximum; }
    int32_t Position() const { return m_position; }
    const Rect& GetRect() const { return m_rect; }
    ScrollAxis Axis() const { return m_axis; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    int32_t EndSize() const { return m_endSize; }
    // Pixels of the thumb's middle that repeat.
    int32_t TileLength() const;
    // The track's length along the axis.
    int32_t TrackLength() const;
    int32_t ThumbLength() const;
    // Where the thumb starts along the axis for a position (0 = track start).
    int32_t ThumbStart(int32_t pos) const;

private:
    void UpdateArrows();
    void DrawThumb(const Rect& thumb);

    SkinWindow* m_owner;
    Rect m_rect;
    ScrollAxis m_axis;
    Image24 m_track;
    Image24 m_thumb;
    int32_t m_endSize = 0;
    int32_t m_minimum = 0;
    int32_t m_maximum = 0;
    int32_t m_position = 0;
    bool m_visible = true;
    std::unique_ptr<SkinButton> m_first;
    std::unique_ptr<SkinButton> m_second;
};

} // namespace bm
