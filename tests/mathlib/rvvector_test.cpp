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

TEST(Vector3, ArithmeticProductsLengthsProjectionLerpAndNormalize) {
    expectVec(rvVector3(), 0, 0, 0, 0);
    rvVector3 v(1, 2, 3);
    ((v += rvVector3(1, 1, 1)) -= rvVector3(2, 0, 1)) *= -2.0f; // each returns the vector
    expectVec(v, 0, -6, -6);
    const rvVector3 a(1, 2, 3), b(0.5f, -1, 4), p(1, 1, 1), q(4, 5, 1);
    expectVec(a + b - b * 2.0f, 0.5f, 3, -1);
    expectVec(rvVector3(1, 0, 0).cross(rvVector3(0, 1, 0)), 0, 0, 1); // this × other
    expectVec(a.cross(b), 11, -2.5f, -2);
    EXPECT_EQ(a.dot(b), 10.5f);
    EXPECT_EQ(rvVector3(2, 3, 6).length(), 7.0f);
    EXPECT_EQ(p.distance(q), 5.0f);
    EXPECT_EQ(p.distanceSquared(q), 25.0f);
    EXPECT_EQ(rvDistance2D(1, 2, 4, 6), 5.0f);
    EXPECT_EQ(rvDistanceSquared2D(4, 6, 1, 2), 25.0f);
    // (1, 2, 3) onto (2, −1, 2): (2 − 2 + 6) / 9 = 2/3 of it; and the other way round.
    expectVec(rvVector3(1, 2, 3).projectOnto(rvVector3(2, -1, 2)), 4 / 3.0f, -2 / 3.0f, 4 / 3.0f);
    expectVec(rvVector3(2, -1, 2).project(rvVector3(1, 2, 3)), 4 / 3.0f, -2 / 3.0f, 4 / 3.0f);
    expectVec(rvLerp(rvVector3(0, 2, -4), rvVector3(10, 4, 4), 0.25f), 2.5f, 2.5f, -2);
    rvVector3 n(3, 0, 4), zero;
    expectVec(n.normalized(), 0.6f, 0, 0.8f);
    expectVec(n.normalize(), 0.6f, 0, 0.8f);
    expectVec(zero.normalize(), 0, 0, 0, 0); // no division, so no NaN
}

TEST(Vector2And4, OperatorsAndNormalize) {
    rvVector2 v(3, 4);
    ((v += rvVector2(1, 1)) -= rvVector2(1, 1)) *= 2.0f;
    const rvVector2 unit = v.normalized();
    expectVec(rvVector3(v.x, v.y, 0), 6, 8, 0, 0);
    expectVec(rvVector3(unit.x, unit.y, v.normalize().x), 0.6f, 0.8f, 0.6f);
    rvVector4 w(1, 2, 3, 4);
    ((w += rvVector4(1, 1, 1, 1)) -= rvVector4(0, 1, 2, 3)) *= 0.5f;
    expectVec(rvVector3(w.x, w.y, w.z), 1, 1, 1, 0);
    EXPECT_EQ(w.w, 1.0f);
}

TEST(Random, FloatEndsAreExactAndUnitVectorsCoverTheSphere) {
    EXPECT_EQ(rvRandomFloatFrom(0, -3.5f, 7.25f), -3.5f);
    EXPECT_EQ(rvRandomFloatFrom(32767, -3.5f, 7.25f), 7.25f);
    EXPECT_FLOAT_EQ(rvRandomFloatFrom(16384, 0.0f, 32767.0f), 16384.0f);
    // Uniform on the sphere: every mean 0, and z uniform in [−1, 1] (second moment 1/3). rand()
    // reaches far beyond 32767 on glibc: a draw outside [−1, 1] would make a NaN.
    std::srand(777);
    const int n = 20000;
    rvVector3 sum;
    float szz = 0.0f;
    for (int i = 0; i < n; ++i) {
        const rvVector3 v = rvRandomUnitVector();
        ASSERT_NEAR(v.length(), 1.0f, 1e-5f);
        sum += v, szz += v.z * v.z;
    }
    expectVec(sum * (1.0f / n), 0, 0, 0, 0.03f);
    EXPECT_NEAR(szz / n, 1.0f / 3.0f, 0.02f);
}
