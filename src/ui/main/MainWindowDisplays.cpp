// The main window's displays: the text readouts (song, time, style, group,
// chord, volume, tempo), the pictures that show a state (lamps, lever,
// knob, channel volumes, progress), the buttons' on looks, the status line
// and the window title.

#include "ui/main/ArrangementAreas.h"
#include "ui/main/CommandIds.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Selection.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinScrollBar.h"

#include <algorithm>
#include <cstdio>

namespace bm::ui {

using layout::ControlId;
using layout::TextId;

namespace {

// Hint records keep colours as 0x00BBGGRR; drawing takes 0x00RRGGBB.
uint32_t ToRgb(uint32_t bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

// A readout's text: the record's text with '#' taking the value, or the
// value alone when the text has no place for it.
std::string Readout(const HintRecord& record, const std::string& value)
{
    if (record.found && record.text.find('#') != std::string::npos)
        return FillHintText(record.text, value, 0);
    return value;
}

std::string DigitCodes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        out += layout::DigitFontCode(c);
    return out;
}

} // namespace

void MainWindow::SetWindowTitle(const std::string& title)
{
    Host().SetTitle(title);
    DrawTextArea(TextId::SongName);
}

std::string MainWindow::TempoText() const
{
    const Song& song = m_state.doc.song;
    const double product = double(song.samplesPerMeasure) * song.measuresPerBar;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", product > 0 ? 21168000.0 / product : 0.0);
    return text;
}

std::string MainWindow::DisplayText(TextId id) const
{
    const SampleLibrary& lib = m_state.doc.library;
    const HintRecord& record = m_readouts[static_cast<size_t>(id)];
    switch (id) {
    case TextId::SongName: return Readout(record, m_state.doc.fileTitle);
    case TextId::StyleName: {
        const int32_t s = lib.selection.style;
        return Readout(record, s >= 0 && s < static_cast<int32_t>(lib.styles.size()) ? lib.styles[s].name : "");
    }
    case TextId::GroupName: {
        const LibraryGroup* group = CurrentGroup(lib);
        return Readout(record, group ? group->name : "");
    }
    case TextId::ChordName: {
        const LibraryPart* part = OpenPart(lib);
        const LibraryChord* chord = OpenChord(lib);
        std::string value = part ? part->name : "";
        if (chord)
            value += "  " + chord->name;
        return Readout(record, value);
    }
    case TextId::VolumeValue: return Readout(record, std::to_string(m_state.view.masterVolume * 100 / 255));
    case TextId::BpmValue: return Readout(record, TempoText());
    default: return {};
    }
}

void MainWindow::DrawTextArea(TextId id)
{
    if (id == TextId::Status || Canvas().Empty())
        return;
    // The areas own the time display (its two hot areas and its formats).
    if (id == TextId::Time) {
        if (m_areas)
            m_areas->Paint(Area::TimeDisplay);
        return;
    }
    const layout::TextArea& area = layout::TextAreaOf(id);
    const BitmapFont& font = m_fonts[static_cast<size_t>(area.font)];
    const uint32_t colour = ToRgb(m_readouts[static_cast<size_t>(id)].textColour);
    auto draw = [&](const platform::Rect& rect, const std::string& text) {
        RestoreBackground(rect);
        const bool digits = area.font == layout::FontId::Digits;
        const std::string codes = digits ? DigitCodes(text) : text;
        const int32_t width = digits ? font.CodesWidth(codes) : font.TextWidth(codes);
        int32_t x = rect.left + 2;
        if (area.align == layout::Align::Right)
            x = rect.right - 1 - width;
        else if (area.align == layout::Align::Centre)
            x = rect.left + (rect.Width() - width) / 2;
        const int32_t y = rect.top + (rect.Height() - font.CellHeight()) / 2;
        BitmapFont::SetClip(rect.left, rect.top, rect.right, rect.bottom + 1);
        if (digits)
            font.DrawCodes(x, y, codes, colour, Canvas().View());
        else
            font.DrawText(x, y, codes, colour, Canvas().View());
        BitmapFont::ResetClip();
        Blit(rect);
    };
    draw(area.rect, DisplayText(id));
}

void MainWindow::DrawDisplays()
{
    for (const layout::TextArea& area : layout::kTextAreas)
        DrawTextArea(area.id);
}

void MainWindow::DrawPicture(ControlId id, int32_t frame)
{
    SkinButton* button = Button(id);
    if (!button)
        return;
    RestoreBackground(button->GetRect());
    button->SetState(static_cast<uint32_t>(std::max(0, frame)));
    button->Draw();
}

void MainWindow::DrawKnob()
{
    if (m_areas)
        m_areas->Paint(Area::Knob);
}

void MainWindow::UpdateControlStates()
{
    const ViewState& v = m_state.view;
    const Song& song = m_state.doc.song;
    auto look = [&](ControlId id, uint32_t bits, bool set) {
        SkinButton* button = Button(id);
        if (button && button->SetBits(bits, set)) {
            RestoreBackground(button->GetRect());
            button->Draw();
        }
    };
    look(ControlId::Play, button::kOn, v.transport == Transport::Playing);
    look(ControlId::Loop, button::kOn, v.loop);
    look(ControlId::Record, button::kOn, v.transport == Transport::Recording);
    const bool inRegion = RegionAt(song, v.cursorMeasure) >= 0;
    look(ControlId::Region, button::kOn, inRegion);
    look(ControlId::RegionPlay, button::kOn, v.regionPlaySwitch);
    const bool regionPlay = m_controller.IsCommandAvailable(cmd::kRegionPlaySwitch) || v.regionPlaySwitch;
    look(ControlId::RegionPlay, button::kDisabled, !regionPlay);
    if (SkinButton* b = Button(ControlId::RegionPlay))
        b->SetDisabled(!regionPlay);
    for (auto& record : m_hints.Records()) {
        if (record.key == "%REG_CREATE ")
            record.shown = inRegion ? 0 : 1;
        else if (record.key == "%REG_REMOVE ")
            record.shown = inRegion ? 1 : 0;
    }
    for (int32_t c = 0; c < layout::kChannels; ++c) {
        look(static_cast<ControlId>(static_cast<int32_t>(ControlId::ChannelSwitch0) + c), button::kOn,
             song.channelOn[c]);
        SkinButton* volume = Button(static_cast<ControlId>(static_cast<int32_t>(ControlId::ChannelVolume0) + c));
        const uint32_t frame = static_cast<uint32_t>(std::clamp(song.channelVolume[c] / 10, 0, 20));
        if (volume && volume->State() != frame)
            DrawPicture(static_cast<ControlId>(static_cast<int32_t>(ControlId::ChannelVolume0) + c),
                        static_cast<int32_t>(frame));
    }
    auto picture = [&](ControlId id, int32_t frame) {
        SkinButton* button = Button(id);
        if (button && button->State() != static_cast<uint32_t>(frame))
            DrawPicture(id, frame);
    };
    picture(ControlId::SwapLever, v.swapPosition);
    picture(ControlId::WireLoad, v.workerBusy ? 1 : 0);
    picture(ControlId::WireRender, v.renderings > 0 ? 1 : 0);
    picture(ControlId::Progress, v.progressPercent < 100 ? 1 : 0);
    picture(ControlId::SelectorDisplay, v.displaySelector);
    picture(ControlId::SelectorDots, v.displaySelector);
    SyncScrollBars();
}

void MainWindow::RedrawAll()
{
    if (Canvas().Empty())
        return;
    for (SkinButton* button : m_buttons) {
        if (button)
            button->Draw();
    }
    UpdateControlStates();
    DrawDisplays();
    if (m_areas)
        m_areas->Paint(Area::All);
    Blit(0, 0, Canvas().width - 1, Canvas().height - 1);
}

void MainWindow::Repaint(Area area)
{
    switch (area) {
    case Area::All: RedrawAll(); return;
    case Area::Displays: DrawDisplays(); break;
    case Area::TimeDisplay: DrawTextArea(TextId::Time); break;
    case Area::Knob:
        DrawKnob();
        DrawTextArea(TextId::VolumeValue);
        break;
    case Area::Meters: break;
    case Area::Transport:
    case Area::SwapSwitch:
    case Area::Wires: UpdateControlStates(); break;
    case Area::Cursor:
        UpdateControlStates();
        DrawTextArea(TextId::Time);
        break;
    case Area::Arrangement:
    case Area::Library: SyncScrollBars(); break;
    }
    if (m_areas)
        m_areas->Paint(area);
}

void MainWindow::RepaintChannel(int32_t channel)
{
    UpdateControlStates();
    if (m_areas)
        m_areas->PaintChannel(channel);
}

void MainWindow::RepaintMeasures(int32_t first, int32_t count)
{
    if (m_areas)
        m_areas->PaintMeasures(first, count);
}

void MainWindow::ShowStatus(const TextRecord& record, const std::string& text)
{
    if (m_hintDisplay)
        m_hintDisplay->ShowStatus(text, record.textColour);
}

void MainWindow::ClearStatus()
{
    if (m_hintDisplay)
        m_hintDisplay->ShowStatus({}, 0, 0);
}

} // namespace bm::ui
