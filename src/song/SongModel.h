#pragma once

// The song's own operations: setting a channel's state, finding a slot's
// sample and telling the audio engine of a slot. Main thread only.

#include "engine/EngineCommand.h"
#include "song/Song.h"

#include <optional>

namespace bm {

// The descriptor a slot's reference addresses, or nullptr when the slot is
// empty, any index is out of range, or the addressed variant is empty. Such a
// slot stays in the song and plays nothing.
const SampleDescriptor* SlotSample(const SampleLibrary& library, const ChannelSlot& slot);

// Sets channel `channel` (0 to 11): `on` below 0 keeps the on/off state, 0
// switches the channel off, above 0 on; `volume` below 0 keeps the volume,
// else it is clamped to 0 to 200. Clears the channel's muted mark and posts
// the mixer gain (the volume while on, 0 while off) when an engine is given.
// Returns the posted command, or nothing for a channel out of range.
std::optional<engine::SetChannelGain> SetChannelState(Song& song, int channel, int on, int volume,
                                                      engine::EngineClient* engine);

// The fader position the channel shows: volume * 28 / 112 while on, else 0.
int32_t ChannelFaderPosition(const Song& song, int channel);

// The 0x20005 record that describes slot (measure, channel): the slot's
// reference, start and reverse flag with the sample's length and stored path,
// or the clearing form (word 0 = -1, zeros, empty path) for an empty slot. A
// slot whose reference addresses no sample keeps its reference and gets
// length 0 and an empty path, which the engine plays as silence.
engine::SetSlot SlotCommand(const Song& song, const SampleLibrary& library, int measure, int channel);

enum class MutedChannel {
    SwitchOn, // an edit put the slot there: a channel marked muted is switched on first
    Leave,    // loading: the channel keeps the state the file gave it
};

// Tells the engine of one slot. Returns the posted record; nothing when
// (measure, channel) is outside the song.
std::optional<engine::SetSlot> NotifySlot(Song& song, const SampleLibrary& library, int measure, int channel,
                                          engine::EngineClient& engine, MutedChannel muted = MutedChannel::SwitchOn);

// Re-sends every filled slot of the song (measure by measure, channels in
// order). Returns the number of records posted.
int NotifyAllSlots(const Song& song, const SampleLibrary& library, engine::EngineClient& engine);

} // namespace bm
