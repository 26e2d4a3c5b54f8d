#pragma once

// The window's areas on a headless controller: a fake of what the main
// window gives them (a canvas over a plain skin colour, recorded presents,
// menus answered by a script, floating windows from the headless window
// system) and helpers that press, move and release like a person would.

#include "ControllerFixture.h"

#include "platform/HeadlessWindowSystem.h"
#include "ui/main/ArrangementAreas.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/ResourceArchive.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bm::ui::test {

constexpr uint32_t kSkin = 0x101214; // the background every area restores

class FakeAreaHost : public AreaHost {
public:
    static constexpr platform::Point kOrigin{100, 50}; // the window's place on the screen

    FakeAreaHost() : canvas(layout::kWindowWidth, layout::kWindowHeight, kSkin),
                     background(layout::kWindowWidth, layout::kWindowHeight, kSkin) {}

    Image24& Canvas() override { return canvas; }
    const Image24& Background() const override { return background; }
    void Present(const platform::Rect& rect) override { presented.push_back(rect); }
    const BitmapFont& Font(layout::FontId id) const override { return fonts[static_cast<size_t>(id)]; }
    const ResourceArchive& Archive() const override { return archive; }
    void CaptureMouse() override { captured = true; }
    void ReleaseMouse() override { captured = false; }
    void SetPointer(platform::Point client) override { pointerMoves.push_back(client); }
    platform::Point ToScreen(platform::Point c) const override { return {c.x + kOrigin.x, c.y + kOrigin.y}; }
    void OpenMenu(std::string_view entry, platform::Point screen) override
    {
        menus.emplace_back(entry);
        menuPoints.push_back(screen);
        if (onMenu)
            onMenu(std::string(entry));
    }
    std::unique_ptr<platform::WindowHost> CreateFloatingWindow() override
    {
        return system.CreateWindow(platform::WindowKind::Tool, nullptr);
    }
    platform::WindowSystem& System() override { return system; }
    void StartTimer(uint32_t id, uint32_t periodMs) override { timers[id] = periodMs; }
    void StopTimer(uint32_t id) override { timers.erase(id); }

    Image24 canvas;
    Image24 background;
    std::array<BitmapFont, 4> fonts;
    ResourceArchive archive;
    platform::HeadlessWindowSystem system;
    std::vector<platform::Rect> presented;
    std::vector<platform::Point> pointerMoves;
    std::vector<std::string> menus;
    std::vector<platform::Point> menuPoints;
    std::function<void(const std::string&)> onMenu;
    std::map<uint32_t, uint32_t> timers;
    bool captured = false;
};

class AreasTest : public ControllerTest {
protected:
    AreasTest();
    ~AreasTest() override;

    ArrangementAreas& A() { return *areas; }
    geometry::Frame F() const { return ArrangementFrame(controller->State()); }
    // A point on the middle row of a slot's bar (a few pixels into it).
    platform::Point OnSlot(int32_t measure, int32_t channel, int32_t into = 2) const;
    // A point at the start of a measure in a row.
    platform::Point AtMeasure(int32_t measure, int32_t channel) const;
    // A point on a library cell of the visible rows.
    static platform::Point OnCell(int32_t visibleRow, int32_t column);
    // Press, move in steps and release with one button.
    void LeftDrag(platform::Point from, platform::Point to, uint32_t mods = 0);
    void RightDrag(platform::Point from, platform::Point to, uint32_t mods = 0);
    void Click(platform::Point at, uint32_t mods = 0);
    void RightClick(platform::Point at, uint32_t mods = 0);
    // Menus answered with this command (run as a chosen item runs it).
    void AnswerMenus(int32_t command);
    uint32_t Pixel(platform::Point p) const { return host.canvas.Pixel(p.x, p.y); }
    std::vector<engine::CommandCode> Codes(const std::vector<engine::EngineCommand>& commands) const;

    FakeAreaHost host;
    std::unique_ptr<ArrangementAreas> areas;
};

} // namespace bm::ui::test
