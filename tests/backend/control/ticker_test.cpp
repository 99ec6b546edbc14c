#include "control/ticker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

// Waits (at most ten seconds: a loaded machine is slow, not stuck) until `ticks` reaches `wanted`.
bool WaitFor(const std::atomic<int>& ticks, int wanted)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (ticks.load() < wanted && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ticks.load() >= wanted;
}

TEST(Ticker, TicksAgainAndAgainWhileItLives)
{
    std::atomic<int> ticks{0};
    const vrn::Ticker ticker(0.001, [&] { return ++ticks, true; });
    EXPECT_TRUE(WaitFor(ticks, 5));
}

TEST(Ticker, ATickThatSaysNoIsTheLast)
{
    std::atomic<int> ticks{0};
    const vrn::Ticker ticker(0.001, [&] { return ++ticks, false; });
    ASSERT_TRUE(WaitFor(ticks, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ticks.load(), 1);
}

TEST(Ticker, NoTickAfterItsEndAndNoWaitForTheNextOne)
{
    std::atomic<int> ticks{0};
    {
        const vrn::Ticker often(0.001, [&] { return ++ticks, true; });
        ASSERT_TRUE(WaitFor(ticks, 1));
    }
    const int atTheEnd = ticks.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ticks.load(), atTheEnd);

    // A period of an hour: the end wakes the thread instead of waiting for its tick.
    const auto began = Clock::now();
    {
        const vrn::Ticker seldom(3600, [&] { return ++ticks, true; });
    }
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(60));
    EXPECT_EQ(ticks.load(), atTheEnd);
}

} // namespace
