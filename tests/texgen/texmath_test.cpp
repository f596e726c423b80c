#include "texmath.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace texgen;

TEST(Easing, SmoothstepClampsOutsideItsEdges) {
    EXPECT_EQ(smoothstep(0.0, 1.0, -0.5), 0.0);
    EXPECT_EQ(smoothstep(0.0, 1.0, 1.5), 1.0);
    EXPECT_DOUBLE_EQ(smoothstep(0.0, 1.0, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(smoothstep(2.0, 4.0, 2.5), 0.15625);
}

TEST(Easing, SmoothstepWithSwappedEdgesIsTheMirroredStep) {
    EXPECT_DOUBLE_EQ(smoothstep(1.0, 0.0, 0.25), smoothstep(0.0, 1.0, 0.75));
    EXPECT_EQ(smoothstep(1.0, 0.0, 2.0), 0.0);
    EXPECT_EQ(smoothstep(1.0, 0.0, -1.0), 1.0);
}

TEST(Colour, ToByteRoundsAndClamps) {
    EXPECT_EQ(toByte(-0.25), 0);
    EXPECT_EQ(toByte(1.75), 255);
    EXPECT_EQ(toByte(100.0 / 255.0), 100);
    EXPECT_EQ(toByte(100.4 / 255.0), 100);
    EXPECT_EQ(toByte(100.6 / 255.0), 101);
}

TEST(Colour, MixIsLinearInEachChannel) {
    const Rgb c = mix({0.0, 0.2, 1.0}, {1.0, 0.4, 0.0}, 0.25);
    EXPECT_DOUBLE_EQ(c.r, 0.25);
    EXPECT_DOUBLE_EQ(c.g, 0.25);
    EXPECT_DOUBLE_EQ(c.b, 0.75);
}

TEST(Vector, NormalizedHasUnitLengthAndKeepsZero) {
    const Vec3d n = normalized({3.0, 0.0, -4.0});
    EXPECT_DOUBLE_EQ(n.x, 0.6);
    EXPECT_DOUBLE_EQ(n.z, -0.8);
    const Vec3d z = normalized({0.0, 0.0, 0.0});
    EXPECT_EQ(z.x, 0.0);
    EXPECT_EQ(z.y, 0.0);
    EXPECT_EQ(z.z, 0.0);
}

TEST(Hash, DependsOnEveryCoordinateAndTheSeed) {
    const std::uint32_t h = hash3(5, -7, 11, 3u);
    EXPECT_EQ(h, hash3(5, -7, 11, 3u));
    EXPECT_NE(h, hash3(6, -7, 11, 3u));
    EXPECT_NE(h, hash3(5, -6, 11, 3u));
    EXPECT_NE(h, hash3(5, -7, 12, 3u));
    EXPECT_NE(h, hash3(5, -7, 11, 4u));
    // Swapped coordinates must not collide either (a plain sum would).
    EXPECT_NE(hash3(1, 2, 3, 0u), hash3(3, 2, 1, 0u));
}

TEST(Hash, LatticeValuesAreSpreadOverTheUnitInterval) {
    double sum = 0.0, lo = 1.0, hi = 0.0;
    int lowQuarter = 0;
    const int n = 64 * 64;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const double v = latticeValue(x, y, 0, 9u);
            ASSERT_GE(v, 0.0);
            ASSERT_LT(v, 1.0);
            sum += v;
            lo = std::fmin(lo, v);
            hi = std::fmax(hi, v);
            lowQuarter += v < 0.25 ? 1 : 0;
        }
    }
    EXPECT_NEAR(sum / n, 0.5, 0.03);
    EXPECT_LT(lo, 0.01);
    EXPECT_GT(hi, 0.99);
    EXPECT_NEAR(lowQuarter / double(n), 0.25, 0.03);
}

TEST(ValueNoise, EqualsTheLatticeValueAtIntegerPoints) {
    for (int i = -3; i <= 3; ++i) {
        EXPECT_DOUBLE_EQ(valueNoise(i, 2 * i, -i, 5u), latticeValue(i, 2 * i, -i, 5u));
    }
}

TEST(ValueNoise, StaysInRangeAndIsContinuousAcrossCellBorders) {
    double prev = valueNoise(-4.0, 0.3, 1.7, 21u);
    for (int i = 1; i <= 80000; ++i) {
        const double x = -4.0 + i * 1e-4; // crosses x = -3 … 4, negative cells included
        const double v = valueNoise(x, 0.3, 1.7, 21u);
        ASSERT_GE(v, 0.0);
        ASSERT_LE(v, 1.0);
        // The quintic fade has slope at most 1.875, so one step moves the value by < 2e-4.
        ASSERT_LT(std::fabs(v - prev), 2e-4) << "at x = " << x;
        prev = v;
    }
}

TEST(ValueNoise, VariesBetweenLatticePoints) {
    EXPECT_NE(valueNoise(0.5, 0.5, 0.5, 1u), valueNoise(1.5, 0.5, 0.5, 1u));
    EXPECT_NE(valueNoise(0.5, 0.5, 0.5, 1u), valueNoise(0.5, 0.5, 0.5, 2u));
}

TEST(Fbm, OneOctaveIsThePlainNoise) {
    EXPECT_DOUBLE_EQ(fbm(1.3, -2.7, 0.4, 1, 77u), valueNoise(1.3, -2.7, 0.4, 77u));
}

TEST(Fbm, StaysInRangeAndIsDeterministic) {
    for (int i = 0; i < 500; ++i) {
        const double x = i * 0.137, y = i * -0.071, z = i * 0.029;
        const double v = fbm(x, y, z, 5, 3u);
        ASSERT_GE(v, 0.0);
        ASSERT_LE(v, 1.0);
        ASSERT_EQ(v, fbm(x, y, z, 5, 3u));
    }
}
