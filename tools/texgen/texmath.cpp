#include "texmath.h"

#include <cmath>

namespace texgen {

double clamp01(double x) {
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

double smoothstep(double e0, double e1, double x) {
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

Vec3d normalized(const Vec3d& v) {
    const double len = std::sqrt(dot(v, v));
    if (len == 0.0) {
        return {0.0, 0.0, 0.0};
    }
    return {v.x / len, v.y / len, v.z / len};
}

std::uint8_t toByte(double c) {
    return static_cast<std::uint8_t>(std::lround(clamp01(c) * 255.0));
}

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    // Coordinates are folded in one at a time through a multiply-xorshift finaliser, so
    // neighbouring lattice points give unrelated values.
    std::uint32_t h = seed * 0x9E3779B9u + 0x7F4A7C15u;
    const std::uint32_t parts[3] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                    static_cast<std::uint32_t>(z)};
    for (std::uint32_t p : parts) {
        h ^= p + 0x85EBCA6Bu + (h << 6) + (h >> 2);
        h ^= h >> 16;
        h *= 0x7FEB352Du;
        h ^= h >> 15;
        h *= 0x846CA68Bu;
        h ^= h >> 16;
    }
    return h;
}

double latticeValue(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    return (hash3(x, y, z, seed) >> 8) * (1.0 / 16777216.0);
}

namespace {

double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}
double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace

double valueNoise(double x, double y, double z, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const auto iz = static_cast<std::int32_t>(fz);
    const double tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    double c[2][2];
    for (int dz = 0; dz < 2; ++dz) {
        for (int dy = 0; dy < 2; ++dy) {
            c[dz][dy] = lerp(latticeValue(ix, iy + dy, iz + dz, seed),
                             latticeValue(ix + 1, iy + dy, iz + dz, seed), tx);
        }
    }
    return lerp(lerp(c[0][0], c[0][1], ty), lerp(c[1][0], c[1][1], ty), tz);
}

double fbm(double x, double y, double z, int octaves, std::uint32_t seed) {
    double sum = 0.0, weight = 1.0, total = 0.0, freq = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x * freq, y * freq, z * freq, seed + 1013u * i);
        total += weight;
        weight *= 0.5;
        freq *= 2.0;
    }
    return total > 0.0 ? sum / total : 0.0;
}

} // namespace texgen
