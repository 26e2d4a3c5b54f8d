#pragma once

// Border panes: 8-bit mask pieces laid over the skin at the window's edges,
// through which the desktop behind the window shows, blurred, wherever the
// mask is below 255. A piece's direction code says which edge it sits on:
// 1 left, 2 top, 4 right, 8 bottom, and the sums 3, 6, 9, 12 for corners.
//
// Each refresh captures the screen behind the piece (grown by two columns at
// each side and one row above and below) into the piece's work buffer,
// taking fresh pixels only where the mask is 0 and at the buffer's edges,
// smooths it along the piece's direction, and blends it into the canvas:
//     canvas = s + ((skin - s) * m) / 256   (m < 255; 255 keeps the canvas)

#include "ui/skin/Image.h"

#include <cstdint>
#include <string>

namespace bm {

namespace platform {
class WindowHost;
}

namespace pane {
constexpr int32_t kLeft = 1;
constexpr int32_t kTop = 2;
constexpr int32_t kRight = 4;
constexpr int32_t kBottom = 8;
} // namespace pane

struct BorderPane {
    int id = -1;
    std::string entry;
    Image8 mask;
    Rect rect;        // in client pixels: (left, top) to (left + width - 1, top + height - 1)
    int32_t kind = 0; // direction code
    Image24 work;     // (width + 4) × (height + 2)
    bool primed = false;

    // The work buffer's pixel (bx, by) lies over client pixel (rect.left - 2 + bx, rect.top - 1 + by).
    static constexpr int32_t kMarginX = 2;
    static constexpr int32_t kMarginY = 1;
};

// Smooths the work buffer in place along the direction (see the file
// comment): for the left edge each channel becomes
//     (upper left + lower left + 2 × left + 4 × itself) / 8
// from left to right, so the smoothed column feeds the next; the other
// edges use the same blur turned to their side, corners both of theirs. The
// outermost rows and columns stay as captured.
void SmoothPane(Image24& work, int32_t kind);

// Takes fresh pixels from `screen` (a capture of the work buffer's area)
// into the work buffer where the mask is 0 or outside the mask; the first
// capture takes every pixel.
void CapturePane(BorderPane& pane, const Image24& screen);

// Blends the smoothed work buffer into the canvas inside the piece.
void BlendPane(const BorderPane& pane, const Image24& background, Image24& canvas);

} // namespace bm
