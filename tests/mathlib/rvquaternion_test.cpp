#include "rvquaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

void expectQuat(const rvQuaternion& q, const rvQuaternion& r, float tol = 1e-6f) {
    EXPECT_NEAR(q.w, r.w, tol);
    EXPECT_NEAR(q.x, r.x, tol);
    EXPECT_NEAR(q.y, r.y, tol);
    EXPECT_NEAR(q.z, r.z, tol);
}

void expectMat(const rvMatrix44& a, const rvMatrix44& b, float tol = 1e-6f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element (" << i / 4 << ", " << i % 4 << ")";
}

// A rotation by `degrees` about the z axis.
rvQuaternion aboutZ(float degrees) {
    const float half = degrees * kRvPi / 360.0f;
    return rvQuaternion(std::cos(half), 0, 0, std::sin(half));
}

const rvQuaternion kOne(1, 0, 0, 0);

} // namespace

TEST(Quaternion, ScalarFirstDefaultZeroDotAndHamiltonProduct) {
    const rvQuaternion q(1, 2, 3, 4);
    const float scalarFirst[4] = {1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(&q, scalarFirst, sizeof scalarFirst), 0);
    expectQuat(rvQuaternion(), rvQuaternion(0, 0, 0, 0), 0);
    EXPECT_EQ(q.dot(rvQuaternion(-1, 0.5f, 2, -1)), -1 + 1 + 6 - 4);
    expectQuat(rvQuaternion(0, 1, 0, 0) * rvQuaternion(0, 0, 1, 0), rvQuaternion(0, 0, 0, 1), 0);
    // Worked by hand from (a, u)(b, v) = (ab − u·v, a v + b u + u × v).
    expectQuat(q * rvQuaternion(2, -1, 3, 1), rvQuaternion(-9, -6, 3, 18), 0);
}

TEST(QuaternionToMatrix, IdentityQuarterTurnAndAxisRotations) {
    expectMat(kOne.toMatrix(), rvMatrix44(), 0);
    // (cos 45°, 0, 0, sin 45°) is the 90° turn about z: m01 = 1, m10 = −1.
    expectMat(aboutZ(90).toMatrix(), rvMatrix44(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    const rvVector3 axis = rvVector3(2, -1, 2).normalized();
    const float s = std::sin(0.65f);
    const rvQuaternion q(std::cos(0.65f), axis.x * s, axis.y * s, axis.z * s); // 1.3 rad
    expectMat(q.toMatrix(), rvRotationAxisMatrix(axis, 1.3f));
}

TEST(QuaternionSlerp, OutsideTheOpenIntervalReturnsAnEndExactly) {
    // A negative dot product: t ≥ 1 still gives `to` itself, not its negation.
    const rvQuaternion from(0.5f, 0.5f, 0.5f, 0.5f), to(0.6f, 0, -0.8f, 0);
    for (float t : {0.0f, -0.5f})
        expectQuat(rvSlerp(t, from, to), from, 0);
    for (float t : {1.0f, 2.0f})
        expectQuat(rvSlerp(t, from, to), to, 0);
}

TEST(QuaternionSlerp, FollowsTheShorterArcAtConstantSpeed) {
    expectQuat(rvSlerp(0.5f, kOne, aboutZ(90)), aboutZ(45));
    expectQuat(rvSlerp(0.25f, kOne, aboutZ(90)), aboutZ(22.5f));
    expectQuat(rvSlerp(0.75f, aboutZ(-60), aboutZ(60)), aboutZ(30));
    // 450° about z is −(90° about z), the same rotation: the blend must not go the long way.
    expectQuat(rvSlerp(0.5f, kOne, aboutZ(450)), aboutZ(45));
}

TEST(QuaternionSlerp, QuaternionAndItsNegationBlendToTheFirst) {
    const rvQuaternion q(0.5f, 0.5f, -0.5f, 0.5f), negated(-0.5f, -0.5f, 0.5f, -0.5f);
    for (float t : {0.001f, 0.25f, 0.5f, 0.999f})
        expectQuat(rvSlerp(t, q, negated), q); // cosOmega = 1: linear, and no NaN
}

TEST(QuaternionSlerp, NearlyEqualKeysBlendLinearlyWithoutRenormalising) {
    // Dot 0.99995: the plain chord midpoint, about 1.25e-5 inside the unit sphere.
    const rvQuaternion near(0.99995f, std::sqrt(1.0f - 0.99995f * 0.99995f), 0, 0);
    ASSERT_EQ(kOne.dot(near), 0.99995f);
    const rvQuaternion r = rvSlerp(0.5f, kOne, near);
    expectQuat(r, rvQuaternion(0.5f + 0.5f * near.w, 0.5f * near.x, 0, 0), 1e-7f);
    EXPECT_LT(r.dot(r), 1.0f - 1e-5f);
    // Dot exactly 0.9999 still takes the arc: the result stays a unit quaternion.
    const rvQuaternion edge(0.9999f, std::sqrt(1.0f - 0.9999f * 0.9999f), 0, 0);
    ASSERT_EQ(kOne.dot(edge), 0.9999f);
    const rvQuaternion a = rvSlerp(0.5f, kOne, edge);
    EXPECT_NEAR(a.dot(a), 1.0f, 8e-6f);
}

TEST(QuaternionSlerpDeathTest, DotProductOfAtLeastOnePointOneIsACallerError) {
    // Non-unit keys: the precondition stops a debug build; a release build still returns.
    EXPECT_DEBUG_DEATH(rvSlerp(0.5f, rvQuaternion(2, 0, 0, 0), kOne), "cosOmega < 1\\.1f");
}
