#include "ui/main/SplashWindow.h"

#include "ui/main/Layout.h"
#include "ui/skin/ResourceArchive.h"
#include "ui/skin/SkinButton.h"

namespace bm::ui {

SplashWindow::SplashWindow(const ResourceArchive& archive, platform::WindowSystem& system,
                           platform::WindowHost& owner, platform::Shell& shell, SoundPlayer player,
                           std::string siteAddress)
    : SkinWindow(archive, system.CreateWindow(platform::WindowKind::Splash, &owner)),
      m_owner(owner),
      m_shell(shell),
      m_player(std::move(player)),
      m_site(std::move(siteAddress))
{
}

SplashWindow::~SplashWindow()
{
    Close();
}

bool SplashWindow::Open()
{
    if (!LoadSkin(layout::kSplashSkin))
        return false;
    m_button = &AddButton(layout::kSplashButton, layout::kSplashButtonStrip, layout::kSplashButtonLayout, true);
    Blit(0, 0, Canvas().width - 1, Canvas().height - 1);
    Host().CentreOn(m_owner);
    Host().Show();
    m_open = true;
    std::string sound;
    if (m_player && Archive().ReadWholeEntry(layout::kSplashSound, sound))
        m_stopSound = m_player(std::move(sound));
    return true;
}

void SplashWindow::Close()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_stopSound)
        m_stopSound();
    m_stopSound = {};
    Host().Hide();
}

void SplashWindow::HandleEvent(const platform::WindowEvent& event)
{
    const bool press = event.type == platform::EventType::LeftDown || event.type == platform::EventType::RightDown;
    if (press && !(m_button && m_button->HitTest(event.x, event.y))) {
        Close();
        return;
    }
    if (event.type == platform::EventType::KeyDown) {
        Close();
        return;
    }
    SkinWindow::HandleEvent(event);
}

void SplashWindow::ButtonPressed(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    PressIfHit(button, x, y);
}

void SplashWindow::ButtonReleased(uint32_t, int32_t x, int32_t y, SkinButton& button)
{
    if (ReleasePressed(button, x, y) && !m_site.empty())
        m_shell.Open(m_site);
}

} // namespace bm::ui
