#pragma once

// A skinned button: pictures in a strip (cells of the button's size side by
// side), one chosen by the button's state bits through a frame table. Black
// is transparent when drawn, and the shape cell (where present) decides
// which pixels of the rectangle belong to the button.

#include "ui/skin/Image.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace bm {

class SkinWindow;

// State bits of a button.
namespace button {
constexpr uint32_t kPressed = 0x01000000;
constexpr uint32_t kOn = 0x02000000;      // latched state of a two-state button
constexpr uint32_t kOver = 0x04000000;    // the pointer is over it
constexpr uint32_t kDisabled = 0x08000000; // the disabled look
constexpr uint32_t kLatched = 0x00010000; // a further latched state some buttons use
constexpr uint32_t kShape = 0x10000000;   // not a state: the key of the shape cell
} // namespace button

class SkinButton {
public:
    struct Frame {
        uint32_t state = 0;
        Rect source; // in the strip
    };

    SkinButton(SkinWindow& owner, const Rect& rect);

    // Loads the strip from the owner's archive. A missing strip leaves the
    // button without pictures: it draws nothing and passes the hit test
    // anywhere in its rectangle.
    bool LoadStrip(std::string_view entry);
    void SetStrip(Image24 strip);
    // Builds the frame table. Layout 0: the strip cut into cells left to
    // right, cell 0 the shape, cell n the state value n - 1. Layouts 1 to 10:
    // the program's fixed tables (state value -> cell column, row 0).
    void SetFrames(int layout);

    // The frame of the exact state, else that of state 0, else null.
    const Frame* FrameFor(uint32_t state) const;
    // Composes the current frame into the owner's canvas (black transparent)
    // and copies the rectangle to the screen.
    void Draw();
    // Inside the rectangle and, when there is a shape cell, on a pixel of it
    // that is not black.
    bool HitTest(int32_t x, int32_t y) const;

    // Sets or clears state bits; true when the state changed. Does not draw.
    bool SetBits(uint32_t bits, bool set);
    bool Has(uint32_t bits) const { return (m_state & bits) == bits; }

    SkinWindow& Owner() const { return *m_owner; }
    const Rect& GetRect() const { return m_rect; }
    void SetRect(const Rect& rect) { m_rect = rect; }
    uint32_t State() const { return m_state; }
    void SetState(uint32_t state) { m_state = state; }
    // A disabled button receives no press or release.
    bool Disabled() const { return m_disabled; }
    void SetDisabled(bool disabled) { m_disabled = disabled; }
    const Image24& Strip() const { return m_strip; }
    const std::vector<Frame>& Frames() const { return m_frames; }
    int Layout() const { return m_layout; }

private:
    SkinWindow* m_owner;
    Rect m_rect;
    Image24 m_strip;
    uint32_t m_state = 0;
    bool m_disabled = false;
    int m_layout = 0;
    std::vector<Frame> m_frames;
};

} // namespace bm
