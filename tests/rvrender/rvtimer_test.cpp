#include "rvtimer.h"

#include <chrono>
#include <cstdint>
#include <thread>

#include <gtest/gtest.h>

namespace {

// A hand-driven clock: tests set the reading, the timer reads it.
std::int64_t gFakeCount = 0;
std::int64_t fakeClock() {
    return gFakeCount;
}

constexpr double kMicrosecond = 1.0e-6;

class FakeClockTimer : public ::testing::Test {
protected:
    void SetUp() override { gFakeCount = 0; }
    rvTimer timer{fakeClock, kMicrosecond};
};

} // namespace

TEST_F(FakeClockTimer, TwoTicksSixteenMillisecondsApartGiveSixteenMilliseconds) {
    gFakeCount = 5'000'000;
    ASSERT_TRUE(timer.init());
    timer.tick();
    gFakeCount += 16'000;
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.016f, 1e-7f);
}

TEST_F(FakeClockTimer, FirstTickMeasuresFromInit) {
    gFakeCount = 1'000'000;
    ASSERT_TRUE(timer.init());
    gFakeCount = 1'250'000;
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.25f, 1e-7f);
}

TEST_F(FakeClockTimer, ElapsedIsZeroBeforeAnyTick) {
    gFakeCount = 42;
    ASSERT_TRUE(timer.init());
    EXPECT_EQ(timer.getElapsed(), 0.0f);
}

TEST_F(FakeClockTimer, TotalTimeIsZeroBeforeAnyTick) {
    gFakeCount = 9'000'000;
    ASSERT_TRUE(timer.init());
    gFakeCount = 10'000'000;
    EXPECT_EQ(timer.getTotalTime(), 0.0f);
}

TEST_F(FakeClockTimer, TotalTimeRunsFromInitToTheLastTick) {
    gFakeCount = 100;
    ASSERT_TRUE(timer.init());
    gFakeCount += 300'000;
    timer.tick();
    gFakeCount += 200'000;
    timer.tick();
    gFakeCount += 999'000; // not ticked yet: not counted
    EXPECT_NEAR(timer.getTotalTime(), 0.5f, 1e-7f);
}

TEST_F(FakeClockTimer, ElapsedIsExactForLargeCounterReadings) {
    // Near 9·10^18 doubles are 1024 counts apart: a difference taken after converting to double
    // would come out as 0 or 1024, not 123.
    const std::int64_t base = 9'000'000'000'000'000'000;
    rvTimer nanoTimer(fakeClock, 1.0e-9);
    gFakeCount = base;
    ASSERT_TRUE(nanoTimer.init());
    gFakeCount = base + 123;
    nanoTimer.tick();
    EXPECT_FLOAT_EQ(nanoTimer.getElapsed(), 123.0e-9f);
    EXPECT_FLOAT_EQ(nanoTimer.getTotalTime(), 123.0e-9f);
}

TEST(TimerInit, FailsWithoutAUsableClockPeriod) {
    rvTimer zeroPeriod(fakeClock, 0.0);
    EXPECT_FALSE(zeroPeriod.init());
    rvTimer negativePeriod(fakeClock, -1.0);
    EXPECT_FALSE(negativePeriod.init());
    rvTimer noClock(nullptr, 1.0);
    EXPECT_FALSE(noClock.init());
}

TEST(TimerInit, TickBeforeInitReportsNothing) {
    gFakeCount = 7'000'000;
    rvTimer timer(fakeClock, kMicrosecond);
    timer.tick();
    EXPECT_EQ(timer.getElapsed(), 0.0f);
}

TEST_F(FakeClockTimer, PausedTickReportsZero) {
    ASSERT_TRUE(timer.init());
    timer.setPaused(true);
    gFakeCount += 40'000;
    timer.tick();
    EXPECT_EQ(timer.getElapsed(), 0.0f);
}

TEST_F(FakeClockTimer, ResumingMeasuresFromTheLastPausedTick) {
    ASSERT_TRUE(timer.init());
    gFakeCount += 10'000;
    timer.tick();
    timer.setPaused(true);
    gFakeCount += 500'000;
    timer.tick();
    gFakeCount += 500'000;
    timer.tick();
    timer.setPaused(false);
    gFakeCount += 20'000;
    timer.tick();
    EXPECT_NEAR(timer.getElapsed(), 0.020f, 1e-7f);
    // The total still counts the paused second.
    EXPECT_NEAR(timer.getTotalTime(), 1.030f, 1e-6f);
}

TEST(SteadyClockTimer, MeasuresASleep) {
    rvTimer timer;
    ASSERT_TRUE(timer.init());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    timer.tick();
    EXPECT_GE(timer.getElapsed(), 0.019f);
    EXPECT_LT(timer.getElapsed(), 5.0f);
    EXPECT_FLOAT_EQ(timer.getTotalTime(), timer.getElapsed());
}
