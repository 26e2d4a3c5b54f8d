#pragma once

// Pictures of the screen for the end-to-end tests: read from the X server's
// window dumps, compared with references within a tolerance, written as PNG.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm::e2e {

// Red, green, blue bytes per pixel, rows top-down without padding.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;

    bool Empty() const { return width <= 0 || height <= 0; }
    const uint8_t* At(int32_t x, int32_t y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
    uint32_t Pixel(int32_t x, int32_t y) const
    {
        const uint8_t* p = At(x, y);
        return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    }
    // The part inside the rectangle (inclusive), clipped to the picture.
    Image Crop(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // True when every pixel equals the first one.
    bool Uniform() const;
};

// A window dump in the X window dump format (what `xwd` writes): the
// ZPixmap formats of 24 and 32 bits per pixel in either byte order. An
// empty picture for anything else.
Image ReadXwd(std::string_view bytes);

bool SavePng(const Image& image, const std::string& path);
Image LoadPng(const std::string& path);

// How far two pictures may differ: a pixel differs when one of its channels
// differs by more than `channel`; at most `pixels` may differ.
struct Tolerance {
    int32_t channel = 24;
    int64_t pixels = 0;
};

struct Difference {
    bool sizesDiffer = false;
    int64_t pixels = 0;                          // pixels that differ beyond the channel tolerance
    int32_t left = 0, top = 0, right = -1, bottom = -1; // their bounding box
    int32_t largest = 0;                         // the largest channel difference seen

    bool Within(const Tolerance& tolerance) const { return !sizesDiffer && pixels <= tolerance.pixels; }
    // "312 pixels differ (largest 80) within (10, 4)-(120, 30)".
    std::string Describe() const;
};

Difference Compare(const Image& actual, const Image& expected, int32_t channelTolerance);
// Differing pixels in red over a darkened copy of `actual`.
Image DifferenceImage(const Image& actual, const Image& expected, int32_t channelTolerance);

// Compares `actual` with the reference tests/e2e/references/NAME.png.
// On failure the actual, expected and difference pictures are written to
// the output folder (BM_E2E_OUTPUT, else e2e-output/ in the working folder)
// and the message says where. With BM_E2E_UPDATE_REFERENCES=1 the reference
// is rewritten from `actual` and the check passes.
struct ReferenceCheck {
    bool ok = false;
    std::string message;
};
ReferenceCheck CheckAgainstReference(const Image& actual, const std::string& name, const Tolerance& tolerance);

// The folder where the pictures of failed checks and other evidence go.
std::string OutputFolder();

} // namespace bm::e2e
