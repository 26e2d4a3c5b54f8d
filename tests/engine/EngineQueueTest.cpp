#include "engine/EngineQueue.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <thread>

namespace bm::engine {
namespace {

using namespace std::chrono_literals;

EngineCommand Numbered(int32_t value) { return IdleReport{value}; }

int32_t ValueOf(const EngineCommand& command) { return std::get<IdleReport>(command).value; }

TEST(EngineQueue, KeepsOrderAndExpandsDeviceCompletions)
{
    EngineQueue queue;
    queue.Post(Numbered(1));
    queue.OutputBufferDone();
    queue.InputBufferFull(7);
    queue.Post(OutputBufferDone{});
    queue.Post(InputBufferFull{9});
    queue.InputBufferFull(10); // not a buffer index: ignored
    queue.Post(Numbered(2));
    EXPECT_EQ(queue.Size(), 6u);
    EXPECT_EQ(ValueOf(*queue.Take()), 1);
    EXPECT_EQ(CodeOf(*queue.Take()), CommandCode::OutputBufferDone);
    EXPECT_EQ(std::get<InputBufferFull>(*queue.Take()).index, 7);
    EXPECT_EQ(CodeOf(*queue.Take()), CommandCode::OutputBufferDone);
    EXPECT_EQ(std::get<InputBufferFull>(*queue.Take()).index, 9);
    EXPECT_EQ(ValueOf(*queue.Take()), 2);
    EXPECT_FALSE(queue.Take().has_value());
}

TEST(EngineQueue, EveryPostWakesAndOnlyTheListedCodesInterrupt)
{
    EngineQueue queue;
    const std::vector<std::pair<EngineCommand, bool>> cases = {
        {SetTempo{}, false},         {SetSwapSize{}, true}, {SwitchSwap{}, true},       {IdleReport{}, true},
        {SetSlot{}, false},          {PlaySong{}, true},    {PlaySongWithJumps{}, true}, {Preview{}, true},
        {Stop{}, false},             {LoopOn{}, false},     {SetChannelGain{}, false},  {StartRecording{}, true},
        {EndRecording{}, true},      {OpenRecordingFile{}, true}, {CloseRecordingFile{}, true},
        {SetJumps{}, false},         {SetEnvelopePoint{}, false}, {StartExport{}, false}, {ClearCaches{}, false},
        {End{}, true},               {OutputBufferDone{}, false}, {InputBufferFull{}, false},
    };
    for (const auto& [command, urgent] : cases) {
        const auto code = int32_t(CodeOf(command));
        queue.Post(command);
        EXPECT_TRUE(queue.WakeEvent().WaitFor(0ms)) << std::hex << code;
        EXPECT_EQ(queue.InterruptEvent().WaitFor(0ms), urgent) << std::hex << code;
    }
}

TEST(EngineQueue, TwoHoldsInARowLeaveOneAndClearTheInterrupt)
{
    EngineQueue queue;
    queue.Post(Numbered(1));
    queue.Post(HoldBackground{});
    queue.Post(Numbered(2));
    queue.Post(Stop{});
    queue.Post(PlaySong{}); // sets the interrupt
    queue.Post(HoldBackground{});
    EXPECT_FALSE(queue.InterruptEvent().WaitFor(0ms)) << "set and reset at once";
    EXPECT_EQ(queue.Size(), 5u);
    EXPECT_EQ(ValueOf(*queue.Take()), 1);
    EXPECT_EQ(ValueOf(*queue.Take()), 2);
    EXPECT_EQ(CodeOf(*queue.Take()), CommandCode::Stop);
    EXPECT_EQ(CodeOf(*queue.Take()), CommandCode::PlaySong);
    EXPECT_EQ(CodeOf(*queue.Take()), CommandCode::HoldBackground);
    EXPECT_FALSE(queue.Take().has_value());
}

TEST(EngineQueue, ANewHoldReleasesAWorkerWaitingOnTheOlderOne)
{
    EngineQueue queue;
    std::atomic<bool> released{false};
    std::thread worker([&] {
        queue.InterruptEvent().Wait();
        released = true;
    });
    while (!released) {
        queue.Post(HoldBackground{});
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(queue.Size(), 1u);
}

TEST(EngineQueue, DeviceCompletionsDoNotAllocate)
{
    EngineQueue queue;
    queue.Post(Numbered(0)); // the ring exists before
    const int64_t before = test::AllocationsOnThisThread();
    for (int i = 0; i < 40; ++i) {
        queue.OutputBufferDone();
        queue.InputBufferFull(i % 10);
    }
    EXPECT_EQ(test::AllocationsOnThisThread(), before);
    EXPECT_EQ(queue.Size(), 81u);
}

TEST(EngineQueue, CompletionsBeyondTheRingAreKeptInOrderAfterIt)
{
    EngineQueue queue;
    for (int i = 0; i < 400; ++i)
        queue.OutputBufferDone();
    queue.InputBufferFull(3);
    EXPECT_EQ(queue.Size(), 401u);
    int outputs = 0;
    int inputs = 0;
    while (auto command = queue.Take()) {
        if (CodeOf(*command) == CommandCode::OutputBufferDone)
            ++outputs;
        else
            inputs += std::get<InputBufferFull>(*command).index == 3;
    }
    EXPECT_EQ(outputs, 400);
    EXPECT_EQ(inputs, 1);
}

TEST(EngineQueue, ManyProducersOneConsumerLoseNothingAndKeepEachProducersOrder)
{
    EngineQueue queue;
    constexpr int kProducers = 3;
    constexpr int kPerProducer = 3000;
    constexpr int kCompletions = 3000;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                if (i % 97 == 0)
                    queue.Post(SetSlot{p, i, 0, 0, 0, SampleRef::Make(p, i, 0, 0, 0, 0), "some/sample/path.wav"});
                else
                    queue.Post(Numbered(p * 1000000 + i));
            }
        });
    }
    producers.emplace_back([&queue] {
        for (int i = 0; i < kCompletions; ++i)
            queue.OutputBufferDone();
    });

    std::array<int, kProducers> next{};
    int completions = 0;
    int received = 0;
    const int expected = kProducers * kPerProducer + kCompletions;
    while (received < expected) {
        auto command = queue.Take();
        if (!command) {
            queue.WakeEvent().WaitFor(50ms);
            continue;
        }
        ++received;
        if (CodeOf(*command) == CommandCode::OutputBufferDone) {
            ++completions;
            continue;
        }
        int producer = 0;
        int sequence = 0;
        if (auto* slot = std::get_if<SetSlot>(&*command)) {
            producer = slot->measure;
            sequence = slot->channel;
            EXPECT_EQ(slot->path, "some/sample/path.wav");
        } else {
            producer = ValueOf(*command) / 1000000;
            sequence = ValueOf(*command) % 1000000;
        }
        ASSERT_EQ(sequence, next[size_t(producer)]) << "producer " << producer;
        ++next[size_t(producer)];
    }
    for (auto& producer : producers)
        producer.join();
    EXPECT_EQ(completions, kCompletions);
    EXPECT_FALSE(queue.Take().has_value());
}

} // namespace
} // namespace bm::engine
