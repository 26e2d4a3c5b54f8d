#include "song/SongModel.h"

#include <algorithm>

namespace bm {

const SampleDescriptor* SlotSample(const SampleLibrary& library, const ChannelSlot& slot)
{
    if (slot.IsEmpty())
        return nullptr;
    const SampleDescriptor* sample = library.Find(slot.ref);
    if (sample == nullptr || sample->IsEmpty())
        return nullptr;
    return sample;
}

std::optional<engine::SetChannelGain> SetChannelState(Song& song, int channel, int on, int volume,
                                                      engine::EngineClient* engine)
{
    if (channel < 0 || channel >= kChannels)
        return std::nullopt;
    const auto c = static_cast<size_t>(channel);
    if (on == 0)
        song.channelOn[c] = false;
    else if (on > 0)
        song.channelOn[c] = true;
    if (volume >= 0)
        song.channelVolume[c] = std::min(volume, kMaxChannelVolume);
    song.channelMuted[c] = false;
    engine::SetChannelGain gain{channel, song.channelOn[c] ? song.channelVolume[c] : 0};
    if (engine)
        engine->Post(gain);
    return gain;
}

int32_t ChannelFaderPosition(const Song& song, int channel)
{
    if (channel < 0 || channel >= kChannels)
        return 0;
    const auto c = static_cast<size_t>(channel);
    return song.channelOn[c] ? song.channelVolume[c] * 28 / 112 : 0;
}

engine::SetSlot SlotCommand(const Song& song, const SampleLibrary& library, int measure, int channel)
{
    engine::SetSlot command;
    command.measure = measure;
    command.channel = channel;
    if (measure < 0 || static_cast<size_t>(measure) >= song.measures.size() || channel < 0 || channel >= kChannels)
        return command;
    const ChannelSlot& slot = song.measures[static_cast<size_t>(measure)].slots[static_cast<size_t>(channel)];
    if (slot.IsEmpty())
        return command; // the clearing form
    command.ref = slot.ref;
    command.start = slot.start;
    command.reverse = slot.reverse;
    if (const SampleDescriptor* sample = SlotSample(library, slot)) {
        command.sampleLength = sample->length;
        command.path = sample->path;
    }
    return command;
}

std::optional<engine::SetSlot> NotifySlot(Song& song, const SampleLibrary& library, int measure, int channel,
                                          engine::EngineClient& engine, MutedChannel muted)
{
    if (measure < 0 || static_cast<size_t>(measure) >= song.measures.size() || channel < 0 || channel >= kChannels)
        return std::nullopt;
    if (muted == MutedChannel::SwitchOn && song.channelMuted[static_cast<size_t>(channel)])
        SetChannelState(song, channel, 1, -1, &engine);
    engine::SetSlot command = SlotCommand(song, library, measure, channel);
    engine.Post(command);
    return command;
}

int NotifyAllSlots(const Song& song, const SampleLibrary& library, engine::EngineClient& engine)
{
    int posted = 0;
    for (size_t m = 0; m < song.measures.size(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            if (song.measures[m].slots[static_cast<size_t>(c)].IsEmpty())
                continue;
            engine.Post(SlotCommand(song, library, static_cast<int>(m), c));
            ++posted;
        }
    }
    return posted;
}

} // namespace bm
