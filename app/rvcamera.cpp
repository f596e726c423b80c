#include "rvcamera.h"

namespace {

constexpr float kDegreesToRadians = kRvPi / 180.0f;

} // namespace

rvCamera::rvCamera() = default;

rvFlyCamera::rvFlyCamera() : mInvertPitch(false), mHalfFOV(30.0f), mFOV(60.0f) {}

rvVector3 rvFlyCamera::rightAxis() const {
    return mUp.cross(mZAxis).normalized();
}

rvMatrix44 rvFlyCamera::moveForward(float distance) {
    mPosition -= mZAxis * distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::moveBackward(float distance) {
    mPosition += mZAxis * distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::strafeLeft(float distance) {
    mPosition -= rightAxis() * distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::strafeRight(float distance) {
    mPosition += rightAxis() * distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::moveUp(float distance) {
    mPosition.y += distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::moveDown(float distance) {
    mPosition.y -= distance;
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::yaw(float degrees) {
    const rvMatrix44 r = rvRotationYMatrix(degrees * kDegreesToRadians);
    mZAxis = rvTransformPoint(mZAxis, r);
    mUp = rvTransformPoint(mUp, r);
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::yawLeft(float degrees) {
    return yaw(degrees);
}

rvMatrix44 rvFlyCamera::yawRight(float degrees) {
    return yaw(degrees);
}

rvMatrix44 rvFlyCamera::pitch(float degrees) {
    if (mInvertPitch) {
        degrees = -degrees;
    }
    // The rotation builder needs a unit axis. After any earlier operation the axes are
    // orthonormal and the cross product has unit length anyway; normalising also keeps the
    // turn a pure rotation when mUp and mZAxis were set by hand and are not yet orthogonal.
    const rvMatrix44 r = rvRotationAxisMatrix(rightAxis(), degrees * kDegreesToRadians);
    // mUp is left as it is: getViewMatrix rebuilds it from the new mZAxis.
    mZAxis = rvTransformPoint(mZAxis, r);
    return getViewMatrix();
}

rvMatrix44 rvFlyCamera::pitchUp(float degrees) {
    return pitch(degrees);
}

rvMatrix44 rvFlyCamera::pitchDown(float degrees) {
    return pitch(degrees);
}

void rvFlyCamera::setZAxis(float x, float y, float z) {
    mZAxis = rvVector3(x, y, z);
    mZAxis.normalize();
}

rvMatrix44 rvFlyCamera::getViewMatrix() {
    mZAxis.normalize();
    mUp.normalize();
    const rvVector3 xAxis = mUp.cross(mZAxis).normalized();
    mUp = mZAxis.cross(xAxis);

    return rvMatrix44(xAxis.x, mUp.x, mZAxis.x, 0.0f, //
                      xAxis.y, mUp.y, mZAxis.y, 0.0f, //
                      xAxis.z, mUp.z, mZAxis.z, 0.0f, //
                      -xAxis.dot(mPosition), -mUp.dot(mPosition), -mZAxis.dot(mPosition), 1.0f);
}

void rvFlyCamera::setFieldOfView(float degrees) {
    mFOV = degrees;
    mHalfFOV = degrees / 2.0f;
}
