#include "rvcamera.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

void expectVec(const rvVector3& v, const rvVector3& w) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR((&v.x)[i], (&w.x)[i], 1e-5f) << "component " << i;
}

void expectMat(const rvMatrix44& a, const rvMatrix44& b) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << "element " << i;
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
    expectMat(view, camera.getViewMatrix());
    expectVec(rvTransformPoint(eye, view), rvVector3(0, 0, 0));
    expectVec(rvTransformPoint(eye - camera.mZAxis * 7.0f, view), rvVector3(0, 0, -7));
    expectVec(rvTransformPoint(eye + camera.mUp, view), rvVector3(0, 1, 0));
}

} // namespace

TEST(Camera, ConstructionFieldOfViewAndZAxis) {
    rvFlyCamera camera;
    expectVec(camera.mPosition + camera.mUp + camera.mZAxis, rvVector3(0, 0, 0));
    EXPECT_TRUE(camera.getFieldOfView() == 60 && camera.getHalfFieldOfView() == 30);
    camera.setFieldOfView(75);
    EXPECT_TRUE(camera.getFieldOfView() == 75 && camera.getHalfFieldOfView() == 37.5f);
    camera.setZAxis(0, 3, 4);
    expectVec(camera.mZAxis, rvVector3(0, 0.6f, 0.8f));
}

TEST(Camera, StartViewHasTheLookAtRowsAndDegenerateAxesGiveZero) {
    rvFlyCamera camera = startCamera();
    expectMat(camera.getViewMatrix(),
              rvMatrix44(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -5, -10, 1));
    camera.mUp = rvVector3(0, 0, 2); // parallel to mZAxis: zero axes (not NaN), nothing fails
    camera.getViewMatrix();
    expectVec(camera.mUp, rvVector3(0, 0, 0));
}

TEST(Camera, MovesAndTurns) {
    const float s10 = 0.17364818f, c10 = 0.98480775f; // sin and cos of 10°
    // Operation, argument, then the eye and mZAxis afterwards (the view looks along −mZAxis).
    const std::tuple<const char*, Operation, float, rvVector3, rvVector3> cases[] = {
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
        expectVec(camera.mPosition, eye);
        expectVec(camera.mZAxis, zAxis);
    }
    // Inverted pitch tilts down. Turned, strafing follows the right axis (−z when looking along
    // −x) but moving up stays on world y.
    rvFlyCamera turned = startCamera();
    turned.setInvertPitch(true);
    run(turned, &rvCamera::pitchUp, 10);
    expectVec(turned.mZAxis, rvVector3(0, s10, c10));
    turned.yawLeft(90);
    run(turned, &rvCamera::strafeRight, 2);
    run(turned, &rvCamera::moveUp, 1);
    expectVec(turned.mPosition, rvVector3(0, 6, 8));
}
