#include "rvmatrix.h"

#include <cassert>
#include <cmath>

// rvMatrix44

rvMatrix44::rvMatrix44()
    : m{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
        0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f} {}

rvMatrix44::rvMatrix44(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
                       float m13, float m20, float m21, float m22, float m23, float m30, float m31,
                       float m32, float m33)
    : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33} {}

rvMatrix44 rvMatrix44::operator+(const rvMatrix44& o) const {
    rvMatrix44 r(*this);
    return r += o;
}

rvMatrix44 rvMatrix44::operator-(const rvMatrix44& o) const {
    rvMatrix44 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = m[i] - o.m[i];
    return r;
}

rvMatrix44& rvMatrix44::operator+=(const rvMatrix44& o) {
    for (int i = 0; i < 16; ++i)
        m[i] += o.m[i];
    return *this;
}

rvMatrix44 rvMatrix44::operator*(const rvMatrix44& o) const {
    rvMatrix44 r;
    rvMultiply(*this, o, r);
    return r;
}

rvMatrix44 rvMatrix44::transpose() const {
    rvMatrix44 r(*this);
    r.transposeInPlace();
    return r;
}

void rvMatrix44::transposeInPlace() {
    for (int r = 0; r < 4; ++r) {
        for (int c = r + 1; c < 4; ++c) {
            const float t = m[r * 4 + c];
            m[r * 4 + c] = m[c * 4 + r];
            m[c * 4 + r] = t;
        }
    }
}

float rvMatrix44::determinant() const {
    const float a00 = m[0], a01 = m[1], a02 = m[2], a03 = m[3];
    const float a10 = m[4], a11 = m[5], a12 = m[6], a13 = m[7];
    const float a20 = m[8], a21 = m[9], a22 = m[10], a23 = m[11];
    const float a30 = m[12], a31 = m[13], a32 = m[14], a33 = m[15];
    // One term per permutation of the columns, signed by its parity.
    return a00 * a11 * a22 * a33 - a00 * a11 * a23 * a32 - a00 * a12 * a21 * a33 +
           a00 * a12 * a23 * a31 + a00 * a13 * a21 * a32 - a00 * a13 * a22 * a31 -
           a01 * a10 * a22 * a33 + a01 * a10 * a23 * a32 + a01 * a12 * a20 * a33 -
           a01 * a12 * a23 * a30 - a01 * a13 * a20 * a32 + a01 * a13 * a22 * a30 +
           a02 * a10 * a21 * a33 - a02 * a10 * a23 * a31 - a02 * a11 * a20 * a33 +
           a02 * a11 * a23 * a30 + a02 * a13 * a20 * a31 - a02 * a13 * a21 * a30 -
           a03 * a10 * a21 * a32 + a03 * a10 * a22 * a31 + a03 * a11 * a20 * a32 -
           a03 * a11 * a22 * a30 - a03 * a12 * a20 * a31 + a03 * a12 * a21 * a30;
}

float rvMatrix44::cofactor(int r, int c) const {
    assert(r >= 0 && r < 4 && c >= 0 && c < 4 && "Error in rvMatrix44::cofactor()");
    rvMatrix33 minor;
    int i = 0;
    for (int row = 0; row < 4; ++row) {
        if (row == r)
            continue;
        for (int col = 0; col < 4; ++col) {
            if (col != c)
                minor.m[i++] = m[row * 4 + col];
        }
    }
    const float d = minor.determinant();
    return ((r + c) & 1) ? -d : d;
}

bool rvMatrix44::invert() {
    const float det = determinant();
    if (det == 0.0f)
        return false;
    const float invDet = 1.0f / det;
    rvMatrix44 adjugate;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            adjugate.m[c * 4 + r] = cofactor(r, c) * invDet;
    }
    *this = adjugate;
    return true;
}

rvMatrix44 rvMatrix44::inverse() const {
    rvMatrix44 r(*this);
    if (!r.invert())
        return rvMatrix44();
    return r;
}

rvMatrix44 operator*(float s, const rvMatrix44& a) {
    rvMatrix44 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = s * a.m[i];
    return r;
}

void rvMultiply(const rvMatrix44& a, const rvMatrix44& b, rvMatrix44& out) {
    assert(&out != &a && &out != &b && "Error in rvMultiply(): out aliases an input");
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            out.m[r * 4 + c] = a.m[r * 4 + 0] * b.m[0 * 4 + c] + a.m[r * 4 + 1] * b.m[1 * 4 + c] +
                               a.m[r * 4 + 2] * b.m[2 * 4 + c] + a.m[r * 4 + 3] * b.m[3 * 4 + c];
        }
    }
}

rvVector3 rvTransformPoint(const rvVector3& p, const rvMatrix44& m) {
    return rvVector3(p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
                     p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
                     p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2));
}

// Builders

rvMatrix44 rvTranslationMatrix(const rvVector3& t) {
    rvMatrix44 r;
    r(3, 0) = t.x;
    r(3, 1) = t.y;
    r(3, 2) = t.z;
    return r;
}

rvMatrix44 rvScalingMatrix(const rvVector3& s) {
    rvMatrix44 r;
    r(0, 0) = s.x;
    r(1, 1) = s.y;
    r(2, 2) = s.z;
    return r;
}

rvMatrix44 rvRotationXMatrix(float a) {
    const float c = std::cos(a), s = std::sin(a);
    rvMatrix44 r;
    r(1, 1) = c;
    r(1, 2) = s;
    r(2, 1) = -s;
    r(2, 2) = c;
    return r;
}

rvMatrix44 rvRotationYMatrix(float a) {
    const float c = std::cos(a), s = std::sin(a);
    rvMatrix44 r;
    r(0, 0) = c;
    r(0, 2) = -s;
    r(2, 0) = s;
    r(2, 2) = c;
    return r;
}

rvMatrix44 rvRotationZMatrix(float a) {
    const float c = std::cos(a), s = std::sin(a);
    rvMatrix44 r;
    r(0, 0) = c;
    r(0, 1) = s;
    r(1, 0) = -s;
    r(1, 1) = c;
    return r;
}

namespace {

// The upper 3×3 of a rotation about a unit axis, row-major; shared by the 4×4 and 3×3 forms.
void rvAxisRotation(const rvVector3& axis, float a, float out[9]) {
    const float c = std::cos(a), s = std::sin(a), k = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    out[0] = x * x * k + c;
    out[1] = x * y * k + z * s;
    out[2] = x * z * k - y * s;
    out[3] = x * y * k - z * s;
    out[4] = y * y * k + c;
    out[5] = y * z * k + x * s;
    out[6] = x * z * k + y * s;
    out[7] = y * z * k - x * s;
    out[8] = z * z * k + c;
}

// Upper 3×3 = I − f·n·nᵀ: f = 1 projects onto the plane, f = 2 reflects in it.
rvMatrix44 rvPlaneMatrix(const rvVector3& n, float f) {
    const float v[3] = {n.x, n.y, n.z};
    rvMatrix44 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r(row, col) -= f * v[row] * v[col];
    }
    return r;
}

// Rows 0…2 hold the axes as columns, row 3 the negated projections of the eye on them.
rvMatrix44 rvLookAt(const rvVector3& eye, const rvVector3& zaxis, const rvVector3& up) {
    const rvVector3 xaxis = up.cross(zaxis).normalized();
    const rvVector3 yaxis = zaxis.cross(xaxis);
    return rvMatrix44(xaxis.x, yaxis.x, zaxis.x, 0.0f, xaxis.y, yaxis.y, zaxis.y, 0.0f, xaxis.z,
                      yaxis.z, zaxis.z, 0.0f, -xaxis.dot(eye), -yaxis.dot(eye), -zaxis.dot(eye),
                      1.0f);
}

} // namespace

rvMatrix44 rvRotationAxisMatrix(const rvVector3& axis, float a) {
    float e[9];
    rvAxisRotation(axis, a, e);
    rvMatrix44 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r(row, col) = e[row * 3 + col];
    }
    return r;
}

rvMatrix44 rvShearXMatrix(float a, float b) {
    rvMatrix44 r;
    r(0, 1) = a;
    r(0, 2) = b;
    return r;
}

rvMatrix44 rvShearYMatrix(float a, float b) {
    rvMatrix44 r;
    r(1, 0) = a;
    r(1, 2) = b;
    return r;
}

rvMatrix44 rvShearZMatrix(float a, float b) {
    rvMatrix44 r;
    r(2, 0) = a;
    r(2, 1) = b;
    return r;
}

rvMatrix44 rvPlaneProjectionMatrix(const rvVector3& n) {
    return rvPlaneMatrix(n, 1.0f);
}

rvMatrix44 rvReflectionMatrix(const rvVector3& n) {
    return rvPlaneMatrix(n, 2.0f);
}

rvMatrix44 rvPerspectiveMatrix(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depth = zFar - zNear;
    return rvMatrix44(xScale, 0.0f, 0.0f, 0.0f, 0.0f, yScale, 0.0f, 0.0f, 0.0f, 0.0f, zFar / depth,
                      1.0f, 0.0f, 0.0f, -zNear * zFar / depth, 0.0f);
}

rvMatrix44 rvLookAtRH(const rvVector3& eye, const rvVector3& at, const rvVector3& up) {
    return rvLookAt(eye, (eye - at).normalized(), up);
}

rvMatrix44 rvLookAtLH(const rvVector3& eye, const rvVector3& at, const rvVector3& up) {
    return rvLookAt(eye, (at - eye).normalized(), up);
}

// Companion point functions: the same arithmetic as p · M without building M.

rvVector3 rvTranslatePoint(const rvVector3& p, const rvVector3& t) {
    return p + t;
}

rvVector3 rvScalePoint(const rvVector3& p, const rvVector3& s) {
    return rvVector3(p.x * s.x, p.y * s.y, p.z * s.z);
}

rvVector3 rvRotatePointX(const rvVector3& p, float a) {
    const float c = std::cos(a), s = std::sin(a);
    return rvVector3(p.x, p.y * c - p.z * s, p.y * s + p.z * c);
}

rvVector3 rvRotatePointY(const rvVector3& p, float a) {
    const float c = std::cos(a), s = std::sin(a);
    return rvVector3(p.x * c + p.z * s, p.y, p.z * c - p.x * s);
}

rvVector3 rvRotatePointZ(const rvVector3& p, float a) {
    const float c = std::cos(a), s = std::sin(a);
    return rvVector3(p.x * c - p.y * s, p.x * s + p.y * c, p.z);
}

rvVector3 rvRotatePointAxis(const rvVector3& p, const rvVector3& axis, float a) {
    float e[9];
    rvAxisRotation(axis, a, e);
    return rvVector3(p.x * e[0] + p.y * e[3] + p.z * e[6], p.x * e[1] + p.y * e[4] + p.z * e[7],
                     p.x * e[2] + p.y * e[5] + p.z * e[8]);
}

rvVector3 rvShearPointX(const rvVector3& p, float a, float b) {
    return rvVector3(p.x, p.x * a + p.y, p.x * b + p.z);
}

rvVector3 rvShearPointY(const rvVector3& p, float a, float b) {
    return rvVector3(p.x + p.y * a, p.y, p.y * b + p.z);
}

rvVector3 rvShearPointZ(const rvVector3& p, float a, float b) {
    return rvVector3(p.x + p.z * a, p.y + p.z * b, p.z);
}

rvVector3 rvProjectPointOntoPlane(const rvVector3& p, const rvVector3& n) {
    return p - n * p.dot(n);
}

rvVector3 rvReflectPoint(const rvVector3& p, const rvVector3& n) {
    return p - n * (2.0f * p.dot(n));
}

int rvBuildAndInvertMatrices(const rvVector3* r0, const rvVector3* r1, const rvVector3* r2,
                             rvMatrix44* out, int count) {
    assert((count <= 0 || (r0 && r1 && r2 && out)) && "Error in rvBuildAndInvertMatrices()");
    for (int i = 0; i < count; ++i) {
        rvMatrix44& o = out[i];
        const rvVector3* rows[3] = {&r0[i], &r1[i], &r2[i]};
        for (int r = 0; r < 3; ++r) {
            o(r, 0) = rows[r]->x;
            o(r, 1) = rows[r]->y;
            o(r, 2) = rows[r]->z;
            o(r, 3) = 0.0f;
        }
        o.invert();
    }
    return count;
}

// rvMatrix33

rvMatrix33::rvMatrix33() : m{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f} {}

rvMatrix33 rvMatrix33::operator+(const rvMatrix33& o) const {
    rvMatrix33 r(*this);
    return r += o;
}

rvMatrix33 rvMatrix33::operator-(const rvMatrix33& o) const {
    rvMatrix33 r(*this);
    return r -= o;
}

rvMatrix33& rvMatrix33::operator+=(const rvMatrix33& o) {
    for (int i = 0; i < 9; ++i)
        m[i] += o.m[i];
    return *this;
}

rvMatrix33& rvMatrix33::operator-=(const rvMatrix33& o) {
    for (int i = 0; i < 9; ++i)
        m[i] -= o.m[i];
    return *this;
}

rvMatrix33 rvMatrix33::operator*(const rvMatrix33& o) const {
    rvMatrix33 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            r.m[row * 3 + col] = m[row * 3 + 0] * o.m[0 * 3 + col] +
                                 m[row * 3 + 1] * o.m[1 * 3 + col] +
                                 m[row * 3 + 2] * o.m[2 * 3 + col];
        }
    }
    return r;
}

float rvMatrix33::determinant() const {
    return m[0] * m[4] * m[8] + m[1] * m[5] * m[6] + m[2] * m[3] * m[7] - m[2] * m[4] * m[6] -
           m[0] * m[5] * m[7] - m[1] * m[3] * m[8];
}

namespace {

rvMatrix33 rvUpper33(const rvMatrix44& a) {
    rvMatrix33 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r(row, col) = a(row, col);
    }
    return r;
}

} // namespace

rvMatrix33 rvRotationXMatrix33(float a) {
    return rvUpper33(rvRotationXMatrix(a));
}

rvMatrix33 rvRotationYMatrix33(float a) {
    return rvUpper33(rvRotationYMatrix(a));
}

rvMatrix33 rvRotationZMatrix33(float a) {
    return rvUpper33(rvRotationZMatrix(a));
}

rvMatrix33 rvRotationAxisMatrix33(const rvVector3& axis, float a) {
    rvMatrix33 r;
    rvAxisRotation(axis, a, r.m);
    return r;
}
