#include "ui/main/PlaybackFollow.h"

namespace bm::ui {

FollowStep FollowPlayback(FollowMode mode, bool smooth, int64_t catchUpStart, int64_t b, int64_t X, int32_t width)
{
    FollowStep step{mode, catchUpStart, false, X};
    switch (mode) {
    case FollowMode::Page: {
        const int64_t d = b - X;
        if (d < 0 || d > width) {
            step.scroll = true;
            step.scrollTo = b;
            if (smooth)
                step.mode = FollowMode::Centred;
        } else if (d > int64_t(width) * 36 / 37) {
            if (smooth) {
                step.mode = FollowMode::Smooth;
                step.catchUpStart = b;
            } else {
                step.scroll = true;
                step.scrollTo = b;
            }
        }
        break;
    }
    case FollowMode::Smooth: {
        const int64_t d = b - catchUpStart;
        if (d > 200 || d < 0) {
            // Caught up (or the cursor jumped back): centred from the next tick on.
            step.mode = FollowMode::Centred;
        } else {
            step.scroll = true;
            step.scrollTo = X + (width / 2 - (b - X)) * d / -200;
        }
        break;
    }
    case FollowMode::Centred:
        step.scroll = true;
        step.scrollTo = b - width / 2;
        break;
    case FollowMode::Off:
        break;
    }
    return step;
}

} // namespace bm::ui
