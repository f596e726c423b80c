// The frame timer's clock on Windows: the high-resolution performance counter.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "rvtimer.h"

namespace {

std::int64_t performanceCount() {
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// 0 (so that init fails) when the system has no performance counter.
double secondsPerCount() {
    LARGE_INTEGER frequency = {};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        return 0.0;
    }
    return 1.0 / static_cast<double>(frequency.QuadPart);
}

} // namespace

rvTimer::rvTimer() : rvTimer(performanceCount, secondsPerCount()) {}
