#include "rvvector.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void expectVec(const rvVector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

} // namespace

TEST(Vector3, ArithmeticDotCrossLengthDistanceProjectionAndLerp) {
    expectVec(rvVector3(), 0, 0, 0, 0);
    rvVector3 v(1, 2, 3);
    ((v += rvVector3(1, 1, 1)) -= rvVector3(2, 0, 1)) *= -2.0f; // each returns the vector
    expectVec(v, 0, -6, -6);
    const rvVector3 a(1, 2, 3), b(0.5f, -1, 4);
    expectVec(a + b - b * 2.0f, 0.5f, 3, -1);
    EXPECT_TRUE(a.dot(b) == 10.5f && rvVector3(2, 3, 6).length() == 7.0f);
    expectVec(rvVector3(1, 0, 0).cross(rvVector3(0, 1, 0)), 0, 0, 1); // this × other
    expectVec(a.cross(b), 11, -2.5f, -2);
    const rvVector3 p(1, 1, 1), q(4, 5, 1);
    EXPECT_TRUE(p.distance(q) == 5 && rvDistance(p, q) == 5);
    EXPECT_TRUE(p.distanceSquared(q) == 25 && rvDistanceSquared(q, p) == 25);
    // (1, 2, 3) onto (2, −1, 2): (2 − 2 + 6) / 9 = 2/3 of it; and the other way round.
    expectVec(rvVector3(1, 2, 3).projectOnto(rvVector3(2, -1, 2)), 4 / 3.0f, -2 / 3.0f, 4 / 3.0f);
    expectVec(rvVector3(2, -1, 2).project(rvVector3(1, 2, 3)), 4 / 3.0f, -2 / 3.0f, 4 / 3.0f);
    expectVec(rvLerp(rvVector3(0, 2, -4), rvVector3(10, 4, 4), 0.25f), 2.5f, 2.5f, -2);
}

TEST(Vector3, NormalizeDividesByLengthAndKeepsZeroAtZero) {
    rvVector3 v(3, 0, 4), zero;
    expectVec(v.normalized(), 0.6f, 0, 0.8f);
    expectVec(v.normalize(), 0.6f, 0, 0.8f);
    expectVec(zero.normalize(), 0, 0, 0, 0); // no division, so no NaN
    expectVec(rvVector3().normalized(), 0, 0, 0, 0);
}

TEST(Vector2And4, OperatorsNormalizeAndDistance) {
    rvVector2 v(3, 4);
    ((v += rvVector2(1, 1)) -= rvVector2(1, 1)) *= 2.0f;
    EXPECT_TRUE(v.x == 6 && v.y == 8);
    EXPECT_NEAR(v.normalized().x, 0.6f, 1e-6f);
    EXPECT_NEAR(v.normalize().y, 0.8f, 1e-6f);
    EXPECT_TRUE(rvDistance2D(1, 2, 4, 6) == 5 && rvDistanceSquared2D(4, 6, 1, 2) == 25);
    rvVector4 w(1, 2, 3, 4);
    ((w += rvVector4(1, 1, 1, 1)) -= rvVector4(0, 1, 2, 3)) *= 0.5f;
    EXPECT_TRUE(w.x == 1 && w.y == 1 && w.z == 1 && w.w == 1);
}

TEST(Random, FloatEndsAreExactDrawsStayInRangeAndUnitVectorsCoverTheSphere) {
    EXPECT_EQ(rvRandomFloatFrom(0, -3.5f, 7.25f), -3.5f);
    EXPECT_EQ(rvRandomFloatFrom(32767, -3.5f, 7.25f), 7.25f);
    EXPECT_FLOAT_EQ(rvRandomFloatFrom(16384, 0.0f, 32767.0f), 16384.0f);
    // rand() may reach far beyond 32767 (it does on glibc); no draw may leave [lo, hi].
    std::srand(12345);
    int nearLo = 0, nearHi = 0;
    for (int i = 0; i < 4000; ++i) {
        const float f = rvRandomFloat(2.0f, 3.0f);
        ASSERT_TRUE(f >= 2.0f && f <= 3.0f) << f;
        nearLo += (f < 2.01f), nearHi += (f > 2.99f);
    }
    EXPECT_TRUE(nearLo && nearHi);
    std::srand(777);
    const int n = 20000;
    rvVector3 sum;
    float szz = 0.0f;
    for (int i = 0; i < n; ++i) {
        const rvVector3 v = rvRandomUnitVector();
        ASSERT_NEAR(v.length(), 1.0f, 1e-5f);
        sum += v, szz += v.z * v.z;
    }
    // Uniform on the sphere: every mean 0, and z uniform in [−1, 1] (second moment 1/3).
    expectVec(sum * (1.0f / n), 0, 0, 0, 0.03f);
    EXPECT_NEAR(szz / n, 1.0f / 3.0f, 0.02f);
    std::srand(99);
    const rvVector3 u = rvRandomUnitVector();
    std::srand(99);
    const rvVector2 p = rvRandomVector2();
    EXPECT_TRUE(p.x == u.x && p.y == u.y);
}
