#pragma once

// Small drawing routines of the areas the main window draws itself, each
// clipped to a rectangle (the part being repainted) as well as to the
// canvas, so a repaint of one column never touches its neighbours.
// Colours are 0x00RRGGBB.

#include "ui/skin/Image.h"

#include <cstdint>
#include <string_view>

namespace bm {
class BitmapFont;
}

namespace bm::ui::draw {

void Fill(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour);
// The one-pixel frame of a rectangle.
void Outline(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour);
// The frame drawn on every other pixel (the keyboard focus ring).
void DottedOutline(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour);
// A line between two points, both ends included.
void Line(Pixels24 canvas, const Rect& clip, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
// Mixes `colour` into the rectangle: weight / 256 of the colour, the rest of what is there.
void Tint(Pixels24 canvas, const Rect& clip, const Rect& rect, uint32_t colour, int32_t weight);
// Copies part of a picture; black pixels of the picture are left out.
void Picture(Pixels24 canvas, const Rect& clip, ConstPixels24 picture, const Rect& from, int32_t x, int32_t y);
// Restores a rectangle from the pristine skin.
void Restore(Pixels24 canvas, const Rect& clip, ConstPixels24 background, const Rect& rect);
// Text in a font, clipped to the rectangle as well; the font's shared clip
// is put back afterwards.
void Text(Pixels24 canvas, const Rect& clip, const BitmapFont& font, int32_t x, int32_t y, std::string_view text,
          uint32_t colour);

} // namespace bm::ui::draw
