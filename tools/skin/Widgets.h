#pragma once

// The look of a skinned button in each of its states, and the strips made
// of them. A button's cells are drawn over the very skin pixels they will
// cover, so their anti-aliased edges blend into the face exactly; pixels the
// button does not touch stay pure black (transparent) so the shape cell and
// the hit test follow the button's outline.

#include "Glyphs.h"
#include "Raster.h"
#include "Type.h"

#include "platform/Geometry.h"

#include <functional>
#include <vector>

namespace bm::art {

enum class Look { Normal, Hover, Pressed, Disabled, On, OnHover, OnPressed, Alt, AltPressed };

// The looks of the cells after the shape cell, for frame layouts 1 to 10.
std::vector<Look> LooksOf(int32_t layout);

// What a look does to the ink of labels and pictograms.
Rgb InkOf(Look look, Rgb accent);
float InkOpacity(Look look);
bool IsOn(Look look);
bool IsPressed(Look look);

struct ButtonArt {
    float radius = 4.0f;
    Rgb accent;                 // the colour of the on look
    bool raised = true;         // a drop shadow and a top highlight when not pressed
    bool litLine = true;        // the on look lights a line along the bottom
    // Draws the label or pictogram into the face box in the given ink.
    std::function<void(Image& cell, const Box& face, Look look, Rgb ink, float opacity)> content;
};

// One cell: the button drawn over `under` (the skin under its rectangle).
// Coverage is 0 where the button leaves the skin untouched.
Image DrawButtonCell(const Image& under, const ButtonArt& art, Look look);

// The shape cell: white inside the button's outline, black outside.
Image ShapeCell(const Image& cell);

// Cells side by side, the first at x 0.
Image JoinCells(const std::vector<Image>& cells);

// The whole strip of a control: its shape cell, then one cell per look.
Image ButtonStrip(const Image& skin, const platform::Rect& rect, int32_t layout, const ButtonArt& art);

// Helpers for content: a pictogram of `size` pixels, or a label in the
// bold face, centred in the face box (moved down a pixel when pressed).
std::function<void(Image&, const Box&, Look, Rgb, float)> IconContent(Icon icon, float size, float dx = 0);
std::function<void(Image&, const Box&, Look, Rgb, float)> LabelContent(Typeface* face, int32_t size,
                                                                      std::string label, int32_t tracking = 1);

} // namespace bm::art
