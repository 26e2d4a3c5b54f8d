// Painting the arrangement and one step of a drag: the demo song at every
// zoom step, a 10 000-measure song scrolled to its middle, and a library
// cell carried over the arrangement (hit test, floating window, target
// outline and its repaint). The view's cost must not grow with the song.

#include "Catalogue.h"
#include "QuietServices.h"
#include "Songs.h"

#include "app/AppContext.h"
#include "platform/HeadlessWindowSystem.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "ui/main/ArrangementAreas.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/ResourceArchive.h"

#include "ui/dialogs/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace bm;
using namespace bm::ui;

const content::Catalogue& Catalogue()
{
    static const content::Catalogue catalogue = content::BuildCatalogue();
    return catalogue;
}

const Song& Demo()
{
    static const Song song = content::BuildDemoSongs(Catalogue()).front().song;
    return song;
}

// The demo song over and over to 10 000 measures, with its envelopes'
// shape repeated and a region every 64 measures.
const Song& Long()
{
    static const Song song = [] {
        const Song& demo = Demo();
        Song s = demo;
        const size_t length = demo.measures.size();
        s.measures.resize(10000);
        for (size_t m = length; m < s.measures.size(); ++m)
            s.measures[m] = demo.measures[m % length];
        const int64_t end = int64_t(s.measures.size()) * s.samplesPerMeasure;
        for (int c = 0; c < kChannels; ++c) {
            for (int k = 0; k < kEnvelopeKinds; ++k) {
                Envelope list;
                for (int64_t p = 0; p < end; p += 16 * int64_t(s.samplesPerMeasure))
                    list.push_back({static_cast<int32_t>(p), static_cast<int32_t>((p / 977) % 30000), 0});
                list.push_back({static_cast<int32_t>(end - 1), 0, 0});
                s.envelopes[c][k] = std::move(list);
            }
        }
        s.regions.clear();
        for (int32_t r = 0; r + 32 < 10000; r += 64)
            s.regions.push_back({r, r + 31, r % 128 == 0});
        return s;
    }();
    return song;
}

MainState StateFor(const Song& song, int32_t width, bool middle)
{
    MainState state;
    state.doc.library = Catalogue().library;
    state.doc.song = song;
    state.view.measureWidth = width;
    state.view.envelopeShown = {true, true};
    if (middle)
        state.view.scrollX = static_cast<int32_t>(int64_t(song.measures.size()) * width / 2);
    return state;
}

void PaintWholeView(benchmark::State& bench, const Song& song, bool middle)
{
    const int32_t width = kMeasureWidths[static_cast<size_t>(bench.range(0))];
    const MainState state = StateFor(song, width, middle);
    Image24 background(layout::kWindowWidth, layout::kWindowHeight, 0x101214);
    Image24 canvas = background;
    ArrangementPainter painter;
    BitmapFont font; // no glyphs: the bars' names cost nothing here
    painter.SetFont(&font);
    const int64_t cursor = int64_t(state.view.scrollX) + 300;
    for (auto _ : bench) {
        painter.Paint(canvas.View(), background.View(), state, cursor, {}, layout::kArrangement);
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
    bench.SetLabel("W = " + std::to_string(width));
}

void BM_PaintDemoSong(benchmark::State& bench) { PaintWholeView(bench, Demo(), false); }
BENCHMARK(BM_PaintDemoSong)->DenseRange(0, static_cast<int>(kMeasureWidths.size()) - 1)->Unit(benchmark::kMicrosecond);

void BM_PaintLongSongMiddle(benchmark::State& bench) { PaintWholeView(bench, Long(), true); }
BENCHMARK(BM_PaintLongSongMiddle)->DenseRange(0, static_cast<int>(kMeasureWidths.size()) - 1)->Unit(benchmark::kMicrosecond);

// ---- A drag step: the window's areas on a headless controller ----

class View : public bench::QuietView {
public:
    ArrangementAreas* areas = nullptr;
    void Repaint(Area area) override
    {
        if (areas)
            areas->Paint(area);
    }
    void RepaintChannel(int32_t channel) override
    {
        if (areas)
            areas->PaintChannel(channel);
    }
    void RepaintMeasures(int32_t first, int32_t count) override
    {
        if (areas)
            areas->PaintMeasures(first, count);
    }
};

class Host : public AreaHost {
public:
    Host() : canvas(layout::kWindowWidth, layout::kWindowHeight, 0x101214), background(canvas) {}
    Image24& Canvas() override { return canvas; }
    const Image24& Background() const override { return background; }
    void Present(const platform::Rect&) override {}
    const BitmapFont& Font(layout::FontId) const override { return font; }
    const ResourceArchive& Archive() const override { return archive; }
    void CaptureMouse() override {}
    void ReleaseMouse() override {}
    void SetPointer(platform::Point) override {}
    platform::Point ToScreen(platform::Point c) const override { return c; }
    void OpenMenu(std::string_view, platform::Point) override {}
    std::unique_ptr<platform::WindowHost> CreateFloatingWindow() override
    {
        return system.CreateWindow(platform::WindowKind::Tool, nullptr);
    }
    platform::WindowSystem& System() override { return system; }
    void StartTimer(uint32_t, uint32_t) override {}
    void StopTimer(uint32_t) override {}

    Image24 canvas;
    Image24 background;
    BitmapFont font;
    ResourceArchive archive;
    platform::HeadlessWindowSystem system;
};

void DragStep(benchmark::State& bench, const Song& song)
{
    app::AppContext app;
    bench::CountingEngine engine;
    bench::QuietProgram quiet;
    platform::ScriptedDialogs dialogs;
    platform::RecordingShell shell;
    dialogs::ScriptedDialogs scripted;
    dialogs::DialogSet commandDialogs = scripted.Take();
    View view;
    MainController controller(MainServices{app, engine, quiet, dialogs, shell, commandDialogs, quiet, quiet, nullptr, {}},
                              view);
    MainState& state = controller.State();
    state.doc.library = Catalogue().library;
    state.doc.library.RestoreSelection();
    state.doc.song = song;
    state.view.envelopeShown = {true, true};
    state.view.scrollX = static_cast<int32_t>(int64_t(song.measures.size()) * state.view.measureWidth / 2);
    Host host;
    ArrangementAreas areas(controller, host);
    view.areas = &areas;
    areas.Paint(Area::All);

    // Pick up the first filled cell of the open chord and carry it over.
    const LibraryHit* cell = nullptr;
    LibraryHit hit;
    for (int32_t row = 0; row < layout::kLibraryVisibleRows && !cell; ++row) {
        for (int32_t column = 0; column < layout::kLibraryColumns && !cell; ++column) {
            const platform::Rect r = layout::LibraryCellRect(row, column);
            hit = HitLibrary(state.doc.library, state.view.libraryFirstRow, r.left + 5, r.top + 5);
            if (hit.kind == LibraryHit::Kind::Cell && hit.filled)
                cell = &hit;
        }
    }
    if (!cell) {
        bench.SkipWithError("no filled library cell shows");
        return;
    }
    const platform::Rect r = layout::LibraryCellRect(hit.visibleRow, hit.variant);
    areas.OnLeftDown(r.left + 5, r.top + 5, platform::mods::kLeftButton);
    areas.OnMouseMove(300, 150, platform::mods::kLeftButton);
    if (areas.DragState() != ArrangementAreas::kCarry) {
        bench.SkipWithError("the drag did not start");
        return;
    }
    int32_t step = 0;
    for (auto _ : bench) {
        // Across rows and measures, so the target changes every step.
        const int32_t x = 200 + (step * 7) % 400;
        const int32_t y = 50 + (step * 13) % 260;
        areas.OnMouseMove(x, y, platform::mods::kLeftButton);
        ++step;
    }
    areas.OnFocusLost();
    view.areas = nullptr;
}

void BM_DragStepDemoSong(benchmark::State& bench) { DragStep(bench, Demo()); }
BENCHMARK(BM_DragStepDemoSong)->Unit(benchmark::kMicrosecond);

void BM_DragStepLongSong(benchmark::State& bench) { DragStep(bench, Long()); }
BENCHMARK(BM_DragStepLongSong)->Unit(benchmark::kMicrosecond);

} // namespace
