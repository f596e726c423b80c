#include "tube.h"

#include <algorithm>
#include <cassert>

namespace chargen {

namespace {

// Superellipse coordinate: sign(c)·|c|^(2/n).
double superCoord(double c, double exponent) {
    double m = std::pow(std::fabs(c), 2.0 / exponent);
    return c < 0.0 ? -m : m;
}

std::vector<double> channel(const std::vector<ProfileKnot>& knots, double ProfileKnot::*field) {
    std::vector<double> out;
    out.reserve(knots.size());
    for (const ProfileKnot& k : knots)
        out.push_back(k.*field);
    return out;
}

} // namespace

UVRect uvInside(const UVRect& cell) {
    const double m = 2.0 / 512.0;
    return {cell.u0 + m, cell.v0 + m, cell.u1 - m, cell.v1 - m};
}

double monotoneCubic(const std::vector<double>& xs, const std::vector<double>& ys, double x) {
    const size_t n = xs.size();
    assert(n >= 1 && ys.size() == n);
    if (n == 1 || x <= xs.front())
        return ys.front();
    if (x >= xs.back())
        return ys.back();
    size_t k = 0;
    while (k + 2 < n && x > xs[k + 1])
        ++k;
    // Slopes at the knots: Fritsch–Carlson keeps each piece monotone between its knot values.
    auto secant = [&](size_t i) { return (ys[i + 1] - ys[i]) / (xs[i + 1] - xs[i]); };
    // Flat at both ends, so that the caps continue the surface without a crease.
    auto slope = [&](size_t i) {
        if (i == 0 || i == n - 1)
            return 0.0;
        double d0 = secant(i - 1), d1 = secant(i);
        if (d0 * d1 <= 0.0)
            return 0.0;
        return 2.0 / (1.0 / d0 + 1.0 / d1); // harmonic mean
    };
    double h = xs[k + 1] - xs[k];
    double s = (x - xs[k]) / h;
    double m0 = slope(k), m1 = slope(k + 1);
    double d = secant(k);
    if (d == 0.0) {
        m0 = m1 = 0.0;
    } else {
        m0 = std::min(m0 / d, 3.0) * d;
        m1 = std::min(m1 / d, 3.0) * d;
    }
    double s2 = s * s, s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * ys[k] + (s3 - 2 * s2 + s) * h * m0 +
           (-2 * s3 + 3 * s2) * ys[k + 1] + (s3 - s2) * h * m1;
}

Tube::Tube(const TubeDesc& desc) : mDesc(desc) {
    assert(!mDesc.profile.empty() && mDesc.segments >= 3 && mDesc.bodyRings >= 1 &&
           mDesc.capRings >= 1);
    V3 axis = mDesc.end - mDesc.start;
    mLength = length(axis);
    mT = normalized(axis);
    mW = normalized(mDesc.front - mT * dot(mDesc.front, mT));
    // U = W × T makes rings that run from U towards W wind counter-clockwise seen from
    // outside when stacked along T.
    mU = cross(mW, mT);

    Section s0 = section(0.0), s1 = section(1.0);
    double r0 = 0.5 * (s0.a + s0.b), r1 = 0.5 * (s1.a + s1.b);
    mCap0 = mDesc.capStart * r0;
    mCap1 = mDesc.capEnd * r1;
    // Texture length of a cap: about a quarter of the ellipse through cap length and radius.
    double arc0 = 0.25 * kPi * (mCap0 + r0);
    double arc1 = 0.25 * kPi * (mCap1 + r1);
    double total = arc0 + mLength + arc1;
    mT0 = arc0 / total;
    mT1 = (arc0 + mLength) / total;
}

Section Tube::section(double f) const {
    f = clamp01(f);
    std::vector<double> fs = channel(mDesc.profile, &ProfileKnot::f);
    Section s;
    s.a = std::max(0.02, monotoneCubic(fs, channel(mDesc.profile, &ProfileKnot::a), f));
    s.b = std::max(0.02, monotoneCubic(fs, channel(mDesc.profile, &ProfileKnot::b), f));
    s.offU = monotoneCubic(fs, channel(mDesc.profile, &ProfileKnot::offU), f);
    s.offW = monotoneCubic(fs, channel(mDesc.profile, &ProfileKnot::offW), f);
    return s;
}

double Tube::axial(double t) const {
    if (t < mT0)
        return -(mT0 - t) / mT0;
    if (t > mT1)
        return 1.0 + (t - mT1) / (1.0 - mT1);
    return (t - mT0) / (mT1 - mT0);
}

V3 Tube::center(double t) const {
    double f = axial(t);
    Section s = section(f);
    V3 c = mDesc.start + mT * (clamp01(f) * mLength) + mU * s.offU + mW * s.offW;
    if (f < 0.0)
        c += mT * (-mCap0 * std::sin(-f * 0.5 * kPi));
    else if (f > 1.0)
        c += mT * (mCap1 * std::sin((f - 1.0) * 0.5 * kPi));
    return c;
}

V3 Tube::point(double theta, double t) const {
    double f = axial(t);
    Section s = section(f);
    double shrink = 1.0;
    if (f < 0.0)
        shrink = std::cos(-f * 0.5 * kPi);
    else if (f > 1.0)
        shrink = std::cos((f - 1.0) * 0.5 * kPi);
    if (t <= 0.0 || t >= 1.0)
        shrink = 0.0;
    double cx = superCoord(std::cos(theta), mDesc.exponent);
    double cy = superCoord(std::sin(theta), mDesc.exponent);
    return center(t) + mU * (s.a * cx * shrink) + mW * (s.b * cy * shrink);
}

std::vector<double> Tube::ringParameters() const {
    std::vector<double> ts;
    const int caps = mDesc.capRings, body = mDesc.bodyRings;
    for (int k = 0; k < caps; ++k)
        ts.push_back(mT0 * k / caps);
    for (int k = 0; k <= body; ++k)
        ts.push_back(mT0 + (mT1 - mT0) * k / body);
    for (int k = 1; k <= caps; ++k)
        ts.push_back(mT1 + (1.0 - mT1) * k / caps);
    return ts;
}

} // namespace chargen
