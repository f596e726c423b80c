#include "rvvector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void expectVec(const rvVector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

} // namespace

// Layout

TEST(VectorLayout, ArraysOfVector3AreReadAsPackedTriples) {
    const rvVector3 v[2] = {rvVector3(1, 2, 3), rvVector3(4, 5, 6)};
    float f[6];
    std::memcpy(f, v, sizeof f);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f[i], static_cast<float>(i + 1));
}

TEST(VectorLayout, DefaultsAreZero) {
    const rvVector2 a;
    const rvVector3 b;
    const rvVector4 c;
    EXPECT_EQ(a.x + a.y, 0.0f);
    expectVec(b, 0, 0, 0, 0);
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.w, 0.0f);
}

// Arithmetic

TEST(Vector3Arithmetic, CompoundOperatorsChangeAndReturnTheVector) {
    rvVector3 v(1, 2, 3);
    rvVector3& r = (v += rvVector3(1, 1, 1));
    EXPECT_EQ(&r, &v);
    expectVec(v, 2, 3, 4, 0);
    EXPECT_EQ(&(v -= rvVector3(2, 0, 1)), &v);
    expectVec(v, 0, 3, 3, 0);
    EXPECT_EQ(&(v *= -2.0f), &v);
    expectVec(v, 0, -6, -6, 0);
}

TEST(Vector3Arithmetic, BinaryOperatorsLeaveOperandsAlone) {
    const rvVector3 a(1, 2, 3), b(0.5f, -1, 4);
    expectVec(a + b, 1.5f, 1, 7, 0);
    expectVec(a - b, 0.5f, 3, -1, 0);
    expectVec(a * 3.0f, 3, 6, 9, 0);
    expectVec(a, 1, 2, 3, 0);
}

TEST(Vector3Arithmetic, DotAndLength) {
    EXPECT_FLOAT_EQ(rvVector3(1, 2, 3).dot(rvVector3(4, -5, 6)), 4 - 10 + 18);
    EXPECT_FLOAT_EQ(rvVector3(2, 3, 6).length(), 7.0f);
}

TEST(Vector3Arithmetic, CrossIsRightHandedThisTimesOther) {
    expectVec(rvVector3(1, 0, 0).cross(rvVector3(0, 1, 0)), 0, 0, 1, 0);
    expectVec(rvVector3(0, 1, 0).cross(rvVector3(0, 0, 1)), 1, 0, 0, 0);
    expectVec(rvVector3(0, 1, 0).cross(rvVector3(1, 0, 0)), 0, 0, -1, 0);
    const rvVector3 a(1, 2, 3), b(-2, 0.5f, 4);
    const rvVector3 c = a.cross(b);
    EXPECT_NEAR(c.dot(a), 0.0f, 1e-5f);
    EXPECT_NEAR(c.dot(b), 0.0f, 1e-5f);
    expectVec(c, 2 * 4 - 3 * 0.5f, 3 * -2 - 1 * 4, 1 * 0.5f - 2 * -2);
}

// Normalisation

TEST(Vector3Normalize, ZeroVectorStaysZero) {
    rvVector3 v(0, 0, 0);
    v.normalize();
    expectVec(v, 0, 0, 0, 0);
    EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z));
    const rvVector3 c = rvVector3().normalized();
    EXPECT_FALSE(std::isnan(c.x) || std::isnan(c.y) || std::isnan(c.z));
    expectVec(c, 0, 0, 0, 0);
}

TEST(Vector3Normalize, DividesByLength) {
    rvVector3 v(3, 0, 4);
    EXPECT_EQ(&v.normalize(), &v);
    expectVec(v, 0.6f, 0, 0.8f);
}

TEST(Vector3Normalize, NormalizedCopyLeavesOriginal) {
    const rvVector3 v(0, -5, 0);
    expectVec(v.normalized(), 0, -1, 0);
    expectVec(v, 0, -5, 0, 0);
}

// Distances, projection and interpolation

TEST(Vector3Distance, MemberAndFreeFormsAgree) {
    const rvVector3 a(1, 1, 1), b(4, 5, 1);
    EXPECT_FLOAT_EQ(a.distance(b), 5.0f);
    EXPECT_FLOAT_EQ(a.distanceSquared(b), 25.0f);
    EXPECT_FLOAT_EQ(rvDistance(a, b), 5.0f);
    EXPECT_FLOAT_EQ(rvDistanceSquared(b, a), 25.0f);
}

TEST(Vector3Projection, ProjectOntoAnotherVector) {
    // (2, 3, 0) onto a non-unit x axis: only its x part remains.
    expectVec(rvVector3(2, 3, 0).projectOnto(rvVector3(5, 0, 0)), 2, 0, 0);
    const rvVector3 v(1, 2, 3), onto(2, -1, 2);
    const rvVector3 p = v.projectOnto(onto);
    // The rest is perpendicular to `onto`.
    EXPECT_NEAR((v - p).dot(onto), 0.0f, 1e-5f);
    EXPECT_NEAR(p.cross(onto).length(), 0.0f, 1e-5f);
}

TEST(Vector3Projection, ProjectAnotherOntoThis) {
    const rvVector3 axis(0, 0, 2);
    expectVec(axis.project(rvVector3(7, -1, 3)), 0, 0, 3);
    const rvVector3 a(1, 2, 3), b(-4, 1, 0.5f);
    const rvVector3 p = a.project(b);
    const rvVector3 q = b.projectOnto(a);
    expectVec(p, q.x, q.y, q.z);
}

TEST(Vector3Lerp, EndsAndMiddle) {
    const rvVector3 a(0, 2, -4), b(10, 4, 4);
    expectVec(rvLerp(a, b, 0.0f), 0, 2, -4, 0);
    expectVec(rvLerp(a, b, 1.0f), 10, 4, 4, 0);
    expectVec(rvLerp(a, b, 0.25f), 2.5f, 2.5f, -2);
}

TEST(Vector2, CompoundOperatorsAndNormalize) {
    rvVector2 v(3, 4);
    EXPECT_EQ(&(v += rvVector2(1, 1)), &v);
    EXPECT_EQ(&(v -= rvVector2(1, 1)), &v);
    EXPECT_EQ(&(v *= 2.0f), &v);
    EXPECT_EQ(v.x, 6.0f);
    EXPECT_EQ(v.y, 8.0f);
    const rvVector2 n = v.normalized();
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.y, 0.8f);
    EXPECT_EQ(v.x, 6.0f);
    v.normalize();
    EXPECT_FLOAT_EQ(v.y, 0.8f);
}

TEST(Vector2, DistanceIsOfSecondPointMinusFirst) {
    EXPECT_FLOAT_EQ(rvDistance2D(1, 2, 4, 6), 5.0f);
    EXPECT_FLOAT_EQ(rvDistanceSquared2D(4, 6, 1, 2), 25.0f);
    EXPECT_FLOAT_EQ(rvDistance2D(-1, -1, -1, -1), 0.0f);
}

TEST(Vector4, CompoundOperatorsChangeAndReturnTheVector) {
    rvVector4 v(1, 2, 3, 4);
    EXPECT_EQ(&(v += rvVector4(1, 1, 1, 1)), &v);
    EXPECT_EQ(&(v -= rvVector4(0, 1, 2, 3)), &v);
    EXPECT_EQ(&(v *= 0.5f), &v);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 1.0f);
    EXPECT_EQ(v.w, 1.0f);
}

// Random numbers

TEST(RandomFloat, EndsAreExact) {
    EXPECT_EQ(rvRandomFloatFrom(0, -3.5f, 7.25f), -3.5f);
    EXPECT_EQ(rvRandomFloatFrom(32767, -3.5f, 7.25f), 7.25f);
    EXPECT_EQ(rvRandomFloatFrom(32767, -kRvPi, kRvPi), kRvPi);
    EXPECT_EQ(rvRandomFloatFrom(0, -kRvPi, kRvPi), -kRvPi);
    EXPECT_EQ(rvRandomFloatFrom(32767, 0.1f, 1e6f), 1e6f);
}

TEST(RandomFloat, MappingIsLinearInR) {
    EXPECT_FLOAT_EQ(rvRandomFloatFrom(16384, 0.0f, 32767.0f), 16384.0f);
    EXPECT_NEAR(rvRandomFloatFrom(8192, 10.0f, 20.0f), 10.0f + 10.0f * 8192.0f / 32767.0f, 1e-5f);
}

TEST(RandomFloat, DrawsStayInRangeAndCoverIt) {
    // rand() may reach far beyond 32767 (it does on glibc); no draw may leave [lo, hi].
    std::srand(12345);
    float lo = 1e30f, hi = -1e30f;
    for (int i = 0; i < 4000; ++i) {
        const float f = rvRandomFloat(2.0f, 3.0f);
        ASSERT_GE(f, 2.0f);
        ASSERT_LE(f, 3.0f);
        lo = std::fmin(lo, f);
        hi = std::fmax(hi, f);
    }
    EXPECT_LT(lo, 2.01f);
    EXPECT_GT(hi, 2.99f);
}

TEST(RandomVectors, UnitVectorsAreUnitAndSpreadOverTheSphere) {
    std::srand(777);
    const int n = 20000;
    double sx = 0, sy = 0, sz = 0, szz = 0;
    for (int i = 0; i < n; ++i) {
        const rvVector3 v = rvRandomUnitVector();
        ASSERT_NEAR(v.length(), 1.0f, 1e-5f);
        sx += v.x;
        sy += v.y;
        sz += v.z;
        szz += v.z * v.z;
    }
    // Uniform on the sphere: mean 0, and each coordinate's second moment is 1/3.
    EXPECT_NEAR(sx / n, 0.0, 0.03);
    EXPECT_NEAR(sy / n, 0.0, 0.03);
    EXPECT_NEAR(sz / n, 0.0, 0.03);
    EXPECT_NEAR(szz / n, 1.0 / 3.0, 0.02);
}

TEST(RandomVectors, Vector2IsTheXYPartOfTheUnitVector) {
    std::srand(99);
    rvVector3 v[50];
    for (rvVector3& e : v)
        e = rvRandomUnitVector();
    std::srand(99);
    for (const rvVector3& e : v) {
        const rvVector2 p = rvRandomVector2();
        EXPECT_EQ(p.x, e.x);
        EXPECT_EQ(p.y, e.y);
        EXPECT_LE(std::sqrt(p.x * p.x + p.y * p.y), 1.0f + 1e-6f);
    }
}
