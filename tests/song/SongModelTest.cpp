#include "song/SongModel.h"

#include "song/SongFixtures.h"

#include <gtest/gtest.h>

namespace bm {
namespace {

using engine::RecordingEngineClient;

TEST(SongModel, ChannelStateClampsAndPostsTheMixerGain)
{
    Song song = test::MakeSong(1);
    RecordingEngineClient engine;
    song.channelMuted[2] = true;
    EXPECT_EQ(SetChannelState(song, 2, 1, 250, &engine)->gain, 200);
    EXPECT_EQ(song.channelVolume[2], 200);
    EXPECT_FALSE(song.channelMuted[2]);
    EXPECT_EQ(ChannelFaderPosition(song, 2), 50);

    EXPECT_EQ(SetChannelState(song, 2, 0, -1, &engine)->gain, 0) << "off: gain 0, volume kept";
    EXPECT_EQ(song.channelVolume[2], 200);
    EXPECT_EQ(ChannelFaderPosition(song, 2), 0);
    EXPECT_EQ(SetChannelState(song, 2, -1, 80, &engine)->gain, 0) << "-1 keeps the channel off";
    EXPECT_EQ(SetChannelState(song, 2, 5, -1, &engine)->gain, 80);
    EXPECT_FALSE(SetChannelState(song, 12, 1, 10, &engine).has_value());
    EXPECT_EQ(test::PostedOf<engine::SetChannelGain>(engine),
              (std::vector<engine::SetChannelGain>{{2, 200}, {2, 0}, {2, 0}, {2, 80}}));
}

TEST(SongModel, SlotNotificationCarriesLengthAndStoredPath)
{
    const SampleLibrary library = test::MakeLibrary();
    Song song = test::MakeSong(2);
    song.measures[1].slots[3] = test::Slot(test::Snare(), 120, 1, 1);
    song.measures[1].slots[4] = test::Slot(SampleRef::Make(0, 0, 0, 0, 5, 0)); // an empty variant
    RecordingEngineClient engine;

    NotifySlot(song, library, 1, 3, engine);
    NotifySlot(song, library, 1, 4, engine);
    NotifySlot(song, library, 0, 0, engine);
    EXPECT_FALSE(NotifySlot(song, library, 2, 0, engine).has_value());

    const auto told = test::PostedOf<engine::SetSlot>(engine);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], (engine::SetSlot{1, 3, 120, 10000, 1, test::Snare(), "drums/snare.wav"}));
    EXPECT_EQ(told[1], (engine::SetSlot{1, 4, 0, 0, 0, SampleRef::Make(0, 0, 0, 0, 5, 0), ""}));
    EXPECT_EQ(told[2], (engine::SetSlot{0, 0, 0, 0, 0, SampleRef::Empty(), ""})) << "the clearing form";
}

TEST(SongModel, AnEditIntoAMutedChannelSwitchesItOn)
{
    const SampleLibrary library = test::MakeLibrary();
    Song song = test::MakeSong(1);
    song.channelOn[5] = false;
    song.channelMuted[5] = true;
    song.measures[0].slots[5] = test::Slot(test::Kick(0));
    RecordingEngineClient engine;

    NotifySlot(song, library, 0, 5, engine, MutedChannel::Leave);
    EXPECT_FALSE(song.channelOn[5]);
    NotifySlot(song, library, 0, 5, engine);
    EXPECT_TRUE(song.channelOn[5]);
    EXPECT_EQ(test::Codes(engine), (std::vector<engine::CommandCode>{engine::CommandCode::SetSlot,
                                                                      engine::CommandCode::SetChannelGain,
                                                                      engine::CommandCode::SetSlot}));
}

} // namespace
} // namespace bm
