#include "Art.h"

#include "ui/skin/BitmapWriter.h"

namespace bm::art {

void Output::Picture(std::string name, const Image& image)
{
    m_entries.push_back({name, MakeBitmap24(image.ToBgr(0.5f), image.Width(), image.Height())});
    m_pictures.insert_or_assign(std::move(name), image);
}

void Output::Mask(std::string name, const std::vector<uint8_t>& values, int32_t width, int32_t height)
{
    m_entries.push_back({std::move(name), MakeBitmap8(values, width, height)});
}

void Output::Bytes(std::string name, std::vector<uint8_t> bytes) { m_entries.push_back({std::move(name), std::move(bytes)}); }

const Image* Output::Find(std::string_view name) const
{
    auto it = m_pictures.find(name);
    return it == m_pictures.end() ? nullptr : &it->second;
}

Image NormalCell(const Image& strip, int32_t cellWidth, int32_t layout)
{
    // Layout 1 has only its shape; every other layout (and layout 0's
    // pictures by state value) has its state 0 picture in cell 1.
    const int32_t cell = layout == 1 ? 0 : 1;
    return strip.Crop({cell * cellWidth, 0, cell * cellWidth + cellWidth - 1, strip.Height() - 1});
}

} // namespace bm::art
