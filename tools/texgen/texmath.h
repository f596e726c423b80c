// Small double-precision helpers for the texture generators: colours, directions, easing and
// a deterministic value noise. Everything here is a pure function of its arguments (no global
// random state), so the generated files are the same on every build of the same code.
#pragma once

#include <cstdint>

namespace texgen {

struct Rgb {
    double r, g, b;
};

struct Vec3d {
    double x, y, z;
};

inline Rgb mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb scale(const Rgb& c, double s) {
    return {c.r * s, c.g * s, c.b * s};
}
inline Rgb add(const Rgb& a, const Rgb& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline double dot(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double clamp01(double x);
// 0 at or below e0, 1 at or above e1, cubic between; e0 > e1 gives the mirrored step.
double smoothstep(double e0, double e1, double x);
// The unit vector of v; the zero vector stays zero.
Vec3d normalized(const Vec3d& v);
// A colour component 0..1 (clamped) as a byte, rounded to nearest.
std::uint8_t toByte(double c);

// A well-mixed 32-bit hash of three lattice coordinates and a seed.
std::uint32_t hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);
// hash3 mapped to [0, 1).
double latticeValue(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);
// Value noise in [0, 1]: lattice values blended with a quintic fade, so the result and its
// first two derivatives are continuous everywhere; equals latticeValue at integer points.
double valueNoise(double x, double y, double z, std::uint32_t seed);
// `octaves` ≥ 1 layers of valueNoise, each of twice the frequency and half the weight of the
// one before (with its own seed), normalised back to [0, 1].
double fbm(double x, double y, double z, int octaves, std::uint32_t seed);

} // namespace texgen
