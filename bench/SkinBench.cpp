// The skin toolkit's drawing paths at the sizes the main window uses: a full
// 800 × 600 canvas composed and presented, a 100 × 20 partial blit, a
// 40-character line of text, and the largest menu loaded, laid out and drawn.

#include "fuzz/FuzzArchive.h"

#include "platform/HeadlessWindowSystem.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/BitmapWriter.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/PopupMenu.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinWindow.h"

#include <benchmark/benchmark.h>

namespace {

std::string Skin24(int32_t width, int32_t height)
{
    bm::Image24 image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    return bm::EncodeBitmap24(image);
}

// A 256-cell strip of 10 × 13 cells with anti-aliased-looking glyphs.
std::string FontStrip()
{
    bm::Image8 strip;
    strip.width = 2560;
    strip.height = 13;
    strip.pixels.resize(static_cast<size_t>(strip.width * strip.height));
    for (int32_t y = 0; y < strip.height; ++y)
        for (int32_t x = 0; x < strip.width; ++x)
            strip.pixels[static_cast<size_t>(y * strip.width + x)] = (x % 10 >= 1 && x % 10 <= 7 && y >= 2 && y <= 10) ? static_cast<uint8_t>(60 + (x * y) % 196) : 0;
    return bm::EncodeBitmap8(strip);
}

std::string LargestMenu()
{
    std::string menu = "TILEBMP \"popup_tile.bmp\"\r\nRIGHTBMP \"popup_right.bmp\"\r\nICONBMP \"icon19.bmp\", 19, 19\r\n";
    for (int i = 0; i < 36; ++i) {
        if (i % 6 == 5)
            menu += "SEPARATOR\r\n";
        menu += "MENUITEM \"Menu item number " + std::to_string(i) + "\", \"Ctrl+" + std::to_string(i % 10) + "\", "
                + std::to_string(100 + i) + ", " + std::to_string(i % 4 ? 1 : 0) + ", " + std::to_string(i % 3 - 1) + ", "
                + std::to_string(i % 8) + "\r\n";
    }
    menu += "POPUP \"Recent songs\", \"sub_menu.res\", 1, 2\r\n";
    return menu;
}

struct Fixture {
    bm::fuzz::MemoryArchive archive;
    bm::platform::HeadlessWindowSystem system;
    bm::BitmapFont font;

    Fixture()
    {
        bm::Image8 tile;
        tile.width = tile.height = 32;
        tile.pixels.assign(32 * 32, 120);
        std::string sub;
        for (int i = 0; i < 10; ++i)
            sub += "MENUITEM \"Song " + std::to_string(i) + ".ncp\", \"\", " + std::to_string(300 + i) + ", 1, -1, -1\r\n";
        if (!archive.Open({{"IF8060.bmp", Skin24(800, 600)},
                           {"Transp Butt 06.bmp", Skin24(45 * 4, 22)},
                           {"western--14x12-8pt.bmp", FontStrip()},
                           {"popup_tile.bmp", bm::EncodeBitmap8(tile)},
                           {"popup_right.bmp", bm::EncodeBitmap8(tile)},
                           {"icon19.bmp", Skin24(19 * 5, 19 * 8)},
                           {"main_menu.res", LargestMenu()},
                           {"sub_menu.res", sub}}))
            std::abort();
        font.LoadFont(archive.Archive(), "western--14x12-8pt.bmp", 0, 0, 0, 255);
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_ComposeAndPresentFullCanvas(benchmark::State& state)
{
    Fixture& f = Shared();
    bm::SkinWindow window(f.archive.Archive(), f.system.CreateWindow(bm::platform::WindowKind::Main, nullptr));
    window.LoadSkin("IF8060.bmp");
    window.SetFont(&f.font);
    std::vector<bm::SkinButton*> buttons;
    for (int i = 0; i < 7; ++i)
        buttons.push_back(&window.AddButton({447 + 48 * i, 346, 491 + 48 * i, 367}, "Transp Butt 06.bmp", 6, false));
    for (auto _ : state) {
        // The whole face: skin, the transport row, a readout, then one copy to the screen.
        window.RestoreBackground(window.Canvas().Bounds());
        for (bm::SkinButton* b : buttons)
            bm::CopyRectKeyed(b->Strip().View(), {45, 0, 89, 21}, window.Canvas().View(), b->GetRect().left, b->GetRect().top);
        window.DrawLabel(20, 560, "Brickmelody - Intro.ncp", 0xE0E0E0, false);
        window.Blit(window.Canvas().Bounds());
        benchmark::DoNotOptimize(window.Canvas().pixels.data());
    }
    static_cast<bm::platform::HeadlessWindowHost&>(window.Host()).TakePresented();
}
BENCHMARK(BM_ComposeAndPresentFullCanvas)->Unit(benchmark::kMicrosecond);

void BM_PartialBlit(benchmark::State& state)
{
    Fixture& f = Shared();
    bm::SkinWindow window(f.archive.Archive(), f.system.CreateWindow(bm::platform::WindowKind::Main, nullptr));
    window.LoadSkin("IF8060.bmp");
    auto& host = static_cast<bm::platform::HeadlessWindowHost&>(window.Host());
    for (auto _ : state) {
        window.Blit(300, 200, 399, 219);
        host.TakePresented();
    }
}
BENCHMARK(BM_PartialBlit)->Unit(benchmark::kMicrosecond);

void BM_DrawText40(benchmark::State& state)
{
    Fixture& f = Shared();
    bm::Image24 canvas(800, 600, 0x202020);
    const std::string line = "Groove 04 - Bass line in A minor (loop).";
    bm::BitmapFont::ResetClip();
    for (auto _ : state) {
        f.font.DrawText(10, 100, line, 0xE0E0E0, canvas.View());
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
    state.counters["chars"] = static_cast<double>(line.size());
}
BENCHMARK(BM_DrawText40)->Unit(benchmark::kMicrosecond);

void BM_LargestMenuLoadLayoutDraw(benchmark::State& state)
{
    Fixture& f = Shared();
    bm::platform::RecordingMessagePort port;
    for (auto _ : state) {
        bm::PopupMenu menu(f.archive.Archive(), f.system, nullptr, port, f.font);
        menu.Load("main_menu.res", bm::KeepEveryItem{});
        menu.Layout();
        benchmark::DoNotOptimize(menu.Canvas().pixels.data());
    }
}
BENCHMARK(BM_LargestMenuLoadLayoutDraw)->Unit(benchmark::kMicrosecond);

} // namespace
