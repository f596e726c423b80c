// Measures the time between two successive ticks with a monotonic clock. The window owns one
// and ticks it once per update; the seconds drive frame pacing, animation and movement.
#pragma once

#include <cstdint>

class rvTimer {
public:
    // A clock source returning a monotonic count. The default is the platform's: Windows'
    // performance counter (rvtimer_win32.cpp), elsewhere std::chrono::steady_clock in
    // nanoseconds (rvtimer_steady.cpp). Tests pass their own.
    using Clock = std::int64_t (*)();

    rvTimer();
    explicit rvTimer(Clock clock, double secondsPerCount);

    // Takes the clock's period and reads the start time. False, and nothing changed, when the
    // clock has no usable period (secondsPerCount not above 0): a system without a performance
    // counter; the steady clock always has one.
    bool init();
    // Measures the time since the previous tick (0 while paused).
    void tick();
    float getElapsed() const { return mElapsed; }
    void setPaused(bool paused) { mPaused = paused; }
    // Seconds from init to the last tick, paused time included.
    float getTotalTime() const;

private:
    Clock mClock;
    // The period handed to the constructor; becomes mSecondsPerCount at init, so that a timer
    // ticked before init reports 0 rather than the clock's whole reading.
    double mClockPeriod;
    std::int64_t mStartCount;
    std::int64_t mLastCount;
    double mSecondsPerCount;
    float mElapsed;
    bool mPaused;
};
