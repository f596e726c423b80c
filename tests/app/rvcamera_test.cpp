#include "rvcamera.h"

#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using Floats = std::vector<float>;

Floats xyz(const rvVector3& v) {
    return {v.x, v.y, v.z};
}

// Element by element within 1e-5, for vectors and matrices alike.
template <typename T = Floats> auto near(const T& expected) {
    return ::testing::Pointwise(::testing::FloatNear(1e-5f), expected);
}

// The application's start-up state: eye (0, 5, 10), up +y, looking along −z.
rvFlyCamera startCamera() {
    rvFlyCamera camera;
    camera.mPosition = rvVector3(0, 5, 10);
    camera.mUp = rvVector3(0, 1, 0);
    camera.setZAxis(0, 0, 1);
    camera.getViewMatrix();
    return camera;
}

// Runs an operation through the interface, as the application does, and checks the view it
// returns: the same as a second getViewMatrix (which changes nothing), mapping the eye to the
// origin, the point 7 ahead (along −mZAxis) to (0, 0, −7) and the eye + mUp to (0, 1, 0).
using Operation = rvMatrix44 (rvCamera::*)(float);
void run(rvFlyCamera& camera, Operation op, float arg) {
    const rvMatrix44 view = (static_cast<rvCamera&>(camera).*op)(arg);
    const rvVector3 eye = camera.mPosition;
    EXPECT_THAT(view.m, near(camera.getViewMatrix().m));
    EXPECT_THAT(xyz(rvTransformPoint(eye, view)), near({0, 0, 0}));
    EXPECT_THAT(xyz(rvTransformPoint(eye - camera.mZAxis * 7.0f, view)), near({0, 0, -7}));
    EXPECT_THAT(xyz(rvTransformPoint(eye + camera.mUp, view)), near({0, 1, 0}));
}

} // namespace

// The start view's rows are the axes, then the eye moved to the origin. setZAxis normalises;
// parallel axes give zero axes, not NaN.
TEST(Camera, StartViewHasTheLookAtRowsAndDegenerateAxesGiveZero) {
    rvFlyCamera camera = startCamera();
    EXPECT_THAT(camera.getViewMatrix().m,
                near({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -5, -10, 1}));
    camera.setZAxis(0, 3, 4);
    EXPECT_THAT(xyz(camera.mZAxis), near({0, 0.6f, 0.8f}));
    camera.mUp = camera.mZAxis * 2.0f; // parallel
    camera.getViewMatrix();
    EXPECT_EQ(xyz(camera.mUp), Floats(3, 0.0f));
}

TEST(Camera, MovesAndTurns) {
    const float s10 = 0.17364818f, c10 = 0.98480775f; // sin and cos of 10°
    // Operation, argument, then the eye and mZAxis afterwards (the view looks along −mZAxis).
    const std::tuple<const char*, Operation, float, Floats, Floats> cases[] = {
        {"forward", &rvCamera::moveForward, 1, {0, 5, 9}, {0, 0, 1}},
        {"backward", &rvCamera::moveBackward, 3, {0, 5, 13}, {0, 0, 1}},
        {"strafe left", &rvCamera::strafeLeft, 1, {-1, 5, 10}, {0, 0, 1}},
        {"strafe right", &rvCamera::strafeRight, 3, {3, 5, 10}, {0, 0, 1}},
        {"up", &rvCamera::moveUp, 1, {0, 6, 10}, {0, 0, 1}},
        {"down", &rvCamera::moveDown, 2.5f, {0, 2.5f, 10}, {0, 0, 1}},
        {"yaw left 90: along -x", &rvCamera::yawLeft, 90, {0, 5, 10}, {1, 0, 0}},
        {"yaw right 90: the same", &rvCamera::yawRight, 90, {0, 5, 10}, {1, 0, 0}},
        {"yaw right -90: along +x", &rvCamera::yawRight, -90, {0, 5, 10}, {-1, 0, 0}},
        {"pitch up 10: tilts up", &rvCamera::pitchUp, 10, {0, 5, 10}, {0, -s10, c10}},
        {"pitch down 10: the same", &rvCamera::pitchDown, 10, {0, 5, 10}, {0, -s10, c10}},
        {"pitch down -10: tilts down", &rvCamera::pitchDown, -10, {0, 5, 10}, {0, s10, c10}},
    };
    for (const auto& [name, op, arg, eye, zAxis] : cases) {
        SCOPED_TRACE(name);
        rvFlyCamera camera = startCamera();
        run(camera, op, arg);
        EXPECT_THAT(xyz(camera.mPosition), near(eye));
        EXPECT_THAT(xyz(camera.mZAxis), near(zAxis));
    }
    // Inverted pitch tilts down. Turned, strafing follows the right axis (−z when looking along
    // −x) but moving up stays on world y.
    rvFlyCamera turned = startCamera();
    turned.setInvertPitch(true);
    run(turned, &rvCamera::pitchUp, 10);
    EXPECT_THAT(xyz(turned.mZAxis), near({0, s10, c10}));
    turned.yawLeft(90);
    run(turned, &rvCamera::strafeRight, 2);
    run(turned, &rvCamera::moveUp, 1);
    EXPECT_THAT(xyz(turned.mPosition), near({0, 6, 8}));
}
