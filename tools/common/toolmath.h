// Double-precision vectors, quaternions, rigid transforms and 4 × 4 affine matrices for the
// tools that make and convert characters (the character generator, the converter). They work in
// double precision and round to float only when they fill a mesh record, so that keys composed
// along long bone chains, or through a file's node hierarchy, stay exact.
//
// Rotations are active rotations of column vectors (q · p · q*), and matrices take column
// vectors (p' = M · p), stored row by row as the Open Asset Import Library stores them. In the
// engine's row-vector convention the same rotation is rvQuaternion::toMatrix() of the same four
// numbers, so a quaternion computed here can be stored in a key unchanged.
#pragma once

#include <algorithm>
#include <cmath>

namespace toolmath {

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

// A 4 × 4 affine transform, row by row: m[row][column].
struct Mat4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

inline Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

inline V3 point(const Mat4& a, const V3& p) {
    return {a.m[0][0] * p.x + a.m[0][1] * p.y + a.m[0][2] * p.z + a.m[0][3],
            a.m[1][0] * p.x + a.m[1][1] * p.y + a.m[1][2] * p.z + a.m[1][3],
            a.m[2][0] * p.x + a.m[2][1] * p.y + a.m[2][2] * p.z + a.m[2][3]};
}

inline V3 direction(const Mat4& a, const V3& v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
            a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

// The determinant of the upper 3 × 3 block.
inline double det3(const Mat4& a) {
    const auto& m = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Inverse of the upper 3 × 3 block, transposed (the normal matrix); identity when singular.
inline Mat4 inverseTranspose3(const Mat4& a) {
    const auto& m = a.m;
    const double d = det3(a);
    Mat4 r;
    if (d == 0)
        return r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            r.m[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / d; // cofactor / det
        }
    return r;
}

// The inverse of an affine transform (the identity's block when singular).
inline Mat4 inverse(const Mat4& a) {
    const Mat4 it = inverseTranspose3(a);
    Mat4 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = it.m[j][i];
    const V3 t = direction(r, {a.m[0][3], a.m[1][3], a.m[2][3]});
    r.m[0][3] = -t.x;
    r.m[1][3] = -t.y;
    r.m[2][3] = -t.z;
    return r;
}

// The rotation nearest to the upper 3 × 3 block (polar decomposition by averaging with the
// inverse transpose), translation kept. A mirroring block is first unmirrored along z; the
// error this causes is for the caller to measure.
inline Mat4 nearestRigid(const Mat4& a) {
    Mat4 r = a;
    if (det3(r) < 0)
        for (int i = 0; i < 3; ++i)
            r.m[i][2] = -r.m[i][2];
    for (int iteration = 0; iteration < 50; ++iteration) {
        const Mat4 it = inverseTranspose3(r);
        double change = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const double v = 0.5 * (r.m[i][j] + it.m[i][j]);
                change = std::max(change, std::abs(v - r.m[i][j]));
                r.m[i][j] = v;
            }
        if (change < 1e-13)
            break;
    }
    return r;
}

// The unit quaternion of a rotation block.
inline Quat quaternion(const Mat4& a) {
    const auto& m = a.m;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    Quat q;
    if (trace > 0) {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        q = {0.25 / s, (m[2][1] - m[1][2]) * s, (m[0][2] - m[2][0]) * s, (m[1][0] - m[0][1]) * s};
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q = {(m[2][1] - m[1][2]) / s, 0.25 * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s};
    } else if (m[1][1] > m[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q = {(m[0][2] - m[2][0]) / s, (m[0][1] + m[1][0]) / s, 0.25 * s, (m[1][2] + m[2][1]) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q = {(m[1][0] - m[0][1]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25 * s};
    }
    return normalizedQuat(q);
}

} // namespace toolmath
