#pragma once

// How the arrangement follows the play cursor, one step per clock tick. The
// cursor is at pixel b = position × W / S from the song's start; the view
// shows pixels X ... X + width - 1.
//
// Page (mode 0) waits until the cursor passes 36/37 of the width, then
// either jumps a page (the cursor at the left edge) or, with the smooth
// flag, starts a catch-up (mode 1) that brings the cursor to the middle
// within 200 pixels of play, after which the view keeps it centred (mode 2).
// A cursor outside the view jumps there at once. Mode 4 never scrolls.

#include "ui/main/MainState.h"

#include <cstdint>

namespace bm::ui {

struct FollowStep {
    FollowMode mode = FollowMode::Page;
    int64_t catchUpStart = 0;
    bool scroll = false;
    int64_t scrollTo = 0; // wanted scroll position; the caller clamps it to the range
};

FollowStep FollowPlayback(FollowMode mode, bool smooth, int64_t catchUpStart, int64_t cursorPixel, int64_t scrollX,
                          int32_t width);

} // namespace bm::ui
