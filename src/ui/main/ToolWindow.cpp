#include "ui/main/ToolWindow.h"

#include "ui/main/CommandIds.h"
#include "ui/skin/BitmapFont.h"
#include "ui/skin/PixelOps.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinPalette.h"

#include <algorithm>
#include <string>

namespace bm::ui {

ToolWindow::ToolWindow(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost& owner,
                       std::function<void(int32_t)> send)
    : SkinWindow(archive, system.CreateWindow(platform::WindowKind::Tool, &owner)), m_send(std::move(send))
{
}

bool ToolWindow::Open(const Setup& setup, platform::Point screen)
{
    m_setup = setup;
    m_less = std::max(0, setup.lessSteps);
    m_more = std::max(0, setup.moreSteps);
    if (!m_lessButton) {
        if (!LoadSkin(setup.look->skin))
            return false;
        m_lessButton = &AddButton(setup.look->less, setup.look->lessStrip, layout::kToolButtonLayout, false);
        m_moreButton = &AddButton(setup.look->more, setup.look->moreStrip, layout::kToolButtonLayout, false);
    }
    UpdateLooks();
    Blit(0, 0, Canvas().width - 1, Canvas().height - 1);
    Host().Move(screen);
    Host().Show();
    m_open = true;
    return true;
}

void ToolWindow::Close()
{
    if (!m_open)
        return;
    m_open = false;
    Host().Hide();
}

void ToolWindow::UpdateLooks()
{
    for (auto [button, steps] : {std::pair{m_lessButton, m_less}, std::pair{m_moreButton, m_more}}) {
        if (!button)
            continue;
        button->SetBits(button::kDisabled, steps <= 0);
        button->SetDisabled(steps <= 0);
        RestoreBackground(button->GetRect());
        button->Draw();
    }
}

void ToolWindow::ButtonPressed(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    PressIfHit(button, x, y);
}

void ToolWindow::ButtonReleased(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    if (!ReleasePressed(button, x, y))
        return;
    const bool less = &button == m_lessButton;
    int32_t& own = less ? m_less : m_more;
    int32_t& other = less ? m_more : m_less;
    if (own <= 0)
        return;
    --own;
    ++other;
    UpdateLooks();
    if (m_send)
        m_send(less ? m_setup.lessCommand : m_setup.moreCommand);
}

// ---- The channel volume popup ----

namespace {

constexpr platform::Rect kSwitchBox{6, 18, 17, 29};
constexpr platform::Rect kBar{24, 20, 143, 27};
constexpr int32_t kMaxVolume = 200;

} // namespace

ChannelPopup::ChannelPopup(const ResourceArchive& archive, platform::WindowSystem& system,
                           platform::WindowHost& owner, const BitmapFont& font, std::function<void(int32_t)> send)
    : SkinWindow(archive, system.CreateWindow(platform::WindowKind::Popup, &owner)),
      m_font(font),
      m_send(std::move(send))
{
    ResizeCanvas(kWidth, kHeight, palette::kPanel);
}

void ChannelPopup::Open(int32_t channel, bool on, int32_t volume, platform::Point screen)
{
    m_channel = channel;
    m_on = on;
    m_volume = std::clamp(volume, 0, kMaxVolume);
    m_open = true;
    Draw();
    Host().Move(screen);
    Host().Show();
    Host().Raise();
}

void ChannelPopup::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_dragging = false;
    Host().ReleaseMouse();
    Host().Hide();
}

void ChannelPopup::Draw()
{
    Pixels24 canvas = Canvas().View();
    FillRect24(Canvas().Bounds(), palette::kPanel, canvas);
    FillRect24({0, 0, kWidth - 1, 0}, palette::kEdgeLight, canvas);
    FillRect24({0, kHeight - 1, kWidth - 1, kHeight - 1}, palette::kEdgeDark, canvas);
    const std::string title = "Channel " + std::to_string(m_channel + 1) + "   volume " + std::to_string(m_volume);
    BitmapFont::ResetClip();
    m_font.DrawText(6, 3, title, palette::kText, canvas);
    FillRect24(kSwitchBox, palette::kEdgeDark, canvas);
    FillRect24(kSwitchBox.Grown(-2), m_on ? palette::kRegion : palette::kWell, canvas);
    FillRect24(kBar, palette::kWell, canvas);
    const int32_t fill = kBar.left + (kBar.Width() - 1) * m_volume / kMaxVolume;
    FillRect24({kBar.left, kBar.top, fill, kBar.bottom}, m_on ? palette::kCursor : palette::kTextDim, canvas);
    Blit(0, 0, kWidth - 1, kHeight - 1);
}

void ChannelPopup::VolumeFromX(int32_t x)
{
    m_volume = std::clamp((x - kBar.left) * kMaxVolume / std::max(1, kBar.Width() - 1), 0, kMaxVolume);
    Draw();
}

void ChannelPopup::HandleEvent(const platform::WindowEvent& e)
{
    using platform::EventType;
    switch (e.type) {
    case EventType::LeftDown:
        if (e.x < 0 || e.y < 0 || e.x >= kWidth || e.y >= kHeight) {
            if (m_send)
                m_send(cmd::kChannelPopupApply);
            return;
        }
        if (kSwitchBox.Grown(2).Contains(e.x, e.y)) {
            m_on = !m_on;
            Draw();
        } else if (kBar.Grown(4).Contains(e.x, e.y)) {
            m_dragging = true;
            Host().CaptureMouse();
            VolumeFromX(e.x);
        }
        return;
    case EventType::MouseMove:
        if (m_dragging)
            VolumeFromX(e.x);
        return;
    case EventType::LeftUp:
        if (m_dragging) {
            m_dragging = false;
            Host().ReleaseMouse();
        }
        return;
    case EventType::Wheel:
        m_volume = std::clamp(m_volume + 5 * e.wheelSteps, 0, kMaxVolume);
        Draw();
        return;
    case EventType::KeyDown:
        if (e.key == platform::vk::kReturn && m_send)
            m_send(cmd::kChannelPopupApply);
        else if (e.key == platform::vk::kEscape && m_send)
            m_send(cmd::kChannelPopupClose);
        else if (e.key == platform::vk::kLeft || e.key == platform::vk::kRight) {
            m_volume = std::clamp(m_volume + (e.key == platform::vk::kLeft ? -5 : 5), 0, kMaxVolume);
            Draw();
        }
        return;
    case EventType::FocusLost:
        if (m_send && m_open)
            m_send(cmd::kChannelPopupApply);
        return;
    default: break;
    }
    SkinWindow::HandleEvent(e);
}

} // namespace bm::ui
