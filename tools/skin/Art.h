#pragma once

// What the generator makes: named archive entries, in the order they are
// added, plus the drawn pictures kept for the previews and the help pages.

#include "Raster.h"
#include "Type.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace bm::art {

struct Entry {
    std::string name;
    std::vector<uint8_t> bytes;
};

class Output {
public:
    // A 24-bit picture; coverage below one half becomes pure black (transparent).
    void Picture(std::string name, const Image& image);
    void Mask(std::string name, const std::vector<uint8_t>& values, int32_t width, int32_t height);
    void Bytes(std::string name, std::vector<uint8_t> bytes);

    const std::vector<Entry>& Entries() const { return m_entries; }
    // Every picture by entry name, as drawn.
    const std::map<std::string, Image, std::less<>>& Pictures() const { return m_pictures; }
    // The picture added under `name`, as drawn; null when there is none.
    const Image* Find(std::string_view name) const;

private:
    std::vector<Entry> m_entries;
    std::map<std::string, Image, std::less<>> m_pictures;
};

// The art's steps; each adds its entries.
void MakeSkinEntries(Output& out, const Image& skin, Faces& faces);
void MakeStrips(Output& out, const Image& skin, Faces& faces);
void MakeMenuArt(Output& out, Faces& faces);
void MakeToolWindows(Output& out, Faces& faces);
void MakeSplash(Output& out, Faces& faces);
std::vector<uint8_t> MakeChime();

// The normal cell of a control's strip (its state 0 picture), for previews.
Image NormalCell(const Image& strip, int32_t cellWidth, int32_t layout);

} // namespace bm::art
