#pragma once

// The one undo record beside the current song (not a stack): a snapshot is
// taken before every editing command; undo swaps the song with the record,
// so a second undo returns to the state before the first. Main thread only.

#include "engine/EngineCommand.h"
#include "song/Song.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bm {

struct UndoRecord {
    std::string path;
    int32_t samplesPerMeasure = 0; // above 0 while the record holds a song
    int32_t measuresPerBar = 0;
    std::vector<Measure> measures;
    ChannelEnvelopes envelopes;
    std::vector<Region> regions;
    std::array<int32_t, kChannels> channelVolume{};

    bool HoldsSong() const { return samplesPerMeasure > 0; }
};

enum class TitleChange { None, ShowChangeMark };

// Copies the song into the record. A song still marked unchanged loses the
// mark; the result then asks the caller to show the change mark in the title.
TitleChange TakeUndoSnapshot(Song& song, UndoRecord& record);

struct UndoResult {
    bool swapped = false;
    bool tempoChanged = false;
    int32_t oldMeasures = 0;
    int32_t newMeasures = 0;
};

// Swaps the song with the record (nothing happens when the record holds no
// song) and mirrors the restored song to the engine: 0x20007 removing the
// old measures, 0x20001 when the tempo values differ, 0x20006 inserting the
// restored ones, 0x20005 for every filled slot, then per envelope list
// (kind 0 then 1, channels 0 to 11) 0x40002 for the points both versions
// have, 0x40001 for added and 0x40003 for surplus ones, and 0x30007 for each
// channel whose volume changed.
UndoResult SwapWithUndo(Song& song, UndoRecord& record, const SampleLibrary& library, engine::EngineClient* engine);

} // namespace bm
