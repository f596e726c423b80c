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
    gCount += 250'000;
    EXPECT_EQ(timer.getTotalTime(), 0.0f); // nothing ticked yet
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.25f, 1e-7f);
    gCount += 16'000;
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.016f, 1e-7f);
    timer.setPaused(true);
    gCount += 500'000;
    timer.tick();
    EXPECT_EQ(timer.getElapsed(), 0.0f);
    timer.setPaused(false);
    gCount += 20'000;
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.020f, 1e-7f); // from the paused tick, not before it
    gCount += 999'000;                              // not ticked: not in the total
    EXPECT_NEAR(timer.getTotalTime(), 0.786f, 1e-6f);
}

TEST(Timer, DifferencesOfLargeReadingsAreTakenInIntegers) {
    // Near 9e18 doubles are 1024 counts apart: subtracting after conversion would not give 123.
    gCount = 9'000'000'000'000'000'000;
    rvTimer timer(fakeClock, 1.0e-9);
    ASSERT_TRUE(timer.init());
    gCount += 123;
    timer.tick();
    EXPECT_FLOAT_EQ(timer.getElapsed(), 123.0e-9f);
    EXPECT_FLOAT_EQ(timer.getTotalTime(), 123.0e-9f);
}

TEST(Timer, InitNeedsAClockPeriodAndTheDefaultClockMeasuresASleep) {
    EXPECT_FALSE(rvTimer(fakeClock, 0.0).init() || rvTimer(fakeClock, -1.0).init() ||
                 rvTimer(nullptr, 1.0).init());
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
