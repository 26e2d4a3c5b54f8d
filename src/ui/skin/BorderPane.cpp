#include "ui/skin/BorderPane.h"

#include <algorithm>

namespace bm {

namespace {

// One pass of the blur: each pixel from `first` along `step` takes the
// weighted neighbours of the pixel before it (the one behind it, and the
// two beside that one across the direction). The outermost rows and columns
// are left alone.
void BlurPass(Image24& work, int dx, int dy)
{
    const int32_t w = work.width, h = work.height;
    if (w < 3 || h < 3)
        return;
    Pixels24 view = work.View();
    // Visit order: along the direction so that the smoothed pixel feeds the
    // next one; across it in any order.
    const bool horizontal = dx != 0;
    const int32_t alongCount = horizontal ? w - 2 : h - 2;
    const int32_t acrossCount = horizontal ? h - 2 : w - 2;
    for (int32_t a = 0; a < alongCount; ++a) {
        for (int32_t c = 0; c < acrossCount; ++c) {
            int32_t x, y;
            if (horizontal) {
                x = dx > 0 ? 1 + a : w - 2 - a;
                y = 1 + c;
            } else {
                x = 1 + c;
                y = dy > 0 ? 1 + a : h - 2 - a;
            }
            // The neighbour behind, and the two beside it.
            const int32_t bx = x - dx, by = y - dy;
            const int32_t sx = horizontal ? 0 : 1, sy = horizontal ? 1 : 0;
            const uint8_t* behind = view.At(bx, by);
            const uint8_t* side1 = view.At(bx - sx, by - sy);
            const uint8_t* side2 = view.At(bx + sx, by + sy);
            uint8_t* self = view.At(x, y);
            for (int k = 0; k < 3; ++k)
                self[k] = static_cast<uint8_t>((side1[k] + side2[k] + 2 * behind[k] + 4 * self[k]) / 8);
        }
    }
}

} // namespace

void SmoothPane(Image24& work, int32_t kind)
{
    if (kind & pane::kLeft)
        BlurPass(work, 1, 0);
    if (kind & pane::kRight)
        BlurPass(work, -1, 0);
    if (kind & pane::kTop)
        BlurPass(work, 0, 1);
    if (kind & pane::kBottom)
        BlurPass(work, 0, -1);
}

void CapturePane(BorderPane& pane, const Image24& screen)
{
    const int32_t w = pane.mask.width + 2 * BorderPane::kMarginX;
    const int32_t h = pane.mask.height + 2 * BorderPane::kMarginY;
    if (pane.work.width != w || pane.work.height != h) {
        pane.work.Resize(w, h);
        pane.primed = false;
    }
    for (int32_t by = 0; by < h; ++by) {
        for (int32_t bx = 0; bx < w; ++bx) {
            const int32_t mx = bx - BorderPane::kMarginX, my = by - BorderPane::kMarginY;
            const bool inMask = mx >= 0 && my >= 0 && mx < pane.mask.width && my < pane.mask.height;
            if (pane.primed && inMask && pane.mask.At(mx, my) != 0)
                continue;
            pane.work.SetPixel(bx, by, screen.Pixel(bx, by));
        }
    }
    pane.primed = true;
}

void BlendPane(const BorderPane& pane, const Image24& background, Image24& canvas)
{
    if (pane.work.Empty())
        return;
    Pixels24 target = canvas.View();
    for (int32_t my = 0; my < pane.mask.height; ++my) {
        for (int32_t mx = 0; mx < pane.mask.width; ++mx) {
            const int m = pane.mask.At(mx, my);
            if (m == 255)
                continue;
            const int32_t x = pane.rect.left + mx, y = pane.rect.top + my;
            if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || x >= background.width
                || y >= background.height)
                continue;
            const uint8_t* s = pane.work.View().At(mx + BorderPane::kMarginX, my + BorderPane::kMarginY);
            const uint8_t* skin = background.View().At(x, y);
            uint8_t* d = target.At(x, y);
            for (int k = 0; k < 3; ++k)
                d[k] = static_cast<uint8_t>(s[k] + ((skin[k] - s[k]) * m) / 256);
        }
    }
}

} // namespace bm
