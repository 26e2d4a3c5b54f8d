#pragma once

// The volume knob turned by the mouse: once the pointer is more than 20
// pixels from the knob's centre, its angle around the centre gives a step
// count (144 steps a turn, clockwise rising); each move adds the change
// since the last position, wrapped into -72 ... 72, so crossing the angle's
// seam never jumps. The picture turns one frame per step.

#include <cmath>
#include <cstdint>
#include <optional>

namespace bm::ui {

class VolumeKnob {
public:
    static constexpr double kStepsPerRadian = 22.929936305732483;
    static constexpr int32_t kStepsPerTurn = 144;
    static constexpr int32_t kDeadRadius = 20;
    static constexpr int32_t kFrames = 8;

    // The step count at a pointer offset from the centre, none inside the
    // dead zone.
    static std::optional<int32_t> StepsAt(int32_t dx, int32_t dy)
    {
        if (dx * dx + dy * dy <= kDeadRadius * kDeadRadius)
            return std::nullopt;
        return static_cast<int32_t>(std::atan2(double(dy), double(dx)) * kStepsPerRadian);
    }
    static int32_t Wrap(int32_t delta)
    {
        while (delta > kStepsPerTurn / 2)
            delta -= kStepsPerTurn;
        while (delta < -kStepsPerTurn / 2)
            delta += kStepsPerTurn;
        return delta;
    }

    // A turn begins: the first position outside the dead zone is the base.
    void Begin() { m_last.reset(); }
    // The steps turned since the last position (0 in the dead zone).
    int32_t MoveTo(int32_t dx, int32_t dy)
    {
        const std::optional<int32_t> steps = StepsAt(dx, dy);
        if (!steps)
            return 0;
        const int32_t delta = m_last ? Wrap(*steps - *m_last) : 0;
        m_last = steps;
        return delta;
    }

    // The picture's frame, 0 ... 7, after turning by `steps`.
    void Turn(int32_t steps) { m_frame = ((m_frame + steps) % kFrames + kFrames) % kFrames; }
    int32_t Frame() const { return m_frame; }

private:
    std::optional<int32_t> m_last;
    int32_t m_frame = 0;
};

} // namespace bm::ui
