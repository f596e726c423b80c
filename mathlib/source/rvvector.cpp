#include "rvvector.h"

#include <cassert>
#include <cmath>
#include <cstdlib>

namespace {

// A value of rand() reduced to 0…32767. Where RAND_MAX is 32767 it is rand() itself; where
// RAND_MAX is larger (2³¹ − 1 on glibc) the high bits are kept, so the 32767 divisor of the
// random-float mapping always yields a value inside [lo, hi].
int rvRand15() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}

} // namespace

// rvVector2

rvVector2& rvVector2::operator+=(const rvVector2& o) {
    x += o.x;
    y += o.y;
    return *this;
}

rvVector2& rvVector2::operator-=(const rvVector2& o) {
    x -= o.x;
    y -= o.y;
    return *this;
}

rvVector2& rvVector2::operator*=(float s) {
    x *= s;
    y *= s;
    return *this;
}

rvVector2& rvVector2::normalize() {
    const float len = std::sqrt(x * x + y * y);
    x /= len;
    y /= len;
    return *this;
}

rvVector2 rvVector2::normalized() const {
    rvVector2 v(*this);
    return v.normalize();
}

// rvVector3

rvVector3& rvVector3::operator+=(const rvVector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
}

rvVector3& rvVector3::operator-=(const rvVector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
}

rvVector3& rvVector3::operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

rvVector3 rvVector3::operator+(const rvVector3& o) const {
    return rvVector3(x + o.x, y + o.y, z + o.z);
}

rvVector3 rvVector3::operator-(const rvVector3& o) const {
    return rvVector3(x - o.x, y - o.y, z - o.z);
}

rvVector3 rvVector3::operator*(float s) const {
    return rvVector3(x * s, y * s, z * s);
}

float rvVector3::dot(const rvVector3& o) const {
    return x * o.x + y * o.y + z * o.z;
}

rvVector3 rvVector3::cross(const rvVector3& o) const {
    return rvVector3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
}

float rvVector3::length() const {
    return std::sqrt(x * x + y * y + z * z);
}

rvVector3& rvVector3::normalize() {
    const float len = length();
    if (len == 0.0f) {
        x = y = z = 0.0f;
        return *this;
    }
    x /= len;
    y /= len;
    z /= len;
    return *this;
}

rvVector3 rvVector3::normalized() const {
    rvVector3 v(*this);
    return v.normalize();
}

float rvVector3::distance(const rvVector3& to) const {
    return (to - *this).length();
}

float rvVector3::distanceSquared(const rvVector3& to) const {
    const rvVector3 d = to - *this;
    return d.dot(d);
}

rvVector3 rvVector3::projectOnto(const rvVector3& onto) const {
    const float len = onto.length();
    return onto * (dot(onto) / (len * len));
}

rvVector3 rvVector3::project(const rvVector3& other) const {
    const float len = length();
    return *this * (other.dot(*this) / (len * len));
}

// rvVector4

rvVector4& rvVector4::operator+=(const rvVector4& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    w += o.w;
    return *this;
}

rvVector4& rvVector4::operator-=(const rvVector4& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    w -= o.w;
    return *this;
}

rvVector4& rvVector4::operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    w *= s;
    return *this;
}

// Free functions

float rvDistance(const rvVector3& a, const rvVector3& b) {
    return a.distance(b);
}

float rvDistanceSquared(const rvVector3& a, const rvVector3& b) {
    return a.distanceSquared(b);
}

rvVector3 rvLerp(const rvVector3& a, const rvVector3& b, float t) {
    return a * (1.0f - t) + b * t;
}

float rvDistance2D(float x1, float y1, float x2, float y2) {
    return std::sqrt(rvDistanceSquared2D(x1, y1, x2, y2));
}

float rvDistanceSquared2D(float x1, float y1, float x2, float y2) {
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    return dx * dx + dy * dy;
}

float rvRandomFloatFrom(int r, float lo, float hi) {
    assert(r >= 0 && r <= 32767 && "Error in rvRandomFloatFrom()");
    // In double, hi − lo is exact for ordinary ranges, so r = 32767 lands on hi itself.
    const double l = lo;
    return static_cast<float>(l + (static_cast<double>(hi) - l) * (r / 32767.0));
}

float rvRandomFloat(float lo, float hi) {
    return rvRandomFloatFrom(rvRand15(), lo, hi);
}

rvVector3 rvRandomUnitVector() {
    const float z = rvRandomFloat(-1.0f, 1.0f);
    const float theta = rvRandomFloat(-kRvPi, kRvPi);
    const float s = std::sqrt(1.0f - z * z);
    return rvVector3(s * std::cos(theta), s * std::sin(theta), z);
}

rvVector2 rvRandomVector2() {
    const rvVector3 v = rvRandomUnitVector();
    return rvVector2(v.x, v.y);
}
