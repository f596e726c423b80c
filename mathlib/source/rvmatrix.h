// 4×4 and 3×3 matrices.
//
// Convention shared by both renderer back ends: elements are stored row-major (element
// (r, c) is m[r * 4 + c]) and vectors are row vectors multiplied on the left, p′ = p · M.
// The translation of an affine matrix is therefore in row 3 (m[12], m[13], m[14]), and
// A · B applies A first. The same 16 floats go unchanged to Direct3D (D3DMATRIX) and to
// OpenGL (glLoadMatrixf, which reads them column-major with column vectors); the two
// readings are transposes of each other and cancel, so nothing is ever transposed.
// Angles are radians.
#pragma once

#include "rvvector.h"

struct rvMatrix44 {
    float m[16];

    // The identity.
    rvMatrix44();
    rvMatrix44(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
               float m13, float m20, float m21, float m22, float m23, float m30, float m31,
               float m32, float m33);

    float& operator()(int r, int c) { return m[r * 4 + c]; }
    float operator()(int r, int c) const { return m[r * 4 + c]; }

    rvMatrix44 operator+(const rvMatrix44& o) const;
    rvMatrix44 operator-(const rvMatrix44& o) const;
    rvMatrix44& operator+=(const rvMatrix44& o);
    // this · o
    rvMatrix44 operator*(const rvMatrix44& o) const;

    rvMatrix44 transpose() const;
    void transposeInPlace();
    float determinant() const;
    // (−1)^(r+c) · the determinant of the 3×3 minor without row r and column c.
    float cofactor(int r, int c) const;
    // False, and the matrix unchanged, when the determinant is exactly 0.
    bool invert();
    // The inverse, or the identity when the determinant is exactly 0.
    rvMatrix44 inverse() const;
};

rvMatrix44 operator*(float s, const rvMatrix44& a);
// out = a · b; out must not alias a or b.
void rvMultiply(const rvMatrix44& a, const rvMatrix44& b, rvMatrix44& out);

// p · M with w = 1 (translation applies) and no division by w.
rvVector3 rvTransformPoint(const rvVector3& p, const rvMatrix44& m);

// Builders. Every element not set is that of the identity.
rvMatrix44 rvTranslationMatrix(const rvVector3& t);
rvMatrix44 rvScalingMatrix(const rvVector3& s);
rvMatrix44 rvRotationXMatrix(float a);
rvMatrix44 rvRotationYMatrix(float a);
rvMatrix44 rvRotationZMatrix(float a);
// The axis must be of unit length; it is used as given.
rvMatrix44 rvRotationAxisMatrix(const rvVector3& axis, float a);
rvMatrix44 rvShearXMatrix(float a, float b); // m01 = a, m02 = b
rvMatrix44 rvShearYMatrix(float a, float b); // m10 = a, m12 = b
rvMatrix44 rvShearZMatrix(float a, float b); // m20 = a, m21 = b
// Projection onto / reflection in the plane through the origin with unit normal n.
rvMatrix44 rvPlaneProjectionMatrix(const rvVector3& n);
rvMatrix44 rvReflectionMatrix(const rvVector3& n);
// Left-handed, depth 0…1 (not used by the renderers).
rvMatrix44 rvPerspectiveMatrix(float fovY, float aspect, float zNear, float zFar);
rvMatrix44 rvLookAtRH(const rvVector3& eye, const rvVector3& at, const rvVector3& up);
rvMatrix44 rvLookAtLH(const rvVector3& eye, const rvVector3& at, const rvVector3& up);

// A point transformed by the matrix of the builder of the same name.
rvVector3 rvTranslatePoint(const rvVector3& p, const rvVector3& t);
rvVector3 rvScalePoint(const rvVector3& p, const rvVector3& s);
rvVector3 rvRotatePointX(const rvVector3& p, float a);
rvVector3 rvRotatePointY(const rvVector3& p, float a);
rvVector3 rvRotatePointZ(const rvVector3& p, float a);
rvVector3 rvRotatePointAxis(const rvVector3& p, const rvVector3& axis, float a);
rvVector3 rvShearPointX(const rvVector3& p, float a, float b);
rvVector3 rvShearPointY(const rvVector3& p, float a, float b);
rvVector3 rvShearPointZ(const rvVector3& p, float a, float b);
rvVector3 rvProjectPointOntoPlane(const rvVector3& p, const rvVector3& n);
rvVector3 rvReflectPoint(const rvVector3& p, const rvVector3& n);

// For i in 0…count−1: out[i] gets rows 0, 1, 2 from r0[i], r1[i], r2[i] (fourth element 0),
// keeps its own row 3, and is inverted in place. Returns count.
int rvBuildAndInvertMatrices(const rvVector3* r0, const rvVector3* r1, const rvVector3* r2,
                             rvMatrix44* out, int count);

struct rvMatrix33 {
    float m[9];

    // The identity.
    rvMatrix33();

    float& operator()(int r, int c) { return m[r * 3 + c]; }
    float operator()(int r, int c) const { return m[r * 3 + c]; }

    rvMatrix33 operator+(const rvMatrix33& o) const;
    rvMatrix33 operator-(const rvMatrix33& o) const;
    rvMatrix33& operator+=(const rvMatrix33& o);
    rvMatrix33& operator-=(const rvMatrix33& o);
    rvMatrix33 operator*(const rvMatrix33& o) const;
    // Rule of Sarrus.
    float determinant() const;
};

rvMatrix33 rvRotationXMatrix33(float a);
rvMatrix33 rvRotationYMatrix33(float a);
rvMatrix33 rvRotationZMatrix33(float a);
rvMatrix33 rvRotationAxisMatrix33(const rvVector3& axis, float a);
