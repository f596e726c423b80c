#include "rvtimer.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

// A hand-driven clock: tests set the reading, the timer reads it.
std::int64_t gCount = 0;
const rvTimer::Clock fakeClock = [] { return gCount; };

TEST(Timer, TicksMeasureFromInitThenFromThePreviousTickAndPausingReportsZero) {
    rvTimer timer(fakeClock, 1.0e-6); // started from whatever the clock reads
    ASSERT_TRUE(timer.init());
    // Advances the clock by n counts and ticks: the elapsed time.
    const auto after = [&timer](int n) { return gCount += n, timer.tick(), timer.getElapsed(); };
    gCount += 250'000;
    EXPECT_EQ(timer.getTotalTime(), 0.0f); // nothing ticked yet
    EXPECT_NEAR(after(0), 0.25f, 1e-7f);
    EXPECT_NEAR(after(16'000), 0.016f, 1e-7f);
    timer.setPaused(true);
    EXPECT_EQ(after(500'000), 0.0f);
    timer.setPaused(false);
    EXPECT_NEAR(after(20'000), 0.020f, 1e-7f); // from the paused tick, not before it
    gCount += 999'000;                         // not ticked: not in the total
    EXPECT_NEAR(timer.getTotalTime(), 0.786f, 1e-6f);
    // Near 9e18 doubles are 1024 counts apart: subtracting after conversion would not give 123.
    gCount = 9'000'000'000'000'000'000;
    ASSERT_TRUE(timer.init()); // starts again
    EXPECT_FLOAT_EQ(after(123), 123.0e-6f);
    EXPECT_FLOAT_EQ(timer.getTotalTime(), 123.0e-6f);
}

TEST(Timer, InitNeedsAClockAndAPeriodAndTheDefaultClockMeasuresASleep) {
    EXPECT_FALSE(rvTimer(fakeClock, 0.0).init());
    EXPECT_FALSE(rvTimer(fakeClock, -1.0).init());
    EXPECT_FALSE(rvTimer(nullptr, 1.0).init());
    rvTimer timer;
    timer.tick(); // before init: nothing to measure from
    EXPECT_EQ(timer.getElapsed(), 0.0f);
    ASSERT_TRUE(timer.init());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    timer.tick();
    EXPECT_GE(timer.getElapsed(), 0.019f);
    EXPECT_LT(timer.getElapsed(), 5.0f);
}

} // namespace
