// The fly camera: an eye position and two direction vectors that become the view matrix the
// application hands to the renderer after every change.
//
// Angles are degrees; distances are world units. Every movement and turning operation ends by
// building the view matrix, which also re-orthonormalises the axes, and returns it.
#pragma once

#include "rvmatrix.h"
#include "rvvector.h"

// The camera interface. Slot order is part of the contract with the application.
//
// Not deletable through this base (its destructor is protected and not virtual): the owner
// deletes the concrete camera it created.
class rvCamera {
public:
    rvCamera();

    virtual rvMatrix44 moveForward(float distance) = 0;  // 0
    virtual rvMatrix44 moveBackward(float distance) = 0; // 1
    virtual rvMatrix44 strafeLeft(float distance) = 0;   // 2
    virtual rvMatrix44 strafeRight(float distance) = 0;  // 3
    // Along world +y, whatever the orientation.
    virtual rvMatrix44 moveUp(float distance) = 0;   // 4
    virtual rvMatrix44 moveDown(float distance) = 0; // 5
    // yawLeft and yawRight are the same turn about world y: a positive angle turns the view to
    // the left (counter-clockwise seen from above), a negative one to the right.
    virtual rvMatrix44 yawLeft(float degrees) = 0;  // 6
    virtual rvMatrix44 yawRight(float degrees) = 0; // 7
    // pitchUp and pitchDown are the same turn about the camera's right axis: a positive angle
    // tilts the view up (down with inverted pitch).
    virtual rvMatrix44 pitchUp(float degrees) = 0;   // 8
    virtual rvMatrix44 pitchDown(float degrees) = 0; // 9
    // mZAxis = normalised (x, y, z); a zero vector stays zero.
    virtual void setZAxis(float x, float y, float z) = 0; // 10
    // Normalises mZAxis, rebuilds mUp orthogonal to it (stored back) and returns the
    // right-handed view matrix. Parallel or zero axes give zero axes and a degenerate matrix.
    virtual rvMatrix44 getViewMatrix() = 0;         // 11
    virtual void setFieldOfView(float degrees) = 0; // 12

    // Set directly by the application after construction; all (0, 0, 0) at first.
    rvVector3 mPosition;
    rvVector3 mUp;
    // The backward axis: the view looks along −mZAxis.
    rvVector3 mZAxis;

protected:
    ~rvCamera() = default;
    rvCamera(const rvCamera&) = default;
    rvCamera& operator=(const rvCamera&) = default;
};

class rvFlyCamera final : public rvCamera {
public:
    rvFlyCamera();

    rvMatrix44 moveForward(float distance) override;
    rvMatrix44 moveBackward(float distance) override;
    rvMatrix44 strafeLeft(float distance) override;
    rvMatrix44 strafeRight(float distance) override;
    rvMatrix44 moveUp(float distance) override;
    rvMatrix44 moveDown(float distance) override;
    rvMatrix44 yawLeft(float degrees) override;
    rvMatrix44 yawRight(float degrees) override;
    rvMatrix44 pitchUp(float degrees) override;
    rvMatrix44 pitchDown(float degrees) override;
    void setZAxis(float x, float y, float z) override;
    rvMatrix44 getViewMatrix() override;
    // Stored only: the renderers set their own projections.
    void setFieldOfView(float degrees) override;

    // When set, pitch angles are negated.
    void setInvertPitch(bool invert) { mInvertPitch = invert; }
    bool getInvertPitch() const { return mInvertPitch; }
    float getFieldOfView() const { return mFOV; }
    float getHalfFieldOfView() const { return mHalfFOV; }

private:
    rvMatrix44 yaw(float degrees);
    rvMatrix44 pitch(float degrees);
    // Normalised mUp × mZAxis.
    rvVector3 rightAxis() const;

    bool mInvertPitch;
    float mHalfFOV; // degrees
    float mFOV;     // degrees
};
