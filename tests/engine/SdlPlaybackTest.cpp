#include "engine/EngineWorker.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"
#include "WaitingMessagePort.h"
#include "engine/device/SdlWaveOut.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace bm::engine {
namespace {

namespace msg = platform::msg;

// The whole chain on SDL's disk driver: the worker plays a song through
// SdlWaveOut, SDL writes what it plays to a file, and the file holds
// exactly the song's direct render.
TEST(SdlPlayback, DiskDriverWritesTheSongAsRendered)
{
    bm::test::TempDir dir;
    const std::string file = dir / "played.raw";
    bm::test::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    bm::test::ScopedEnv target("SDL_DISKAUDIOFILE", file);
    // About real time (1024 frames per 23 ms): a faster pace could outrun
    // the worker on a loaded machine and record an underrun's silence.
    bm::test::ScopedEnv delay("SDL_DISKAUDIODELAY", "23");

    constexpr int32_t m = 5000;
    EngineSong mirror = test::MakeSong(6, m, 2);
    test::FakeSampleSource source;
    test::FakeSampleSource mirrorSource;
    for (auto* s : {&source, &mirrorSource}) {
        s->AddRamp("ramp.wav", 14000, 1000);
        s->AddConstant("pad.wav", 9000, -4000, 3000);
    }
    test::Place(mirror, 0, 0, "ramp.wav", 0, 14000);
    test::Place(mirror, 2, 5, "pad.wav", 2500, 9000, 1);
    test::Place(mirror, 3, 0, "ramp.wav", 100, 14000, 1);

    test::WaitingMessagePort port;
    EngineSampleContext context;
    std::mutex deviceLock;
    device::SdlWaveOut output(deviceLock);
    {
        EngineWorker worker(port, source, context, output, nullptr);
        worker.Start();
        worker.Post(SetTempo{m, 2});
        worker.Post(InsertMeasures{0, 6});
        for (int ch = 0; ch < kChannels; ++ch)
            worker.Post(SetChannelGain{ch, 100});
        for (int32_t measure = 0; measure < 6; ++measure) {
            for (int ch = 0; ch < kChannels; ++ch) {
                const EngineSlot& slot = mirror.measures[size_t(measure)].slots[size_t(ch)];
                if (!slot.IsEmpty())
                    worker.Post(SetSlot{measure, ch, slot.start, slot.length, slot.reverse, slot.key, slot.path});
            }
        }
        worker.Post(PlaySong{255, 0});
        ASSERT_GE(port.WaitFor([](const platform::Message& message) { return message.number == msg::kPlaybackStopped; }),
                  0);
        worker.Post(End{});
        ASSERT_TRUE(worker.WaitFinished(std::chrono::seconds(30)));
    }

    SongRenderer renderer(mirrorSource);
    std::vector<int16_t> expected(size_t(6) * m * 2);
    renderer.Render(mirror, 0, 6, kUnitGain, expected.data());
    ASSERT_NE(expected[0], 0);

    const std::string bytes = bm::test::ReadFile(file);
    std::vector<int16_t> written(bytes.size() / 2);
    std::memcpy(written.data(), bytes.data(), written.size() * 2);
    // The device runs before the first buffer arrives, and on a busy
    // machine (or under a sanitizer) it may play an underrun's silence
    // between two buffers: compare the sound without its zero samples.
    auto sounding = [](const std::vector<int16_t>& samples) {
        std::vector<int16_t> kept;
        std::copy_if(samples.begin(), samples.end(), std::back_inserter(kept), [](int16_t v) { return v != 0; });
        return kept;
    };
    const std::vector<int16_t> heard = sounding(written);
    const std::vector<int16_t> rendered = sounding(expected);
    ASSERT_GE(heard.size(), rendered.size());
    EXPECT_TRUE(std::equal(rendered.begin(), rendered.end(), heard.begin()));
}

} // namespace
} // namespace bm::engine
