// Rotations as quaternions, scalar first: the fields are w, x, y, z in this order (the mesh
// file stores key rotations the same way).
#pragma once

#include "rvmatrix.h"

struct rvQuaternion {
    float w, x, y, z;

    // All four components 0 (not the identity rotation).
    rvQuaternion() : w(0.0f), x(0.0f), y(0.0f), z(0.0f) {}
    rvQuaternion(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}

    float dot(const rvQuaternion& o) const;
    // Hamilton product this · o.
    rvQuaternion operator*(const rvQuaternion& o) const;
    // Rotation matrix in the row-vector convention; assumes a unit quaternion.
    rvMatrix44 toMatrix() const;
};

static_assert(sizeof(rvQuaternion) == 4 * sizeof(float), "rvQuaternion must be four floats");

// Spherical interpolation along the shorter arc. t ≤ 0 returns `from` and t ≥ 1 returns `to`
// exactly (even when the shorter arc negates `to`). Nearly equal rotations (cos ≥ 0.9999)
// blend linearly without renormalising. Precondition: from·to < 1.1 (unit inputs).
rvQuaternion rvSlerp(float t, const rvQuaternion& from, const rvQuaternion& to);
