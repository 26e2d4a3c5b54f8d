// The areas' event routing, their timers and ticks, and their drawing. The
// gestures themselves are in ArrangementDrag.cpp, the menus and the
// library's keyboard access in ArrangementMenus.cpp.

#include "ui/main/ArrangementAreas.h"
#include "ui/main/TimeFormats.h"

#include "app/AppContext.h"
#include "library/SampleResolver.h"
#include "ui/main/AreaDrawing.h"
#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/PlaybackFollow.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"

#include <algorithm>
#include <cstdio>

namespace bm::ui {

using platform::Point;
using platform::Rect;
namespace mods = platform::mods;

AreaPlace PlaceAt(int32_t x, int32_t y)
{
    if (layout::kArrangement.Contains(x, y))
        return AreaPlace::Arrangement;
    if (layout::kLibrary.Contains(x, y))
        return AreaPlace::Library;
    if (layout::kSilenceCell.Contains(x, y))
        return AreaPlace::Silence;
    if (layout::kVolumeKnobArea.Contains(x, y))
        return AreaPlace::Knob;
    if (layout::kTimeHotAreas[0].Contains(x, y))
        return AreaPlace::TimeArea0;
    if (layout::kTimeHotAreas[1].Contains(x, y))
        return AreaPlace::TimeArea1;
    return AreaPlace::None;
}

std::optional<SampleRef> FindSilence(const SampleLibrary& library, std::vector<std::string> folders,
                                     std::string programFolder)
{
    const SampleResolver resolver(library, std::move(folders), std::move(programFolder));
    const SlotTexts texts{"ncp", "xb", "p1", "c1", "Silence", "", kAnyText, kAnyText};
    const Resolution found = resolver.Resolve(texts, FuzzySearch::Disabled);
    const SampleDescriptor* d = library.Find(found.ref);
    if (found.score <= 0 || !d || d->IsEmpty())
        return std::nullopt;
    return found.ref;
}

namespace {

bool LoadStrip(const ResourceArchive& archive, std::string_view entry, Image24& image)
{
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    if (!LoadBitmap24(archive, entry, &pixels, &width, &height))
        return false;
    image.pixels = std::move(pixels);
    image.width = width;
    image.height = height;
    return true;
}

} // namespace

ArrangementAreas::ArrangementAreas(MainController& controller, AreaHost& host)
    : m_controller(controller), m_host(host)
{
    m_painter.LoadPictures(host.Archive());
    m_painter.SetFont(&host.Font(layout::FontId::Text8));
    m_browser.LoadPictures(host.Archive());
    m_browser.SetFont(&host.Font(layout::FontId::Text8));
    // The knob's strip: a shape cell and then one cell per frame, each the
    // knob area's size. The meters' strip: unlit, lit and peak columns.
    if (LoadStrip(host.Archive(), layout::ControlOf(layout::ControlId::VolumeKnob).strip, m_knobStrip) &&
        m_knobStrip.width < layout::WidthOf(layout::kVolumeKnobArea) * (1 + layout::kKnobFrames))
        m_knobStrip = {};
    if (LoadStrip(host.Archive(), layout::kMeterEntry, m_meterStrip) &&
        (m_meterStrip.width < 3 * layout::kMeterColumnWidth || m_meterStrip.height < layout::kMeterColumnHeight))
        m_meterStrip = {};
    m_cursorPixel = CurrentCursorPixel();
    m_controller.finishDrop = [this](int32_t state, const MainController::PendingDrop& drop) {
        return FinishDrop(state, drop);
    };
}

ArrangementAreas::~ArrangementAreas()
{
    m_controller.finishDrop = nullptr;
    m_dragWindow.Close();
}

// ---- Events ----

void ArrangementAreas::HoldPress(const Press& press)
{
    m_press = press;
    m_pressScrollX = S().view.scrollX;
    S().view.dragState = kButtonDown;
    m_host.CaptureMouse();
}

bool ArrangementAreas::OnEvent(const platform::WindowEvent& e)
{
    using platform::EventType;
    switch (e.type) {
    case EventType::LeftDown: return OnLeftDown(e.x, e.y, e.modifiers);
    case EventType::LeftUp: return OnLeftUp(e.x, e.y, e.modifiers);
    case EventType::LeftDoubleClick: return OnLeftDoubleClick(e.x, e.y, e.modifiers);
    case EventType::RightDown: return OnRightDown(e.x, e.y, e.modifiers);
    case EventType::RightUp: return OnRightUp(e.x, e.y, e.modifiers);
    case EventType::MouseMove: return OnMouseMove(e.x, e.y, e.modifiers);
    case EventType::Wheel: return OnWheel(e.x, e.y, e.wheelSteps);
    case EventType::KeyDown: return OnKey(e.key, e.modifiers, e.repeat);
    case EventType::FocusLost: OnFocusLost(); return false;
    case EventType::Timer: return OnTimer(e.timerId);
    default: return false;
    }
}

bool ArrangementAreas::OnLeftDown(int32_t x, int32_t y, uint32_t m)
{
    m_lastMouse = {x, y};
    m_lastMods = m;
    const AreaPlace place = PlaceAt(x, y);
    int32_t& state = S().view.dragState;
    if (Busy())
        return place != AreaPlace::None;
    if (state == kAfterDialog)
        state = kIdle;
    if (state != kIdle)
        return true; // the release ends what runs (a placement carried without a button, a drag)
    if (place == AreaPlace::None)
        return false;

    Press press;
    press.at = {x, y};
    press.mods = m;
    press.place = place;
    if (place == AreaPlace::Arrangement) {
        const geometry::Frame f = Frame();
        const Song& song = S().doc.song;
        press.handle = HitRegionHandle(song, f, x, y);
        press.envelope = HitEnvelope(song, f, S().view.envelopeShown, x, y);
        press.slot = HitSlot(song, S().doc.library, f, x, y);
        const uint32_t keys = m & mods::kKeys;
        if (press.handle.Valid()) {
            int32_t command = 0;
            if (keys & mods::kCtrl)
                command = cmd::kRemoveRegion;
            else if (keys & mods::kShift)
                command = cmd::kJoinRegions;
            else if (keys & mods::kAlt)
                command = cmd::kRegionOnOff;
            if (command != 0) {
                S().view.currentRegion = press.handle.region;
                S().view.regionSide = press.handle.side;
                m_controller.OnCommand(command);
                S().view.currentRegion = -1;
                press.handle = {};
            }
        } else if ((keys & (mods::kCtrl | mods::kShift)) == 0) {
            // A plain press selects what it hits, alone, unless that is
            // already selected (so a selection can be picked up whole).
            bool selected = false;
            Song& edit = S().doc.song;
            if (press.envelope.point.Valid()) {
                const PointedPoint& p = press.envelope.point;
                selected = edit.envelopes[p.channel][p.kind][p.index].selected != 0;
            } else if (press.slot.Valid()) {
                selected = edit.measures[press.slot.measure].slots[press.slot.channel].selected != 0;
            }
            if (!selected) {
                m_controller.OnCommand(cmd::kSelectNone, 1);
                if (press.envelope.point.Valid()) {
                    const PointedPoint& p = press.envelope.point;
                    edit.envelopes[p.channel][p.kind][p.index].selected = 1;
                } else if (press.slot.Valid()) {
                    edit.measures[press.slot.measure].slots[press.slot.channel].selected = 1;
                }
                PaintArrangement(layout::kArrangement);
            }
        }
    } else if (place == AreaPlace::Library) {
        press.cell = HitLibrary(S().doc.library, S().view.libraryFirstRow, x, y);
        if (press.cell.kind == LibraryHit::Kind::AddButton) {
            m_addPressed = true;
            PaintLibrary();
        }
    }
    HoldPress(press);
    return true;
}

bool ArrangementAreas::EndsDialogState(int32_t x, int32_t y, uint32_t m)
{
    m_lastMouse = {x, y};
    m_lastMods = m;
    int32_t& state = S().view.dragState;
    if (state != kAfterDialog)
        return false;
    state = kIdle;
    return true;
}

bool ArrangementAreas::OnLeftUp(int32_t x, int32_t y, uint32_t m)
{
    if (EndsDialogState(x, y, m))
        return true;
    int32_t& state = S().view.dragState;
    if (state == kIdle)
        return PlaceAt(x, y) != AreaPlace::None;
    if (state == kButtonDown) {
        if (m_press.right)
            return true;
        state = kIdle;
        m_host.ReleaseMouse();
        Click({x, y}, m);
        return true;
    }
    switch (state) {
    case kReplace:
    case kReplaceByName:
    case kCarryForMenu:
    case kMoveForMenu:
    case kKnobGain:
        return true; // right-button drags end on the right release
    default:
        EndDrag({x, y}, m, false);
        return true;
    }
}

bool ArrangementAreas::OnLeftDoubleClick(int32_t x, int32_t y, uint32_t m)
{
    // The second press of a double click is a press as well.
    const bool idle = S().view.dragState == kIdle || S().view.dragState == kAfterDialog;
    const bool taken = OnLeftDown(x, y, m);
    if (!idle || Busy() || PlaceAt(x, y) != AreaPlace::Arrangement || (m & (mods::kCtrl | mods::kShift)))
        return taken;
    const SlotHit hit = HitSlot(S().doc.song, S().doc.library, Frame(), x, y);
    if (!hit.Valid())
        return taken;
    S().view.pointedMeasure = hit.measure;
    S().view.pointedChannel = hit.channel;
    S().view.librarySelection = S().doc.song.measures[hit.measure].slots[hit.channel].ref;
    m_controller.OnCommand(cmd::kPreviewSlot);
    return true;
}

bool ArrangementAreas::OnRightDown(int32_t x, int32_t y, uint32_t m)
{
    m_lastMouse = {x, y};
    m_lastMods = m;
    const AreaPlace place = PlaceAt(x, y);
    int32_t& state = S().view.dragState;
    if (Busy())
        return place != AreaPlace::None;
    if (state == kAfterDialog)
        state = kIdle;
    if (state != kIdle)
        return true;
    if (place == AreaPlace::None)
        return false;
    Press press;
    press.at = {x, y};
    press.mods = m;
    press.right = true;
    press.place = place;
    if (place == AreaPlace::Arrangement) {
        const geometry::Frame f = Frame();
        press.slot = HitSlot(S().doc.song, S().doc.library, f, x, y);
        press.envelope = HitEnvelope(S().doc.song, f, S().view.envelopeShown, x, y);
        const uint32_t keys = m & mods::kKeys;
        if (keys == mods::kCtrl || keys == mods::kShift) {
            const bool ctrl = keys == mods::kCtrl;
            if (press.slot.Valid()) {
                const ChannelSlot& slot = S().doc.song.measures[press.slot.measure].slots[press.slot.channel];
                S().view.librarySelection = slot.ref;
                S().view.pointedSlotFlag = slot.selected ? 0 : 1;
                S().view.pointedMeasure = press.slot.measure;
                S().view.pointedChannel = press.slot.channel;
                m_controller.OnCommand(ctrl ? cmd::kSelectAlike : cmd::kSelectAlikeByName);
            } else {
                const int32_t row = geometry::RowUnder(f, y);
                if (row >= 0 && row < kChannels) {
                    S().view.pointedChannel = row;
                    m_controller.OnCommand(ctrl ? cmd::kDeselectChannel : cmd::kSelectChannel);
                }
            }
        }
    } else if (place == AreaPlace::Library) {
        press.cell = HitLibrary(S().doc.library, S().view.libraryFirstRow, x, y);
    }
    HoldPress(press);
    return true;
}

bool ArrangementAreas::OnRightUp(int32_t x, int32_t y, uint32_t m)
{
    if (EndsDialogState(x, y, m))
        return true;
    int32_t& state = S().view.dragState;
    if (m & mods::kLeftButton)
        return state != kIdle || PlaceAt(x, y) != AreaPlace::None;
    if (state == kIdle)
        return PlaceAt(x, y) != AreaPlace::None;
    if (state == kButtonDown) {
        if (!m_press.right)
            return true;
        state = kIdle;
        m_host.ReleaseMouse();
        RightClick({x, y}, m);
        return true;
    }
    if (state == kCarry && m_placementWithoutButton) {
        CancelDrag();
        return true;
    }
    switch (state) {
    case kCopy:
    case kReplace:
    case kReplaceByName:
    case kCarryForMenu:
    case kMoveForMenu:
    case kKnobGain:
        EndDrag({x, y}, m, true);
        break;
    default:
        break;
    }
    return true;
}

bool ArrangementAreas::OnMouseMove(int32_t x, int32_t y, uint32_t m)
{
    m_lastMouse = {x, y};
    m_lastMods = m;
    // The hover on the time display: resting there for a second opens the
    // time window once.
    const AreaPlace place = PlaceAt(x, y);
    const int32_t hover = place == AreaPlace::TimeArea0 ? 0 : place == AreaPlace::TimeArea1 ? 1 : -1;
    if (hover != m_hoverArea) {
        if (hover >= 0 && m_hoverArea < 0) {
            m_hoverFired = false;
            m_host.StartTimer(kHoverTimer, kHoverMs);
        } else if (hover < 0) {
            m_host.StopTimer(kHoverTimer);
            m_hoverFired = false;
        }
        m_hoverArea = hover;
    }
    if (Busy())
        return false;
    int32_t& state = S().view.dragState;
    if (state == kButtonDown) {
        const int32_t dx = x - m_press.at.x;
        const int32_t dy = y - m_press.at.y;
        if (dx > kDragThreshold || dx < -kDragThreshold || dy > kDragThreshold || dy < -kDragThreshold) {
            const int32_t chosen = ChooseDrag(m_press);
            if (chosen != kIdle && BeginDrag(chosen, {x, y})) {
                UpdateDrag({x, y}, m);
            } else {
                // A gesture that starts nothing stays a press; its release
                // is then no click either.
                m_press.place = AreaPlace::None;
            }
        }
        return true;
    }
    if (state != kIdle && state != kAfterDialog) {
        UpdateDrag({x, y}, m);
        return true;
    }
    return false;
}

bool ArrangementAreas::OnWheel(int32_t x, int32_t y, int32_t steps)
{
    if (Busy() || steps == 0)
        return false;
    ViewState& v = S().view;
    switch (PlaceAt(x, y)) {
    case AreaPlace::Library: {
        const int32_t first = ClampedFirstRow(S().doc.library, v.libraryFirstRow - steps);
        if (first != v.libraryFirstRow) {
            v.libraryFirstRow = first;
            PaintLibrary();
        }
        return true;
    }
    case AreaPlace::Arrangement:
        m_controller.ScrollTo(int64_t(v.scrollX) - int64_t(steps) * v.measureWidth * 4);
        if (v.dragState > kButtonDown && v.dragState != kAfterDialog)
            UpdateDrag(m_lastMouse, m_lastMods);
        return true;
    case AreaPlace::Knob:
        ChangeMasterVolume(5 * steps, steps);
        return true;
    default:
        return false;
    }
}

void ArrangementAreas::OnFocusLost()
{
    const int32_t state = S().view.dragState;
    if (state == kButtonDown) {
        S().view.dragState = kIdle;
        m_host.ReleaseMouse();
    } else if (state > kButtonDown && state != kAfterDialog) {
        CancelDrag();
    }
    if (m_addPressed) {
        m_addPressed = false;
        PaintLibrary();
    }
}

// ---- Ticks and timers ----

void ArrangementAreas::OnTick()
{
    if (S().view.closing)
        return;
    if (m_slider && !m_slider->IsOpen())
        m_slider.reset();
    ViewState& v = S().view;
    const int64_t position = m_controller.Services().readings.Position();
    const geometry::Frame f = Frame();
    if (position >= 0) {
        const int64_t b = position * f.W / f.S;
        // A drag holds the view: what is under the pointer must not run away.
        const bool held = v.dragState > kButtonDown && v.dragState != kAfterDialog;
        if (!held) {
            const FollowStep step = FollowPlayback(v.followMode, v.smoothFlag, v.catchUpStart, b, v.scrollX,
                                                   m_controller.ViewWidth());
            v.followMode = step.mode;
            v.catchUpStart = step.catchUpStart;
            if (step.scroll)
                m_controller.ScrollTo(step.scrollTo);
        }
    }
    if (CurrentCursorPixel() != m_cursorPixel)
        PaintCursor();

    std::array<int32_t, kChannels> peaks{};
    if (position >= 0 && m_controller.Services().app.options.spectrumAnalyzer != 0)
        peaks = m_controller.Services().readings.Levels(position);
    if (m_meters.Update(peaks))
        PaintMeters();

    if (v.dragState > kButtonDown && v.dragState != kAfterDialog)
        AutoScroll();
}

bool ArrangementAreas::OnTimer(uint32_t id)
{
    if (id != kHoverTimer)
        return false;
    m_host.StopTimer(kHoverTimer);
    if (m_hoverArea >= 0 && !m_hoverFired && !Busy()) {
        m_hoverFired = true;
        m_controller.OnCommand(cmd::kTimeMenu, m_hoverArea);
    }
    return true;
}

void ArrangementAreas::ChangeMasterVolume(int32_t delta, int32_t frames)
{
    ViewState& v = S().view;
    v.masterVolume = std::clamp(v.masterVolume + delta, 0, 255);
    m_knob.Turn(frames);
    PaintKnob();
    m_controller.View().Repaint(Area::Displays);
}

void ArrangementAreas::StepMasterVolume(int32_t delta)
{
    ChangeMasterVolume(delta, delta > 0 ? 1 : delta < 0 ? -1 : 0);
}

// ---- Drawing ----

int64_t ArrangementAreas::CurrentCursorPixel() const
{
    const geometry::Frame f = Frame();
    if (S().Playing()) {
        const int64_t position = m_controller.Services().readings.Position();
        if (position >= 0)
            return position * f.W / f.S;
    }
    return int64_t(S().view.cursorMeasure) * f.W;
}

void ArrangementAreas::Paint(Area area)
{
    switch (area) {
    case Area::All:
        m_cursorPixel = CurrentCursorPixel();
        PaintArrangement(layout::kArrangement);
        PaintLibrary();
        PaintMeters();
        PaintKnob();
        PaintTimeDisplay();
        break;
    case Area::Arrangement:
        m_cursorPixel = CurrentCursorPixel();
        PaintArrangement(layout::kArrangement);
        break;
    case Area::Library: PaintLibrary(); break;
    case Area::Meters: PaintMeters(); break;
    case Area::Knob: PaintKnob(); break;
    case Area::Cursor: PaintCursor(); break;
    case Area::TimeDisplay: PaintTimeDisplay(); break;
    default: break;
    }
}

void ArrangementAreas::PaintArrangement(const Rect& wanted)
{
    const Rect clip = wanted.Intersected(layout::kArrangement);
    if (clip.Empty())
        return;
    m_painter.Paint(m_host.Canvas().View(), m_host.Background().View(), S(), m_cursorPixel, m_overlay, clip);
    m_host.Present(clip);
}

void ArrangementAreas::PaintMeasures(int32_t first, int32_t count)
{
    if (count <= 0)
        return;
    const geometry::Frame f = Frame();
    const int32_t left = geometry::MeasureX(f, first);
    const int32_t right = geometry::MeasureX(f, int64_t(first) + count) - 1;
    PaintArrangement({left, layout::kArrangement.top, right, layout::kArrangement.bottom});
}

void ArrangementAreas::PaintChannel(int32_t channel)
{
    if (channel < 0 || channel >= kChannels) {
        PaintArrangement(layout::kArrangement);
        return;
    }
    const geometry::Frame f = Frame();
    // The curves of the row's envelopes reach two pixels past its edges.
    PaintArrangement({layout::kArrangement.left, geometry::RowTop(f, channel) - 3, layout::kArrangement.right,
                      geometry::RowBottom(f, channel) + 3});
}

void ArrangementAreas::PaintCursor()
{
    const geometry::Frame f = Frame();
    const int64_t old = m_cursorPixel;
    m_cursorPixel = CurrentCursorPixel();
    for (int64_t pixel : {old, m_cursorPixel}) {
        const int32_t x = geometry::ToPixel(f.L + pixel - f.X);
        PaintArrangement({x, layout::kArrangement.top, x, layout::kArrangement.bottom});
    }
    PaintTimeDisplay();
}

void ArrangementAreas::PaintLibrary()
{
    m_browser.SetAddText(m_controller.Texts().addSamples.text);
    std::optional<Rect> target;
    if (S().view.dragState == kSwapCells && m_swapTarget.Valid())
        target = layout::LibraryCellRect(m_swapTarget.visibleRow, m_swapTarget.variant);
    m_browser.Paint(m_host.Canvas().View(), m_host.Background().View(), S(), m_focus, target ? &*target : nullptr,
                    m_addPressed);
    m_host.Present(layout::kLibrary);
}

void ArrangementAreas::PaintMeters()
{
    Pixels24 canvas = m_host.Canvas().View();
    const Rect clip = layout::kMeters;
    draw::Restore(canvas, clip, m_host.Background().View(), clip);
    for (int32_t c = 0; c < kChannels; ++c) {
        const int32_t level = m_meters.Level(c);
        const Rect column = layout::MeterColumnRect(c);
        for (int32_t s = 0; s < layout::kMeterSegments; ++s) {
            const Rect segment = layout::MeterSegmentRect(c, s);
            // 0 unlit, 1 lit, 2 the top lit segment (the peak mark).
            const int32_t picture = s >= level ? 0 : s + 1 == level ? 2 : 1;
            if (!m_meterStrip.Empty()) {
                const int32_t dy = segment.top - column.top;
                const Rect from{picture * layout::kMeterColumnWidth, dy,
                                picture * layout::kMeterColumnWidth + layout::kMeterColumnWidth - 1,
                                dy + segment.Height() - 1};
                draw::Picture(canvas, clip, m_meterStrip.View(), from, segment.left, segment.top);
            } else {
                static constexpr uint32_t kLook[3] = {0x1C2A1C, 0x3CD860, 0xF0F060};
                draw::Fill(canvas, clip, segment, kLook[picture]);
            }
        }
    }
    m_host.Present(clip);
}

void ArrangementAreas::PaintKnob()
{
    Pixels24 canvas = m_host.Canvas().View();
    const Rect area = layout::kVolumeKnobArea;
    draw::Restore(canvas, area, m_host.Background().View(), area);
    const int32_t frame = m_knob.Frame();
    if (!m_knobStrip.Empty()) {
        const int32_t w = area.Width();
        const Rect from{(1 + frame) * w, 0, (1 + frame) * w + w - 1, area.Height() - 1};
        draw::Picture(canvas, area, m_knobStrip.View(), from, area.left, area.top);
    } else {
        // A dial with a mark that turns an eighth of a turn per frame.
        const int32_t cx = (area.left + area.right) / 2;
        const int32_t cy = (area.top + area.bottom) / 2;
        static constexpr int32_t kMark[8][2] = {{0, -20}, {14, -14}, {20, 0}, {14, 14},
                                                {0, 20},  {-14, 14}, {-20, 0}, {-14, -14}};
        draw::Fill(canvas, area, {cx - 24, cy - 24, cx + 24, cy + 24}, 0x3A3F46);
        draw::Outline(canvas, area, {cx - 24, cy - 24, cx + 24, cy + 24}, 0x8A929C);
        draw::Line(canvas, area, cx, cy, cx + kMark[frame][0], cy + kMark[frame][1], 0xE8C848);
    }
    m_host.Present(area);
}

void ArrangementAreas::PaintTimeDisplay()
{
    Pixels24 canvas = m_host.Canvas().View();
    const Song& song = S().doc.song;
    const int32_t sPerM = std::max(1, song.samplesPerMeasure);
    int64_t position = int64_t(S().view.cursorMeasure) * sPerM;
    if (S().Playing()) {
        const int64_t playing = m_controller.Services().readings.Position();
        if (playing >= 0)
            position = playing;
    }
    const int64_t measures = S().Measures();
    const BitmapFont& font = m_host.Font(layout::FontId::Digits);
    const uint32_t colour = SwapRedBlue(m_controller.Texts().time.textColour);
    const int32_t format = S().view.timeFormat;
    const std::string texts[2] = {DigitCodesOf(TimeText(position, position / sPerM, sPerM, song.measuresPerBar, format, false)),
                                  DigitCodesOf(TimeText(measures * sPerM, measures, sPerM, song.measuresPerBar, format, true))};
    for (int i = 0; i < 2; ++i) {
        const Rect area = layout::kTimeHotAreas[i];
        draw::Restore(canvas, area, m_host.Background().View(), area);
        if (font.Loaded()) {
            const int32_t x = area.right - font.CodesWidth(texts[i]);
            const int32_t y = area.top + (area.Height() - font.CellHeight()) / 2;
            const Rect saved = BitmapFont::ClipRect();
            BitmapFont::SetClip(area.left, area.top, area.right, area.bottom + 1);
            font.DrawCodes(x, y, texts[i], colour, canvas);
            BitmapFont::SetClip(saved.left, saved.top, saved.right, saved.bottom + 1);
        }
        m_host.Present(area);
    }
}

} // namespace bm::ui
