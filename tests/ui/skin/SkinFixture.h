#pragma once

// Archives of skin entries made in the tests: bitmaps painted by functions,
// font strips whose glyph sizes are known, texts. Open() writes the archive
// and opens it.

#include "ui/skin/BitmapFont.h"
#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace bm::test {

class SkinArchive {
public:
    SkinArchive& Add(std::string name, std::string data)
    {
        m_entries.push_back({std::move(name), std::move(data)});
        return *this;
    }
    SkinArchive& Bitmap24(std::string name, int32_t width, int32_t height, std::function<uint32_t(int32_t, int32_t)> pixel)
    {
        return Add(std::move(name), BitmapImage({width, height, 24, true, false, std::move(pixel)}));
    }
    SkinArchive& Bitmap8(std::string name, int32_t width, int32_t height, std::function<uint32_t(int32_t, int32_t)> pixel)
    {
        return Add(std::move(name), BitmapImage({width, height, 8, true, false, std::move(pixel)}));
    }
    // A strip of cells for codes first..last whose glyph for code c is
    // inked, fully, in the columns 1 .. GlyphInk(c) of its cell on every
    // row but the last (code 32 and codes divisible by 7 stay blank).
    SkinArchive& FontStrip(std::string name, int32_t cellWidth, int32_t cellHeight, int first, int last)
    {
        return Bitmap8(std::move(name), cellWidth * (last - first + 1), cellHeight, [=](int32_t x, int32_t y) -> uint32_t {
            const int code = first + x / cellWidth;
            const int column = x % cellWidth;
            if (y == cellHeight - 1 || Blank(code))
                return 0;
            return column >= 1 && column <= GlyphInk(code) && column < cellWidth ? 255 : 0;
        });
    }
    static int GlyphInk(int code) { return code % 5 + 1; }
    static bool Blank(int code) { return code == 32 || code % 7 == 0; }

    ResourceArchive& Open()
    {
        const std::string path = m_dir / "skin.wad";
        EXPECT_TRUE(WriteFile(path, ArchiveImage("WADn", m_entries)));
        m_archive.Close();
        EXPECT_TRUE(m_archive.Open(path, ArchiveAccess::ReadOnly));
        return m_archive;
    }
    ResourceArchive& Archive() { return m_archive; }
    const std::string& Folder() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    std::vector<ImageEntry> m_entries;
    ResourceArchive m_archive;
};

// Resets the shared text clip around each test that draws text.
struct ClipGuard {
    ClipGuard() { BitmapFont::ResetClip(); }
    ~ClipGuard() { BitmapFont::ResetClip(); }
};

} // namespace bm::test
