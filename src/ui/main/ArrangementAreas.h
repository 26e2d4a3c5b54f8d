#pragma once

// The areas of the main window that it draws and handles itself: the
// arrangement, the library browser, the silence cell, the volume knob, the
// channel meters and the time display. The main window owns one of these
// and hands it every mouse event, the 20 ms tick, timer 1 and the repaint
// requests of its MainView; the object draws into the window's canvas and
// presents what changed.
//
// Mouse gestures run as one state machine whose state is the view's drag
// state (0 idle, 1 a button is down, 2 ... 19 the drags, 20 after a file
// dialog). A press remembers where it happened; a move of more than two
// pixels starts the drag that the button, the modifiers and that place
// choose; the release ends it. Drop menus, the replace operations and the
// context menus are run from here too.
//
//     ArrangementAreas areas(controller, host);
//     window.OnEvent = [&](const platform::WindowEvent& e) {
//         if (!areas.OnEvent(e)) SkinWindow::HandleEvent(e);
//     };
//     view.Repaint = [&](Area a) { areas.Paint(a); };
//
// UI thread only.

#include "platform/WindowEvent.h"
#include "ui/main/AreaHost.h"
#include "ui/main/ArrangementHitTest.h"
#include "ui/main/ArrangementPainter.h"
#include "ui/main/ChannelMeters.h"
#include "ui/main/FloatingDragWindow.h"
#include "ui/main/LibraryBrowser.h"
#include "ui/main/MainController.h"
#include "ui/main/PlacementDrop.h"
#include "ui/main/ValueSliderWindow.h"
#include "ui/main/VolumeKnob.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace bm::ui {

// Where a point of the window lies, for the areas' purposes.
enum class AreaPlace { None, Arrangement, Library, Silence, Knob, TimeArea0, TimeArea1 };
AreaPlace PlaceAt(int32_t x, int32_t y);

// The silence sample the silence cell carries: looked up by its fixed
// names (style "ncp", group "xb", part "p1", chord "c1", first text
// "Silence", any path and fourth text, no fuzzy search). Nothing when the
// library has no such sample.
std::optional<SampleRef> FindSilence(const SampleLibrary& library, std::vector<std::string> folders,
                                     std::string programFolder);

class ArrangementAreas {
public:
    // The drag states of the areas (the view's drag state).
    enum DragState : int32_t {
        kIdle = 0,
        kButtonDown = 1,
        kSwapCells = 2,
        kCarry = 3,
        kReplace = 5,
        kReplaceByName = 6,
        kReplaceShifted = 7,
        kCarryForMenu = 8,
        kMove = 9,
        kCopy = 10,
        kMoveForMenu = 11,
        kRegionEdge = 12,
        kBand = 13,
        kBandAdd = 14,
        kBandRemove = 15,
        kSlide = 16,
        kPoint = 17,
        kKnobVolume = 18,
        kKnobGain = 19,
        kAfterDialog = 20,
    };
    static constexpr int32_t kDragThreshold = 2;     // pixels a press may wander before a drag starts
    static constexpr uint32_t kHoverTimer = 1;       // the main window's timer 1
    static constexpr uint32_t kHoverMs = 1000;
    static constexpr int32_t kEdgeZone = 12;         // auto-scroll starts this close to an edge
    static constexpr int32_t kMaxScrollStep = 96;    // pixels per tick at most

    ArrangementAreas(MainController& controller, AreaHost& host);
    ~ArrangementAreas();
    ArrangementAreas(const ArrangementAreas&) = delete;
    ArrangementAreas& operator=(const ArrangementAreas&) = delete;

    // A mouse or key event in client pixels; true when the areas took it
    // (it lay in one of them, or one of their gestures is running), false
    // when the window's own handling should see it.
    bool OnEvent(const platform::WindowEvent& event);
    // `mods` is the modifier code: Ctrl 1, Shift 2, Alt 4, left button 8,
    // right button 16.
    bool OnLeftDown(int32_t x, int32_t y, uint32_t mods);
    bool OnLeftUp(int32_t x, int32_t y, uint32_t mods);
    bool OnLeftDoubleClick(int32_t x, int32_t y, uint32_t mods);
    bool OnRightDown(int32_t x, int32_t y, uint32_t mods);
    bool OnRightUp(int32_t x, int32_t y, uint32_t mods);
    bool OnMouseMove(int32_t x, int32_t y, uint32_t mods);
    bool OnWheel(int32_t x, int32_t y, int32_t steps);
    // Keys that the keyboard table has no row for: the library's focus ring
    // (Tab, Shift+Tab), previews (Shift+Enter the cell, Ctrl+Enter the whole
    // entry, with Alt backwards) and the cell's menu (the menu key,
    // Shift+F10). True when the key was used.
    bool OnKey(int32_t key, uint32_t mods, bool repeat);
    // The window lost the keyboard focus: a running drag is cancelled.
    void OnFocusLost();

    // Timer 0 (every 20 ms) and the engine's clock tick 1025: following the
    // play cursor, the meters, auto-scrolling a drag near an edge.
    void OnTick();
    // The window's timers that belong to the areas (1: the hover on the
    // time display); true when the id was one of them.
    bool OnTimer(uint32_t id);
    // Clock ticks while the volume down or up button is held: the master
    // volume by `delta` (0 ... 255) and the knob one frame back or on.
    void StepMasterVolume(int32_t delta);

    // Repaints from the window's MainView (the areas this object draws;
    // others are ignored).
    void Paint(Area area);
    void PaintMeasures(int32_t first, int32_t count);
    void PaintChannel(int32_t channel);
    // Paste and the library's drag command: the placement buffer follows
    // the mouse until the next left release puts it down.
    void StartPlacementDrag();
    void OpenValueSlider(const ValueSliderRequest& request);
    // The drop a drop menu chose (MainController::finishDrop).
    int32_t FinishDrop(int32_t dragState, const MainController::PendingDrop& drop);

    // ---- what tests and the window look at ----
    int32_t DragState() const { return m_controller.State().view.dragState; }
    const ChannelMeters& Meters() const { return m_meters; }
    const VolumeKnob& Knob() const { return m_knob; }
    const LibraryFocus& Focus() const { return m_focus; }
    const ArrangementOverlay& Overlay() const { return m_overlay; }
    const FloatingDragWindow& DragWindow() const { return m_dragWindow; }
    const ValueSliderWindow* Slider() const { return m_slider.get(); }
    // The play cursor in pixels from the song's start, as last drawn.
    int64_t CursorPixel() const { return m_cursorPixel; }
    platform::Point GrabOffset() const { return m_grab; }

private:
    struct Press {
        platform::Point at;
        uint32_t mods = 0;
        bool right = false;
        AreaPlace place = AreaPlace::None;
        SlotHit slot;
        EnvelopeHit envelope;
        HandleHit handle;
        LibraryHit cell;
    };
    // What a moving slot (drag state 16) was and where it is now.
    struct Sliding {
        int32_t channel = 0;
        int32_t fromMeasure = 0;
        int64_t fromPosition = 0; // measure × S + start at the start of the slide
        ChannelSlot slot;
        int32_t measure = 0; // where it lies now
        int64_t prevFixed = -1;   // nearest measure before it with a slot that stays (-1: none)
        int64_t nextFixed = 0;    // nearest after it (the measure count: none)
    };

    MainState& S() { return m_controller.State(); }
    const MainState& S() const { return m_controller.State(); }
    geometry::Frame Frame() const { return ArrangementFrame(S()); }
    bool Busy() const { return S().view.busy > 0; }

    // Notes the pointer of a release; true when the release only ends the
    // state a file dialog left behind (its closing click reaches the window).
    bool EndsDialogState(int32_t x, int32_t y, uint32_t m);
    // A button went down on one of the areas: remember where and wait.
    void HoldPress(const Press& press);

    // Gestures (ArrangementDrag.cpp).
    int32_t ChooseDrag(const Press& press) const;
    bool BeginDrag(int32_t state, platform::Point at);
    void UpdateDrag(platform::Point at, uint32_t mods);
    void EndDrag(platform::Point at, uint32_t mods, bool rightRelease);
    void CancelDrag();
    void Click(platform::Point at, uint32_t mods);
    bool BeginCarry(int32_t state);
    bool BeginSelectionCarry();
    void ShowCellWindow(const SampleRef& ref, const Image24* picture);
    void ShowPlacementWindow();
    platform::Point WindowScreen(platform::Point at) const;
    // The press point's x as it would be now: presses keep their place in
    // the song while the view scrolls under a drag.
    int32_t PressX() const;
    void OpenOrClosePart(int32_t part);
    DropPlace DropPlaceAt(platform::Point at) const;
    void PutDown(platform::Point at);
    void EndPlacement();
    void ReplaceAt(int32_t state, platform::Point at, int32_t semitones);
    void SwapCells(const LibraryHit& target);
    void UpdateOutline(platform::Point at);
    void MoveRegionEdge(platform::Point at);
    void BeginBand();
    void UpdateBand(platform::Point at);
    void BeginSlide();
    void UpdateSlide(platform::Point at);
    void EndSlide();
    void UpdatePoint(platform::Point at, uint32_t mods);
    void TurnKnob(platform::Point at);
    bool AutoScroll();
    bool OpenDropMenu(int32_t state, platform::Point at, uint32_t mods);

    // Menus (ArrangementMenus.cpp).
    void RightClick(platform::Point at, uint32_t mods);
    void OpenMenuAt(std::string_view entry, platform::Point at);
    void MoveFocus(int32_t step);
    void KeepFocusVisible();

    // Drawing.
    void PaintArrangement(const platform::Rect& clip);
    void PaintLibrary();
    void PaintMeters();
    void PaintKnob();
    void PaintCursor();
    void PaintTimeDisplay();
    int64_t CurrentCursorPixel() const;
    void RepaintOutline(const std::vector<platform::Rect>& before);
    void ChangeMasterVolume(int32_t delta, int32_t frames);

    MainController& m_controller;
    AreaHost& m_host;
    ArrangementPainter m_painter;
    LibraryBrowser m_browser;
    ChannelMeters m_meters;
    VolumeKnob m_knob;
    FloatingDragWindow m_dragWindow;
    std::unique_ptr<ValueSliderWindow> m_slider;
    Image24 m_knobStrip;
    Image24 m_meterStrip;

    ArrangementOverlay m_overlay;
    Press m_press;
    int32_t m_pressScrollX = 0;
    platform::Point m_lastMouse{-1, -1};
    uint32_t m_lastMods = 0;
    platform::Point m_grab;      // the pointer's offset inside the floating window
    int32_t m_grabRows = 0;      // the same in whole rows of 25 pixels
    bool m_placementWithoutButton = false;
    SampleRef m_carried;         // the sample a carry or replace drag holds
    LibraryHit m_swapTarget;

    // Region edge (12).
    int32_t m_edgeRegion = -1;
    RegionSide m_edgeSide = RegionSide::Start;
    // Rubber band (13 ... 15): the selection when the band started.
    std::vector<uint8_t> m_bandSlots;
    std::array<std::array<std::vector<uint8_t>, kEnvelopeKinds>, kChannels> m_bandPoints;
    platform::Rect m_bandCells; // measures (left, right) and rows (top, bottom) of the band; empty when none
    int32_t m_bandMeasureCount = 0;
    // Slide (16).
    std::vector<Sliding> m_sliding;
    size_t m_grabbed = 0;
    // Point (17).
    PointedPoint m_point;
    int32_t m_pointPosition = 0;
    int32_t m_pointValue = 0;
    // Knob gain (19): the channel volumes when the turn began.
    std::array<int32_t, kChannels> m_baseVolumes{};

    int64_t m_cursorPixel = 0;
    int32_t m_hoverArea = -1;   // the time hot area under the pointer, -1 none
    bool m_hoverFired = false;
    LibraryFocus m_focus;
    bool m_addPressed = false;
};

} // namespace bm::ui
