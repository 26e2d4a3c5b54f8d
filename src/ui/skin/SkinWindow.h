#pragma once

// The base of every skinned window (the main window, its tool windows,
// popup menus, the splash): a window without decoration whose face is a
// 24-bit skin from the archive and whose outline is cut from it (black is
// outside). The window keeps its whole image: `Background()` is the pristine
// skin, `Canvas()` the working image that everything is drawn into and that
// the host shows; every change is drawn into the canvas and then copied to
// the screen for just the changed rectangle (`Blit`).
//
// Mouse handling is done here once: capture, dragging the window by its move
// bar, scroll bar arrows and thumbs, hover. The concrete window hears of it
// through eight notifications, and sees every raw event through HandleEvent:
//
//     class ZoomWindow : public SkinWindow {
//     public:
//         ZoomWindow(const ResourceArchive& a, platform::WindowSystem& s, platform::WindowHost* owner)
//             : SkinWindow(a, s.CreateWindow(platform::WindowKind::Tool, owner))
//         {
//             LoadSkin("Zoom Wnd.bmp");
//             m_in = &AddButton({4, 4, 27, 19}, "Zoom In Butt.bmp", 5, true);
//         }
//     protected:
//         void HandleEvent(const platform::WindowEvent& e) override
//         {
//             if (e.type == platform::EventType::KeyDown && e.key == platform::vk::kF1) { ... return; }
//             SkinWindow::HandleEvent(e);   // the base handling
//         }
//         void ButtonReleased(uint32_t, int32_t x, int32_t y, SkinButton& b) override { ... }
//     };
//
// UI thread only.

#include "platform/WindowHost.h"
#include "ui/skin/BorderPane.h"
#include "ui/skin/Image.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace bm {

class BitmapFont;
class ResourceArchive;
class SkinButton;
class SkinScrollBar;

// Whether LoadSkin shapes the window from the skin's black pixels.
enum class SkinRegion { Keep, FromSkin };
// Whether the window has a caption and frame around the skin. Our hosts make
// windows without decoration, so both give the same client size; the flag
// is kept for the callers that ask for it.
enum class SkinFrame { None, WithFrame };

// The scroll bar repeat timer.
constexpr uint32_t kRepeatTimerId = 0xF7000000;
// Leaving a dragged thumb's bar by more than this puts the position back.
constexpr int32_t kThumbDragMargin = 20;
// How many mask bytes, from the pressed one rightwards, may start a window move.
constexpr int32_t kMoveBarProbe = 4;

class SkinWindow : public platform::WindowEventSink {
public:
    // The window owns its host, or is given one that outlives it.
    SkinWindow(const ResourceArchive& archive, std::unique_ptr<platform::WindowHost> host);
    SkinWindow(const ResourceArchive& archive, platform::WindowHost& host);
    ~SkinWindow() override;
    SkinWindow(const SkinWindow&) = delete;
    SkinWindow& operator=(const SkinWindow&) = delete;

    platform::WindowHost& Host() const { return *m_host; }
    const ResourceArchive& Archive() const { return *m_archive; }

    // Loads the skin: the background and canvas take its size; with
    // SkinRegion::FromSkin the window is sized to it and shaped from its
    // non-black runs. A missing or malformed skin leaves everything as it
    // was (initially a 1 × 1 black image and no region) and gives false.
    bool LoadSkin(std::string_view entry, SkinRegion region = SkinRegion::FromSkin, SkinFrame frame = SkinFrame::None);
    // The 8-bit move-bar mask and its rectangle: a press inside the
    // rectangle where the mask is not 0 drags the window.
    bool LoadMoveBar(std::string_view entry, const Rect& rect);
    // An 8-bit overlay piece (border pane) at (left, top); its id, or -1.
    int AddPiece(std::string_view entry, int32_t left, int32_t top, int32_t kind);
    // A button of the window (drawn at once when `show`). The reference
    // stays valid while the window lives.
    SkinButton& AddButton(const Rect& rect, std::string_view strip, int layout, bool show);
    // Registers and draws a scroll bar made for this window.
    SkinScrollBar& AddScrollBar(std::unique_ptr<SkinScrollBar> bar);

    // Copies that part of the canvas to the screen: clipped to the image and
    // widened to a multiple of 4 pixels (moving its left edge back when the
    // right edge would pass the image).
    void Blit(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Blit(const Rect& rect) { Blit(rect.left, rect.top, rect.right, rect.bottom); }
    // The rectangle Blit would present.
    Rect BlitRect(const Rect& rect) const;
    // Draws with the current font into the canvas; with blitNow also copies
    // the text's rectangle (within the text clip) to the screen.
    void DrawLabel(int32_t x, int32_t y, std::string_view text, uint32_t colour, bool blitNow);
    void CentreOnScreen();
    void SizeToSkin(int32_t width, int32_t height, SkinFrame frame = SkinFrame::None);
    // For windows drawn without a skin (menus): background and canvas become
    // width × height of `fill`, the window that size, unshaped.
    void ResizeCanvas(int32_t width, int32_t height, uint32_t fill);

    // Captures, smooths and blends every border pane; run by the owner's
    // timer while active borders are on.
    void RefreshPieces();

    // Arms the repeat timer: every period, Repeat(count, bar, flag), the
    // count rising from 0. A left release ends it (RepeatEnded).
    void StartRepeat(SkinScrollBar* bar, int32_t flag, uint32_t periodMs);
    void StopRepeat();
    bool RepeatRunning() const { return m_repeatRunning; }

    Image24& Canvas() { return m_canvas; }
    const Image24& Canvas() const { return m_canvas; }
    const Image24& Background() const { return m_background; }
    // Restores a rectangle of the canvas from the skin (without presenting).
    void RestoreBackground(const Rect& rect);
    // The window outline: its non-black runs (empty: no region).
    const std::vector<Rect>& Region() const { return m_region; }
    const std::vector<std::unique_ptr<SkinButton>>& Buttons() const { return m_buttons; }
    const std::vector<std::unique_ptr<SkinScrollBar>>& ScrollBars() const { return m_scrollBars; }
    const std::vector<BorderPane>& Pieces() const { return m_pieces; }
    const Rect& MoveBarRect() const { return m_moveBarRect; }
    SkinButton* Hovered() const { return m_hovered; }
    bool MovingWindow() const { return m_moving; }
    SkinScrollBar* DraggedBar() const { return m_dragBar; }

    void SetFont(const BitmapFont* font) { m_font = font; }
    const BitmapFont* Font() const { return m_font; }

    void OnWindowEvent(const platform::WindowEvent& event) final { HandleEvent(event); }

protected:
    // Every event passes here first. The base handles the mouse buttons,
    // moves and the repeat timer; an override that wants the base handling
    // calls SkinWindow::HandleEvent.
    virtual void HandleEvent(const platform::WindowEvent& event);

    // The notifications, in slot order. `keys` are the event's mods:: bits.
    virtual void ButtonPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button);
    virtual void ButtonRightPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button);
    virtual void ButtonReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button);
    virtual void ButtonRightReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button);
    virtual void ArrowPressed(uint32_t keys, int32_t x, int32_t y, SkinScrollBar& bar, SkinButton& arrow);
    virtual void RepeatEnded(uint32_t keys, int32_t x, int32_t y, SkinScrollBar* bar, int32_t count);
    virtual void Repeat(int32_t count, SkinScrollBar* bar, int32_t flag);
    // The default sets the bar's position.
    virtual void ThumbMoved(int32_t newPos, int32_t oldPos, SkinScrollBar& bar);

    // What most press and release notifications do. PressIfHit: when the
    // point hits the button, sets its pressed bit, draws it and gives true.
    // ReleasePressed: clears the pressed bit and draws; true when the point
    // is still on the button (the click counts).
    static bool PressIfHit(SkinButton& button, int32_t x, int32_t y);
    static bool ReleasePressed(SkinButton& button, int32_t x, int32_t y);

private:
    void Attach();
    void LeftDown(const platform::WindowEvent& e);
    void LeftUp(const platform::WindowEvent& e);
    void RightDown(const platform::WindowEvent& e);
    void RightUp(const platform::WindowEvent& e);
    void Move(const platform::WindowEvent& e);
    void DragThumb(int32_t x, int32_t y);
    bool OnMoveBar(int32_t x, int32_t y) const;

    const ResourceArchive* m_archive;
    std::unique_ptr<platform::WindowHost> m_ownedHost;
    platform::WindowHost* m_host;
    Image24 m_background;
    Image24 m_canvas;
    std::vector<Rect> m_region;
    Image8 m_moveBar;
    Rect m_moveBarRect;
    std::vector<BorderPane> m_pieces;
    Image24 m_screenScratch; // pane captures; only grows
    std::vector<std::unique_ptr<SkinButton>> m_buttons;
    std::vector<std::unique_ptr<SkinScrollBar>> m_scrollBars;
    const BitmapFont* m_font = nullptr;

    bool m_moving = false;
    Point m_grab;
    SkinScrollBar* m_dragBar = nullptr;
    int32_t m_dragOffset = 0;
    int32_t m_dragStartPos = 0;
    SkinButton* m_hovered = nullptr;
    bool m_repeatRunning = false;
    int32_t m_repeatCount = 0;
    int32_t m_repeatFlag = 0;
    SkinScrollBar* m_repeatBar = nullptr;
};

// The inside of a skin: its non-black runs, one rectangle per run, rows
// with the same runs merged into taller rectangles; sorted by top, then left.
std::vector<Rect> RegionFromSkin(const Image24& skin);

} // namespace bm
