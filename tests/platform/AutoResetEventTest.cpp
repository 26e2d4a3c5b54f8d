#include "platform/AutoResetEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace bm::platform {
namespace {

using std::chrono::milliseconds;

TEST(AutoResetEvent, LetsOneWaiterThroughPerSetAndClosesAgain)
{
    AutoResetEvent event;
    EXPECT_FALSE(event.WaitFor(milliseconds(0)));
    event.Set();
    event.Set(); // two sets before a wait count as one
    EXPECT_TRUE(event.WaitFor(milliseconds(0)));
    EXPECT_FALSE(event.WaitFor(milliseconds(0)));

    event.Set();
    event.Reset();
    EXPECT_FALSE(event.WaitFor(milliseconds(0)));
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread)
{
    AutoResetEvent request;
    AutoResetEvent reply;
    std::atomic<int> rounds{0};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            request.Wait();
            ++rounds;
            reply.Set();
        }
    });
    for (int i = 0; i < 100; ++i) {
        request.Set();
        reply.Wait();
        EXPECT_EQ(rounds.load(), i + 1);
    }
    worker.join();
}

TEST(AutoResetEvent, SetThenResetReleasesAWaitingThreadAndLeavesNothing)
{
    AutoResetEvent event;
    AutoResetEvent waiting;
    std::atomic<bool> released{false};
    std::thread waiter([&] {
        waiting.Set();
        event.Wait();
        released = true;
    });
    waiting.Wait();
    // The waiter may not have blocked yet; Set() then leaves the event
    // signalled and Reset() would swallow it. Repeat until it is released.
    while (!released) {
        event.Set();
        event.Reset();
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_FALSE(event.WaitFor(milliseconds(0)));
}

} // namespace
} // namespace bm::platform
