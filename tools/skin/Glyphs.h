#pragma once

// Pictograms drawn from a few vector shapes into any square box: the
// transport symbols of the buttons and the icons of the menus. Each scales
// its strokes with the box, never thinner than one and a half pixels, so the
// same drawing reads at 9, 19 and 32 pixels.

#include "Raster.h"

#include <cstdint>

namespace bm::art {

enum class Icon : int32_t {
    Play, Stop, ToStart, Rewind, FastForward, ToEnd, Loop, Record, Power,
    Plus, Minus, Cross, Minimise, ChevronDown, ChevronUp, ChevronLeft, ChevronRight, DoubleUp, DoubleDown,
    Lines, Metronome, Clock, Magnifier, Ruler, RegionAdd, RegionRemove, RegionPlay, Grip,
    NewSong, Open, Save, SaveAs, CloseSong, Export, Undo, Cut, Copy, Paste, Delete, SelectAll, SelectNone,
    Reverse, InsertMeasures, RemoveMeasures, VolumeEnvelope, PanEnvelope, Follow, Smooth, ZoomIn, ZoomOut,
    Speaker, Properties, AddSample, RemoveSample, PitchCopy, Options, Help, News, Tempo, Library, InsertSong,
    Restore, Move, Place, Replace, Group, Chord, View, Transport, Edit, Join, Check, Slider, Silence, Folder,
    Count
};

// Draws the icon centred in `box` (its shorter side sets the size).
void DrawIcon(Image& img, Icon icon, const Box& box, Rgb colour, float opacity = 1.0f);

} // namespace bm::art
