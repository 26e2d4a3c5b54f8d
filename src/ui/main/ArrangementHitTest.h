#pragma once

// What lies under a point of the arrangement: a slot's bar, an envelope
// point (and, when none is hit, the segment of each shown envelope under
// x), a region handle. The bars and points are found exactly where the
// painter draws them, from the same geometry.

#include "ui/main/ArrangementGeometry.h"
#include "ui/main/MainState.h"

#include <array>
#include <cstdint>

namespace bm::ui {

struct SlotHit {
    int32_t measure = -1;
    int32_t channel = -1;
    platform::Rect bar; // the slot's bar as drawn
    bool Valid() const { return measure >= 0; }
};

struct EnvelopeHit {
    PointedPoint point; // the point hit, invalid when none
    int32_t value = 0;  // its value
    // Per envelope kind: the index of the point that starts the segment
    // under x (the new point would go after it), -1 when the kind is not
    // shown or x lies outside its points.
    std::array<int32_t, kEnvelopeKinds> segment{-1, -1};
    int32_t channel = -1;  // the row under y
    int64_t position = -1; // the sample position under x; -1 outside the song
};

struct HandleHit {
    int32_t region = -1;
    RegionSide side = RegionSide::Start;
    bool Valid() const { return region >= 0; }
};

// The frame of the song as the view shows it (L and T are the area's).
geometry::Frame ArrangementFrame(const MainState& state);

// The length in frames a slot's bar stands for: its sample's length, 0 when
// the sample is missing.
int64_t SlotLength(const SampleLibrary& library, const ChannelSlot& slot);
// The first measure after `measure` whose slot of the channel is filled, or -1.
int32_t NextFilledMeasure(const Song& song, int32_t channel, int32_t measure);
// The bar of slot (measure, channel) as drawn: from its start x for
// max(4 × W, W × length / S) pixels, ending before the next filled slot of
// the channel; rows are 20 pixels high. Empty for an empty slot.
platform::Rect SlotBarRect(const Song& song, const SampleLibrary& library, const geometry::Frame& frame,
                           int32_t measure, int32_t channel);

// Going back from the measure under x, the first filled slot of the row
// whose bar starts at or left of x; hit when x lies on its bar.
SlotHit HitSlot(const Song& song, const SampleLibrary& library, const geometry::Frame& frame, int32_t x, int32_t y);

// The first point (kind 0 before 1, list order) of the row under y within
// 3 pixels of the point in x and y, for the shown kinds.
EnvelopeHit HitEnvelope(const Song& song, const geometry::Frame& frame, const std::array<bool, kEnvelopeKinds>& shown,
                        int32_t x, int32_t y);

// Regions in list order, the end handle of each before its start handle.
HandleHit HitRegionHandle(const Song& song, const geometry::Frame& frame, int32_t x, int32_t y);

} // namespace bm::ui
