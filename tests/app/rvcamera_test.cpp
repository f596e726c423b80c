#include "rvcamera.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

constexpr float kEps = 1e-5f;
const float kSin10 = std::sin(10.0f * 3.14159265f / 180.0f);
const float kCos10 = std::cos(10.0f * 3.14159265f / 180.0f);

#define EXPECT_VEC3_NEAR(v, ex, ey, ez)                                                            \
    do {                                                                                           \
        const rvVector3 actual_ = (v);                                                             \
        EXPECT_NEAR(actual_.x, (ex), kEps);                                                        \
        EXPECT_NEAR(actual_.y, (ey), kEps);                                                        \
        EXPECT_NEAR(actual_.z, (ez), kEps);                                                        \
    } while (0)

void expectMatricesNear(const rvMatrix44& a, const rvMatrix44& b) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a.m[i], b.m[i], kEps) << "element " << i;
    }
}

// The application's start-up state: eye (0, 5, 10), up +y, looking along −z.
class StartCamera : public ::testing::Test {
protected:
    void SetUp() override {
        camera.mPosition = rvVector3(0.0f, 5.0f, 10.0f);
        camera.mUp = rvVector3(0.0f, 1.0f, 0.0f);
        camera.setZAxis(0.0f, 0.0f, 1.0f);
        camera.getViewMatrix();
    }

    // The operations as the application reaches them.
    rvCamera& base() { return camera; }

    // Checks that the view matrix maps the eye to the origin, the point d units ahead to
    // (0, 0, −d) and the point one unit along mUp to (0, 1, 0).
    void expectViewMatchesAxes(const rvMatrix44& view) {
        const rvVector3 eye = camera.mPosition;
        EXPECT_VEC3_NEAR(rvTransformPoint(eye, view), 0.0f, 0.0f, 0.0f);
        EXPECT_VEC3_NEAR(rvTransformPoint(eye - camera.mZAxis * 7.0f, view), 0.0f, 0.0f, -7.0f);
        EXPECT_VEC3_NEAR(rvTransformPoint(eye + camera.mUp, view), 0.0f, 1.0f, 0.0f);
    }

    void expectOrthonormalAxes() {
        EXPECT_NEAR(camera.mZAxis.length(), 1.0f, kEps);
        EXPECT_NEAR(camera.mUp.length(), 1.0f, kEps);
        EXPECT_NEAR(camera.mUp.dot(camera.mZAxis), 0.0f, kEps);
    }

    rvFlyCamera camera;
};

} // namespace

TEST(CameraConstruction, StartsWithZeroVectorsAndSixtyDegrees) {
    rvFlyCamera camera;
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(camera.mUp, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.getFieldOfView(), 60.0f);
    EXPECT_FLOAT_EQ(camera.getHalfFieldOfView(), 30.0f);
    EXPECT_FALSE(camera.getInvertPitch());
}

TEST(CameraFieldOfView, StoresTheAngleAndItsHalf) {
    rvFlyCamera camera;
    camera.setFieldOfView(75.0f);
    EXPECT_FLOAT_EQ(camera.getFieldOfView(), 75.0f);
    EXPECT_FLOAT_EQ(camera.getHalfFieldOfView(), 37.5f);
}

TEST(CameraZAxis, IsNormalised) {
    rvFlyCamera camera;
    camera.setZAxis(0.0f, 3.0f, 4.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, 0.6f, 0.8f);
}

TEST(CameraZAxis, ZeroStaysZero) {
    rvFlyCamera camera;
    camera.setZAxis(0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, 0.0f, 0.0f);
}

TEST_F(StartCamera, ViewMatrixHasTheLookAtRows) {
    const rvMatrix44 view = camera.getViewMatrix();
    const rvMatrix44 expected(1.0f, 0.0f, 0.0f, 0.0f, //
                              0.0f, 1.0f, 0.0f, 0.0f, //
                              0.0f, 0.0f, 1.0f, 0.0f, //
                              0.0f, -5.0f, -10.0f, 1.0f);
    expectMatricesNear(view, expected);
}

TEST_F(StartCamera, PointInFrontGetsNegativeViewZ) {
    const rvVector3 p = rvTransformPoint(rvVector3(0.0f, 5.0f, 0.0f), camera.getViewMatrix());
    EXPECT_VEC3_NEAR(p, 0.0f, 0.0f, -10.0f);
}

TEST_F(StartCamera, GetViewMatrixIsIdempotent) {
    camera.yawLeft(33.0f);
    camera.pitchUp(-21.0f);
    const rvMatrix44 first = camera.getViewMatrix();
    const rvMatrix44 second = camera.getViewMatrix();
    expectMatricesNear(first, second);
}

TEST_F(StartCamera, GetViewMatrixOrthonormalisesAHandSetUpVector) {
    camera.mUp = rvVector3(0.5f, 2.0f, 0.7f);
    const rvMatrix44 first = camera.getViewMatrix();
    expectOrthonormalAxes();
    // The z axis is kept; up loses its component along z and its x tilt stays.
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(camera.mUp.z, 0.0f, kEps);
    EXPECT_GT(camera.mUp.x, 0.0f);
    expectViewMatchesAxes(first);
    expectMatricesNear(first, camera.getViewMatrix());
}

TEST_F(StartCamera, ParallelAxesGiveZeroAxesWithoutFailing) {
    camera.mUp = rvVector3(0.0f, 0.0f, 2.0f);
    const rvMatrix44 view = camera.getViewMatrix();
    EXPECT_VEC3_NEAR(camera.mUp, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(view.m[i])) << "element " << i;
    }
}

TEST_F(StartCamera, MoveForwardAndBackwardFollowTheView) {
    base().moveForward(1.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 5.0f, 9.0f);
    base().moveBackward(3.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 5.0f, 12.0f);
}

TEST_F(StartCamera, StrafeMovesAlongTheRightAxis) {
    base().strafeLeft(1.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, -1.0f, 5.0f, 10.0f);
    base().strafeRight(3.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 2.0f, 5.0f, 10.0f);
}

TEST_F(StartCamera, StrafeFollowsATurnedCamera) {
    base().yawLeft(90.0f); // looking along −x: right is −z
    base().strafeRight(2.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 5.0f, 8.0f);
}

TEST_F(StartCamera, MoveUpAndDownUseWorldYWhateverTheOrientation) {
    base().moveUp(1.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 6.0f, 10.0f);
    base().yawLeft(40.0f);
    base().pitchUp(50.0f);
    base().moveUp(1.0f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 7.0f, 10.0f);
    base().moveDown(2.5f);
    EXPECT_VEC3_NEAR(camera.mPosition, 0.0f, 4.5f, 10.0f);
}

TEST_F(StartCamera, MovementReturnsTheNewView) {
    const rvMatrix44 returned = base().moveForward(4.0f);
    expectMatricesNear(returned, camera.getViewMatrix());
    EXPECT_NEAR(returned(3, 2), -6.0f, kEps);
}

TEST_F(StartCamera, YawLeftNinetyLooksAlongMinusX) {
    const rvMatrix44 view = base().yawLeft(90.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 1.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(camera.mUp, 0.0f, 1.0f, 0.0f);
    expectViewMatchesAxes(view);
    // A point on −x from the eye is straight ahead.
    EXPECT_VEC3_NEAR(rvTransformPoint(rvVector3(-3.0f, 5.0f, 10.0f), view), 0.0f, 0.0f, -3.0f);
}

TEST_F(StartCamera, YawRightIsTheSameTurnAsYawLeft) {
    base().yawRight(90.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 1.0f, 0.0f, 0.0f);
}

TEST_F(StartCamera, NegativeYawTurnsRight) {
    const rvMatrix44 view = base().yawRight(-90.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, -1.0f, 0.0f, 0.0f);
    EXPECT_VEC3_NEAR(rvTransformPoint(rvVector3(3.0f, 5.0f, 10.0f), view), 0.0f, 0.0f, -3.0f);
}

TEST_F(StartCamera, YawTurnsCounterClockwiseFromAbove) {
    base().yawLeft(30.0f);
    // The view direction −mZAxis turns from −z towards −x.
    const rvVector3 forward = camera.mZAxis * -1.0f;
    EXPECT_NEAR(forward.x, -0.5f, kEps);
    EXPECT_NEAR(forward.z, -std::sqrt(3.0f) / 2.0f, kEps);
}

TEST_F(StartCamera, PitchUpTiltsTheViewUp) {
    const rvMatrix44 view = base().pitchUp(10.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, -kSin10, kCos10);
    expectOrthonormalAxes();
    expectViewMatchesAxes(view);
    // A point ahead and above the eye at 10 degrees is straight ahead now.
    const rvVector3 ahead = camera.mPosition + rvVector3(0.0f, kSin10, -kCos10) * 5.0f;
    EXPECT_VEC3_NEAR(rvTransformPoint(ahead, view), 0.0f, 0.0f, -5.0f);
}

TEST_F(StartCamera, PitchDownIsTheSameTurnAsPitchUp) {
    base().pitchUp(10.0f);
    base().pitchDown(-10.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, 0.0f, 1.0f);
    EXPECT_VEC3_NEAR(camera.mUp, 0.0f, 1.0f, 0.0f);
}

TEST_F(StartCamera, InvertedPitchTiltsTheViewDown) {
    camera.setInvertPitch(true);
    base().pitchUp(10.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, kSin10, kCos10);
}

TEST_F(StartCamera, PitchTurnsByTheExactAngleWithAHandSetUpVector) {
    // Up set by hand at twice unit length and no view taken since: the pitch is still a
    // rotation by exactly 10 degrees.
    camera.mUp = rvVector3(0.0f, 2.0f, 0.0f);
    base().pitchUp(10.0f);
    EXPECT_VEC3_NEAR(camera.mZAxis, 0.0f, -kSin10, kCos10);
}

TEST_F(StartCamera, TurningKeepsTheAxesOrthonormal) {
    for (int i = 0; i < 50; ++i) {
        base().yawLeft(7.3f);
        base().pitchUp(i % 2 ? 4.1f : -3.7f);
    }
    expectOrthonormalAxes();
    expectViewMatchesAxes(camera.getViewMatrix());
    EXPECT_NEAR(camera.mUp.cross(camera.mZAxis).y, 0.0f, kEps); // right stays horizontal
}
