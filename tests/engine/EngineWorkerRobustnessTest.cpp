#include "engine/EngineWorker.h"

#include "FakeSampleSource.h"
#include "SongBuilder.h"
#include "WaitingMessagePort.h"
#include "engine/device/VirtualWaveOut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace bm::engine {
namespace {

// Random commands with hostile values, device steps and UI-thread reads in
// between: the worker must neither crash nor hang, and must end cleanly.
TEST(EngineWorkerRobustness, SurvivesRandomCommandsWithHostileValues)
{
    bm::test::TempDir temp;
    test::WaitingMessagePort port;
    test::FakeSampleSource source;
    source.AddRamp("a.wav", 30000, -20000);
    source.AddConstant("b.wav", 700, 32767, -32768);
    source.AddConstant("c.wav", 1, 5, 5);
    EngineSampleContext context;
    std::mutex deviceLock;
    device::VirtualWaveOut output(deviceLock);
    EngineSettings settings;
    settings.temporaryFolder = temp.Path();
    EngineWorker worker(port, source, context, output, nullptr, std::move(settings));
    worker.Start();

    std::mt19937 random(20240601);
    auto any = [&](int32_t low, int32_t high) {
        return int32_t(low + int64_t(random() % (uint64_t(int64_t(high) - low) + 1)));
    };
    auto hostile = [&] {
        static const int32_t extremes[] = {INT32_MIN, -1, 0, 1, 199, 200, 201, 20352, INT32_MAX};
        return random() % 3 == 0 ? extremes[random() % 9] : any(-50000, 50000);
    };
    const char* paths[] = {"a.wav", "b.wav", "c.wav", "missing.wav", ""};
    worker.Post(SetTempo{1000, 2});
    worker.Post(InsertMeasures{0, 20});
    for (int step = 0; step < 1500; ++step) {
        switch (random() % 16) {
        case 0:
            worker.Post(SetTempo{random() % 4 ? any(100, 3000) : hostile(), random() % 4 ? any(1, 8) : hostile()});
            break;
        case 1:
        case 2:
        case 3: {
            const std::string path = paths[random() % 5];
            worker.Post(SetSlot{any(-2, 30), any(-1, 12), hostile(), hostile(), any(0, 1), test::KeyFor(path), path});
            break;
        }
        case 4:
            worker.Post(InsertMeasures{hostile() % 40, any(-5, 5)});
            break;
        case 5:
            worker.Post(RemoveMeasures{any(-2, 30), any(-3, 10)});
            break;
        case 6:
            worker.Post(SetChannelGain{any(-1, 12), random() % 2 ? any(0, 500) : hostile()});
            break;
        case 7:
            worker.Post(InsertEnvelopePoint{any(-1, 12), any(-1, 2), hostile() % 10, hostile(), hostile()});
            break;
        case 8:
            worker.Post(SetEnvelopePoint{any(0, 11), any(0, 1), any(-1, 6), hostile(), hostile()});
            worker.Post(DeleteEnvelopePoint{any(0, 11), any(0, 1), any(-1, 6)});
            break;
        case 9:
            if (random() % 2)
                worker.Post(PlaySong{hostile(), any(-1, 25)});
            else
                worker.Post(PlaySongWithJumps{255, any(-1, 25), {{hostile() % 30, hostile() % 30}, {hostile(), hostile()}}});
            break;
        case 10:
            worker.Post(Preview{255, any(0, 1),
                                {{paths[random() % 5], hostile(), test::KeyFor("x")}, {paths[random() % 5], 5, {}}}});
            break;
        case 11:
            worker.Post(random() % 3 ? EngineCommand{Stop{}} : random() % 2 ? EngineCommand{LoopOn{}} : EngineCommand{LoopOff{}});
            break;
        case 12:
            worker.Post(SwitchSwap{any(0, 1)});
            worker.Post(SetSwapSize{hostile(), 1});
            break;
        case 13:
            worker.Post(SetJumps{0, {{hostile() % 30, hostile() % 30}}});
            break;
        case 14:
            for (int i = 0; i < 3; ++i)
                output.CompleteNext();
            break;
        default:
            output.Advance(size_t(any(0, 5000)));
            (void)worker.Position();
            (void)worker.Spectrum(hostile());
            (void)worker.DeviceVolume();
            break;
        }
    }
    worker.Post(End{});
    EXPECT_TRUE(worker.WaitFinished(std::chrono::seconds(60)));
    EXPECT_FALSE(output.IsOpen());
}

} // namespace
} // namespace bm::engine
