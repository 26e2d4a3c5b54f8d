#include "ui/skin/HintDisplay.h"

#include "ui/skin/BitmapFont.h"
#include "ui/skin/SkinWindow.h"

namespace bm {

namespace {

uint32_t Mix(uint32_t from, uint32_t to, int step, int steps)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF), b = static_cast<int>((to >> shift) & 0xFF);
        out |= static_cast<uint32_t>(a + (b - a) * step / steps) << shift;
    }
    return out;
}

} // namespace

HintDisplay::HintDisplay(SkinWindow& window, const StringTable& table, const BitmapFont& font, const Rect& area)
    : m_window(window), m_table(table), m_font(font), m_area(area)
{
}

bool HintDisplay::Same(const std::optional<HintRecord>& a, const std::optional<HintRecord>& b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return a->key == b->key && a->text == b->text && a->textColour == b->textColour && a->rect == b->rect;
}

void HintDisplay::ShowStatus(std::string text, uint32_t colour, int ticks)
{
    HintRecord record;
    record.key = "status";
    record.text = std::move(text);
    record.textColour = colour;
    m_status = std::move(record);
    m_statusTicks = ticks;
}

void HintDisplay::Tick(std::optional<Point> pointer, const HintRecord* channel)
{
    std::optional<HintRecord> wanted;
    if (m_statusTicks > 0) {
        --m_statusTicks;
        wanted = m_status;
    } else if (channel) {
        wanted = *channel;
    } else if (pointer) {
        if (const HintRecord* record = m_table.RecordAt(*pointer))
            wanted = *record;
    }

    if (EffectRunning()) {
        m_next = std::move(wanted);
        if (++m_effectTick >= kEffectTicks)
            Finish();
        else
            DrawEffectFrame();
        return;
    }
    if (Same(wanted, m_shown))
        return;
    m_next = std::move(wanted);
    const int style = m_shown ? m_shown->clearStyle : 0;
    if (m_animate && style >= 1 && style <= 7) {
        m_effectTick = 0;
        DrawEffectFrame();
        return;
    }
    Finish();
}

void HintDisplay::DrawRecord(const HintRecord& record, uint32_t colour, int32_t dx, int32_t dy)
{
    BitmapFont::SetClip(m_area.left, m_area.top, m_area.right, m_area.bottom + 1);
    const int32_t x = m_area.left + 2 + dx;
    const int32_t y = m_area.top + (m_area.Height() - m_font.CellHeight()) / 2 + dy;
    m_font.DrawText(x, y, record.text, SwapRedBlue(colour), m_window.Canvas().View());
    BitmapFont::ResetClip();
}

void HintDisplay::DrawEffectFrame()
{
    m_window.RestoreBackground(m_area);
    if (m_shown) {
        const HintRecord& old = *m_shown;
        const int step = m_effectTick + 1, steps = kEffectTicks;
        const int32_t width = m_area.Width(), height = m_area.Height();
        switch (old.clearStyle) {
        case 1:
        case 2: {
            DrawRecord(old, old.clearColour, 0, 0);
            const int32_t gone = width * step / steps;
            const Rect wiped = old.clearStyle == 1 ? Rect{m_area.left, m_area.top, m_area.left + gone - 1, m_area.bottom}
                                                   : Rect{m_area.right - gone + 1, m_area.top, m_area.right, m_area.bottom};
            m_window.RestoreBackground(wiped.Intersected(m_area));
            break;
        }
        case 3:
            if (step < steps)
                DrawRecord(old, Mix(old.textColour, old.clearColour, step, steps), 0, 0);
            break;
        case 4:
            DrawRecord(old, old.clearColour, -width * step / steps, 0);
            break;
        case 5:
            DrawRecord(old, old.clearColour, width * step / steps, 0);
            break;
        case 6:
            DrawRecord(old, old.clearColour, 0, -height * step / steps);
            break;
        case 7:
            DrawRecord(old, old.clearColour, 0, height * step / steps);
            break;
        default:
            break;
        }
    }
    m_window.Blit(m_area);
}

void HintDisplay::Finish()
{
    m_effectTick = -1;
    m_window.RestoreBackground(m_area);
    m_shown = std::move(m_next);
    m_next.reset();
    if (m_shown)
        DrawRecord(*m_shown, m_shown->textColour, 0, 0);
    m_window.Blit(m_area);
}

} // namespace bm
