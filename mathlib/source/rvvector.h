// Vectors of two, three and four floats.
//
// rvVector3 is exactly three floats with no padding: arrays of it are read as packed
// x, y, z triples (vertex positions, normals, the mesh file's vectors).
#pragma once

struct rvVector2 {
    float x, y;

    rvVector2() : x(0.0f), y(0.0f) {}
    rvVector2(float x_, float y_) : x(x_), y(y_) {}

    rvVector2& operator+=(const rvVector2& o);
    rvVector2& operator-=(const rvVector2& o);
    rvVector2& operator*=(float s);
    // Divides by the length; the zero vector is a caller error (no guard).
    rvVector2& normalize();
    rvVector2 normalized() const;
};

struct rvVector3 {
    float x, y, z;

    rvVector3() : x(0.0f), y(0.0f), z(0.0f) {}
    rvVector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    rvVector3& operator+=(const rvVector3& o);
    rvVector3& operator-=(const rvVector3& o);
    rvVector3& operator*=(float s);
    rvVector3 operator+(const rvVector3& o) const;
    rvVector3 operator-(const rvVector3& o) const;
    rvVector3 operator*(float s) const;

    float dot(const rvVector3& o) const;
    // this × o
    rvVector3 cross(const rvVector3& o) const;
    float length() const;
    // A vector whose length compares equal to 0 becomes (0, 0, 0); nothing is reported.
    rvVector3& normalize();
    rvVector3 normalized() const;
    // Of (to − this).
    float distance(const rvVector3& to) const;
    float distanceSquared(const rvVector3& to) const;
    // This vector projected onto `onto`: onto · (this·onto / |onto|²).
    rvVector3 projectOnto(const rvVector3& onto) const;
    // `other` projected onto this vector: this · (other·this / |this|²).
    rvVector3 project(const rvVector3& other) const;
};

struct rvVector4 {
    float x, y, z, w;

    rvVector4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    rvVector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    rvVector4& operator+=(const rvVector4& o);
    rvVector4& operator-=(const rvVector4& o);
    rvVector4& operator*=(float s);
};

static_assert(sizeof(rvVector2) == 2 * sizeof(float), "rvVector2 must be two packed floats");
static_assert(sizeof(rvVector3) == 3 * sizeof(float), "rvVector3 must be three packed floats");
static_assert(sizeof(rvVector4) == 4 * sizeof(float), "rvVector4 must be four packed floats");

float rvDistance(const rvVector3& a, const rvVector3& b);
float rvDistanceSquared(const rvVector3& a, const rvVector3& b);
// (1 − t)·a + t·b
rvVector3 rvLerp(const rvVector3& a, const rvVector3& b, float t);

// Distance between the 2D points (x1, y1) and (x2, y2).
float rvDistance2D(float x1, float y1, float x2, float y2);
float rvDistanceSquared2D(float x1, float y1, float x2, float y2);

// lo + (hi − lo)·(r / 32767), with r from rand() reduced to 0…32767 (rand() itself where
// RAND_MAX is 32767, its high bits where RAND_MAX is larger): both ends are reachable and the
// result never leaves [lo, hi].
float rvRandomFloat(float lo, float hi);
// The same mapping for a given r in 0…32767 (the deterministic core of rvRandomFloat).
float rvRandomFloatFrom(int r, float lo, float hi);
// Uniform on the unit sphere: z in [−1, 1], θ in [−π, π], (s·cos θ, s·sin θ, z), s = √(1 − z²).
rvVector3 rvRandomUnitVector();
// The (x, y) part of rvRandomUnitVector: its length is at most 1.
rvVector2 rvRandomVector2();

// Single-precision π used for every degree/radian conversion.
constexpr float kRvPi = 3.1415927f;
