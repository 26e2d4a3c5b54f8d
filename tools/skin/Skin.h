#pragma once

// The main window's face ("IF8060.bmp"): the outline with its notch, the
// body, the wells of the arrangement, the library and the displays, the
// engraved labels; and the masks that go with it (the move bar and the
// border pieces).

#include "Raster.h"
#include "Type.h"

#include "ui/main/Layout.h"

#include <cstdint>
#include <vector>

namespace bm::art {

// The window's outline as a shape (signed distance, negative inside).
Sdf WindowOutline();
// Fraction of the pixel inside the outline, from 16 × 16 samples near the
// edge; the face is opaque where this is at least one half.
float OutlineCoverage(int32_t x, int32_t y);

// The face; coverage 1 inside the outline, 0 (pure black) outside.
Image DrawSkin(Faces& faces);

// The 8-bit border piece masks: 255 where the face stays as it is, lower at
// the outermost pixels so the window's edge blends with the blurred desktop.
std::vector<uint8_t> PieceMask(const layout::Piece& piece);
// The move bar mask: non-zero where a press moves the window.
std::vector<uint8_t> MoveBarMask();

// Shared pieces of the look, also used for the tool windows and the splash.
void DrawWell(Image& img, const platform::Rect& rect, float radius, Rgb fill, float depth = 3.0f);
void DrawLabel(Image& img, Faces& faces, int32_t x, int32_t baseline, std::string_view text, Rgb colour,
               int32_t size = 8);
void DrawLabelCentred(Image& img, Faces& faces, float cx, int32_t baseline, std::string_view text, Rgb colour,
                      int32_t size = 8);
// The logo: three offset bricks rising like a melody, in a box of the given height.
void DrawLogo(Image& img, float x, float y, float height);

} // namespace bm::art
