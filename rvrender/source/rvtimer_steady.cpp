// The frame timer's clock where there is no Windows performance counter: the standard library's
// monotonic clock, in nanoseconds.
#include <chrono>

#include "rvtimer.h"

namespace {

std::int64_t steadyClockNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

rvTimer::rvTimer() : rvTimer(steadyClockNanoseconds, 1.0e-9) {}
