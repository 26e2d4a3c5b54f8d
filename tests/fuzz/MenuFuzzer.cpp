// Menu descriptions come from skins anyone can make: whatever the lines,
// sub-menus that name each other or themselves, bitmaps of any size, the
// reader must end, the menu must lay out and draw inside its canvas, and
// keys and the pointer must never reach outside the items.

#include "FuzzArchive.h"

#include "platform/HeadlessWindowSystem.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/BitmapWriter.h"
#include "ui/skin/MenuDescription.h"
#include "ui/skin/PopupMenu.h"

namespace {

// Drops every third item it is offered, disables others: the filter paths.
class MixedFilter : public bm::MenuItemFilter {
public:
    bool Filter(std::string_view, bm::MenuItem& item) const override
    {
        ++m_count;
        if (m_count % 5 == 0)
            item.enabled = 0;
        return m_count % 3 != 0;
    }

private:
    mutable int m_count = 0;
};

std::string Strip(int32_t width, int32_t height, uint8_t seed, bool eightBit)
{
    if (eightBit) {
        bm::Image8 image;
        image.width = width;
        image.height = height;
        image.pixels.resize(static_cast<size_t>(width * height));
        for (size_t i = 0; i < image.pixels.size(); ++i)
            image.pixels[i] = static_cast<uint8_t>(i * seed);
        return bm::EncodeBitmap8(image);
    }
    bm::Image24 image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>((i % 7) * seed);
    return bm::EncodeBitmap24(image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bm::fuzz::MemoryArchive archive;
    const std::vector<std::string> parts = bm::fuzz::Parts(data, size, 3);
    const uint8_t seed = size ? data[0] : 1;
    if (!archive.Open({{"a.res", parts[0]},
                       {"b.res", parts[1]},
                       {"c.res", parts[2]},
                       {"icons.bmp", Strip(16 * 5, 16 * 3, seed, false)},
                       {"tile.bmp", Strip(7, 5, seed, true)},
                       {"right.bmp", Strip(3, 9, seed, true)},
                       {"font.bmp", Strip(256 * 4, 9, seed, true)}}))
        return 0;

    bm::MenuDescription plain;
    bm::LoadMenu(archive.Archive(), "a.res", bm::KeepEveryItem{}, plain);

    static bm::BitmapFont font;
    static const bool fontLoaded = font.LoadFont(archive.Archive(), "font.bmp", 0, 0, 0, 255);
    bm::fuzz::Check(fontLoaded);
    bm::platform::HeadlessWindowSystem system({0, 0, 639, 479});
    bm::platform::RecordingMessagePort port;
    bm::PopupMenu menu(archive.Archive(), system, nullptr, port, font);
    if (!menu.Load("a.res", MixedFilter{}))
        return 0;
    menu.Layout();
    const bm::Image24& canvas = menu.Canvas();
    bm::fuzz::Check(canvas.pixels.size() == static_cast<size_t>(canvas.width) * static_cast<size_t>(canvas.height) * 3);
    // Keys and the pointer inside the modal loop: every path must end.
    system.OnModal([&](bm::platform::HeadlessWindowHost& host) {
        namespace vk = bm::platform::vk;
        for (size_t i = 0; i < std::min<size_t>(size, 64); ++i) {
            const uint8_t b = data[i];
            switch (b % 8) {
            case 0: host.Key(vk::kDown); break;
            case 1: host.Key(vk::kUp); break;
            case 2: host.Key(vk::kRight); break;
            case 3: host.Key(vk::kLeft); break;
            case 4: host.MoveTo(b % 97, b % 61); break;
            case 5: host.FireTimer(bm::PopupMenu::kSubMenuTimerId); break;
            case 6: host.Key(vk::kReturn); break;
            default: host.Release(b % 89, b % 53); break;
            }
            if (!menu.IsOpen())
                return;
        }
        host.Key(vk::kEscape);
        host.Key(vk::kEscape);
        host.Key(vk::kEscape);
    });
    menu.Show({static_cast<int32_t>(seed) * 3, static_cast<int32_t>(seed) * 2});
    return 0;
}
