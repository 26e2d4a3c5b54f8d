#include "app/IdleEngineWorker.h"
#include "app/ProgramWindow.h"
#include "app/ShutdownOrder.h"

#include <gtest/gtest.h>

namespace bm::app {
namespace {

using Events = std::vector<std::string>;

class Steps : public ShutdownSteps {
public:
    explicit Steps(Events& events) : m_events(events) {}
    void SetClosing() override { m_events.push_back("closing"); }
    void WriteLibrary() override { m_events.push_back("library.dat"); }
    void StopPlaybackClock() override { m_events.push_back("clock stopped"); }
    void PostQuit() override { m_events.push_back("quit"); }

private:
    Events& m_events;
};

class Engine : public EngineWorker, public engine::EngineClient {
public:
    explicit Engine(Events& events) : m_events(events) {}
    void Start() override {}
    engine::EngineClient& Client() override { return *this; }
    void Post(engine::EngineCommand command) override
    {
        m_events.push_back("post " + std::to_string(static_cast<int32_t>(engine::CodeOf(command))) +
                           (std::holds_alternative<engine::SwitchSwap>(command)
                                ? " " + std::to_string(std::get<engine::SwitchSwap>(command).on)
                                : ""));
    }
    bool WaitFinished(std::chrono::milliseconds timeout) override
    {
        m_events.push_back("wait " + std::to_string(timeout.count()));
        return finishes;
    }
    bool finishes = true;

private:
    Events& m_events;
};

TEST(ShutdownOrder, StepsAndEngineRequestsComeInOrder)
{
    for (bool finishes : {true, false}) {
        Events events;
        Steps steps(events);
        Engine engine(events);
        engine.finishes = finishes;
        EXPECT_EQ(RunShutdownOrder(steps, engine), finishes);
        // A worker that does not finish in time does not keep the window open.
        EXPECT_EQ(events, (Events{"closing", "library.dat", "clock stopped", "post 196612", "post 131075 0", "post -1",
                                  "wait 10000", "quit"}));
    }
}

TEST(ShutdownOrder, EndsTheIdleWorker)
{
    Events events;
    Steps steps(events);
    IdleEngineWorker worker;
    worker.Start();
    worker.Client().Post(engine::SetTempo{20352, 8});
    EXPECT_TRUE(RunShutdownOrder(steps, worker));
    EXPECT_EQ(worker.HandledCount(), 4u); // the tempo, then Stop, SwitchSwap and End
}

TEST(IdleEngineWorker, EndsOnDestructionWhenNobodyEndedIt)
{
    IdleEngineWorker started;
    started.Start();
    started.Client().Post(engine::Stop{});
    IdleEngineWorker neverStarted;
}

class Window : public ProgramWindow {
public:
    void Run() override {}
    void OpenFromOtherCopy(const std::string& path) override { opened.push_back(path); }
    void BringToFront() override { ++fronts; }
    std::vector<std::string> opened;
    int fronts = 0;
};

TEST(DeliverFromOtherCopy, OpensPathsUpTo260BytesAndAlwaysComesToTheFront)
{
    struct Case {
        uint32_t byteCount;
        bool opens;
    };
    for (Case c : {Case{0, false}, Case{1, true}, Case{2, true}, Case{260, true}, Case{261, false},
                   Case{65536, false}}) {
        platform::CopyDataRecord record;
        record.tag = 1; // the tag plays no part
        record.byteCount = c.byteCount;
        record.data.assign(c.byteCount, 'x');
        if (c.byteCount > 0)
            record.data.back() = 0;
        Window window;
        DeliverFromOtherCopy(record, window);
        EXPECT_EQ(window.fronts, 1) << c.byteCount;
        ASSERT_EQ(window.opened.size(), c.opens ? 1u : 0u) << c.byteCount;
        if (c.opens) {
            EXPECT_EQ(window.opened[0], std::string(c.byteCount - 1, 'x'));
        }
    }
}

TEST(DeliverFromOtherCopy, EmptyPathStillArrives)
{
    Window window;
    DeliverFromOtherCopy(platform::MakeStartSongRecord(""), window);
    EXPECT_EQ(window.opened, std::vector<std::string>{""});
}

} // namespace
} // namespace bm::app
