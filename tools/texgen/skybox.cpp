#include "skybox.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "cimage.h"

namespace texgen {

static_assert(kSkyWidth % 4 == 0 && kSkyHeight % 100 == 0,
              "the cross's u and v edges must fall on texel edges");

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;

// The cube generator's corners (in units of half the edge), its faces as corner indices
// (triangles a b c and c d a) and the cross layout's texture coordinates, face by face.
const float kCorners[8][3] = {{1, -1, 1},  {1, 1, 1},  {-1, -1, 1},  {-1, 1, 1},
                              {1, -1, -1}, {1, 1, -1}, {-1, -1, -1}, {-1, 1, -1}};
const int kFaceCorners[6][6] = {{0, 1, 3, 3, 2, 0}, {4, 5, 1, 1, 0, 4}, {1, 5, 7, 7, 3, 1},
                                {2, 3, 7, 7, 6, 2}, {4, 0, 2, 2, 6, 4}, {6, 7, 5, 5, 4, 6}};
const float kCrossUVs[6][6][2] = {
    {{0.5f, 0.66f}, {0.5f, 0.33f}, {0.25f, 0.33f}, {0.25f, 0.33f}, {0.25f, 0.66f}, {0.5f, 0.66f}},
    {{0.75f, 0.66f}, {0.75f, 0.33f}, {0.5f, 0.33f}, {0.5f, 0.33f}, {0.5f, 0.66f}, {0.75f, 0.66f}},
    {{0.5f, 0.33f}, {0.5f, 0.0f}, {0.25f, 0.0f}, {0.25f, 0.0f}, {0.25f, 0.33f}, {0.5f, 0.33f}},
    {{0.25f, 0.66f}, {0.25f, 0.33f}, {0.0f, 0.33f}, {0.0f, 0.33f}, {0.0f, 0.66f}, {0.25f, 0.66f}},
    {{0.5f, 1.0f}, {0.5f, 0.66f}, {0.25f, 0.66f}, {0.25f, 0.66f}, {0.25f, 1.0f}, {0.5f, 1.0f}},
    {{1.0f, 0.66f}, {1.0f, 0.33f}, {0.75f, 0.33f}, {0.75f, 0.33f}, {0.75f, 0.66f}, {1.0f, 0.66f}}};

Vec3d toVec(const rvVector3& p) {
    return {p.x, p.y, p.z};
}
Vec3d sub(const Vec3d& a, const Vec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3d axpy(const Vec3d& p, const Vec3d& d, double s) {
    return {p.x + d.x * s, p.y + d.y * s, p.z + d.z * s};
}

double distanceToRange(double x, double lo, double hi) {
    return x < lo ? lo - x : (x > hi ? x - hi : 0.0);
}

const Rgb kZenith = {0.09, 0.25, 0.60};
const Rgb kHorizon = {0.74, 0.84, 0.94};
const Rgb kSunGlow = {1.00, 0.82, 0.55};
const Rgb kSunDisk = {1.00, 1.00, 1.00};
const Rgb kCloudLit = {0.95, 0.95, 0.95};
const Rgb kCloudShade = {0.66, 0.70, 0.78};
const Rgb kFarHills = {0.42, 0.50, 0.62};
const Rgb kNearHills = {0.20, 0.31, 0.22};
const Rgb kGroundNear = {0.17, 0.22, 0.14};
const Rgb kGroundDeep = {0.10, 0.11, 0.08};

// About one and a half texels of the side faces (90° over 512 texels), so silhouettes are
// antialiased.
constexpr double kEdgeSoftness = 0.25 * kDegree;

Rgb cloudLayer(const Vec3d& d, double sunCos, const Rgb& sky) {
    if (d.y <= 0.0) {
        return sky;
    }
    // Clouds lie on a flat layer overhead, so they shrink towards the horizon.
    const double k = 1.0 / (d.y + 0.08);
    const double px = d.x * k * 0.8, pz = d.z * k * 0.8;
    const double n = fbm(px, pz, 0.37, 5, 101u);
    const double cover = smoothstep(0.50, 0.74, n) * smoothstep(0.0, 0.14, d.y);
    Rgb cloud = mix(kCloudShade, kCloudLit, smoothstep(0.52, 0.86, n));
    cloud = add(cloud, scale(kSunGlow, 0.18 * std::pow(std::fmax(sunCos, 0.0), 6.0)));
    return mix(sky, cloud, 0.92 * cover);
}

// Heights (elevation in radians) of the two hill ranges, periodic in the azimuth because they
// are sampled on a circle.
constexpr double kFarHillBase = 2.0 * kDegree, kFarHillRange = 7.5 * kDegree;
constexpr double kNearHillBase = 0.6 * kDegree, kNearHillRange = 4.5 * kDegree;
constexpr double kHighestHill = kFarHillBase + kFarHillRange; // above the near range's top
double farHillHeight(double ca, double sa) {
    const double n = fbm(ca * 1.7 + 4.0, sa * 1.7 + 4.0, 2.5, 5, 202u);
    return kFarHillBase + kFarHillRange * smoothstep(0.28, 0.72, n);
}
double nearHillHeight(double ca, double sa) {
    const double n = fbm(ca * 3.3 - 7.0, sa * 3.3 - 7.0, 8.5, 5, 303u);
    return kNearHillBase + kNearHillRange * smoothstep(0.3, 0.72, n);
}

} // namespace

Vec3d sunDirection() {
    const double el = 22.0 * kDegree, az = 30.0 * kDegree;
    return {std::cos(el) * std::sin(az), std::sin(el), -std::cos(el) * std::cos(az)};
}

void skyCubeVertices(float size, CubeVertex out[36]) {
    const float h = size / 2.0f;
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 6; ++k) {
            const float* c = kCorners[kFaceCorners[f][k]];
            out[f * 6 + k] = {rvVector3(c[0] * h, c[1] * h, c[2] * h), kCrossUVs[f][k][0],
                              kCrossUVs[f][k][1]};
        }
    }
    // Seen from inside, the generator exchanges vertices 1 and 2 of every triangle (position and
    // texture coordinate together), which turns the winding but keeps the mapping.
    for (int i = 1; i < 36; i += 3) {
        std::swap(out[i], out[i + 1]);
    }
}

bool buildFaceMaps(const CubeVertex vertices[36], CubeFaceMap faces[6]) {
    for (int f = 0; f < 6; ++f) {
        const CubeVertex* v = vertices + f * 6;
        CubeFaceMap& m = faces[f];
        m.uMin = m.vMin = 1e30;
        m.uMax = m.vMax = -1e30;
        for (int k = 0; k < 6; ++k) {
            m.uMin = std::fmin(m.uMin, v[k].u);
            m.uMax = std::fmax(m.uMax, v[k].u);
            m.vMin = std::fmin(m.vMin, v[k].v);
            m.vMax = std::fmax(m.vMax, v[k].v);
        }
        const Vec3d p0 = toVec(v[0].position);
        const Vec3d e1 = sub(toVec(v[1].position), p0);
        const Vec3d e2 = sub(toVec(v[2].position), p0);
        const double du1 = v[1].u - v[0].u, dv1 = v[1].v - v[0].v;
        const double du2 = v[2].u - v[0].u, dv2 = v[2].v - v[0].v;
        const double det = du1 * dv2 - du2 * dv1;
        if (std::fabs(det) < 1e-12) {
            return false;
        }
        // e1 = du1·dPdu + dv1·dPdv and e2 = du2·dPdu + dv2·dPdv, solved for the two axes.
        m.dPdu = {(e1.x * dv2 - e2.x * dv1) / det, (e1.y * dv2 - e2.y * dv1) / det,
                  (e1.z * dv2 - e2.z * dv1) / det};
        m.dPdv = {(e2.x * du1 - e1.x * du2) / det, (e2.y * du1 - e1.y * du2) / det,
                  (e2.z * du1 - e1.z * du2) / det};
        m.origin = axpy(axpy(p0, m.dPdu, -v[0].u), m.dPdv, -v[0].v);
    }
    return true;
}

int nearestFace(const CubeFaceMap faces[6], double u, double v, int width, int height) {
    int best = 0;
    double bestDistance = 1e30;
    for (int f = 0; f < 6; ++f) {
        const double dx = distanceToRange(u, faces[f].uMin, faces[f].uMax) * width;
        const double dy = distanceToRange(v, faces[f].vMin, faces[f].vMax) * height;
        const double d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = f;
        }
    }
    return best;
}

Vec3d textureToDirection(const CubeFaceMap faces[6], double u, double v, int width, int height) {
    const CubeFaceMap& m = faces[nearestFace(faces, u, v, width, height)];
    return normalized(axpy(axpy(m.origin, m.dPdu, u), m.dPdv, v));
}

Rgb skyColour(const Vec3d& d) {
    const double elevation = std::asin(std::fmax(-1.0, std::fmin(1.0, d.y)));
    // Texture of the near hills and the ground, which lie below this elevation.
    const bool low = elevation < kNearHillBase + kNearHillRange + kEdgeSoftness;
    const double grain = low ? fbm(d.x * 40.0, d.y * 40.0, d.z * 40.0, 3, 404u) : 0.0;
    // Below the horizon (under the floor, seen only from below it) the ground darkens downwards;
    // from 2° down nothing else shows.
    const Rgb ground =
        scale(mix(kGroundNear, kGroundDeep, clamp01(-elevation / (kPi / 4))), 0.85 + 0.3 * grain);
    const double groundCover = smoothstep(0.0, -2.0 * kDegree, elevation);
    if (groundCover >= 1.0) {
        return {clamp01(ground.r), clamp01(ground.g), clamp01(ground.b)};
    }

    const double sunCos = dot(d, sunDirection());
    Rgb c = mix(kHorizon, kZenith, std::pow(clamp01(elevation / (kPi / 2)), 0.55));
    const double glow = std::fmax(sunCos, 0.0);
    c = add(c, scale(kSunGlow, 0.16 * std::pow(glow, 5.0) + 0.28 * std::pow(glow, 60.0)));
    c = cloudLayer(d, sunCos, c);
    // The disk is drawn over the clouds so the sun stays visible.
    c = mix(c, kSunDisk, smoothstep(std::cos(1.9 * kDegree), std::cos(1.5 * kDegree), sunCos));

    // Hills, far range first, hazed towards the horizon colour at their feet. Their outline
    // depends on the azimuth only near the horizon, where it is well defined; above the highest
    // possible summit they cannot show.
    if (elevation < kHighestHill + kEdgeSoftness) {
        const double horizontal = std::sqrt(d.x * d.x + d.z * d.z);
        const double ca = horizontal > 0.0 ? d.x / horizontal : 0.0;
        const double sa = horizontal > 0.0 ? -d.z / horizontal : 0.0;
        const double far = farHillHeight(ca, sa);
        const Rgb farColour = mix(kFarHills, kHorizon, 0.45 * smoothstep(far, 0.0, elevation));
        c = mix(c, farColour, smoothstep(-kEdgeSoftness, kEdgeSoftness, far - elevation));
        const double near = nearHillHeight(ca, sa);
        const Rgb nearColour = scale(kNearHills, 0.85 + 0.3 * grain);
        c = mix(c, nearColour, smoothstep(-kEdgeSoftness, kEdgeSoftness, near - elevation));
    }
    c = mix(c, ground, groundCover);
    return {clamp01(c.r), clamp01(c.g), clamp01(c.b)};
}

bool paintSkyBox(CImage* image, int width, int height, std::string* error) {
    CubeVertex vertices[36];
    skyCubeVertices(2.0f, vertices);
    return paintSkyBox(image, width, height, vertices, error);
}

bool paintSkyBox(CImage* image, int width, int height, const CubeVertex vertices[36],
                 std::string* error) {
    CubeFaceMap faces[6];
    if (!buildFaceMaps(vertices, faces)) {
        *error = "degenerate sky-box texture mapping";
        return false;
    }
    if (!image->create(width, height, 3)) {
        *error =
            "cannot create a " + std::to_string(width) + "x" + std::to_string(height) + " image";
        return false;
    }
    for (int row = 0; row < height; ++row) {
        // Picture row 0 (v near 0) is the image's last line.
        std::uint8_t* line = image->getLinePtr(height - 1 - row);
        const double v = (row + 0.5) / height;
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            const Rgb c = skyColour(textureToDirection(faces, u, v, width, height));
            line[x * 3 + 0] = toByte(c.b);
            line[x * 3 + 1] = toByte(c.g);
            line[x * 3 + 2] = toByte(c.r);
        }
    }
    // Repeat addressing samples the top face's far edge (v = 0) half from the last picture
    // row, so that row repeats the first: the edge stays sky. The bottom face's far edge, which
    // lies under the floor, takes the sky colour in its last half texel instead.
    if (height > 1) {
        std::memcpy(image->getLinePtr(0), image->getLinePtr(height - 1),
                    static_cast<std::size_t>(width) * 3);
    }
    return true;
}

} // namespace texgen
