#include "ui/skin/SkinWindow.h"

#include "ui/skin/Bitmap.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinScrollBar.h"

#include <algorithm>
#include <utility>

namespace bm {

using platform::EventType;
using platform::WindowEvent;

std::vector<Rect> RegionFromSkin(const Image24& skin)
{
    std::vector<Rect> out;
    if (skin.Empty())
        return out;
    // Runs of the previous row that may still grow downwards, by index into `out`.
    std::vector<size_t> open;
    std::vector<std::pair<int32_t, int32_t>> previous;
    const ConstPixels24 view = skin.View();
    for (int32_t y = 0; y < skin.height; ++y) {
        std::vector<std::pair<int32_t, int32_t>> runs;
        const uint8_t* p = view.At(0, y);
        int32_t start = -1;
        for (int32_t x = 0; x < skin.width; ++x, p += 3) {
            const bool black = (p[0] | p[1] | p[2]) == 0;
            if (!black && start < 0)
                start = x;
            if (black && start >= 0) {
                runs.emplace_back(start, x - 1);
                start = -1;
            }
        }
        if (start >= 0)
            runs.emplace_back(start, skin.width - 1);
        if (runs == previous && !open.empty()) {
            for (size_t index : open)
                out[index].bottom = y;
            continue;
        }
        open.clear();
        for (const auto& [left, right] : runs) {
            open.push_back(out.size());
            out.push_back({left, y, right, y});
        }
        previous = std::move(runs);
    }
    return out;
}

SkinWindow::SkinWindow(const ResourceArchive& archive, std::unique_ptr<platform::WindowHost> host)
    : m_archive(&archive), m_ownedHost(std::move(host)), m_host(m_ownedHost.get())
{
    m_background.Resize(1, 1);
    m_canvas.Resize(1, 1);
    m_host->SetEventSink(this);
    Attach();
}

SkinWindow::SkinWindow(const ResourceArchive& archive, platform::WindowHost& host)
    : m_archive(&archive), m_host(&host)
{
    m_background.Resize(1, 1);
    m_canvas.Resize(1, 1);
    m_host->SetEventSink(this);
    Attach();
}

SkinWindow::~SkinWindow()
{
    if (m_repeatRunning)
        m_host->StopTimer(kRepeatTimerId);
    m_host->SetEventSink(nullptr);
    m_host->AttachCanvas(nullptr, 0, 0);
}

void SkinWindow::Attach()
{
    m_host->AttachCanvas(m_canvas.pixels.data(), m_canvas.width, m_canvas.height);
}

bool SkinWindow::LoadSkin(std::string_view entry, SkinRegion region, SkinFrame frame)
{
    Image24 skin;
    if (!LoadBitmap24(*m_archive, entry, &skin.pixels, &skin.width, &skin.height))
        return false;
    m_background = std::move(skin);
    m_canvas = m_background;
    if (region == SkinRegion::FromSkin) {
        SizeToSkin(m_background.width, m_background.height, frame);
        m_region = RegionFromSkin(m_background);
        m_host->SetShape(m_region);
    }
    Attach();
    return true;
}

bool SkinWindow::LoadMoveBar(std::string_view entry, const Rect& rect)
{
    Image8 mask;
    if (!LoadBitmap8(*m_archive, entry, &mask.pixels, &mask.width, &mask.height))
        return false;
    m_moveBar = std::move(mask);
    m_moveBarRect = rect;
    return true;
}

int SkinWindow::AddPiece(std::string_view entry, int32_t left, int32_t top, int32_t kind)
{
    BorderPane piece;
    if (!LoadBitmap8(*m_archive, entry, &piece.mask.pixels, &piece.mask.width, &piece.mask.height))
        return -1;
    piece.id = static_cast<int>(m_pieces.size());
    piece.entry.assign(entry);
    piece.rect = {left, top, left + piece.mask.width - 1, top + piece.mask.height - 1};
    piece.kind = kind;
    piece.work.Resize(piece.mask.width + 2 * BorderPane::kMarginX, piece.mask.height + 2 * BorderPane::kMarginY);
    m_pieces.push_back(std::move(piece));
    return m_pieces.back().id;
}

SkinButton& SkinWindow::AddButton(const Rect& rect, std::string_view strip, int layout, bool show)
{
    auto button = std::make_unique<SkinButton>(*this, rect);
    button->LoadStrip(strip);
    button->SetFrames(layout);
    m_buttons.push_back(std::move(button));
    SkinButton& added = *m_buttons.back();
    if (show)
        added.Draw();
    return added;
}

SkinScrollBar& SkinWindow::AddScrollBar(std::unique_ptr<SkinScrollBar> bar)
{
    m_scrollBars.push_back(std::move(bar));
    SkinScrollBar& added = *m_scrollBars.back();
    added.Draw();
    return added;
}

Rect SkinWindow::BlitRect(const Rect& rect) const
{
    Rect r = ClipToSize(rect, m_canvas.width, m_canvas.height);
    if (r.Empty())
        return r;
    const int32_t width = (r.Width() + 3) / 4 * 4;
    r.right = r.left + width - 1;
    if (r.right > m_canvas.width - 1) {
        r.right = m_canvas.width - 1;
        r.left = std::max(0, r.right - width + 1);
    }
    return r;
}

void SkinWindow::Blit(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    // The host shows the canvas itself, so the copy to the screen needs no
    // intermediate bitmap: presenting the rectangle is the whole copy.
    const Rect r = BlitRect({left, top, right, bottom});
    if (!r.Empty())
        m_host->Present(r);
}

void SkinWindow::DrawLabel(int32_t x, int32_t y, std::string_view text, uint32_t colour, bool blitNow)
{
    if (!m_font)
        return;
    m_font->DrawText(x, y, text, colour, m_canvas.View());
    if (!blitNow)
        return;
    const Rect area{x, y, x + m_font->TextWidth(text) - 1, y + m_font->CellHeight() - 1};
    const Rect shown = area.Intersected(BitmapFont::ClipRect());
    if (!shown.Empty())
        Blit(shown);
}

void SkinWindow::CentreOnScreen()
{
    m_host->CentreOnScreen();
}

void SkinWindow::SizeToSkin(int32_t width, int32_t height, SkinFrame)
{
    m_host->SetClientSize(width, height);
}

void SkinWindow::ResizeCanvas(int32_t width, int32_t height, uint32_t fill)
{
    m_background.Resize(std::max(width, 1), std::max(height, 1), fill);
    m_canvas = m_background;
    m_region.clear();
    m_host->SetClientSize(m_canvas.width, m_canvas.height);
    m_host->SetShape({});
    Attach();
}

void SkinWindow::RestoreBackground(const Rect& rect)
{
    CopyRect24(m_background.View(), rect, m_canvas.View(), rect.left, rect.top);
}

void SkinWindow::RefreshPieces()
{
    for (BorderPane& pane : m_pieces) {
        const Rect area{pane.rect.left - BorderPane::kMarginX, pane.rect.top - BorderPane::kMarginY,
                        pane.rect.right + BorderPane::kMarginX, pane.rect.bottom + BorderPane::kMarginY};
        const Point screen = m_host->ClientToScreen({area.left, area.top});
        m_host->ReadScreen(area.Translated(screen.x - area.left, screen.y - area.top), m_screenScratch.pixels);
        m_screenScratch.width = area.Width();
        m_screenScratch.height = area.Height();
        if (m_screenScratch.pixels.size() < static_cast<size_t>(area.Width()) * static_cast<size_t>(area.Height()) * 3)
            m_screenScratch.pixels.resize(static_cast<size_t>(area.Width()) * static_cast<size_t>(area.Height()) * 3);
        CapturePane(pane, m_screenScratch);
        SmoothPane(pane.work, pane.kind);
        BlendPane(pane, m_background, m_canvas);
        Blit(pane.rect);
    }
}

void SkinWindow::StartRepeat(SkinScrollBar* bar, int32_t flag, uint32_t periodMs)
{
    m_repeatBar = bar;
    m_repeatFlag = flag;
    m_repeatCount = 0;
    m_repeatRunning = true;
    m_host->StartTimer(kRepeatTimerId, periodMs);
}

void SkinWindow::StopRepeat()
{
    if (m_repeatRunning)
        m_host->StopTimer(kRepeatTimerId);
    m_repeatRunning = false;
}

bool SkinWindow::OnMoveBar(int32_t x, int32_t y) const
{
    if (m_moveBar.Empty() || !m_moveBarRect.Contains(x, y))
        return false;
    const int32_t mx = x - m_moveBarRect.left, my = y - m_moveBarRect.top;
    if (my >= m_moveBar.height)
        return false;
    for (int32_t i = 0; i < kMoveBarProbe && mx + i < m_moveBar.width; ++i) {
        if (m_moveBar.At(mx + i, my) != 0)
            return true;
    }
    return false;
}

void SkinWindow::HandleEvent(const WindowEvent& event)
{
    switch (event.type) {
    case EventType::LeftDown:
        LeftDown(event);
        break;
    case EventType::LeftUp:
        LeftUp(event);
        break;
    case EventType::RightDown:
        RightDown(event);
        break;
    case EventType::RightUp:
        RightUp(event);
        break;
    case EventType::MouseMove:
        Move(event);
        break;
    case EventType::Timer:
        if (event.timerId == kRepeatTimerId && m_repeatRunning) {
            Repeat(m_repeatCount, m_repeatBar, m_repeatFlag);
            ++m_repeatCount;
        }
        break;
    case EventType::FocusLost:
        // The capture is gone with the focus: no move or drag may go on.
        m_moving = false;
        m_dragBar = nullptr;
        break;
    default:
        break;
    }
}

void SkinWindow::LeftDown(const WindowEvent& e)
{
    m_host->CaptureMouse();
    if (OnMoveBar(e.x, e.y)) {
        m_moving = true;
        m_grab = {e.x, e.y};
    }
    // By index: a notification may add controls.
    for (size_t i = 0; i < m_scrollBars.size(); ++i) {
        SkinScrollBar& bar = *m_scrollBars[i];
        for (SkinButton* arrow : {bar.FirstArrow(), bar.SecondArrow()}) {
            if (arrow && !arrow->Disabled())
                ArrowPressed(e.modifiers, e.x, e.y, bar, *arrow);
        }
    }
    for (size_t i = 0; i < m_scrollBars.size(); ++i) {
        SkinScrollBar& bar = *m_scrollBars[i];
        if (!bar.Visible() || !bar.GetRect().Contains(e.x, e.y))
            continue;
        const Rect thumb = bar.ThumbRect(bar.Position());
        const bool vertical = bar.Axis() == ScrollAxis::Vertical;
        if (thumb.Contains(e.x, e.y))
            m_dragOffset = vertical ? e.y - thumb.top : e.x - thumb.left;
        else
            m_dragOffset = (vertical ? thumb.Height() : thumb.Width()) / 2;
        m_dragBar = &bar;
        m_dragStartPos = bar.Position();
        DragThumb(e.x, e.y);
        break;
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        SkinButton& button = *m_buttons[i];
        if (!button.Disabled())
            ButtonPressed(e.modifiers, e.x, e.y, button);
    }
}

void SkinWindow::LeftUp(const WindowEvent& e)
{
    m_host->ReleaseMouse();
    m_moving = false;
    m_dragBar = nullptr;
    if (m_repeatRunning) {
        StopRepeat();
        RepeatEnded(e.modifiers, e.x, e.y, m_repeatBar, m_repeatCount);
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        SkinButton& button = *m_buttons[i];
        if (!button.Disabled() && button.Has(button::kPressed))
            ButtonReleased(e.modifiers, e.x, e.y, button);
    }
}

void SkinWindow::RightDown(const WindowEvent& e)
{
    m_host->CaptureMouse();
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        SkinButton& button = *m_buttons[i];
        if (!button.Disabled())
            ButtonRightPressed(e.modifiers, e.x, e.y, button);
    }
}

void SkinWindow::RightUp(const WindowEvent& e)
{
    m_host->ReleaseMouse();
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        SkinButton& button = *m_buttons[i];
        if (!button.Disabled() && button.Has(button::kPressed))
            ButtonRightReleased(e.modifiers, e.x, e.y, button);
    }
}

void SkinWindow::DragThumb(int32_t x, int32_t y)
{
    SkinScrollBar& bar = *m_dragBar;
    const bool vertical = bar.Axis() == ScrollAxis::Vertical;
    int32_t pos = m_dragStartPos;
    if (bar.GetRect().Grown(kThumbDragMargin).Contains(x, y))
        pos = bar.PosFromPoint(vertical ? x : x - m_dragOffset, vertical ? y - m_dragOffset : y);
    if (pos != bar.Position())
        ThumbMoved(pos, bar.Position(), bar);
}

void SkinWindow::Move(const WindowEvent& e)
{
    if (m_moving) {
        const Point screen = m_host->ClientToScreen({e.x, e.y});
        m_host->Move({screen.x - m_grab.x, screen.y - m_grab.y});
    }
    if (m_dragBar)
        DragThumb(e.x, e.y);
    SkinButton* hovered = nullptr;
    for (const auto& button : m_buttons) {
        if (button->HitTest(e.x, e.y)) {
            hovered = button.get();
            break;
        }
    }
    if (hovered == m_hovered)
        return;
    if (m_hovered && m_hovered->SetBits(button::kOver, false))
        m_hovered->Draw();
    m_hovered = hovered;
    if (m_hovered && m_hovered->SetBits(button::kOver, true))
        m_hovered->Draw();
}

void SkinWindow::ButtonPressed(uint32_t, int32_t, int32_t, SkinButton&) {}
void SkinWindow::ButtonRightPressed(uint32_t, int32_t, int32_t, SkinButton&) {}
void SkinWindow::ButtonReleased(uint32_t, int32_t, int32_t, SkinButton&) {}
void SkinWindow::ButtonRightReleased(uint32_t, int32_t, int32_t, SkinButton&) {}
void SkinWindow::ArrowPressed(uint32_t, int32_t, int32_t, SkinScrollBar&, SkinButton&) {}
void SkinWindow::RepeatEnded(uint32_t, int32_t, int32_t, SkinScrollBar*, int32_t) {}
void SkinWindow::Repeat(int32_t, SkinScrollBar*, int32_t) {}

void SkinWindow::ThumbMoved(int32_t newPos, int32_t, SkinScrollBar& bar)
{
    bar.SetPos(newPos);
}

bool SkinWindow::PressIfHit(SkinButton& button, int32_t x, int32_t y)
{
    if (!button.HitTest(x, y))
        return false;
    if (button.SetBits(button::kPressed, true))
        button.Draw();
    return true;
}

bool SkinWindow::ReleasePressed(SkinButton& button, int32_t x, int32_t y)
{
    if (button.SetBits(button::kPressed, false))
        button.Draw();
    return button.HitTest(x, y);
}

} // namespace bm
