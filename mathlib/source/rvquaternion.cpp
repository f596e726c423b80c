#include "rvquaternion.h"

#include <cassert>
#include <cmath>

float rvQuaternion::dot(const rvQuaternion& o) const {
    return w * o.w + x * o.x + y * o.y + z * o.z;
}

rvQuaternion rvQuaternion::operator*(const rvQuaternion& o) const {
    return rvQuaternion(
        w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
        w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w);
}

rvMatrix44 rvQuaternion::toMatrix() const {
    rvMatrix44 r;
    r(0, 0) = 1.0f - 2.0f * y * y - 2.0f * z * z;
    r(0, 1) = 2.0f * x * y + 2.0f * w * z;
    r(0, 2) = 2.0f * x * z - 2.0f * w * y;
    r(1, 0) = 2.0f * x * y - 2.0f * w * z;
    r(1, 1) = 1.0f - 2.0f * x * x - 2.0f * z * z;
    r(1, 2) = 2.0f * y * z + 2.0f * w * x;
    r(2, 0) = 2.0f * x * z + 2.0f * w * y;
    r(2, 1) = 2.0f * y * z - 2.0f * w * x;
    r(2, 2) = 1.0f - 2.0f * x * x - 2.0f * y * y;
    return r;
}

rvQuaternion rvSlerp(float t, const rvQuaternion& from, const rvQuaternion& to) {
    if (t <= 0.0f)
        return from;
    if (t >= 1.0f)
        return to;

    float cosOmega = from.dot(to);
    rvQuaternion target = to;
    // q and −q are the same rotation; going to whichever is nearer takes the shorter arc.
    if (cosOmega < 0.0f) {
        target = rvQuaternion(-to.w, -to.x, -to.y, -to.z);
        cosOmega = -cosOmega;
    }
    assert(cosOmega < 1.1f);

    float scale0, scale1;
    if (cosOmega <= 0.9999f) {
        const float sinOmega = std::sqrt(1.0f - cosOmega * cosOmega);
        const float omega = std::atan2(sinOmega, cosOmega);
        const float invSinOmega = 1.0f / sinOmega;
        scale0 = std::sin((1.0f - t) * omega) * invSinOmega;
        scale1 = std::sin(t * omega) * invSinOmega;
    } else {
        // sinOmega is too small to divide by; the arc is indistinguishable from the chord.
        scale0 = 1.0f - t;
        scale1 = t;
    }
    return rvQuaternion(scale0 * from.w + scale1 * target.w, scale0 * from.x + scale1 * target.x,
                        scale0 * from.y + scale1 * target.y, scale0 * from.z + scale1 * target.z);
}
