#include "rvquaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// Element by element, for quaternions and matrices alike.
template <class T> void expectNear(const T& a, const T& b, float tol = 1e-6f) {
    for (std::size_t i = 0; i < sizeof(T) / sizeof(float); ++i)
        EXPECT_NEAR(reinterpret_cast<const float*>(&a)[i], reinterpret_cast<const float*>(&b)[i],
                    tol)
            << "element " << i;
}

// A rotation by `degrees` about the z axis.
rvQuaternion aboutZ(float degrees) {
    const float half = degrees * kRvPi / 360.0f;
    return rvQuaternion(std::cos(half), 0, 0, std::sin(half));
}

const rvQuaternion kOne(1, 0, 0, 0);

} // namespace

TEST(Quaternion, ScalarFirstDotHamiltonProductAndMatrix) {
    const rvQuaternion q(1, 2, 3, 4);
    const float scalarFirst[4] = {1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(&q, scalarFirst, sizeof scalarFirst), 0);
    EXPECT_EQ(q.dot(rvQuaternion(-1, 0.5f, 2, -1)), -1 + 1 + 6 - 4);
    expectNear(rvQuaternion(0, 1, 0, 0) * rvQuaternion(0, 0, 1, 0), rvQuaternion(0, 0, 0, 1), 0);
    // Worked by hand from (a, u)(b, v) = (ab − u·v, a v + b u + u × v).
    expectNear(q * rvQuaternion(2, -1, 3, 1), rvQuaternion(-9, -6, 3, 18), 0);
    // (cos 45°, 0, 0, sin 45°) is the 90° turn about z: m01 = 1, m10 = −1; and a general turn
    // is the axis builder's matrix.
    expectNear(aboutZ(90).toMatrix(), rvMatrix44(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    const rvVector3 axis = rvVector3(2, -1, 2).normalized(), v = axis * std::sin(0.65f);
    expectNear(rvQuaternion(std::cos(0.65f), v.x, v.y, v.z).toMatrix(),
               rvRotationAxisMatrix(axis, 1.3f));
}

TEST(QuaternionSlerp, FollowsTheShorterArcAtConstantSpeedAndReturnsItsEndsExactly) {
    expectNear(rvSlerp(0.5f, kOne, aboutZ(90)), aboutZ(45));
    expectNear(rvSlerp(0.25f, kOne, aboutZ(90)), aboutZ(22.5f));
    // 450° about z is −(90° about z), the same rotation: the blend must not go the long way.
    expectNear(rvSlerp(0.5f, kOne, aboutZ(450)), aboutZ(45));
    // A negative dot product: t ≥ 1 still gives `to` itself, not its negation.
    const rvQuaternion from(0.5f, 0.5f, 0.5f, 0.5f), to(0.6f, 0, -0.8f, 0);
    for (float t : {0.0f, -0.5f, 1.0f, 2.0f})
        expectNear(rvSlerp(t, from, to), t < 1 ? from : to, 0);
    // A key and its negation: cosOmega = 1 after the flip, a linear blend, and no NaN.
    const rvQuaternion negated(-0.5f, -0.5f, -0.5f, -0.5f);
    for (float t : {0.001f, 0.5f, 0.999f})
        expectNear(rvSlerp(t, from, negated), from);
    // Nearly equal keys, dot 0.99995: the plain chord midpoint, about 1.25e-5 inside the unit
    // sphere.
    const rvQuaternion near(0.99995f, std::sqrt(1.0f - 0.99995f * 0.99995f), 0, 0);
    ASSERT_EQ(kOne.dot(near), 0.99995f);
    const rvQuaternion r = rvSlerp(0.5f, kOne, near);
    expectNear(r, rvQuaternion(0.5f + 0.5f * near.w, 0.5f * near.x, 0, 0), 1e-7f);
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
