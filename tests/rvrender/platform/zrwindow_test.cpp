// Frame pacing and frames-per-second counting of the window, without opening one.
#include <gtest/gtest.h>

#include "zrwindow.h"

namespace {

TEST(WindowPacing, ReleasesAFrameOnlyWhenStrictlyAboveTheDesiredTime) {
    zrWindow window;
    window.setDesiredFPS(4); // 0.25 s: exactly representable
    EXPECT_FALSE(window.advance(0.125f));
    EXPECT_FALSE(window.advance(0.125f)); // accumulator == desired time: not yet
    EXPECT_TRUE(window.advance(0.001f));
    EXPECT_FLOAT_EQ(window.getFrameTime(), 0.251f);
    // The accumulator restarts after a released frame.
    EXPECT_FALSE(window.advance(0.2f));
}

TEST(WindowPacing, AHighRateReleasesNearlyEveryCall) {
    zrWindow window;
    window.setDesiredFPS(5000);
    int released = 0;
    for (int i = 0; i < 100; ++i) {
        released += window.advance(0.001f) ? 1 : 0;
    }
    EXPECT_EQ(released, 100);
    EXPECT_FLOAT_EQ(window.getFrameTime(), 0.001f);
}

TEST(WindowFPS, StaysZeroUntilMoreThanOneSecondHasPassed) {
    zrWindow window;
    window.setDesiredFPS(5000);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(window.advance(0.25f)); // exactly one second after four: not more
    }
    EXPECT_EQ(window.getFPS(), 0);
    ASSERT_TRUE(window.advance(0.25f));
    EXPECT_EQ(window.getFPS(), 5);
}

TEST(WindowFPS, CountsTheFramesOfTheLastPeriodIncludingTheClosingOne) {
    zrWindow window;
    window.setDesiredFPS(5000);
    for (int i = 0; i < 4; ++i) {
        window.advance(0.3f); // 0.3, 0.6, 0.9, 1.2 > 1: four frames
    }
    EXPECT_EQ(window.getFPS(), 4);
    for (int i = 0; i < 3; ++i) {
        window.advance(0.5f); // 0.5, 1.0 (not above), 1.5: three frames
    }
    EXPECT_EQ(window.getFPS(), 3);
}

} // namespace
