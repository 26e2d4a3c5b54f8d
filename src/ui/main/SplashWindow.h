#pragma once

// The splash window: a small skinned window centred on the main window,
// with a button that opens the program's site and a short sound played
// from memory. A press anywhere else closes it; the main window closes it
// on its first key, click or right click, or after 30 s.

#include "platform/Shell.h"
#include "platform/WindowHost.h"
#include "ui/skin/SkinWindow.h"

#include <functional>
#include <string>

namespace bm::ui {

// Plays sound bytes (a whole wave file) from memory and returns what stops
// it; empty when there is no sound device.
using SoundPlayer = std::function<std::function<void()>(std::string bytes)>;

class SplashWindow final : public SkinWindow {
public:
    SplashWindow(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost& owner,
                 platform::Shell& shell, SoundPlayer player, std::string siteAddress = {});
    ~SplashWindow() override;

    // Loads the skin and the button, shows the window over its owner and
    // starts the sound. False when the skin is missing.
    bool Open();
    // Stops the sound and hides the window; nothing when it is closed.
    void Close();
    bool IsOpen() const { return m_open; }

protected:
    void HandleEvent(const platform::WindowEvent& event) override;
    void ButtonPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ButtonReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;

private:
    platform::WindowHost& m_owner;
    platform::Shell& m_shell;
    SoundPlayer m_player;
    std::string m_site;
    std::function<void()> m_stopSound;
    SkinButton* m_button = nullptr;
    bool m_open = false;
};

} // namespace bm::ui
