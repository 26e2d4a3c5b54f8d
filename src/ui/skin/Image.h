#pragma once

// Pixel buffers of the skinned interface. A 24-bit image holds three bytes
// per pixel in the order blue, green, red, rows top-down without padding,
// addressed by (x, y) with row length = width; an 8-bit image holds one byte
// per pixel (font coverage, masks, menu tiles). Colours handed to drawing
// code are 0x00RRGGBB: the low byte is blue, the first byte of a pixel.
//
// Drawing code takes views, so that it can draw into any buffer whose size
// it is told; the views carry the height as well as the width so that no
// routine ever reaches outside the buffer it was given.

#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

namespace bm {

using platform::Point;
using platform::Rect;

struct Pixels24 {
    uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    bool Valid() const { return data && width > 0 && height > 0; }
    uint8_t* At(int32_t x, int32_t y) const { return data + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3; }
    Rect Bounds() const { return {0, 0, width - 1, height - 1}; }
};

struct ConstPixels24 {
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    ConstPixels24() = default;
    ConstPixels24(const uint8_t* d, int32_t w, int32_t h) : data(d), width(w), height(h) {}
    ConstPixels24(Pixels24 p) : data(p.data), width(p.width), height(p.height) {}

    bool Valid() const { return data && width > 0 && height > 0; }
    const uint8_t* At(int32_t x, int32_t y) const { return data + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3; }
    Rect Bounds() const { return {0, 0, width - 1, height - 1}; }
};

struct ConstPixels8 {
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    bool Valid() const { return data && width > 0 && height > 0; }
    uint8_t At(int32_t x, int32_t y) const { return data[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// An owned 24-bit image.
struct Image24 {
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;

    Image24() = default;
    Image24(int32_t w, int32_t h, uint32_t fill = 0) { Resize(w, h, fill); }

    // New size; every pixel becomes `fill`.
    void Resize(int32_t w, int32_t h, uint32_t fill = 0);
    bool Empty() const { return width <= 0 || height <= 0; }
    // 0x00RRGGBB of a pixel inside the image; 0 outside it.
    uint32_t Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t colour);

    Pixels24 View() { return {pixels.data(), width, height}; }
    ConstPixels24 View() const { return {pixels.data(), width, height}; }
    Rect Bounds() const { return {0, 0, width - 1, height - 1}; }
};

// An owned 8-bit image.
struct Image8 {
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    uint8_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    ConstPixels8 View() const { return {pixels.data(), width, height}; }
};

// Colours as the window system and the hint texts write them (0x00BBGGRR)
// turned into the 0x00RRGGBB of the pixel routines, and back.
constexpr uint32_t SwapRedBlue(uint32_t colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

} // namespace bm
