#include "rvtimer.h"

rvTimer::rvTimer(Clock clock, double secondsPerCount)
    : mClock(clock), mClockPeriod(secondsPerCount), mStartCount(0), mLastCount(0),
      mSecondsPerCount(0.0), mElapsed(0.0f), mPaused(false) {}

bool rvTimer::init() {
    if (!mClock || !(mClockPeriod > 0.0)) {
        return false;
    }
    mSecondsPerCount = mClockPeriod;
    const std::int64_t now = mClock();
    mStartCount = now;
    mLastCount = now;
    return true;
}

void rvTimer::tick() {
    if (!mClock) {
        return;
    }
    const std::int64_t now = mClock();
    if (mPaused) {
        mElapsed = 0.0f;
    } else {
        // The difference stays exact in 64-bit integers; only the small result goes to double.
        mElapsed = static_cast<float>(static_cast<double>(now - mLastCount) * mSecondsPerCount);
    }
    // Also while paused, so that resuming does not report the paused time.
    mLastCount = now;
}

float rvTimer::getTotalTime() const {
    return static_cast<float>(static_cast<double>(mLastCount - mStartCount) * mSecondsPerCount);
}
