// Double-precision vector, quaternion and rigid-transform helpers for the character
// generator. The generator works in double precision and rounds to float only when it fills
// the mesh record, so that keys composed along long bone chains stay exact.
//
// Rotations are active rotations of column vectors (q · p · q*). In the engine's row-vector
// convention the same rotation is rvQuaternion::toMatrix() of the same four numbers, so a
// quaternion computed here can be stored in a key unchanged.
#pragma once

#include <cmath>

namespace chargen {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0.0, y = 0.0, z = 0.0;

    V3() = default;
    V3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    V3 operator+(const V3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    V3 operator-(const V3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    V3 operator-() const { return {-x, -y, -z}; }
    V3 operator*(double s) const { return {x * s, y * s, z * s}; }
    V3& operator+=(const V3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
};

inline double dot(const V3& a, const V3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(const V3& a, const V3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const V3& a) {
    return std::sqrt(dot(a, a));
}
// The zero vector stays zero.
inline V3 normalized(const V3& a) {
    double l = length(a);
    return l > 0.0 ? a * (1.0 / l) : V3();
}
inline V3 lerp(const V3& a, const V3& b, double t) {
    return a * (1.0 - t) + b * t;
}

// Unit quaternion, scalar first (the storage order of rvQuaternion).
struct Quat {
    double w = 1.0, x = 0.0, y = 0.0, z = 0.0;

    Quat() = default;
    Quat(double w_, double x_, double y_, double z_) : w(w_), x(x_), y(y_), z(z_) {}

    // Hamilton product: (a * b) rotates by b first, then by a.
    Quat operator*(const Quat& o) const {
        return {w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
                w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w};
    }
    Quat conjugate() const { return {w, -x, -y, -z}; }
    V3 rotate(const V3& v) const {
        V3 u(x, y, z);
        V3 t = cross(u, v) * 2.0;
        return v + t * w + cross(u, t);
    }
};

// Rotation by `angle` radians about a unit axis (counter-clockwise looking down the axis).
inline Quat axisAngle(const V3& axis, double angle) {
    V3 a = normalized(axis);
    double s = std::sin(angle * 0.5);
    return {std::cos(angle * 0.5), a.x * s, a.y * s, a.z * s};
}

inline Quat normalizedQuat(const Quat& q) {
    double l = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / l, q.x / l, q.y / l, q.z / l};
}

// The shortest-arc rotation that turns direction `from` onto direction `to`.
inline Quat rotationBetween(const V3& from, const V3& to) {
    V3 a = normalized(from), b = normalized(to);
    double c = dot(a, b);
    if (c < -0.999999) {
        V3 axis = cross(a, V3(1, 0, 0));
        if (length(axis) < 1e-6)
            axis = cross(a, V3(0, 1, 0));
        return axisAngle(axis, kPi);
    }
    V3 v = cross(a, b);
    return normalizedQuat({1.0 + c, v.x, v.y, v.z});
}

// A rigid transform p ↦ rotation(p) + translation.
struct Rigid {
    Quat rotation;
    V3 translation;

    V3 apply(const V3& p) const { return rotation.rotate(p) + translation; }
    // this after `first`.
    Rigid after(const Rigid& first) const {
        return {rotation * first.rotation, rotation.rotate(first.translation) + translation};
    }
    Rigid inverse() const {
        Quat r = rotation.conjugate();
        return {r, -r.rotate(translation)};
    }
};

inline double clamp01(double t) {
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}
inline double smoothstep(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

} // namespace chargen
