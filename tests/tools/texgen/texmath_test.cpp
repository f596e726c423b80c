#include "texmath.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace texgen;

TEST(Scalars, SmoothstepToByteAndNormalizedHandleTheirEdges) {
    EXPECT_EQ(smoothstep(0.0, 1.0, -0.5), 0.0);
    EXPECT_EQ(smoothstep(0.0, 1.0, 1.5), 1.0);
    EXPECT_DOUBLE_EQ(smoothstep(2.0, 4.0, 2.5), 0.15625); // t = 1/4: 3t² − 2t³
    EXPECT_DOUBLE_EQ(smoothstep(1.0, 0.0, 0.25), smoothstep(0.0, 1.0, 0.75)); // swapped edges
    EXPECT_EQ(toByte(-0.25), 0);
    EXPECT_EQ(toByte(1.75), 255);
    EXPECT_EQ(toByte(100.4 / 255.0), 100);
    EXPECT_EQ(toByte(100.6 / 255.0), 101);
    const Vec3d zero = normalized({0.0, 0.0, 0.0});
    EXPECT_EQ(std::hypot(zero.x, zero.y, zero.z), 0.0);
}

TEST(Noise, HashDependsOnEveryInputAndSpreadsValueNoiseMatchesItAndIsContinuous) {
    const std::uint32_t h = hash3(5, -7, 11, 3u);
    for (std::uint32_t other : {hash3(6, -7, 11, 3u), hash3(5, -6, 11, 3u), hash3(5, -7, 12, 3u),
                                hash3(5, -7, 11, 4u), hash3(11, -7, 5, 3u)}) // a sum would collide
        EXPECT_NE(h, other);
    double lowQuarter = 0.0;
    for (int i = 0; i < 4096; ++i) {
        const double v = latticeValue(i % 64, i / 64, 0, 9u);
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
        lowQuarter += v < 0.25 ? 1.0 / 4096 : 0.0;
    }
    EXPECT_NEAR(lowQuarter, 0.25, 0.03);
    for (int i = -3; i <= 3; ++i)
        EXPECT_DOUBLE_EQ(valueNoise(i, 2 * i, -i, 5u), latticeValue(i, 2 * i, -i, 5u));
    // x runs over -4 … 4, negative cells included; the quintic fade's slope is at most 1.875,
    // so one step of 1e-4 moves the value by less than 2e-4. fbm blends such layers.
    for (int i = 1; i <= 80000; ++i) {
        const double x = -4.0 + i * 1e-4, v = valueNoise(x, 0.3, 1.7, 21u),
                     f = fbm(x, 0.3, 1.7, 5, 3u);
        ASSERT_LE(std::fabs(v - 0.5), 0.5) << x;
        ASSERT_LE(std::fabs(f - 0.5), 0.5) << x;
        ASSERT_LT(std::fabs(v - valueNoise(x - 1e-4, 0.3, 1.7, 21u)), 2e-4) << "at x = " << x;
    }
    EXPECT_DOUBLE_EQ(fbm(1.3, -2.7, 0.4, 1, 77u), valueNoise(1.3, -2.7, 0.4, 77u)); // one octave
}
