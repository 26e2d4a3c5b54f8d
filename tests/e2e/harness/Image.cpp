#include "Image.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>

namespace bm::e2e {

namespace {

// The dump's header: 25 unsigned 32-bit numbers, most significant byte first.
enum XwdField : size_t {
    kHeaderSize,
    kFileVersion,
    kPixmapFormat,
    kPixmapDepth,
    kPixmapWidth,
    kPixmapHeight,
    kXOffset,
    kByteOrder,
    kBitmapUnit,
    kBitmapBitOrder,
    kBitmapPad,
    kBitsPerPixel,
    kBytesPerLine,
    kVisualClass,
    kRedMask,
    kGreenMask,
    kBlueMask,
    kBitsPerRgb,
    kColormapEntries,
    kColourCount,
    kFieldCount = 25,
};
constexpr uint32_t kZPixmap = 2;
constexpr size_t kColourRecordSize = 12;

uint32_t BigEndian32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

uint8_t Channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t value = (pixel & mask) >> shift;
    const uint32_t maximum = mask >> shift;
    return static_cast<uint8_t>(maximum == 255 ? value : value * 255 / maximum);
}

std::string SourceFolder()
{
    const char* source = std::getenv("BM_SOURCE_DIR");
    return source ? source : ".";
}

} // namespace

Image Image::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    Image out;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width - 1);
    bottom = std::min(bottom, height - 1);
    if (right < left || bottom < top)
        return out;
    out.width = right - left + 1;
    out.height = bottom - top + 1;
    out.rgb.reserve(static_cast<size_t>(out.width) * out.height * 3);
    for (int32_t y = top; y <= bottom; ++y)
        out.rgb.insert(out.rgb.end(), At(left, y), At(left, y) + static_cast<size_t>(out.width) * 3);
    return out;
}

bool Image::Uniform() const
{
    for (size_t i = 3; i + 2 < rgb.size(); i += 3) {
        if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2])
            return false;
    }
    return true;
}

Image ReadXwd(std::string_view bytes)
{
    Image out;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < kFieldCount * 4)
        return out;
    uint32_t field[kFieldCount];
    for (size_t i = 0; i < kFieldCount; ++i)
        field[i] = BigEndian32(data + i * 4);
    const uint32_t bitsPerPixel = field[kBitsPerPixel];
    if (field[kFileVersion] != 7 || field[kPixmapFormat] != kZPixmap || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return out;
    const uint64_t width = field[kPixmapWidth];
    const uint64_t height = field[kPixmapHeight];
    const uint64_t line = field[kBytesPerLine];
    const uint64_t start = static_cast<uint64_t>(field[kHeaderSize]) + uint64_t{field[kColourCount]} * kColourRecordSize;
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || line < width * (bitsPerPixel / 8) ||
        start + line * height > bytes.size())
        return out;
    const bool mostSignificantFirst = field[kByteOrder] != 0;
    const size_t step = bitsPerPixel / 8;
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.rgb.resize(width * height * 3);
    uint8_t* target = out.rgb.data();
    for (uint64_t y = 0; y < height; ++y) {
        const unsigned char* p = data + start + y * line;
        for (uint64_t x = 0; x < width; ++x, p += step) {
            uint32_t pixel = 0;
            for (size_t b = 0; b < step; ++b) {
                const uint32_t byte = p[b];
                pixel |= mostSignificantFirst ? byte << (8 * (step - 1 - b)) : byte << (8 * b);
            }
            *target++ = Channel(pixel, field[kRedMask]);
            *target++ = Channel(pixel, field[kGreenMask]);
            *target++ = Channel(pixel, field[kBlueMask]);
        }
    }
    return out;
}

bool SavePng(const Image& image, const std::string& path)
{
    if (image.Empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const QImage q(image.rgb.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
    return q.save(QString::fromStdString(path), "PNG");
}

Image LoadPng(const std::string& path)
{
    Image out;
    QImage q;
    if (!q.load(QString::fromStdString(path)))
        return out;
    q = q.convertToFormat(QImage::Format_RGB888);
    out.width = q.width();
    out.height = q.height();
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (int32_t y = 0; y < out.height; ++y)
        std::copy_n(q.constScanLine(y), static_cast<size_t>(out.width) * 3,
                    out.rgb.data() + static_cast<size_t>(y) * out.width * 3);
    return out;
}

std::string Difference::Describe() const
{
    if (sizesDiffer)
        return "the pictures differ in size";
    if (pixels == 0)
        return "no pixel differs";
    return std::to_string(pixels) + " pixels differ (largest channel difference " + std::to_string(largest) +
           ") within (" + std::to_string(left) + ", " + std::to_string(top) + ")-(" + std::to_string(right) + ", " +
           std::to_string(bottom) + ")";
}

Difference Compare(const Image& actual, const Image& expected, int32_t channelTolerance)
{
    Difference d;
    if (actual.width != expected.width || actual.height != expected.height) {
        d.sizesDiffer = true;
        return d;
    }
    d.left = actual.width;
    d.top = actual.height;
    for (int32_t y = 0; y < actual.height; ++y) {
        for (int32_t x = 0; x < actual.width; ++x) {
            const uint8_t* a = actual.At(x, y);
            const uint8_t* e = expected.At(x, y);
            int32_t worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int32_t{a[c]} - int32_t{e[c]}));
            d.largest = std::max(d.largest, worst);
            if (worst <= channelTolerance)
                continue;
            ++d.pixels;
            d.left = std::min(d.left, x);
            d.top = std::min(d.top, y);
            d.right = std::max(d.right, x);
            d.bottom = std::max(d.bottom, y);
        }
    }
    if (d.pixels == 0)
        d.left = d.top = 0;
    return d;
}

Image DifferenceImage(const Image& actual, const Image& expected, int32_t channelTolerance)
{
    Image out = actual;
    if (actual.width != expected.width || actual.height != expected.height)
        return out;
    for (size_t i = 0; i < out.rgb.size(); i += 3) {
        int32_t worst = 0;
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int32_t{actual.rgb[i + c]} - int32_t{expected.rgb[i + c]}));
        if (worst > channelTolerance) {
            out.rgb[i] = 255;
            out.rgb[i + 1] = out.rgb[i + 2] = 0;
        } else {
            for (int c = 0; c < 3; ++c)
                out.rgb[i + c] = static_cast<uint8_t>(out.rgb[i + c] / 3);
        }
    }
    return out;
}

std::string OutputFolder()
{
    const char* folder = std::getenv("BM_E2E_OUTPUT");
    return folder && *folder ? std::string(folder) : std::string("e2e-output");
}

ReferenceCheck CheckAgainstReference(const Image& actual, const std::string& name, const Tolerance& tolerance)
{
    ReferenceCheck check;
    const std::string reference = SourceFolder() + "/tests/e2e/references/" + name + ".png";
    const char* update = std::getenv("BM_E2E_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        check.ok = SavePng(actual, reference);
        check.message = check.ok ? "rewrote " + reference : "could not write " + reference;
        return check;
    }
    const Image expected = LoadPng(reference);
    const std::string folder = OutputFolder() + "/" + name;
    if (expected.Empty()) {
        SavePng(actual, folder + "/actual.png");
        check.message = "no reference " + reference + " (BM_E2E_UPDATE_REFERENCES=1 writes it); the picture is in " +
                        folder + "/actual.png";
        return check;
    }
    const Difference d = Compare(actual, expected, tolerance.channel);
    check.ok = d.Within(tolerance);
    if (check.ok)
        return check;
    SavePng(actual, folder + "/actual.png");
    SavePng(expected, folder + "/expected.png");
    SavePng(DifferenceImage(actual, expected, tolerance.channel), folder + "/difference.png");
    check.message = name + ": " + d.Describe() + ", budget " + std::to_string(tolerance.pixels) + "; pictures in " +
                    folder + "/";
    return check;
}

} // namespace bm::e2e
