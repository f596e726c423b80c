#include "rvquaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

void expectQuat(const rvQuaternion& q, float w, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(q.w, w, tol);
    EXPECT_NEAR(q.x, x, tol);
    EXPECT_NEAR(q.y, y, tol);
    EXPECT_NEAR(q.z, z, tol);
}

void expectQuat(const rvQuaternion& q, const rvQuaternion& r, float tol = 1e-6f) {
    expectQuat(q, r.w, r.x, r.y, r.z, tol);
}

bool sameBits(const rvQuaternion& a, const rvQuaternion& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectMat(const rvMatrix44& a, const rvMatrix44& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element (" << i / 4 << ", " << i % 4 << ")";
}

float norm(const rvQuaternion& q) {
    return std::sqrt(q.dot(q));
}

rvQuaternion fromAxisAngle(const rvVector3& unitAxis, float a) {
    const float s = std::sin(a / 2.0f);
    return rvQuaternion(std::cos(a / 2.0f), unitAxis.x * s, unitAxis.y * s, unitAxis.z * s);
}

struct Random {
    std::mt19937 gen{4711u};
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(gen); }
    rvVector3 axis() {
        rvVector3 v;
        while (v.length() < 0.1f)
            v = rvVector3(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1));
        return v.normalized();
    }
    rvQuaternion unit() { return fromAxisAngle(axis(), uniform(-3.1f, 3.1f)); }
};

const float kC45 = std::cos(kRvPi / 4.0f);
const float kS45 = std::sin(kRvPi / 4.0f);

} // namespace

// Storage

TEST(QuaternionLayout, ScalarComesFirstAndDefaultIsAllZero) {
    const rvQuaternion d;
    expectQuat(d, 0, 0, 0, 0, 0);
    const rvQuaternion q(1, 2, 3, 4);
    float f[4];
    std::memcpy(f, &q, sizeof f);
    EXPECT_EQ(f[0], 1.0f);
    EXPECT_EQ(f[1], 2.0f);
    EXPECT_EQ(f[2], 3.0f);
    EXPECT_EQ(f[3], 4.0f);
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(q.z, 4.0f);
}

// Algebra

TEST(QuaternionAlgebra, Dot) {
    EXPECT_FLOAT_EQ(rvQuaternion(1, 2, 3, 4).dot(rvQuaternion(-1, 0.5f, 2, -1)), -1 + 1 + 6 - 4);
}

TEST(QuaternionAlgebra, HamiltonUnitProducts) {
    const rvQuaternion one(1, 0, 0, 0), i(0, 1, 0, 0), j(0, 0, 1, 0), k(0, 0, 0, 1);
    expectQuat(i * j, k, 0);
    expectQuat(j * k, i, 0);
    expectQuat(k * i, j, 0);
    expectQuat(j * i, 0, 0, 0, -1, 0);
    expectQuat(i * i, -1, 0, 0, 0, 0);
    expectQuat(one * k, k, 0);
    expectQuat(k * one, k, 0);
}

TEST(QuaternionAlgebra, ProductMatchesScalarVectorForm) {
    // (a, u)(b, v) = (ab − u·v, a v + b u + u × v)
    Random rnd;
    for (int n = 0; n < 20; ++n) {
        const rvQuaternion p(rnd.uniform(-2, 2), rnd.uniform(-2, 2), rnd.uniform(-2, 2),
                             rnd.uniform(-2, 2));
        const rvQuaternion q(rnd.uniform(-2, 2), rnd.uniform(-2, 2), rnd.uniform(-2, 2),
                             rnd.uniform(-2, 2));
        const rvVector3 u(p.x, p.y, p.z), v(q.x, q.y, q.z);
        const rvVector3 vec = v * p.w + u * q.w + u.cross(v);
        expectQuat(p * q, p.w * q.w - u.dot(v), vec.x, vec.y, vec.z, 1e-5f);
    }
}

// Conversion to a matrix

TEST(QuaternionToMatrix, IdentityAndQuarterTurnAboutZ) {
    expectMat(rvQuaternion(1, 0, 0, 0).toMatrix(), rvMatrix44(), 0.0f);
    const rvMatrix44 m = rvQuaternion(kC45, 0, 0, kS45).toMatrix();
    EXPECT_NEAR(m(0, 1), 1.0f, 1e-6f);
    EXPECT_NEAR(m(1, 0), -1.0f, 1e-6f);
    expectMat(m, rvRotationZMatrix(kRvPi / 2.0f), 1e-6f);
    const rvVector3 p = rvTransformPoint(rvVector3(1, 0, 0), m);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(QuaternionToMatrix, MatchesTheAxisRotationBuilder) {
    Random rnd;
    for (int n = 0; n < 30; ++n) {
        const rvVector3 axis = rnd.axis();
        const float a = rnd.uniform(-3.1f, 3.1f);
        const rvMatrix44 m = fromAxisAngle(axis, a).toMatrix();
        expectMat(m, rvRotationAxisMatrix(axis, a));
        EXPECT_EQ(m(0, 3), 0.0f);
        EXPECT_EQ(m(3, 0), 0.0f);
        EXPECT_EQ(m(3, 3), 1.0f);
    }
}

TEST(QuaternionToMatrix, ProductAppliesRightFactorFirstInRowVectorForm) {
    // With p′ = p · M, the rotation of a·b (b first, then a) is M(b) · M(a).
    Random rnd;
    for (int n = 0; n < 20; ++n) {
        const rvQuaternion a = rnd.unit(), b = rnd.unit();
        expectMat((a * b).toMatrix(), b.toMatrix() * a.toMatrix());
    }
}

TEST(QuaternionToMatrix, NegatedQuaternionIsTheSameRotation) {
    const rvQuaternion q = Random().unit();
    expectMat(q.toMatrix(), rvQuaternion(-q.w, -q.x, -q.y, -q.z).toMatrix(), 0.0f);
}

// Spherical interpolation

TEST(QuaternionSlerp, OutsideTheOpenIntervalReturnsAnEndExactly) {
    const rvQuaternion from(kC45, kS45, 0, 0);
    const rvQuaternion to(0.6f, 0, -0.8f, 0);
    EXPECT_TRUE(sameBits(rvSlerp(0.0f, from, to), from));
    EXPECT_TRUE(sameBits(rvSlerp(-0.5f, from, to), from));
    EXPECT_TRUE(sameBits(rvSlerp(1.0f, from, to), to));
    EXPECT_TRUE(sameBits(rvSlerp(2.0f, from, to), to));
}

TEST(QuaternionSlerp, EndpointIsToItselfEvenWhenTheShortArcNegatesIt) {
    const rvQuaternion from(1, 0, 0, 0);
    const rvQuaternion to(-kC45, 0, 0, -kS45); // dot < 0
    EXPECT_TRUE(sameBits(rvSlerp(1.0f, from, to), to));
    EXPECT_TRUE(sameBits(rvSlerp(1.5f, from, to), to));
}

TEST(QuaternionSlerp, HalfWayFromIdentityToQuarterTurnIsEighthTurn) {
    const rvQuaternion r = rvSlerp(0.5f, rvQuaternion(1, 0, 0, 0), rvQuaternion(kC45, 0, 0, kS45));
    expectQuat(r, std::cos(kRvPi / 8.0f), 0, 0, std::sin(kRvPi / 8.0f));
}

TEST(QuaternionSlerp, TakesTheShorterArc) {
    // −(quarter turn about Z) is the same rotation; the path must not go the long way round.
    const rvQuaternion r =
        rvSlerp(0.5f, rvQuaternion(1, 0, 0, 0), rvQuaternion(-kC45, 0, 0, -kS45));
    expectQuat(r, std::cos(kRvPi / 8.0f), 0, 0, std::sin(kRvPi / 8.0f));
}

TEST(QuaternionSlerp, QuaternionAndItsNegationBlendToTheFirst) {
    const rvQuaternion q = fromAxisAngle(rvVector3(0, 0.6f, 0.8f), 1.3f);
    const rvQuaternion negated(-q.w, -q.x, -q.y, -q.z);
    for (float t : {0.001f, 0.25f, 0.5f, 0.75f, 0.999f}) {
        const rvQuaternion r = rvSlerp(t, q, negated);
        EXPECT_FALSE(std::isnan(r.w) || std::isnan(r.x) || std::isnan(r.y) || std::isnan(r.z));
        expectQuat(r, q, 1e-6f);
    }
}

TEST(QuaternionSlerp, NearlyEqualKeysBlendLinearlyWithoutRenormalising) {
    const float c = 0.99995f;
    const rvQuaternion from(1, 0, 0, 0);
    const rvQuaternion to(c, std::sqrt(1.0f - c * c), 0, 0);
    ASSERT_EQ(from.dot(to), c);
    const float t = 0.5f;
    const rvQuaternion r = rvSlerp(t, from, to);
    expectQuat(r, (1 - t) * from.w + t * to.w, (1 - t) * from.x + t * to.x, 0, 0, 1e-7f);
    // The chord's midpoint is inside the unit sphere by about 1.25e-5.
    EXPECT_LT(norm(r), 1.0f - 5e-6f);
}

TEST(QuaternionSlerp, ThresholdItselfStillUsesTheArc) {
    const float c = 0.9999f;
    const rvQuaternion from(1, 0, 0, 0);
    const rvQuaternion to(c, std::sqrt(1.0f - c * c), 0, 0);
    ASSERT_EQ(from.dot(to), c);
    const rvQuaternion r = rvSlerp(0.5f, from, to);
    // On the arc the result stays unit; on the chord it would be about 2.5e-5 short.
    EXPECT_NEAR(norm(r), 1.0f, 4e-6f);
    const float half = std::acos(c) / 2.0f;
    EXPECT_NEAR(r.w, std::cos(half), 2e-6f);
    EXPECT_NEAR(r.x, std::sin(half), 2e-5f);
}

TEST(QuaternionSlerp, MovesAtConstantAngularSpeedOnTheUnitSphere) {
    Random rnd;
    for (int n = 0; n < 50; ++n) {
        const rvQuaternion from = rnd.unit(), to = rnd.unit();
        const float cosOmega = std::fabs(from.dot(to));
        if (cosOmega > 0.999f)
            continue;
        const float omega = std::acos(cosOmega);
        const float t = rnd.uniform(0.01f, 0.99f);
        const rvQuaternion r = rvSlerp(t, from, to);
        EXPECT_NEAR(norm(r), 1.0f, 1e-5f);
        EXPECT_NEAR(r.dot(from), std::cos(t * omega), 1e-5f);
        EXPECT_NEAR(std::fabs(r.dot(to)), std::cos((1.0f - t) * omega), 1e-5f);
    }
}

TEST(QuaternionSlerpDeathTest, DotProductOfAtLeastOnePointOneIsACallerError) {
    // Non-unit keys: the precondition stops a debug build; a release build still returns.
    const rvQuaternion from(2, 0, 0, 0), to(1, 0, 0, 0);
    EXPECT_DEBUG_DEATH(rvSlerp(0.5f, from, to), "cosOmega < 1\\.1f");
}
