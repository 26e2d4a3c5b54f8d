#pragma once

// The popup menus' pictures: the tiled background, the right border and the
// two icon strips. A menu description names an icon by its row; the rows are
// kMenuIcons in order, the same in both strips.

#include "Art.h"
#include "Glyphs.h"

#include <array>

namespace bm::art {

inline constexpr std::array<Icon, 63> kMenuIcons{
    Icon::NewSong,        Icon::Open,        Icon::Save,          Icon::SaveAs,       Icon::CloseSong,
    Icon::Export,         Icon::Undo,        Icon::Cut,           Icon::Copy,         Icon::Paste,
    Icon::Delete,         Icon::SelectAll,   Icon::SelectNone,    Icon::Reverse,      Icon::InsertMeasures,
    Icon::RemoveMeasures, Icon::VolumeEnvelope, Icon::PanEnvelope, Icon::Follow,      Icon::Smooth,
    Icon::ZoomIn,         Icon::ZoomOut,     Icon::Play,          Icon::Stop,         Icon::Loop,
    Icon::ToStart,        Icon::ToEnd,       Icon::RegionAdd,     Icon::RegionRemove, Icon::RegionPlay,
    Icon::Join,           Icon::Speaker,     Icon::Properties,    Icon::AddSample,    Icon::Record,
    Icon::RemoveSample,   Icon::PitchCopy,   Icon::Options,       Icon::Help,         Icon::News,
    Icon::Power,          Icon::Tempo,       Icon::Library,       Icon::InsertSong,   Icon::Restore,
    Icon::Move,           Icon::Place,       Icon::Replace,       Icon::Clock,        Icon::Group,
    Icon::Chord,          Icon::View,        Icon::Transport,     Icon::Edit,         Icon::Check,
    Icon::Slider,         Icon::Rewind,      Icon::FastForward,   Icon::ChevronUp,    Icon::ChevronDown,
    Icon::DoubleUp,       Icon::DoubleDown,  Icon::Folder,
};

// The icon strip with cells of `size` pixels: one row per icon, columns
// disabled, normal, hot, checked, hot and checked.
Image IconStrip(int32_t size);

} // namespace bm::art
