#include "engine/UiTicker.h"

#include "WaitingMessagePort.h"

#include <gtest/gtest.h>

namespace bm::engine {
namespace {

namespace msg = platform::msg;

TEST(UiTicker, FirstTickAfterEnablingPostsAtOnce)
{
    platform::RecordingMessagePort port;
    UiTicker ticker(port);
    ticker.Tick();
    EXPECT_TRUE(port.Take().empty()) << "all slots start disarmed";
    ticker.Enable(5, true);
    EXPECT_TRUE(ticker.IsArmed(5));
    ticker.Tick();
    auto posted = port.Take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].number, msg::kTick);
    EXPECT_EQ(posted[0].wParam, 0);
    EXPECT_EQ(posted[0].lParam, 1) << "(2 + 1) / 2";

    ticker.Enable(4, true);
    ticker.Tick();
    posted = port.Take();
    ASSERT_EQ(posted.size(), 1u) << "slot 5 waits for its acknowledgement";
    EXPECT_EQ(posted[0].number, msg::kTick4);
    EXPECT_EQ(posted[0].wParam, -1);
}

TEST(UiTicker, OneMessageOutstandingThenSevenFifthsOfTheTicksItTook)
{
    platform::RecordingMessagePort port;
    UiTicker ticker(port);
    ticker.Enable(1, true); // period 4
    ticker.Tick();          // counter 5: posts, keeps 5 mod 4 = 1
    ASSERT_EQ(port.Take().size(), 1u);
    for (int i = 0; i < 9; ++i)
        ticker.Tick(); // counter 10, nothing posted while unacknowledged
    EXPECT_TRUE(port.Take().empty());
    ticker.Acknowledge(1);
    ticker.Tick(); // counter 11: threshold max(4, 11 * 7 / 5) = 15
    EXPECT_TRUE(port.Take().empty());
    for (int i = 0; i < 3; ++i)
        ticker.Tick(); // 12, 13, 14
    EXPECT_TRUE(port.Take().empty());
    ticker.Tick(); // 15 reaches the threshold
    const auto posted = port.Take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].number, msg::kVolumeDownTick);
    EXPECT_EQ(posted[0].wParam, 1);
    EXPECT_EQ(posted[0].lParam, 3) << "15 / 4";

    // A prompt handler: acknowledged at once, the next comes after the period.
    ticker.Acknowledge(1); // counter 15 mod 4 = 3
    ticker.Tick();         // 4: threshold max(4, 5) = 5
    ticker.Tick();         // 5
    EXPECT_EQ(port.Take().size(), 1u);

    ticker.Enable(1, false);
    for (int i = 0; i < 20; ++i)
        ticker.Tick();
    EXPECT_TRUE(port.Take().empty());
    EXPECT_FALSE(ticker.IsArmed(1));
}

TEST(UiTicker, TimerThreadPostsWhileRunning)
{
    test::WaitingMessagePort port;
    UiTicker ticker(port);
    ticker.Enable(5, true);
    ticker.Start();
    EXPECT_GE(port.WaitFor([](const platform::Message& m) { return m.number == msg::kTick; }), 0);
    ticker.Acknowledge(5);
    EXPECT_GE(port.WaitFor([](const platform::Message& m) { return m.number == msg::kTick; }, 1), 0);
    ticker.Enable(5, false);
    ticker.Stop();
    EXPECT_FALSE(ticker.IsArmed(5));
    EXPECT_FALSE(ticker.IsArmed(7));
}

} // namespace
} // namespace bm::engine
