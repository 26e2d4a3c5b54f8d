#pragma once

// The zoom and measure windows: small skinned windows of two buttons. Each
// button sends the main window a command and counts the steps still
// possible in its direction; a press takes a step from its own count and
// gives one to the other, and a button with no step left takes its
// disabled look.

#include "platform/WindowHost.h"
#include "ui/main/Layout.h"
#include "ui/skin/SkinWindow.h"

#include <functional>

namespace bm::ui {

class ToolWindow final : public SkinWindow {
public:
    struct Setup {
        const layout::ToolWindowSpec* look = nullptr;
        int32_t lessCommand = 0;
        int32_t moreCommand = 0;
        int32_t lessSteps = 0;
        int32_t moreSteps = 0;
    };
    ToolWindow(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost& owner,
               std::function<void(int32_t command)> send);

    // Loads the skin and shows the window with its top-left corner at the
    // screen point; false when the skin is missing.
    bool Open(const Setup& setup, platform::Point screen);
    void Close();
    bool IsOpen() const { return m_open; }
    int32_t LessSteps() const { return m_less; }
    int32_t MoreSteps() const { return m_more; }

protected:
    void ButtonPressed(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;
    void ButtonReleased(uint32_t keys, int32_t x, int32_t y, SkinButton& button) override;

private:
    void UpdateLooks();

    std::function<void(int32_t)> m_send;
    Setup m_setup;
    SkinButton* m_lessButton = nullptr;
    SkinButton* m_moreButton = nullptr;
    int32_t m_less = 0;
    int32_t m_more = 0;
    bool m_open = false;
};

// The channel volume popup under a channel's volume indicator: the
// channel's on switch and a volume bar (0 ... 200) dragged with the mouse.
// Enter or a click outside applies (command 1526), Escape closes it as it
// was (1525).
class ChannelPopup final : public SkinWindow {
public:
    static constexpr int32_t kWidth = 150;
    static constexpr int32_t kHeight = 34;

    ChannelPopup(const ResourceArchive& archive, platform::WindowSystem& system, platform::WindowHost& owner,
                 const BitmapFont& font, std::function<void(int32_t command)> send);

    void Open(int32_t channel, bool on, int32_t volume, platform::Point screen);
    void Close();
    bool IsOpen() const { return m_open; }
    int32_t Channel() const { return m_channel; }
    bool On() const { return m_on; }
    int32_t Volume() const { return m_volume; }

protected:
    void HandleEvent(const platform::WindowEvent& event) override;

private:
    void Draw();
    void VolumeFromX(int32_t x);

    const BitmapFont& m_font;
    std::function<void(int32_t)> m_send;
    int32_t m_channel = 0;
    bool m_on = true;
    int32_t m_volume = 50;
    bool m_dragging = false;
    bool m_open = false;
};

} // namespace bm::ui
